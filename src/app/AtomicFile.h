// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading and writing the program's small text files. A write goes to a temporary file in the
// same directory, is flushed to the disk and then renamed over the old file, so that a crash,
// a kill or a full disk leaves either the old file or the new one, never a half-written one.
//
// The program runs as root, so neither side trusts what it finds at the path: a write never
// replaces a device node, FIFO, socket or directory and never writes through a symbolic link;
// a read never opens anything but a regular file, never waits on a FIFO and never takes in a
// file larger than its limit (a profile read in part would apply half of itself).
#include <cstddef>
#include <string>

namespace app {

// What a file the program creates gets, whatever the umask: readable by all, written by its
// owner. A regular file that is replaced keeps its own permission bits (not set-id bits).
inline constexpr unsigned NEW_FILE_MODE = 0644;
// The most a settings file, profile or other text file of the program may hold.
inline constexpr size_t MAX_TEXT_FILE_BYTES = size_t(1) << 20;

// Replaces strPath with strText. False with strWhy set when the file could not be written;
// the old file (if any) is then untouched and no temporary file is left behind. Refused: a
// path whose last part is a directory, device node, FIFO or socket. A symbolic link there is
// replaced by the file, its target left alone. The temporary file is "<strPath>.tmp-<pid>-XXXXXX";
// those of the same target left by a writer that was killed (its process is gone) are removed.
bool bWriteFileAtomically(const std::string& strPath, const std::string& strText, std::string& strWhy);

// The whole file. False when it is missing (strWhy then empty) and when it is refused or
// cannot be read (strWhy says why, naming the file): anything but a regular file (a symbolic
// link too), a file of more than nLimit bytes and, for root, a file that another user owns or
// may write (it could have been planted by that user). Never blocks on a FIFO.
bool bReadTextFile(const std::string& strPath, std::string& strText, std::string& strWhy,
                   size_t nLimit = MAX_TEXT_FILE_BYTES);
// The same without the reason.
bool bReadTextFile(const std::string& strPath, std::string& strText, size_t nLimit = MAX_TEXT_FILE_BYTES);

// True when a regular file (or a link to one) exists at strPath.
bool bFileExists(const std::string& strPath);

}  // namespace app
