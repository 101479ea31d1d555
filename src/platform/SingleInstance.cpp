// SPDX-License-Identifier: GPL-2.0-or-later
// The single-instance lock: an exclusive flock on "<name>.lock" in the lock directory.
// The kernel drops the lock when the file is closed, which happens however the process ends.
// The lock file is left in place on release: removing it would let two processes lock two
// different files of the same name.
#include "platform/SingleInstance.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/LockDirectory.h"
#include "platform/PrivateDirectory.h"

namespace platform {

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

    // The lock file sits beside the named locks of the same namespace, so that a simulated
    // board's instance and the real machine's do not keep each other from starting.
    const detail::LockPlace place = detail::CurrentLockPlace();
    const std::string strFileName = detail::strLockFileName(pszName);
    const int nFd = detail::nOpenLockFile(place, strFileName, true, strError);
    if (nFd < 0)
        return false;

    int nResult;
    do {
        nResult = flock(nFd, LOCK_EX | LOCK_NB);
    } while (nResult != 0 && errno == EINTR);
    if (nResult != 0) {
        const int nErrno = errno;
        close(nFd);
        if (nErrno != EWOULDBLOCK)  // EWOULDBLOCK: another instance holds it
            strError = "cannot lock " + detail::strJoin(place.strDirectory(), strFileName) + ": " +
                       std::strerror(nErrno);
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
