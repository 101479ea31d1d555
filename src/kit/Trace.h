#pragma once
// The trace sink. The driver service and the dump operations describe what they do in trace
// lines; the sink discards them unless tracing was switched on (the CLI's --trace or the
// environment variable PENDULON_TRACE=1), in which case they go to stderr.
#include <cstdarg>

// A printf-style trace function, the type of ORVEXSDK::m_pTrace.
using PFN_TRACE = int (*)(const char* pszFormat, ...);

namespace kit {

// The driver's debug trace: formatted only when tracing is on.
int DebugTrace(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
void SetTraceEnabled(bool bEnabled);
bool bTraceEnabled();
// Switches tracing on when PENDULON_TRACE=1 is in the environment.
void InitTraceFromEnvironment();

}  // namespace kit
