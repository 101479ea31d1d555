// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where settings and profiles live: $PENDULON_WORKDIR if set; else /var/lib/pendulon/ for
// root and ${XDG_STATE_HOME:-~/.local/state}/pendulon/ for other users. The directory is
// created with mode 0700 when missing (missing directories above it too) and the path ends
// with a slash. A relative $PENDULON_WORKDIR is made absolute against the current directory;
// a relative $XDG_STATE_HOME is ignored. Refused: a path that is a symbolic link or not a
// directory, and a default location that belongs to another user. As root, wherever it is:
// a directory that is not root's or that group or others may write, and one reached through
// such a directory or through a symbolic link of another user (a directory above it with the
// sticky bit, such as /tmp, may be writable by others).
//
// strSubdirectory (relative, components separated by '/', none of them empty, "." or "..")
// names a directory below the work directory that is used instead, created in the same way:
// a simulated board keeps its files in one of its own.
#include <string>

namespace platform {

// False when the directory cannot be found or created; strError then says why.
bool bGetWorkDirectory(std::string& strPath, std::string& strError, const std::string& strSubdirectory = {});

}  // namespace platform
