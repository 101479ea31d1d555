// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Inside the platform layer only: makes sure a directory the program keeps its own files in
// exists and can be trusted, for the work directory and the runtime directory.
#include <string>

namespace platform::detail {

struct DirectoryRules {
    bool bCreateParents;  // create missing directories above it too (mode 0700)
    bool bOwnedByUser;    // refuse it when it belongs to another user
    bool bPrivateMode;    // refuse it unless its mode is exactly 0700
    // As root: refuse it unless it is root's and closed to group and others, and so is every
    // directory it is reached through and every symbolic link on the way (a directory above
    // it with the sticky bit, such as /tmp, may be open to others). Checked before anything
    // is created, and again once it exists.
    bool bTrustedForRoot = false;
};

// strPath is absolute, without a trailing slash. Creates the directory with mode 0700 when
// missing; refuses a path that is a symbolic link or not a directory, and whatever the rules
// ask for. False with strError set when it cannot be used.
bool bEnsureDirectory(const std::string& strPath, const DirectoryRules& rules,
                      std::string& strError);

// The path without its trailing slashes ("/" stays "/").
std::string strWithoutTrailingSlashes(std::string strPath);

// strDir + "/" + strName, with no doubled slash.
std::string strJoin(const std::string& strDir, const std::string& strName);

}  // namespace platform::detail
