// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/SystemTimers.h"

#include "platform/Clock.h"

double CWin32SystemTimer::Read() { return double(uint32_t(platform::timeGetTime())); }

CWin32PerformanceTimer::CWin32PerformanceTimer() : CTimer(-1.0, 0.0)
{
    // A counter without a frequency cannot be used as a time base.
    const uint64_t qwFrequency = platform::QueryPerformanceFrequency();
    if (qwFrequency) m_dFrequency = double(qwFrequency);
}

double CWin32PerformanceTimer::Read()
{
    const uint64_t qwCount = platform::QueryPerformanceCounter();
    const uint32_t dwHigh = uint32_t(qwCount >> 32), dwLow = uint32_t(qwCount);
    return double(dwHigh) * 4294967296.0 + double(dwLow);
}
