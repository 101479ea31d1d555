// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/PCIDevice.h"

#include <cstring>

#include "discovery/PCIConfigBytes.h"
#include "discovery/PCITrace.h"

using discovery::vPCITrace;

CPCICommonHeader::CPCICommonHeader()
    : m_wVendorID(0xFFFF), m_wDeviceID(0xFFFF), m_wCommand(0xFFFF), m_wStatus(0xFFFF), m_bRevisionID(0xFF),
      m_bProgIf(0xFF), m_bSubClass(0xFF), m_bBaseClass(0xFF), m_bCacheLine(0xFF), m_bLatency(0xFF),
      m_bHeaderType(0xFF), m_bBIST(0xFF)
{
}

void CPCICommonHeader::Parse(const uint8_t* pbConfig)
{
    m_wVendorID = discovery::wConfigWord(pbConfig, 0x00);
    m_wDeviceID = discovery::wConfigWord(pbConfig, 0x02);
    m_wCommand = discovery::wConfigWord(pbConfig, 0x04);
    m_wStatus = discovery::wConfigWord(pbConfig, 0x06);
    m_bRevisionID = pbConfig[0x08];
    m_bProgIf = pbConfig[0x09];
    m_bSubClass = pbConfig[0x0A];
    m_bBaseClass = pbConfig[0x0B];
    m_bCacheLine = pbConfig[0x0C];
    m_bLatency = pbConfig[0x0D];
    m_bHeaderType = pbConfig[0x0E];
    m_bBIST = pbConfig[0x0F];
}

CPCIDevice::CPCIDevice(uint8_t bBus, uint8_t bDevice, uint8_t bFunction)
    : CDevice(DEVICE_PCI), m_bBus(bBus), m_bDevice(bDevice), m_bFunction(bFunction),
      m_pCommonHeader(new CPCICommonHeader), m_pHeader(nullptr), m_pCapabilities(nullptr),
      m_pExtCapabilities(nullptr), m_dwCapsMask(0), m_dwExtCapsMask(0), m_pConfig(nullptr),
      m_bDetailsRead(false)
{
    std::memset(m_szDescription, 0, sizeof m_szDescription);
}

namespace {

void vDeleteCapabilities(CTList<CPCICapability>*& pList)
{
    if (!pList) return;
    pList->DeleteAll();
    delete pList;
    pList = nullptr;
}

CPCICapability* pFindIn(const CTList<CPCICapability>* pList, uint32_t dwID)
{
    return pList ? pList->Find([dwID](CPCICapability* p) { return p->HasID(dwID); }) : nullptr;
}

void vDumpAll(const CTList<CPCICapability>* pList)
{
    if (!pList) return;
    for (CTListItem<CPCICapability>* pItem = pList->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext)
        pItem->m_pObject->Dump();
}

}  // namespace

CPCIDevice::~CPCIDevice()
{
    delete m_pCommonHeader;
    delete m_pHeader;
    vDeleteCapabilities(m_pCapabilities);
    vDeleteCapabilities(m_pExtCapabilities);
    delete[] m_pConfig;
}

CPCICapability* CPCIDevice::FindCapability(uint32_t dwID) { return pFindIn(Capabilities(), dwID); }

CPCICapability* CPCIDevice::FindExtCapability(uint32_t dwID) { return pFindIn(ExtCapabilities(), dwID); }

void CPCIDevice::Dump()
{
    vPCITrace("bus %d (0x%02X), device %d (0x%02X), function %d (0x%02X)\n", m_bBus, m_bBus, m_bDevice, m_bDevice,
              m_bFunction, m_bFunction);
    const CPCICommonHeader& h = *m_pCommonHeader;
    vPCITrace("Common header\n");
    vPCITrace("\tVendor ID\t\t0x%04X\n", h.m_wVendorID);
    vPCITrace("\tModel ID\t\t0x%04X\n", h.m_wDeviceID);
    vPCITrace("\tRevision ID\t\t0x%02X\n", h.m_bRevisionID);
    vPCITrace("\tPI\t\t\t0x%02X\n", h.m_bProgIf);
    vPCITrace("\tSubClass\t\t0x%02X\n", h.m_bSubClass);
    vPCITrace("\tBaseClass\t\t0x%02X\n", h.m_bBaseClass);
    vPCITrace("\tCache Line\t\t0x%02X\n", h.m_bCacheLine);
    vPCITrace("\tLatency\t\t\t0x%02X\n", h.m_bLatency);
    vPCITrace("\tHeader\t\t\t0x%02X\n", h.m_bHeaderType);
    vPCITrace("PCI header\n");
    if (m_pHeader) m_pHeader->Dump();
    ReadDetails();
    vPCITrace("Capabilities\n");
    vDumpAll(m_pCapabilities);
    vPCITrace("Extended capabilities\n");
    vDumpAll(m_pExtCapabilities);
    vPCITrace("Dump\n");
    if (!m_pConfig) return;
    for (uint32_t dwRow = 0; dwRow < PCI_CONFIG_SIZE; dwRow += 16) {
        vPCITrace("%02X:", dwRow);
        for (uint32_t i = 0; i < 16; ++i) vPCITrace(" %02X", m_pConfig[dwRow + i]);
        vPCITrace("\n");
    }
}
