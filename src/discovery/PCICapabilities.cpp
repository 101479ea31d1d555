// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/PCICapabilities.h"


#include "discovery/PCICapabilityTables.h"
#include "discovery/PCITrace.h"

using discovery::vPCITrace;

namespace {

// nBytes (1, 2 or 4) little-endian bytes at dwOffset of the image; all ones when any of them
// lies outside it.
uint32_t dwField(const uint8_t* pbConfig, uint32_t dwSize, uint64_t qwOffset, unsigned nBytes)
{
    const uint32_t dwAllOnes = nBytes >= 4 ? 0xFFFFFFFF : (uint32_t(1) << (8 * nBytes)) - 1;
    if (!pbConfig || qwOffset + nBytes > dwSize) return dwAllOnes;
    uint32_t dwValue = 0;
    for (unsigned i = 0; i < nBytes; ++i) dwValue |= uint32_t(pbConfig[qwOffset + i]) << (8 * i);
    return dwValue;
}

// The capability's own offset plus nDelta, as a 64-bit number so that an unset offset (all
// ones) falls outside every image.
uint64_t qwAt(const CPCICapability& cap, unsigned nDelta) { return uint64_t(cap.m_dwOffset) + nDelta; }

template <typename T>
CPCICapability* pMake()
{
    return new T;
}

struct CapabilityClass {
    uint32_t dwID;
    bool bExtended;
    CPCICapability* (*pfnCreate)();
};

const CapabilityClass s_Classes[] = {
    {PCI_CAP_PM, false, pMake<CPCICaps_PM>},
    {PCI_CAP_AGP, false, pMake<CPCICaps_AGP>},
    {PCI_CAP_VPD, false, pMake<CPCICaps_VPD>},
    {PCI_CAP_SLOTID, false, pMake<CPCICaps_SlotID>},
    {PCI_CAP_MSI, false, pMake<CPCICaps_MSI>},
    {PCI_CAP_CHSWP, false, pMake<CPCICaps_CHSWP>},
    {PCI_CAP_PCIX, false, pMake<CPCICaps_PCIX>},
    {PCI_CAP_HT, false, pMake<CPCICaps_HT>},
    {PCI_CAP_VD, false, pMake<CPCICaps_VD>},
    {PCI_CAP_DBG, false, pMake<CPCICaps_DBG>},
    {PCI_CAP_SVID, false, pMake<CPCICaps_SVID>},
    {PCI_CAP_AGP8X, false, pMake<CPCICaps_AGP8X>},
    {PCI_CAP_SD, false, pMake<CPCICaps_SD>},
    {PCI_CAP_PCIE, false, pMake<CPCICaps_PCIE>},
    {PCI_CAP_MSIX, false, pMake<CPCICaps_MSIX>},
    {PCI_EXTCAP_ADVERROR, true, pMake<CPCICaps_AdvError>},
    {PCI_EXTCAP_VCHANNEL, true, pMake<CPCICaps_VChannel>},
    {PCI_EXTCAP_SERIALNUMBER, true, pMake<CPCICaps_SerialNumber>},
    {PCI_EXTCAP_POWERBUDGETING, true, pMake<CPCICaps_PowerBudgeting>},
    {PCI_EXTCAP_ROOTLINKDECL, true, pMake<CPCICaps_RootLinkDecl>},
    {PCI_EXTCAP_VENDORSPECIFIC, true, pMake<CPCICaps_VendorSpecific>},
};

}  // namespace

CPCICapability* CreatePCICapability(uint32_t dwID, bool bExtended)
{
    for (const CapabilityClass& entry : s_Classes)
        if (entry.dwID == dwID && entry.bExtended == bExtended) return entry.pfnCreate();
    return new CPCICapability(dwID);
}

// ---------------------------------------------------------------------------------------------
// The base

CPCICapability::CPCICapability(uint32_t dwID) : m_dwID(dwID), m_dwOffset(0xFFFFFFFF), m_nLength(-1), m_pData(nullptr) {}

CPCICapability::~CPCICapability() { delete[] m_pData; }

void CPCICapability::Parse(const uint8_t*, uint32_t) {}

void CPCICapability::Dump() { vPCITrace("\tPCI Capability class 0x%X\n", m_dwID); }

void CPCICapability::DumpData()
{
    vPCITrace("\t\tDump\n");
    if (m_pData && m_nLength > 0) discovery::vPCITraceBytes(m_pData, static_cast<uint32_t>(m_nLength));
}

// ---------------------------------------------------------------------------------------------
// Standard capabilities

CPCICaps_PM::CPCICaps_PM() : CPCICapability(PCI_CAP_PM), m_nVersion(-1) { m_nLength = 8; }

void CPCICaps_PM::Parse(const uint8_t* pbConfig, uint32_t dwSize)
{
    const uint32_t dwCaps = dwField(pbConfig, dwSize, qwAt(*this, 2), 1);
    if (dwCaps != 0xFF) m_nVersion = static_cast<int32_t>(dwCaps & 7);
}

void CPCICaps_PM::Dump()
{
    vPCITrace("\tPower Management Capability\n");
    if (m_nVersion == 1)
        vPCITrace("\t\tVersion\t\t%d.%d\n", 1, 0);
    else if (m_nVersion == 2)
        vPCITrace("\t\tVersion\t\t%d.%d\n", 1, 1);
    else
        vPCITrace("\t\tVersion\t\tunknown (%d)\n", m_nVersion);
}

CPCICaps_AGP::CPCICaps_AGP()
    : CPCICapability(PCI_CAP_AGP), m_nMajor(-1), m_nMinor(-1), m_dwStatus(0xFFFFFFFF), m_dwCommand(0xFFFFFFFF),
      m_bEnabled(-1), m_nRate(-1), m_nMaxRate(-1), m_nQueue(-1), m_nMaxQueue(-1)
{
    m_nLength = 12;
}

namespace {

// The rate an AGP rate field names: bits 0 to 2 are 1x, 2x and 4x, or 4x and 8x in AGP 3.0
// mode (status bit 3). With several bits set (the status register) the highest counts.
int32_t nAGPRate(uint32_t dwRateBits, bool bAGP3)
{
    static const int32_t anLegacy[3] = {1, 2, 4}, anAGP3[3] = {4, 8, 0};
    const int32_t* pnRates = bAGP3 ? anAGP3 : anLegacy;
    int32_t nRate = 0;
    for (unsigned i = 0; i < 3; ++i)
        if ((dwRateBits >> i & 1) && pnRates[i] > nRate) nRate = pnRates[i];
    return nRate;
}

}  // namespace

void CPCICaps_AGP::Parse(const uint8_t* pbConfig, uint32_t dwSize)
{
    const uint32_t dwVersion = dwField(pbConfig, dwSize, qwAt(*this, 2), 1);
    m_dwStatus = dwField(pbConfig, dwSize, qwAt(*this, 4), 4);
    m_dwCommand = dwField(pbConfig, dwSize, qwAt(*this, 8), 4);
    if (dwVersion != 0xFF) {
        m_nMajor = static_cast<int32_t>(dwVersion >> 4);
        m_nMinor = static_cast<int32_t>(dwVersion & 15);
    }
    if (qwAt(*this, 12) > dwSize) return;  // the registers are not in the image
    const bool bAGP3 = m_dwStatus & 8;
    m_bEnabled = (m_dwCommand >> 8) & 1;
    m_nRate = nAGPRate(m_dwCommand & 7, bAGP3);
    m_nMaxRate = nAGPRate(m_dwStatus & 7, bAGP3);
    m_nQueue = static_cast<int32_t>(m_dwCommand >> 24) + 1;
    m_nMaxQueue = static_cast<int32_t>(m_dwStatus >> 24) + 1;
}

void CPCICaps_AGP::Dump()
{
    vPCITrace("\tAGP Capability\n");
    if (m_nMajor >= 0) vPCITrace("\t\tVersion\t\t%d.%d\n", m_nMajor, m_nMinor);
    vPCITrace("\t\tStatus\t\t%s\n", m_bEnabled == 1 ? "enabled" : "disabled");
    vPCITrace("\t\tTransfer rate\t%dx (max %dx)\n", m_nRate, m_nMaxRate);
    vPCITrace("\t\tMax transfer\t%dx\n", m_nMaxRate);
    vPCITrace("\t\tQueue lenght\t%d (max %d)\n", m_nQueue, m_nMaxQueue);
}

void CPCICaps_VPD::Dump() { vPCITrace("\tVirtual Product Data Capability\n"); }

void CPCICaps_SlotID::Dump() { vPCITrace("\tSlot ID Capability\n"); }

void CPCICaps_MSI::Parse(const uint8_t* pbConfig, uint32_t dwSize)
{
    const uint32_t dwControl = dwField(pbConfig, dwSize, qwAt(*this, 2), 2);
    if (dwControl == 0xFFFF) return;
    // id, next, control, address (4 or 8), data (2); with per-vector masking the data word is
    // padded and followed by the mask and pending dwords.
    const bool b64 = dwControl & 0x80, bMasking = dwControl & 0x100;
    m_nLength = (b64 ? 14 : 10) + (bMasking ? 10 : 0);
}

void CPCICaps_MSI::Dump() { vPCITrace("\tMessage Signalled Interrupts Capability\n"); }

void CPCICaps_CHSWP::Dump() { vPCITrace("\tCompactPCI HotSwap Capability\n"); }

void CPCICaps_PCIX::Dump() { vPCITrace("\tPCI-X Capability\n"); }

CPCICaps_HT::CPCICaps_HT()
    : CPCICapability(PCI_CAP_HT), m_dwCommand(0xFFFFFFFF), m_nType(-1), m_nLinks(0), m_nRevision(-1)
{
}

namespace {

// A link configuration word: maximum widths in bits 0-2 (in) and 4-6 (out), widths in
// bits 8-10 (in) and 12-14 (out).
void vDecodeHTLink(uint32_t dwConfig, uint32_t dwFrequencyByte, HTLink& link)
{
    if (dwConfig != 0xFFFF) {
        link.nMaxWidthIn = discovery::nHTLinkWidth(dwConfig);
        link.nMaxWidthOut = discovery::nHTLinkWidth(dwConfig >> 4);
        link.nWidthIn = discovery::nHTLinkWidth(dwConfig >> 8);
        link.nWidthOut = discovery::nHTLinkWidth(dwConfig >> 12);
    }
    if (dwFrequencyByte != 0xFF) link.nFrequency = discovery::nHTLinkFrequency(dwFrequencyByte);
}

}  // namespace

void CPCICaps_HT::Parse(const uint8_t* pbConfig, uint32_t dwSize)
{
    const uint32_t dwCommand = dwField(pbConfig, dwSize, qwAt(*this, 2), 2);
    if (dwCommand == 0xFFFF) return;
    m_dwCommand = dwCommand;
    m_nType = (dwCommand >> 13) <= 1 ? static_cast<int32_t>(dwCommand >> 13) : static_cast<int32_t>(dwCommand >> 11);
    auto field = [&](unsigned nDelta, unsigned nBytes) { return dwField(pbConfig, dwSize, qwAt(*this, nDelta), nBytes); };
    if (m_nType == 0) {  // slave/primary: two links, revision at +0x0C
        vDecodeHTLink(field(6, 2), field(0x0D, 1), m_Links[0]);
        vDecodeHTLink(field(0x0A, 2), field(0x11, 1), m_Links[1]);
        m_nLinks = 2;
        const uint32_t dwRevision = field(0x0C, 1);
        if (dwRevision != 0xFF) m_nRevision = static_cast<int32_t>(dwRevision);
    } else if (m_nType == 1) {  // host/secondary: one link, revision at +8
        vDecodeHTLink(field(6, 2), field(9, 1), m_Links[0]);
        m_nLinks = 1;
        const uint32_t dwRevision = field(8, 1);
        if (dwRevision != 0xFF) m_nRevision = static_cast<int32_t>(dwRevision);
    } else if (m_nType == 0x11) {  // revision id: the low byte of the command word
        m_nRevision = static_cast<int32_t>(dwCommand & 0xFF);
    }
}

void CPCICaps_HT::Dump()
{
    vPCITrace("\tHyperTransport Capability\n");
    const char* pszType = discovery::pszHTInterfaceType(m_nType);
    if (pszType)
        vPCITrace("\t\tInterface type\t%s\n", pszType);
    else
        vPCITrace("\t\tInterface type\t%02Xh\n", static_cast<unsigned>(m_nType) & 0xFF);
    for (int32_t i = 0; i < m_nLinks && i < 2; ++i) {
        const HTLink& link = m_Links[i];
        vPCITrace("\t\tLink %d width\t%d/%d bits (max %d/%d)\n", i, link.nWidthIn, link.nWidthOut, link.nMaxWidthIn,
                  link.nMaxWidthOut);
        if (link.nFrequency == 0)
            vPCITrace("\t\tLink %d freq.\tvendor specific\n", i);
        else
            vPCITrace("\t\tLink %d freq.\t%d MHz\n", i, link.nFrequency);
    }
    if (m_nRevision >= 0) vPCITrace("\t\tRevision\t\t%d.%02d\n", m_nRevision >> 5, m_nRevision & 0x1F);
}

void CPCICaps_VD::Dump() { vPCITrace("\tVendor Dependant Capability\n"); }

void CPCICaps_DBG::Dump() { vPCITrace("\tDebug Port Capability\n"); }

CPCICaps_SVID::CPCICaps_SVID() : CPCICapability(PCI_CAP_SVID), m_dwSubVendorID(0xFFFFFFFF), m_dwSubsystemID(0xFFFFFFFF)
{
    m_nLength = 8;
}

void CPCICaps_SVID::Parse(const uint8_t* pbConfig, uint32_t dwSize)
{
    m_dwSubVendorID = dwField(pbConfig, dwSize, qwAt(*this, 4), 2);
    m_dwSubsystemID = dwField(pbConfig, dwSize, qwAt(*this, 6), 2);
}

void CPCICaps_SVID::Dump()
{
    vPCITrace("\tSubsystem Vendor Capability\n");
    vPCITrace("\t\tSub. Vendor ID\t0x%04X\n", m_dwSubVendorID);
    vPCITrace("\t\tSubsystem ID\t0x%04X\n", m_dwSubsystemID);
}

void CPCICaps_AGP8X::Dump() { vPCITrace("\tAGP 8x Capability\n"); }

void CPCICaps_SD::Dump() { vPCITrace("\tSecure Device Capability\n"); }

CPCICaps_PCIE::CPCICaps_PCIE()
    : CPCICapability(PCI_CAP_PCIE), m_nVersion(-1), m_nDeviceType(-1), m_nSlotImplemented(-1), m_nPortNumber(-1),
      m_nMaxLinkWidth(-1), m_nLinkWidth(-1), m_nPhysicalSlot(-1), m_nPresenceDetect(-1)
{
    m_nLength = 36;
}

namespace {

bool bHasLink(int32_t nType)
{
    return nType != PCIE_TYPE_RC_INTEGRATED_ENDPOINT && nType != PCIE_TYPE_RC_EVENT_COLLECTOR;
}

bool bIsSlotPort(int32_t nType) { return nType == PCIE_TYPE_ROOT_PORT || nType == PCIE_TYPE_DOWNSTREAM_PORT; }

}  // namespace

void CPCICaps_PCIE::Parse(const uint8_t* pbConfig, uint32_t dwSize)
{
    auto field = [&](unsigned nDelta, unsigned nBytes) { return dwField(pbConfig, dwSize, qwAt(*this, nDelta), nBytes); };
    const uint32_t dwCaps = field(2, 2);
    if (dwCaps == 0xFFFF) return;
    m_nVersion = static_cast<int32_t>(dwCaps & 15);
    m_nDeviceType = static_cast<int32_t>(dwCaps >> 4 & 15);
    if (bHasLink(m_nDeviceType)) {
        const uint32_t dwLinkCaps = field(12, 4), dwLinkStatus = field(18, 2);
        if (qwAt(*this, 16) <= dwSize) {
            m_nPortNumber = static_cast<int32_t>(dwLinkCaps >> 24);
            m_nMaxLinkWidth = static_cast<int32_t>(dwLinkCaps >> 4 & 63);
        }
        if (qwAt(*this, 20) <= dwSize) m_nLinkWidth = static_cast<int32_t>(dwLinkStatus >> 4 & 63);
    }
    if (!bIsSlotPort(m_nDeviceType)) return;
    m_nSlotImplemented = static_cast<int32_t>(dwCaps >> 8 & 1);
    if (!m_nSlotImplemented) return;
    // The physical slot number fills bits 19 to 31 of the slot capabilities.
    if (qwAt(*this, 24) <= dwSize) m_nPhysicalSlot = static_cast<int32_t>(field(20, 4) >> 19);
    if (qwAt(*this, 28) <= dwSize) m_nPresenceDetect = static_cast<int32_t>(field(26, 2) >> 6 & 1);
}

void CPCICaps_PCIE::Dump()
{
    vPCITrace("\tPCI Express Capability\n");
    vPCITrace("\t\tDevice type\t%s\n", discovery::pszPCIExpressType(m_nDeviceType));
    vPCITrace("\t\tVersion\t\t%d.0\n", m_nVersion);
    if (m_nLinkWidth >= 0 || m_nMaxLinkWidth >= 0) vPCITrace("\t\tLink width\t%dx (max %dx)\n", m_nLinkWidth, m_nMaxLinkWidth);
    if (m_nPortNumber >= 0) vPCITrace("\t\tPort\t\t%d\n", m_nPortNumber);
    if (!bIsSlotPort(m_nDeviceType)) return;
    if (m_nSlotImplemented == 1) {
        vPCITrace("\t\tPhysical slot\t#%d\n", m_nPhysicalSlot);
        vPCITrace("\t\tPresence detect\t%s\n", m_nPresenceDetect == 1 ? "card present" : "empty");
    } else {
        vPCITrace("\t\tPhysical slot\tIntegrated device\n");
    }
}

CPCICaps_MSIX::CPCICaps_MSIX() : CPCICapability(PCI_CAP_MSIX) { m_nLength = 12; }

void CPCICaps_MSIX::Dump() { vPCITrace("\tMSI-X Capability\n"); }

// ---------------------------------------------------------------------------------------------
// Extended capabilities

void CPCICaps_AdvError::Dump() { vPCITrace("\tAdvanced Error Reporting Capability\n"); }

void CPCICaps_VChannel::Dump() { vPCITrace("\tVirtual Channel\n"); }

void CPCICaps_SerialNumber::Dump() { vPCITrace("\tDevice Serial Number\n"); }

void CPCICaps_PowerBudgeting::Dump() { vPCITrace("\tPower Budgeting Capability\n"); }

CPCICaps_RootLinkDecl::CPCICaps_RootLinkDecl()
    : CPCICapability(PCI_EXTCAP_ROOTLINKDECL), m_nPortNumber(-1), m_nLinkEntries(-1)
{
}

void CPCICaps_RootLinkDecl::Parse(const uint8_t* pbConfig, uint32_t dwSize)
{
    if (qwAt(*this, 8) > dwSize) return;
    const uint32_t dwSelf = dwField(pbConfig, dwSize, qwAt(*this, 4), 4);
    m_nPortNumber = static_cast<int32_t>(dwSelf >> 24);
    m_nLinkEntries = static_cast<int32_t>(dwSelf >> 8 & 0xFF);
}

void CPCICaps_RootLinkDecl::Dump()
{
    vPCITrace("\tRoot Complex Link Declaration\n");
    vPCITrace("\t\tPort Number\t%d\n", m_nPortNumber);
    vPCITrace("\t\tLink Entries #\t%d\n", m_nLinkEntries);
}

CPCICaps_VendorSpecific::CPCICaps_VendorSpecific()
    : CPCICapability(PCI_EXTCAP_VENDORSPECIFIC), m_nVendorID(-1), m_nSize(-1)
{
}

void CPCICaps_VendorSpecific::Parse(const uint8_t* pbConfig, uint32_t dwSize)
{
    if (qwAt(*this, 8) > dwSize) return;
    const uint32_t dwHeader = dwField(pbConfig, dwSize, qwAt(*this, 4), 4);
    m_nVendorID = static_cast<int32_t>(dwHeader & 0xFFFF);
    m_nSize = static_cast<int32_t>(dwHeader >> 20);
    m_nLength = m_nSize;
}

void CPCICaps_VendorSpecific::Dump()
{
    vPCITrace("\tVendor Specific\n");
    vPCITrace("\t\tVendor ID\t\t%d\n", m_nVendorID);
    vPCITrace("\t\tSize\t\t\t%d\n", m_nSize);
    DumpData();
}
