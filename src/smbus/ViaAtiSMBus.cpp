// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/ViaAtiSMBus.h"

#include "smbus/IntelSMBus.h"
#include "smbus/SMBusIntelStatus.h"
#include "smbus/SMBusTemporary.h"
#include "smbus/SMBusWaits.h"

namespace {

enum : uint8_t {
    REG_STATUS = 0x00,
    REG_CONTROL = 0x02,
    REG_COMMAND = 0x03,
    REG_ADDRESS = 0x04,
    REG_DATA0 = 0x05,
    REG_BLOCK_DATA = 0x07,
};

using namespace smbus::intel_status;

enum : uint8_t {
    CONTROL_BLOCK = 0x14,
    CONTROL_START = 0x40,
};

constexpr uint32_t POLL_WAIT_MS = 1;

using CICH1 = smbus::CTemporaryController<Intel_ICH1_SMBusIOSpace>;
using CVIA = smbus::CTemporaryController<VIA_VT82_SMBusIOSpace>;

}  // namespace

VIA_VT82_SMBusIOSpace::VIA_VT82_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET, FUNCTIONS) {}

uint32_t VIA_VT82_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    return CICH1(*this)->HostReadByte(nAddress, bCommand, bValue);
}

uint32_t VIA_VT82_SMBusIOSpace::HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    return CICH1(*this)->HostReadWord(nAddress, bCommand, bData0, bData1);
}

uint32_t VIA_VT82_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    return CICH1(*this)->HostWriteByte(nAddress, bCommand, bValue);
}

uint32_t VIA_VT82_SMBusIOSpace::HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    return CICH1(*this)->HostWriteWord(nAddress, bCommand, bData0, bData1);
}

uint8_t VIA_VT82_SMBusIOSpace::bClearStatus()
{
    uint8_t bStatus = ReadByte(REG_STATUS);
    if (bStatus)
        WriteByte(REG_STATUS, bStatus);
    return bStatus;
}

bool VIA_VT82_SMBusIOSpace::bStartAndComplete(uint8_t bBefore)
{
    WriteByte(REG_CONTROL, ReadByte(REG_CONTROL) | CONTROL_START);
    auto completion = smbus::CStatusWaits([this] { return uint32_t(ReadByte(REG_STATUS)); }, m_nTimeout, POLL_WAIT_MS);
    // A host that was still busy before the start did not take it: the wait ran out on it.
    if (!completion.bCompletion(HOST_BUSY)) {
        vSetFailure((bBefore & HOST_BUSY) ? ESMBusFailure::Busy : ESMBusFailure::TimedOut);
        return false;
    }
    if (completion.dwStatus() & ERRORS) {
        vSetFailure(eFailure(completion.dwStatus()));
        return false;
    }
    return true;
}

int32_t VIA_VT82_SMBusIOSpace::HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer)
{
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1 | 1));
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_CONTROL, CONTROL_BLOCK);
    if (!bStartAndComplete(bClearStatus()))
        return 0;
    bClearStatus();
    int32_t nCount = ReadByte(REG_DATA0);
    ReadByte(REG_CONTROL);  // puts the buffer index back to the first byte
    if (nCount > MAX_BLOCK)
        nCount = MAX_BLOCK;
    for (int32_t i = 0; i < nCount; ++i)
        pBuffer[i] = ReadByte(REG_BLOCK_DATA);
    return nCount;
}

int32_t VIA_VT82_SMBusIOSpace::HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer,
                                              int32_t nCount)
{
    // The buffer holds 32 bytes; a longer block would wrap round in it and send a count the
    // device cannot take. Nothing is started for a block that is empty or too long.
    if (nCount <= 0 || nCount > MAX_BLOCK || !pBuffer)
        return nFail(ESMBusFailure::NotSupported);
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1));
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_DATA0, uint8_t(nCount));
    ReadByte(REG_CONTROL);  // puts the buffer index back to the first byte
    for (int32_t i = 0; i < nCount; ++i)
        WriteByte(REG_BLOCK_DATA, pBuffer[i]);
    WriteByte(REG_CONTROL, CONTROL_BLOCK);
    if (!bStartAndComplete(bClearStatus()))
        return 0;
    bClearStatus();
    return nCount;
}

ATI_SB_SMBusIOSpace::ATI_SB_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET, FUNCTIONS) {}

uint32_t ATI_SB_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    return CICH1(*this)->HostReadByte(nAddress, bCommand, bValue);
}

uint32_t ATI_SB_SMBusIOSpace::HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    return CICH1(*this)->HostReadWord(nAddress, bCommand, bData0, bData1);
}

int32_t ATI_SB_SMBusIOSpace::HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer)
{
    return CVIA(*this)->HostBlockRead(nAddress, bCommand, pBuffer);
}

uint32_t ATI_SB_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    return CICH1(*this)->HostWriteByte(nAddress, bCommand, bValue);
}

uint32_t ATI_SB_SMBusIOSpace::HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    return CICH1(*this)->HostWriteWord(nAddress, bCommand, bData0, bData1);
}

int32_t ATI_SB_SMBusIOSpace::HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount)
{
    return CVIA(*this)->HostBlockWrite(nAddress, bCommand, pBuffer, nCount);
}
