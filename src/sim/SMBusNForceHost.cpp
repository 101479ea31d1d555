// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SMBusNForceHost.h"

namespace sim {

namespace {

enum : unsigned {
    REG_PROTOCOL = 0x00,
    REG_STATUS = 0x01,
    REG_ADDRESS = 0x02,
    REG_COMMAND = 0x03,
    REG_DATA0 = 0x04,
    REG_DATA1 = 0x05,
};

enum : uint8_t { STATUS_DONE = 0x80 };
enum : unsigned { KIND_QUICK = 1, KIND_BYTE_DATA = 3, KIND_WORD_DATA = 4 };

}  // namespace

CNForceSMBusHost::CNForceSMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus)
    : CBytePortHandler(wBase, PORT_COUNT), m_pBus(std::move(pBus))
{
}

void CNForceSMBusHost::vUpdate(uint64_t qwNow)
{
    if (!m_Cycle.bEndsBy(qwNow))
        return;
    m_bStatus = m_bEndStatus;
    m_bData0 = m_bEndData0;
    m_bData1 = m_bEndData1;
    m_bProtocol = 0;
}

void CNForceSMBusHost::vStart(uint64_t qwNow)
{
    const uint8_t nTarget = m_bAddress >> 1;
    const bool bRead = m_bProtocol & 1;
    m_bStatus = 0;
    m_bEndData0 = m_bData0;
    m_bEndData1 = m_bData1;
    CSMBusBus::Simple eKind;
    switch ((m_bProtocol >> 1) & 7) {
    case KIND_QUICK:
        eKind = CSMBusBus::Simple::Quick;
        break;
    case KIND_BYTE_DATA:
        eKind = CSMBusBus::Simple::ByteData;
        break;
    case KIND_WORD_DATA:
        eKind = CSMBusBus::Simple::WordData;
        break;
    default:  // a protocol this emulation does not run: done at once, without an answer
        m_bStatus = STATUS_DONE | OUTCOME_NO_ACK;
        m_bProtocol = 0;
        return;
    }
    uint64_t qwWire;
    const SMBusStatus eStatus = m_pBus->SimpleTransfer(eKind, nTarget, bRead, m_bCommand, m_bData0, m_bData1,
                                                       m_bEndData0, m_bEndData1, qwWire);
    switch (eOutcome(eStatus)) {
    case SMBusOutcome::Done:
        m_bEndStatus = STATUS_DONE;
        break;
    case SMBusOutcome::Collision:
        m_bEndStatus = STATUS_DONE | OUTCOME_COLLISION;
        break;
    case SMBusOutcome::Failed:
        m_bEndStatus = STATUS_DONE | OUTCOME_UNKNOWN_ERROR;
        break;
    default:
        m_bEndStatus = STATUS_DONE | OUTCOME_NO_ACK;
        break;
    }
    m_Cycle.vStart(qwNow, qwWire, eStatus == SMBusStatus::Hung);
}

uint8_t CNForceSMBusHost::bIn(unsigned nRegister, uint64_t qwNow)
{
    vUpdate(qwNow);
    switch (nRegister) {
    case REG_PROTOCOL:
        return m_bProtocol;
    case REG_STATUS:
        return m_bStatus;
    case REG_ADDRESS:
        return m_bAddress;
    case REG_COMMAND:
        return m_bCommand;
    case REG_DATA0:
        return m_bData0;
    case REG_DATA1:
        return m_bData1;
    default:
        return 0;
    }
}

void CNForceSMBusHost::vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow)
{
    vUpdate(qwNow);
    switch (nRegister) {
    case REG_PROTOCOL:
        if (!m_Cycle.bRunning()) {
            m_bProtocol = bValue;
            vStart(qwNow);
        }
        break;
    case REG_ADDRESS:
        m_bAddress = bValue;
        break;
    case REG_COMMAND:
        m_bCommand = bValue;
        break;
    case REG_DATA0:
        m_bData0 = bValue;
        break;
    case REG_DATA1:
        m_bData1 = bValue;
        break;
    default:
        break;
    }
}

}  // namespace sim
