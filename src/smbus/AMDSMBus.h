// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The AMD-756/766/768 host controller, 16-bit registers: global status 0x00 (bit 0 abort,
// bit 1 collision, bit 2 device error, bit 3 host busy, bit 4 cycle complete, bit 5 time-out,
// bit 11 bus busy; written ones clear), global enable 0x02 (cycle type in bits 0..2, bit 3
// start), address 0x04, data 0x06 (low byte data0, high byte data1), command 0x08.
#include <cstdint>

#include "smbus/SMBusIOSpace.h"

class AMD_AM755_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 200;
    // Byte transfers and word reads.
    static constexpr uint32_t FUNCTIONS = SMBUS_FUNC_BYTE_DATA | SMBUS_FUNC_READ_WORD_DATA;

    explicit AMD_AM755_SMBusIOSpace(uint16_t wBase);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;

private:
    // Sets the cycle type, waits for an idle host, starts and waits for the end: true when
    // the cycle ended without an error, else false with the cause recorded.
    bool bRunCycle(uint16_t wCycleType);
    // The waits: the 16-bit status register, the poll budget, 1 ms between polls.
    auto Waits();
};
