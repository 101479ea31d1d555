// SPDX-License-Identifier: GPL-2.0-or-later
// The Realtek RTM 360-408 and RTM 560-266: switched from block to word access at every read,
// and unlocked through register 31 around every FSB change.
#include <cstring>

#include "platform/Clock.h"
#include "pll/smbus/RealtekChips.h"
#include "smbus/ICCommandSet.h"

namespace {

const uint32_t SWITCH_WAIT_MS = 100;
const int32_t SWITCH_BYTES = 17;
constexpr CHIP_READ g_NoBlockRead = {};

// FSB = (NA + NB + 4) × 12 / (M + 2), M in 6 bits, NA and NB in 10 bits each. Only the FSB is
// set; AGP and PCI follow it or are fixed.
const REALTEK_WORD_PART* pPart360()
{
    static const REALTEK_WORD_PART part = {
        .nRegisters = 40,
        .nMinimumGood = 35,
        .Search = {.nStartDivisor = 65, .nMinDivisor = 2, .fOffset = 4.0f, .fCeiling = 1022.0f},
        .nMOffset = 2,
        .nMaxHalf = 1023,
        .Limits = {.fFSBMin = 90.0f, .fFSBMax = 266.67f, .nGSBType = GSB_AGP, .bFSBAdjustable = true},
    };
    return &part;
}

// FSB = (NA + NB + 2) × reference / 2 / (M + 1); NA and NB are whole registers, so their sum
// stays under 510 whatever the ceiling.
const REALTEK_WORD_PART* pPart560()
{
    static const REALTEK_WORD_PART part = {
        .nRegisters = 35,
        .nMinimumGood = 34,
        .Search = {.nStartDivisor = 64, .nMinDivisor = 1, .fOffset = 2.0f, .fCeiling = 510.0f},
        .nMOffset = 1,
        .nMaxHalf = 255,
        .Limits = {.fFSBMin = 50.0f, .fFSBMax = 333.34f, .nGSBType = GSB_AGP, .bFSBAdjustable = true},
    };
    return &part;
}

uint16_t wRegister(uint8_t bValue) { return bValue; }

}  // namespace

CRealtekBlockWordChip::CRealtekBlockWordChip(uint32_t dwID, const REALTEK_WORD_PART& part)
    : CSMBusChipGenerator(dwID, g_NoBlockRead, part.Limits), m_Part(part)
{
}

uint32_t CRealtekBlockWordChip::bReadClocks(CFrequencySet& set)
{
    if (!m_pCommandSet) return 0;
    CICCommandSet& commands = *m_pCommandSet;
    uint8_t abImage[256];
    std::memset(abImage, 0xFF, sizeof(abImage));
    int32_t nCount = commands.ReadBlock(0, 256, abImage);
    // The switch writes back the first 17 bytes: only when all of them were read, so that no
    // register is overwritten with the fill bytes.
    if (nCount >= SWITCH_BYTES) {
        vPrepareSwitch(abImage);
        int32_t nWritten = commands.WriteBlock(0, SWITCH_BYTES, abImage);
        platform::Sleep(SWITCH_WAIT_MS);
        if (nWritten < SWITCH_BYTES) return 0;
    }
    m_nAccessMethod = ACCESS_WORD;
    int32_t nGood = 0;
    for (int32_t i = 0; i < m_Part.nRegisters; ++i) {
        uint16_t wValue = commands.ReadWord(uint8_t(i));
        if (wValue == 0xFFFF) continue;
        abImage[i] = uint8_t(wValue & 0xFF);
        ++nGood;
    }
    if (nGood < m_Part.nMinimumGood) return 0;
    std::memcpy(m_abRegisters, abImage, sizeof(abImage));
    m_nRegisterCount = m_Part.nRegisters;
    vDecode();
    vFill(set);
    return 1;
}

bool CRealtekBlockWordChip::bSearchFSB(float fFSB)
{
    float f = fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB);
    PLL_SETTING setting{};
    if (!bSearchPLL(f, m_fReference * 0.5f, m_Part.Search, setting) || setting.nN < 0) return false;
    int32_t nA = setting.nN / 2;
    int32_t nB = setting.nN - nA;
    if (nB > m_Part.nMaxHalf) return false;
    m_nM = setting.nDivisor - m_Part.nMOffset;
    m_nNA = nA;
    m_nNB = nB;
    return true;
}

float CRealtekBlockWordChip::fFSB() const
{
    if (m_nNA < 0 || m_nNB < 0) return -1.0f;
    float fN = float(m_nNA + m_nNB) + m_Part.Search.fOffset;
    return fDivideClock(fN * 0.5f * m_fReference, float(m_nM + m_Part.nMOffset));
}

uint32_t CRealtekBlockWordChip::bSetFSB(float fFSB)
{
    if (!m_pCommandSet || !bSearchFSB(fFSB)) return 0;
    CICCommandSet& commands = *m_pCommandSet;
    // Register 31 bit 0 opens the dividers, bit 1 loads them. A register 31 that cannot be
    // read is not written with a made-up value, and the image then stays as the chip is.
    uint16_t wUnlock = commands.ReadWord(31);
    if (wUnlock == 0xFFFF) return 0;
    vEncodeFSB();
    commands.WriteWord(31, uint16_t((wUnlock & 0xFF) | 1));
    for (uint8_t nRegister = 17; nRegister <= 21; ++nRegister)
        commands.WriteWord(nRegister, wRegister(m_abRegisters[nRegister]));
    uint16_t wLoad = commands.ReadWord(31);
    if (wLoad == 0xFFFF) return 0;
    uint32_t bResult = commands.WriteWord(31, uint16_t((wLoad & 0xFF) | 2));
    platform::Sleep(CHIP_SETTLE_MS);
    return bResult ? 1 : 0;
}

// RTM 360-408: NA = register 18 + 256 × bits 1..0 of 17, NB = register 20 + 256 × bits 1..0
// of 19, M = bits 5..0 of register 21; AGP and PCI by bits 5..3 of register 31.
RTM_360_408_ClockGenerator::RTM_360_408_ClockGenerator() : CRealtekBlockWordChip(0x02360408, *pPart360()) {}

void RTM_360_408_ClockGenerator::vPrepareSwitch(uint8_t* pImage)
{
    pImage[16] |= 3;
}

void RTM_360_408_ClockGenerator::vDecode()
{
    const uint8_t* r = m_abRegisters;
    m_nNA = r[18] + 256 * (r[17] & 3);
    m_nNB = r[20] + 256 * (r[19] & 3);
    m_nM = r[21] & 63;
}

void RTM_360_408_ClockGenerator::vFill(CFrequencySet& set)
{
    set.m_fFSB = fFSB();
    if (!m_bGSBEnabled) return;
    static const float afAGP[3] = {88.0f, 75.0f, 66.67f};
    static const float afPCI[3] = {44.0f, 37.5f, 33.335f};
    int nSelect = (m_abRegisters[31] >> 3) & 7;
    if (nSelect <= 4) {
        set.m_fPCI = fDivideClock(set.m_fFSB, float(nSelect + 2));
        set.m_fGSB = set.m_fPCI > 0 ? 2.0f * set.m_fPCI : -1.0f;
    } else {
        set.m_fGSB = afAGP[nSelect - 5];
        set.m_fPCI = afPCI[nSelect - 5];
    }
}

void RTM_360_408_ClockGenerator::vEncodeFSB()
{
    uint8_t* r = m_abRegisters;
    r[18] = uint8_t(m_nNA & 0xFF);
    r[17] = uint8_t((r[17] & ~3) | ((m_nNA >> 8) & 3));
    r[20] = uint8_t(m_nNB & 0xFF);
    r[19] = uint8_t((r[19] & ~3) | ((m_nNB >> 8) & 3));
    r[21] = uint8_t((r[21] & ~63) | (m_nM & 63));
}

// RTM 560-266: NA = register 17, NB = register 18, M = register 19; the reference and the
// PCI divider by bits 7..5 of register 31.
RTM_560_266_ClockGenerator::RTM_560_266_ClockGenerator() : CRealtekBlockWordChip(0x02560266, *pPart560()) {}

void RTM_560_266_ClockGenerator::vPrepareSwitch(uint8_t* pImage)
{
    pImage[0] &= uint8_t(~0x08);
    pImage[16] = 3;
}

void RTM_560_266_ClockGenerator::vDecode()
{
    const uint8_t* r = m_abRegisters;
    m_nNA = r[17];
    m_nNB = r[18];
    m_nM = r[19];
    int nSelect = r[31] >> 5;
    if (nSelect <= 3) {
        m_fReference = 24.0f;
        m_nPCIDivider = nSelect + 2;
    } else if (nSelect <= 6) {
        m_fReference = 48.0f;
        m_nPCIDivider = nSelect + 2;
    } else {
        m_nPCIDivider = -1;
    }
}

void RTM_560_266_ClockGenerator::vFill(CFrequencySet& set)
{
    set.m_fFSB = fFSB();
    if (!m_bGSBEnabled) return;
    set.m_fPCI = fDivideClock(set.m_fFSB, float(m_nPCIDivider));
    set.m_fGSB = set.m_fPCI > 0 ? 2.0f * set.m_fPCI : -1.0f;
}

void RTM_560_266_ClockGenerator::vEncodeFSB()
{
    m_abRegisters[17] = uint8_t(m_nNA);
    m_abRegisters[18] = uint8_t(m_nNB);
    m_abRegisters[19] = uint8_t(m_nM);
}
