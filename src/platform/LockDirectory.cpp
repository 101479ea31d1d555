// SPDX-License-Identifier: GPL-2.0-or-later
// Finding, creating and checking the lock directory, and opening lock files in it. The
// directories are opened one below the other without following symbolic links, and each is
// checked on the descriptor that the next step opens through, so what is checked is what is
// used. /run/lock is writable by everyone: a directory someone else made there first belongs
// to them and is refused, and once it is ours nobody else can rename or replace it.
#include "platform/LockDirectory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/PrivateDirectory.h"

namespace platform {

namespace {

constexpr const char* SYSTEM_LOCK_PARENT = "/run/lock";
constexpr const char* SYSTEM_LOCK_DIRECTORY = "/run/lock/pendulon";
constexpr const char* RUNTIME_LOCK_SUBDIRECTORY = "pendulon-locks";
constexpr const char* BOARDS_SUBDIRECTORY = "boards";

// Never destroyed: locks may still be opened by objects with static storage at exit.
std::mutex& NamespaceLock()
{
    static std::mutex* pLock = new std::mutex;
    return *pLock;
}

std::string& NamespaceName()
{
    static std::string* pName = new std::string;
    return *pName;
}

std::string strEnv(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != nullptr ? pszValue : "";
}

// A name as a plain file name: letters, digits, '_', '-' and a '.' that is not the first
// character stay, everything else becomes %XX ('%' too, so two names never meet).
std::string strEncoded(const std::string& strName)
{
    std::string strResult;
    for (size_t n = 0; n < strName.size(); n++) {
        const unsigned char c = static_cast<unsigned char>(strName[n]);
        const bool bPlain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '_' || c == '-' || (c == '.' && n > 0);
        if (bPlain) {
            strResult += static_cast<char>(c);
        } else {
            char szCode[4];
            std::snprintf(szCode, sizeof(szCode), "%%%02X", c);
            strResult += szCode;
        }
    }
    return strResult;
}

std::string strMode(mode_t nMode)
{
    char szMode[8];
    std::snprintf(szMode, sizeof(szMode), "%04o", static_cast<unsigned>(nMode & 07777));
    return szMode;
}

// Opens the directory pszName (absolute, or relative to nParent), creating it when missing,
// and checks that locks can be trusted to it: a real directory, owned by this user, writable
// by nobody else. Returns an O_PATH descriptor, or -1 with strError set; strShown is the
// directory's path for the message.
int nOpenTrustedDirectory(int nParent, const char* pszName, const std::string& strShown,
                          std::string& strError)
{
    const uid_t nUser = geteuid();
    const mode_t nWanted = nUser == 0 ? 0755 : 0700;
    const bool bCreated = mkdirat(nParent, pszName, nWanted) == 0;
    if (!bCreated && errno != EEXIST) {
        strError = "cannot create the lock directory " + strShown + ": " + std::strerror(errno);
        return -1;
    }
    const int nFd = openat(nParent, pszName, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (nFd < 0) {
        const int nErrno = errno;
        struct stat st {};
        if (fstatat(nParent, pszName, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            strError = "the lock directory " + strShown +
                       " is a symbolic link; a real directory is needed";
        else if (fstatat(nParent, pszName, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
            strError = "the lock directory " + strShown + " exists and is not a directory";
        else
            strError = "cannot open the lock directory " + strShown + ": " + std::strerror(nErrno);
        return -1;
    }
    struct stat st {};
    if (fstat(nFd, &st) != 0) {
        strError = "cannot examine the lock directory " + strShown + ": " + std::strerror(errno);
    } else if (st.st_uid != nUser) {
        strError = "the lock directory " + strShown + " belongs to uid " +
                   std::to_string(st.st_uid) + "; it must belong to uid " + std::to_string(nUser);
    } else {
        if (bCreated && (st.st_mode & 07777) != nWanted) {
            // The umask took bits away (the wanted mode writes to nobody else either way); a
            // handle opened with O_PATH cannot change the mode, the directory made just now can.
            if (fchmodat(nParent, pszName, nWanted, 0) == 0)
                st.st_mode = (st.st_mode & ~07777u) | nWanted;
        }
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) == 0)
            return nFd;
        strError = "the lock directory " + strShown + " has mode " + strMode(st.st_mode) +
                   " and may be written by other users; it must be writable by its owner only";
    }
    close(nFd);
    return -1;
}

}  // namespace

void SetLockNamespace(const std::string& strNamespace)
{
    std::lock_guard<std::mutex> lock(NamespaceLock());
    NamespaceName() = strNamespace;
}

std::string strLockNamespace()
{
    std::lock_guard<std::mutex> lock(NamespaceLock());
    return NamespaceName();
}

namespace detail {

std::string LockPlace::strDirectory() const
{
    if (strNamespace.empty())
        return strBase;
    return strJoin(strJoin(strBase, BOARDS_SUBDIRECTORY), strNamespace);
}

LockPlace CurrentLockPlace()
{
    LockPlace place;
    place.strNamespace = strEncoded(strLockNamespace());
    const std::string strOverride = strEnv("PENDULON_RUNTIME_DIR");
    const std::string strXdg = strEnv("XDG_RUNTIME_DIR");
    if (!strOverride.empty()) {
        place.strBase = strJoin(strOverride, RUNTIME_LOCK_SUBDIRECTORY);
    } else if (geteuid() == 0) {
        // Every process of root shares these, whatever session it was started from.
        place.strBase = SYSTEM_LOCK_DIRECTORY;
    } else if (!strXdg.empty() && strXdg.front() == '/') {
        place.strBase = strJoin(strXdg, RUNTIME_LOCK_SUBDIRECTORY);
    } else {
        place.strPrivateParent = "/tmp/pendulon-" + std::to_string(geteuid());
        place.strBase = strJoin(place.strPrivateParent, RUNTIME_LOCK_SUBDIRECTORY);
    }
    return place;
}

std::string strLockFileName(const std::string& strName)
{
    return strEncoded(strName) + ".lock";
}

int nOpenLockFile(const LockPlace& place, const std::string& strFileName, bool bReadOnlyWillDo,
                  std::string& strError)
{
    strError.clear();
    // /tmp is shared by everyone: the private runtime directory must be ours and closed to
    // others, or another user could hold the locks or swap the lock files.
    if (!place.strPrivateParent.empty() &&
        !bEnsureDirectory(place.strPrivateParent, {false, true, true}, strError)) {
        strError = "runtime directory: " + strError;
        return -1;
    }
    if (place.strBase == SYSTEM_LOCK_DIRECTORY)
        (void)mkdir(SYSTEM_LOCK_PARENT, 0755);  // missing on a bare system

    int nDir = nOpenTrustedDirectory(AT_FDCWD, place.strBase.c_str(), place.strBase, strError);
    if (nDir >= 0 && !place.strNamespace.empty()) {
        const std::string strBoards = strJoin(place.strBase, BOARDS_SUBDIRECTORY);
        const int nBoards = nOpenTrustedDirectory(nDir, BOARDS_SUBDIRECTORY, strBoards, strError);
        close(nDir);
        nDir = -1;
        if (nBoards >= 0) {
            nDir = nOpenTrustedDirectory(nBoards, place.strNamespace.c_str(), place.strDirectory(),
                                         strError);
            close(nBoards);
        }
    }
    if (nDir < 0)
        return -1;

    const std::string strPath = strJoin(place.strDirectory(), strFileName);
    // Never through a symbolic link, and never blocking on something that is not a file.
    const int nFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int nFd = openat(nDir, strFileName.c_str(), O_RDWR | O_CREAT | nFlags, 0600);
    if (nFd < 0 && errno == EACCES && bReadOnlyWillDo)
        nFd = openat(nDir, strFileName.c_str(), O_RDONLY | nFlags);
    const int nErrno = errno;
    close(nDir);
    if (nFd < 0) {
        if (nErrno == ELOOP)
            strError = "the lock file " + strPath + " is a symbolic link";
        else
            strError = "cannot open the lock file " + strPath + ": " + std::strerror(nErrno);
        return -1;
    }
    struct stat st {};
    if (fstat(nFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        strError = "the lock file " + strPath + " is not a regular file";
        close(nFd);
        return -1;
    }
    return nFd;
}

}  // namespace detail

}  // namespace platform
