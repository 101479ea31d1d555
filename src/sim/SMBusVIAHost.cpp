// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SMBusVIAHost.h"

#include "sim/SMBusBus.h"

namespace sim {

namespace {

using namespace intel_layout;

enum : uint8_t {
    STATUS_BUSY = 0x01,
    STATUS_DONE = 0x02,
    STATUS_DEVICE_ERROR = 0x04,
    STATUS_COLLISION = 0x08,
    STATUS_FAILED = 0x10,
    STATUS_CLEARABLE = 0x1E,
    CONTROL_KILL = 0x02,
    CONTROL_START = 0x40,
};

enum : unsigned { PROTOCOL_QUICK = 0, PROTOCOL_BYTE_DATA = 2, PROTOCOL_WORD_DATA = 3, PROTOCOL_BLOCK = 5 };

uint8_t bOutcomeBits(SMBusStatus eStatus)
{
    switch (eOutcome(eStatus)) {
    case SMBusOutcome::Done:
        return STATUS_DONE;
    case SMBusOutcome::Collision:
        return STATUS_COLLISION;
    case SMBusOutcome::Failed:
        return STATUS_FAILED;
    default:
        return STATUS_DEVICE_ERROR;
    }
}

}  // namespace

CVIASMBusHost::CVIASMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus)
    : CBytePortHandler(wBase, PORT_COUNT), m_pBus(std::move(pBus))
{
}

void CVIASMBusHost::vUpdate(uint64_t qwNow)
{
    if (!m_Cycle.bEndsBy(qwNow))
        return;
    m_bStatus |= m_bPendingStatus;
    m_Transfer.bData0 = m_bPendingData0;
    m_Transfer.bData1 = m_bPendingData1;
    if (m_bPendingBuffer)
        m_Buffer = m_PendingBuffer;
}

void CVIASMBusHost::vStart(uint64_t qwNow)
{
    const uint8_t nTarget = m_Transfer.bAddress >> 1;
    const bool bRead = m_Transfer.bAddress & 1;
    m_bPendingData0 = m_Transfer.bData0;
    m_bPendingData1 = m_Transfer.bData1;
    m_bPendingBuffer = false;
    SMBusStatus eStatus = SMBusStatus::Ok;
    uint64_t qwWire = 0;
    const auto simple = [&](CSMBusBus::Simple eKind) {
        eStatus = m_pBus->SimpleTransfer(eKind, nTarget, bRead, m_Transfer.bCommand, m_Transfer.bData0,
                                         m_Transfer.bData1, m_bPendingData0, m_bPendingData1, qwWire);
    };
    switch ((m_bControl >> 2) & 7) {
    case PROTOCOL_QUICK:
        simple(CSMBusBus::Simple::Quick);
        break;
    case PROTOCOL_BYTE_DATA:
        simple(CSMBusBus::Simple::ByteData);
        break;
    case PROTOCOL_WORD_DATA:
        simple(CSMBusBus::Simple::WordData);
        break;
    case PROTOCOL_BLOCK:
        if (bRead) {
            // The host takes the count and as many bytes as it says, up to its buffer's 32.
            SMBusBlock block;
            eStatus = m_pBus->BlockRead(nTarget, m_Transfer.bCommand, block);
            unsigned nTaken = block.nCount > 32 ? 32 : block.nCount;
            if (eStatus == SMBusStatus::Ok) {
                m_bPendingData0 = block.nCount;
                for (unsigned i = 0; i < 32; ++i)
                    m_PendingBuffer[i] = i < nTaken ? block.bAt(i) : m_Buffer[i];
                m_bPendingBuffer = true;
            }
            qwWire = CSMBusBus::qwWireNs(4 + nTaken, 2);
        } else {
            unsigned nCount = m_Transfer.bData0 > 32 ? 32 : m_Transfer.bData0;
            eStatus = m_pBus->BlockWrite(nTarget, m_Transfer.bCommand, m_Buffer.data(), uint8_t(nCount));
            qwWire = CSMBusBus::qwWireNs(3 + nCount);
        }
        break;
    default:  // a protocol this host does not run
        m_bStatus |= STATUS_FAILED;
        return;
    }
    m_bPendingStatus = bOutcomeBits(eStatus);
    m_Cycle.vStart(qwNow, qwWire, eStatus == SMBusStatus::Hung);
}

uint8_t CVIASMBusHost::bIn(unsigned nRegister, uint64_t qwNow)
{
    vUpdate(qwNow);
    if (uint8_t bValue; m_Transfer.bRead(nRegister, bValue)) return bValue;
    switch (nRegister) {
    case REG_STATUS:
        return uint8_t(m_bStatus | (m_Cycle.bRunning() ? STATUS_BUSY : 0));
    case REG_CONTROL:
        m_nIndex = 0;
        return uint8_t(m_bControl & ~(CONTROL_START | CONTROL_KILL));
    case REG_BLOCK_DATA:
        return m_Buffer[m_nIndex++ % 32];
    default:
        return 0;
    }
}

void CVIASMBusHost::vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow)
{
    vUpdate(qwNow);
    if (m_Transfer.bWrite(nRegister, bValue)) return;
    switch (nRegister) {
    case REG_STATUS:
        m_bStatus &= uint8_t(~(bValue & STATUS_CLEARABLE));
        break;
    case REG_CONTROL:
        m_bControl = bValue;
        if (bValue & CONTROL_KILL) {
            if (m_Cycle.bRunning()) {
                m_Cycle.vStop();
                m_bStatus |= STATUS_FAILED;
            }
        } else if ((bValue & CONTROL_START) && !m_Cycle.bRunning()) {
            vStart(qwNow);
        }
        break;
    case REG_BLOCK_DATA:
        m_Buffer[m_nIndex++ % 32] = bValue;
        break;
    default:
        break;
    }
}

}  // namespace sim
