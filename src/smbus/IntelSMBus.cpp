// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/IntelSMBus.h"

#include "platform/Clock.h"
#include "smbus/SMBusIntelStatus.h"
#include "smbus/SMBusWaits.h"

namespace {

using namespace smbus::intel_status;
using smbus::EPoll;

// Registers, from the controller's base.
constexpr uint32_t REG_STATUS = 0x00;
constexpr uint32_t REG_CONTROL = 0x02;
constexpr uint32_t REG_COMMAND = 0x03;
constexpr uint32_t REG_ADDRESS = 0x04;
constexpr uint32_t REG_DATA0 = 0x05;
constexpr uint32_t REG_DATA1 = 0x06;
constexpr uint32_t REG_BLOCK_DATA = 0x07;
constexpr uint32_t REG_AUX_CONTROL = 0x0D;

// Status bits (written back as 1 to clear them; the bits themselves in SMBusIntelStatus.h).
constexpr uint8_t STATUS_ANY = HOST_BUSY | INTR | ERRORS;
constexpr uint8_t STATUS_DONE_ERRORS = INTR | ERRORS;
constexpr uint8_t STATUS_FIRST_BYTE_MASK = STATUS_ANY | BYTE_DONE;
constexpr uint8_t STATUS_RELEASE_MASK = STATUS_DONE_ERRORS | BYTE_DONE;

// Control values.
constexpr uint8_t CONTROL_KILL = 0x02;
constexpr uint8_t CONTROL_BYTE_DATA = 0x08;
constexpr uint8_t CONTROL_WORD_DATA = 0x0C;
constexpr uint8_t CONTROL_BLOCK = 0x14;
constexpr uint8_t CONTROL_BLOCK_LAST = 0x34;
constexpr uint8_t CONTROL_START = 0x40;
constexpr uint8_t CONTROL_KEEP_BYTE = 0xE8;  // what a byte read keeps of the old control value
constexpr uint8_t CONTROL_KEEP_WORD = 0xEC;

constexpr uint8_t AUX_BLOCK_BUFFER = 0x02;

constexpr int32_t MAX_BLOCK = 32;
constexpr uint32_t START_WAIT_MS = 5;
constexpr uint32_t POLL_WAIT_MS = 1;

// The four waits of the protocol, each with its own loop: before a byte or word read the
// host must be free within the budget's polls, sleeping only while it is busy; after the
// start of one the first poll is free and the budget counts the polls after it; a write's
// completion and every byte of a block sleep after each poll.
constexpr EPoll IDLE_WAIT = EPoll::SleepWhileWaiting;
constexpr EPoll READ_COMPLETION_WAIT = EPoll::LookFirstCountFirst;
constexpr EPoll WRITE_COMPLETION_WAIT = EPoll::SleepAfterEach;
constexpr EPoll BYTE_DONE_WAIT = EPoll::SleepAfterEach;
// The block write loads the next byte at the reading that shows byte done: the controller
// holds the clock until it is loaded, so nothing is gained by sleeping after that reading.
constexpr EPoll BYTE_DONE_WRITE_WAIT = EPoll::CountEach;

uint8_t bReadAddress(uint8_t nAddress) { return uint8_t((nAddress << 1) | 1); }
uint8_t bWriteAddress(uint8_t nAddress) { return uint8_t(nAddress << 1); }

// The waits of a controller: its status register, the budget, 1 ms between polls.
auto Waits(CSMBusIOSpace& controller, int32_t nBudget)
{
    return smbus::CStatusWaits([&controller] { return uint32_t(controller.ReadByte(REG_STATUS)); }, nBudget,
                               POLL_WAIT_MS);
}

// A status bit that stays set before the first byte of a block: the host is busy, or it
// holds a status it does not give up.
ESMBusFailure eStuckStatus(uint8_t bStatus)
{
    return (bStatus & HOST_BUSY) ? ESMBusFailure::Busy : eEndedEarly(bStatus);
}

}  // namespace

Intel_ICH1_SMBusIOSpace::Intel_ICH1_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET, FUNCTIONS) {}

Intel_ICH1_SMBusIOSpace::Intel_ICH1_SMBusIOSpace(uint16_t wBase, int32_t nTimeout)
    : CSMBusIOSpace(wBase, nTimeout, FUNCTIONS)
{
}

uint32_t Intel_ICH1_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    uint8_t bUnused = 0;
    return dwReadData(nAddress, bCommand, false, bValue, bUnused, m_nTimeout);
}

uint32_t Intel_ICH1_SMBusIOSpace::HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    return dwReadData(nAddress, bCommand, true, bData0, bData1, m_nTimeout);
}

uint32_t Intel_ICH1_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    return dwWriteData(nAddress, bCommand, false, bValue, 0, m_nTimeout);
}

uint32_t Intel_ICH1_SMBusIOSpace::HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    return dwWriteData(nAddress, bCommand, true, bData0, bData1, m_nTimeout);
}

uint32_t Intel_ICH1_SMBusIOSpace::dwReadData(uint8_t nAddress, uint8_t bCommand, bool bWord, uint8_t& bData0,
                                             uint8_t& bData1, int32_t nBudget)
{
    bData0 = 0;
    bData1 = 0;
    if (!bWord) {
        // The byte read looks at the registers and clears what the last transaction left.
        ReadByte(REG_ADDRESS);
        ReadByte(REG_COMMAND);
        ReadByte(REG_CONTROL);
        uint8_t bLeft = ReadByte(REG_STATUS) & STATUS_ANY;
        if (bLeft)
            WriteByte(REG_STATUS, bLeft);
    }
    // Idle: a status without host busy within the budget's polls.
    auto idle = Waits(*this, nBudget);
    if (!idle.bHostFree(HOST_BUSY, IDLE_WAIT))
        return dwFail(ESMBusFailure::Busy);
    uint8_t bStatus = uint8_t(idle.dwStatus());
    if (bStatus & STATUS_DONE_ERRORS)
        WriteByte(REG_STATUS, bStatus);

    WriteByte(REG_ADDRESS, bReadAddress(nAddress));
    WriteByte(REG_COMMAND, bCommand);
    uint8_t bControl = ReadByte(REG_CONTROL);
    WriteByte(REG_CONTROL, bWord ? uint8_t((bControl & CONTROL_KEEP_WORD) | CONTROL_WORD_DATA | CONTROL_START)
                                 : uint8_t((bControl & CONTROL_KEEP_BYTE) | CONTROL_BYTE_DATA | CONTROL_START));

    platform::Sleep(START_WAIT_MS);
    auto completion = Waits(*this, nBudget);
    if (!completion.bCompletion(HOST_BUSY, READ_COMPLETION_WAIT))
        return dwFail(ESMBusFailure::TimedOut);
    bStatus = uint8_t(completion.dwStatus());
    // A transaction that lost the bus or was failed has no data either: the data registers
    // still hold whatever the last good transaction left.
    if (bStatus & ERRORS)
        return dwFail(eFailure(bStatus));
    bData0 = ReadByte(REG_DATA0);
    uint8_t bSecond = ReadByte(REG_DATA1);
    if (bWord)
        bData1 = bSecond;
    return 1;
}

uint32_t Intel_ICH1_SMBusIOSpace::dwWriteData(uint8_t nAddress, uint8_t bCommand, bool bWord, uint8_t bData0,
                                              uint8_t bData1, int32_t nBudget)
{
    WriteByte(REG_ADDRESS, bWriteAddress(nAddress));
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_DATA0, bData0);
    if (bWord)
        WriteByte(REG_DATA1, bData1);
    ReadByte(REG_CONTROL);
    WriteByte(REG_CONTROL, bWord ? CONTROL_WORD_DATA : CONTROL_BYTE_DATA);
    uint8_t bBefore = ReadByte(REG_STATUS);
    if (bBefore & STATUS_ANY) {
        WriteByte(REG_STATUS, bBefore);
        bBefore = ReadByte(REG_STATUS);
    }
    WriteByte(REG_CONTROL, uint8_t(ReadByte(REG_CONTROL) | CONTROL_START));
    // A host still busy with something else takes no start: the wait then runs out on it.
    auto completion = Waits(*this, nBudget);
    if (!completion.bCompletion(HOST_BUSY, WRITE_COMPLETION_WAIT))
        return dwFail((bBefore & HOST_BUSY) ? ESMBusFailure::Busy : ESMBusFailure::TimedOut);
    const uint8_t bEnd = uint8_t(completion.dwStatus());
    uint8_t bStatus = ReadByte(REG_STATUS);
    if (bStatus & STATUS_ANY) {
        WriteByte(REG_STATUS, bStatus);
        ReadByte(REG_STATUS);
    }
    // A write the device refused (or that lost the bus) did not happen: it is cleared like
    // any other status, and reported.
    if ((bEnd | bStatus) & ERRORS)
        return dwFail(eFailure(bEnd | bStatus));
    return 1;
}

void Intel_ICH1_SMBusIOSpace::vEndUnfinishedTransfer()
{
    if (!(ReadByte(REG_STATUS) & HOST_BUSY))
        return;
    WriteByte(REG_CONTROL, CONTROL_KILL);
    WriteByte(REG_CONTROL, 0);
    WriteByte(REG_STATUS, ReadByte(REG_STATUS));
}

int32_t Intel_ICH1_SMBusIOSpace::nBlockReadBytes(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer,
                                                 bool bStopOnError)
{
    int32_t nCount = MAX_BLOCK, nDone = 0;
    WriteByte(REG_ADDRESS, bReadAddress(nAddress));
    WriteByte(REG_COMMAND, bCommand);
    for (int32_t i = 1; i <= nCount; ++i) {
        WriteByte(REG_CONTROL, i == nCount ? CONTROL_BLOCK_LAST : CONTROL_BLOCK);
        uint8_t bMask = i == 1 ? STATUS_FIRST_BYTE_MASK : STATUS_DONE_ERRORS;
        uint8_t bStatus = ReadByte(REG_STATUS);
        if (bStatus & bMask) {
            WriteByte(REG_STATUS, bStatus);
            bStatus = ReadByte(REG_STATUS);
            if (bStatus & bMask) {
                vSetFailure(eStuckStatus(bStatus));
                break;
            }
            if (i > 1) {  // the host ended the block, or failed it, after the last byte
                vSetFailure(eEndedEarly(bStatus));
                break;
            }
        }
        if (i == 1)
            WriteByte(REG_CONTROL, uint8_t(ReadByte(REG_CONTROL) | CONTROL_START));
        auto byteDone = Waits(*this, m_nTimeout);
        const bool bDone = byteDone.bByteDone(BYTE_DONE, BYTE_DONE_WAIT);
        bStatus = uint8_t(byteDone.dwStatus());
        if (!bDone) {
            vSetFailure(eTimedOut(bStatus));
            break;
        }
        if (bStopOnError && (bStatus & ERRORS)) {
            vSetFailure(eFailure(bStatus));
            break;
        }
        if (i == 1) {
            nCount = ReadByte(REG_DATA0);
            if (nCount > MAX_BLOCK)
                nCount = MAX_BLOCK;
        }
        pBuffer[i - 1] = ReadByte(REG_BLOCK_DATA);
        ++nDone;
        if (bStatus & STATUS_RELEASE_MASK)
            WriteByte(REG_STATUS, bStatus);
        ReadByte(REG_STATUS);
    }
    vEndUnfinishedTransfer();
    return nDone;
}

int32_t Intel_ICH1_SMBusIOSpace::HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer)
{
    if (!pBuffer)
        return nFail(ESMBusFailure::NotSupported);
    return nBlockReadBytes(nAddress, bCommand, pBuffer, false);
}

int32_t Intel_ICH1_SMBusIOSpace::nBlockWriteBytes(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer,
                                                  int32_t nCount, bool bStopOnError, bool& bEarly,
                                                  uint8_t& bLastStatus)
{
    int32_t nDone = 0;
    bEarly = false;
    WriteByte(REG_ADDRESS, bWriteAddress(nAddress));
    WriteByte(REG_COMMAND, bCommand);
    WriteByte(REG_DATA0, uint8_t(nCount));
    WriteByte(REG_BLOCK_DATA, pBuffer[0]);
    // A single byte still needs the transfer started: it runs on its own once started, as
    // the last byte of a longer block does.
    int32_t nStarts = nCount > 1 ? nCount : 2;
    for (int32_t i = 1; i < nStarts; ++i) {
        WriteByte(REG_CONTROL, CONTROL_BLOCK);
        uint8_t bMask = i == 1 ? STATUS_FIRST_BYTE_MASK : STATUS_DONE_ERRORS;
        uint8_t bStatus = ReadByte(REG_STATUS);
        bLastStatus = bStatus;
        if (bStatus & bMask) {
            WriteByte(REG_STATUS, bStatus);
            bStatus = ReadByte(REG_STATUS);
            bLastStatus = bStatus;
            if ((bStatus & bMask) || i > 1) {
                vSetFailure((bStatus & bMask) ? eStuckStatus(bStatus) : eEndedEarly(bStatus));
                bEarly = true;
                break;
            }
        }
        if (i == 1)
            WriteByte(REG_CONTROL, uint8_t(ReadByte(REG_CONTROL) | CONTROL_START));
        if (nCount == 1)
            break;
        auto byteDone = Waits(*this, m_nTimeout);
        const bool bDone = byteDone.bByteDone(BYTE_DONE, BYTE_DONE_WRITE_WAIT);
        bStatus = uint8_t(byteDone.dwStatus());
        bLastStatus = bStatus;
        if (!bDone || (bStopOnError && (bStatus & ERRORS))) {
            vSetFailure(bDone ? eFailure(bStatus) : eTimedOut(bStatus));
            bEarly = true;
            break;
        }
        WriteByte(REG_BLOCK_DATA, pBuffer[i]);
        if (bStatus & STATUS_RELEASE_MASK)
            WriteByte(REG_STATUS, bStatus);
        ReadByte(REG_STATUS);
        ++nDone;
    }
    if (!bEarly) {
        // The last byte is still on the wire: the next transaction must not start over it.
        auto completion = Waits(*this, m_nTimeout);
        if (!completion.bCompletion(HOST_BUSY, WRITE_COMPLETION_WAIT)) {
            vSetFailure(ESMBusFailure::TimedOut);
            bEarly = true;
        }
        bLastStatus = uint8_t(completion.dwStatus());
        // A block that ends in an error was not taken whole: at least its last byte was
        // refused, and the write is not reported as complete.
        if (!bEarly && (bLastStatus & ERRORS)) {
            vSetFailure(eFailure(bLastStatus));
            --nDone;
        }
    }
    return nDone;
}

int32_t Intel_ICH1_SMBusIOSpace::HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer,
                                                int32_t nCount)
{
    // The count goes to the device in one byte and the controller moves at most 32.
    if (!pBuffer || nCount < 1 || nCount > MAX_BLOCK)
        return nFail(ESMBusFailure::NotSupported);
    bool bEarly = false;
    uint8_t bLastStatus = 0;
    int32_t nDone = nBlockWriteBytes(nAddress, bCommand, pBuffer, nCount, false, bEarly, bLastStatus);
    vEndUnfinishedTransfer();
    return nDone + 1;
}

Intel_ICH4_SMBusIOSpace::Intel_ICH4_SMBusIOSpace(uint16_t wBase) : Intel_ICH1_SMBusIOSpace(wBase, POLL_BUDGET) {}

uint32_t Intel_ICH4_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    uint8_t bUnused = 0;
    return dwReadData(nAddress, bCommand, false, bValue, bUnused, Intel_ICH1_SMBusIOSpace::POLL_BUDGET);
}

uint32_t Intel_ICH4_SMBusIOSpace::HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    return dwReadData(nAddress, bCommand, true, bData0, bData1, Intel_ICH1_SMBusIOSpace::POLL_BUDGET);
}

uint32_t Intel_ICH4_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    return dwWriteData(nAddress, bCommand, false, bValue, 0, Intel_ICH1_SMBusIOSpace::POLL_BUDGET);
}

uint32_t Intel_ICH4_SMBusIOSpace::HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    return dwWriteData(nAddress, bCommand, true, bData0, bData1, Intel_ICH1_SMBusIOSpace::POLL_BUDGET);
}

int32_t Intel_ICH4_SMBusIOSpace::HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer)
{
    if (!pBuffer)
        return nFail(ESMBusFailure::NotSupported);
    ReadByte(REG_STATUS);
    uint8_t bAux = ReadByte(REG_AUX_CONTROL);
    WriteByte(REG_AUX_CONTROL, uint8_t(bAux & ~AUX_BLOCK_BUFFER));
    int32_t nDone = nBlockReadBytes(nAddress, bCommand, pBuffer, true);
    WriteByte(REG_AUX_CONTROL, bAux);
    ReadByte(REG_STATUS);
    return nDone;
}

int32_t Intel_ICH4_SMBusIOSpace::HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer,
                                                int32_t nCount)
{
    if (!pBuffer || nCount < 1 || nCount > MAX_BLOCK)
        return nFail(ESMBusFailure::NotSupported);
    uint8_t bAux = ReadByte(REG_AUX_CONTROL);
    WriteByte(REG_AUX_CONTROL, uint8_t(bAux & ~AUX_BLOCK_BUFFER));
    bool bEarly = false;
    uint8_t bLastStatus = 0;
    int32_t nDone = nBlockWriteBytes(nAddress, bCommand, pBuffer, nCount, true, bEarly, bLastStatus);
    if (!bEarly) {
        ReadByte(REG_STATUS);
        WriteByte(REG_STATUS, ReadByte(REG_STATUS));
    } else {
        WriteByte(REG_STATUS, bLastStatus);
    }
    vEndUnfinishedTransfer();
    WriteByte(REG_AUX_CONTROL, bAux);
    ReadByte(REG_STATUS);
    return nDone + 1;
}
