// SPDX-License-Identifier: GPL-2.0-or-later
// The nForce3 150 and 250 PLL drivers.
#include "pll/chipset/NVNForce3.h"

#include "platform/Clock.h"

namespace {

constexpr uint32_t ID_NFORCE3_150 = 0x10000030, ID_NFORCE3_250 = 0x10000035;
constexpr uint32_t B_REFERENCE_250 = 0x00, B_REFERENCE_150 = 0x04, B_FSB_PLL = 0x08, B_AGP_PLL = 0x10;
constexpr uint32_t B_SOURCES = 0x1C;
constexpr uint32_t UPDATE_HOLD_BIT = 1u << 18;  // 250: held while the FSB PLL updates
constexpr uint32_t PLL_KEEP = 0xFFF00000;
constexpr int32_t FSB_START = 150, AGP_START = 100;
constexpr float AGP_CEILING = 254.0f;
constexpr float AGP_REFERENCE_DEFAULT = 200.0f;  // no measured bus clock
constexpr float AGP_REFERENCE_250 = 250.0f;
constexpr float FSB_REFERENCE_250_DEFAULT = 286.3636f;
constexpr uint32_t FSB_SETTLE_MS = 50, AGP_SETTLE_MS = 100;

}  // namespace

NV_NForce3_150_ClockGenerator::NV_NForce3_150_ClockGenerator() : NV_NForce3_150_ClockGenerator(ID_NFORCE3_150, 254.0f) {}

NV_NForce3_150_ClockGenerator::NV_NForce3_150_ClockGenerator(uint32_t dwID, float fFSBCeiling)
    : CNVChipsetPLL(dwID, 100.0f, 500.0f, GSB_AGP), m_fFSBCeiling(fFSBCeiling)
{
}

float NV_NForce3_150_ClockGenerator::fReadFSBReference()
{
    const uint32_t v = m_Windows.dwReadB(B_REFERENCE_150);
    const float fNumerator = float((v >> 4) & 0xFF) * NV_CRYSTAL * float((v >> 14) & 0x3F);
    const uint32_t nDenominator = ((v >> 12) & 3) * (v & 0xF);
    // A synthesis register with a zero divider names no reference.
    return nDenominator ? fNumerator / float(nDenominator) * 0.25f : -1.0f;
}

float NV_NForce3_150_ClockGenerator::fAGPReference(uint32_t dwSources)
{
    switch ((dwSources >> 28) & 3) {
    case 0: {
        const float fBus = fMeasuredBusClock();
        return fBus > 0 ? fBus : AGP_REFERENCE_DEFAULT;
    }
    case 1:
        return m_fFSBReference;
    default:  // sources 2 and 3 are not known to drive the AGP PLL
        return -1.0f;
    }
}

float NV_NForce3_150_ClockGenerator::fPCI(float fFSB) const
{
    if (m_nPCISource) return fFSB > 0 ? fFSB / 6.0f : -1.0f;
    return m_fFSBReference > 0 ? m_fFSBReference * 4.0f / 27.0f : -1.0f;
}

bool NV_NForce3_150_ClockGenerator::bUpdate() { return m_Windows.bUpdate(); }

uint32_t NV_NForce3_150_ClockGenerator::bReadClocks(CFrequencySet& set)
{
    if (!bHavePCI() || !m_Windows.bOpen(0, 1, 0)) return 0;
    m_Windows.vReleaseControl();
    m_fFSBReference = fReadFSBReference();
    const uint32_t dwFSB = m_Windows.dwReadB(B_FSB_PLL);
    m_FSB.nDivisor = int32_t(dwFSB & 0x3FF);
    m_FSB.nN = int32_t((dwFSB >> 10) & 0x3FF);
    if (m_bGSBEnabled) {
        const uint32_t dwAGP = m_Windows.dwReadB(B_AGP_PLL);
        m_AGP.nDivisor = int32_t(dwAGP & 0x3FF);
        m_AGP.nN = int32_t((dwAGP >> 10) & 0x3FF);
        const uint32_t dwSources = m_Windows.dwReadB(B_SOURCES);
        m_fAGPReference = fAGPReference(dwSources);
        m_nPCISource = (dwSources >> 27) & 1;
    }
    vDecode(set);
    return 1;
}

void NV_NForce3_150_ClockGenerator::vDecode(CFrequencySet& set) const
{
    const float fFSB = fClock(m_fFSBReference * 0.5f, uint32_t(m_FSB.nN), uint32_t(m_FSB.nDivisor));
    const float fAGP = fClock(m_fAGPReference * 0.125f, uint32_t(m_AGP.nN), uint32_t(m_AGP.nDivisor));
    vFill(set, fFSB, fAGP, fPCI(fFSB));
}

uint32_t NV_NForce3_150_ClockGenerator::bSetFSB(float fFSB)
{
    PLL_SETTING setting;
    if (!bSearch(fFSB, m_Min.m_fFSB, m_Max.m_fFSB, 0, m_fFSBReference * 0.5f, FSB_START, m_fFSBCeiling, setting))
        return 0;
    if (!m_Windows.bOpen(0, 1, 0)) return 0;
    m_FSB = setting;
    m_Windows.bWritePLL(B_FSB_PLL, PLL_KEEP, setting);
    platform::Sleep(FSB_SETTLE_MS);
    return bUpdate() ? 1 : 0;
}

uint32_t NV_NForce3_150_ClockGenerator::bSetGSB(float fGSB)
{
    PLL_SETTING setting;
    if (!bSearch(fGSB, m_Min.m_fGSB, m_Max.m_fGSB, 0, m_fAGPReference * 0.125f, AGP_START, AGP_CEILING, setting))
        return 0;
    if (!m_Windows.bOpen(0, 1, 0)) return 0;
    m_AGP = setting;
    const uint32_t bResult = m_Windows.bWritePLL(B_AGP_PLL, PLL_KEEP, setting);
    platform::Sleep(AGP_SETTLE_MS);
    return bResult;
}

uint32_t NV_NForce3_150_ClockGenerator::bPreviewClocks(CFrequencySet& set)
{
    PLL_SETTING setting;
    if (set.m_fFSB > 0 && bSearch(set.m_fFSB, m_Min.m_fFSB, m_Max.m_fFSB, 0, m_fFSBReference * 0.5f, FSB_START,
                                  m_fFSBCeiling, setting))
        m_FSB = setting;
    if (m_bGSBEnabled && set.m_fGSB > 0 &&
        bSearch(set.m_fGSB, m_Min.m_fGSB, m_Max.m_fGSB, 0, m_fAGPReference * 0.125f, AGP_START, AGP_CEILING, setting))
        m_AGP = setting;
    vDecode(set);
    return 1;
}

NV_NForce3_250_ClockGenerator::NV_NForce3_250_ClockGenerator() : NV_NForce3_150_ClockGenerator(ID_NFORCE3_250, 512.0f) {}

float NV_NForce3_250_ClockGenerator::fReadFSBReference()
{
    const uint32_t v = m_Windows.dwReadB(B_REFERENCE_250);
    m_Windows.dwReadB(B_REFERENCE_150);
    const uint32_t nMultiplier = (v >> 10) & 0x3FF, nDivider = v & 0x3FF;
    return nMultiplier && nDivider ? float(nMultiplier) * NV_CRYSTAL / float(nDivider) : FSB_REFERENCE_250_DEFAULT;
}

float NV_NForce3_250_ClockGenerator::fAGPReference(uint32_t dwSources)
{
    if (dwSources & (1u << 29)) return AGP_REFERENCE_250;
    const float fBus = fMeasuredBusClock();
    return fBus > 0 ? fBus : AGP_REFERENCE_DEFAULT;
}

float NV_NForce3_250_ClockGenerator::fPCI(float fFSB) const
{
    if (m_nPCISource) return fFSB > 0 ? fFSB / 6.0f : -1.0f;
    return NV_PCI_FIXED;
}

bool NV_NForce3_250_ClockGenerator::bUpdate()
{
    m_Windows.bWriteB(B_SOURCES, m_Windows.dwReadB(B_SOURCES) | UPDATE_HOLD_BIT);
    if (!m_Windows.bUpdate()) return false;  // the hold bit stays set
    m_Windows.bWriteB(B_SOURCES, m_Windows.dwReadB(B_SOURCES) & ~UPDATE_HOLD_BIT);
    return true;
}
