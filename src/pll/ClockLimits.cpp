// SPDX-License-Identifier: GPL-2.0-or-later
// A model's limits record into its driver.
#include "pll/ClockLimits.h"

void vApplyLimits(CClockGenerator& generator, const CLOCK_LIMITS& limits)
{
    generator.m_Min.m_fFSB = limits.fFSBMin;
    generator.m_Max.m_fFSB = limits.fFSBMax;
    generator.m_Min.m_fGSB = limits.fGSBMin;
    generator.m_Max.m_fGSB = limits.fGSBMax;
    generator.m_nGSBType = limits.nGSBType;
    generator.m_bFSBAdjustable = limits.bFSBAdjustable ? 1 : 0;
    generator.m_bGSBAdjustable = limits.bGSBAdjustable ? 1 : 0;
}
