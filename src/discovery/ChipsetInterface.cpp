// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/ChipsetInterface.h"

#include <cstdio>

#include "cpu/CPUInterface.h"
#include "discovery/ChipsetHiding.h"
#include "discovery/ChipsetNames.h"
#include "discovery/MemoryReaders.h"
#include "discovery/PCIDevice.h"
#include "discovery/PCIInterface.h"
#include "kit/ORVEXSDK.h"

namespace {

constexpr uint8_t CLASS_BRIDGE = 0x06;
constexpr uint8_t SUBCLASS_HOST = 0x00;
constexpr uint8_t SUBCLASS_ISA = 0x01;

template <typename TBridge>
void vNameFromTables(TBridge& bridge, bool bNorth)
{
    const CChipsetVendor* pVendor = chipset::pFindVendor(bridge.wVendorID());
    if (!pVendor) return;
    std::snprintf(bridge.m_szVendor, sizeof bridge.m_szVendor, "%s", pVendor->pszVendor);
    const char* pszModel =
        chipset::pszFindModel(bNorth ? pVendor->pNorthBridges : pVendor->pSouthBridges, bridge.wDeviceID());
    if (pszModel) std::snprintf(bridge.m_szModel, sizeof bridge.m_szModel, "%s", pszModel);
}

bool bAtOrigin(const CPCIDevice* pDevice)
{
    return pDevice->m_bBus == 0 && pDevice->m_bDevice == 0 && pDevice->m_bFunction == 0;
}

}  // namespace

CChipsetInterface::CChipsetInterface()
    : CInterface(INTERFACE_CHIPSET),
      m_pNorthBridges(new CTList<CNorthBridge>),
      m_pNorthBridge(nullptr),
      m_pSouthBridge(nullptr),
      m_pMemoryInfo(new CMemoryInfo)
{
}

CChipsetInterface::~CChipsetInterface()
{
    m_pNorthBridges->DeleteAll();
    delete m_pNorthBridges;
    delete m_pSouthBridge;
    delete m_pMemoryInfo;
}

uint32_t CChipsetInterface::Probe()
{
    CPCIInterface* pPCI = ORVEXSDK::Instance()->m_pPCIInterface;
    if (!pPCI) return 0;

    CTList<CPCIDevice> southBridges;
    pPCI->CountDevicesByClass(CLASS_BRIDGE, SUBCLASS_ISA, &southBridges);
    if (southBridges.m_pHead && southBridges.m_pHead->m_pObject) {
        m_pSouthBridge = new CSouthBridge(southBridges.m_pHead->m_pObject);
        IdentifySouthBridge();
    }

    CTList<CPCIDevice> hostBridges;
    pPCI->CountDevicesByClass(CLASS_BRIDGE, SUBCLASS_HOST, &hostBridges);
    for (CTListItem<CPCIDevice>* pItem = hostBridges.m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext) {
        CNorthBridge* pBridge = new CNorthBridge(pItem->m_pObject);
        IdentifyNorthBridge(*pBridge);
        m_pNorthBridges->Append(pBridge);
        if (bAtOrigin(pItem->m_pObject)) m_pNorthBridge = pBridge;
    }
    // Some north bridges announce another class at 0:0.0; the function there is the main one.
    if (!m_pNorthBridge) {
        if (CPCIDevice* pDevice = pPCI->FindDevice(0, 0, 0)) {
            CNorthBridge* pBridge = new CNorthBridge(pDevice);
            IdentifyNorthBridge(*pBridge);
            m_pNorthBridges->Append(pBridge);
            m_pNorthBridge = pBridge;
        }
    }

    float fBusClock, fProcessorValue;
    CurrentClocks(fBusClock, fProcessorValue);
    m_pMemoryInfo->m_fMemoryClock = GetMemoryClock(fBusClock, fProcessorValue);
    return 1;
}

void CChipsetInterface::Refresh()
{
    m_pMemoryInfo->Reset();
    for (CTListItem<CNorthBridge>* pItem = m_pNorthBridges->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext)
        IdentifyNorthBridge(*pItem->m_pObject);
    float fBusClock, fProcessorValue;
    CurrentClocks(fBusClock, fProcessorValue);
    m_pMemoryInfo->m_fMemoryClock = GetMemoryClock(fBusClock, fProcessorValue);
}

void CChipsetInterface::Close()
{
    if (m_pSouthBridge) chipset::vHideSMBusFunction(*m_pSouthBridge);
    for (CTListItem<CNorthBridge>* pItem = m_pNorthBridges->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext)
        chipset::vRestoreDevice6(*pItem->m_pObject);
}

float CChipsetInterface::GetMemoryClock(float fBusClock, float fProcessorValue) const
{
    return m_pMemoryInfo->GetMemoryClock(fBusClock, fProcessorValue);
}

void CChipsetInterface::IdentifySouthBridge()
{
    vNameFromTables(*m_pSouthBridge, false);
    chipset::vShowSMBusFunction(*m_pSouthBridge);
}

void CChipsetInterface::IdentifyNorthBridge(CNorthBridge& bridge)
{
    bridge.ResetNames();
    vNameFromTables(bridge, true);
    chipset::bShowDevice6(bridge);
    if (PFN_MEMORY_READER pReader = chipset::pFindMemoryReader(bridge.wVendorID(), bridge.wDeviceID()))
        pReader(bridge, *m_pMemoryInfo);
}

void CChipsetInterface::CurrentClocks(float& fBusClock, float& fProcessorValue) const
{
    // The bus clock and processor 0's multiplier come from the CPU interface; without one
    // both are unknown.
    fBusClock = -1.0f;
    fProcessorValue = -1.0f;
    CCPUInterface* pCPU = ORVEXSDK::Instance()->m_pCPUInterface;
    if (!pCPU) return;
    fBusClock = pCPU->m_fBusClock;
    if (CProcessor* pProcessor = pCPU->GetProcessor(0)) fProcessorValue = pProcessor->GetCoreMultiplier(0);
}
