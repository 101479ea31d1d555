// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The base of the kit's timers: a counter read as a floating-point tick count, its
// frequency, and the calibration of that frequency against another timer.

#include <cstdint>

class CTimer {
public:
    CTimer(double dFrequency, double dWrap) : m_dFrequency(dFrequency), m_dWrap(dWrap) {}
    virtual ~CTimer() {}

    // Measures this timer's frequency over 5 ms of the reference; a null reference fails.
    virtual int Calibrate(CTimer* pReference);
    // The current count; -1.0 when it cannot be read.
    virtual double Read() { return -1.0; }

    double m_dFrequency;  // ticks per second; -1.0 when unknown
    double m_dWrap;       // added to a reading below an earlier one; 0 for counters that do not wrap
};

// The time spent in measurement windows so far (calibrations and the driver's clock
// measurements spin over a window of their reference), in nanoseconds of that reference. It is
// waiting the measurements need, as a sleep is: the benchmarks tell it apart from what the
// program adds.
uint64_t qwMeasurementWindowNs();
void vAddMeasurementWindow(double dSeconds);
