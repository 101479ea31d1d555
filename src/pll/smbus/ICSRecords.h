#pragma once
// Pieces the ICS model records share, and the model-record helpers of their drivers.
#include "pll/smbus/MNPLLChip.h"

namespace ics {

// M in bits 5..0 of register 11, N bits 8 and 9 in its bits 7 and 6, N bits 7..0 in 12;
// VCO = 14.31818 × (N + 8) / (M + 2), searched from M = 16.
constexpr MN_PLL CPU_M6_N10 = {{11, 12, MN_M6_N10, -1}, 2, {18, 2, 8.0f, 1000.0f}};
// The same layout for the second PLL, with its lower ceiling.
constexpr MN_PLL GSBPLL(uint8_t nMRegister, uint8_t nNRegister)
{
    return {{nMRegister, nNRegister, MN_M6_N10, -1}, 2, {18, 2, 8.0f, 509.0f}};
}
constexpr MN_PLL NO_PLL = {{0, 0, MN_M6_N10, -1}, 0, {0, 0, 0.0f, 0.0f}};

constexpr ENABLE_BIT ENABLE_REG10_BIT7 = {10, 0x80, 10, 0x80, false};
constexpr DIVIDER_FIELD MEASURED = {DIV_MEASURED, 0, 0};
constexpr DIVIDER_FIELD OWN = {DIV_OWN, 0, 0};

// Fixed clocks and halves that keep "unknown" unknown.
inline float fHalf(float f) { return f > 0 ? f * 0.5f : -1.0f; }
inline float fTwice(float f) { return f > 0 ? f * 2.0f : -1.0f; }

// Bits of a register.
inline bool bBit(const uint8_t* pRegisters, int nRegister, int nBit) { return (pRegisters[nRegister] >> nBit) & 1; }

}  // namespace ics
