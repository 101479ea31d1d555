// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The capability family: one class per standard capability id (1 to 10, 13 to 17) and per
// PCI-Express extended capability id (1 to 5, 11). Parse decodes from the configuration image
// at m_dwOffset and never reads outside the image; Dump prints through the kit's trace
// function. Fields that were not decoded stay all ones.
#include <cstdint>

#include "discovery/PCIDevice.h"

// The class for a standard (bExtended false) or extended capability id: a member of the family
// for the ids it knows, a plain CPCICapability for every other id. Never null.
CPCICapability* CreatePCICapability(uint32_t dwID, bool bExtended);

class CPCICaps_PM : public CPCICapability {
public:
    CPCICaps_PM();
    void Parse(const uint8_t* pbConfig, uint32_t dwSize) override;
    void Dump() override;
    int32_t m_nVersion;  // bits 0 to 2 of the capabilities register
};

class CPCICaps_AGP : public CPCICapability {
public:
    CPCICaps_AGP();
    void Parse(const uint8_t* pbConfig, uint32_t dwSize) override;
    void Dump() override;
    int32_t m_nMajor, m_nMinor;        // AGP revision
    uint32_t m_dwStatus, m_dwCommand;  // the two registers
    int32_t m_bEnabled;                // command bit 8
    int32_t m_nRate, m_nMaxRate;       // in "x": the rate selected, the highest offered
    int32_t m_nQueue, m_nMaxQueue;     // request queue depth selected and offered
};

class CPCICaps_VPD : public CPCICapability {
public:
    CPCICaps_VPD() : CPCICapability(PCI_CAP_VPD) {}
    void Dump() override;
};

class CPCICaps_SlotID : public CPCICapability {
public:
    CPCICaps_SlotID() : CPCICapability(PCI_CAP_SLOTID) {}
    void Dump() override;
};

class CPCICaps_MSI : public CPCICapability {
public:
    CPCICaps_MSI() : CPCICapability(PCI_CAP_MSI) {}
    // The length follows the message control word (64-bit address, per-vector masking).
    void Parse(const uint8_t* pbConfig, uint32_t dwSize) override;
    void Dump() override;
};

class CPCICaps_CHSWP : public CPCICapability {
public:
    CPCICaps_CHSWP() : CPCICapability(PCI_CAP_CHSWP) {}
    void Dump() override;
};

class CPCICaps_PCIX : public CPCICapability {
public:
    CPCICaps_PCIX() : CPCICapability(PCI_CAP_PCIX) {}
    void Dump() override;
};

// One HyperTransport link as its configuration and frequency registers give it.
struct HTLink {
    int32_t nWidthIn = -1, nWidthOut = -1;        // bits
    int32_t nMaxWidthIn = -1, nMaxWidthOut = -1;  // bits
    int32_t nFrequency = -1;                      // MHz; 0 for a vendor-specific frequency
};

class CPCICaps_HT : public CPCICapability {
public:
    CPCICaps_HT();
    void Parse(const uint8_t* pbConfig, uint32_t dwSize) override;
    void Dump() override;
    uint32_t m_dwCommand;     // the command word at offset + 2
    int32_t m_nType;          // 0 slave/primary, 1 host/secondary, else the 5-bit type
    int32_t m_nLinks;         // links decoded (0 to 2)
    HTLink m_Links[2];
    int32_t m_nRevision;      // major in bits 5 to 7, minor in bits 0 to 4; -1 when absent
};

class CPCICaps_VD : public CPCICapability {
public:
    CPCICaps_VD() : CPCICapability(PCI_CAP_VD) {}
    void Dump() override;
};

class CPCICaps_DBG : public CPCICapability {
public:
    CPCICaps_DBG() : CPCICapability(PCI_CAP_DBG) {}
    void Dump() override;
};

class CPCICaps_SVID : public CPCICapability {
public:
    CPCICaps_SVID();
    void Parse(const uint8_t* pbConfig, uint32_t dwSize) override;
    void Dump() override;
    uint32_t m_dwSubVendorID, m_dwSubsystemID;
};

class CPCICaps_AGP8X : public CPCICapability {
public:
    CPCICaps_AGP8X() : CPCICapability(PCI_CAP_AGP8X) {}
    void Dump() override;
};

class CPCICaps_SD : public CPCICapability {
public:
    CPCICaps_SD() : CPCICapability(PCI_CAP_SD) {}
    void Dump() override;
};

// PCI-Express device/port types of the capabilities register.
enum : int32_t {
    PCIE_TYPE_ENDPOINT = 0,
    PCIE_TYPE_LEGACY_ENDPOINT = 1,
    PCIE_TYPE_ROOT_PORT = 4,
    PCIE_TYPE_UPSTREAM_PORT = 5,
    PCIE_TYPE_DOWNSTREAM_PORT = 6,
    PCIE_TYPE_PCI_BRIDGE = 7,
    PCIE_TYPE_RC_INTEGRATED_ENDPOINT = 9,
    PCIE_TYPE_RC_EVENT_COLLECTOR = 10,
};

class CPCICaps_PCIE : public CPCICapability {
public:
    CPCICaps_PCIE();
    void Parse(const uint8_t* pbConfig, uint32_t dwSize) override;
    void Dump() override;
    int32_t m_nVersion;          // capabilities register bits 0 to 3
    int32_t m_nDeviceType;       // bits 4 to 7
    int32_t m_nSlotImplemented;  // bit 8, root and downstream ports only
    int32_t m_nPortNumber;       // link capabilities bits 24 to 31
    int32_t m_nMaxLinkWidth;     // link capabilities bits 4 to 9
    int32_t m_nLinkWidth;        // link status bits 4 to 9
    int32_t m_nPhysicalSlot;     // slot capabilities bits 19 to 31
    int32_t m_nPresenceDetect;   // slot status bit 6
};

class CPCICaps_MSIX : public CPCICapability {
public:
    CPCICaps_MSIX();
    void Dump() override;
};

class CPCICaps_AdvError : public CPCICapability {
public:
    CPCICaps_AdvError() : CPCICapability(PCI_EXTCAP_ADVERROR) {}
    void Dump() override;
};

class CPCICaps_VChannel : public CPCICapability {
public:
    CPCICaps_VChannel() : CPCICapability(PCI_EXTCAP_VCHANNEL) {}
    void Dump() override;
};

class CPCICaps_SerialNumber : public CPCICapability {
public:
    CPCICaps_SerialNumber() : CPCICapability(PCI_EXTCAP_SERIALNUMBER) {}
    void Dump() override;
};

class CPCICaps_PowerBudgeting : public CPCICapability {
public:
    CPCICaps_PowerBudgeting() : CPCICapability(PCI_EXTCAP_POWERBUDGETING) {}
    void Dump() override;
};

class CPCICaps_RootLinkDecl : public CPCICapability {
public:
    CPCICaps_RootLinkDecl();
    void Parse(const uint8_t* pbConfig, uint32_t dwSize) override;
    void Dump() override;
    int32_t m_nPortNumber;   // element self description bits 24 to 31
    int32_t m_nLinkEntries;  // bits 8 to 15
};

class CPCICaps_VendorSpecific : public CPCICapability {
public:
    CPCICaps_VendorSpecific();
    void Parse(const uint8_t* pbConfig, uint32_t dwSize) override;
    void Dump() override;
    int32_t m_nVendorID;  // the vendor-specific id, bits 0 to 15 of the second dword
    int32_t m_nSize;      // bits 20 to 31: bytes, headers included
};
