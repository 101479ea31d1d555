#include "smbus/IntelSMBus.h"

#include "platform/Clock.h"

namespace {

// Registers, from the controller's base.
constexpr uint32_t REG_STATUS = 0x00;
constexpr uint32_t REG_CONTROL = 0x02;
constexpr uint32_t REG_COMMAND = 0x03;
constexpr uint32_t REG_ADDRESS = 0x04;
constexpr uint32_t REG_DATA0 = 0x05;
constexpr uint32_t REG_DATA1 = 0x06;
constexpr uint32_t REG_BLOCK_DATA = 0x07;
constexpr uint32_t REG_AUX_CONTROL = 0x0D;

// Status bits (written back as 1 to clear them).
constexpr uint8_t STATUS_BUSY = 0x01;
constexpr uint8_t STATUS_ANY = 0x1F;          // busy, completion, device error, collision, failed
constexpr uint8_t STATUS_DONE_ERRORS = 0x1E;  // completion, device error, collision, failed
constexpr uint8_t STATUS_ERRORS = 0x1C;       // device error, collision, failed
constexpr uint8_t STATUS_BYTE_DONE = 0x80;
constexpr uint8_t STATUS_FIRST_BYTE_MASK = 0x9F;
constexpr uint8_t STATUS_RELEASE_MASK = 0x9E;

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

uint8_t bReadAddress(uint8_t nAddress) { return uint8_t((nAddress << 1) | 1); }
uint8_t bWriteAddress(uint8_t nAddress) { return uint8_t(nAddress << 1); }

}  // namespace

Intel_ICH1_SMBusIOSpace::Intel_ICH1_SMBusIOSpace(uint16_t wBase) : CSMBusIOSpace(wBase, POLL_BUDGET) {}

Intel_ICH1_SMBusIOSpace::Intel_ICH1_SMBusIOSpace(uint16_t wBase, int32_t nTimeout) : CSMBusIOSpace(wBase, nTimeout)
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
        uint8_t bStatus = ReadByte(REG_STATUS) & STATUS_ANY;
        if (bStatus)
            WriteByte(REG_STATUS, bStatus);
    }
    // Idle: a status without host busy within the budget's polls.
    int32_t nLeft = nBudget;
    uint8_t bStatus;
    do {
        bStatus = ReadByte(REG_STATUS);
        if (bStatus & STATUS_BUSY)
            platform::Sleep(POLL_WAIT_MS);
        if (--nLeft < 0)
            return 0;
    } while (bStatus & STATUS_BUSY);
    if (bStatus & STATUS_DONE_ERRORS)
        WriteByte(REG_STATUS, bStatus);

    WriteByte(REG_ADDRESS, bReadAddress(nAddress));
    WriteByte(REG_COMMAND, bCommand);
    uint8_t bControl = ReadByte(REG_CONTROL);
    WriteByte(REG_CONTROL, bWord ? uint8_t((bControl & CONTROL_KEEP_WORD) | CONTROL_WORD_DATA | CONTROL_START)
                                 : uint8_t((bControl & CONTROL_KEEP_BYTE) | CONTROL_BYTE_DATA | CONTROL_START));

    platform::Sleep(START_WAIT_MS);
    nLeft = nBudget;
    bStatus = ReadByte(REG_STATUS);
    while (bStatus & STATUS_BUSY) {
        platform::Sleep(POLL_WAIT_MS);
        bStatus = ReadByte(REG_STATUS);
        if (--nLeft < 0)
            return 0;
    }
    // A transaction that lost the bus or was failed has no data either: the data registers
    // still hold whatever the last good transaction left.
    if (bStatus & STATUS_ERRORS)
        return 0;
    bData0 = ReadByte(REG_DATA0);
    uint8_t bSecond = ReadByte(REG_DATA1);
    if (bWord)
        bData1 = bSecond;
    return 1;
}

bool Intel_ICH1_SMBusIOSpace::bWaitNotBusy(int32_t nBudget, uint8_t& bStatus)
{
    do {
        bStatus = ReadByte(REG_STATUS);
        platform::Sleep(POLL_WAIT_MS);
        if (--nBudget < 0)
            return false;
    } while (bStatus & STATUS_BUSY);
    return true;
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
    uint8_t bStatus = ReadByte(REG_STATUS);
    if (bStatus & STATUS_ANY) {
        WriteByte(REG_STATUS, bStatus);
        ReadByte(REG_STATUS);
    }
    WriteByte(REG_CONTROL, uint8_t(ReadByte(REG_CONTROL) | CONTROL_START));
    uint8_t bEnd = 0;
    if (!bWaitNotBusy(nBudget, bEnd))
        return 0;
    bStatus = ReadByte(REG_STATUS);
    if (bStatus & STATUS_ANY) {
        WriteByte(REG_STATUS, bStatus);
        ReadByte(REG_STATUS);
    }
    // A write the device refused (or that lost the bus) did not happen: it is cleared like
    // any other status, and reported.
    return ((bEnd | bStatus) & STATUS_ERRORS) ? 0 : 1;
}

void Intel_ICH1_SMBusIOSpace::vEndUnfinishedTransfer()
{
    if (!(ReadByte(REG_STATUS) & STATUS_BUSY))
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
            if ((bStatus & bMask) || i > 1)
                break;
        }
        if (i == 1)
            WriteByte(REG_CONTROL, uint8_t(ReadByte(REG_CONTROL) | CONTROL_START));
        // Byte done: poll, 1 ms, budget; until the byte-done bit shows.
        int32_t nLeft = m_nTimeout;
        bool bTimedOut = false;
        do {
            bStatus = ReadByte(REG_STATUS);
            platform::Sleep(POLL_WAIT_MS);
            if (--nLeft < 0) {
                bTimedOut = true;
                break;
            }
        } while (!(bStatus & STATUS_BYTE_DONE));
        if (bTimedOut || (bStopOnError && (bStatus & STATUS_ERRORS)))
            break;
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
        return 0;
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
                bEarly = true;
                break;
            }
        }
        if (i == 1)
            WriteByte(REG_CONTROL, uint8_t(ReadByte(REG_CONTROL) | CONTROL_START));
        if (nCount == 1)
            break;
        // Byte done within the budget's polls, 1 ms apart. The controller holds the clock
        // until the next byte is loaded, so a poll that sees the bit ends the wait at once.
        int32_t nLeft = m_nTimeout;
        bool bTimedOut = false;
        for (;;) {
            bStatus = ReadByte(REG_STATUS);
            if (--nLeft < 0) {
                bTimedOut = true;
                break;
            }
            if (bStatus & STATUS_BYTE_DONE)
                break;
            platform::Sleep(POLL_WAIT_MS);
        }
        bLastStatus = bStatus;
        if (bTimedOut || (bStopOnError && (bStatus & STATUS_ERRORS))) {
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
        uint8_t bStatus = 0;
        if (!bWaitNotBusy(m_nTimeout, bStatus))
            bEarly = true;
        bLastStatus = bStatus;
    }
    return nDone;
}

int32_t Intel_ICH1_SMBusIOSpace::HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer,
                                                int32_t nCount)
{
    // The count goes to the device in one byte and the controller moves at most 32.
    if (!pBuffer || nCount < 1 || nCount > MAX_BLOCK)
        return 0;
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
        return 0;
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
        return 0;
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
