// SPDX-License-Identifier: GPL-2.0-or-later
// The work directory and the single-instance lock, on the real file system.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "platform/LockDirectory.h"
#include "platform/SingleInstance.h"
#include "platform/WorkDirectory.h"

using namespace platform;

namespace {

// Sets or unsets an environment variable and puts the old value back.
class CEnvVar {
public:
    CEnvVar(const char* pszName, const char* pszValue) : m_strName(pszName)
    {
        if (const char* pszOld = std::getenv(pszName))
            m_Old = pszOld;
        if (pszValue != nullptr)
            setenv(pszName, pszValue, 1);
        else
            unsetenv(pszName);
    }
    CEnvVar(const char* pszName, const std::string& strValue) : CEnvVar(pszName, strValue.c_str()) {}
    ~CEnvVar()
    {
        if (m_Old)
            setenv(m_strName.c_str(), m_Old->c_str(), 1);
        else
            unsetenv(m_strName.c_str());
    }
    CEnvVar(const CEnvVar&) = delete;
    CEnvVar& operator=(const CEnvVar&) = delete;

private:
    std::string m_strName;
    std::optional<std::string> m_Old;
};

// A fresh directory (its real path, no symbolic links in it), removed with everything in it.
class CTempDir {
public:
    CTempDir()
    {
        char szTemplate[] = "/tmp/pendulon-platform-test-XXXXXX";
        char szReal[PATH_MAX];
        if (mkdtemp(szTemplate) != nullptr && realpath(szTemplate, szReal) != nullptr)
            m_strPath = szReal;
    }
    ~CTempDir()
    {
        std::error_code error;
        if (!m_strPath.empty())
            std::filesystem::remove_all(m_strPath, error);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::string& strPath() const { return m_strPath; }
    std::string operator/(const std::string& strName) const { return m_strPath + "/" + strName; }

private:
    std::string m_strPath;
};

struct stat StatOf(const std::string& strPath)
{
    struct stat st {};
    if (lstat(strPath.c_str(), &st) != 0)
        st.st_mode = 0;
    return st;
}

bool bIsPrivateDirectory(const std::string& strPath)
{
    const struct stat st = StatOf(strPath);
    return S_ISDIR(st.st_mode) && (st.st_mode & 07777) == 0700 && st.st_uid == geteuid();
}

uid_t NobodyUid()
{
    const passwd* pw = getpwnam("nobody");
    return pw != nullptr ? pw->pw_uid : 65534;
}

// Runs fn in a forked child and returns its exit code (-1 when it did not exit). When the
// tests run as root the child first becomes the unprivileged user "nobody", so that what a
// normal user gets can be checked.
int nRunInChild(const std::function<int()>& fn, bool bAsNobody)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (bAsNobody) {
            const uid_t uid = NobodyUid();
            if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0)
                _exit(100);
        }
        _exit(fn());
    }
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus))
        return -1;
    return WEXITSTATUS(nStatus);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TEST(PlatformWorkDirectory, OverrideIsCreatedPrivateWithTrailingSlash)
{
    CTempDir tmp;
    ASSERT_FALSE(tmp.strPath().empty());
    std::string strPath, strError;
    {
        CEnvVar env("PENDULON_WORKDIR", tmp / "missing/parents/work");
        ASSERT_TRUE(bGetWorkDirectory(strPath, strError)) << strError;
        EXPECT_EQ(strPath, tmp / "missing/parents/work/");
        EXPECT_TRUE(bIsPrivateDirectory(tmp / "missing/parents/work"));
    }
    {
        CEnvVar env("PENDULON_WORKDIR", tmp / "missing/parents/work//");
        ASSERT_TRUE(bGetWorkDirectory(strPath, strError)) << strError;
        EXPECT_EQ(strPath, tmp / "missing/parents/work/") << "one slash, whatever was given";
    }
}

TEST(PlatformWorkDirectory, RelativeOverrideIsMadeAbsolute)
{
    // The program changes into the work directory before each file access, so a relative
    // path would point somewhere else the second time.
    CTempDir tmp;
    const int nOldCwd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(nOldCwd, 0);
    ASSERT_EQ(chdir(tmp.strPath().c_str()), 0);
    CEnvVar env("PENDULON_WORKDIR", "relative");
    std::string strPath, strError;
    const bool bOk = bGetWorkDirectory(strPath, strError);
    EXPECT_EQ(fchdir(nOldCwd), 0);
    close(nOldCwd);
    ASSERT_TRUE(bOk) << strError;
    EXPECT_EQ(strPath, tmp / "relative/");
}

TEST(PlatformWorkDirectory, RefusesAFileOrASymlinkInTheWay)
{
    CTempDir tmp;
    std::ofstream(tmp / "file") << "x";
    ASSERT_EQ(mkdir((tmp / "real").c_str(), 0700), 0);
    ASSERT_EQ(symlink((tmp / "real").c_str(), (tmp / "link").c_str()), 0);
    const struct {
        const char* pszWorkDir;
        const char* pszReason;
    } cases[] = {
        {"file", "is not a directory"}, {"file/", "is not a directory"},
        {"link", "symbolic link"},      {"link/", "symbolic link"},
        {"file/below", "Not a directory"},
    };
    for (const auto& c : cases) {
        CEnvVar env("PENDULON_WORKDIR", tmp / c.pszWorkDir);
        std::string strPath = "unchanged", strError;
        EXPECT_FALSE(bGetWorkDirectory(strPath, strError)) << c.pszWorkDir;
        EXPECT_NE(strError.find(c.pszReason), std::string::npos) << strError;
        EXPECT_EQ(strPath, "unchanged");
    }
    EXPECT_TRUE(S_ISREG(StatOf(tmp / "file").st_mode)) << "left as it was";
}

TEST(PlatformWorkDirectory, NormalUserGetsXdgStateDirectory)
{
    CTempDir tmp;
    const bool bRoot = geteuid() == 0;
    const uid_t user = bRoot ? NobodyUid() : geteuid();
    ASSERT_EQ(chmod(tmp.strPath().c_str(), 0755), 0);
    for (const char* pszDir : {"state", "home", "foreign"}) {
        ASSERT_EQ(mkdir((tmp / pszDir).c_str(), 0700), 0);
        ASSERT_EQ(chown((tmp / pszDir).c_str(), user, static_cast<gid_t>(-1)), 0);
    }
    if (bRoot) {  // a directory of another user (root) where the work directory should be
        ASSERT_EQ(mkdir((tmp / "foreign/pendulon").c_str(), 0755), 0);
    }

    const int nResult = nRunInChild(
        [&] {
            unsetenv("PENDULON_WORKDIR");
            std::string strPath, strError;
            setenv("XDG_STATE_HOME", (tmp / "state").c_str(), 1);
            if (!bGetWorkDirectory(strPath, strError) || strPath != tmp / "state/pendulon/")
                return 1;
            if (!bIsPrivateDirectory(tmp / "state/pendulon"))
                return 2;
            // Without XDG_STATE_HOME (or with a relative one): ~/.local/state, parents created.
            setenv("XDG_STATE_HOME", "relative/state", 1);
            setenv("HOME", (tmp / "home").c_str(), 1);
            if (!bGetWorkDirectory(strPath, strError) ||
                strPath != tmp / "home/.local/state/pendulon/")
                return 3;
            if (!bIsPrivateDirectory(tmp / "home/.local/state/pendulon"))
                return 4;
            if (bRoot) {
                setenv("XDG_STATE_HOME", (tmp / "foreign").c_str(), 1);
                strError.clear();
                if (bGetWorkDirectory(strPath, strError) ||
                    strError.find("another user") == std::string::npos)
                    return 5;
            }
            return 0;
        },
        bRoot);
    EXPECT_EQ(nResult, 0);
}

TEST(PlatformWorkDirectory, AsRootTheDirectoryAndTheWayToItMustBeRoots)
{
    CTempDir tmp;
    ASSERT_FALSE(tmp.strPath().empty());
    ASSERT_EQ(chmod(tmp.strPath().c_str(), 0755), 0);
    auto bUse = [&](const std::string& strWorkDir, std::string& strError, const std::string& strSub = {}) {
        CEnvVar env("PENDULON_WORKDIR", tmp / strWorkDir);
        std::string strPath;
        strError.clear();
        return bGetWorkDirectory(strPath, strError, strSub);
    };
    // Open to group and others, and a directory below it: an ordinary user may use both.
    ASSERT_EQ(mkdir((tmp / "open").c_str(), 0700), 0);
    ASSERT_EQ(chmod((tmp / "open").c_str(), 0777), 0);
    ASSERT_EQ(mkdir((tmp / "open/work").c_str(), 0700), 0);
    const char* apszForUsers[] = {"open", "open/work", "open/new/work"};
    std::string strError;
    if (geteuid() != 0) {
        for (const char* pszDir : apszForUsers) EXPECT_TRUE(bUse(pszDir, strError)) << pszDir << ": " << strError;
        GTEST_SKIP() << "the cases of root need root (directories and links of another user)";
    }

    const uid_t nobody = NobodyUid();
    for (const char* pszDir : {"foreign", "below-foreign", "below-foreign/work", "sticky", "sticky/work", "real",
                               "real/work"})
        ASSERT_EQ(mkdir((tmp / pszDir).c_str(), 0755), 0) << pszDir;
    ASSERT_EQ(chmod((tmp / "sticky").c_str(), 01777), 0);
    ASSERT_EQ(chown((tmp / "foreign").c_str(), nobody, gid_t(-1)), 0);
    ASSERT_EQ(chown((tmp / "below-foreign").c_str(), nobody, gid_t(-1)), 0);
    ASSERT_EQ(symlink((tmp / "real").c_str(), (tmp / "root-link").c_str()), 0);
    ASSERT_EQ(symlink((tmp / "real").c_str(), (tmp / "foreign-link").c_str()), 0);
    ASSERT_EQ(lchown((tmp / "foreign-link").c_str(), nobody, gid_t(-1)), 0);
    ASSERT_EQ(symlink((tmp / "open").c_str(), (tmp / "link-to-open").c_str()), 0);

    const std::string strNobody = "uid " + std::to_string(nobody);
    const struct {
        const char* pszWorkDir;
        std::string strReason;
    } refused[] = {
        {"foreign", tmp / "foreign belongs to " + strNobody},
        {"open", tmp / "open can be written by group or others (mode 0777)"},
        {"sticky", tmp / "sticky can be written by group or others (mode 1777)"},  // not for itself
        {"open/work", "is reached through " + tmp / "open, which can be written by group or others"},
        {"open/new/work", "is reached through " + tmp / "open, which can be written"},
        {"below-foreign/work", "is reached through " + tmp / "below-foreign, which belongs to " + strNobody},
        {"foreign-link/work", "is reached through " + tmp / "foreign-link, a symbolic link of " + strNobody},
        {"link-to-open/work", "is reached through " + tmp / "open, which can be written"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(bUse(c.pszWorkDir, strError)) << c.pszWorkDir;
        EXPECT_NE(strError.find(c.strReason), std::string::npos) << c.pszWorkDir << ": " << strError;
    }
    EXPECT_FALSE(std::filesystem::exists(tmp / "open/new")) << "nothing is created on an untrusted way";
    for (const char* pszDir : {"sticky/work", "real/work", "root-link/work"})
        EXPECT_TRUE(bUse(pszDir, strError)) << pszDir << ": " << strError;
    // A board's directory below a good work directory is held to the same rule.
    ASSERT_TRUE(bUse("real/work", strError, "boards/demo")) << strError;
    ASSERT_EQ(chmod((tmp / "real/work/boards/demo").c_str(), 0770), 0);
    EXPECT_FALSE(bUse("real/work", strError, "boards/demo"));
    EXPECT_NE(strError.find("boards/demo can be written by group or others"), std::string::npos) << strError;

    // For another user the old rules stay: a directory the user chose may be anyone's.
    EXPECT_EQ(nRunInChild(
                  [&] {
                      std::string strChildError;
                      for (const char* pszDir : {"foreign", "open", "sticky", "open/work", "open/new/work",
                                                 "below-foreign/work", "foreign-link/work", "link-to-open/work"})
                          if (!bUse(pszDir, strChildError)) return 1;
                      return 0;
                  },
                  true),
              0);
}

// ---------------------------------------------------------------------------------------------

// The real machine's lock namespace for one test: an earlier test in the same process may
// have run on a simulated board, whose namespace stays set for the process.
class CRealNamespace {
public:
    CRealNamespace() : m_strOld(strLockNamespace()) { SetLockNamespace(""); }
    ~CRealNamespace() { SetLockNamespace(m_strOld); }
    CRealNamespace(const CRealNamespace&) = delete;
    CRealNamespace& operator=(const CRealNamespace&) = delete;

private:
    std::string m_strOld;
};

TEST(PlatformSingleInstance, SecondLockInTheSameProcessConflicts)
{
    CRealNamespace real;
    CTempDir tmp;
    CEnvVar env("PENDULON_RUNTIME_DIR", tmp.strPath());
    std::string strError;
    CSingleInstance first;
    ASSERT_TRUE(first.bAcquire("PlatformTest", strError)) << strError;
    EXPECT_TRUE(first.bHeld());
    const struct stat st = StatOf(tmp / "pendulon-locks/PlatformTest.lock");
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u) << "the lock file is private";

    CSingleInstance second;
    strError = "stale";
    EXPECT_FALSE(second.bAcquire("PlatformTest", strError));
    EXPECT_EQ(strError, "") << "another instance is not an error";
    EXPECT_FALSE(second.bHeld());

    CSingleInstance other;
    EXPECT_TRUE(other.bAcquire("PlatformTestOther", strError)) << "names are independent";

    first.vRelease();
    EXPECT_FALSE(first.bHeld());
    {
        CSingleInstance third;
        EXPECT_TRUE(third.bAcquire("PlatformTest", strError)) << strError;
    }
    EXPECT_TRUE(second.bAcquire("PlatformTest", strError)) << "the destructor released it";
}

TEST(PlatformSingleInstance, HeldAcrossProcessesAndGoesWithTheProcess)
{
    CRealNamespace real;
    CTempDir tmp;
    CEnvVar env("PENDULON_RUNTIME_DIR", tmp.strPath());
    auto nTryInChild = [] {
        return nRunInChild(
            [] {
                CSingleInstance lock;
                std::string strError = "stale";
                if (lock.bAcquire("PlatformTest", strError))
                    return 0;
                return strError.empty() ? 1 : 2;
            },
            false);
    };
    std::string strError;
    {
        CSingleInstance held;
        ASSERT_TRUE(held.bAcquire("PlatformTest", strError)) << strError;
        EXPECT_EQ(nTryInChild(), 1);
    }
    EXPECT_EQ(nTryInChild(), 0);

    // A child that takes the lock and ends without releasing it.
    int toChild[2], fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CSingleInstance* pLock = new CSingleInstance;  // never destroyed
        std::string strChildError;
        const char cAcquired = pLock->bAcquire("PlatformTest", strChildError) ? 'y' : 'n';
        char cGo;
        if (write(fromChild[1], &cAcquired, 1) != 1 || read(toChild[0], &cGo, 1) != 1)
            _exit(3);
        _exit(0);
    }
    char cAcquired = 0;
    ASSERT_EQ(read(fromChild[0], &cAcquired, 1), 1);
    EXPECT_EQ(cAcquired, 'y');
    CSingleInstance mine;
    EXPECT_FALSE(mine.bAcquire("PlatformTest", strError)) << "the child holds it";
    EXPECT_EQ(write(toChild[1], "g", 1), 1);
    int nStatus = 0;
    EXPECT_EQ(waitpid(pid, &nStatus, 0), pid);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
        close(fd);
    EXPECT_TRUE(mine.bAcquire("PlatformTest", strError)) << strError;
}

TEST(PlatformSingleInstance, RefusesUnsafeNamesAndLockFiles)
{
    CRealNamespace real;
    CTempDir tmp;
    CEnvVar env("PENDULON_RUNTIME_DIR", tmp.strPath());
    ASSERT_EQ(mkdir((tmp / "pendulon-locks").c_str(), 0700), 0);
    ASSERT_EQ(symlink((tmp / "target").c_str(), (tmp / "pendulon-locks/Linked.lock").c_str()), 0);
    ASSERT_EQ(mkdir((tmp / "pendulon-locks/Directory.lock").c_str(), 0700), 0);
    for (const char* pszName : {"Linked", "Directory", "", "../PlatformTest", "a/b"}) {
        CSingleInstance lock;
        std::string strError;
        EXPECT_FALSE(lock.bAcquire(pszName, strError)) << pszName;
        EXPECT_NE(strError, "") << pszName;
    }
    CSingleInstance lock;
    std::string strError;
    EXPECT_FALSE(lock.bAcquire(nullptr, strError));
    EXPECT_NE(strError, "");
    EXPECT_NE(access((tmp / "target").c_str(), F_OK), 0) << "nothing created through the link";
    EXPECT_NE(access((tmp / "../PlatformTest.lock").c_str(), F_OK), 0);
}

TEST(PlatformSingleInstance, PrivateTmpDirectoryMustBeOwnedAndClosed)
{
    CRealNamespace real;
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user without touching the user's files";
    const uid_t nobody = NobodyUid();
    const std::string strDir = "/tmp/pendulon-" + std::to_string(nobody);
    if (access(strDir.c_str(), F_OK) == 0)
        GTEST_SKIP() << strDir << " exists already";

    CEnvVar runtime("PENDULON_RUNTIME_DIR", nullptr);
    CEnvVar xdg("XDG_RUNTIME_DIR", nullptr);
    auto nTryAsNobody = [] {
        return nRunInChild(
            [] {
                CSingleInstance lock;
                std::string strError;
                if (lock.bAcquire("PlatformTest", strError))
                    return 0;
                if (strError.find("mode 0700") != std::string::npos)
                    return 2;
                return strError.find("another user") != std::string::npos ? 3 : 1;
            },
            true);
    };
    EXPECT_EQ(nTryAsNobody(), 0);
    const struct stat st = StatOf(strDir);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, nobody);

    EXPECT_EQ(chmod(strDir.c_str(), 0755), 0);
    EXPECT_EQ(nTryAsNobody(), 2) << "open to others";
    EXPECT_EQ(chmod(strDir.c_str(), 0700), 0);
    EXPECT_EQ(chown(strDir.c_str(), 0, 0), 0);
    EXPECT_EQ(nTryAsNobody(), 3) << "owned by another user";
    std::error_code error;
    std::filesystem::remove_all(strDir, error);
}
