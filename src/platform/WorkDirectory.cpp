// SPDX-License-Identifier: GPL-2.0-or-later
// The work directory: chosen from the environment and the user, created when missing and
// refused when it is not a real directory of the user.
#include "platform/WorkDirectory.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/PrivateDirectory.h"

namespace platform {

namespace {

// An environment variable; empty when unset or set to nothing.
std::string strEnv(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != nullptr ? pszValue : "";
}

bool bAbsolute(const std::string& strPath)
{
    return !strPath.empty() && strPath.front() == '/';
}

// The user's home directory: $HOME when it is an absolute path, else the password database.
bool bHomeDirectory(std::string& strHome, std::string& strError)
{
    strHome = strEnv("HOME");
    if (bAbsolute(strHome))
        return true;
    long nSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(nSize > 0 ? static_cast<size_t>(nSize) : 16384);
    passwd pw{};
    passwd* pResult = nullptr;
    if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &pResult) == 0 &&
        pResult != nullptr && pw.pw_dir != nullptr && bAbsolute(pw.pw_dir)) {
        strHome = pw.pw_dir;
        return true;
    }
    strError = "cannot find the home directory of uid " + std::to_string(geteuid()) +
               " (set HOME or PENDULON_WORKDIR)";
    return false;
}

}  // namespace

bool bGetWorkDirectory(std::string& strPath, std::string& strError, const std::string& strSubdirectory)
{
    strError.clear();
    std::string strDir = strEnv("PENDULON_WORKDIR");
    // As root the directory must be root's and closed to others, wherever it is and whoever
    // chose it: the boot unit applies the profile found there.
    detail::DirectoryRules rules{true, true, false, true};
    if (!strDir.empty()) {
        // Chosen by the user: for a user other than root it may belong to anyone. A relative
        // path is made absolute now, since the program changes its current directory to the
        // work directory before it reads or writes a file there.
        rules.bOwnedByUser = false;
        if (!bAbsolute(strDir)) {
            std::vector<char> cwd(4096);
            while (getcwd(cwd.data(), cwd.size()) == nullptr) {
                if (errno != ERANGE || cwd.size() >= (1u << 20)) {
                    strError = "cannot make PENDULON_WORKDIR \"" + strDir +
                               "\" absolute: the current directory is unknown";
                    return false;
                }
                cwd.resize(cwd.size() * 2);
            }
            strDir = detail::strJoin(cwd.data(), strDir);
        }
    } else if (geteuid() == 0) {
        strDir = "/var/lib/pendulon";
    } else {
        // A relative XDG_STATE_HOME is not valid and is ignored, as for the other XDG paths.
        std::string strState = strEnv("XDG_STATE_HOME");
        if (!bAbsolute(strState)) {
            std::string strHome;
            if (!bHomeDirectory(strHome, strError))
                return false;
            strState = detail::strJoin(strHome, ".local/state");
        }
        strDir = detail::strJoin(strState, "pendulon");
    }

    strDir = detail::strWithoutTrailingSlashes(strDir);
    if (!detail::bEnsureDirectory(strDir, rules, strError)) {
        strError = "work directory: " + strError;
        return false;
    }
    // Below it the directories are the program's own: they must be the user's and private.
    size_t nStart = 0;
    while (nStart < strSubdirectory.size()) {
        size_t nEnd = strSubdirectory.find('/', nStart);
        if (nEnd == std::string::npos) nEnd = strSubdirectory.size();
        const std::string strPart = strSubdirectory.substr(nStart, nEnd - nStart);
        if (strPart.empty() || strPart == "." || strPart == "..") {
            strError = "invalid work subdirectory \"" + strSubdirectory + "\"";
            return false;
        }
        strDir = detail::strJoin(strDir, strPart);
        if (!detail::bEnsureDirectory(strDir, {false, true, false, true}, strError)) {
            strError = "work directory: " + strError;
            return false;
        }
        nStart = nEnd + 1;
    }
    strPath = strDir.back() == '/' ? strDir : strDir + "/";
    return true;
}

}  // namespace platform
