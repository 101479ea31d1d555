// SPDX-License-Identifier: GPL-2.0-or-later
// The walk of the PCI functions in the order the PCI scan listed them, looking for the first
// that the controller table (SMBusControllerTable.cpp) has a row for, and the FB-DIMM SPD
// controllers of the Intel 5000 series.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "discovery/PCIDevice.h"
#include "discovery/PCIInterface.h"
#include "kit/MachineFacts.h"
#include "kit/ORVEXSDK.h"
#include "kit/Trace.h"
#include "smbus/SMBusControllers.h"
#include "smbus/SMBusInterface.h"

namespace {

using smbus::CDetection;
using smbus::ControllerRow;
using smbus::EZeroBase;

// The kernel may drive the controller already; raw access beside it would interleave two
// hosts' transactions on one register block.
bool bAccessAllowed(CPCIDevice* pDevice, std::string& strRefusal)
{
    if (kit::MachineFacts().bMayDriveSMBus(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, strRefusal))
        return true;
    kit::DebugTrace("SMBus: %s\n", strRefusal.c_str());
    return false;
}

// The controller takes the name and the functions its row gives it.
void vAddController(CSMBusIOSpace* pController, const char* pszName, uint32_t dwFunctions)
{
    pController->m_strName = pszName;
    pController->m_dwFunctions = dwFunctions;
    kit::DebugTrace("SMBus: controller at 0x%04X (%s)\n", pController->m_dwBase, pszName);
    ORVEXSDK::Instance()->AddIOSpace(pController);
}

enum class EOutcome { Created, Failed, Next };

// Carries out one row on the device that matched it.
EOutcome eDetect(const ControllerRow& row, const char* pszName, CDetection& d, std::string& strRefusal)
{
    if (!row.pfnCreate) return EOutcome::Created;  // nothing to drive, and that is success
    if (!bAccessAllowed(d.pDevice, strRefusal)) return EOutcome::Failed;
    if (row.pfnEnable && !row.pfnEnable(d)) return EOutcome::Failed;

    if (row.bSecondBaseRegister) {
        // Up to two controllers, one per non-zero base; the row succeeds even with none.
        for (uint8_t bRegister : {row.bBaseRegister, row.bSecondBaseRegister}) {
            const uint32_t dwBase = d.dwBase(bRegister, row.dwBaseMask);
            if (dwBase) vAddController(row.pfnCreate(uint16_t(dwBase)), pszName, row.dwFunctions);
        }
        return EOutcome::Created;
    }
    const uint32_t dwMasked = d.dwBase(d.bBaseRegister, row.dwBaseMask);
    // A base register nobody programmed would put the controller on ports that belong to
    // something else: even where an offset is added, zero ends the row.
    if (!dwMasked) return row.eZeroBase == EZeroBase::Next ? EOutcome::Next : EOutcome::Failed;
    vAddController(row.pfnCreate(uint16_t(dwMasked + row.dwBaseOffset)), pszName, row.dwFunctions);
    return EOutcome::Created;
}

}  // namespace

uint32_t CSMBusInterface::DetectControllers()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    CPCIInterface* pPCI = pKit->m_pPCIInterface;
    if (!pPCI) return 0;
    m_strRefusal.clear();
    for (CTListItem<CDevice>* pItem = pKit->m_pDeviceList->m_pHead; pItem; pItem = pItem->m_pNext) {
        CDevice* pObject = pItem->m_pObject;
        if (!pObject || !(pObject->m_dwType & DEVICE_PCI)) continue;
        CPCIDevice* pDevice = static_cast<CPCIDevice*>(pObject);
        if (!pDevice->m_pCommonHeader) continue;
        const smbus::ControllerDevice* pFound = nullptr;
        const ControllerRow* pRow = smbus::pFindControllerRow(pDevice->m_pCommonHeader->m_wVendorID,
                                                              pDevice->m_pCommonHeader->m_wDeviceID, &pFound);
        if (!pRow) continue;
        CDetection detection{pPCI, pDevice, pRow->bBaseRegister};
        switch (eDetect(*pRow, pFound->pszName, detection, m_strRefusal)) {
        case EOutcome::Created: return 1;
        case EOutcome::Failed: return 0;
        case EOutcome::Next: break;
        }
    }
    return 0;
}

void CSMBusInterface::DetectFBDControllers()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    // Both SPD controllers of a branch: status/data register and command register.
    static const struct {
        uint8_t bStatusRegister;
        uint8_t bCommandRegister;
        const char* pszChannel;
    } s_Branch[] = {{.bStatusRegister = 0x74, .bCommandRegister = 0x78, .pszChannel = "0"},
                    {.bStatusRegister = 0x76, .bCommandRegister = 0x7C, .pszChannel = "1"}};
    for (CTListItem<CDevice>* pItem = pKit->m_pDeviceList->m_pHead; pItem; pItem = pItem->m_pNext) {
        CDevice* pObject = pItem->m_pObject;
        if (!pObject || !(pObject->m_dwType & DEVICE_PCI)) continue;
        CPCIDevice* pDevice = static_cast<CPCIDevice*>(pObject);
        if (!pDevice->m_pCommonHeader || pDevice->m_pCommonHeader->m_wVendorID != 0x8086) continue;
        const uint16_t wDeviceID = pDevice->m_pCommonHeader->m_wDeviceID;
        if (wDeviceID != 0x25F5 && wDeviceID != 0x25F6) continue;
        std::string strRefusal;
        if (!bAccessAllowed(pDevice, strRefusal)) {
            if (m_strRefusal.empty()) m_strRefusal = strRefusal;
            continue;
        }
        for (const auto& branch : s_Branch) {
            const std::string strName = std::string("Intel 5000 FB-DIMM branch ") + (wDeviceID == 0x25F5 ? "0" : "1") +
                                        " SPD channel " + branch.pszChannel;
            vAddController(new Intel_5000X_SMBusIOSpace(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction,
                                                        branch.bStatusRegister, branch.bCommandRegister),
                           strName.c_str(), Intel_5000X_SMBusIOSpace::FUNCTIONS);
        }
    }
}
