// SPDX-License-Identifier: GPL-2.0-or-later
// Creating and checking the program's own directories. The final check is made on the
// directory as opened without following a symbolic link, so what is checked is what is used.
#include "platform/PrivateDirectory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/TrustedPath.h"

namespace platform::detail {

namespace {

bool bIsDirectory(const std::string& strPath)
{
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string strSystemError(const char* pszWhat, const std::string& strPath, int nErrno)
{
    return std::string(pszWhat) + " " + strPath + ": " + std::strerror(nErrno);
}

// Creates the missing directories above strPath.
bool bCreateParents(const std::string& strPath, std::string& strError)
{
    for (size_t nSlash = strPath.find('/', 1); nSlash != std::string::npos;
         nSlash = strPath.find('/', nSlash + 1)) {
        const std::string strParent = strPath.substr(0, nSlash);
        if (mkdir(strParent.c_str(), 0700) == 0 || errno == EEXIST)
            continue;
        const int nErrno = errno;
        if (!bIsDirectory(strParent)) {
            strError = strSystemError("cannot create directory", strParent, nErrno);
            return false;
        }
    }
    return true;
}

}  // namespace

std::string strWithoutTrailingSlashes(std::string strPath)
{
    while (strPath.size() > 1 && strPath.back() == '/')
        strPath.pop_back();
    return strPath;
}

std::string strJoin(const std::string& strDir, const std::string& strName)
{
    std::string strBase = strWithoutTrailingSlashes(strDir);
    if (strBase == "/")
        strBase.clear();
    return strBase + "/" + strName;
}

bool bEnsureDirectory(const std::string& strPath, const DirectoryRules& rules,
                      std::string& strError)
{
    if (strPath.empty() || strPath.front() != '/') {
        strError = "directory path is not absolute: \"" + strPath + "\"";
        return false;
    }
    // As root nothing is created through a directory or link that another user controls.
    const bool bRootRules = rules.bTrustedForRoot && geteuid() == 0;
    if (bRootRules && !bTrustedByRoot(strPath, false, strError))
        return false;
    if (rules.bCreateParents && !bCreateParents(strPath, strError))
        return false;

    bool bCreated = false;
    if (mkdir(strPath.c_str(), 0700) == 0) {
        bCreated = true;
    } else if (errno != EEXIST) {
        strError = strSystemError("cannot create directory", strPath, errno);
        return false;
    }

    // O_PATH: the checks need no right to list the directory, only to find it.
    const int nFd = open(strPath.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (nFd < 0) {
        const int nErrno = errno;
        struct stat st {};
        if (lstat(strPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            strError = strPath + " is a symbolic link; a real directory is needed";
        else if (lstat(strPath.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
            strError = strPath + " exists and is not a directory";
        else
            strError = strSystemError("cannot open directory", strPath, nErrno);
        return false;
    }

    struct stat st {};
    bool bOk = fstat(nFd, &st) == 0;
    if (!bOk) {
        strError = strSystemError("cannot examine directory", strPath, errno);
    } else if (!S_ISDIR(st.st_mode)) {
        strError = strPath + " is not a directory";
        bOk = false;
    } else if (rules.bOwnedByUser && st.st_uid != geteuid()) {
        strError = strPath + " belongs to another user (uid " + std::to_string(st.st_uid) +
                   "); it must belong to uid " + std::to_string(geteuid());
        bOk = false;
    } else if (bCreated && (st.st_mode & 07777) != 0700) {
        // The umask may have taken bits away; the directory is private either way. (A handle
        // opened with O_PATH cannot change the mode; the directory was made just now.)
        if (chmod(strPath.c_str(), 0700) == 0)
            st.st_mode = (st.st_mode & ~07777u) | 0700;
    }
    if (bOk && rules.bPrivateMode && (st.st_mode & 07777) != 0700) {
        char szMode[8];
        std::snprintf(szMode, sizeof(szMode), "%04o", static_cast<unsigned>(st.st_mode & 07777));
        strError = strPath + " has mode " + szMode + "; it must have mode 0700";
        bOk = false;
    }
    close(nFd);
    return bOk && (!bRootRules || bTrustedByRoot(strPath, true, strError));
}

}  // namespace platform::detail
