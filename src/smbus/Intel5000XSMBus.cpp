// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/Intel5000XSMBus.h"

#include <cstdio>

#include "kit/IOSpace.h"
#include "kit/PCIConfig.h"
#include "platform/Clock.h"
#include "smbus/SMBusWaits.h"

namespace {

enum : uint32_t {
    COMMAND_READ = 0xA0000000,
    COMMAND_WRITE = 0xA0000001,
    COMMAND_CLOCK_RELEASE = 1u << 27,
};

enum : uint16_t {
    STATUS_BUSY = 1u << 12,
    STATUS_ERROR = 1u << 13,
    STATUS_WRITE_DONE = 1u << 14,
    STATUS_READ_VALID = 1u << 15,
};

constexpr uint32_t POLL_MS = 10;

}  // namespace

Intel_5000X_SMBusIOSpace::Intel_5000X_SMBusIOSpace(uint8_t bBus, uint8_t bDevice, uint8_t bFunction,
                                                   uint32_t dwStatusReg, uint32_t dwCommandReg)
    : CSMBusIOSpace(0xFFFF, 0, FUNCTIONS),
      m_pPCISpace(kit::FindPCIConfigSpace()),
      m_nWaitLimit(WAIT_LIMIT_MS),
      m_dwStatusReg(dwStatusReg),
      m_dwCommandReg(dwCommandReg),
      m_bBus(bBus),
      m_bDevice(bDevice),
      m_bFunction(bFunction)
{
}

std::string Intel_5000X_SMBusIOSpace::strTraceName() const
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%02x:%02x.%x", m_bBus, m_bDevice & 31, m_bFunction & 7);
    return sz;
}

uint16_t Intel_5000X_SMBusIOSpace::wReadStatus()
{
    if (m_dwStatusReg == ABSENT || !m_pPCISpace)
        return 0xFFFF;
    return uint16_t(m_pPCISpace->ReadConfig(m_bBus, m_bDevice, m_bFunction, m_dwStatusReg));
}

uint32_t Intel_5000X_SMBusIOSpace::dwReadCommand()
{
    if (m_dwCommandReg == ABSENT || !m_pPCISpace)
        return 0xFFFFFFFF;
    return m_pPCISpace->ReadConfig(m_bBus, m_bDevice, m_bFunction, m_dwCommandReg);
}

void Intel_5000X_SMBusIOSpace::vWriteCommand(uint32_t dwValue)
{
    if (m_dwCommandReg != ABSENT && m_pPCISpace)
        m_pPCISpace->WriteConfig(m_bBus, m_bDevice, m_bFunction, m_dwCommandReg, dwValue);
}

bool Intel_5000X_SMBusIOSpace::bWaitNotBusy(uint16_t& wStatus)
{
    // The wait limit in polls 10 ms apart, a part of a poll counting as a whole one.
    const int32_t nBudget = m_nWaitLimit > 0 ? (m_nWaitLimit + int32_t(POLL_MS) - 1) / int32_t(POLL_MS) : 0;
    auto waits = smbus::CStatusWaits([this] { return uint32_t(wReadStatus()); }, nBudget, POLL_MS);
    const bool bFree = waits.bHostFree(STATUS_BUSY);
    wStatus = uint16_t(waits.dwStatus());
    return bFree;
}

bool Intel_5000X_SMBusIOSpace::bRun(uint32_t dwCommand, bool bWrite, uint16_t& wStatus)
{
    vWriteCommand(dwCommand);
    if (!bWaitNotBusy(wStatus)) {
        vSetFailure(ESMBusFailure::Busy);
        return false;
    }
    // Release the clock until the controller takes the command: busy, with neither an error
    // nor the result of an earlier command showing.
    const uint16_t wResult = bWrite ? STATUS_WRITE_DONE : STATUS_READ_VALID;
    for (int32_t nTries = 0;; ++nTries) {
        if (nTries * int32_t(POLL_MS) >= m_nWaitLimit) {
            vSetFailure(ESMBusFailure::TimedOut);  // the controller never took the command
            return false;
        }
        const uint32_t dwValue = dwReadCommand();
        vWriteCommand(dwValue | COMMAND_CLOCK_RELEASE);
        const uint32_t dwBack = dwReadCommand();
        wStatus = wReadStatus();
        if ((wStatus & STATUS_BUSY) && !(wStatus & (STATUS_ERROR | wResult)))
            break;
        vWriteCommand(dwBack & ~COMMAND_CLOCK_RELEASE);
    }
    // A write is over when the controller is no longer busy, as a read is; waiting only while
    // busy with write done already set would leave before the write has ended and report it
    // as failed.
    if (bWaitNotBusy(wStatus))
        return true;
    vSetFailure(ESMBusFailure::TimedOut);
    return false;
}

uint32_t Intel_5000X_SMBusIOSpace::HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue)
{
    bValue = 0;
    if (!bServed(nAddress))
        return dwFail(ESMBusFailure::NotSupported);
    uint16_t wStatus = 0;
    const uint32_t dwCommand = COMMAND_READ + (uint32_t(nAddress & 3) << 24) + (uint32_t(bCommand) << 16);
    if (!bRun(dwCommand, false, wStatus))
        return 0;
    // The error bit is the controller's one word for a failure on its bus; what it nearly
    // always means is a slot without a module, or one that refused the byte. A read that
    // ends without error and without data failed all the same.
    if (wStatus & STATUS_ERROR)
        return dwFail(ESMBusFailure::NoAnswer);
    if (!(wStatus & STATUS_READ_VALID))
        return dwFail(ESMBusFailure::BusError);
    bValue = uint8_t(wStatus);
    return 1;
}

uint32_t Intel_5000X_SMBusIOSpace::HostWriteByte(uint8_t nAddress, uint8_t bCommand, uint8_t bValue)
{
    if (!bServed(nAddress))
        return dwFail(ESMBusFailure::NotSupported);
    uint16_t wStatus = 0;
    const uint32_t dwCommand = COMMAND_WRITE + (uint32_t(nAddress & 3) << 24) + (uint32_t(bCommand) << 16) +
                               (uint32_t(bValue) << 8);
    if (!bRun(dwCommand, true, wStatus))
        return 0;
    if (wStatus & STATUS_ERROR)
        return dwFail(ESMBusFailure::NoAnswer);
    if (!(wStatus & STATUS_WRITE_DONE))
        return dwFail(ESMBusFailure::BusError);
    return 1;
}
