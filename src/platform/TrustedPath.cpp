// SPDX-License-Identifier: GPL-2.0-or-later
// Whether root can trust a directory path. Root reads its settings and profiles from the work
// directory by path, and the boot unit applies the profile it finds there; if another user
// could rename a directory on the way, or replace a link on it, that user could put a profile
// of their own in its place. So, as sshd does for its StrictModes, every directory the path
// goes through must be root's and closed to group and others, checked on the directory as
// opened without following a link.
#include "platform/TrustedPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::detail {

namespace {

// Where a resolved path failed the test, and how.
struct Fault {
    std::string strDir;
    std::string strWhat;
};

std::string strMode(mode_t nMode)
{
    char szMode[8];
    std::snprintf(szMode, sizeof(szMode), "%04o", unsigned(nMode & 07777));
    return szMode;
}

// Empty when root may use the directory; else what is wrong with it. bItself: the directory
// itself, not one above it.
std::string strUntrusted(const struct stat& st, bool bItself)
{
    if (!S_ISDIR(st.st_mode)) return "is not a directory";
    if (st.st_uid != 0) return "belongs to uid " + std::to_string(st.st_uid);
    if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        // Others may write a directory above with the sticky bit (/tmp): there nobody but
        // root and the owner of an entry can rename or remove it, so root's entries stay.
        if (!bItself && (st.st_mode & S_ISVTX)) return "";
        return "can be written by group or others (mode " + strMode(st.st_mode) + ")";
    }
    return "";
}

// strResolved is absolute and has no symbolic link in it (realpath gave it). Walked from "/"
// without following links, so that each directory checked is the one the next is found in.
bool bTrustedResolved(const std::string& strResolved, bool bItself, Fault& fault)
{
    int nFd = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::string strSoFar = "/";
    size_t nStart = 1;
    for (;;) {
        if (nFd < 0) {
            fault = {strSoFar, std::string("cannot be opened: ") + std::strerror(errno)};
            return false;
        }
        while (nStart < strResolved.size() && strResolved[nStart] == '/') ++nStart;
        const bool bLast = nStart >= strResolved.size();
        struct stat st {};
        if (fstat(nFd, &st) != 0) {
            fault = {strSoFar, std::string("cannot be examined: ") + std::strerror(errno)};
            close(nFd);
            return false;
        }
        const std::string strWhat = strUntrusted(st, bItself && bLast);
        if (!strWhat.empty()) {
            fault = {strSoFar, strWhat};
            close(nFd);
            return false;
        }
        if (bLast) break;
        size_t nEnd = strResolved.find('/', nStart);
        if (nEnd == std::string::npos) nEnd = strResolved.size();
        const std::string strPart = strResolved.substr(nStart, nEnd - nStart);
        strSoFar = strResolved.substr(0, nEnd);
        const int nNext = openat(nFd, strPart.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(nFd);
        nFd = nNext;
        nStart = nEnd;
    }
    close(nFd);
    return true;
}

}  // namespace

bool bTrustedByRoot(const std::string& strPath, bool bWhole, std::string& strError)
{
    if (strPath.empty() || strPath.front() != '/') {
        strError = "directory path is not absolute: \"" + strPath + "\"";
        return false;
    }
    // Each part of the path in turn: "/", "/a", "/a/b", ..., strPath.
    size_t nEnd = 0;
    for (;;) {
        const bool bLast = nEnd >= strPath.size();
        const std::string strPart = bLast ? strPath : nEnd == 0 ? "/" : strPath.substr(0, nEnd);
        struct stat st {};
        if (lstat(strPart.c_str(), &st) != 0) {
            if (errno == ENOENT && !bWhole) return true;  // root creates the rest
            strError = "cannot examine " + strPart + ": " + std::strerror(errno);
            return false;
        }
        if (S_ISLNK(st.st_mode) && st.st_uid != 0) {
            strError = strPath + " is reached through " + strPart + ", a symbolic link of uid " +
                       std::to_string(st.st_uid) + "; as root every link on the way must be root's";
            return false;
        }
        // What is not a directory is left to the caller to refuse, in its own words.
        struct stat target {};
        if (!bWhole && (stat(strPart.c_str(), &target) != 0 || !S_ISDIR(target.st_mode))) return true;
        char* pszResolved = realpath(strPart.c_str(), nullptr);
        if (!pszResolved) {
            strError = "cannot resolve " + strPart + ": " + std::strerror(errno);
            return false;
        }
        const std::string strResolved = pszResolved;
        std::free(pszResolved);
        Fault fault;
        if (!bTrustedResolved(strResolved, bWhole && bLast, fault)) {
            if (bLast && fault.strDir == strResolved)
                strError = strPath + " " + fault.strWhat + "; as root it must be root's and closed to group and others";
            else
                strError = strPath + " is reached through " + fault.strDir + ", which " + fault.strWhat +
                           "; as root every directory on the way must be root's and closed to group and others "
                           "(one with the sticky bit, such as /tmp, may be open to others)";
            return false;
        }
        if (bLast) return true;
        nEnd = strPath.find('/', nEnd + 1);
        if (nEnd == std::string::npos) nEnd = strPath.size();
    }
}

}  // namespace platform::detail
