// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The time bases of the operating system: the millisecond system timer and the
// performance counter.
#include "kit/Timer.h"

// timeGetTime: milliseconds, a 32-bit count.
class CWin32SystemTimer : public CTimer {
public:
    CWin32SystemTimer() : CTimer(1000.0, 0.0) {}
    double Read() override;
};

// QueryPerformanceCounter at QueryPerformanceFrequency.
class CWin32PerformanceTimer : public CTimer {
public:
    CWin32PerformanceTimer();
    double Read() override;
};
