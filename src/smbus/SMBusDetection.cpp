// Which south bridge gets which SMBus controller class, how its host interface is switched
// on and where its register block lies: one table row per family, walked in the order the
// PCI scan listed the functions.
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

// Configuration access of the function being detected.
struct CDetection {
    CPCIInterface* pPCI;
    CPCIDevice* pDevice;
    uint8_t bBaseRegister;  // where the I/O base is read; a step may choose another

    uint32_t dwRead(uint32_t dwOffset) const
    {
        return pPCI->ReadConfig(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, dwOffset);
    }
    bool bBit(uint32_t dwOffset, unsigned nBit) const { return (dwRead(dwOffset) >> nBit) & 1; }
    // A base register masked; a read that failed (all ones) counts as no base at all.
    uint32_t dwBase(uint32_t dwOffset, uint32_t dwMask) const
    {
        const uint32_t dwValue = dwRead(dwOffset);
        return dwValue == (0xFFFFFFFFu >> (8 * (dwOffset & 3))) ? 0 : dwValue & dwMask;
    }
    // A 32-bit read-modify-write of the aligned dword.
    void vSet(uint32_t dwOffset, uint32_t dwSet, uint32_t dwClear = 0) const
    {
        const uint32_t dwAligned = dwOffset & ~3u;
        const uint32_t dwValue = dwRead(dwAligned);
        pPCI->WriteConfig(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, dwAligned,
                          (dwValue & ~dwClear) | dwSet);
    }
};

void vEnableIO(const CDetection& d)
{
    if (!d.bBit(0x04, 0)) d.vSet(0x04, 1);
}

bool bEnsureHostEnable(const CDetection& d)
{
    if (d.bBit(0xD2, 0)) return true;
    d.vSet(0xD0, 1u << 16);
    return d.bBit(0xD2, 0);
}

// The steps that switch a controller's host interface on; false means the detection fails.
bool bStepsNone(CDetection&) { return true; }

bool bStepsEnableIO(CDetection& d)
{
    vEnableIO(d);
    return true;
}

bool bStepsICH1(CDetection& d)
{
    vEnableIO(d);
    if (d.bBit(0x40, 0)) return true;
    d.vSet(0x40, 0x3);
    return d.bBit(0x40, 0);
}

bool bStepsICH4(CDetection& d)
{
    vEnableIO(d);
    d.vSet(0x40, 0x1, 0x4);
    return d.bBit(0x40, 0);
}

bool bStepsPIIX4(CDetection& d)
{
    vEnableIO(d);
    return bEnsureHostEnable(d);
}

bool bStepsVIAOld(CDetection& d)
{
    if (d.bBit(0x90, 0)) {
        d.bBaseRegister = 0x90;
        return bEnsureHostEnable(d);
    }
    if (!d.bBit(0x80, 0)) return false;
    d.bBaseRegister = 0x80;
    if (d.bBit(0x84, 0)) return true;
    d.vSet(0x84, 1);
    return d.bBit(0x84, 0);
}

bool bStepsVIANew(CDetection& d) { return d.bBit(0xD0, 0) && bEnsureHostEnable(d); }

bool bStepsAMD756(CDetection& d)
{
    vEnableIO(d);
    if (d.bBit(0x41, 7)) return true;
    d.vSet(0x40, 1u << 15);
    return d.bBit(0x41, 7);
}

bool bStepsALiM1563(CDetection& d)
{
    vEnableIO(d);
    if (!d.bBit(0x80, 0)) d.vSet(0x80, 0x7);
    return true;
}

bool bStepsALiM7101(CDetection& d)
{
    if (!d.bBit(0xD1, 2)) d.vSet(0xD0, 1u << 10);
    if (!d.bBit(0xF0, 0)) d.vSet(0xF0, 1);
    return true;
}

// What a base register of zero means for the row.
enum class EZeroBase {
    Fail,  // end the detection without a controller
    Next,  // go on with the next device
};

using PFN_STEPS = bool (*)(CDetection&);
using PFN_CREATE = CSMBusIOSpace* (*)(uint16_t wBase);

template <typename T>
CSMBusIOSpace* pCreate(uint16_t wBase)
{
    return new T(wBase);
}

struct SMBusControllerRow {
    uint16_t wVendorID;
    std::initializer_list<uint16_t> DeviceIDs;
    PFN_CREATE pfnCreate;  // null: the south bridge has no controller the kit drives
    PFN_STEPS pfnSteps;
    uint8_t bBaseRegister;
    uint8_t bSecondBaseRegister;  // non-zero: a second controller from this register
    uint32_t dwBaseMask;
    uint32_t dwBaseOffset;  // added to the masked base
    EZeroBase eZeroBase;
};

// clang-format off
const SMBusControllerRow s_Controllers[] = {
    {0x8086, {0x2413, 0x2423, 0x2443, 0x2483}, pCreate<Intel_ICH1_SMBusIOSpace>, bStepsICH1, 0x20, 0, 0xFFF0, 0, EZeroBase::Fail},
    {0x8086, {0x24C3, 0x24D3, 0x25A4, 0x266A, 0x269B, 0x27DA, 0x283E, 0x2930}, pCreate<Intel_ICH4_SMBusIOSpace>, bStepsICH4, 0x20, 0, 0xFFF0, 0, EZeroBase::Fail},
    {0x8086, {0x7113}, pCreate<Intel_PIIX4_SMBusIOSpace>, bStepsPIIX4, 0x90, 0, 0xFFF0, 0, EZeroBase::Fail},
    {0x1106, {0x3050, 0x3057, 0x3086, 0x8235}, pCreate<VIA_VT82_SMBusIOSpace>, bStepsVIAOld, 0x90, 0, 0xFFF0, 0, EZeroBase::Fail},
    {0x1106, {0x3074, 0x3147, 0x3177, 0x3227, 0x3287, 0x3337}, pCreate<VIA_VT82_SMBusIOSpace>, bStepsVIANew, 0xD0, 0, 0xFFF0, 0, EZeroBase::Fail},
    {0x1002, {0x4353, 0x4372, 0x4385}, pCreate<ATI_SB_SMBusIOSpace>, bStepsEnableIO, 0x90, 0, 0xFFF0, 0, EZeroBase::Fail},
    {0x1022, {0x7403, 0x740B, 0x7443}, pCreate<AMD_AM755_SMBusIOSpace>, bStepsAMD756, 0x58, 0, 0xFFF0, 0xE0, EZeroBase::Fail},
    {0x1039, {0x0016}, pCreate<SiS_SMBusIOSpace>, bStepsEnableIO, 0x20, 0, 0xFFE0, 0, EZeroBase::Fail},
    {0x1039, {0x0964}, pCreate<SiS_SMBusIOSpace>, bStepsNone, 0x74, 0, 0xFFF0, 0xE0, EZeroBase::Fail},
    {0x1039, {0x0965, 0x0966}, pCreate<SiS_SMBusIOSpace>, bStepsNone, 0x74, 0, 0xFFF0, 0xD0, EZeroBase::Fail},
    {0x10B9, {0x1563, 0x1573, 0x1575}, pCreate<ALI_M1563_SMBusIOSpace>, bStepsALiM1563, 0x80, 0, 0xFFF0, 0, EZeroBase::Next},
    {0x10B9, {0x7101}, pCreate<ALI_M7101_SMBusIOSpace>, bStepsALiM7101, 0xE2, 0, 0xFFE0, 0, EZeroBase::Next},
    {0x10DE, {0x0034, 0x0052, 0x0064, 0x0084, 0x00D4, 0x00E4}, pCreate<nVidia_SMBusIOSpace>, bStepsEnableIO, 0x50, 0x54, 0xFFFC, 0, EZeroBase::Next},
    {0x10DE, {0x0264, 0x0368, 0x03EB}, pCreate<nVidia_SMBusIOSpace>, bStepsEnableIO, 0x20, 0x24, 0xFFFC, 0, EZeroBase::Next},
    {0x10DE, {0x01B4}, pCreate<nVidia_SMBusIOSpace>, bStepsEnableIO, 0x10, 0x14, 0xFFFC, 0, EZeroBase::Next},
    {0x1166, {0x0200, 0x0201}, nullptr, bStepsNone, 0, 0, 0, 0, EZeroBase::Fail},
};
// clang-format on

const SMBusControllerRow* pFindRow(uint16_t wVendorID, uint16_t wDeviceID)
{
    for (const SMBusControllerRow& row : s_Controllers) {
        if (row.wVendorID != wVendorID) continue;
        for (uint16_t wID : row.DeviceIDs)
            if (wID == wDeviceID) return &row;
    }
    return nullptr;
}

// The kernel may drive the controller already; raw access beside it would interleave two
// hosts' transactions on one register block.
bool bAccessAllowed(CPCIDevice* pDevice, std::string& strRefusal)
{
    if (kit::MachineFacts().bMayDriveSMBus(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, strRefusal))
        return true;
    kit::DebugTrace("SMBus: %s\n", strRefusal.c_str());
    return false;
}

void vAddController(CSMBusIOSpace* pController)
{
    kit::DebugTrace("SMBus: controller at 0x%04X\n", pController->m_dwBase);
    ORVEXSDK::Instance()->AddIOSpace(pController);
}

enum class EOutcome { Created, Failed, Next };

// Carries out one row on the device that matched it.
EOutcome eDetect(const SMBusControllerRow& row, CDetection& d, std::string& strRefusal)
{
    if (!row.pfnCreate) return EOutcome::Created;  // nothing to drive, and that is success
    if (!bAccessAllowed(d.pDevice, strRefusal)) return EOutcome::Failed;
    if (!row.pfnSteps(d)) return EOutcome::Failed;

    if (row.bSecondBaseRegister) {
        // Up to two controllers, one per non-zero base; the row succeeds even with none.
        for (uint8_t bRegister : {row.bBaseRegister, row.bSecondBaseRegister}) {
            const uint32_t dwBase = d.dwBase(bRegister, row.dwBaseMask);
            if (dwBase) vAddController(row.pfnCreate(uint16_t(dwBase)));
        }
        return EOutcome::Created;
    }
    const uint32_t dwMasked = d.dwBase(d.bBaseRegister, row.dwBaseMask);
    // A base register nobody programmed would put the controller on ports that belong to
    // something else: even where an offset is added, zero ends the row.
    if (!dwMasked) return row.eZeroBase == EZeroBase::Next ? EOutcome::Next : EOutcome::Failed;
    vAddController(row.pfnCreate(uint16_t(dwMasked + row.dwBaseOffset)));
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
        const SMBusControllerRow* pRow =
            pFindRow(pDevice->m_pCommonHeader->m_wVendorID, pDevice->m_pCommonHeader->m_wDeviceID);
        if (!pRow) continue;
        CDetection detection{pPCI, pDevice, pRow->bBaseRegister};
        switch (eDetect(*pRow, detection, m_strRefusal)) {
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
    } s_Branch[] = {{0x74, 0x78}, {0x76, 0x7C}};
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
        for (const auto& branch : s_Branch)
            vAddController(new Intel_5000X_SMBusIOSpace(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction,
                                                        branch.bStatusRegister, branch.bCommandRegister));
    }
}
