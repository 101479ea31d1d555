// The Winbond W83194BG-SD and W83195BG-101.
#include "pll/smbus/WinbondChips.h"

#include "pll/smbus/ICSRecords.h"

namespace {

// Both keep M in register 8 and N bits 7..0 in register 9; the PLL takes writes once bit 7
// of register 13 is set, and bit 6 of register 0 is set with every new FSB.
const ENABLE_BIT g_WinbondEnable = {13, 0x80, 13, 0x80, false};

const MN_CHIP_MODEL g_W83194 = {
    {14, 0, -1, false},
    {{8, 9, MN_M7_N9, -1}, 0, {32, 1, 4.0f, 500.0f}},
    ics::OWN, g_WinbondEnable, 0, 0x40,
    false, ics::NO_PLL, 100.0f, 400.0f, -1.0f, -1.0f, GSB_AGP, false,
};

// N bit 10 sits in bit 6 of register 13.
const MN_CHIP_MODEL g_W83195 = {
    {14, 0, -1, false},
    {{8, 9, MN_M6_N10, 13}, 0, {32, 1, 4.0f, 500.0f}},
    ics::MEASURED, g_WinbondEnable, 0, 0x40,
    false, ics::NO_PLL, 100.0f, 400.0f, -1.0f, -1.0f, GSB_PCIE, false,
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
