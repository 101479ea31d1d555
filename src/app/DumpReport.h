// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The dump report of a clock chip's register image ("dump.txt" by default): a header with the
// program's version, the register numbers in decimal on one line, then the register bytes in
// hexadecimal, the last line without a line end.
#include <cstdint>
#include <string>

namespace app {

inline constexpr const char* DUMP_REPORT_DEFAULT_NAME = "dump.txt";

// For example "[Pendulon 1.0.5.3]\n00 01 02 \n41 0F C2 ". A count of 0 or less gives the
// header and an empty number line; a count above 256 is taken as 256.
std::string strDumpReport(const std::string& strVersion, const uint8_t* pBytes, int32_t nCount);

// Writes the report to strPath (replacing the file as a whole). False with strWhy set.
bool bSaveDumpReport(const std::string& strPath, const std::string& strVersion, const uint8_t* pBytes,
                     int32_t nCount, std::string& strWhy);

}  // namespace app
