// SPDX-License-Identifier: GPL-2.0-or-later
// The nVidia chipset PLLs in configuration space: nForce4 for Intel processors, GeForce 6100
// (C51) and nForce 680 (C55).
#include "pll/chipset/NVConfigPLL.h"

#include "platform/Clock.h"

namespace {

constexpr uint32_t POST_DIVIDER_BIT = 29;
constexpr uint32_t PREPARE_BIT = 1u << 30;
constexpr uint32_t PREPARE_MS = 20;
constexpr uint32_t RELEASE_MS = 50;
constexpr uint32_t CONTROL_OWNED = 1u << 0, CONTROL_PULSE = 1u << 8;

}  // namespace

// The nForce4 for Intel processors writes its PLL registers from constants. The post-divider
// bit of the FSB PLL is carried over into a new setting: the search has already allowed for
// it, and dropping it would double the FSB.
const NV_CONFIG_PLL_MODEL g_NForce4IEPLL = {
    0x10000041, 500.0f, 0x1FF, 10, 0x3F, 0x1F, true, false,
    {2, 0x44, 0x78, 0x58, 64, 500.0f, 0.25f, 1u << POST_DIVIDER_BIT, 0xC1C00000, 50},
    {3, 0x84, 0x9C, 0x90, 62, 254.0f, 0.25f, 0x00000000, 0xC1E00000, 50},
};

const NV_CONFIG_PLL_MODEL g_GeForce6100PLL = {
    0x10000051, 500.0f, 0xFF, 8, 0xFF, 0xFF, false, false,
    {2, 0x44, 0x5C, 0x54, 240, 252.0f, 1.0f, 0xFFFF0000, 0x00000000, 50},
    {3, 0x74, 0x88, 0x80, 240, 252.0f, 0.25f, 0xFFFF0000, 0x00000000, 50},
};

const NV_CONFIG_PLL_MODEL g_NForce680PLL = {
    0x10000055, 600.0f, 0xFF, 8, 0xFF, 0xFF, true, true,
    {2, 0x44, 0x78, 0x58, 64, 254.0f, 0.25f, 0xFFFF0000, 0x00000000, 50},
    {3, 0x74, 0x88, 0x80, 240, 252.0f, 0.25f, 0xFFFF0000, 0x40000000, 50},
};

CNVConfigPLL::CNVConfigPLL(const NV_CONFIG_PLL_MODEL& model)
    : CNVChipsetPLL(model.dwID, 100.0f, model.fFSBMax, GSB_PCIE), m_Model(model)
{
}

uint32_t CNVConfigPLL::dwRead(const NV_CONFIG_PLL& pll, uint32_t dwOffset) const
{
    return dwReadConfig(0, pll.dwFunction, dwOffset);
}

uint32_t CNVConfigPLL::bWrite(const NV_CONFIG_PLL& pll, uint32_t dwOffset, uint32_t dwValue) const
{
    return bWriteConfig(0, pll.dwFunction, dwOffset, dwValue);
}

float CNVConfigPLL::fReadReference(const NV_CONFIG_PLL& pll) const
{
    const uint32_t v = dwRead(pll, pll.dwReference);
    return fClock(NV_SYNTHESIS_BASE, (v >> 8) & m_Model.dwReferenceMask, v & m_Model.dwDividerMask);
}

void CNVConfigPLL::vReadSetting(const NV_CONFIG_PLL& pll, PLL_SETTING& setting, uint32_t& dwValue) const
{
    dwValue = dwRead(pll, pll.dwPLL);
    setting.nDivisor = int32_t(dwValue & m_Model.dwFieldMask);
    setting.nN = int32_t((dwValue >> m_Model.nShift) & m_Model.dwFieldMask);
}

uint32_t CNVConfigPLL::dwSetting(const NV_CONFIG_PLL& pll, uint32_t dwValue, const PLL_SETTING& setting) const
{
    return ((dwValue & pll.dwKeep) | pll.dwSet) | (uint32_t(setting.nN) & m_Model.dwFieldMask) << m_Model.nShift |
           (uint32_t(setting.nDivisor) & m_Model.dwFieldMask);
}

uint32_t CNVConfigPLL::bWriteSetting(const NV_CONFIG_PLL& pll, const PLL_SETTING& setting) const
{
    const uint32_t bResult = bWrite(pll, pll.dwPLL, dwSetting(pll, dwRead(pll, pll.dwPLL), setting));
    platform::Sleep(pll.dwSettleMs);
    return bResult;
}

void CNVConfigPLL::vRelease(const NV_CONFIG_PLL& pll, bool bRewrite) const
{
    const uint32_t v = dwRead(pll, pll.dwControl);
    if (v == 0xFFFFFFFF || !(v & CONTROL_OWNED)) return;
    if (bRewrite) {
        bWrite(pll, pll.dwPLL, dwSetting(pll, dwRead(pll, pll.dwPLL), m_FSB));
        platform::Sleep(RELEASE_MS);
    }
    bWrite(pll, pll.dwControl, (v & ~CONTROL_OWNED) | CONTROL_PULSE);
    platform::Sleep(RELEASE_MS);
    bWrite(pll, pll.dwControl, v & ~(CONTROL_OWNED | CONTROL_PULSE));
    platform::Sleep(RELEASE_MS);
}

uint32_t CNVConfigPLL::bReadClocks(CFrequencySet& set)
{
    if (!bHavePCI()) return 0;
    uint32_t dwValue = 0;
    vReadSetting(m_Model.FSB, m_FSB, dwValue);
    if (dwValue == 0xFFFFFFFF) return 0;  // the function is not there
    m_nPostShift = (dwValue >> POST_DIVIDER_BIT) & 1;
    m_fFSBReference = fReadReference(m_Model.FSB);
    vRelease(m_Model.FSB, m_Model.bRewriteAtRelease);
    if (m_bGSBEnabled) {
        vRelease(m_Model.PCIE, false);
        m_fPCIEReference = fReadReference(m_Model.PCIE);
        vReadSetting(m_Model.PCIE, m_PCIE, dwValue);
    }
    vDecode(set);
    return 1;
}

void CNVConfigPLL::vDecode(CFrequencySet& set) const
{
    float fFSB = fClock(m_fFSBReference * m_Model.FSB.fFactor, uint32_t(m_FSB.nN), uint32_t(m_FSB.nDivisor));
    if (fFSB > 0) fFSB /= float(1u << m_nPostShift);
    const float fPCIE = fClock(m_fPCIEReference * m_Model.PCIE.fFactor, uint32_t(m_PCIE.nN), uint32_t(m_PCIE.nDivisor));
    vFill(set, fFSB, fPCIE, fPCIE > 0 ? fPCIE / 3.0f : -1.0f);
}

bool CNVConfigPLL::bSearchFSB(float f, PLL_SETTING& setting) const
{
    return bSearch(f, m_Min.m_fFSB, m_Max.m_fFSB, m_nPostShift, m_fFSBReference * m_Model.FSB.fFactor,
                   m_Model.FSB.nStart, m_Model.FSB.fCeiling, setting);
}

bool CNVConfigPLL::bSearchPCIE(float f, PLL_SETTING& setting) const
{
    return bSearch(f, m_Min.m_fGSB, m_Max.m_fGSB, 0, m_fPCIEReference * m_Model.PCIE.fFactor, m_Model.PCIE.nStart,
                   m_Model.PCIE.fCeiling, setting);
}

uint32_t CNVConfigPLL::bSetFSB(float fFSB)
{
    PLL_SETTING setting;
    if (!bSearchFSB(fFSB, setting)) return 0;
    m_FSB = setting;
    if (m_Model.bPrepareFSB) {
        bWrite(m_Model.FSB, m_Model.FSB.dwPLL, dwRead(m_Model.FSB, m_Model.FSB.dwPLL) | PREPARE_BIT);
        platform::Sleep(PREPARE_MS);
    }
    return bWriteSetting(m_Model.FSB, setting);
}

uint32_t CNVConfigPLL::bSetGSB(float fGSB)
{
    PLL_SETTING setting;
    if (!bSearchPCIE(fGSB, setting)) return 0;
    m_PCIE = setting;
    return bWriteSetting(m_Model.PCIE, setting);
}

uint32_t CNVConfigPLL::bPreviewClocks(CFrequencySet& set)
{
    PLL_SETTING setting;
    if (set.m_fFSB > 0 && bSearchFSB(set.m_fFSB, setting)) m_FSB = setting;
    if (m_bGSBEnabled && set.m_fGSB > 0 && bSearchPCIE(set.m_fGSB, setting)) m_PCIE = setting;
    vDecode(set);
    return 1;
}
