// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/PCITrace.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "kit/ORVEXSDK.h"

namespace discovery {

void vPCITrace(const char* pszFormat, ...)
{
    PFN_TRACE pTrace = ORVEXSDK::Instance()->m_pTrace;
    if (!pTrace) return;
    char szLine[512];
    va_list args;
    va_start(args, pszFormat);
    const int nLength = std::vsnprintf(szLine, sizeof szLine, pszFormat, args);
    va_end(args);
    if (nLength < 0) return;
    if (static_cast<size_t>(nLength) < sizeof szLine) {
        pTrace("%s", szLine);
        return;
    }
    std::vector<char> longLine(static_cast<size_t>(nLength) + 1);
    va_start(args, pszFormat);
    std::vsnprintf(longLine.data(), longLine.size(), pszFormat, args);
    va_end(args);
    pTrace("%s", longLine.data());
}

void vPCITraceBytes(const uint8_t* pbData, uint32_t nCount)
{
    if (!pbData) return;
    for (uint32_t i = 0; i < nCount; ++i) {
        vPCITrace("%02X ", pbData[i]);
        if (i % 16 == 15 || i + 1 == nCount) vPCITrace("\n");
    }
}

}  // namespace discovery
