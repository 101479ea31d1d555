// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The record of one PCI function found by the scan: its location, a copy of its
// configuration header (common part and layout-specific part), its decoded capabilities and a
// descriptive class name. The records live in the kit root's device list.
#include <cstdint>

#include "kit/Interface.h"
#include "kit/TList.h"

// Capability ids the kit looks for.
enum : uint32_t {
    PCI_CAP_PM = 1,
    PCI_CAP_AGP = 2,
    PCI_CAP_VPD = 3,
    PCI_CAP_SLOTID = 4,
    PCI_CAP_MSI = 5,
    PCI_CAP_CHSWP = 6,
    PCI_CAP_PCIX = 7,
    PCI_CAP_HT = 8,
    PCI_CAP_VD = 9,
    PCI_CAP_DBG = 10,
    PCI_CAP_SVID = 13,
    PCI_CAP_AGP8X = 14,
    PCI_CAP_SD = 15,
    PCI_CAP_PCIE = 16,
    PCI_CAP_MSIX = 17,
    PCI_EXTCAP_ADVERROR = 1,
    PCI_EXTCAP_VCHANNEL = 2,
    PCI_EXTCAP_SERIALNUMBER = 3,
    PCI_EXTCAP_POWERBUDGETING = 4,
    PCI_EXTCAP_ROOTLINKDECL = 5,
    PCI_EXTCAP_VENDORSPECIFIC = 11,
};

// Sizes of the configuration images the records and capabilities are parsed from.
enum : uint32_t {
    PCI_CONFIG_SIZE = 256,
    PCI_EXPRESS_CONFIG_SIZE = 4096,
};

// Configuration offsets 0x00 to 0x0F, common to every layout. All ones until filled.
class CPCICommonHeader {
public:
    CPCICommonHeader();
    virtual ~CPCICommonHeader() {}
    // Fills the fields from the first 16 configuration bytes.
    void Parse(const uint8_t* pbConfig);

    uint16_t m_wVendorID;    // 0x00
    uint16_t m_wDeviceID;    // 0x02
    uint16_t m_wCommand;     // 0x04
    uint16_t m_wStatus;      // 0x06
    uint8_t m_bRevisionID;   // 0x08
    uint8_t m_bProgIf;       // 0x09 programming interface
    uint8_t m_bSubClass;     // 0x0A
    uint8_t m_bBaseClass;    // 0x0B
    uint8_t m_bCacheLine;    // 0x0C
    uint8_t m_bLatency;      // 0x0D
    uint8_t m_bHeaderType;   // 0x0E, bit 7: multi-function device
    uint8_t m_bBIST;         // 0x0F
};

// The layout-specific part of the header (offsets 0x10 to 0x3F, CardBus up to 0x47).
class CPCIHeader {
public:
    virtual ~CPCIHeader() {}
    virtual uint8_t GetCapabilityPointer() { return 0xFF; }
    virtual uint16_t GetSubsystemVendorID() { return 0xFFFF; }
    virtual uint16_t GetSubsystemID() { return 0xFFFF; }
    // pbConfig holds the 256 configuration bytes.
    virtual void Parse(const uint8_t* pbConfig) = 0;
    virtual void Dump() = 0;
};

// Header type 0: an ordinary function.
class CPCIHeaderType0 : public CPCIHeader {
public:
    CPCIHeaderType0();
    uint8_t GetCapabilityPointer() override { return m_bCapabilityPointer; }
    uint16_t GetSubsystemVendorID() override { return m_wSubsystemVendorID; }
    uint16_t GetSubsystemID() override { return m_wSubsystemID; }
    void Parse(const uint8_t* pbConfig) override;
    void Dump() override;

    uint32_t m_dwBAR[6];            // 0x10 to 0x24
    uint32_t m_dwCardBusCIS;        // 0x28
    uint16_t m_wSubsystemVendorID;  // 0x2C
    uint16_t m_wSubsystemID;        // 0x2E
    uint32_t m_dwExpansionROM;      // 0x30
    uint8_t m_bCapabilityPointer;   // 0x34
    uint8_t m_bReserved[7];         // 0x35 to 0x3B
    uint8_t m_bInterruptLine;       // 0x3C
    uint8_t m_bInterruptPin;        // 0x3D
    uint8_t m_bMinGrant;            // 0x3E
    uint8_t m_bMaxLatency;          // 0x3F
};

// Header type 1: a PCI-to-PCI bridge.
class CPCIHeaderType1 : public CPCIHeader {
public:
    CPCIHeaderType1();
    uint8_t GetCapabilityPointer() override { return m_bCapabilityPointer; }
    void Parse(const uint8_t* pbConfig) override;
    void Dump() override;

    uint32_t m_dwBAR[2];                  // 0x10, 0x14
    uint8_t m_bPrimaryBus;                // 0x18
    uint8_t m_bSecondaryBus;              // 0x19
    uint8_t m_bSubordinateBus;            // 0x1A
    uint8_t m_bSecondaryLatency;          // 0x1B
    uint8_t m_bIOBase;                    // 0x1C
    uint8_t m_bIOLimit;                   // 0x1D
    uint16_t m_wSecondaryStatus;          // 0x1E
    uint16_t m_wMemoryBase;               // 0x20
    uint16_t m_wMemoryLimit;              // 0x22
    uint16_t m_wPrefetchableBase;         // 0x24
    uint16_t m_wPrefetchableLimit;        // 0x26
    uint32_t m_dwPrefetchableBaseUpper;   // 0x28
    uint32_t m_dwPrefetchableLimitUpper;  // 0x2C
    uint16_t m_wIOBaseUpper;              // 0x30
    uint16_t m_wIOLimitUpper;             // 0x32
    uint8_t m_bCapabilityPointer;         // 0x34
    uint32_t m_dwExpansionROM;            // 0x38
    uint8_t m_bInterruptLine;             // 0x3C
    uint8_t m_bInterruptPin;              // 0x3D
    uint16_t m_wBridgeControl;            // 0x3E
};

// Header type 2: a CardBus bridge.
class CPCIHeaderType2 : public CPCIHeader {
public:
    CPCIHeaderType2();
    uint8_t GetCapabilityPointer() override { return m_bCapabilityPointer; }
    void Parse(const uint8_t* pbConfig) override;
    void Dump() override;

    uint32_t m_dwSocketBase;         // 0x10 CardBus socket / ExCA base
    uint8_t m_bCapabilityPointer;    // 0x14
    uint16_t m_wSecondaryStatus;     // 0x16
    uint8_t m_bPCIBus;               // 0x18
    uint8_t m_bCardBusBus;           // 0x19
    uint8_t m_bSubordinateBus;       // 0x1A
    uint8_t m_bCardBusLatency;       // 0x1B
    uint32_t m_dwMemoryBase0;        // 0x1C
    uint32_t m_dwMemoryLimit0;       // 0x20
    uint32_t m_dwMemoryBase1;        // 0x24
    uint32_t m_dwMemoryLimit1;       // 0x28
    uint32_t m_dwIOBase0;            // 0x2C
    uint32_t m_dwIOLimit0;           // 0x30
    uint32_t m_dwIOBase1;            // 0x34
    uint32_t m_dwIOLimit1;           // 0x38
    uint8_t m_bInterruptLine;        // 0x3C
    uint8_t m_bInterruptPin;         // 0x3D
    uint16_t m_wBridgeControl;       // 0x3E
    uint16_t m_wSubsystemVendorID;   // 0x40
    uint16_t m_wSubsystemID;         // 0x42
    uint32_t m_dwLegacyBase;         // 0x44
};

// One entry of a capability chain (standard or PCI-Express extended). The base decodes
// nothing; the family in discovery/PCICapabilities.h decodes what the kit needs.
class CPCICapability {
public:
    explicit CPCICapability(uint32_t dwID);
    virtual ~CPCICapability();
    // Decodes the fields of the derived class from the configuration image at m_dwOffset.
    // dwSize is the size of the image (256 or 4096); nothing outside it is read.
    virtual void Parse(const uint8_t* pbConfig, uint32_t dwSize);
    virtual void Dump();
    // "\t\tDump\n" and the kept bytes.
    virtual void DumpData();
    bool HasID(uint32_t dwID) const { return m_dwID == dwID; }

    uint32_t m_dwID;      // extended ids: the low 16 bits of the extended header
    uint32_t m_dwOffset;  // configuration offset; all ones until set
    int32_t m_nLength;    // bytes the capability occupies; all ones (-1) when unknown
    uint8_t* m_pData;     // copy of those bytes, null until parsed
};

class CPCIDevice : public CDevice {
public:
    CPCIDevice(uint8_t bBus, uint8_t bDevice, uint8_t bFunction);
    ~CPCIDevice() override;
    CPCIDevice(const CPCIDevice&) = delete;
    CPCIDevice& operator=(const CPCIDevice&) = delete;

    void Dump() override;

    // The first capability of the chain with that id, or null.
    CPCICapability* FindCapability(uint32_t dwID);
    CPCICapability* FindExtCapability(uint32_t dwID);

    // The scan reads the header only. The rest of the 256 bytes, and the capability chains
    // parsed from it, are read on first use: a listing needs no more, and where every
    // configuration read traps into a hypervisor (tens of microseconds a dword) the other 48
    // dwords of each function would cost more than the whole listing.
    void ReadDetails();
    CTList<CPCICapability>* Capabilities() { ReadDetails(); return m_pCapabilities; }
    CTList<CPCICapability>* ExtCapabilities() { ReadDetails(); return m_pExtCapabilities; }
    uint32_t CapsMask() { ReadDetails(); return m_dwCapsMask; }
    uint32_t ExtCapsMask() { ReadDetails(); return m_dwExtCapsMask; }
    const uint8_t* Config() { ReadDetails(); return m_pConfig; }

    uint8_t m_bBus;
    uint8_t m_bDevice;
    uint8_t m_bFunction;
    CPCICommonHeader* m_pCommonHeader;
    CPCIHeader* m_pHeader;                         // null for an unknown header type
    // Members below are filled by ReadDetails; use the accessors above.
    CTList<CPCICapability>* m_pCapabilities;       // null when there are none
    CTList<CPCICapability>* m_pExtCapabilities;    // null when there are none
    uint32_t m_dwCapsMask;                         // bit (id & 31) per standard capability
    uint32_t m_dwExtCapsMask;                      // bit (id & 31) per extended capability
    char m_szDescription[512];
    uint8_t* m_pConfig;                            // the 256 bytes; beyond the header all ones until read
    bool m_bDetailsRead;                           // the configuration beyond the header and the chains
};
