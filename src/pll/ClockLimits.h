// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a clock generator model lets the user do: the range of the FSB and of the second bus
// clock, what that second clock is, and which of the two the driver can set. Each model keeps
// one such record and its constructor puts it into the driver with vApplyLimits.
#include <cstdint>

#include "pll/ClockGenerator.h"

struct CLOCK_LIMITS {
    // MHz; -1 where the model sets no limit (a clock it cannot set, or a preset chip).
    float fFSBMin = -1.0f;
    float fFSBMax = -1.0f;
    float fGSBMin = -1.0f;
    float fGSBMax = -1.0f;
    int32_t nGSBType = GSB_NONE;  // GSB_AGP or GSB_PCIE: what the second bus clock is
    bool bFSBAdjustable = false;  // any FSB between the limits can be set
    bool bGSBAdjustable = false;  // bSetGSB sets the second bus clock
};

// The record into the driver's m_Min, m_Max, m_nGSBType, m_bFSBAdjustable and m_bGSBAdjustable
// (the other clocks of m_Min and m_Max stay unknown).
void vApplyLimits(CClockGenerator& generator, const CLOCK_LIMITS& limits);
