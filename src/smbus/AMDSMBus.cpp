// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/AMDSMBus.h"

#include "platform/Clock.h"
#include "smbus/SMBusWaits.h"

namespace {

enum : uint8_t {
    REG_STATUS = 0x00,
    REG_ENABLE = 0x02,
    REG_ADDRESS = 0x04,
    REG_DATA = 0x06,
    REG_COMMAND = 0x08,
};

enum : uint16_t {
    STATUS_ABORT = 0x0001,
    STATUS_COLLISION = 0x0002,
    STATUS_DEVICE_ERROR = 0x0004,  // the device did not answer (a protocol error)
    STATUS_TIMEOUT = 0x0020,       // the device held the bus past the protocol's time-out
    STATUS_ERRORS = STATUS_ABORT | STATUS_COLLISION | STATUS_DEVICE_ERROR | STATUS_TIMEOUT,
    STATUS_HOST_BUSY = 0x0008,
    STATUS_BUSY = 0x0808,    // host busy and bus busy
    STATUS_CLEAR = 0x0037,
    ENABLE_CYCLE_TYPE = 0x0007,
    ENABLE_START = 0x0008,
    CYCLE_BYTE_DATA = 0x0002,
    CYCLE_WORD_DATA = 0x0003,
};

constexpr uint32_t SETTLE_MS = 2;
constexpr uint32_t POLL_MS = 1;

// What the error bits of a cycle say.
ESMBusFailure eFailure(uint32_t dwStatus)
{
    if (dwStatus & STATUS_COLLISION)
        return ESMBusFailure::Collision;
    if (dwStatus & STATUS_DEVICE_ERROR)
        return ESMBusFailure::NoAnswer;
    if (dwStatus & STATUS_TIMEOUT)
        return ESMBusFailure::TimedOut;
    if (dwStatus & STATUS_ABORT)
        return ESMBusFailure::BusError;
    return ESMBusFailure::None;
}

}  // namespace

AMD_AM755_SMBusIOSpace::AMD_AM755_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET, FUNCTIONS) {}

auto AMD_AM755_SMBusIOSpace::Waits()
{
    return smbus::CStatusWaits([this] { return uint32_t(ReadWord(REG_STATUS)); }, m_nTimeout, POLL_MS);
}

bool AMD_AM755_SMBusIOSpace::bRunCycle(uint16_t wCycleType)
{
    // The cycle type replaces the one of the previous transaction: or-ed into it, a byte
    // transfer after a word transfer would still run as a word transfer (and a byte write
    // would write a second register).
    WriteWord(REG_ENABLE, uint16_t((ReadWord(REG_ENABLE) & ~ENABLE_CYCLE_TYPE) | wCycleType));
    if (!Waits().bHostFree(STATUS_BUSY)) {
        vSetFailure(ESMBusFailure::Busy);
        return false;
    }
    WriteWord(REG_ENABLE, ReadWord(REG_ENABLE) | ENABLE_START);
    if (!Waits().bCompletion(STATUS_HOST_BUSY)) {
        vSetFailure(ESMBusFailure::TimedOut);
        return false;
    }
    // The status that ends the cycle is cleared here; its error bits are the cycle's outcome,
    // so they are kept before the clear.
    const uint16_t wEnded = ReadWord(REG_STATUS);
    WriteWord(REG_STATUS, wEnded | STATUS_CLEAR);
    platform::Sleep(SETTLE_MS);
    auto settled = Waits();
    if (!settled.bCompletion(STATUS_HOST_BUSY)) {
        vSetFailure(ESMBusFailure::TimedOut);
        return false;
    }
    const ESMBusFailure eFound = eFailure((wEnded & STATUS_ERRORS) | (settled.dwStatus() & STATUS_DEVICE_ERROR));
    if (eFound == ESMBusFailure::None)
        return true;
    vSetFailure(eFound);
    return false;
}

uint32_t AMD_AM755_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    bValue = 0;
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1 | 1));
    if (!bRunCycle(CYCLE_BYTE_DATA))
        return 0;
    bValue = ReadByte(REG_DATA);
    return 1;
}

uint32_t AMD_AM755_SMBusIOSpace::HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    bData0 = bData1 = 0;
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1 | 1));
    if (!bRunCycle(CYCLE_WORD_DATA))
        return 0;
    const uint16_t wData = ReadWord(REG_DATA);
    bData0 = uint8_t(wData);
    bData1 = uint8_t(wData >> 8);
    return 1;
}

uint32_t AMD_AM755_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1));
    WriteByte(REG_DATA, bValue);
    return bRunCycle(CYCLE_BYTE_DATA) ? 1 : 0;
}
