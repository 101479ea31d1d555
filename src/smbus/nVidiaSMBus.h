// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The nForce (MCP) host controller: protocol 0x00 (writing it starts the transaction), status
// 0x01 (bit 7 done, bits 0..4 the outcome, 0 when the device answered), address 0x02,
// command 0x03, data 0x04. Byte transfers only.
#include <cstdint>

#include "smbus/SMBusIOSpace.h"

class nVidia_SMBusIOSpace : public CSMBusIOSpace {
public:
    static constexpr int32_t POLL_BUDGET = 200;
    static constexpr uint32_t RETRY_WAIT_MS = 20;
    static constexpr uint32_t FUNCTIONS = SMBUS_FUNC_BYTE_DATA;

    explicit nVidia_SMBusIOSpace(uint16_t wBase);

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override;
    uint32_t HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue) override;

private:
    // The done test after the start, with its one retry: true when the transaction is done
    // and the device answered, else false with the cause the status code gives.
    bool bDone();
};
