// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The north and south bridges the chipset identification finds: the PCI function, the names
// it was given and what this program changed on it.
#include <cstdint>

class CPCIDevice;

class CNorthBridge {
public:
    // Names start as "ID%04X" of the vendor and device ids and "%02X" of the revision id.
    explicit CNorthBridge(CPCIDevice* pDevice);
    virtual ~CNorthBridge() {}

    // The bridge's own configuration registers (offsets as the PCI interface takes them).
    uint32_t ReadConfig(uint32_t dwOffset) const;
    uint32_t WriteConfig(uint32_t dwOffset, uint32_t dwValue) const;

    uint16_t wVendorID() const;
    uint16_t wDeviceID() const;
    uint8_t bRevisionID() const;
    // Back to the "ID%04X" / "%02X" texts.
    void ResetNames();

    CPCIDevice* m_pDevice;  // not owned
    char m_szVendor[64];
    char m_szModel[64];
    char m_szRevision[16];
    int32_t m_nState;       // 0 after construction; some memory readers set 1
    int32_t m_nFSBSelect;   // the FSB select a reader found (i865/i875); all ones otherwise
    int32_t m_nKeptState;   // i865/i875: device 6 visibility found at start (0/1); all ones untouched
    int32_t m_nReserved;    // all ones
};

class CSouthBridge {
public:
    explicit CSouthBridge(CPCIDevice* pDevice);
    virtual ~CSouthBridge() {}

    uint32_t ReadConfig(uint32_t dwOffset) const;
    uint32_t WriteConfig(uint32_t dwOffset, uint32_t dwValue) const;

    uint16_t wVendorID() const;
    uint16_t wDeviceID() const;
    uint8_t bRevisionID() const;

    CPCIDevice* m_pDevice;  // not owned
    char m_szVendor[64];
    char m_szModel[64];
    char m_szRevision[16];
    // SOUTH_BRIDGE_* below.
    int32_t m_nState;
    int32_t m_dwPortBase;   // a port base the SiS readers fill; all ones otherwise
};

enum : int32_t {
    SOUTH_BRIDGE_HIDING_FAILED = 0,  // the SMBus function stayed hidden
    SOUTH_BRIDGE_UNTOUCHED = 1,      // nothing was changed
    SOUTH_BRIDGE_UNHIDDEN = 2,       // this program made the SMBus function visible
};
