// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/FBDSPDFunction.h"

namespace sim {

namespace {

enum : uint16_t {
    STATUS_BUSY = 1u << 12,
    STATUS_ERROR = 1u << 13,
    STATUS_WRITE_DONE = 1u << 14,
    STATUS_READ_VALID = 1u << 15,
};

enum : uint32_t {
    COMMAND_CLOCK_RELEASE = 1u << 27,
    COMMAND_WRITE = 1u,
    DEVICE_TYPE_EEPROM = 0xA,
};

// The branch device's configuration space as it is, so that a look at the function without
// side effects (dwPeek) still sees it.
std::array<uint8_t, 4096> Copy(const CPCIFunction* pFunction)
{
    std::array<uint8_t, 4096> bytes{};
    for (unsigned nOffset = 0; pFunction && nOffset < bytes.size(); nOffset += 4) {
        const uint32_t dwValue = pFunction->dwPeek(nOffset);
        for (unsigned i = 0; i < 4; ++i)
            bytes[nOffset + i] = uint8_t(dwValue >> (8 * i));
    }
    return bytes;
}

uint32_t dwMerge(uint32_t dwOld, uint32_t dwValue, unsigned nByteEnables)
{
    for (unsigned i = 0; i < 4; ++i)
        if (nByteEnables & (1u << i))
            dwOld = (dwOld & ~(0xFFu << (8 * i))) | (dwValue & (0xFFu << (8 * i)));
    return dwOld;
}

}  // namespace

CFBDSPDFunction::CFBDSPDFunction(std::unique_ptr<CPCIFunction> pBranch)
    : CPCIFunction(Copy(pBranch.get())), m_pBranch(std::move(pBranch))
{
}

void CFBDSPDFunction::vAttach(unsigned nChannel, std::shared_ptr<CSMBusBus> pBus)
{
    if (nChannel < m_Channels.size())
        m_Channels[nChannel].pBus = std::move(pBus);
}

void CFBDSPDFunction::vUpdate(Channel& channel, uint64_t qwNow)
{
    if (channel.Cycle.bEndsBy(qwNow))
        channel.wStatus = channel.wEndStatus;
}

uint16_t CFBDSPDFunction::wStatus(Channel& channel, uint64_t qwNow)
{
    vUpdate(channel, qwNow);
    return uint16_t(channel.wStatus | (channel.Cycle.bRunning() ? STATUS_BUSY : 0));
}

void CFBDSPDFunction::vWriteCommand(Channel& channel, uint32_t dwValue, uint64_t qwNow)
{
    vUpdate(channel, qwNow);
    const bool bReleased = !(channel.dwCommand & COMMAND_CLOCK_RELEASE) && (dwValue & COMMAND_CLOCK_RELEASE);
    const bool bHeld = !(dwValue & COMMAND_CLOCK_RELEASE);
    channel.dwCommand = dwValue;
    if (bHeld && channel.Cycle.bRunning()) {  // the clock is pulled low under a hung command
        channel.Cycle.vStop();
        channel.wStatus = STATUS_ERROR;
        return;
    }
    if (!bReleased || channel.Cycle.bRunning())
        return;
    const bool bWrite = dwValue & COMMAND_WRITE;
    const uint8_t nAddress = uint8_t(0x50 + ((dwValue >> 24) & 7));
    const uint8_t bOffset = uint8_t(dwValue >> 16);
    SMBusStatus eStatus = SMBusStatus::NoAnswer;
    uint8_t bByte = 0;
    if (channel.pBus && (dwValue >> 28) == DEVICE_TYPE_EEPROM)
        eStatus = bWrite ? channel.pBus->WriteByteData(nAddress, bOffset, uint8_t(dwValue >> 8))
                         : channel.pBus->ReadByteData(nAddress, bOffset, bByte);
    channel.wStatus = 0;
    if (eStatus == SMBusStatus::Ok)
        channel.wEndStatus = bWrite ? uint16_t(STATUS_WRITE_DONE) : uint16_t(STATUS_READ_VALID | bByte);
    else
        channel.wEndStatus = STATUS_ERROR;
    channel.Cycle.vStart(qwNow, bWrite ? CSMBusBus::qwWireNs(3) : CSMBusBus::qwWireNs(4, 2),
                         eStatus == SMBusStatus::Hung);
}

uint32_t CFBDSPDFunction::dwRead(unsigned nOffset, const AccessContext& context)
{
    if (nOffset == STATUS_OFFSET)
        return uint32_t(wStatus(m_Channels[0], context.qwNanoseconds)) |
               uint32_t(wStatus(m_Channels[1], context.qwNanoseconds)) << 16;
    for (unsigned i = 0; i < 2; ++i)
        if (nOffset == COMMAND_OFFSET[i])
            return m_Channels[i].dwCommand;
    return m_pBranch ? m_pBranch->dwRead(nOffset, context) : 0xFFFFFFFF;
}

void CFBDSPDFunction::vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context)
{
    if (nOffset == STATUS_OFFSET)
        return;  // the status registers are read-only
    for (unsigned i = 0; i < 2; ++i)
        if (nOffset == COMMAND_OFFSET[i]) {
            vWriteCommand(m_Channels[i], dwMerge(m_Channels[i].dwCommand, dwValue, nByteEnables),
                          context.qwNanoseconds);
            return;
        }
    if (m_pBranch) {
        m_pBranch->vWrite(nOffset, dwValue, nByteEnables, context);
        CPCIFunction::vWrite(nOffset, dwValue, nByteEnables, context);  // kept for dwPeek
    }
}

}  // namespace sim
