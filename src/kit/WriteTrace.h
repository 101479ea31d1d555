// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The trace of hardware writes: with tracing on, every write the kit makes to the machine is
// listed as it is made, one line each, in the hexadecimal forms pciutils and i2c-tools use:
//
//   write port 0x0cf9.b 0x06                      an I/O port: port.width value
//   write pci 00:1f.3 0x40.b 0x01                 a configuration register through 0xCFC..0xCFF:
//                                                 bus:device.function offset.width value
//   write mem 0xfed1f404.l 0x00000001             a physical memory dword
//   write msr 0x199 cpu 0 0x0000000000000616      a model-specific register of one processor
//   write smbus 0x0400 0x69 cmd 0x00 byte 0x12    SMBus transactions: the controller (its
//   write smbus 0x0400 0x69 cmd 0x00 word 0x12 0x34   I/O base), the 7-bit device address,
//   write smbus 0x0400 0x69 cmd 0x00 block 3: 0a 0b 0c  the command and the data: a byte, the
//                                                 two bytes of a word in bus order, or the
//                                                 block's count (decimal) and its bytes
//
// Widths are .b, .w and .l (8, 16 and 32 bits); values have as many digits as the width. A
// write that failed ends in " failed".
//
// Two kinds of port writes are not listed, as they only drive a read and change nothing: an
// address put into 0xCF8 (or the saved one put back), which only selects a configuration
// register, and the register writes inside an SMBus transaction (host address, command,
// control and start, status clears), which the transaction's own line stands for; a
// transaction that reads has no line at all.
#include <cstdint>
#include <string>

#include "kit/Trace.h"

namespace kit {

std::string strPortWriteLine(uint32_t dwPort, unsigned nWidth, uint32_t dwValue);
std::string strConfigWriteLine(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset,
                               unsigned nWidth, uint32_t dwValue);
std::string strMemoryWriteLine(uint64_t qwAddress, uint32_t dwValue);
std::string strMSRWriteLine(uint32_t dwIndex, unsigned nCpu, uint64_t qwValue);
// strController names the controller ("0x0400"; strSMBusController gives that form).
std::string strSMBusController(uint32_t dwBase);
std::string strSMBusByteWriteLine(const std::string& strController, uint8_t nAddress, uint8_t bCommand, uint8_t bValue);
std::string strSMBusWordWriteLine(const std::string& strController, uint8_t nAddress, uint8_t bCommand, uint8_t bData0,
                                  uint8_t bData1);
std::string strSMBusBlockWriteLine(const std::string& strController, uint8_t nAddress, uint8_t bCommand,
                                   const uint8_t* pData, int32_t nCount);

// Whether a write made now is listed: tracing is on and no SMBus transaction runs on this
// thread. With tracing off this is the one flag test.
bool bInTransaction();
inline bool bListWrites() { return bTraceEnabled() && !bInTransaction(); }
// Hands a line (without its newline) to the trace, marked when the write failed.
void vTraceWrite(const std::string& strLine, bool bOk);

// Held around an SMBus transaction: the writes made inside it are its mechanics and are not
// listed. Transactions nest (a controller may run a sibling's transaction inside its own).
class CTransactionWrites {
public:
    CTransactionWrites();
    ~CTransactionWrites();
    CTransactionWrites(const CTransactionWrites&) = delete;
    CTransactionWrites& operator=(const CTransactionWrites&) = delete;

private:
    bool m_bCounted;
};

}  // namespace kit
