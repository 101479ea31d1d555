// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SiS host controller (SiS 630 to 966): status 0x00 (bits 1 and 2 errors, bit 3
// completion, bit 4 block chunk ready; written ones clear), control 0x02 (bits 0..1 non-zero
// while a transfer is under way), host control 0x03 (kill and the start codes), address 0x04,
// command 0x05, block count 0x07 and eight data registers 0x08..0x0F through which a block
// passes in chunks of eight bytes.
#include <cstdint>

#include "smbus/SMBusIOSpace.h"

class SiS_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 200;
    static constexpr int32_t MAX_BLOCK = 32;
    static constexpr int32_t CHUNK = 8;
    // Byte, word and block transfers; the blocks eight bytes at a time.
    static constexpr uint32_t FUNCTIONS =
        SMBUS_FUNC_BYTE_DATA | SMBUS_FUNC_WORD_DATA | SMBUS_FUNC_BLOCK_DATA | SMBUS_FUNC_BLOCK_CHUNKS;

    explicit SiS_SMBusIOSpace(uint16_t wBase);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override;
    int32_t HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;
    uint32_t HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1) override;
    int32_t HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount) override;

private:
    // The waits: the status register, the poll budget, 10 ms between polls.
    auto Waits();
    // The end of the common start: kills a transfer still under way (false when it does not
    // stop), clears the status and writes the start code.
    bool bStart(uint8_t bStartCode);
    // A byte or word transfer after its start: true when it completed without error. Each
    // of these records the cause when it fails.
    bool bCompleteData();
    // Waits (10 ms between readings) for a chunk or the end of a block transfer: false on
    // time-out or error, with the status in bStatus.
    bool bWaitChunk(uint8_t& bStatus);
    // Byte or word: address, command and (for writes) the data, then the transfer.
    bool bTransfer(uint8_t nAddress, bool bRead, uint8_t bCommand, bool bWord, uint8_t& bData0, uint8_t& bData1);
};
