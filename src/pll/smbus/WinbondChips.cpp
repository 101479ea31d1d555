// SPDX-License-Identifier: GPL-2.0-or-later
// The Winbond W83194BG-SD and W83195BG-101.
#include "pll/smbus/WinbondChips.h"

#include "pll/smbus/ICSRecords.h"

namespace {

// Both keep M in register 8 and N bits 7..0 in register 9; the PLL takes writes once bit 7
// of register 13 is set, and bit 6 of register 0 is set with every new FSB. Neither repairs
// its block: at least 14 bytes must come. VCO = 14.31818 × (N + 4) / M, searched from M = 32.
constexpr ENABLE_BIT g_WinbondEnable = {.nStateRegister = 13, .bStateMask = 0x80, .nSetRegister = 13, .bSetMask = 0x80};
constexpr CHIP_READ g_WinbondRead = {.nMinimum = 14};
constexpr STROBE_BIT g_WinbondStrobe = {.nRegister = 0, .bMask = 0x40};
constexpr PLL_SEARCH g_WinbondSearch = {.nStartDivisor = 32, .nMinDivisor = 1, .fOffset = 4.0f, .fCeiling = 500.0f};

// The W83194BG-SD's AGP clock follows the VCO or a fixed source; it is not set.
const MN_CHIP_MODEL g_W83194 = {
    .Read = g_WinbondRead,
    .CPUPLL = {.Fields = {.nMRegister = 8, .nNRegister = 9, .eLayout = MN_M7_N9},
               .nMOffset = 0,
               .Search = g_WinbondSearch},
    .CPUDivider = ics::OWN,
    .Enable = g_WinbondEnable,
    .Strobe = g_WinbondStrobe,
    .Limits = {.fFSBMin = 100.0f, .fFSBMax = 400.0f, .nGSBType = GSB_AGP, .bFSBAdjustable = true},
};

// N bit 10 sits in bit 6 of register 13. The PCI-E clock is a fixed 100 MHz.
const MN_CHIP_MODEL g_W83195 = {
    .Read = g_WinbondRead,
    .CPUPLL = {.Fields = {.nMRegister = 8, .nNRegister = 9, .eLayout = MN_M6_N10, .nNBit10Register = 13},
               .nMOffset = 0,
               .Search = g_WinbondSearch},
    .CPUDivider = ics::MEASURED,
    .Enable = g_WinbondEnable,
    .Strobe = g_WinbondStrobe,
    .Limits = {.fFSBMin = 100.0f, .fFSBMax = 400.0f, .nGSBType = GSB_PCIE, .bFSBAdjustable = true},
};

}  // namespace

W83194BGSD_ClockGenerator::W83194BGSD_ClockGenerator() : CMNPLLClockGenerator(0x20831940, g_W83194) {}

void W83194BGSD_ClockGenerator::vDecodeModel()
{
    static const int32_t anCPU[4] = {2, 3, 4, 5};
    static const int32_t anAGP[8] = {5, 6, 7, 8, 10, 12, 12, 12};
    m_nCPUDivider = anCPU[m_abRegisters[12] & 3];
    m_nGSBDivider = anAGP[(m_abRegisters[12] >> 4) & 7];
}

void W83194BGSD_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    static const float afFixed[4] = {66.67f, 72.1f, 79.9f, 68.7f};
    int nSource = m_abRegisters[4] & 3;
    if (nSource == 1 || nSource == 2)
        set.m_fGSB = afFixed[m_abRegisters[7] & 3];
    else
        set.m_fGSB = fDivideClock(m_fCPUVCO, float(m_nGSBDivider));
    set.m_fPCI = ics::fHalf(set.m_fGSB);
}

uint32_t W83194BGSD_ClockGenerator::bSetGSB(float)
{
    return bWriteRegisters(CHIP_SETTLE_MS);
}

W83195BG101_ClockGenerator::W83195BG101_ClockGenerator() : CMNPLLClockGenerator(0x20831950, g_W83195) {}

void W83195BG101_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = 100.0f;
    set.m_fPCI = 33.333332f;
}
