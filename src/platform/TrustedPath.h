// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Inside the platform layer only: whether root can trust a directory path, that is whether
// nobody but root can change what the path leads to.
#include <string>

namespace platform::detail {

// strPath is absolute. True when every directory it is reached through belongs to root and
// cannot be written by group or others, every symbolic link on the way belongs to root and
// what each link leads to passes the same test. A directory above with the sticky bit (such
// as /tmp) may be writable by others. With bWhole the directory strPath itself must exist,
// belong to root and be closed to group and others, sticky or not; without it, the parts of
// the path that exist are checked as directories above and the rest may be missing. False
// with strError naming the directory or link that fails.
bool bTrustedByRoot(const std::string& strPath, bool bWhole, std::string& strError);

}  // namespace platform::detail
