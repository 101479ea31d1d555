// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SPD controller of one FB-DIMM channel of the Intel 5000 series memory controller hub,
// reached through configuration registers of the branch device: a 16-bit status/data
// register (bit 12 busy, bit 13 error, bit 14 write done, bit 15 read data valid, bits 0..7
// the byte read) and a 32-bit command register (device type 0xA in bits 28..31, bit 27 the
// clock release that starts the command, slot in bits 24..26, byte address in bits 16..23,
// data in bits 8..15, bit 0 write). Only the SPD EEPROMs at 0x50..0x53 are reachable.
#include <cstdint>

#include "smbus/SMBusIOSpace.h"

class CPCIIOSpace;

class Intel_5000X_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr uint32_t ABSENT = 0xFFFFFFFF;
    static constexpr int32_t WAIT_LIMIT_MS = 2000;
    // Byte reads and writes of the SPD EEPROMs, nothing else.
    static constexpr uint32_t FUNCTIONS = SMBUS_FUNC_BYTE_DATA;

    Intel_5000X_SMBusIOSpace(uint8_t bBus, uint8_t bDevice, uint8_t bFunction, uint32_t dwStatusReg,
                             uint32_t dwCommandReg);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;
    // The controller has no I/O base: the write trace names it by its branch function.
    std::string strTraceName() const override;

    CPCIIOSpace* m_pPCISpace;  // the kit's PCI configuration space, not owned
    int32_t m_nWaitLimit;      // milliseconds any one wait of a transaction may take
    uint32_t m_dwStatusReg;
    uint32_t m_dwCommandReg;
    uint8_t m_bBus, m_bDevice, m_bFunction;

private:
    static bool bServed(uint8_t nAddress) { return nAddress >= 0x50 && nAddress <= 0x53; }
    uint16_t wReadStatus();
    uint32_t dwReadCommand();
    void vWriteCommand(uint32_t dwValue);
    // Waits while the controller is busy, polling every 10 ms: false when the wait limit runs
    // out. wStatus is the status read last.
    bool bWaitNotBusy(uint16_t& wStatus);
    // Writes the command word, starts it and waits for its end: false on an exhausted wait
    // (with the cause recorded), else true with the final status.
    bool bRun(uint32_t dwCommand, bool bWrite, uint16_t& wStatus);
};
