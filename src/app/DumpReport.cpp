// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/DumpReport.h"

#include <cstdio>

#include "app/AtomicFile.h"

namespace app {

namespace {

constexpr int32_t MAX_REGISTERS = 256;

}  // namespace

std::string strDumpReport(const std::string& strVersion, const uint8_t* pBytes, int32_t nCount)
{
    if (nCount > MAX_REGISTERS) nCount = MAX_REGISTERS;
    if (!pBytes) nCount = 0;
    std::string strText = "[Pendulon " + strVersion + "]\n";
    char szPiece[16];
    for (int32_t i = 0; i < nCount; ++i) {
        std::snprintf(szPiece, sizeof(szPiece), "%02d ", int(i));
        strText += szPiece;
    }
    strText += "\n";
    for (int32_t i = 0; i < nCount; ++i) {
        std::snprintf(szPiece, sizeof(szPiece), "%02X ", pBytes[i]);
        strText += szPiece;
    }
    return strText;
}

bool bSaveDumpReport(const std::string& strPath, const std::string& strVersion, const uint8_t* pBytes,
                     int32_t nCount, std::string& strWhy)
{
    return bWriteFileAtomically(strPath, strDumpReport(strVersion, pBytes, nCount), strWhy);
}

}  // namespace app
