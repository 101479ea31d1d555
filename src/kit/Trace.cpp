#include "kit/Trace.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kit {

namespace {
std::atomic<bool> s_bEnabled{false};
}

int DebugTrace(const char* pszFormat, ...)
{
    if (!s_bEnabled.load(std::memory_order_relaxed)) return 0;
    va_list args;
    va_start(args, pszFormat);
    const int nWritten = std::vfprintf(stderr, pszFormat, args);
    va_end(args);
    return nWritten;
}

void SetTraceEnabled(bool bEnabled) { s_bEnabled = bEnabled; }

bool bTraceEnabled() { return s_bEnabled; }

void InitTraceFromEnvironment()
{
    const char* psz = std::getenv("PENDULON_TRACE");
    if (psz && std::strcmp(psz, "1") == 0) SetTraceEnabled(true);
}

}  // namespace kit
