// SPDX-License-Identifier: GPL-2.0-or-later
// The PCI scan: one CPCIDevice per function that answers, with its header and its class
// name; the rest of the configuration and the capability chains are read on first use. A
// rescan adds the functions that appeared, removes the ones that vanished and keeps the
// others as they are.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "discovery/PCICapabilities.h"
#include "discovery/PCIClassNames.h"
#include "discovery/PCIDevice.h"
#include "discovery/PCIEnhancedBase.h"
#include "discovery/PCIInterface.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "kit/PCIConfig.h"

namespace {

constexpr unsigned MAX_CAPABILITIES = 48;
// Every extended capability takes at least one dword of the 3840 bytes above 0xFF: a chain
// longer than this loops.
constexpr unsigned MAX_EXT_CAPABILITIES = (PCI_EXPRESS_CONFIG_SIZE - PCI_CONFIG_SIZE) / 4;
constexpr uint32_t BUS_DEVICE_LIMIT = 256 * 32;
constexpr int32_t FUNCTION_LIMIT = 8;
constexpr uint8_t MULTI_FUNCTION = 0x80;

CPCIHeader* pCreateHeader(uint8_t bHeaderType)
{
    switch (bHeaderType & 0x7F) {
    case 0: return new CPCIHeaderType0;
    case 1: return new CPCIHeaderType1;
    case 2: return new CPCIHeaderType2;
    default: return nullptr;
    }
}

// Keeps the bytes the capability occupies; those beyond the image read as all ones.
void vKeepData(CPCICapability& cap, const uint8_t* pbConfig, uint32_t dwSize)
{
    if (cap.m_nLength <= 0) return;
    const uint32_t nLength = static_cast<uint32_t>(cap.m_nLength);
    cap.m_pData = new uint8_t[nLength];
    std::memset(cap.m_pData, 0xFF, nLength);
    if (cap.m_dwOffset < dwSize)
        std::memcpy(cap.m_pData, pbConfig + cap.m_dwOffset, std::min(nLength, dwSize - cap.m_dwOffset));
}

void vAddCapability(CTList<CPCICapability>*& pList, uint32_t& dwMask, uint32_t dwID, bool bExtended, uint32_t dwOffset,
                    const uint8_t* pbConfig, uint32_t dwSize)
{
    CPCICapability* pCap = CreatePCICapability(dwID, bExtended);
    pCap->m_dwOffset = dwOffset;
    pCap->Parse(pbConfig, dwSize);
    vKeepData(*pCap, pbConfig, dwSize);
    dwMask |= uint32_t(1) << (dwID & 31);
    if (!pList) pList = new CTList<CPCICapability>;
    pList->Append(pCap);
}

// The standard chain from the header's capability pointer.
void vWalkCapabilities(CPCIDevice& device, const uint8_t* pbConfig)
{
    uint32_t dwPointer = device.m_pHeader->GetCapabilityPointer();
    for (unsigned n = 0; n < MAX_CAPABILITIES; ++n) {
        dwPointer &= 0xFC;
        if (dwPointer < 0x40) break;
        const uint32_t dwID = pbConfig[dwPointer];
        if (dwID == 0xFF) break;
        vAddCapability(device.m_pCapabilities, device.m_dwCapsMask, dwID, false, dwPointer, pbConfig, PCI_CONFIG_SIZE);
        dwPointer = pbConfig[dwPointer + 1];
    }
}

// The extended chain from offset 256, read through the enhanced configuration space into the
// work buffer.
void vWalkExtCapabilities(CPCIDevice& device, CPCIExpressIOSpace& space, uint8_t* pbBuffer)
{
    for (uint32_t dwOffset = 0; dwOffset < PCI_EXPRESS_CONFIG_SIZE; dwOffset += 4) {
        const uint32_t dwValue = space.ReadConfig(device.m_bBus, device.m_bDevice, device.m_bFunction, dwOffset);
        for (unsigned i = 0; i < 4; ++i) pbBuffer[dwOffset + i] = uint8_t(dwValue >> (8 * i));
    }
    uint32_t dwOffset = PCI_CONFIG_SIZE;
    for (unsigned n = 0; n < MAX_EXT_CAPABILITIES; ++n) {
        uint32_t dwHeader = 0;
        for (unsigned i = 0; i < 4; ++i) dwHeader |= uint32_t(pbBuffer[dwOffset + i]) << (8 * i);
        const uint32_t dwID = dwHeader & 0xFFFF;
        if (dwHeader == 0xFFFFFFFF || dwID == 0xFFFF || dwID == 0) break;
        vAddCapability(device.m_pExtCapabilities, device.m_dwExtCapsMask, dwID, true, dwOffset, pbBuffer,
                       PCI_EXPRESS_CONFIG_SIZE);
        // The low two bits of the next offset are reserved.
        dwOffset = (dwHeader >> 20) & 0xFFC;
        if (dwOffset < PCI_CONFIG_SIZE) break;
    }
}

bool bHasPCIExpressCapability(const CPCIDevice& device) { return device.m_dwCapsMask & (uint32_t(1) << PCI_CAP_PCIE); }

// Bytes of the header a listing needs: the common part and the layout-specific part (the
// CardBus layout runs to 0x47).
uint32_t dwHeaderBytes(uint8_t bHeaderType) { return (bHeaderType & 0x7F) == 2 ? 0x48 : 0x40; }

void vReadDwords(CPCIInterface& pci, const CPCIDevice& device, uint32_t dwFrom, uint32_t dwTo, uint8_t* pbConfig)
{
    for (uint32_t dwOffset = dwFrom; dwOffset < dwTo; dwOffset += 4) {
        const uint32_t dwValue = pci.ReadConfig(device.m_bBus, device.m_bDevice, device.m_bFunction, dwOffset);
        for (unsigned i = 0; i < 4; ++i) pbConfig[dwOffset + i] = uint8_t(dwValue >> (8 * i));
    }
}

// A record for a function that answered: its header, layout and class name. The rest of the
// configuration waits for ReadDetails. dwIDs is the first dword, already read by the probe (the
// vendor and device ids are read-only, so a second read could only return the same).
CPCIDevice* pReadFunction(CPCIInterface& pci, uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwIDs)
{
    CPCIDevice* pDevice = new CPCIDevice(uint8_t(dwBus), uint8_t(dwDevice), uint8_t(dwFunction));
    pDevice->m_pConfig = new uint8_t[PCI_CONFIG_SIZE];
    std::memset(pDevice->m_pConfig, 0xFF, PCI_CONFIG_SIZE);
    for (unsigned i = 0; i < 4; ++i) pDevice->m_pConfig[i] = uint8_t(dwIDs >> (8 * i));
    vReadDwords(pci, *pDevice, 4, 0x10, pDevice->m_pConfig);
    pDevice->m_pCommonHeader->Parse(pDevice->m_pConfig);
    vReadDwords(pci, *pDevice, 0x10, dwHeaderBytes(pDevice->m_pCommonHeader->m_bHeaderType), pDevice->m_pConfig);

    pDevice->m_pHeader = pCreateHeader(pDevice->m_pCommonHeader->m_bHeaderType);
    if (pDevice->m_pHeader) pDevice->m_pHeader->Parse(pDevice->m_pConfig);

    const CPCICommonHeader& h = *pDevice->m_pCommonHeader;
    discovery::vDescribePCIClass(h.m_bBaseClass, h.m_bSubClass, h.m_bProgIf, pDevice->m_szDescription,
                                 sizeof pDevice->m_szDescription);
    return pDevice;
}

// Whether the kit holds a record of functions 1 to 7 of the device (from an earlier scan).
bool bHasOtherFunctions(uint32_t dwBus, uint32_t dwDevice)
{
    CTList<CDevice>* pList = ORVEXSDK::Instance()->m_pDeviceList;
    for (CTListItem<CDevice>* pItem = pList->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext) {
        if (!(pItem->m_pObject->m_dwType & DEVICE_PCI)) continue;
        const CPCIDevice* p = static_cast<const CPCIDevice*>(pItem->m_pObject);
        if (p->m_bBus == dwBus && p->m_bDevice == dwDevice && p->m_bFunction != 0) return true;
    }
    return false;
}

}  // namespace

void CPCIDevice::ReadDetails()
{
    if (m_bDetailsRead) return;
    m_bDetailsRead = true;
    CPCIInterface* pPCI = ORVEXSDK::Instance()->m_pPCIInterface;
    if (!pPCI || !m_pConfig) return;
    vReadDwords(*pPCI, *this, dwHeaderBytes(m_pCommonHeader->m_bHeaderType), PCI_CONFIG_SIZE, m_pConfig);
    if (m_pHeader) vWalkCapabilities(*this, m_pConfig);
    CPCIExpressIOSpace* pExpress = kit::FindPCIExpressSpace();
    if (!pExpress || !bHasPCIExpressCapability(*this)) return;
    std::unique_ptr<uint8_t[]> pBuffer(new (std::nothrow) uint8_t[PCI_EXPRESS_CONFIG_SIZE]);
    if (pBuffer) vWalkExtCapabilities(*this, *pExpress, pBuffer.get());
}

void CPCIInterface::Scan()
{
    if (!kit::FindPCIConfigSpace()) return;
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    const bool bHadExpress = kit::FindPCIExpressSpace() != nullptr;

    const uint32_t nBusDevices = static_cast<uint32_t>(std::clamp<int32_t>(m_nBusDevices, 0, BUS_DEVICE_LIMIT));
    const uint32_t nFunctions = static_cast<uint32_t>(std::clamp<int32_t>(m_nFunctions, 0, FUNCTION_LIMIT));
    for (uint32_t i = 0; i < nBusDevices; ++i) {
        const uint32_t dwBus = i >> 5, dwDevice = i & 31;
        for (uint32_t dwFunction = 0; dwFunction < nFunctions; ++dwFunction) {
            CPCIDevice* pKnown = FindDevice(dwBus, dwDevice, dwFunction);
            const uint32_t dwIDs = ReadConfig(dwBus, dwDevice, dwFunction, 0);
            if ((dwIDs & 0xFFFF) == 0xFFFF) {
                if (pKnown) pKit->m_pDeviceList->Remove(pKnown);
                // Without function 0 there is no device, except on bus 0, where a chipset may
                // switch its function 0 off and leave the others on.
                if (dwFunction == 0 && dwBus != 0 && !bHasOtherFunctions(dwBus, dwDevice)) break;
                continue;
            }
            if (pKnown) {
                if (dwFunction == 0 && pKnown->m_pCommonHeader->m_bHeaderType < MULTI_FUNCTION) break;
                continue;
            }
            CPCIDevice* pDevice = pReadFunction(*this, dwBus, dwDevice, dwFunction, dwIDs);
            pKit->AddDevice(pDevice);
            if (dwFunction == 0 && pDevice->m_pCommonHeader->m_bHeaderType < MULTI_FUNCTION) break;
        }
    }

    if (bHadExpress || !discovery::bRegisterEnhancedConfigSpace()) return;
    CPCIExpressIOSpace* pExpress = kit::FindPCIExpressSpace();
    if (!pExpress) return;
    // Records whose chains were read before the enhanced space existed get their extended chain
    // now; the others find the space when they are first read.
    std::unique_ptr<uint8_t[]> pBuffer(new (std::nothrow) uint8_t[PCI_EXPRESS_CONFIG_SIZE]);
    if (!pBuffer) return;
    CTList<CDevice>* pList = pKit->m_pDeviceList;
    for (CTListItem<CDevice>* pItem = pList->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext) {
        if (!(pItem->m_pObject->m_dwType & DEVICE_PCI)) continue;
        CPCIDevice* pDevice = static_cast<CPCIDevice*>(pItem->m_pObject);
        if (pDevice->m_bDetailsRead && bHasPCIExpressCapability(*pDevice) && !pDevice->m_pExtCapabilities)
            vWalkExtCapabilities(*pDevice, *pExpress, pBuffer.get());
    }
}
