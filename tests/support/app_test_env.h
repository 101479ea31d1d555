// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the application tests share: a private work directory, runtime directory and systemd
// unit tree for each test (set in the environment and removed afterwards), files in them, and
// the board behind an application.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/PendulonApp.h"
#include "kit/DeviceDriver.h"
#include "sim/SMBusBus.h"
#include "sim/SimAccessDevice.h"

namespace apptest {

namespace fs = std::filesystem;

inline std::string strMakeTempDir(const char* pszWhat)
{
    std::string strTemplate = std::string("/tmp/pendulon-") + pszWhat + "-XXXXXX";
    std::vector<char> name(strTemplate.begin(), strTemplate.end());
    name.push_back('\0');
    const char* psz = mkdtemp(name.data());
    return psz ? std::string(psz) : std::string();
}

// One test's directories, in the environment for the test's life. A simulated board keeps
// its settings and profiles in a directory of its own below the work directory: the files a
// test reads and writes are those of one board ("demo" unless the test chooses another), and
// strRoot names the work directory itself (the real machine's files).
class CAppDirs {
public:
    CAppDirs()
        : m_strWork(strMakeTempDir("work")), m_strRun(strMakeTempDir("run")), m_strSystemd(strMakeTempDir("systemd"))
    {
        for (const char* pszName : {"PENDULON_WORKDIR", "PENDULON_RUNTIME_DIR", "PENDULON_SYSTEMD_DIR"}) {
            const char* pszOld = getenv(pszName);
            m_Saved.emplace_back(pszName, pszOld ? std::optional<std::string>(pszOld) : std::nullopt);
        }
        setenv("PENDULON_WORKDIR", m_strWork.c_str(), 1);
        setenv("PENDULON_RUNTIME_DIR", m_strRun.c_str(), 1);
        setenv("PENDULON_SYSTEMD_DIR", m_strSystemd.c_str(), 1);
    }
    ~CAppDirs()
    {
        for (const auto& [strName, old] : m_Saved) {
            if (old) setenv(strName.c_str(), old->c_str(), 1);
            else unsetenv(strName.c_str());
        }
        std::error_code error;
        for (const std::string& str : {m_strWork, m_strRun, m_strSystemd})
            if (!str.empty()) fs::remove_all(str, error);
    }
    CAppDirs(const CAppDirs&) = delete;
    CAppDirs& operator=(const CAppDirs&) = delete;

    // The board whose files strWork names ("": the real machine's).
    void vSetBoard(const std::string& strBoard) { m_strBoard = strBoard; }
    std::string strWork(const std::string& strName) const { return strBoardDir() + "/" + strName; }
    std::string strRoot(const std::string& strName) const { return m_strWork + "/" + strName; }
    const std::string& strSystemd() const { return m_strSystemd; }
    // The variables for a program started through the shell. The windows open on Qt's
    // offscreen platform with a runtime directory of their own (Qt warns without one), and the
    // session bus is one that is not there, whatever this host has:
    // a test's program never shows on the user's screen or answers another's automation call.
    std::string strEnvironment() const
    {
        return "PENDULON_WORKDIR=" + m_strWork + " PENDULON_RUNTIME_DIR=" + m_strRun +
               " PENDULON_SYSTEMD_DIR=" + m_strSystemd + " QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + m_strRun +
               " DBUS_SESSION_BUS_ADDRESS=unix:path=" + m_strRun + "/no-bus ";
    }

    // The file as the program would write it: mode 0644 whatever the umask (as root a file
    // that group or others may write is not read).
    void vWrite(const std::string& strName, const std::string& strText) const
    {
        std::error_code error;
        fs::create_directories(strBoardDir(), error);
        std::ofstream(strWork(strName), std::ios::binary) << strText;
        chmod(strWork(strName).c_str(), 0644);
    }
    std::string strRead(const std::string& strName) const
    {
        std::ifstream file(strWork(strName), std::ios::binary);
        std::stringstream buffer;
        buffer << file.rdbuf();
        return buffer.str();
    }
    bool bExists(const std::string& strName) const { return fs::exists(strWork(strName)); }

private:
    std::string strBoardDir() const { return m_strBoard.empty() ? m_strWork : m_strWork + "/boards/" + m_strBoard; }

    std::string m_strWork, m_strRun, m_strSystemd;
    std::string m_strBoard = "demo";
    std::vector<std::pair<std::string, std::optional<std::string>>> m_Saved;
};

// Opens the writing end of a FIFO whenever a reader waits on it and closes it at once, for at
// most nMilliseconds: a reader that blocks in open() on the FIFO then gets an empty file
// instead of hanging the test. nOpened counts the readers found waiting.
class CFifoUnblocker {
public:
    explicit CFifoUnblocker(const std::string& strPath, int nMilliseconds = 10000)
        : m_Thread([this, strPath, nMilliseconds] {
              const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(nMilliseconds);
              while (!m_bStop && std::chrono::steady_clock::now() < end) {
                  const int nFd = open(strPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                  if (nFd >= 0) {
                      ++m_nOpened;
                      close(nFd);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          })
    {
    }
    ~CFifoUnblocker()
    {
        m_bStop = true;
        m_Thread.join();
    }
    CFifoUnblocker(const CFifoUnblocker&) = delete;
    CFifoUnblocker& operator=(const CFifoUnblocker&) = delete;
    int nOpened() const { return m_nOpened; }

private:
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nOpened{0};
    std::thread m_Thread;
};

inline uid_t NobodyUid()
{
    const passwd* pw = getpwnam("nobody");
    return pw ? pw->pw_uid : 65534;
}

// Runs fn in a forked child that has become the user "nobody" (the caller is root) and gives
// its exit code; -1 when it did not exit, 100 when it could not change user.
inline int nRunAsNobody(const std::function<int()>& fn)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const uid_t uid = NobodyUid();
        if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0) _exit(100);
        _exit(fn());
    }
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus)) return -1;
    return WEXITSTATUS(nStatus);
}

// The kernel's id of this boot, as the guard of the apply at boot reads it.
inline std::string strThisBoot()
{
    std::ifstream file("/proc/sys/kernel/random/boot_id");
    std::string strBoot;
    std::getline(file, strBoot);
    return strBoot;
}

inline app::AppOptions DemoOptions()
{
    app::AppOptions options;
    options.strBoard = "demo";
    options.bStartMonitor = false;
    return options;
}

// The simulated board an application runs on (null before its start or on a real machine).
inline sim::CSimBoard* pBoardOf(app::CPendulonApp& app)
{
    if (!app.Driver()) return nullptr;
    auto* pSim = dynamic_cast<sim::CSimAccessDevice*>(app.Driver()->pAccessDevice());
    return pSim ? &pSim->Board() : nullptr;
}

// The transactions to an SMBus address of the board's first controller, cleared afterwards.
inline std::vector<sim::SMBusTransfer> TransfersTo(app::CPendulonApp& app, uint8_t nAddress)
{
    std::vector<sim::SMBusTransfer> found;
    sim::CSimBoard* pBoard = pBoardOf(app);
    sim::CSMBusBus* pBus = pBoard ? pBoard->pSMBus(0) : nullptr;
    if (!pBus) return found;
    for (const sim::SMBusTransfer& transfer : pBus->Transfers())
        if (transfer.nAddress == nAddress) found.push_back(transfer);
    pBus->vClearTransfers();
    return found;
}

// The block writes among them, each as its count byte and data.
inline std::vector<std::vector<uint8_t>> BlockWrites(const std::vector<sim::SMBusTransfer>& transfers)
{
    std::vector<std::vector<uint8_t>> writes;
    for (const sim::SMBusTransfer& transfer : transfers)
        if (transfer.eOp == sim::SMBusOp::BlockWrite) writes.push_back(transfer.Data);
    return writes;
}

}  // namespace apptest
