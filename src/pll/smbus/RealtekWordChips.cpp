// SPDX-License-Identifier: GPL-2.0-or-later
// The Realtek RTM 862-410 and RTM 865-461: word transfers with the register OR 0x80 as
// command, and a load through register 31 after each change.
#include <cstring>

#include "platform/Clock.h"
#include "pll/smbus/RealtekChips.h"
#include "smbus/ICCommandSet.h"

namespace {

constexpr CHIP_READ g_NoBlockRead = {};
const uint32_t LOAD_WAIT_MS = 50;
const uint8_t WORD_COMMAND = 0x80;
const uint8_t REG_LOAD = 31;

// 862-410 CPU PLL: VCO = 6.25 × (N + 64) / (M + 2), the same as 300 × 2 × (N / 32 + 2) /
// ((M + 2) × 3); searched from M = 23 while N stays under 16000.
const PLL_SEARCH g_862Search = {.nStartDivisor = 25, .nMinDivisor = 2, .fOffset = 64.0f, .fCeiling = 16000.0f};
const float REFERENCE_862 = 6.25f;
// Its second PLL: VCO2 = 14.31818 × (N2 + 2) / (M2 + 2), from M2 = 19 while N2 <= 1000.
const PLL_SEARCH g_862Search2 = {.nStartDivisor = 21, .nMinDivisor = 2, .fOffset = 2.0f, .fCeiling = 1000.0f};
const float CRYSTAL = 14.31818f;
const int32_t GSB_FROM_VCO2_DIVIDER = 3;

// Both set the FSB from 100 to 500 MHz and the PCI-E clock from 50 to 200 MHz.
constexpr CLOCK_LIMITS g_RTM862Limits = {.fFSBMin = 100.0f,
                                         .fFSBMax = 500.0f,
                                         .fGSBMin = 50.0f,
                                         .fGSBMax = 200.0f,
                                         .nGSBType = GSB_PCIE,
                                         .bFSBAdjustable = true,
                                         .bGSBAdjustable = true};
constexpr CLOCK_LIMITS g_RTM865Limits = {.fFSBMin = 100.0f,
                                         .fFSBMax = 500.0f,
                                         .fGSBMin = 50.0f,
                                         .fGSBMax = 200.0f,
                                         .nGSBType = GSB_PCIE,
                                         .bFSBAdjustable = true,
                                         .bGSBAdjustable = true};

}  // namespace

CRealtekWordChip::CRealtekWordChip(uint32_t dwID, int32_t nRegisters, int32_t nMinimumGood, bool bClearFirst,
                                   const CLOCK_LIMITS& limits)
    : CSMBusChipGenerator(dwID, g_NoBlockRead, limits), m_nWordRegisters(nRegisters), m_nMinimumGood(nMinimumGood),
      m_bClearFirst(bClearFirst)
{
    m_nAccessMethod = ACCESS_WORD_HIGH;
}

uint32_t CRealtekWordChip::bReadClocks(CFrequencySet& set)
{
    if (!m_pCommandSet) return 0;
    uint8_t abImage[256];
    std::memcpy(abImage, m_abRegisters, sizeof(abImage));
    int32_t nGood = 0;
    for (int32_t i = 0; i < m_nWordRegisters; ++i) {
        if (m_bClearFirst) abImage[i] = 0;
        uint16_t wValue = m_pCommandSet->ReadWord(uint8_t(i | WORD_COMMAND));
        if (wValue == 0xFFFF) continue;
        abImage[i] = uint8_t(wValue & 0xFF);
        ++nGood;
    }
    if (nGood < m_nMinimumGood) return 0;
    std::memcpy(m_abRegisters, abImage, sizeof(abImage));
    m_nRegisterCount = m_nWordRegisters;
    vDecode();
    vFill(set);
    return 1;
}

bool CRealtekWordChip::bWriteWords(const uint8_t* pRegisters, int nCount)
{
    if (!m_pCommandSet) return false;
    bool bAll = true;
    for (int i = 0; i < nCount; ++i) {
        uint8_t nRegister = pRegisters[i];
        if (!m_pCommandSet->WriteWord(uint8_t(nRegister | WORD_COMMAND), m_abRegisters[nRegister])) bAll = false;
    }
    return bAll;
}

// RTM 862-410: N = register 15 + 256 × bits 6..0 of 14, M = register 11; the CPU divider by
// bits 6..4 of register 28; the PCI-E and PCI sources by bits 6..4 of registers 29 and 30.
// Registers 0..47 are read; 46 of them must answer.
RTM_862_410_ClockGenerator::RTM_862_410_ClockGenerator()
    : CRealtekWordChip(0x02862410, 48, 46, false, g_RTM862Limits)
{
}

void RTM_862_410_ClockGenerator::vDecode()
{
    static const int32_t anCPU[8] = {2, 3, 4, 5, 6, 7, 8, 10};
    const uint8_t* r = m_abRegisters;
    m_nN = r[15] + 256 * (r[14] & 0x7F);
    m_nM = r[11];
    m_fVCO = fDivideClock(REFERENCE_862 * (float(m_nN) + 64.0f), float(m_nM + 2));
    m_nCPUDivider = anCPU[(r[28] >> 4) & 7];
    m_nN2 = r[20] + 256 * (r[21] >> 6);
    m_nM2 = r[21] & 0x3F;
    m_fVCO2 = fDivideClock(CRYSTAL * float(m_nN2 + 2), float(m_nM2 + 2));
    m_fVCO3 = fDivideClock(CRYSTAL * float(r[35] + 2), float((r[46] & 15) + 2));
}

void RTM_862_410_ClockGenerator::vFill(CFrequencySet& set)
{
    static const float afGSBDivider[6] = {-1.0f, 4.0f, 5.0f, 6.0f, 8.0f, 10.0f};
    static const float afPCIDivider[4] = {-1.0f, 20.0f, 24.0f, 30.0f};
    static const float afVCO2Divider[4] = {9.0f, 8.0f, 7.0f, 12.0f};
    static const float afFixedPCI[17] = {37.5f,  37.21f, 36.92f, 36.64f, 36.36f, 36.09f, 35.82f, 35.56f, 35.3f,
                                         35.03f, 34.78f, 34.53f, 34.29f, 34.04f, 33.8f,  33.57f, 33.34f};
    const uint8_t* r = m_abRegisters;
    set.m_fFSB = fDivideClock(m_fVCO, float(m_nCPUDivider));
    if (!m_bGSBEnabled) return;
    int nGSB = (r[29] >> 4) & 7;
    if (nGSB >= 1 && nGSB <= 5)
        set.m_fGSB = fDivideClock(m_fVCO, afGSBDivider[nGSB]);
    else if (nGSB == 6)
        set.m_fGSB = fDivideClock(m_fVCO2, float(GSB_FROM_VCO2_DIVIDER));
    else if (nGSB == 7)
        set.m_fGSB = m_fVCO3 > 0 ? m_fVCO3 : -1.0f;
    else
        set.m_fGSB = -1.0f;
    int nPCI = (r[30] >> 4) & 7;
    if (nPCI >= 1 && nPCI <= 3)
        set.m_fPCI = fDivideClock(m_fVCO, afPCIDivider[nPCI]);
    else if (nPCI == 4)
        set.m_fPCI = fDivideClock(m_fVCO2, afVCO2Divider[r[34] & 3]);
    else if (nPCI == 5 && (r[33] & 31) <= 16)
        set.m_fPCI = afFixedPCI[r[33] & 31];
    else
        set.m_fPCI = -1.0f;
}

bool RTM_862_410_ClockGenerator::bSearchFSB(float fFSB)
{
    float f = fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB);
    PLL_SETTING setting{};
    if (m_nCPUDivider <= 0 || !bSearchPLL(float(m_nCPUDivider) * f, REFERENCE_862, g_862Search, setting) ||
        setting.nN < 0)
        return false;
    m_nM = setting.nDivisor - 2;
    m_nN = setting.nN;
    m_fVCO = REFERENCE_862 * (float(m_nN) + 64.0f) / float(setting.nDivisor);
    return true;
}

// Only the PCI-E source "VCO2 / 3" follows the second PLL; the others cannot be set.
bool RTM_862_410_ClockGenerator::bSearchGSB(float fGSB)
{
    if (((m_abRegisters[29] >> 4) & 7) != 6) return false;
    float f = fClampClock(fGSB, m_Min.m_fGSB, m_Max.m_fGSB);
    PLL_SETTING setting{};
    if (!bSearchPLL(float(GSB_FROM_VCO2_DIVIDER) * f, CRYSTAL, g_862Search2, setting) || setting.nN < 0)
        return false;
    m_nM2 = setting.nDivisor - 2;
    m_nN2 = setting.nN;
    m_fVCO2 = CRYSTAL * float(m_nN2 + 2) / float(setting.nDivisor);
    return true;
}

bool RTM_862_410_ClockGenerator::bLoad()
{
    platform::Sleep(LOAD_WAIT_MS);
    uint16_t wLoad = m_pCommandSet->ReadWord(REG_LOAD | WORD_COMMAND);
    if (wLoad == 0xFFFF) return false;
    m_abRegisters[REG_LOAD] = uint8_t((wLoad & 0xFF) | 1);
    return m_pCommandSet->WriteWord(REG_LOAD | WORD_COMMAND, m_abRegisters[REG_LOAD]) != 0;
}

uint32_t RTM_862_410_ClockGenerator::bSetFSB(float fFSB)
{
    if (!m_pCommandSet || !bSearchFSB(fFSB)) return 0;
    uint8_t* r = m_abRegisters;
    uint8_t bHigh = uint8_t((m_nN >> 8) & 0x7F);
    r[11] = uint8_t(m_nM);
    r[14] = uint8_t((r[14] & 0x80) | bHigh);
    r[17] = uint8_t((r[17] & 0x80) | bHigh);
    r[15] = uint8_t(m_nN & 0xFF);
    r[18] = uint8_t(m_nN & 0xFF);
    static const uint8_t anWritten[5] = {11, 14, 15, 17, 18};
    bool bWritten = bWriteWords(anWritten, 5);
    return (bLoad() && bWritten) ? 1 : 0;
}

uint32_t RTM_862_410_ClockGenerator::bSetGSB(float fGSB)
{
    if (!m_pCommandSet || !bSearchGSB(fGSB)) return 0;
    m_abRegisters[20] = uint8_t(m_nN2 & 0xFF);
    m_abRegisters[21] = uint8_t(64 * ((m_nN2 >> 8) & 3) + (m_nM2 & 0x3F));
    static const uint8_t anWritten[2] = {20, 21};
    bool bWritten = bWriteWords(anWritten, 2);
    return (bLoad() && bWritten) ? 1 : 0;
}

// RTM 865-461: the VCOs in decimal, tens in bits 6..0 of registers 17 and 18 and units in
// the two nibbles of register 19.
// Registers 0..31 are read, each cleared in the image first; 31 of them must answer.
RTM_865_461_ClockGenerator::RTM_865_461_ClockGenerator()
    : CRealtekWordChip(0x02865461, 32, 31, true, g_RTM865Limits)
{
}

void RTM_865_461_ClockGenerator::vDecode()
{
    static const int32_t anCPU[8] = {2, 3, 4, 6, 8, -1, -1, -1};
    const uint8_t* r = m_abRegisters;
    bool bDecimal = (r[10] & 0x18) == 0;
    m_fVCO = bDecimal ? float(10 * (r[17] & 0x7F) + (r[19] >> 4)) : -1.0f;
    m_fVCO2 = float(10 * (r[18] & 0x7F) + (r[19] & 15));
    m_nCPUDivider = anCPU[(r[28] >> 4) & 7];
    m_nGSBDivider = (r[29] & 7) == 2 ? 8 : -1;
}

void RTM_865_461_ClockGenerator::vFill(CFrequencySet& set)
{
    const uint8_t* r = m_abRegisters;
    set.m_fFSB = fDivideClock(m_fVCO, float(m_nCPUDivider));
    if (!m_bGSBEnabled) return;
    switch (r[29] & 7) {
    case 0: set.m_fGSB = fDivideClock(m_fVCO, 8.0f); break;
    case 1: set.m_fGSB = fDivideClock(m_fVCO, 10.0f); break;
    case 2: set.m_fGSB = fDivideClock(m_fVCO2, 8.0f); break;
    case 3: set.m_fGSB = 100.0f; break;
    default: set.m_fGSB = -1.0f; break;
    }
    switch ((r[30] >> 4) & 7) {
    case 1: set.m_fPCI = fDivideClock(m_fVCO, 20.0f); break;
    case 2: set.m_fPCI = fDivideClock(m_fVCO, 24.0f); break;
    case 3: set.m_fPCI = fDivideClock(m_fVCO, 30.0f); break;
    case 4: set.m_fPCI = fDivideClock(m_fVCO2, 24.0f); break;
    case 5: set.m_fPCI = 33.34f; break;
    default: set.m_fPCI = -1.0f; break;
    }
}

namespace {

// x MHz as tens and units; false when the tens do not fit their 7 bits.
bool bDecimal(float fVCO, int32_t& nTens, int32_t& nUnits)
{
    if (!(fVCO > 0) || !(fVCO / 10.0f < 127.0f)) return false;
    nTens = int32_t(fVCO / 10.0f);
    nUnits = int32_t(fVCO) - 10 * nTens;
    return true;
}

}  // namespace

// A VCO the registers cannot hold is refused rather than reported as set with the old one.
bool RTM_865_461_ClockGenerator::bSearchFSB(float fFSB)
{
    float f = fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB);
    int32_t nTens = 0, nUnits = 0;
    if (m_nCPUDivider <= 0 || !bDecimal(float(m_nCPUDivider) * f, nTens, nUnits)) return false;
    m_fVCO = float(10 * nTens + nUnits);
    return true;
}

bool RTM_865_461_ClockGenerator::bSearchGSB(float fGSB)
{
    if (m_nGSBDivider != 8) return false;
    float f = fClampClock(fGSB, m_Min.m_fGSB, m_Max.m_fGSB);
    int32_t nTens = 0, nUnits = 0;
    if (!bDecimal(8.0f * f, nTens, nUnits)) return false;
    m_fVCO2 = float(10 * nTens + nUnits);
    return true;
}

bool RTM_865_461_ClockGenerator::bCommit(const uint8_t* pRegisters, int nCount)
{
    bool bWritten = bWriteWords(pRegisters, nCount);
    platform::Sleep(LOAD_WAIT_MS);
    m_abRegisters[REG_LOAD] = 7;
    bool bLoaded = m_pCommandSet->WriteWord(REG_LOAD | WORD_COMMAND, 7) != 0;
    return bWritten && bLoaded;
}

uint32_t RTM_865_461_ClockGenerator::bSetFSB(float fFSB)
{
    if (!m_pCommandSet || !bSearchFSB(fFSB)) return 0;
    int32_t nVCO = int32_t(m_fVCO);
    uint8_t* r = m_abRegisters;
    r[17] = uint8_t((r[17] & 0x80) | (nVCO / 10));
    r[19] = uint8_t((r[19] & 0x0F) | ((nVCO % 10) << 4));
    static const uint8_t anWritten[2] = {17, 19};
    return bCommit(anWritten, 2) ? 1 : 0;
}

uint32_t RTM_865_461_ClockGenerator::bSetGSB(float fGSB)
{
    if (!m_pCommandSet || !bSearchGSB(fGSB)) return 0;
    int32_t nVCO = int32_t(m_fVCO2);
    uint8_t* r = m_abRegisters;
    r[18] = uint8_t((r[18] & 0x80) | (nVCO / 10));
    r[19] = uint8_t((r[19] & 0xF0) | (nVCO % 10));
    static const uint8_t anWritten[2] = {18, 19};
    return bCommit(anWritten, 2) ? 1 : 0;
}
