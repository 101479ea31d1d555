// SPDX-License-Identifier: GPL-2.0-or-later
// The nForce4 and MCP55 PLL drivers.
#include "pll/chipset/NVNForce4.h"

#include "discovery/PCIDevice.h"
#include "discovery/PCIInterface.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t ID_NFORCE4 = 0x10000040, ID_NFORCE5 = 0x10000054;
constexpr uint16_t NVIDIA = 0x10DE, MCP55_DEVICE = 0x0368;
constexpr uint32_t B_REFERENCE_READ = 0x00, B_FSB_PLL = 0x08, B_PCI_SOURCE = 0x1C;
constexpr uint32_t B_PCIE_REFERENCE = 0x38, B_PCIE_PLL = 0x3C;
constexpr uint32_t FSB_KEEP = 0xFFF00000, PCIE_KEEP = 0xFFFC0000;
constexpr int32_t FSB_START = 256, PCIE_START = 128;
constexpr float CEILING = 1000.0f;
constexpr uint32_t FSB_SETTLE_MS = 50, PCIE_SETTLE_MS = 100;

}  // namespace

NV_NForce4_ClockGenerator::NV_NForce4_ClockGenerator() : NV_NForce4_ClockGenerator(ID_NFORCE4, 600.0f) {}

NV_NForce4_ClockGenerator::NV_NForce4_ClockGenerator(uint32_t dwID, float fFSBMax)
    : CNVChipsetPLL(dwID, 100.0f, fFSBMax, GSB_PCIE)
{
}

bool NV_NForce4_ClockGenerator::bOpenWindows() { return m_Windows.bOpen(0, 1, 0); }

uint32_t NV_NForce4_ClockGenerator::bReadClocks(CFrequencySet& set)
{
    if (!bOpenWindows()) return 0;
    m_Windows.vReleaseControl();
    m_Windows.dwReadB(B_REFERENCE_READ);
    m_fFSBReference = NV_FSB_REFERENCE_K8;
    const uint32_t dwFSB = m_Windows.dwReadB(B_FSB_PLL);
    m_FSB.nDivisor = int32_t(dwFSB & 0x3FF);
    m_FSB.nN = int32_t((dwFSB >> 10) & 0x3FF);
    if (m_bGSBEnabled) {
        const uint32_t dwReference = m_Windows.dwReadB(B_PCIE_REFERENCE);
        m_fPCIEReference = fClock(NV_SYNTHESIS_BASE, (dwReference >> 8) & 0x3F, dwReference & 0x1F);
        const uint32_t dwPCIE = m_Windows.dwReadB(B_PCIE_PLL);
        m_PCIE.nDivisor = int32_t(dwPCIE & 0xFF);
        m_PCIE.nN = int32_t((dwPCIE >> 8) & 0x3FF);
        m_nPCISource = (m_Windows.dwReadB(B_PCI_SOURCE) >> 27) & 1;
    }
    vDecode(set);
    return 1;
}

void NV_NForce4_ClockGenerator::vDecode(CFrequencySet& set) const
{
    const float fFSB = fClock(m_fFSBReference * 0.5f, uint32_t(m_FSB.nN), uint32_t(m_FSB.nDivisor));
    const float fPCIE = fClock(m_fPCIEReference * 0.0625f, uint32_t(m_PCIE.nN), uint32_t(m_PCIE.nDivisor));
    const float fPCI = m_nPCISource ? (fFSB > 0 ? fFSB / 6.0f : -1.0f) : NV_PCI_FIXED;
    vFill(set, fFSB, fPCIE, fPCI);
}

uint32_t NV_NForce4_ClockGenerator::bSetFSB(float fFSB)
{
    PLL_SETTING setting;
    if (!bSearch(fFSB, m_Min.m_fFSB, m_Max.m_fFSB, 0, m_fFSBReference * 0.5f, FSB_START, CEILING, setting))
        return 0;
    if (!bOpenWindows()) return 0;
    m_FSB = setting;
    m_Windows.bWritePLL(B_FSB_PLL, FSB_KEEP, setting);
    platform::Sleep(FSB_SETTLE_MS);
    return m_Windows.bUpdate() ? 1 : 0;
}

uint32_t NV_NForce4_ClockGenerator::bSetGSB(float fGSB)
{
    PLL_SETTING setting;
    if (!bSearch(fGSB, m_Min.m_fGSB, m_Max.m_fGSB, 0, m_fPCIEReference * 0.0625f, PCIE_START, CEILING, setting))
        return 0;
    if (!bOpenWindows()) return 0;
    m_PCIE = setting;
    const uint32_t dwValue = m_Windows.dwReadB(B_PCIE_PLL);
    const uint32_t bResult = m_Windows.bWriteB(
        B_PCIE_PLL, (dwValue & PCIE_KEEP) | (uint32_t(setting.nN) & 0x3FF) << 8 | (uint32_t(setting.nDivisor) & 0xFF));
    platform::Sleep(PCIE_SETTLE_MS);
    return bResult;
}

uint32_t NV_NForce4_ClockGenerator::bPreviewClocks(CFrequencySet& set)
{
    PLL_SETTING setting;
    if (set.m_fFSB > 0 &&
        bSearch(set.m_fFSB, m_Min.m_fFSB, m_Max.m_fFSB, 0, m_fFSBReference * 0.5f, FSB_START, CEILING, setting))
        m_FSB = setting;
    if (m_bGSBEnabled && set.m_fGSB > 0 &&
        bSearch(set.m_fGSB, m_Min.m_fGSB, m_Max.m_fGSB, 0, m_fPCIEReference * 0.0625f, PCIE_START, CEILING, setting))
        m_PCIE = setting;
    vDecode(set);
    return 1;
}

NV_NForce5_ClockGenerator::NV_NForce5_ClockGenerator() : NV_NForce4_ClockGenerator(ID_NFORCE5, 500.0f) {}

bool NV_NForce5_ClockGenerator::bOpenWindows()
{
    if (m_Windows.bIsOpen()) return true;
    CPCIInterface* pPCI = ORVEXSDK::Instance()->m_pPCIInterface;
    CPCIDevice* pDevice = pPCI ? pPCI->FindDeviceByID(NVIDIA, MCP55_DEVICE) : nullptr;
    return pDevice && m_Windows.bOpen(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction);
}
