// The single-instance lock: an exclusive flock on "<name>.lock" in the runtime directory.
// The kernel drops the lock when the file is closed, which happens however the process ends.
// The lock file is left in place on release: removing it would let two processes lock two
// different files of the same name.
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/PrivateDirectory.h"

namespace platform {

namespace {

std::string strEnv(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != nullptr ? pszValue : "";
}

// The runtime directory, checked when it is the private one under /tmp.
bool bRuntimeDirectory(std::string& strDir, std::string& strError)
{
    strDir = strEnv("PENDULON_RUNTIME_DIR");
    if (!strDir.empty())
        return true;
    strDir = strEnv("XDG_RUNTIME_DIR");
    if (!strDir.empty() && strDir.front() == '/')
        return true;
    if (geteuid() == 0) {
        strDir = "/run";
        return true;
    }
    // /tmp is shared by everyone: the directory must be ours and closed to others, or
    // another user could hold the lock or swap the lock file.
    strDir = "/tmp/pendulon-" + std::to_string(geteuid());
    return detail::bEnsureDirectory(strDir, {false, true, true}, strError);
}

}  // namespace

CSingleInstance::~CSingleInstance()
{
    vRelease();
}

bool CSingleInstance::bAcquire(const char* pszName, std::string& strError)
{
    strError.clear();
    vRelease();
    if (pszName == nullptr || pszName[0] == '\0' || std::strchr(pszName, '/') != nullptr) {
        strError = std::string("invalid single-instance lock name \"") +
                   (pszName != nullptr ? pszName : "") + "\"";
        return false;
    }

    std::string strDir;
    if (!bRuntimeDirectory(strDir, strError)) {
        strError = "runtime directory: " + strError;
        return false;
    }
    const std::string strPath = detail::strJoin(strDir, std::string(pszName) + ".lock");

    // Never through a symbolic link, and never blocking on something that is not a file.
    const int nFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int nFd = open(strPath.c_str(), O_RDWR | O_CREAT | nFlags, 0600);
    if (nFd < 0 && errno == EACCES)
        nFd = open(strPath.c_str(), O_RDONLY | nFlags);  // another user's file: a lock still works
    if (nFd < 0) {
        if (errno == ELOOP)
            strError = "the lock file " + strPath + " is a symbolic link";
        else
            strError = "cannot open the lock file " + strPath + ": " + std::strerror(errno);
        return false;
    }

    struct stat st {};
    if (fstat(nFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        strError = "the lock file " + strPath + " is not a regular file";
        close(nFd);
        return false;
    }

    int nResult;
    do {
        nResult = flock(nFd, LOCK_EX | LOCK_NB);
    } while (nResult != 0 && errno == EINTR);
    if (nResult != 0) {
        const int nErrno = errno;
        close(nFd);
        if (nErrno != EWOULDBLOCK)  // EWOULDBLOCK: another instance holds it
            strError = "cannot lock " + strPath + ": " + std::strerror(nErrno);
        return false;
    }
    m_nFd = nFd;
    return true;
}

void CSingleInstance::vRelease()
{
    if (m_nFd >= 0) {
        close(m_nFd);
        m_nFd = -1;
    }
}

}  // namespace platform
