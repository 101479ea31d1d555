// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Devices on the simulated SMBus: the base every target derives from (with the faults any
// device can be given), SPD EEPROMs and a generic register file. A clock chip or a memory
// buffer is a new CSMBusTarget subclass.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Faults a device can show; the bus applies them before the device sees the transaction.
enum class SMBusFault : uint8_t {
    None,
    NoAnswer,   // the device does not acknowledge its address
    HoldClock,  // the device holds the clock low: the host stays busy until it is killed
    Collision,  // another master wins arbitration on every transaction to the device
    BusError,   // the device breaks every transfer off (a stop in mid-byte): the host fails it
};

class CSMBusTarget {
public:
    virtual ~CSMBusTarget() = default;

    // The transactions as the device takes them. False: the device refused a byte (NACK).
    virtual bool bQuick(bool bRead);
    virtual bool bReadByteData(uint8_t bCommand, uint8_t& bValue) = 0;
    virtual bool bWriteByteData(uint8_t bCommand, uint8_t bValue) = 0;
    // Default: two byte reads (writes) at bCommand and bCommand + 1, as a device with an
    // auto-incrementing register pointer answers.
    virtual bool bReadWordData(uint8_t bCommand, uint8_t& bData0, uint8_t& bData1);
    virtual bool bWriteWordData(uint8_t bCommand, uint8_t bData0, uint8_t bData1);
    // Default: what a device with an auto-incrementing register pointer sends: the register
    // at bCommand as the count, the registers after it as data (up to 255 of them).
    virtual bool bBlockRead(uint8_t bCommand, uint8_t& nCount, std::vector<uint8_t>& data);
    // Default: the bytes written to the registers from bCommand on.
    virtual bool bBlockWrite(uint8_t bCommand, const uint8_t* pData, uint8_t nCount);

    // Fault injection, may be changed at any time (under the board's access lock).
    SMBusFault m_eFault = SMBusFault::None;
    // A block read reports this count instead of the device's own (-1: its own).
    int m_nForcedBlockCount = -1;
};

// A register file of 256 bytes: byte, word and block transfers. A block read answers with
// m_nBlockCount and the registers from the command on; a block write stores its bytes from
// the command on. Registers marked read-only take writes without changing.
class CRegisterFile : public CSMBusTarget {
public:
    explicit CRegisterFile(const std::vector<uint8_t>& initial = {}, uint8_t nBlockCount = 32);

    bool bReadByteData(uint8_t bCommand, uint8_t& bValue) override;
    bool bWriteByteData(uint8_t bCommand, uint8_t bValue) override;
    bool bBlockRead(uint8_t bCommand, uint8_t& nCount, std::vector<uint8_t>& data) override;
    bool bBlockWrite(uint8_t bCommand, const uint8_t* pData, uint8_t nCount) override;

    std::array<uint8_t, 256> m_Registers{};
    std::array<bool, 256> m_ReadOnly{};
    uint8_t m_nBlockCount;
};

// A serial-presence-detect EEPROM (24C02 class, 256 bytes). Reads are served from the
// EEPROM's contents; SPD EEPROMs sit behind the write-protect pin, so writes are refused
// (the data byte is not acknowledged) unless m_bWritable. An EEPROM knows no SMBus block
// protocol: a block read gets the byte at the command as "count" and the bytes after it.
class CSPDEeprom : public CSMBusTarget {
public:
    explicit CSPDEeprom(const std::array<uint8_t, 256>& contents, bool bWritable = false);

    bool bReadByteData(uint8_t bCommand, uint8_t& bValue) override;
    bool bWriteByteData(uint8_t bCommand, uint8_t bValue) override;

    std::array<uint8_t, 256> m_Contents;
    bool m_bWritable;
};

// The SPD contents of a DDR2 SDRAM module (JEDEC layout with its checksum in byte 63): nMiB
// the module size (256 .. 4096), nMTs the data rate (400, 533, 667 or 800), nRanks 1 or 2.
// False for a combination the layout cannot express.
bool bMakeDDR2SPD(unsigned nMiB, unsigned nMTs, unsigned nRanks, const std::string& strPartNumber,
                  std::array<uint8_t, 256>& contents);

}  // namespace sim
