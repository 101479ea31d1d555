// SPDX-License-Identifier: GPL-2.0-or-later
// The named mutexes and the single-instance lock between processes: waits and time-outs
// against another process, holders that die, the namespaces of simulated boards, and lock
// directories that cannot be trusted.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "ForkedChild.h"
#include "platform/LockDirectory.h"
#include "platform/NamedMutex.h"
#include "platform/SingleInstance.h"

using namespace platform;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

// A fresh runtime directory for the test's locks (PENDULON_RUNTIME_DIR), the real machine's
// namespace; both put back afterwards.
class CLockTestDir {
public:
    CLockTestDir() : m_strNamespace(strLockNamespace())
    {
        char szTemplate[] = "/tmp/pendulon-lock-test-XXXXXX";
        char szReal[PATH_MAX];
        if (mkdtemp(szTemplate) != nullptr && realpath(szTemplate, szReal) != nullptr) m_strPath = szReal;
        if (const char* pszOld = std::getenv("PENDULON_RUNTIME_DIR")) m_Old = pszOld;
        setenv("PENDULON_RUNTIME_DIR", m_strPath.c_str(), 1);
        SetLockNamespace("");
    }
    ~CLockTestDir()
    {
        SetLockNamespace(m_strNamespace);
        if (m_Old) setenv("PENDULON_RUNTIME_DIR", m_Old->c_str(), 1);
        else unsetenv("PENDULON_RUNTIME_DIR");
        std::error_code error;
        std::filesystem::permissions(strLocks(), std::filesystem::perms::owner_all, error);
        std::filesystem::remove_all(m_strPath, error);
    }
    CLockTestDir(const CLockTestDir&) = delete;
    CLockTestDir& operator=(const CLockTestDir&) = delete;

    const std::string& strPath() const { return m_strPath; }
    // The real machine's lock directory, and a name in it.
    std::string strLocks() const { return m_strPath + "/pendulon-locks"; }
    std::string strLocks(const std::string& strName) const { return strLocks() + "/" + strName; }

private:
    std::string m_strPath;
    std::string m_strNamespace;
    std::optional<std::string> m_Old;
};

struct stat StatOf(const std::string& strPath)
{
    struct stat st {};
    if (lstat(strPath.c_str(), &st) != 0) st.st_mode = 0;
    return st;
}

// Waits on a fresh handle of that name and gives it back at once.
uint32_t dwTryOnce(const char* pszName, uint32_t dwMilliseconds = 0)
{
    HMUTEX h = CreateMutexA(false, pszName);
    const uint32_t dwResult = WaitForSingleObject(h, dwMilliseconds);
    if (dwResult == WAIT_OBJECT_0 || dwResult == WAIT_ABANDONED) ReleaseMutex(h);
    CloseHandle(h);
    return dwResult;
}

// In a child: takes the lock and says 'y' (or 'n'), then waits to be told to end.
void vHoldInChild(CForkedChild& child, const char* pszName)
{
    HMUTEX h = CreateMutexA(false, pszName);
    child.vSend(WaitForSingleObject(h, 0) == WAIT_OBJECT_0 ? 'y' : 'n');
    child.cReceive();
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TEST(PlatformLockProcesses, AnotherProcessWaitsForTheHolderAndTimesOut)
{
    CLockTestDir dir;
    CForkedChild child([](CForkedChild& self) {
        HMUTEX h = CreateMutexA(false, "PlatformTest.Process");
        self.vSend(WaitForSingleObject(h, 0) == WAIT_OBJECT_0 ? 'y' : 'n');
        self.cReceive();  // let go a little after being told, while the parent waits
        std::this_thread::sleep_for(milliseconds(200));
        ReleaseMutex(h);
        self.cReceive();  // the parent holds it now
        self.vSend(WaitForSingleObject(h, 0) == WAIT_TIMEOUT ? 't' : 'n');
        const uint32_t dwForever = WaitForSingleObject(h, INFINITE);
        self.vSend(dwForever == WAIT_OBJECT_0 ? 'y' : 'n');
        ReleaseMutex(h);
    });
    ASSERT_TRUE(child.bStarted());
    ASSERT_EQ(child.cReceive(), 'y');

    HMUTEX h = CreateMutexA(false, "PlatformTest.Process");
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
    const auto start = steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(h, 150), WAIT_TIMEOUT);
    EXPECT_GE(steady_clock::now() - start, milliseconds(150)) << "the time-out is waited out";
    EXPECT_EQ(strLastLockError(), "");

    child.vSend('r');
    EXPECT_EQ(WaitForSingleObject(h, 20000), WAIT_OBJECT_0) << "taken once the child lets go";
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0) << "recursive as ever";
    child.vSend('w');
    EXPECT_EQ(child.cReceive(), 't');
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_EQ(child.cReceive(200), 0) << "still held once: the child's endless wait goes on";
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_EQ(child.cReceive(), 'y') << "the endless wait ends with the release";
    EXPECT_EQ(child.nWait(), 0);
    EXPECT_EQ(dwTryOnce("PlatformTest.Process"), WAIT_OBJECT_0) << "released cleanly: not abandoned";
    CloseHandle(h);
}

TEST(PlatformLockProcesses, AKilledHolderLeavesItAbandonedForTheNextTakerOnly)
{
    CLockTestDir dir;
    CForkedChild child([](CForkedChild& self) { vHoldInChild(self, "PlatformTest.Killed"); });
    ASSERT_EQ(child.cReceive(), 'y');
    HMUTEX h = CreateMutexA(false, "PlatformTest.Killed");
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
    child.vKill();

    EXPECT_EQ(WaitForSingleObject(h, 1000), WAIT_ABANDONED);
    EXPECT_NE(strLastLockError().find("\"PlatformTest.Killed\" was abandoned"), std::string::npos)
        << strLastLockError();
    CForkedChild other([](CForkedChild& self) {
        self.vSend(dwTryOnce("PlatformTest.Killed") == WAIT_TIMEOUT ? 't' : 'n');
    });
    EXPECT_EQ(other.cReceive(), 't') << "the abandoned lock now belongs to the taker";
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0) << "abandonment is reported once";
    EXPECT_EQ(strLastLockError(), "");
    EXPECT_TRUE(ReleaseMutex(h));
    CloseHandle(h);
}

TEST(PlatformLockProcesses, AThreadEndingWhileHoldingFreesItForOtherProcessesAbandoned)
{
    CLockTestDir dir;
    HMUTEX h = CreateMutexA(false, "PlatformTest.ThreadEnded");
    std::thread([h] { WaitForSingleObject(h, 0); }).join();  // ends holding it

    CForkedChild child([](CForkedChild& self) {
        HMUTEX hChild = CreateMutexA(false, "PlatformTest.ThreadEnded");
        const uint32_t dwResult = WaitForSingleObject(hChild, 1000);
        self.vSend(dwResult == WAIT_ABANDONED ? 'a' : dwResult == WAIT_OBJECT_0 ? 'y' : 'n');
        ReleaseMutex(hChild);
    });
    EXPECT_EQ(child.cReceive(), 'a') << "free for another process, and abandoned";
    EXPECT_EQ(child.nWait(), 0);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0) << "the child took the abandonment";
    EXPECT_TRUE(ReleaseMutex(h));
    CloseHandle(h);
}

TEST(PlatformLockProcesses, AForkedChildOwnsNoneOfItsParentsLocks)
{
    CLockTestDir dir;
    HMUTEX h = CreateMutexA(false, "PlatformTest.Forked");
    ASSERT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);

    // The child has the parent's handle and a copy of its descriptors: it may neither release
    // the parent's lock nor take it as if it were its own.
    CForkedChild child([h](CForkedChild& self) {
        const bool bReleased = ReleaseMutex(h);
        const uint32_t dwWait = WaitForSingleObject(h, 0);
        self.vSend(!bReleased && dwWait == WAIT_TIMEOUT ? 'y' : 'n');
    });
    EXPECT_EQ(child.cReceive(), 'y');
    EXPECT_EQ(child.nWait(), 0);
    // A child that ends through exit() (the ending thread puts its mutexes away) leaves it too.
    CForkedChild ending([](CForkedChild&) { std::exit(0); });
    EXPECT_EQ(ending.nWait(), 0);

    auto cTryInChild = [] {
        CForkedChild other([](CForkedChild& self) {
            const uint32_t dwResult = dwTryOnce("PlatformTest.Forked");
            self.vSend(dwResult == WAIT_TIMEOUT ? 't' : dwResult == WAIT_OBJECT_0 ? 'y' : 'n');
        });
        return other.cReceive();
    };
    EXPECT_EQ(cTryInChild(), 't') << "the parent still holds it";
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_EQ(cTryInChild(), 'y');
    CloseHandle(h);
}

TEST(PlatformLockProcesses, ASimulatedBoardsLocksAreItsOwn)
{
    CLockTestDir dir;
    CForkedChild child([](CForkedChild& self) {
        SetLockNamespace("demo");
        CSingleInstance instance;
        std::string strError;
        if (!instance.bAcquire("PlatformTest", strError)) self.vSend('i');
        vHoldInChild(self, "PlatformTest.Kit");
    });
    ASSERT_EQ(child.cReceive(), 'y');

    EXPECT_EQ(dwTryOnce("PlatformTest.Kit"), WAIT_OBJECT_0) << "the real machine's lock is another";
    SetLockNamespace("other");
    EXPECT_EQ(dwTryOnce("PlatformTest.Kit"), WAIT_OBJECT_0) << "so is another board's";
    SetLockNamespace("demo");
    HMUTEX hDemo = CreateMutexA(false, "PlatformTest.Kit");
    EXPECT_EQ(WaitForSingleObject(hDemo, 0), WAIT_TIMEOUT) << "the same board's lock";
    SetLockNamespace("");
    EXPECT_EQ(WaitForSingleObject(hDemo, 0), WAIT_TIMEOUT) << "a handle keeps its namespace";
    HMUTEX hReal = CreateMutexA(false, "PlatformTest.Kit");
    EXPECT_EQ(WaitForSingleObject(hReal, 0), WAIT_OBJECT_0) << "a new handle is the real machine's";
    ReleaseMutex(hReal);

    std::string strError;
    CSingleInstance real;
    EXPECT_TRUE(real.bAcquire("PlatformTest", strError)) << strError;
    SetLockNamespace("demo");
    CSingleInstance sameBoard;
    EXPECT_FALSE(sameBoard.bAcquire("PlatformTest", strError));
    EXPECT_EQ(strError, "") << "another instance on the board, no error";

    EXPECT_TRUE(S_ISREG(StatOf(dir.strLocks("PlatformTest.Kit.lock")).st_mode));
    EXPECT_TRUE(S_ISREG(StatOf(dir.strLocks("boards/demo/PlatformTest.Kit.lock")).st_mode));
    EXPECT_TRUE(S_ISREG(StatOf(dir.strLocks("boards/demo/PlatformTest.lock")).st_mode));
    child.vSend('q');
    EXPECT_EQ(child.nWait(), 0);
    EXPECT_EQ(WaitForSingleObject(hDemo, 1000), WAIT_ABANDONED) << "the child ended holding it";
    ReleaseMutex(hDemo);
    CloseHandle(hDemo);
    CloseHandle(hReal);
}

// ---------------------------------------------------------------------------------------------

TEST(PlatformLockDirectory, IsMadeForTheUserAndEveryNameGetsAPlainFileOfItsOwn)
{
    CLockTestDir dir;
    HMUTEX h = CreateMutexA(false, "Access_SMBUS.HTP.Method");
    ASSERT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0) << strLastLockError();
    ReleaseMutex(h);
    CloseHandle(h);
    const struct stat st = StatOf(dir.strLocks());
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, geteuid());
    EXPECT_EQ(st.st_mode & 07777, geteuid() == 0 ? 0755u : 0700u);
    const struct stat file = StatOf(dir.strLocks("Access_SMBUS.HTP.Method.lock"));
    EXPECT_TRUE(S_ISREG(file.st_mode));
    EXPECT_EQ(file.st_mode & 077, 0u) << "the lock file is private";

    // Names that are no plain file names stay inside the directory, each with a file of its own.
    for (const char* pszName : {"a/b", "..", "%2E.", ".hidden", "Global\\Name"})
        EXPECT_EQ(dwTryOnce(pszName), WAIT_OBJECT_0) << pszName << ": " << strLastLockError();
    for (const char* pszFile : {"a%2Fb.lock", "%2E..lock", "%252E..lock", "%2Ehidden.lock", "Global%5CName.lock"})
        EXPECT_TRUE(S_ISREG(StatOf(dir.strLocks(pszFile)).st_mode)) << pszFile;
    SetLockNamespace("../up");
    EXPECT_EQ(dwTryOnce("PlatformTest.Board"), WAIT_OBJECT_0) << strLastLockError();
    EXPECT_TRUE(S_ISREG(StatOf(dir.strLocks("boards/%2E.%2Fup/PlatformTest.Board.lock")).st_mode));
    EXPECT_EQ(StatOf(dir.strLocks("up")).st_mode, 0u);

    // Without a runtime directory of its own, root's locks are the system's, shared by every
    // session; a user's are in the user's runtime directory.
    unsetenv("PENDULON_RUNTIME_DIR");
    SetLockNamespace("demo");
    const detail::LockPlace place = detail::CurrentLockPlace();
    if (geteuid() == 0) {
        EXPECT_EQ(place.strBase, "/run/lock/pendulon");
        EXPECT_EQ(place.strDirectory(), "/run/lock/pendulon/boards/demo");
    } else if (const char* pszXdg = std::getenv("XDG_RUNTIME_DIR"); pszXdg != nullptr && pszXdg[0] == '/') {
        EXPECT_EQ(place.strBase, std::string(pszXdg) + "/pendulon-locks");
    } else {
        EXPECT_EQ(place.strBase, "/tmp/pendulon-" + std::to_string(geteuid()) + "/pendulon-locks");
    }
}

TEST(PlatformLockDirectory, OneThatCannotBeTrustedIsRefusedWithTheReason)
{
    CLockTestDir dir;
    HMUTEX h = CreateMutexA(false, "PlatformTest.Refused");
    auto strRefusal = [h] {
        const uint32_t dwResult = WaitForSingleObject(h, 0);
        if (dwResult == WAIT_OBJECT_0) ReleaseMutex(h);
        if (dwResult != WAIT_FAILED) return std::string("not refused");
        // The single-instance lock lives there too and is refused for the same reason.
        CSingleInstance instance;
        std::string strError;
        if (instance.bAcquire("PlatformTest", strError) || strError != strLastLockError())
            return "the single-instance lock: " + strError;
        return strLastLockError();
    };
    auto vExpectRefused = [&](const char* pszWhat, const char* pszReason) {
        const std::string strWhy = strRefusal();
        EXPECT_NE(strWhy.find(pszReason), std::string::npos) << pszWhat << ": " << strWhy;
    };
    const std::string strLocks = dir.strLocks();
    const std::string strElsewhere = dir.strPath() + "/elsewhere";
    ASSERT_EQ(mkdir(strElsewhere.c_str(), 0700), 0);

    ASSERT_EQ(symlink(strElsewhere.c_str(), strLocks.c_str()), 0);
    vExpectRefused("a symbolic link", "is a symbolic link");
    EXPECT_TRUE(std::filesystem::is_empty(strElsewhere)) << "nothing made through the link";
    ASSERT_EQ(unlink(strLocks.c_str()), 0);

    ASSERT_TRUE(std::ofstream(strLocks).good());
    vExpectRefused("a file", "is not a directory");
    ASSERT_EQ(unlink(strLocks.c_str()), 0);

    ASSERT_EQ(mkdir(strLocks.c_str(), 0700), 0);
    for (mode_t nMode : {0777, 0770, 0702}) {
        ASSERT_EQ(chmod(strLocks.c_str(), nMode), 0);
        vExpectRefused("writable by others", "may be written by other users");
    }
    ASSERT_EQ(chmod(strLocks.c_str(), 0700), 0);
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("nobody");
        ASSERT_EQ(chown(strLocks.c_str(), pw != nullptr ? pw->pw_uid : 65534, 0), 0);
        vExpectRefused("another user's", "belongs to uid");
        ASSERT_EQ(chown(strLocks.c_str(), 0, 0), 0);
    }

    // The lock file itself: never through a link, never a FIFO (which must not block either).
    const std::string strFile = dir.strLocks("PlatformTest.Refused.lock");
    const std::string strInstance = dir.strLocks("PlatformTest.lock");
    ASSERT_EQ(symlink((strElsewhere + "/x").c_str(), strFile.c_str()), 0);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    EXPECT_NE(strLastLockError().find("is a symbolic link"), std::string::npos) << strLastLockError();
    ASSERT_EQ(unlink(strFile.c_str()), 0);
    ASSERT_EQ(mkfifo(strFile.c_str(), 0600), 0);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    EXPECT_NE(strLastLockError().find("is not a regular file"), std::string::npos) << strLastLockError();
    ASSERT_EQ(unlink(strFile.c_str()), 0);

    // A board's directories are checked as well.
    SetLockNamespace("demo");
    HMUTEX hBoard = CreateMutexA(false, "PlatformTest.Refused");
    ASSERT_EQ(symlink(strElsewhere.c_str(), (strLocks + "/boards").c_str()), 0);
    EXPECT_EQ(WaitForSingleObject(hBoard, 0), WAIT_FAILED);
    EXPECT_NE(strLastLockError().find("boards is a symbolic link"), std::string::npos) << strLastLockError();
    ASSERT_EQ(unlink((strLocks + "/boards").c_str()), 0);
    EXPECT_EQ(WaitForSingleObject(hBoard, 0), WAIT_OBJECT_0) << strLastLockError();
    ReleaseMutex(hBoard);
    CloseHandle(hBoard);

    // Put right, the same handle works.
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0) << strLastLockError();
    EXPECT_EQ(strLastLockError(), "");
    ReleaseMutex(h);
    CloseHandle(h);
    EXPECT_EQ(StatOf(strInstance).st_mode, 0u) << "no single-instance lock made while refused";
}
