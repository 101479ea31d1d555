// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/PCIInterface.h"

#include "discovery/PCIDevice.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "kit/PCIConfig.h"

namespace {

// The PCI functions of the kit's device list, in order, until fnVisit returns true.
template <typename F>
CPCIDevice* pWalkPCIDevices(F&& fnVisit)
{
    CTList<CDevice>* pList = ORVEXSDK::Instance()->m_pDeviceList;
    for (CTListItem<CDevice>* pItem = pList->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext) {
        if (!(pItem->m_pObject->m_dwType & DEVICE_PCI)) continue;
        CPCIDevice* pDevice = static_cast<CPCIDevice*>(pItem->m_pObject);
        if (fnVisit(pDevice)) return pDevice;
    }
    return nullptr;
}

}  // namespace

CPCIInterface::CPCIInterface() : CInterface(INTERFACE_PCI), m_nBusDevices(-1), m_nFunctions(-1) {}

uint32_t CPCIInterface::Init()
{
    m_nBusDevices = 512;  // buses 0 to 15, 32 devices each
    m_nFunctions = 8;
    ORVEXSDK::Instance()->AddIOSpace(new CPCIIOSpace);
    return 1;
}

uint32_t CPCIInterface::ReadConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    return kit::dwReadPCIConfig(dwBus, dwDevice, dwFunction, dwOffset);
}

uint32_t CPCIInterface::WriteConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset,
                                    uint32_t dwValue)
{
    return kit::bWritePCIConfig(dwBus, dwDevice, dwFunction, dwOffset, dwValue);
}

CPCIDevice* CPCIInterface::FindDevice(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction)
{
    return pWalkPCIDevices([&](CPCIDevice* p) {
        return p->m_bBus == dwBus && p->m_bDevice == dwDevice && p->m_bFunction == dwFunction;
    });
}

CPCIDevice* CPCIInterface::FindDeviceByID(uint16_t wVendorID, uint16_t wDeviceID)
{
    return pWalkPCIDevices([&](CPCIDevice* p) {
        return p->m_pCommonHeader->m_wVendorID == wVendorID && p->m_pCommonHeader->m_wDeviceID == wDeviceID;
    });
}

uint32_t CPCIInterface::CountDevicesByClass(uint8_t bBaseClass, uint8_t bSubClass, CTList<CPCIDevice>* pList)
{
    uint32_t nCount = 0;
    pWalkPCIDevices([&](CPCIDevice* p) {
        if (p->m_pCommonHeader->m_bBaseClass == bBaseClass && p->m_pCommonHeader->m_bSubClass == bSubClass) {
            ++nCount;
            if (pList) pList->Append(p);
        }
        return false;
    });
    return nCount;
}
