// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/nVidiaSMBus.h"

#include "smbus/SMBusWaits.h"

namespace {

enum : uint8_t {
    REG_PROTOCOL = 0x00,
    REG_STATUS = 0x01,
    REG_ADDRESS = 0x02,
    REG_COMMAND = 0x03,
    REG_DATA = 0x04,
};

enum : uint8_t {
    PROTOCOL_WRITE_BYTE_DATA = 0x06,
    PROTOCOL_READ_BYTE_DATA = 0x07,
    STATUS_DONE = 0x80,
    STATUS_OUTCOME = 0x1F,
};

// The outcome codes of the status register (those of the ACPI SMBus host interface the
// controller follows, with the collision code of this family).
enum : uint8_t {
    OUTCOME_OK = 0x00,
    OUTCOME_NO_ACK = 0x10,      // the device address was not acknowledged
    OUTCOME_DEVICE_ERROR = 0x11,
    OUTCOME_COLLISION = 0x12,
    OUTCOME_TIMEOUT = 0x18,
    OUTCOME_UNSUPPORTED = 0x19,  // the host does not run that protocol
    OUTCOME_BUSY = 0x1A,
};

ESMBusFailure eFailure(uint8_t bOutcome)
{
    switch (bOutcome) {
    case OUTCOME_OK:
        return ESMBusFailure::None;
    case OUTCOME_NO_ACK:
        return ESMBusFailure::NoAnswer;
    case OUTCOME_COLLISION:
        return ESMBusFailure::Collision;
    case OUTCOME_TIMEOUT:
        return ESMBusFailure::TimedOut;
    case OUTCOME_UNSUPPORTED:
        return ESMBusFailure::NotSupported;
    case OUTCOME_BUSY:
        return ESMBusFailure::Busy;
    default:
        return ESMBusFailure::BusError;
    }
}

}  // namespace

nVidia_SMBusIOSpace::nVidia_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET, FUNCTIONS) {}

bool nVidia_SMBusIOSpace::bDone()
{
    // One look, and one more after the retry wait.
    auto completion = smbus::CStatusWaits([this] { return uint32_t(ReadByte(REG_STATUS)); }, 1, RETRY_WAIT_MS);
    if (!completion.bAnyOf(STATUS_DONE)) {
        vSetFailure(ESMBusFailure::TimedOut);
        return false;
    }
    // Done with a non-zero outcome: nobody acknowledged, or the transfer broke off. That is a
    // failure, not a byte.
    const ESMBusFailure eFound = eFailure(uint8_t(completion.dwStatus() & STATUS_OUTCOME));
    if (eFound == ESMBusFailure::None)
        return true;
    vSetFailure(eFound);
    return false;
}

uint32_t nVidia_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    bValue = 0;
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1 | 1));
    WriteByte(REG_PROTOCOL, PROTOCOL_READ_BYTE_DATA);
    if (!bDone())
        return 0;
    bValue = ReadByte(REG_DATA);
    return 1;
}

uint32_t nVidia_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_DATA, bValue);
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1));
    WriteByte(REG_PROTOCOL, PROTOCOL_WRITE_BYTE_DATA);
    return bDone() ? 1 : 0;
}
