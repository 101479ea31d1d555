// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SMBusALiHosts.h"

namespace sim {

namespace {

// M1563.
enum : unsigned {
    M1563_STATUS = 0x00,
    M1563_CONTROL1 = 0x01,
    M1563_CONTROL = 0x02,
    M1563_COMMAND = 0x03,
    M1563_ADDRESS = 0x04,
    M1563_DATA0 = 0x05,
    M1563_DATA1 = 0x06,
    M1563_BLOCK_DATA = 0x07,
};

enum : uint8_t {
    M1563_BUSY = 0x01,
    M1563_DONE = 0x02,
    M1563_DEVICE_ERROR = 0x04,
    M1563_COLLISION = 0x08,
    M1563_FAILED = 0x10,
    M1563_BYTE_DONE = 0x80,
    M1563_CLEARABLE = 0xFE,
    M1563_KILL = 0x04,
    M1563_START = 0x40,
    M1563_LAST = 0x40,
    M1563_RESET = 0x80,
};

enum : unsigned { PROTOCOL_BYTE_DATA = 2, PROTOCOL_WORD_DATA = 3, PROTOCOL_BLOCK = 5 };

// The byte and word transfers, which both hosts number and run alike: false for a protocol
// they do not run, else the bus's answer and the wire time.
bool bSimpleTransfer(CSMBusBus& bus, unsigned nProtocol, uint8_t bAddress, uint8_t bCommand, uint8_t bData0,
                     uint8_t bData1, uint8_t& bEndData0, uint8_t& bEndData1, SMBusStatus& eStatus, uint64_t& qwWire)
{
    if (nProtocol != PROTOCOL_BYTE_DATA && nProtocol != PROTOCOL_WORD_DATA) return false;
    eStatus = bus.SimpleTransfer(nProtocol == PROTOCOL_BYTE_DATA ? CSMBusBus::Simple::ByteData
                                                                 : CSMBusBus::Simple::WordData,
                                 bAddress >> 1, bAddress & 1, bCommand, bData0, bData1, bEndData0, bEndData1, qwWire);
    return true;
}

uint8_t bM1563Outcome(SMBusStatus eStatus)
{
    switch (eOutcome(eStatus)) {
    case SMBusOutcome::Done:
        return M1563_DONE;
    case SMBusOutcome::Collision:
        return M1563_COLLISION;
    case SMBusOutcome::Failed:
        return M1563_FAILED;
    default:
        return M1563_DEVICE_ERROR;
    }
}

// M7101.
enum : unsigned {
    M7101_STATUS = 0x00,
    M7101_CONTROL = 0x01,
    M7101_START = 0x02,
    M7101_ADDRESS = 0x03,
    M7101_DATA0 = 0x04,
    M7101_DATA1 = 0x05,
    M7101_COMMAND = 0x07,
};

enum : uint8_t {
    M7101_IDLE = 0x04,
    M7101_BUSY = 0x08,
    M7101_DONE = 0x10,
    M7101_DEVICE_ERROR = 0x20,  // the emulation never sets it: the part's is for its own errors
    M7101_BUS_ERROR = 0x40,     // no answer or a collision: the part has one bit for both
    M7101_TERMINATED = 0x80,
    M7101_CLEARABLE = 0xF0,
    M7101_KILL = 0x04,
};

uint8_t bM7101Outcome(SMBusStatus eStatus)
{
    switch (eOutcome(eStatus)) {
    case SMBusOutcome::Done:
        return M7101_DONE;
    case SMBusOutcome::Failed:
        return M7101_TERMINATED;
    default:
        return M7101_BUS_ERROR;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------- M1563

CALiM1563SMBusHost::CALiM1563SMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus)
    : CBytePortHandler(wBase, PORT_COUNT), m_pBus(std::move(pBus))
{
}

void CALiM1563SMBusHost::vUpdate(uint64_t qwNow)
{
    if (!m_Cycle.bEndsBy(qwNow))
        return;
    m_bStatus |= m_bEndStatus;
    m_bData0 = m_bEndData0;
    m_bData1 = m_bEndData1;
    m_bBlockData = m_bEndBlockData;
    if (m_bEndLast)
        m_bControl1 |= M1563_LAST;
    if (m_bEndStatus & (M1563_DEVICE_ERROR | M1563_COLLISION))
        m_eBlock = EBlock::None;
}

void CALiM1563SMBusHost::vEndBlock()
{
    m_eBlock = EBlock::None;
    m_bControl1 &= uint8_t(~M1563_LAST);
}

void CALiM1563SMBusHost::vBlockByte(uint64_t qwNow)
{
    m_bEndData0 = m_bData0;
    m_bEndData1 = m_bData1;
    m_bEndBlockData = m_bBlockData;
    m_bEndLast = false;
    const uint8_t nTarget = m_bAddress >> 1;
    const bool bFirst = m_eBlock == EBlock::None;
    unsigned nWireBytes = 1, nStarts = 0;
    if (bFirst) {
        m_nNext = 0;
        m_Written.clear();
        SMBusStatus eStatus;
        if (m_bAddress & 1) {
            m_Block = SMBusBlock();
            eStatus = m_pBus->BlockRead(nTarget, m_bCommand, m_Block);
            m_nLength = m_Block.nCount;
            m_bEndData0 = m_Block.nCount;
            m_eBlock = EBlock::Read;
            nWireBytes = 5;  // address, command, address, count, first byte
            nStarts = 2;
        } else {
            eStatus = m_pBus->eAddressAnswer(nTarget);
            m_nLength = m_bData0 > 32 ? 32 : m_bData0;
            m_eBlock = EBlock::Write;
            nWireBytes = 4;  // address, command, count, first byte
            nStarts = 1;
        }
        if (eStatus != SMBusStatus::Ok) {
            m_bEndStatus = uint8_t(bM1563Outcome(eStatus) | M1563_BYTE_DONE);
            m_Cycle.vStart(qwNow, CSMBusBus::qwWireNs(1, 1), eStatus == SMBusStatus::Hung);
            return;
        }
    }
    m_bEndStatus = M1563_BYTE_DONE;
    if (m_eBlock == EBlock::Read) {
        m_bEndBlockData = m_Block.bAt(m_nNext++);
        m_bEndLast = m_nNext >= m_nLength;
    } else {
        m_Written.push_back(m_bBlockData);
        ++m_nNext;
        if (m_nNext >= m_nLength) {  // the last byte: the block goes out whole
            SMBusStatus eStatus = m_pBus->BlockWrite(nTarget, m_bCommand, m_Written.data(), uint8_t(m_Written.size()));
            m_bEndStatus = uint8_t(M1563_BYTE_DONE | bM1563Outcome(eStatus));
            m_bEndLast = true;
            m_Cycle.vStart(qwNow, CSMBusBus::qwWireNs(nWireBytes, nStarts), eStatus == SMBusStatus::Hung);
            return;
        }
    }
    m_Cycle.vStart(qwNow, CSMBusBus::qwWireNs(nWireBytes, nStarts), false);
}

void CALiM1563SMBusHost::vStart(uint64_t qwNow)
{
    const unsigned nProtocol = (m_bControl >> 3) & 7;
    if (nProtocol == PROTOCOL_BLOCK) {
        vBlockByte(qwNow);
        return;
    }
    m_bEndData0 = m_bData0;
    m_bEndData1 = m_bData1;
    m_bEndBlockData = m_bBlockData;
    m_bEndLast = false;
    SMBusStatus eStatus;
    uint64_t qwWire;
    if (!bSimpleTransfer(*m_pBus, nProtocol, m_bAddress, m_bCommand, m_bData0, m_bData1, m_bEndData0, m_bEndData1,
                         eStatus, qwWire)) {
        m_bStatus |= M1563_FAILED;  // a protocol this emulation does not run
        return;
    }
    m_bEndStatus = bM1563Outcome(eStatus);
    m_Cycle.vStart(qwNow, qwWire, eStatus == SMBusStatus::Hung);
}

uint8_t CALiM1563SMBusHost::bIn(unsigned nRegister, uint64_t qwNow)
{
    vUpdate(qwNow);
    switch (nRegister) {
    case M1563_STATUS:
        return uint8_t(m_bStatus | (m_Cycle.bRunning() ? M1563_BUSY : 0));
    case M1563_CONTROL1:
        return m_bControl1;
    case M1563_CONTROL:
        return uint8_t(m_bControl & ~(M1563_START | M1563_KILL));
    case M1563_COMMAND:
        return m_bCommand;
    case M1563_ADDRESS:
        return m_bAddress;
    case M1563_DATA0:
        return m_bData0;
    case M1563_DATA1:
        return m_bData1;
    case M1563_BLOCK_DATA:
        return m_bBlockData;
    default:
        return 0;
    }
}

void CALiM1563SMBusHost::vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow)
{
    vUpdate(qwNow);
    switch (nRegister) {
    case M1563_STATUS:
        m_bStatus &= uint8_t(~(bValue & M1563_CLEARABLE));
        break;
    case M1563_CONTROL1:
        if (bValue & M1563_RESET) {
            m_Cycle.vStop();
            m_bStatus = 0;
            vEndBlock();
        }
        if (bValue & M1563_LAST)
            vEndBlock();
        m_bControl1 = uint8_t((m_bControl1 & M1563_LAST) | (bValue & 0x3F));
        break;
    case M1563_CONTROL:
        m_bControl = bValue;
        if (bValue & M1563_KILL) {
            if (m_Cycle.bRunning()) {
                m_Cycle.vStop();
                m_bStatus |= M1563_FAILED;
            }
            vEndBlock();
        } else if ((bValue & M1563_START) && !m_Cycle.bRunning()) {
            vStart(qwNow);
        }
        break;
    case M1563_COMMAND:
        m_bCommand = bValue;
        break;
    case M1563_ADDRESS:
        m_bAddress = bValue;
        break;
    case M1563_DATA0:
        m_bData0 = bValue;
        break;
    case M1563_DATA1:
        m_bData1 = bValue;
        break;
    case M1563_BLOCK_DATA:
        m_bBlockData = bValue;
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------- M7101

CALiM7101SMBusHost::CALiM7101SMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus)
    : CBytePortHandler(wBase, PORT_COUNT), m_pBus(std::move(pBus))
{
}

void CALiM7101SMBusHost::vUpdate(uint64_t qwNow)
{
    if (!m_Cycle.bEndsBy(qwNow))
        return;
    m_bStatus |= m_bEndStatus;
    m_bData0 = m_bEndData0;
    m_bData1 = m_bEndData1;
}

void CALiM7101SMBusHost::vStart(uint64_t qwNow)
{
    m_bEndData0 = m_bData0;
    m_bEndData1 = m_bData1;
    const unsigned nProtocol = (m_bControl >> 4) & 7;
    SMBusStatus eStatus;
    uint64_t qwWire;
    if (!bSimpleTransfer(*m_pBus, nProtocol, m_bAddress, m_bCommand, m_bData0, m_bData1, m_bEndData0, m_bEndData1,
                         eStatus, qwWire)) {
        m_bStatus |= M7101_TERMINATED;  // a protocol this emulation does not run
        return;
    }
    m_bEndStatus = bM7101Outcome(eStatus);
    m_Cycle.vStart(qwNow, qwWire, eStatus == SMBusStatus::Hung);
}

uint8_t CALiM7101SMBusHost::bIn(unsigned nRegister, uint64_t qwNow)
{
    vUpdate(qwNow);
    switch (nRegister) {
    case M7101_STATUS:
        return uint8_t(m_bStatus | (m_Cycle.bRunning() ? M7101_BUSY : M7101_IDLE));
    case M7101_CONTROL:
        return uint8_t(m_bControl & ~M7101_KILL);
    case M7101_ADDRESS:
        return m_bAddress;
    case M7101_DATA0:
        return m_bData0;
    case M7101_DATA1:
        return m_bData1;
    case M7101_COMMAND:
        return m_bCommand;
    default:
        return 0;
    }
}

void CALiM7101SMBusHost::vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow)
{
    vUpdate(qwNow);
    switch (nRegister) {
    case M7101_STATUS:
        m_bStatus &= uint8_t(~(bValue & M7101_CLEARABLE));
        break;
    case M7101_CONTROL:
        m_bControl = bValue;
        if ((bValue & M7101_KILL) && m_Cycle.bRunning()) {
            m_Cycle.vStop();
            m_bStatus |= M7101_TERMINATED;
        }
        break;
    case M7101_START:
        if (!m_Cycle.bRunning())
            vStart(qwNow);
        break;
    case M7101_ADDRESS:
        m_bAddress = bValue;
        break;
    case M7101_DATA0:
        m_bData0 = bValue;
        break;
    case M7101_DATA1:
        m_bData1 = bValue;
        break;
    case M7101_COMMAND:
        m_bCommand = bValue;
        break;
    default:
        break;
    }
}

}  // namespace sim
