// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/SiSSMBus.h"

#include "platform/Clock.h"
#include "smbus/SMBusWaits.h"

namespace {

enum : uint8_t {
    REG_STATUS = 0x00,
    REG_CONTROL = 0x02,
    REG_HOST_CONTROL = 0x03,
    REG_ADDRESS = 0x04,
    REG_COMMAND = 0x05,
    REG_COUNT = 0x07,
    REG_DATA = 0x08,  // 0x08..0x0F
};

enum : uint8_t {
    STATUS_DEVICE_ERROR = 0x02,  // the device did not answer
    STATUS_COLLISION = 0x04,
    STATUS_ERRORS = STATUS_DEVICE_ERROR | STATUS_COLLISION,
    STATUS_COMPLETION = 0x08,
    STATUS_OUTCOME = STATUS_ERRORS | STATUS_COMPLETION,
    STATUS_CHUNK = 0x10,
    STATUS_CLEARABLE = 0x1E,
    CONTROL_RUNNING = 0x03,
    CONTROL_PREPARE = 0x20,
    HOST_KILL = 0x20,
    START_BYTE_DATA = 0x12,
    START_WORD_DATA = 0x13,
    START_BLOCK = 0x15,
};

constexpr uint32_t POLL_MS = 10;
constexpr uint32_t BLOCK_READ_FIRST_WAIT_MS = 50;

// What the error bits say: a device error is an address nobody acknowledged.
ESMBusFailure eFailure(uint32_t dwStatus)
{
    if (dwStatus & STATUS_COLLISION)
        return ESMBusFailure::Collision;
    if (dwStatus & STATUS_DEVICE_ERROR)
        return ESMBusFailure::NoAnswer;
    return ESMBusFailure::None;
}

}  // namespace

SiS_SMBusIOSpace::SiS_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET, FUNCTIONS) {}

auto SiS_SMBusIOSpace::Waits()
{
    return smbus::CStatusWaits([this] { return uint32_t(ReadByte(REG_STATUS)); }, m_nTimeout, POLL_MS);
}

bool SiS_SMBusIOSpace::bStart(uint8_t bStartCode)
{
    if (ReadByte(REG_CONTROL) & CONTROL_RUNNING) {
        WriteByte(REG_HOST_CONTROL, HOST_KILL);
        if (ReadByte(REG_CONTROL) & CONTROL_RUNNING) {
            vSetFailure(ESMBusFailure::Busy);
            return false;
        }
    }
    WriteByte(REG_CONTROL, CONTROL_PREPARE);
    WriteByte(REG_STATUS, ReadByte(REG_STATUS) & STATUS_CLEARABLE);
    WriteByte(REG_HOST_CONTROL, bStartCode);
    return true;
}

bool SiS_SMBusIOSpace::bCompleteData()
{
    platform::Sleep(POLL_MS);
    auto completion = Waits();
    if (!completion.bAnyOf(STATUS_OUTCOME)) {
        vSetFailure(ESMBusFailure::TimedOut);
        return false;
    }
    const uint32_t dwStatus = completion.dwStatus();
    if (dwStatus & STATUS_ERRORS) {
        WriteByte(REG_STATUS, 0);
        vSetFailure(eFailure(dwStatus));
        return false;
    }
    WriteByte(REG_STATUS, uint8_t(dwStatus));
    ReadByte(REG_STATUS);
    return true;
}

bool SiS_SMBusIOSpace::bTransfer(uint8_t nAddress, bool bRead, uint8_t bCommand, bool bWord, uint8_t& bData0,
                                 uint8_t& bData1)
{
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1 | (bRead ? 1 : 0)));
    WriteByte(REG_COMMAND, bCommand);
    if (!bRead) {
        WriteByte(REG_DATA, bData0);
        if (bWord)
            WriteByte(REG_DATA + 1, bData1);
    }
    if (!bStart(bWord ? START_WORD_DATA : START_BYTE_DATA) || !bCompleteData())
        return false;
    if (bRead) {
        bData0 = ReadByte(REG_DATA);
        if (bWord)
            bData1 = ReadByte(REG_DATA + 1);
    }
    WriteByte(REG_STATUS, 0);
    return true;
}

uint32_t SiS_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    uint8_t bData0 = 0, bData1 = 0;
    bValue = 0;
    if (!bTransfer(nAddress, true, bCommand, false, bData0, bData1))
        return 0;
    bValue = bData0;
    return 1;
}

uint32_t SiS_SMBusIOSpace::HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    uint8_t b0 = 0, b1 = 0;
    bData0 = bData1 = 0;
    if (!bTransfer(nAddress, true, bCommand, true, b0, b1))
        return 0;
    bData0 = b0;
    bData1 = b1;
    return 1;
}

uint32_t SiS_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    uint8_t bUnused = 0;
    return bTransfer(nAddress, false, bCommand, false, bValue, bUnused) ? 1 : 0;
}

uint32_t SiS_SMBusIOSpace::HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    return bTransfer(nAddress, false, bCommand, true, bData0, bData1) ? 1 : 0;
}

bool SiS_SMBusIOSpace::bWaitChunk(uint8_t& bStatus)
{
    auto chunk = Waits();
    const bool bSeen = chunk.bAnyOf(STATUS_CHUNK | STATUS_OUTCOME);
    bStatus = uint8_t(chunk.dwStatus());
    if (!bSeen) {
        vSetFailure(ESMBusFailure::TimedOut);
        return false;
    }
    if (bStatus & STATUS_ERRORS) {
        WriteByte(REG_STATUS, 0);
        vSetFailure(eFailure(bStatus));
        return false;
    }
    return true;
}

int32_t SiS_SMBusIOSpace::HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer)
{
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1 | 1));
    WriteByte(REG_COMMAND, bCommand);
    if (!bStart(START_BLOCK))
        return 0;
    platform::Sleep(BLOCK_READ_FIRST_WAIT_MS);
    int32_t nStored = 0;
    int32_t nCount = -1;
    for (;;) {
        uint8_t bStatus = 0;
        if (!bWaitChunk(bStatus))
            return nStored;
        if (nCount < 0) {
            nCount = ReadByte(REG_COUNT);
            if (nCount > MAX_BLOCK)
                nCount = MAX_BLOCK;
        }
        for (int32_t i = 0; i < CHUNK && nStored < nCount; ++i)
            pBuffer[nStored++] = ReadByte(uint8_t(REG_DATA + i));
        WriteByte(REG_STATUS, STATUS_CHUNK);
        if (nStored == nCount) {
            WriteByte(REG_STATUS, 0);
            return nCount;
        }
    }
}

int32_t SiS_SMBusIOSpace::HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount)
{
    // The count register and the device take at most 32 bytes; nothing is started for a
    // block that is empty or longer.
    if (nCount <= 0 || nCount > MAX_BLOCK || !pBuffer)
        return nFail(ESMBusFailure::NotSupported);
    WriteByte(REG_ADDRESS, uint8_t(nAddress << 1));
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_COUNT, uint8_t(nCount));
    int32_t nHanded = 0;
    for (; nHanded < CHUNK && nHanded < nCount; ++nHanded)
        WriteByte(uint8_t(REG_DATA + nHanded), pBuffer[nHanded]);
    if (!bStart(START_BLOCK))
        return 0;
    platform::Sleep(POLL_MS);
    int32_t nInFlight = nHanded;  // bytes handed over whose chunk has not been taken yet
    int32_t nAfterLast = 0;       // chunk-ready signals with no byte left to hand over
    for (;;) {
        uint8_t bStatus = 0;
        if (!bWaitChunk(bStatus))
            return nHanded - nInFlight;  // the chunk under way did not go out
        if (!(bStatus & STATUS_CHUNK))
            return nHanded;  // completion: every byte went out
        if (nHanded == nCount) {
            // The host asks for more than the block holds. It is released again, as many
            // times as a wait may poll; a host that still does not complete is killed, and
            // the block counts as ended without its last chunk.
            if (nAfterLast++ >= m_nTimeout) {
                WriteByte(REG_HOST_CONTROL, HOST_KILL);
                return nFail(ESMBusFailure::TimedOut, nHanded - nInFlight);
            }
            WriteByte(REG_STATUS, STATUS_CHUNK);
            continue;
        }
        int32_t nChunk = 0;
        for (; nChunk < CHUNK && nHanded < nCount; ++nChunk, ++nHanded)
            WriteByte(uint8_t(REG_DATA + nChunk), pBuffer[nHanded]);
        nInFlight = nChunk;
        WriteByte(REG_STATUS, STATUS_CHUNK);
    }
}
