#include "smbus/nVidiaSMBus.h"

#include "platform/Clock.h"

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

}  // namespace

nVidia_SMBusIOSpace::nVidia_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET) {}

bool nVidia_SMBusIOSpace::bDone()
{
    uint8_t bStatus = ReadByte(REG_STATUS);
    if (!(bStatus & STATUS_DONE)) {
        platform::Sleep(RETRY_WAIT_MS);
        bStatus = ReadByte(REG_STATUS);
        if (!(bStatus & STATUS_DONE))
            return false;
    }
    // Done with a non-zero outcome: nobody acknowledged, or the transfer broke off. That is a
    // failure, not a byte.
    return !(bStatus & STATUS_OUTCOME);
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
