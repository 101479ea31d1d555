#pragma once
// Reading and writing the program's small text files. A write goes to a temporary file in the
// same directory, is flushed to the disk and then renamed over the old file, so that a crash,
// a kill or a full disk leaves either the old file or the new one, never a half-written one.
#include <cstddef>
#include <string>

namespace app {

// Replaces strPath with strText. False with strWhy set when the file could not be written;
// the old file (if any) is then untouched and no temporary file is left behind. The file gets
// nMode when it is given (0 to 07777); otherwise a new file gets the mode an ordinary create
// would give it and a replaced file keeps its own.
bool bWriteFileAtomically(const std::string& strPath, const std::string& strText, std::string& strWhy,
                          int nMode = -1);

// The whole file, at most nLimit bytes of it. False when it cannot be opened or read.
bool bReadTextFile(const std::string& strPath, std::string& strText, size_t nLimit = 1u << 20);

// True when a regular file (or a link to one) exists at strPath.
bool bFileExists(const std::string& strPath);

}  // namespace app
