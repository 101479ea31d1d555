// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon-cli beside another program that holds the kit lock: it waits for it, gives up
// saying so, and says why when the lock cannot be had for another reason. pendulon and
// pendulon-cli on a simulated board use that board's locks, not the real machine's.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "ForkedChild.h"
#include "RunProgram.h"
#include "app/ProfileFile.h"
#include "app_test_env.h"
#include "platform/LockDirectory.h"
#include "platform/NamedMutex.h"
#include "platform/SingleInstance.h"

using apptest::CAppDirs;
using namespace platform;

namespace {

constexpr const char* BUSY = "the hardware is busy (another program holds the kit lock)";

std::string strPendulon()
{
    const std::string strCli = PENDULON_CLI_PATH;
    return strCli.substr(0, strCli.rfind('/') + 1) + "pendulon";
}

ProgramResult RunCli(const CAppDirs& dirs, const std::string& strArguments)
{
    return RunProgram(dirs.strEnvironment() + PENDULON_CLI_PATH, strArguments);
}

// Opens a lock in a board's namespace (the test's runtime directory is CAppDirs's).
HMUTEX hOpenIn(const std::string& strNamespace, const char* pszName)
{
    const std::string strOld = strLockNamespace();
    SetLockNamespace(strNamespace);
    HMUTEX h = CreateMutexA(false, pszName);
    SetLockNamespace(strOld);
    return h;
}

// The process runs the program (not yet the shell before it) with at least nThreads threads.
bool bRunsWithThreads(pid_t pid, const std::string& strProgram, size_t nThreads)
{
    std::error_code error;
    const std::string strProc = "/proc/" + std::to_string(pid);
    if (std::filesystem::read_symlink(strProc + "/exe", error) != std::filesystem::canonical(strProgram, error))
        return false;
    size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(strProc + "/task", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++n;
    return n >= nThreads;
}

}  // namespace

TEST(AppKitLock, CliWaitsForTheKitLockOfItsBoardThenGivesUp)
{
    CAppDirs dirs;
    HMUTEX hDemo = hOpenIn("demo", "ORVEXSDK");
    ASSERT_EQ(WaitForSingleObject(hDemo, 0), WAIT_OBJECT_0) << strLastLockError();

    const auto start = std::chrono::steady_clock::now();
    ProgramResult result = RunCli(dirs, "--board demo pci");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000)) << "it waited";
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find(BUSY), std::string::npos) << result.strErr;
    EXPECT_EQ(result.strOut, "");

    // The real machine's kit lock and another board's are not this board's.
    HMUTEX hReal = hOpenIn("", "ORVEXSDK");
    ASSERT_EQ(WaitForSingleObject(hReal, 0), WAIT_OBJECT_0);
    result = RunCli(dirs, "--board i865pe-ich5 pci");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;

    EXPECT_TRUE(ReleaseMutex(hDemo));
    result = RunCli(dirs, "--board demo pci");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strOut.find("Host Bridge"), std::string::npos) << result.strOut;
    ReleaseMutex(hReal);
    CloseHandle(hReal);
    CloseHandle(hDemo);
}

TEST(AppKitLock, CliSaysWhenTheHolderDiedOrTheLockDirectoryIsRefused)
{
    CAppDirs dirs;
    {
        CForkedChild holder([](CForkedChild& self) {
            HMUTEX h = hOpenIn("demo", "ORVEXSDK");
            self.vSend(WaitForSingleObject(h, 0) == WAIT_OBJECT_0 ? 'y' : 'n');
            self.cReceive();
        });
        ASSERT_EQ(holder.cReceive(), 'y');
        holder.vKill();
    }
    ProgramResult result = RunCli(dirs, "--board demo pci");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("the kit lock cannot be taken: the lock \"ORVEXSDK\" was abandoned"),
              std::string::npos)
        << result.strErr;
    result = RunCli(dirs, "--board demo pci");
    EXPECT_EQ(result.nStatus, 0) << "the abandonment was reported once: " << result.strErr;

    const std::string strLocks = std::string(std::getenv("PENDULON_RUNTIME_DIR")) + "/pendulon-locks";
    ASSERT_EQ(chmod(strLocks.c_str(), 0777), 0);
    result = RunCli(dirs, "--board demo pci");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("the kit lock cannot be taken: the lock directory " + strLocks), std::string::npos)
        << result.strErr;
    EXPECT_NE(result.strErr.find("may be written by other users"), std::string::npos) << result.strErr;
    EXPECT_EQ(result.strErr.find(BUSY), std::string::npos);
    ASSERT_EQ(chmod(strLocks.c_str(), 0755), 0);
}

TEST(AppKitLock, PendulonOnABoardNeitherWaitsForTheRealMachineNorIsStoppedByIt)
{
    CAppDirs dirs;
    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n");
    std::string strError;
    const std::string strOld = strLockNamespace();
    SetLockNamespace("");
    platform::CSingleInstance realInstance;
    ASSERT_TRUE(realInstance.bAcquire("Pendulon", strError)) << strError;
    SetLockNamespace(strOld);
    HMUTEX hReal = hOpenIn("", "ORVEXSDK");
    ASSERT_EQ(WaitForSingleObject(hReal, 0), WAIT_OBJECT_0);

    // The real machine's instance and kit lock are held: the board's pendulon runs all the same.
    ProgramResult result = RunProgram(dirs.strEnvironment() + strPendulon(), "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;

    // Another instance on the same board ends at once, saying so.
    SetLockNamespace("demo");
    platform::CSingleInstance boardInstance;
    ASSERT_TRUE(boardInstance.bAcquire("Pendulon", strError)) << strError;
    SetLockNamespace(strOld);
    result = RunProgram(dirs.strEnvironment() + strPendulon(), "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_EQ(result.strErr, "pendulon: Pendulon is already running\n");
    ReleaseMutex(hReal);
    CloseHandle(hReal);
}

TEST(AppKitLock, AStartThatWaitsCanBeStoppedBySignal)
{
    // pendulon waits up to 4 s for the kit lock another program holds; SIGTERM, SIGINT and
    // SIGHUP end it at once with their usual status, even before its start is over.
    CAppDirs dirs;
    HMUTEX hDemo = hOpenIn("demo", "ORVEXSDK");
    ASSERT_EQ(WaitForSingleObject(hDemo, 0), WAIT_OBJECT_0) << strLastLockError();
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP}) {
        const std::string strErr = dirs.strRoot("err.txt");
        const std::string strCommand = "exec env " + dirs.strEnvironment() + strPendulon() + " --board demo 2>" + strErr;
        const pid_t pid = fork();
        if (pid == 0) {
            execl("/bin/sh", "sh", "-c", strCommand.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        // It is in its start once the program runs with its signal thread beside the main
        // one (it then waits for the kit lock for 4 s).
        int nStatus = 0;
        for (int i = 0; i < 300 && !bRunsWithThreads(pid, strPendulon(), 2); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(waitpid(pid, &nStatus, WNOHANG), 0) << "it ended by itself";
        ASSERT_TRUE(bRunsWithThreads(pid, strPendulon(), 2));
        kill(pid, nSignal);
        ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
        ASSERT_TRUE(WIFEXITED(nStatus));
        EXPECT_EQ(WEXITSTATUS(nStatus), 128 + nSignal);
        EXPECT_NE(strReadFile(strErr).find("pendulon: stopped by signal " + std::to_string(nSignal) + " during the start"),
                  std::string::npos)
            << strReadFile(strErr);
    }
    ReleaseMutex(hDemo);
    CloseHandle(hDemo);
}
