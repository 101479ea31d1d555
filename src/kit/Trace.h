// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The trace sink. The driver service and the dump operations describe what they do in trace
// lines; the sink discards them unless tracing was switched on (the CLI's --trace or the
// environment variable PENDULON_TRACE=1), in which case they go to stderr, or to the output
// a caller installed in its place.
#include <atomic>
#include <cstdarg>

// A printf-style trace function, the type of ORVEXSDK::m_pTrace.
using PFN_TRACE = int (*)(const char* pszFormat, ...);

namespace kit {

// Where the formatted trace text goes; null is stderr.
using PFN_TRACE_OUTPUT = void (*)(const char* pszText);

namespace detail {
extern std::atomic<bool> g_bTraceEnabled;
}

// The driver's debug trace: formatted only when tracing is on.
int DebugTrace(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
void SetTraceEnabled(bool bEnabled);
// One flag test: the hardware paths ask it before they build a trace line.
inline bool bTraceEnabled() { return detail::g_bTraceEnabled.load(std::memory_order_relaxed); }
// Switches tracing on when PENDULON_TRACE=1 is in the environment.
void InitTraceFromEnvironment();
// Installs the output of the trace (null: stderr again) and gives back the one it replaces.
PFN_TRACE_OUTPUT SetTraceOutput(PFN_TRACE_OUTPUT pOutput);

}  // namespace kit
