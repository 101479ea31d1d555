// SPDX-License-Identifier: GPL-2.0-or-later
// The Silego SLG505YC56D and the IDT CV107 and CV174C.
#include "pll/smbus/CodeChips.h"

#include "pll/PLLSearch.h"

namespace {

constexpr CHIP_READ g_SLGRead = {.nMinimum = 13, .nLength = 29, .nCountRegister = 12};
constexpr CHIP_READ g_CV107Read = {.nMinimum = 9, .nLength = 35, .nCountRegister = 8};
constexpr CHIP_READ g_CV174CRead = {.nMinimum = 13, .nLength = 20, .nCountRegister = 12};

// All three set both clocks: FSB 100 to 500 MHz, the second bus clock 33.34 to 133.34 MHz;
// they differ in what that second clock drives.
constexpr CLOCK_LIMITS BothClocks(int32_t nGSBType)
{
    return {.fFSBMin = 100.0f,
            .fFSBMax = 500.0f,
            .fGSBMin = 33.34f,
            .fGSBMax = 133.34f,
            .nGSBType = nGSBType,
            .bFSBAdjustable = true,
            .bGSBAdjustable = true};
}
constexpr CLOCK_LIMITS g_SLGLimits = BothClocks(GSB_PCIE);
constexpr CLOCK_LIMITS g_CV107Limits = BothClocks(GSB_AGP);
constexpr CLOCK_LIMITS g_CV174CLimits = BothClocks(GSB_PCIE);

const float CV107_AGP_STEP = 0.2237216f;

// A positive clock, or unknown.
float fKnown(float f) { return f > 0 ? f : -1.0f; }

// The 10-bit codes these chips keep as a low byte in one register and the two high bits in
// bits 1..0 of the register before it.
int32_t nTenBitCode(const uint8_t* r, unsigned nLow) { return r[nLow] + 256 * (r[nLow - 1] & 3); }

void vPutTenBitCode(uint8_t* r, unsigned nLow, int32_t nCode)
{
    r[nLow] = uint8_t(nCode & 0xFF);
    r[nLow - 1] = uint8_t((r[nLow - 1] & ~3) | ((nCode >> 8) & 3));
}

}  // namespace

// SLG505YC56D: FSB = register 15 + 256 × bits 1..0 of register 14, PCI-E = register 16, both
// in MHz; bits 7 and 6 of register 17 open the FSB and PCI-E registers.
SLG505YC56D_ClockGenerator::SLG505YC56D_ClockGenerator()
    : CSMBusChipGenerator(0x40000505, g_SLGRead, g_SLGLimits)
{
}

void SLG505YC56D_ClockGenerator::vDecode()
{
    const uint8_t* r = m_abRegisters;
    m_nFSBCode = nTenBitCode(r, 15);
    m_nGSBCode = r[16];
    m_bFSBEnabled = (r[17] >> 7) & 1;
    m_bGSBEnabledBit = (r[17] >> 6) & 1;
}

void SLG505YC56D_ClockGenerator::vFill(CFrequencySet& set)
{
    set.m_fFSB = fKnown(float(m_nFSBCode));
    if (!m_bGSBEnabled) return;
    set.m_fGSB = fKnown(float(m_nGSBCode));
    set.m_fPCI = set.m_fGSB > 0 ? set.m_fGSB * 0.334f : -1.0f;
}

bool SLG505YC56D_ClockGenerator::bSearchFSB(float fFSB)
{
    m_nFSBCode = int32_t(fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB) + 0.5f);
    return true;
}

bool SLG505YC56D_ClockGenerator::bSearchGSB(float fGSB)
{
    m_nGSBCode = int32_t(fClampClock(fGSB, m_Min.m_fGSB, m_Max.m_fGSB) + 0.5f);
    return true;
}

void SLG505YC56D_ClockGenerator::vEncodeFSB()
{
    if (!m_bFSBEnabled) m_abRegisters[17] |= 0x80;
    vPutTenBitCode(m_abRegisters, 15, m_nFSBCode);
}

void SLG505YC56D_ClockGenerator::vEncodeGSB()
{
    if (!m_bGSBEnabledBit) m_abRegisters[17] |= 0x40;
    m_abRegisters[16] = uint8_t(m_nGSBCode);
}

// IDT CV107: FSB = code × step, the step chosen by bits 6..4 of register 25; AGP = code2 ×
// 0.2237216. Bit 0 of register 25 and bit 7 of register 30 open the two codes.
IDT_CV107_ClockGenerator::IDT_CV107_ClockGenerator()
    : CSMBusChipGenerator(0x08000107, g_CV107Read, g_CV107Limits)
{
}

void IDT_CV107_ClockGenerator::vDecode()
{
    static const float afStep[8] = {0.2237216f, 0.4474432f, 0.29829547f, 0.39772728f,
                                    0.4474432f, 0.8948864f, 0.8948864f, 0.79545456f};
    const uint8_t* r = m_abRegisters;
    m_fCodeStep = afStep[(r[25] >> 4) & 7];
    m_nFSBCode = nTenBitCode(r, 27);
    m_nGSBCode = nTenBitCode(r, 29);
    m_bFSBEnabled = r[25] & 1;
    m_bGSBEnabledBit = (r[30] >> 7) & 1;
}

void IDT_CV107_ClockGenerator::vFill(CFrequencySet& set)
{
    set.m_fFSB = fKnown(float(m_nFSBCode) * m_fCodeStep);
    if (!m_bGSBEnabled) return;
    set.m_fGSB = fKnown(float(m_nGSBCode) * CV107_AGP_STEP);
    set.m_fPCI = set.m_fGSB > 0 ? set.m_fGSB * 0.5f : -1.0f;
}

// A code wider than the chip's 10 bits would wrap around to a far lower clock: refused.
bool IDT_CV107_ClockGenerator::bSearchFSB(float fFSB)
{
    int32_t nCode = int32_t(fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB) / m_fCodeStep + 0.5f);
    if (nCode > 1023) return false;
    m_nFSBCode = nCode;
    return true;
}

bool IDT_CV107_ClockGenerator::bSearchGSB(float fGSB)
{
    int32_t nCode = int32_t(fClampClock(fGSB, m_Min.m_fGSB, m_Max.m_fGSB) / CV107_AGP_STEP + 0.5f);
    if (nCode > 1023) return false;
    m_nGSBCode = nCode;
    return true;
}

void IDT_CV107_ClockGenerator::vEncodeFSB()
{
    if (!m_bFSBEnabled) m_abRegisters[25] |= 0x01;
    vPutTenBitCode(m_abRegisters, 27, m_nFSBCode);
}

void IDT_CV107_ClockGenerator::vEncodeGSB()
{
    if (!m_bGSBEnabledBit) m_abRegisters[30] |= 0x80;
    vPutTenBitCode(m_abRegisters, 29, m_nGSBCode);
}

// IDT CV174C: FSB = (code + offset) × multiplier; the multiplier by bits 7..5 of register 0,
// the offset by bits 2..1 of register 16. The FSB code is live while bit 3 of register 19 is
// clear. PCI-E is half of register 18 (bit 2 of register 0 set) or half the FSB code.
IDT_CV174C_ClockGenerator::IDT_CV174C_ClockGenerator()
    : CSMBusChipGenerator(0x08000174, g_CV174CRead, g_CV174CLimits)
{
}

void IDT_CV174C_ClockGenerator::vDecode()
{
    static const float afOffset[4] = {0.0f, 0.3334f, 0.6667f, 0.0f};
    static const float afMultiplier[8] = {1.3334f, 0.6667f, 1.0f, 0.6667f, 1.3334f, 0.5f, 2.0f, 1.0f};
    const uint8_t* r = m_abRegisters;
    m_nFSBCode = r[17] + 256 * (r[16] & 1);
    m_fOffset = afOffset[(r[16] >> 1) & 3];
    m_fMultiplier = afMultiplier[r[0] >> 5];
    m_nGSBCode = r[18];
    m_bGSBOwnCode = (r[0] >> 2) & 1;
    m_bFSBEnabled = (r[19] & 0x08) ? 0 : 1;
}

void IDT_CV174C_ClockGenerator::vFill(CFrequencySet& set)
{
    set.m_fFSB = m_nFSBCode > 0 ? (float(m_nFSBCode) + m_fOffset) * m_fMultiplier : -1.0f;
    if (!m_bGSBEnabled) return;
    set.m_fGSB = fKnown(0.5f * float(m_bGSBOwnCode ? m_nGSBCode : m_nFSBCode));
    set.m_fPCI = set.m_fGSB > 0 ? set.m_fGSB * 0.334f : -1.0f;
}

// The FSB code has 9 bits and register 18 has 8: a value that does not fit is refused.
bool IDT_CV174C_ClockGenerator::bSearchFSB(float fFSB)
{
    float f = fClampClock(fFSB, m_Min.m_fFSB, m_Max.m_fFSB);
    int32_t nCode = int32_t(f / m_fMultiplier - m_fOffset + 0.5f);
    if (nCode < 0 || nCode > 511) return false;
    m_nFSBCode = nCode;
    return true;
}

// Register 18 drives PCI-E only while bit 2 of register 0 is set; otherwise PCI-E follows the
// FSB code and a new register 18 would change nothing.
bool IDT_CV174C_ClockGenerator::bSearchGSB(float fGSB)
{
    if (!m_bGSBOwnCode) return false;
    int32_t nCode = int32_t(2.0f * fClampClock(fGSB, m_Min.m_fGSB, m_Max.m_fGSB) + 0.5f);
    if (nCode > 255) return false;
    m_nGSBCode = nCode;
    return true;
}

void IDT_CV174C_ClockGenerator::vEncodeFSB()
{
    if (!m_bFSBEnabled) m_abRegisters[19] &= uint8_t(~0x08);
    m_abRegisters[17] = uint8_t(m_nFSBCode & 0xFF);
    m_abRegisters[16] = uint8_t((m_abRegisters[16] & ~1) | ((m_nFSBCode >> 8) & 1));
}

void IDT_CV174C_ClockGenerator::vEncodeGSB()
{
    m_abRegisters[18] = uint8_t(m_nGSBCode);
}
