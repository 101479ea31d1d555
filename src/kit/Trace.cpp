// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kit {

namespace detail {
std::atomic<bool> g_bTraceEnabled{false};
}

namespace {
std::atomic<PFN_TRACE_OUTPUT> s_pOutput{nullptr};
}

int DebugTrace(const char* pszFormat, ...)
{
    if (!bTraceEnabled()) return 0;
    va_list args;
    va_start(args, pszFormat);
    const PFN_TRACE_OUTPUT pOutput = s_pOutput.load();
    if (!pOutput) {
        const int nWritten = std::vfprintf(stderr, pszFormat, args);
        va_end(args);
        return nWritten;
    }
    char szLine[512];
    va_list again;
    va_copy(again, args);
    const int nLength = std::vsnprintf(szLine, sizeof szLine, pszFormat, args);
    va_end(args);
    if (nLength >= 0 && static_cast<size_t>(nLength) < sizeof szLine) {
        pOutput(szLine);
    } else if (nLength > 0) {
        std::vector<char> longLine(static_cast<size_t>(nLength) + 1);
        std::vsnprintf(longLine.data(), longLine.size(), pszFormat, again);
        pOutput(longLine.data());
    }
    va_end(again);
    return nLength;
}

void SetTraceEnabled(bool bEnabled) { detail::g_bTraceEnabled = bEnabled; }

void InitTraceFromEnvironment()
{
    const char* psz = std::getenv("PENDULON_TRACE");
    if (psz && std::strcmp(psz, "1") == 0) SetTraceEnabled(true);
}

PFN_TRACE_OUTPUT SetTraceOutput(PFN_TRACE_OUTPUT pOutput) { return s_pOutput.exchange(pOutput); }

}  // namespace kit
