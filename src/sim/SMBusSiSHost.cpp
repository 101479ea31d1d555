// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SMBusSiSHost.h"

#include "sim/SMBusBus.h"

namespace sim {

namespace {

enum : unsigned {
    REG_STATUS = 0x00,
    REG_CONTROL = 0x02,
    REG_HOST_CONTROL = 0x03,
    REG_ADDRESS = 0x04,
    REG_COMMAND = 0x05,
    REG_COUNT = 0x07,
    REG_DATA = 0x08,
};

enum : uint8_t {
    STATUS_DEVICE_ERROR = 0x02,
    STATUS_COLLISION = 0x04,
    STATUS_COMPLETION = 0x08,
    STATUS_CHUNK = 0x10,
    STATUS_CLEARABLE = 0x1E,
    CONTROL_RUNNING = 0x01,
    HOST_KILL = 0x20,
    START_BYTE_DATA = 0x12,
    START_WORD_DATA = 0x13,
    START_BLOCK = 0x15,
};

uint8_t bErrorBits(SMBusStatus eStatus)
{
    switch (eOutcome(eStatus)) {
    case SMBusOutcome::Done:
        return STATUS_COMPLETION;
    case SMBusOutcome::Collision:
        return STATUS_COLLISION;
    default:  // the host has one bit for every failed transaction but a collision
        return STATUS_DEVICE_ERROR;
    }
}

}  // namespace

CSiSSMBusHost::CSiSSMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus)
    : CBytePortHandler(wBase, PORT_COUNT), m_pBus(std::move(pBus))
{
}

void CSiSSMBusHost::vEnd(uint8_t bStatusBits)
{
    m_bStatus |= bStatusBits;
    m_eJob = EJob::None;
    m_bChunkHeld = false;
}

void CSiSSMBusHost::vUpdate(uint64_t qwNow)
{
    if (!m_Cycle.bEndsBy(qwNow))
        return;
    switch (m_eJob) {
    case EJob::Data:
        m_Data[0] = m_EndData[0];
        m_Data[1] = m_EndData[1];
        vEnd(m_bEndStatus);
        break;
    case EJob::BlockRead:
    case EJob::BlockWrite:
        if (m_bEndStatus != STATUS_COMPLETION) {
            vEnd(m_bEndStatus);
            break;
        }
        if (m_eJob == EJob::BlockRead)
            for (size_t i = 0; i < m_nChunk; ++i)
                m_Data[i] = m_Block[m_nDone + i];
        m_nDone += m_nChunk;
        if (m_eJob == EJob::BlockRead && m_nChunk > 0) {
            m_bChunkHeld = true;  // the reader takes the chunk and writes chunk ready back
            m_bStatus |= STATUS_CHUNK;
        } else if (m_nDone < m_nBlockLength) {
            m_bChunkHeld = true;  // the writer loads the next chunk and writes chunk ready back
            m_bStatus |= STATUS_CHUNK;
        } else if (m_eJob == EJob::BlockWrite && m_nExtraLeft > 0) {
            --m_nExtraLeft;  // the faulty host asks for a chunk the block does not have
            m_bChunkHeld = true;
            m_bStatus |= STATUS_CHUNK;
        } else {
            vEnd(STATUS_COMPLETION);
        }
        break;
    case EJob::None:
        break;
    }
}

void CSiSSMBusHost::vNextChunk(uint64_t qwNow)
{
    if (m_eJob == EJob::BlockWrite && m_nDone >= m_nBlockLength) {
        // The faulty host after the last byte: an empty chunk, then chunk ready once more.
        m_nChunk = 0;
        m_bEndStatus = STATUS_COMPLETION;
        m_Cycle.vStart(qwNow, CSMBusBus::qwWireNs(1, 0), false);
        return;
    }
    const size_t nLeft = m_nBlockLength - m_nDone;
    m_nChunk = nLeft < CHUNK ? nLeft : CHUNK;
    if (m_eJob == EJob::BlockWrite) {
        for (size_t i = 0; i < m_nChunk; ++i)
            m_Block.push_back(m_Data[i]);
        if (m_nDone + m_nChunk == m_nBlockLength) {  // the last bytes: the block goes out whole
            SMBusStatus eStatus = m_pBus->BlockWrite(m_bAddress >> 1, m_bCommand, m_Block.data(),
                                                     uint8_t(m_nBlockLength));
            m_bEndStatus = bErrorBits(eStatus);
            m_Cycle.vStart(qwNow, CSMBusBus::qwWireNs(unsigned(m_nChunk)), eStatus == SMBusStatus::Hung);
            return;
        }
    } else if (m_nChunk == 0) {  // every byte read: the block ends
        vEnd(STATUS_COMPLETION);
        return;
    }
    m_bEndStatus = STATUS_COMPLETION;
    m_Cycle.vStart(qwNow, CSMBusBus::qwWireNs(unsigned(m_nChunk), 0), false);
}

void CSiSSMBusHost::vStart(uint8_t bCode, uint64_t qwNow)
{
    const uint8_t nTarget = m_bAddress >> 1;
    const bool bRead = m_bAddress & 1;
    SMBusStatus eStatus = SMBusStatus::Ok;
    m_EndData = {m_Data[0], m_Data[1]};
    switch (bCode) {
    case START_BYTE_DATA:
    case START_WORD_DATA: {
        m_eJob = EJob::Data;
        uint64_t qwWire;
        eStatus = m_pBus->SimpleTransfer(
            bCode == START_BYTE_DATA ? CSMBusBus::Simple::ByteData : CSMBusBus::Simple::WordData, nTarget, bRead,
            m_bCommand, m_Data[0], m_Data[1], m_EndData[0], m_EndData[1], qwWire);
        m_Cycle.vStart(qwNow, qwWire, eStatus == SMBusStatus::Hung);
        break;
    }
    case START_BLOCK:
        m_Block.clear();
        m_nDone = 0;
        if (bRead) {
            m_eJob = EJob::BlockRead;
            SMBusBlock block;
            eStatus = m_pBus->BlockRead(nTarget, m_bCommand, block);
            if (eStatus == SMBusStatus::Ok) {
                // The host takes as many bytes as the count says.
                m_bCount = block.nCount;
                m_nBlockLength = block.nCount;
                for (size_t i = 0; i < m_nBlockLength; ++i)
                    m_Block.push_back(block.bAt(i));
                m_nChunk = m_nBlockLength < CHUNK ? m_nBlockLength : CHUNK;
                m_bEndStatus = STATUS_COMPLETION;
                if (m_nChunk == 0) {  // nothing to pass on: the block completes
                    m_eJob = EJob::Data;
                    m_EndData = {m_Data[0], m_Data[1]};
                }
                m_Cycle.vStart(qwNow, CSMBusBus::qwWireNs(4 + unsigned(m_nChunk), 2), false);
                break;
            }
        } else {
            m_eJob = EJob::BlockWrite;
            m_nBlockLength = m_bCount > 32 ? 32 : m_bCount;
            m_nExtraLeft = m_nChunksAfterLast;
            eStatus = m_pBus->eAddressAnswer(nTarget);
            if (eStatus == SMBusStatus::Ok) {
                // Address, command and count go out; the first chunk follows.
                m_nChunk = 0;
                m_bEndStatus = STATUS_COMPLETION;
                vNextChunk(qwNow);
                break;
            }
        }
        m_eJob = EJob::Data;  // refused at the address: the transfer ends with the error
        m_bEndStatus = bErrorBits(eStatus);
        m_Cycle.vStart(qwNow, CSMBusBus::qwWireNs(1), eStatus == SMBusStatus::Hung);
        return;
    default:
        return;
    }
    if (m_eJob == EJob::Data)
        m_bEndStatus = bErrorBits(eStatus);
}

uint8_t CSiSSMBusHost::bIn(unsigned nRegister, uint64_t qwNow)
{
    vUpdate(qwNow);
    switch (nRegister) {
    case REG_STATUS:
        return m_bStatus;
    case REG_CONTROL:
        return uint8_t((m_bControl & ~0x03) | (bUnderWay() ? CONTROL_RUNNING : 0));
    case REG_HOST_CONTROL:
        return m_bHostControl;
    case REG_ADDRESS:
        return m_bAddress;
    case REG_COMMAND:
        return m_bCommand;
    case REG_COUNT:
        return m_bCount;
    default:
        if (nRegister >= REG_DATA && nRegister < REG_DATA + CHUNK)
            return m_Data[nRegister - REG_DATA];
        return 0;
    }
}

void CSiSSMBusHost::vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow)
{
    vUpdate(qwNow);
    switch (nRegister) {
    case REG_STATUS:
        m_bStatus &= uint8_t(~(bValue & STATUS_CLEARABLE));
        if ((bValue & STATUS_CHUNK) && m_bChunkHeld) {  // the chunk is released
            m_bChunkHeld = false;
            vNextChunk(qwNow);
        }
        break;
    case REG_CONTROL:
        m_bControl = bValue;
        break;
    case REG_HOST_CONTROL:
        m_bHostControl = bValue;
        if (bValue == HOST_KILL) {
            m_Cycle.vStop();
            m_eJob = EJob::None;
            m_bChunkHeld = false;
        } else if (!bUnderWay()) {
            vStart(bValue, qwNow);
        }
        break;
    case REG_ADDRESS:
        m_bAddress = bValue;
        break;
    case REG_COMMAND:
        m_bCommand = bValue;
        break;
    case REG_COUNT:
        m_bCount = bValue;
        break;
    default:
        if (nRegister >= REG_DATA && nRegister < REG_DATA + CHUNK)
            m_Data[nRegister - REG_DATA] = bValue;
        break;
    }
}

}  // namespace sim
