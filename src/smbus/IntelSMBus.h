// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SMBus host controllers of the Intel I/O controller hubs. Both classes share one
// register block (status 0x00, control 0x02, command 0x03, address 0x04, data 0x05/0x06,
// block data 0x07); the ICH4 class adds the auxiliary control register 0x0D with the switch
// of the 32-byte block buffer, which it turns off for its block transfers so that the
// byte-by-byte protocol applies.
#include <cstdint>

#include "smbus/SMBusIOSpace.h"

class Intel_ICH1_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 100;
    // Byte, word and block transfers; the blocks byte by byte with the byte-done hand-shake.
    static constexpr uint32_t FUNCTIONS =
        SMBUS_FUNC_BYTE_DATA | SMBUS_FUNC_WORD_DATA | SMBUS_FUNC_BLOCK_DATA | SMBUS_FUNC_BLOCK_BY_BYTES;

    explicit Intel_ICH1_SMBusIOSpace(uint16_t wBase);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override;
    int32_t HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;
    uint32_t HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1) override;
    int32_t HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount) override;

protected:
    Intel_ICH1_SMBusIOSpace(uint16_t wBase, int32_t nTimeout);

    // The transactions with an explicit poll budget.
    uint32_t dwReadData(uint8_t nAddress, uint8_t bCommand, bool bWord, uint8_t& bData0, uint8_t& bData1,
                        int32_t nBudget);
    uint32_t dwWriteData(uint8_t nAddress, uint8_t bCommand, bool bWord, uint8_t bData0, uint8_t bData1,
                         int32_t nBudget);

    // The byte-by-byte block read: bytes stored. With bStopOnError the transfer also ends
    // when a byte-done wait leaves device error, bus collision or failed set.
    int32_t nBlockReadBytes(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer, bool bStopOnError);

    // The byte-by-byte block write: bytes handed over after the first (the first is loaded
    // before the start), one less when the block ended with an error. bEarly tells whether it
    // stopped before the end, bLastStatus is the status it last read.
    int32_t nBlockWriteBytes(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount,
                             bool bStopOnError, bool& bEarly, uint8_t& bLastStatus);

    // A block transfer that ends before the host finished it (no last byte signalled, a
    // time-out, an error) would leave the host holding the bus; it is killed and its status
    // cleared so that the next transaction finds the controller idle.
    void vEndUnfinishedTransfer();
};

class Intel_ICH4_SMBusIOSpace : public Intel_ICH1_SMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 200;

    explicit Intel_ICH4_SMBusIOSpace(uint16_t wBase);

    // Byte and word transactions are those of the ICH1 class with its budget of 100.
    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;
    uint32_t HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1) override;
    // Block transfers with the block buffer switched off; the auxiliary control register is
    // put back on every way out.
    int32_t HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer) override;
    int32_t HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount) override;
};
