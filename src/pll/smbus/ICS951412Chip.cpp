// SPDX-License-Identifier: GPL-2.0-or-later
// ICS 951412: the frequency-select presets.
#include "pll/smbus/ICS951412Chip.h"

#include "pll/ClockLimits.h"
#include "pll/smbus/ChipMechanics.h"

const FREQUENCY_PRESET g_ICS951412Presets[30] = {
    {0, 0x14, 99.75f, -1.0f, 66.5f, 33.25f},     {1, 0x04, 100.0f, -1.0f, 66.67f, 33.34f},
    {2, 0x1C, 101.75f, -1.0f, 67.83f, 33.92f},   {3, 0x0C, 102.0f, -1.0f, 68.0f, 34.0f},
    {4, 0x19, 106.73f, -1.0f, 71.16f, 35.58f},   {5, 0x15, 133.0f, -1.0f, 66.5f, 33.25f},
    {6, 0x05, 133.34f, -1.0f, 66.67f, 33.34f},   {7, 0x1D, 135.67f, -1.0f, 67.83f, 33.92f},
    {8, 0x0D, 136.0f, -1.0f, 68.0f, 34.0f},      {9, 0x16, 166.25f, -1.0f, 66.5f, 33.25f},
    {10, 0x06, 166.67f, -1.0f, 66.67f, 33.34f},  {11, 0x10, 169.58f, -1.0f, 56.53f, 28.26f},
    {12, 0x1E, 169.58f, -1.0f, 67.83f, 33.92f},  {13, 0x0E, 170.0f, -1.0f, 68.0f, 34.0f},
    {14, 0x12, 179.55f, -1.0f, 59.85f, 29.93f},  {15, 0x02, 180.0f, -1.0f, 60.0f, 30.0f},
    {16, 0x18, 185.54f, -1.0f, 61.85f, 30.92f},  {17, 0x08, 186.0f, -1.0f, 62.0f, 31.0f},
    {18, 0x1A, 189.53f, -1.0f, 63.18f, 31.59f},  {19, 0x0A, 190.0f, -1.0f, 63.34f, 31.67f},
    {20, 0x17, 199.5f, -1.0f, 66.5f, 33.25f},    {21, 0x07, 200.0f, -1.0f, 66.67f, 33.34f},
    {22, 0x1F, 203.49f, -1.0f, 67.83f, 33.92f},  {23, 0x0F, 204.0f, -1.0f, 68.0f, 34.0f},
    {24, 0x1B, 209.48f, -1.0f, 69.83f, 34.91f},  {25, 0x0B, 210.0f, -1.0f, 70.0f, 35.0f},
    {26, 0x09, 214.0f, -1.0f, 71.34f, 35.67f},   {27, 0x13, 219.45f, -1.0f, 73.15f, 36.58f},
    {28, 0x03, 220.0f, -1.0f, 73.34f, 36.67f},   {29, 0x11, 229.43f, -1.0f, 76.48f, 38.24f},
};

namespace {

const int32_t PRESET_COUNT = 30;
constexpr CHIP_READ g_Read = {.nMinimum = 1};
// Presets only: neither clock is set on its own, and the limits are the presets'.
constexpr CLOCK_LIMITS g_Limits = {.nGSBType = GSB_PCIE};

}  // namespace

ICS_951412_ClockGenerator::ICS_951412_ClockGenerator() : CClockGenerator(0x01951412)
{
    vApplyLimits(*this, g_Limits);
    m_nPresetCount = PRESET_COUNT;
    m_pPresets = g_ICS951412Presets;
}

int32_t ICS_951412_ClockGenerator::nPresetOfCode(uint32_t dwCode) const
{
    for (int32_t i = 0; i < PRESET_COUNT; ++i)
        if (g_ICS951412Presets[i].dwCode == dwCode) return i;
    return -1;
}

int32_t ICS_951412_ClockGenerator::nPresetBelow(float fFSB) const
{
    int32_t nBest = -1;
    for (int32_t i = 0; i < PRESET_COUNT; ++i) {
        float fRow = g_ICS951412Presets[i].fFSB;
        if (fRow > fFSB) continue;
        if (nBest < 0 || fRow > g_ICS951412Presets[nBest].fFSB) nBest = i;
    }
    return nBest;
}

void ICS_951412_ClockGenerator::vFillPreset(int32_t nPreset, CFrequencySet& set) const
{
    const FREQUENCY_PRESET& row = g_ICS951412Presets[nPreset];
    set.m_nPreset = nPreset;
    set.m_fFSB = row.fFSB;
    if (m_bGSBEnabled) {
        set.m_fGSB = row.f66MHz * 3.0f * 0.5f;
        set.m_fPCI = row.fPCI;
    }
}

uint32_t ICS_951412_ClockGenerator::bReadClocks(CFrequencySet& set)
{
    if (!nReadChipImage(*this, g_Read)) return 0;
    int32_t nPreset = nPresetOfCode(m_abRegisters[0] & 31);
    if (nPreset >= 0) vFillPreset(nPreset, set);
    return 1;
}

uint32_t ICS_951412_ClockGenerator::bPreviewClocks(CFrequencySet& set)
{
    if (set.m_nPreset != -1) {
        if (set.m_nPreset < 0 || set.m_nPreset >= PRESET_COUNT) return 0;
        vFillPreset(set.m_nPreset, set);
        return 1;
    }
    if (!(set.m_fFSB > 0)) return 0;
    int32_t nPreset = nPresetBelow(set.m_fFSB);
    if (nPreset < 0) return 0;
    vFillPreset(nPreset, set);
    return 1;
}

uint32_t ICS_951412_ClockGenerator::bApplyClocks(const CFrequencySet& target, PLL_PROGRESS)
{
    if (target.m_nPreset < 0 || target.m_nPreset >= PRESET_COUNT) return 0;
    uint8_t& bSelect = m_abRegisters[0];
    bSelect |= 0x80;
    uint32_t dwCode = g_ICS951412Presets[target.m_nPreset].dwCode;
    if (dwCode & 0x10)
        bSelect = uint8_t((bSelect & 0xE0) | dwCode | 0x40);
    else
        bSelect = uint8_t((bSelect & 0xA0) | dwCode);
    bWriteRegisters(CHIP_SETTLE_MS);
    return 1;
}
