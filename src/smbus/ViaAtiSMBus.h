// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The VIA VT82xx and ATI SB host controllers: the Intel register layout (status 0x00, control
// 0x02, command 0x03, address 0x04, data 0x05/0x06, block data 0x07) with a 32-byte block
// buffer that holds the whole block; reading the control register puts the buffer index back
// to its start. Byte and word transfers are those of the ICH1 class.
#include <cstdint>

#include "smbus/SMBusIOSpace.h"

class VIA_VT82_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 200;
    static constexpr int32_t MAX_BLOCK = 32;
    // Byte, word and block transfers; the blocks whole through the 32-byte block buffer.
    static constexpr uint32_t FUNCTIONS =
        SMBUS_FUNC_BYTE_DATA | SMBUS_FUNC_WORD_DATA | SMBUS_FUNC_BLOCK_DATA | SMBUS_FUNC_BLOCK_BUFFER;

    explicit VIA_VT82_SMBusIOSpace(uint16_t wBase);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override;
    // The buffered block transfers: the whole block in one transaction.
    int32_t HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;
    uint32_t HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1) override;
    int32_t HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount) override;

private:
    // Clears whatever the status register holds; returns what it held.
    uint8_t bClearStatus();
    // Starts the transaction the registers describe and waits for the host to finish it:
    // false on time-out or when it ended with device error, bus collision or failed (with the
    // cause recorded). bBefore is the status found before the start.
    bool bStartAndComplete(uint8_t bBefore);
};

// The PIIX4 is the controller the VIA ones copied: the same 32-byte block array and no
// byte-done handshake. The ICH1 class's byte-by-byte block protocol would wait for a byte-done
// bit the PIIX4 never sets, after the PIIX4 had already sent the whole block from its array,
// whatever stale bytes it held: a clock chip could be written with them.
using Intel_PIIX4_SMBusIOSpace = VIA_VT82_SMBusIOSpace;

// Byte and word transfers as the ICH1 class, blocks as the VIA class, each run by a temporary
// object of that class on the same register block.
class ATI_SB_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 200;
    static constexpr uint32_t FUNCTIONS = VIA_VT82_SMBusIOSpace::FUNCTIONS;

    explicit ATI_SB_SMBusIOSpace(uint16_t wBase);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override;
    int32_t HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;
    uint32_t HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1) override;
    int32_t HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount) override;
};
