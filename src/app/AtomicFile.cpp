// SPDX-License-Identifier: GPL-2.0-or-later
// The program's small files, written by rename over the old one and read whole. Everything a
// write does happens relative to the directory opened once, and the last part of the path is
// never followed, so the file checked is the one replaced; a read checks the file it opened.
#include "app/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace app {

namespace {

constexpr const char* TEMPORARY_MARK = ".tmp-";
constexpr size_t RANDOM_CHARACTERS = 6;
constexpr int CREATE_TRIES = 100;

// The directory part and the last part of a path ("." when there is no slash).
bool bSplitPath(const std::string& strPath, std::string& strDir, std::string& strName)
{
    const size_t nSlash = strPath.rfind('/');
    strDir = nSlash == std::string::npos ? "." : nSlash == 0 ? "/" : strPath.substr(0, nSlash);
    strName = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
    return !strName.empty() && strName != "." && strName != "..";
}

const char* pszKindOf(mode_t nMode)
{
    if (S_ISDIR(nMode)) return "a directory";
    if (S_ISCHR(nMode)) return "a character device";
    if (S_ISBLK(nMode)) return "a block device";
    if (S_ISFIFO(nMode)) return "a FIFO";
    if (S_ISSOCK(nMode)) return "a socket";
    if (S_ISLNK(nMode)) return "a symbolic link";
    return "not a regular file";
}

std::string strMode(mode_t nMode)
{
    char szMode[8];
    std::snprintf(szMode, sizeof(szMode), "%04o", unsigned(nMode & 07777));
    return szMode;
}

std::string strSystemError(const char* pszWhat, const std::string& strPath, int nErrno)
{
    return std::string(pszWhat) + " " + strPath + ": " + std::strerror(nErrno);
}

std::string strTooLarge(const std::string& strPath, size_t nLimit)
{
    return strPath + " holds more than " + std::to_string(nLimit) + " bytes, more than a file of the program may";
}

bool bWriteAll(int nFd, const std::string& strText)
{
    size_t nDone = 0;
    while (nDone < strText.size()) {
        const ssize_t n = write(nFd, strText.data() + nDone, strText.size() - nDone);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        nDone += static_cast<size_t>(n);
    }
    return true;
}

// strEntry is "<strPrefix><pid>-XXXXXX", a temporary file of the target; nPid is the writer's.
bool bTemporaryOf(const std::string& strEntry, const std::string& strPrefix, pid_t& nPid)
{
    if (strEntry.compare(0, strPrefix.size(), strPrefix) != 0) return false;
    const size_t nStart = strPrefix.size();
    size_t i = nStart;
    long long nValue = 0;
    while (i < strEntry.size() && i - nStart < 10 && strEntry[i] >= '0' && strEntry[i] <= '9')
        nValue = nValue * 10 + (strEntry[i++] - '0');
    if (i == nStart || i >= strEntry.size() || strEntry[i] != '-' || nValue <= 0 || nValue > INT32_MAX) return false;
    if (strEntry.size() - i - 1 != RANDOM_CHARACTERS) return false;
    for (++i; i < strEntry.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(strEntry[i]))) return false;
    nPid = pid_t(nValue);
    return true;
}

// Removes the temporary files of strName that writers killed before their rename left behind.
// A temporary file whose process still exists (or whose number now belongs to another process)
// is left alone: it may be a write in progress. Only regular files of this user are removed.
void vRemoveStaleTemporaries(int nDir, const std::string& strName)
{
    const int nList = openat(nDir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nList < 0) return;
    DIR* pDir = fdopendir(nList);
    if (!pDir) {
        close(nList);
        return;
    }
    const std::string strPrefix = strName + TEMPORARY_MARK;
    while (const dirent* pEntry = readdir(pDir)) {
        pid_t nPid = 0;
        if (!bTemporaryOf(pEntry->d_name, strPrefix, nPid) || nPid == getpid()) continue;
        if (kill(nPid, 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (fstatat(nDir, pEntry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != geteuid())
            continue;
        unlinkat(nDir, pEntry->d_name, 0);
    }
    closedir(pDir);
}

// A new temporary file for strName in the directory, created exclusively (never through a
// link an attacker placed there); its name goes to strTemporary.
int nCreateTemporary(int nDir, const std::string& strName, std::string& strTemporary)
{
    static const char s_szCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::string strPrefix = strName + TEMPORARY_MARK + std::to_string(getpid()) + "-";
    for (int nTry = 0; nTry < CREATE_TRIES; ++nTry) {
        unsigned char abRandom[RANDOM_CHARACTERS];
        if (getrandom(abRandom, sizeof(abRandom), GRND_NONBLOCK) != ssize_t(sizeof(abRandom))) {
            timespec now {};
            clock_gettime(CLOCK_MONOTONIC, &now);
            for (size_t i = 0; i < sizeof(abRandom); ++i)
                abRandom[i] = static_cast<unsigned char>((now.tv_nsec >> (i * 5)) + nTry * 31 + i);
        }
        strTemporary = strPrefix;
        for (unsigned char b : abRandom) strTemporary += s_szCharacters[b % (sizeof(s_szCharacters) - 1)];
        const int nFd = openat(nDir, strTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (nFd >= 0 || errno != EEXIST) return nFd;
    }
    errno = EEXIST;
    return -1;
}

// As root only a file of root's that nobody else may write is read: the boot unit applies
// what it reads, and another user must not be able to plant it.
bool bTrustedForRoot(const struct stat& st, const std::string& strPath, std::string& strWhy)
{
    if (geteuid() != 0) return true;
    if (st.st_uid != 0) {
        strWhy = strPath + " belongs to uid " + std::to_string(st.st_uid) +
                 "; as root only a file of root's is trusted";
        return false;
    }
    if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        strWhy = strPath + " can be written by group or others (mode " + strMode(st.st_mode) +
                 "); as root such a file is not trusted";
        return false;
    }
    return true;
}

}  // namespace

bool bWriteFileAtomically(const std::string& strPath, const std::string& strText, std::string& strWhy)
{
    strWhy.clear();
    std::string strDir, strName;
    if (!bSplitPath(strPath, strDir, strName)) {
        strWhy = "\"" + strPath + "\" names no file";
        return false;
    }
    // A directory that may be entered but not listed is used without the flush of the rename
    // and without the removal of stale temporary files.
    bool bCanSync = true;
    int nDir = open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nDir < 0 && errno == EACCES) {
        nDir = open(strDir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        bCanSync = false;
    }
    if (nDir < 0) {
        strWhy = strSystemError("cannot open directory", strDir, errno);
        return false;
    }

    // A new file gets the fixed mode; a regular file that is replaced keeps its permission
    // bits, not its set-id bits; a link is replaced, and what it points to is not looked at.
    mode_t nMode = NEW_FILE_MODE;
    struct stat old {};
    if (fstatat(nDir, strName.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISREG(old.st_mode)) {
            nMode = old.st_mode & 0777;
        } else if (!S_ISLNK(old.st_mode)) {
            strWhy = strPath + " is " + pszKindOf(old.st_mode) + ", not a regular file; it is not replaced";
            close(nDir);
            return false;
        }
    } else if (errno != ENOENT) {
        strWhy = strSystemError("cannot examine", strPath, errno);
        close(nDir);
        return false;
    }

    vRemoveStaleTemporaries(nDir, strName);
    std::string strTemporary;
    const int nFd = nCreateTemporary(nDir, strName, strTemporary);
    if (nFd < 0) {
        strWhy = strSystemError("cannot create a file in", strDir, errno);
        close(nDir);
        return false;
    }
    bool bOk = fchmod(nFd, nMode) == 0 && bWriteAll(nFd, strText) && fsync(nFd) == 0;
    if (!bOk) strWhy = strSystemError("cannot write", strPath, errno);
    if (close(nFd) != 0 && bOk) {
        bOk = false;
        strWhy = strSystemError("cannot write", strPath, errno);
    }
    if (bOk && renameat(nDir, strTemporary.c_str(), nDir, strName.c_str()) != 0) {
        bOk = false;
        strWhy = strSystemError("cannot replace", strPath, errno);
    }
    if (!bOk) {
        unlinkat(nDir, strTemporary.c_str(), 0);
        close(nDir);
        return false;
    }
    // The rename itself reaches the disk with the directory.
    if (bCanSync) fsync(nDir);
    close(nDir);
    return true;
}

bool bReadTextFile(const std::string& strPath, std::string& strText, std::string& strWhy, size_t nLimit)
{
    strText.clear();
    strWhy.clear();
    // Looked at before it is opened, so that a device node is not even opened; the file that
    // was opened is checked again below.
    struct stat st {};
    if (lstat(strPath.c_str(), &st) != 0) {
        if (errno != ENOENT) strWhy = strSystemError("cannot read", strPath, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        strWhy = strPath + " is " + pszKindOf(st.st_mode) + ", not a regular file";
        return false;
    }
    // O_NONBLOCK: a FIFO put there in the meantime does not hold the open.
    const int nFd = open(strPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (nFd < 0) {
        if (errno == ENOENT) return false;
        strWhy = errno == ELOOP ? strPath + " is a symbolic link, not a regular file"
                                : strSystemError("cannot read", strPath, errno);
        return false;
    }
    bool bOk = fstat(nFd, &st) == 0;
    if (!bOk) strWhy = strSystemError("cannot examine", strPath, errno);
    else if (!S_ISREG(st.st_mode)) {
        strWhy = strPath + " is " + pszKindOf(st.st_mode) + ", not a regular file";
        bOk = false;
    } else if (!bTrustedForRoot(st, strPath, strWhy)) {
        bOk = false;
    } else if (static_cast<unsigned long long>(st.st_size) > nLimit) {
        strWhy = strTooLarge(strPath, nLimit);
        bOk = false;
    }
    // Read to one byte past the limit: a file that grew past it is refused as well.
    char abBuffer[4096];
    while (bOk && strText.size() <= nLimit) {
        const ssize_t n = read(nFd, abBuffer, sizeof(abBuffer));
        if (n < 0) {
            if (errno == EINTR) continue;
            strWhy = strSystemError("cannot read", strPath, errno);
            bOk = false;
            break;
        }
        if (n == 0) break;
        strText.append(abBuffer, static_cast<size_t>(n));
    }
    close(nFd);
    if (bOk && strText.size() > nLimit) {
        strWhy = strTooLarge(strPath, nLimit);
        bOk = false;
    }
    if (!bOk) strText.clear();
    return bOk;
}

bool bReadTextFile(const std::string& strPath, std::string& strText, size_t nLimit)
{
    std::string strWhy;
    return bReadTextFile(strPath, strText, strWhy, nLimit);
}

bool bFileExists(const std::string& strPath)
{
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace app
