// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/KitFacts.h"

#include "cpu/CPUInterface.h"
#include "discovery/PCIDevice.h"
#include "discovery/PCIInterface.h"
#include "kit/ORVEXSDK.h"
#include "smbus/SMBusInterface.h"

namespace app {

namespace {

class CKitFacts : public kit::CRootFacts {
public:
    float fMeasuredBusClock() override
    {
        CCPUInterface* pCPU = ORVEXSDK::Instance()->m_pCPUInterface;
        return pCPU && pCPU->m_fBusClock > 0 ? pCPU->m_fBusClock : -1.0f;
    }

    bool bPCIExpressGraphics() override
    {
        ORVEXSDK* pKit = ORVEXSDK::Instance();
        if (!pKit->m_pPCIInterface || !pKit->m_pDeviceList) return false;
        for (CTListItem<CDevice>* pItem = pKit->m_pDeviceList->m_pHead; pItem && pItem->m_pObject;
             pItem = pItem->m_pNext) {
            if (!(pItem->m_pObject->m_dwType & DEVICE_PCI)) continue;
            CPCIDevice* pDevice = static_cast<CPCIDevice*>(pItem->m_pObject);
            if (!pDevice->m_pCommonHeader || pDevice->m_pCommonHeader->m_bBaseClass != 0x03) continue;
            if (pDevice->FindCapability(PCI_CAP_AGP)) return false;
            if (pDevice->FindCapability(PCI_CAP_PCIE)) return true;
        }
        return false;
    }

    bool bHasPCIDevice(uint16_t wVendorID, uint16_t wDeviceID) override
    {
        CPCIInterface* pPCI = ORVEXSDK::Instance()->m_pPCIInterface;
        return pPCI && pPCI->FindDeviceByID(wVendorID, wDeviceID);
    }

    bool bSelectSMBusChannel(uint8_t nChannel) override
    {
        CSMBusInterface* pSMBus = ORVEXSDK::Instance()->m_pSMBusInterface;
        if (!pSMBus) return false;
        pSMBus->SetChannel(nChannel);
        return true;
    }

    bool bRestoreSMBusChannel() override
    {
        CSMBusInterface* pSMBus = ORVEXSDK::Instance()->m_pSMBusInterface;
        if (!pSMBus) return false;
        pSMBus->SetDefaultChannel();
        return true;
    }
};

}  // namespace

IMachineFacts& KitFacts()
{
    static CKitFacts s_Facts;
    return s_Facts;
}

}  // namespace app
