// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The search for PLL dividers shared by every clock chip with an M/N PLL: start from the
// largest divisor of the reference, and lower it until the multiplier fits under the chip's
// ceiling. All arithmetic is in 32-bit floats, as the chips' own tables are.
#include <cstdint>

struct PLL_SEARCH {
    int32_t nStartDivisor;  // D0: the divisor of the reference to try first (e.g. M + 2 = 18)
    int32_t nMinDivisor;    // the smallest divisor the chip accepts (e.g. 2 when D = M + 2)
    float fOffset;          // the chip adds this to N (N + 8 on the ICS parts)
    float fCeiling;         // the largest N' the PLL accepts
};

struct PLL_SETTING {
    int32_t nDivisor;  // D; the chip's M follows from it
    int32_t nN;        // truncate(N' + 0.5)
};

// Clamps f to [fMin, fMax]; a bound that is not > 0 does not limit.
float fClampClock(float f, float fMin, float fMax);

// SMBus chips: N' = VCO / (reference / D) - offset. False (nothing found) when no divisor down
// to the minimum keeps N' under the ceiling.
bool bSearchPLL(float fVCO, float fReference, const PLL_SEARCH& search, PLL_SETTING& result);

// Chipset PLLs: N' = f × D / R, the divisor being the PLL's M.
bool bSearchChipsetPLL(float f, float fReference, const PLL_SEARCH& search, PLL_SETTING& result);
