// SPDX-License-Identifier: GPL-2.0-or-later
// The Cypress CY28346 and CY28551.
#include "pll/smbus/CypressChips.h"

#include "pll/PLLSearch.h"

namespace {

// Neither repairs its block.
constexpr CHIP_READ g_CY28346Read = {.nMinimum = 10};
constexpr CHIP_READ g_CY28551Read = {.nMinimum = 19};

// N = f × M / reference: M from 30 down to 1 until N fits 126.
constexpr PLL_SEARCH g_CY28346Search = {.nStartDivisor = 30, .nMinDivisor = 1, .fOffset = 0.0f, .fCeiling = 126.0f};
// M from 110 down until N fits 510. M = 0 would divide by zero: 1 is the last tried.
constexpr PLL_SEARCH g_CY28551Search = {.nStartDivisor = 110, .nMinDivisor = 1, .fOffset = 0.0f, .fCeiling = 510.0f};

// The CY28346's AGP clock is a fixed fraction of the FSB.
constexpr CLOCK_LIMITS g_CY28346Limits = {
    .fFSBMin = 66.67f, .fFSBMax = 300.0f, .nGSBType = GSB_AGP, .bFSBAdjustable = true};
constexpr CLOCK_LIMITS g_CY28551Limits = {.fFSBMin = 100.0f,
                                          .fFSBMax = 700.0f,
                                          .fGSBMin = 50.0f,
                                          .fGSBMax = 200.0f,
                                          .nGSBType = GSB_PCIE,
                                          .bFSBAdjustable = true,
                                          .bGSBAdjustable = true};

const uint32_t CY28346_WRITE_MS = 100;

}  // namespace

// CY28346: N = register 8, M = register 9 >> 1; the reference by bits 1..0 of register 0,
// the AGP divider by bits 2..0.
CY28346_ClockGenerator::CY28346_ClockGenerator()
    : CSMBusChipGenerator(0x04283460, g_CY28346Read, g_CY28346Limits)
{
}

void CY28346_ClockGenerator::vDecode()
{
    static const float afReference[4] = {32.005333f, 48.008f, 96.016f, 64.010666f};
    static const float afAGPDivider[4] = {1.0f, 1.5f, 3.0f, 2.0f};
    const uint8_t* r = m_abRegisters;
    m_nN = r[8];
    m_nM = r[9] >> 1;
    m_fReference = afReference[r[0] & 3];
    m_fAGPDivider = afAGPDivider[r[0] & 3];
}

void CY28346_ClockGenerator::vFill(CFrequencySet& set)
{
    // Without dividers in the chip the FSB is what the processor measures.
    if (m_nM == 0 || m_nN == 0)
        set.m_fFSB = fMeasuredBusClock();
    else
        set.m_fFSB = fDivideClock(m_fReference * float(m_nN), float(m_nM));
    if (!m_bGSBEnabled) return;
    set.m_fGSB = fDivideClock(set.m_fFSB, m_fAGPDivider);
    set.m_fPCI = set.m_fGSB > 0 ? set.m_fGSB * 0.5f : -1.0f;
}

bool CY28346_ClockGenerator::bSearchFSB(float fFSB)
{
    PLL_SETTING setting{};
    float f = fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB);
    if (!bSearchChipsetPLL(f, m_fReference, g_CY28346Search, setting) || setting.nN < 1) return false;
    m_nM = setting.nDivisor;
    m_nN = setting.nN;
    return true;
}

void CY28346_ClockGenerator::vEncodeFSB()
{
    m_abRegisters[8] = uint8_t(m_nN);
    m_abRegisters[9] = uint8_t(2 * m_nM);
}

uint32_t CY28346_ClockGenerator::bSetFSB(float fFSB)
{
    if (!bSearchFSB(fFSB)) return 0;
    vEncodeFSB();
    bWriteRegisters(CY28346_WRITE_MS);
    m_abRegisters[9] |= 1;
    return bWriteRegisters(CY28346_WRITE_MS);
}

// CY28551: FSB = N × reference / M with N = register 14 + 256 × bit 7 of register 15 and
// M = bits 6..0 of register 15; PCI-E = N2 / 2 with N2 = register 16 + 256 × bit 7 of
// register 18. Bits 2 and 3 of register 18 open the FSB and PCI-E dividers.
CY28551_ClockGenerator::CY28551_ClockGenerator()
    : CSMBusChipGenerator(0x04285510, g_CY28551Read, g_CY28551Limits)
{
}

void CY28551_ClockGenerator::vDecode()
{
    static const float afReference[16] = {80.0f, 40.0f, 60.0f, 60.0f, 120.0f, 30.0f, 120.0f, 60.0f,
                                          80.0f, 40.0f, 60.0f, 60.0f, 120.0f, 30.0f, 120.0f, 60.0f};
    const uint8_t* r = m_abRegisters;
    m_fReference = afReference[r[4] & 15];
    m_nN = r[14] + 256 * (r[15] >> 7);
    m_nM = r[15] & 0x7F;
    m_nGSBN = r[16] + 256 * (r[18] >> 7);
    m_bFSBEnabled = (r[18] >> 2) & 1;
    m_bGSBEnabledBit = (r[18] >> 3) & 1;
}

void CY28551_ClockGenerator::vFill(CFrequencySet& set)
{
    set.m_fFSB = fDivideClock(float(m_nN) * m_fReference, float(m_nM));
    if (!m_bGSBEnabled) return;
    set.m_fGSB = m_nGSBN > 0 ? float(m_nGSBN) * 30.0f / 60.0f : -1.0f;
    set.m_fPCI = fDivideClock(set.m_fGSB, 3.0f);
}

bool CY28551_ClockGenerator::bSearchFSB(float fFSB)
{
    PLL_SETTING setting{};
    float f = fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB);
    if (!bSearchChipsetPLL(f, m_fReference, g_CY28551Search, setting) || setting.nN < 1) return false;
    m_nM = setting.nDivisor;
    m_nN = setting.nN;
    return true;
}

bool CY28551_ClockGenerator::bSearchGSB(float fGSB)
{
    int32_t nN = int32_t(fClampClock(fGSB, m_Min.m_fGSB, m_Max.m_fGSB) / 0.5f + 0.5f);
    if (nN > 510) return false;
    m_nGSBN = nN;
    return true;
}

void CY28551_ClockGenerator::vEncodeFSB()
{
    if (!m_bFSBEnabled) m_abRegisters[18] |= 0x04;
    m_abRegisters[14] = uint8_t(m_nN & 0xFF);
    m_abRegisters[15] = uint8_t((m_nM & 0x7F) | (((m_nN >> 8) & 1) << 7));
}

void CY28551_ClockGenerator::vEncodeGSB()
{
    if (!m_bGSBEnabledBit) m_abRegisters[18] |= 0x08;
    m_abRegisters[16] = uint8_t(m_nGSBN & 0xFF);
    m_abRegisters[18] = uint8_t((m_abRegisters[18] & 0x7F) | (((m_nGSBN >> 8) & 1) << 7));
}
