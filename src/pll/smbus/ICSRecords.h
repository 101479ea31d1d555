// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Pieces the ICS model records share, and the model-record helpers of their drivers.
#include "pll/smbus/MNPLLChip.h"

namespace ics {

// M in bits 5..0 of register 11, N bits 8 and 9 in its bits 7 and 6, N bits 7..0 in 12;
// VCO = 14.31818 × (N + 8) / (M + 2), searched from M = 16 down to M = 0.
constexpr MN_PLL CPU_M6_N10 = {
    .Fields = {.nMRegister = 11, .nNRegister = 12, .eLayout = MN_M6_N10},
    .nMOffset = 2,
    .Search = {.nStartDivisor = 18, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 1000.0f},
};
// The same layout for the second PLL, with its lower ceiling.
constexpr MN_PLL GSBPLL(uint8_t nMRegister, uint8_t nNRegister)
{
    return {
        .Fields = {.nMRegister = nMRegister, .nNRegister = nNRegister, .eLayout = MN_M6_N10},
        .nMOffset = 2,
        .Search = {.nStartDivisor = 18, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 509.0f},
    };
}

// Bit 7 of register 10 enables the PLL registers.
constexpr ENABLE_BIT ENABLE_REG10_BIT7 = {
    .nStateRegister = 10, .bStateMask = 0x80, .nSetRegister = 10, .bSetMask = 0x80};
constexpr DIVIDER_FIELD MEASURED = {.nTable = DIV_MEASURED, .nRegister = 0, .nShift = 0};
constexpr DIVIDER_FIELD OWN = {.nTable = DIV_OWN, .nRegister = 0, .nShift = 0};

// Fixed clocks and halves that keep "unknown" unknown.
inline float fHalf(float f) { return f > 0 ? f * 0.5f : -1.0f; }
inline float fTwice(float f) { return f > 0 ? f * 2.0f : -1.0f; }

// Bits of a register.
inline bool bBit(const uint8_t* pRegisters, int nRegister, int nBit) { return (pRegisters[nRegister] >> nBit) & 1; }

}  // namespace ics
