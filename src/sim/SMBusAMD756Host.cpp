// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SMBusAMD756Host.h"

namespace sim {

namespace {

enum : unsigned {
    REG_STATUS = 0x00,
    REG_ENABLE = 0x02,
    REG_ADDRESS = 0x04,
    REG_DATA = 0x06,
    REG_COMMAND = 0x08,
};

enum : uint16_t {
    STATUS_ABORT = 0x0001,
    STATUS_COLLISION = 0x0002,
    STATUS_DEVICE_ERROR = 0x0004,
    STATUS_HOST_BUSY = 0x0008,
    STATUS_COMPLETE = 0x0010,
    STATUS_BUS_BUSY = 0x0800,
    STATUS_CLEARABLE = 0x0037,
    ENABLE_START = 0x0008,
    ENABLE_ABORT = 0x0020,
};

enum : unsigned { CYCLE_QUICK = 0, CYCLE_BYTE_DATA = 2, CYCLE_WORD_DATA = 3 };

}  // namespace

CAMD756SMBusHost::CAMD756SMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus)
    : CPortHandler(wBase, PORT_COUNT), m_pBus(std::move(pBus))
{
}

uint16_t CAMD756SMBusHost::wStatus() const
{
    return uint16_t(m_wStatus | (m_Cycle.bRunning() ? (STATUS_HOST_BUSY | STATUS_BUS_BUSY) : 0));
}

void CAMD756SMBusHost::vUpdate(uint64_t qwNow)
{
    if (!m_Cycle.bEndsBy(qwNow))
        return;
    m_wStatus |= m_wEndStatus;
    m_Registers[REG_DATA] = uint8_t(m_wEndData);
    m_Registers[REG_DATA + 1] = uint8_t(m_wEndData >> 8);
}

void CAMD756SMBusHost::vStart(uint64_t qwNow)
{
    const uint8_t nTarget = m_Registers[REG_ADDRESS] >> 1;
    const bool bRead = m_Registers[REG_ADDRESS] & 1;
    const uint8_t bCommand = m_Registers[REG_COMMAND];
    uint8_t bData0 = m_Registers[REG_DATA], bData1 = m_Registers[REG_DATA + 1];
    CSMBusBus::Simple eKind;
    switch (m_Registers[REG_ENABLE] & 7) {
    case CYCLE_QUICK:
        eKind = CSMBusBus::Simple::Quick;
        break;
    case CYCLE_BYTE_DATA:
        eKind = CSMBusBus::Simple::ByteData;
        break;
    case CYCLE_WORD_DATA:
        eKind = CSMBusBus::Simple::WordData;
        break;
    default:  // a cycle type this emulation does not run
        m_wStatus |= STATUS_ABORT;
        return;
    }
    uint64_t qwWire;
    const SMBusStatus eStatus =
        m_pBus->SimpleTransfer(eKind, nTarget, bRead, bCommand, bData0, bData1, bData0, bData1, qwWire);
    m_wEndData = uint16_t(bData0 | bData1 << 8);
    switch (eOutcome(eStatus)) {
    case SMBusOutcome::Done:
        m_wEndStatus = STATUS_COMPLETE;
        break;
    case SMBusOutcome::Collision:
        m_wEndStatus = STATUS_COLLISION;
        break;
    case SMBusOutcome::Failed:
        m_wEndStatus = STATUS_ABORT;
        break;
    default:
        m_wEndStatus = STATUS_DEVICE_ERROR;
        break;
    }
    m_Cycle.vStart(qwNow, qwWire, eStatus == SMBusStatus::Hung);
}

void CAMD756SMBusHost::vWriteEnable(uint16_t wValue, uint64_t qwNow)
{
    m_Registers[REG_ENABLE] = uint8_t(wValue & ~(ENABLE_START | ENABLE_ABORT));
    m_Registers[REG_ENABLE + 1] = uint8_t(wValue >> 8);
    if (wValue & ENABLE_ABORT) {
        if (m_Cycle.bRunning()) {
            m_Cycle.vStop();
            m_wStatus |= STATUS_ABORT;
        }
    } else if ((wValue & ENABLE_START) && !m_Cycle.bRunning()) {
        vStart(qwNow);
    }
}

uint32_t CAMD756SMBusHost::dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context)
{
    vUpdate(context.qwNanoseconds);
    const uint16_t wLive = wStatus();
    uint32_t dwValue = 0;
    for (unsigned i = 0; i < nWidth; ++i) {
        const unsigned nRegister = wPort - wFirst() + i;
        uint8_t b = m_Registers[nRegister];
        if (nRegister == REG_STATUS)
            b = uint8_t(wLive);
        else if (nRegister == REG_STATUS + 1)
            b = uint8_t(wLive >> 8);
        dwValue |= uint32_t(b) << (8 * i);
    }
    return dwValue;
}

void CAMD756SMBusHost::vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context)
{
    vUpdate(context.qwNanoseconds);
    for (unsigned i = 0; i < nWidth; ++i) {
        const unsigned nRegister = wPort - wFirst() + i;
        const uint8_t b = uint8_t(dwValue >> (8 * i));
        if (nRegister == REG_STATUS)
            m_wStatus &= uint16_t(~(b & STATUS_CLEARABLE));
        else if (nRegister == REG_STATUS + 1)
            m_wStatus &= uint16_t(~(uint16_t(b) << 8 & STATUS_CLEARABLE));
        else if (nRegister == REG_ENABLE)
            vWriteEnable(uint16_t(b | m_Registers[REG_ENABLE + 1] << 8), context.qwNanoseconds);
        else
            m_Registers[nRegister] = b;
    }
}

}  // namespace sim
