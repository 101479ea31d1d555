// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The ALi (ULi) host controllers.
//
// M1563 / M1573 / M1575: the Intel register layout (status 0x00, control 0x02, command 0x03,
// address 0x04, data 0x05/0x06, block data 0x07) with the protocol in control bits 3..5,
// start 0x40 and kill 0x04 in the control register, and a second control register at 0x01
// (bit 6: the last byte of a block; writing 0x80 resets the host after a bus collision).
// Blocks go byte by byte, one start for each byte.
//
// M7101 (the power management unit of the M1535 family): status 0x00 (bit 2 idle, bit 3 host
// busy, bit 4 done, bit 5 device error, bit 6 bus error: no answer or a collision, which the
// part does not tell apart, bit 7 failed), protocol 0x01, start 0x02 (any write starts),
// address 0x03, data 0x04, command 0x07. Byte transfers only.
#include <cstdint>

#include "smbus/SMBusIOSpace.h"

class ALI_M1563_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 200;
    static constexpr int32_t MAX_BLOCK = 32;
    // Byte, word and block transfers; the blocks one byte per start, each ending in byte done.
    static constexpr uint32_t FUNCTIONS =
        SMBUS_FUNC_BYTE_DATA | SMBUS_FUNC_WORD_DATA | SMBUS_FUNC_BLOCK_DATA | SMBUS_FUNC_BLOCK_BY_BYTES;

    explicit ALI_M1563_SMBusIOSpace(uint16_t wBase);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override;
    int32_t HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;
    uint32_t HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1) override;
    int32_t HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount) override;

private:
    // Waits while the host is busy: false on time-out (the host stayed busy).
    bool bWaitIdle();
    // Clears device error, bus collision and failed when the status shows any of them: false
    // when they stay set (the host is busy with them). bStatus is the status read last.
    bool bClearErrors(uint8_t& bStatus);
    bool bTransfer(uint8_t nAddress, bool bRead, uint8_t bCommand, bool bWord, uint8_t& bData0, uint8_t& bData1);
    // Ends a block transfer and clears the status; returns nBytes.
    int32_t nEndBlock(int32_t nBytes);
    // One byte of a block: the status check, the start and the byte-done wait. 0 when the
    // byte went, 1 when the transfer stops here, -1 on time-out.
    int nBlockByte();
};

class ALI_M7101_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 200;
    static constexpr uint32_t FUNCTIONS = SMBUS_FUNC_BYTE_DATA;

    explicit ALI_M7101_SMBusIOSpace(uint16_t wBase);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;

private:
    bool bTransfer(uint8_t nAddress, bool bRead, uint8_t bCommand, uint8_t& bValue);
};
