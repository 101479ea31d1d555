// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/ALiSMBus.h"

#include "smbus/SMBusIntelStatus.h"
#include "smbus/SMBusWaits.h"

namespace {

// M1563 registers and bits.
enum : uint8_t {
    M1563_STATUS = 0x00,
    M1563_CONTROL1 = 0x01,
    M1563_CONTROL = 0x02,
    M1563_COMMAND = 0x03,
    M1563_ADDRESS = 0x04,
    M1563_DATA0 = 0x05,
    M1563_DATA1 = 0x06,
    M1563_BLOCK_DATA = 0x07,
};

// The M1563's status register is the ICH's (SMBusIntelStatus.h).
enum : uint8_t {
    M1563_BUSY = smbus::intel_status::HOST_BUSY,
    M1563_ERRORS = smbus::intel_status::ERRORS,
    M1563_COLLISION = smbus::intel_status::BUS_ERR,
    M1563_FAILED = smbus::intel_status::FAILED,
    M1563_BYTE_DONE = smbus::intel_status::BYTE_DONE,
    M1563_START = 0x40,
    M1563_KILL = 0x04,
    M1563_BLOCK = 0x28,
    M1563_LAST = 0x40,   // control 1: the last byte of a block; written, it ends the block
    M1563_RESET = 0x80,  // control 1: resets the host
};

// M7101 registers and bits.
enum : uint8_t {
    M7101_STATUS = 0x00,
    M7101_PROTOCOL = 0x01,
    M7101_START = 0x02,
    M7101_ADDRESS = 0x03,
    M7101_DATA = 0x04,
    M7101_COMMAND = 0x07,
};

enum : uint8_t {
    M7101_IDLE = 0x04,
    M7101_BUSY = 0x08,
    M7101_DONE = 0x10,
    M7101_DEVICE_ERROR = 0x20,
    M7101_BUS_ERROR = 0x40,  // no answer or a collision: the part does not tell them apart
    M7101_FAILED = 0x80,     // the transaction was terminated
    M7101_ERRORS = M7101_DEVICE_ERROR | M7101_BUS_ERROR | M7101_FAILED,
    M7101_BYTE_DATA = 0x20,
};

constexpr uint32_t POLL_MS = 1;

// What the M7101's error bits say. Its bus error bit stands for a device that did not
// answer as well as for a lost arbitration; nobody answering is what it nearly always means.
ESMBusFailure eM7101Failure(uint32_t dwStatus)
{
    if (dwStatus & M7101_BUS_ERROR)
        return ESMBusFailure::NoAnswer;
    if (dwStatus & (M7101_DEVICE_ERROR | M7101_FAILED))
        return ESMBusFailure::BusError;
    return ESMBusFailure::None;
}

template <typename TController>
auto Waits(TController& controller, uint8_t bStatusRegister)
{
    return smbus::CStatusWaits([&controller, bStatusRegister] { return uint32_t(controller.ReadByte(bStatusRegister)); },
                               controller.m_nTimeout, POLL_MS);
}

}  // namespace

ALI_M1563_SMBusIOSpace::ALI_M1563_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET, FUNCTIONS) {}

bool ALI_M1563_SMBusIOSpace::bWaitIdle()
{
    if (Waits(*this, M1563_STATUS).bHostFree(M1563_BUSY))
        return true;
    vSetFailure(ESMBusFailure::Busy);
    return false;
}

bool ALI_M1563_SMBusIOSpace::bClearErrors(uint8_t& bStatus)
{
    bStatus = ReadByte(M1563_STATUS);
    if (!(bStatus & M1563_ERRORS))
        return true;
    WriteByte(M1563_STATUS, bStatus | M1563_ERRORS);
    bStatus = ReadByte(M1563_STATUS);
    if (!(bStatus & M1563_ERRORS))
        return true;
    vSetFailure(ESMBusFailure::Busy);  // the host holds on to an error it does not give up
    return false;
}

bool ALI_M1563_SMBusIOSpace::bTransfer(uint8_t nAddress, bool bRead, uint8_t bCommand, bool bWord, uint8_t& bData0,
                                       uint8_t& bData1)
{
    if (!bWaitIdle())
        return false;
    WriteByte(M1563_STATUS, 0xFF);
    WriteByte(M1563_ADDRESS, uint8_t(nAddress << 1 | (bRead ? 1 : 0)));
    const uint8_t bControl = ReadByte(M1563_CONTROL);
    WriteByte(M1563_CONTROL, bWord ? uint8_t((bControl & 0xDF) | 0x18) : uint8_t((bControl & 0xD7) | 0x10));
    WriteByte(M1563_COMMAND, bCommand);
    if (!bRead) {
        WriteByte(M1563_DATA0, bData0);
        if (bWord)
            WriteByte(M1563_DATA1, bData1);
    }
    uint8_t bStatus = 0;
    if (!bClearErrors(bStatus))
        return false;
    WriteByte(M1563_CONTROL, ReadByte(M1563_CONTROL) | M1563_START);
    auto completion = Waits(*this, M1563_STATUS);
    const bool bEnded = completion.bCompletion(M1563_BUSY);
    uint32_t dwStatus = completion.dwStatus();
    if (!bEnded) {
        WriteByte(M1563_CONTROL, M1563_KILL);
        dwStatus = ReadByte(M1563_STATUS);
    }
    if (bEnded && !(dwStatus & M1563_ERRORS)) {
        if (bRead) {
            bData0 = ReadByte(M1563_DATA0);
            if (bWord)
                bData1 = ReadByte(M1563_DATA1);
        }
        return true;
    }
    // The kill itself leaves failed set: a time-out is what ended the transaction.
    vSetFailure(bEnded ? smbus::intel_status::eFailure(dwStatus) : ESMBusFailure::TimedOut);
    if (dwStatus & M1563_COLLISION)
        WriteByte(M1563_CONTROL1, M1563_RESET);
    if (dwStatus & M1563_FAILED)
        WriteByte(M1563_CONTROL, 0);
    return false;
}

uint32_t ALI_M1563_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    uint8_t bUnused = 0;
    bValue = 0;
    return bTransfer(nAddress, true, bCommand, false, bValue, bUnused) ? 1 : 0;
}

uint32_t ALI_M1563_SMBusIOSpace::HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    bData0 = bData1 = 0;
    return bTransfer(nAddress, true, bCommand, true, bData0, bData1) ? 1 : 0;
}

uint32_t ALI_M1563_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    uint8_t bUnused = 0;
    return bTransfer(nAddress, false, bCommand, false, bValue, bUnused) ? 1 : 0;
}

uint32_t ALI_M1563_SMBusIOSpace::HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    return bTransfer(nAddress, false, bCommand, true, bData0, bData1) ? 1 : 0;
}

int32_t ALI_M1563_SMBusIOSpace::nEndBlock(int32_t nBytes)
{
    WriteByte(M1563_CONTROL1, M1563_LAST);
    ReadByte(M1563_STATUS);
    WriteByte(M1563_STATUS, 0xFF);
    return nBytes;
}

int ALI_M1563_SMBusIOSpace::nBlockByte()
{
    uint8_t bStatus = 0;
    if (!bClearErrors(bStatus))
        return 1;
    WriteByte(M1563_STATUS, bStatus | M1563_BYTE_DONE);
    WriteByte(M1563_CONTROL, ReadByte(M1563_CONTROL) | M1563_START);
    auto byteDone = Waits(*this, M1563_STATUS);
    if (!byteDone.bByteDone(M1563_BYTE_DONE)) {
        vSetFailure(smbus::intel_status::eTimedOut(byteDone.dwStatus()));
        return -1;
    }
    if (!(byteDone.dwStatus() & M1563_ERRORS))
        return 0;
    vSetFailure(smbus::intel_status::eFailure(byteDone.dwStatus()));
    return 1;
}

int32_t ALI_M1563_SMBusIOSpace::HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer)
{
    if (!bWaitIdle())
        return nEndBlock(0);
    WriteByte(M1563_ADDRESS, uint8_t(nAddress << 1 | 1));
    WriteByte(M1563_CONTROL, M1563_BLOCK);
    WriteByte(M1563_COMMAND, bCommand);
    int32_t nStored = 0;
    int32_t nCount = MAX_BLOCK;
    for (;;) {
        const int nResult = nBlockByte();
        if (nResult < 0)
            return nEndBlock(nStored);
        if (nResult > 0)
            break;
        if (nStored == 0) {
            nCount = ReadByte(M1563_DATA0);
            if (nCount > MAX_BLOCK)
                nCount = MAX_BLOCK;
        }
        pBuffer[nStored++] = ReadByte(M1563_BLOCK_DATA);
        if ((ReadByte(M1563_CONTROL1) & M1563_LAST) || nStored >= nCount)
            break;
    }
    return nEndBlock(nStored);
}

int32_t ALI_M1563_SMBusIOSpace::HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer,
                                               int32_t nCount)
{
    // The count register and the device take at most 32 bytes.
    if (nCount <= 0 || nCount > MAX_BLOCK || !pBuffer)
        return nFail(ESMBusFailure::NotSupported);
    if (!bWaitIdle())
        return nEndBlock(0);
    WriteByte(M1563_ADDRESS, uint8_t(nAddress << 1));
    WriteByte(M1563_BLOCK_DATA, pBuffer[0]);
    WriteByte(M1563_CONTROL, M1563_BLOCK);
    WriteByte(M1563_COMMAND, bCommand);
    WriteByte(M1563_DATA0, uint8_t(nCount));
    int32_t nDone = 0;
    for (;;) {
        if (nDone > 0)
            WriteByte(M1563_BLOCK_DATA, pBuffer[nDone]);
        const int nResult = nBlockByte();
        if (nResult != 0)
            break;
        ++nDone;
        if ((ReadByte(M1563_CONTROL1) & M1563_LAST) || nDone >= nCount)
            break;
    }
    return nEndBlock(nDone);
}

ALI_M7101_SMBusIOSpace::ALI_M7101_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET, FUNCTIONS) {}

bool ALI_M7101_SMBusIOSpace::bTransfer(uint8_t nAddress, bool bRead, uint8_t bCommand, uint8_t& bValue)
{
    ReadByte(M7101_STATUS);
    WriteByte(M7101_STATUS, 0xFF);
    // The host is free when it says it is idle.
    if (!Waits(*this, M7101_STATUS).bAnyOf(M7101_IDLE)) {
        vSetFailure(ESMBusFailure::Busy);
        return false;
    }
    WriteByte(M7101_ADDRESS, uint8_t(nAddress << 1 | (bRead ? 1 : 0)));
    WriteByte(M7101_PROTOCOL, M7101_BYTE_DATA);
    WriteByte(M7101_COMMAND, bCommand);
    if (!bRead)
        WriteByte(M7101_DATA, bValue);
    const uint8_t bStatus = ReadByte(M7101_STATUS);
    if (bStatus & M7101_DONE)
        WriteByte(M7101_STATUS, bStatus);
    WriteByte(M7101_START, 0xFF);
    if (bRead)
        ReadByte(M7101_STATUS);
    // Complete once the host is no longer busy, or idle again.
    auto completion = Waits(*this, M7101_STATUS);
    if (!completion.bUntil([](uint32_t s) { return !((s & M7101_BUSY) && !(s & M7101_IDLE)); })) {
        vSetFailure(ESMBusFailure::TimedOut);
        return false;
    }
    // A transfer nobody acknowledged, or one lost to another master, ends with an error bit
    // and no data: it is a failure, not a byte of 0xFF.
    if (completion.dwStatus() & M7101_ERRORS) {
        vSetFailure(eM7101Failure(completion.dwStatus()));
        return false;
    }
    if (bRead)
        bValue = ReadByte(M7101_DATA);
    return true;
}

uint32_t ALI_M7101_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    bValue = 0;
    uint8_t bRead = 0;
    if (!bTransfer(nAddress, true, bCommand, bRead))
        return 0;
    bValue = bRead;
    return 1;
}

uint32_t ALI_M7101_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    return bTransfer(nAddress, false, bCommand, bValue) ? 1 : 0;
}
