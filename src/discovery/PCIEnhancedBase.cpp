// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/PCIEnhancedBase.h"

#include "discovery/PCIDevice.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "kit/PCIConfig.h"

namespace discovery {

namespace {

constexpr uint16_t INTEL = 0x8086, NVIDIA = 0x10DE, ATI = 0x1002, VIA = 0x1106, SIS = 0x1039;

const EnhancedBaseRule s_Rules[] = {
    // Intel 915/925/945/955/975 and 945GM families: PCIEXBAR at 0x48.
    {INTEL, 0x2580, 0x48, 0, 0xF0000000, 0},
    {INTEL, 0x2584, 0x48, 0, 0xF0000000, 0},
    {INTEL, 0x2590, 0x48, 0, 0xF0000000, 0},
    {INTEL, 0x2770, 0x48, 0, 0xF0000000, 0},
    {INTEL, 0x2774, 0x48, 0, 0xF0000000, 0},
    {INTEL, 0x277C, 0x48, 0, 0xF0000000, 0},
    {INTEL, 0x27A0, 0x48, 0, 0xF0000000, 0},
    // Intel 946/965/G35 families: PCIEXBAR at 0x60.
    {INTEL, 0x2980, 0x60, 0, 0xF0000000, 0},
    {INTEL, 0x2990, 0x60, 0, 0xF0000000, 0},
    {INTEL, 0x29A0, 0x60, 0, 0xF0000000, 0},
    {INTEL, 0x2A00, 0x60, 0, 0xF0000000, 0},
    // Intel E7520/E7320: the base in 64 KiB units at 0xCE.
    {INTEL, 0x3590, 0xCE, 0, 0xFFFF, 16},
    {INTEL, 0x359E, 0xCE, 0, 0xFFFF, 16},
    // nVidia: the base in 256 MiB units.
    {NVIDIA, 0x02F0, 0x90, 3, 0xFF, 28},
    {NVIDIA, 0x02F4, 0x90, 3, 0xFF, 28},
    {NVIDIA, 0x0369, 0x90, 3, 0xFF, 28},
    {NVIDIA, 0x005E, 0x90, 0, 0x3FF, 28},
    {NVIDIA, 0x0070, 0x88, 0, 0xFF, 28},
    {NVIDIA, 0x0071, 0x88, 0, 0xFF, 28},
    // ATI.
    {ATI, 0x5950, 0x1C, 0, 0xF0000000, 0},
    {ATI, 0x5A31, 0x1C, 0, 0xF0000000, 0},
    {ATI, 0x5A33, 0x1C, 0, 0xF0000000, 0},
    {ATI, 0x5952, 0x1C, 0, 0xFFE00000, 0},
    {ATI, 0x5953, 0x1C, 0, 0xFFE00000, 0},
    {ATI, 0x7930, 0x1C, 0, 0xFFE00000, 0},
    {ATI, 0x7931, 0x1C, 0, 0xFFE00000, 0},
    // VIA and SiS: the base in 256 MiB units.
    {VIA, 0x5238, 0x61, 0, 0x0F, 28},
    {VIA, 0x5308, 0x61, 0, 0x0F, 28},
    {VIA, 0x5351, 0x61, 0, 0x0F, 28},
    {SIS, 0x0649, 0xE0, 0, 0x0F, 28},
    {SIS, 0x0650, 0xE0, 0, 0x0F, 28},
    {SIS, 0x0656, 0xE0, 0, 0x0F, 28},
};

}  // namespace

const EnhancedBaseRule* pFindEnhancedBaseRule(uint16_t wVendorID, uint16_t wDeviceID)
{
    for (const EnhancedBaseRule& rule : s_Rules)
        if (rule.wVendorID == wVendorID && rule.wDeviceID == wDeviceID) return &rule;
    return nullptr;
}

uint32_t dwDeriveEnhancedBase(const EnhancedBaseRule& rule, uint32_t dwValue)
{
    // 32-bit shifts: what goes beyond bit 31 is lost.
    return ((dwValue >> rule.bShiftRight) & rule.dwMask) << rule.bShiftLeft;
}

bool bRegisterEnhancedConfigSpace()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    uint32_t dwBase = 0xFFFFFFFF;
    for (CTListItem<CDevice>* pItem = pKit->m_pDeviceList->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext) {
        if (!(pItem->m_pObject->m_dwType & DEVICE_PCI)) continue;
        const CPCIDevice* pDevice = static_cast<const CPCIDevice*>(pItem->m_pObject);
        const EnhancedBaseRule* pRule =
            pFindEnhancedBaseRule(pDevice->m_pCommonHeader->m_wVendorID, pDevice->m_pCommonHeader->m_wDeviceID);
        if (!pRule) continue;
        const uint32_t dwValue = kit::dwReadPCIConfig(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, pRule->bRegister);
        // A read that failed says nothing about the window.
        if (dwValue == 0xFFFFFFFF) continue;
        const uint32_t dwDerived = dwDeriveEnhancedBase(*pRule, dwValue);
        if (dwDerived) dwBase = dwDerived;
    }
    if (dwBase == 0xFFFFFFFF) return false;
    pKit->AddIOSpace(new CPCIExpressIOSpace(dwBase));
    return true;
}

}  // namespace discovery
