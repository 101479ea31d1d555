// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The counters inside the processor: the time-stamp counter and a performance counter read
// from a model-specific register. Both count at a rate that Calibrate finds out.
#include "kit/Timer.h"

class MSR_Register;

// RDTSC on the processor the calling thread is pinned to.
class CTSCCounter : public CTimer {
public:
    CTSCCounter() : CTimer(-1.0, 0.0) {}
    double Read() override;
};

// A counter held in an MSR (such as APERF, 0xE8). The register object belongs to whoever
// made it (the processor's list of MSRs); the counter only reads it.
class CPRFCounter : public CTimer {
public:
    explicit CPRFCounter(MSR_Register* pMSR) : CTimer(-1.0, 0.0), m_pMSR(pMSR) {}
    // -1.0 without a register or when the read fails.
    double Read() override;

    MSR_Register* m_pMSR;
};
