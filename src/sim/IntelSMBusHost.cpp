// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/IntelSMBusHost.h"

#include <algorithm>

#include "sim/PCIConfig.h"
#include "sim/PCIVisibility.h"
#include "sim/SMBusHostCycle.h"

namespace sim {

namespace {

using namespace intel_layout;

enum : unsigned {
    REG_AUX_STATUS = 0x0C,
    REG_AUX_CONTROL = 0x0D,
};

enum : uint8_t {
    STATUS_BUSY = 0x01,
    STATUS_INTR = 0x02,
    STATUS_DEVICE_ERROR = 0x04,
    STATUS_BUS_ERROR = 0x08,
    STATUS_FAILED = 0x10,
    STATUS_BYTE_DONE = 0x80,
    STATUS_CLEARABLE = 0xFE,
};

enum : uint8_t {
    CONTROL_KILL = 0x02,
    CONTROL_PROTOCOL = 0x1C,
    CONTROL_LAST_BYTE = 0x20,
    CONTROL_START = 0x40,
};

enum : uint8_t {
    PROTOCOL_QUICK = 0x00,
    PROTOCOL_BYTE_DATA = 0x08,
    PROTOCOL_WORD_DATA = 0x0C,
    PROTOCOL_BLOCK = 0x14,
};

constexpr uint8_t AUX_BLOCK_BUFFER = 0x02;
constexpr uint8_t AUX_CONTROL_BITS = 0x03;
constexpr unsigned MAX_BLOCK = 32;

// The status bits a transaction ends with.
uint8_t bOutcomeBits(SMBusStatus eStatus)
{
    switch (eOutcome(eStatus)) {
    case SMBusOutcome::Done:
        return STATUS_INTR;
    case SMBusOutcome::Collision:
        return STATUS_BUS_ERROR;
    case SMBusOutcome::Failed:
        return STATUS_FAILED;
    default:
        return STATUS_DEVICE_ERROR;
    }
}

constexpr uint32_t PCI_COMMAND = 0x04;
constexpr uint32_t PCI_HOST_CONFIG = 0x40;
constexpr uint32_t BAR_MASK = 0xFFE0;

}  // namespace

CIntelSMBusHost::CIntelSMBusHost(uint16_t wBase, bool bICH4, std::shared_ptr<CSMBusBus> pBus,
                                 const CPCIFunctions* pPci, const Function& function)
    : CPortHandler(wBase, PORT_COUNT), m_bICH4(bICH4), m_pBus(std::move(pBus)), m_pPci(pPci), m_Function(function)
{
}

bool CIntelSMBusHost::bDecodes() const
{
    if (!m_Function.bPresent || !m_pPci)
        return true;
    const CPCIFunction* pFunction = m_pPci->pFind(m_Function.nBus, m_Function.nDevice, m_Function.nFunction);
    if (!pFunction)
        return false;
    if (auto* pHideable = dynamic_cast<const CConditionalPCIFunction*>(pFunction); pHideable && !pHideable->bVisible())
        return false;
    if (!(pFunction->dwPeek(PCI_COMMAND) & 1))
        return false;
    return (pFunction->dwPeek(m_Function.nBarOffset & 0xFC) & BAR_MASK) == wFirst();
}

bool CIntelSMBusHost::bHostEnabled() const
{
    if (!m_Function.bPresent || !m_pPci)
        return true;
    const CPCIFunction* pFunction = m_pPci->pFind(m_Function.nBus, m_Function.nDevice, m_Function.nFunction);
    return pFunction && (pFunction->dwPeek(PCI_HOST_CONFIG) & 1);
}

uint32_t CIntelSMBusHost::dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context)
{
    if (!bDecodes())
        return nWidth == 4 ? 0xFFFFFFFF : (uint32_t(1) << (8 * nWidth)) - 1;
    uint32_t dwValue = 0;
    for (unsigned i = 0; i < nWidth; ++i)
        dwValue |= uint32_t(bRead(unsigned(wPort - wFirst()) + i, context.qwNanoseconds)) << (8 * i);
    return dwValue;
}

void CIntelSMBusHost::vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context)
{
    if (!bDecodes())
        return;
    for (unsigned i = 0; i < nWidth; ++i)
        vWrite(unsigned(wPort - wFirst()) + i, uint8_t(dwValue >> (8 * i)), context.qwNanoseconds);
}

uint8_t CIntelSMBusHost::bRead(unsigned nRegister, uint64_t qwNow)
{
    vCatchUp(qwNow);
    if (uint8_t bValue; m_Transfer.bRead(nRegister, bValue)) return bValue;
    switch (nRegister) {
    case REG_STATUS:
        return uint8_t(m_bStatus | (m_ePhase == EPhase::Idle ? 0 : STATUS_BUSY));
    case REG_CONTROL:
        m_nBufferIndex = 0;
        return uint8_t(m_bControl & ~CONTROL_START);
    case REG_BLOCK_DATA:
        if (m_bICH4 && (m_bAuxControl & AUX_BLOCK_BUFFER))
            return m_Buffer[m_nBufferIndex++ % MAX_BLOCK];
        return m_bBlockData;
    case REG_AUX_STATUS:
        return 0;
    case REG_AUX_CONTROL:
        return m_bICH4 ? m_bAuxControl : 0;
    default:
        return 0;
    }
}

void CIntelSMBusHost::vWrite(unsigned nRegister, uint8_t bValue, uint64_t qwNow)
{
    vCatchUp(qwNow);
    if (m_Transfer.bWrite(nRegister, bValue)) return;
    switch (nRegister) {
    case REG_STATUS: {
        bool bReleases = (bValue & STATUS_BYTE_DONE) && (m_bStatus & STATUS_BYTE_DONE);
        m_bStatus &= uint8_t(~(bValue & STATUS_CLEARABLE));
        if (bReleases && m_ePhase == EPhase::HoldingByte)
            vReleaseByte(qwNow);
        break;
    }
    case REG_CONTROL:
        m_bControl = uint8_t(bValue & ~CONTROL_START);
        if ((bValue & CONTROL_KILL) && m_ePhase != EPhase::Idle) {
            m_ePhase = EPhase::Idle;
            m_bStatus |= STATUS_FAILED;
        } else if ((bValue & CONTROL_START) && !(bValue & CONTROL_KILL) && m_ePhase == EPhase::Idle &&
                   bHostEnabled()) {
            vStart(qwNow);
        }
        break;
    case REG_BLOCK_DATA:
        if (m_bICH4 && (m_bAuxControl & AUX_BLOCK_BUFFER))
            m_Buffer[m_nBufferIndex++ % MAX_BLOCK] = bValue;
        else
            m_bBlockData = bValue;
        break;
    case REG_AUX_CONTROL:
        if (m_bICH4)
            m_bAuxControl = bValue & AUX_CONTROL_BITS;
        break;
    default:
        break;
    }
}

void CIntelSMBusHost::vCatchUp(uint64_t qwNow)
{
    if (m_ePhase != EPhase::Running || qwNow < m_qwDueNs)
        return;
    if (m_eJob == EJob::ByteRead || m_eJob == EJob::ByteWrite)
        vByteFinished();
    else
        vComplete();
}

void CIntelSMBusHost::vRun(EJob eJob, uint64_t qwNow, uint64_t qwWireNs)
{
    m_eJob = eJob;
    m_ePhase = EPhase::Running;
    m_qwDueNs = qwNow + qwWireNs;
}

void CIntelSMBusHost::vFailAt(SMBusStatus eStatus, uint64_t qwNow, unsigned nBytes)
{
    m_bSetData0 = m_bSetData1 = false;
    if (eStatus == SMBusStatus::Hung) {
        m_ePhase = EPhase::Hung;
        return;
    }
    m_bEndStatus = bOutcomeBits(eStatus);
    vRun(EJob::Simple, qwNow, CSMBusBus::qwWireNs(nBytes));
}

void CIntelSMBusHost::vComplete()
{
    m_ePhase = EPhase::Idle;
    m_bStatus |= m_bEndStatus;
    if (m_bSetData0)
        m_Transfer.bData0 = m_bEndData0;
    if (m_bSetData1)
        m_Transfer.bData1 = m_bEndData1;
}

void CIntelSMBusHost::vStart(uint64_t qwNow)
{
    uint8_t nAddress = uint8_t(m_Transfer.bAddress >> 1);
    bool bRead = m_Transfer.bAddress & 1;
    m_bSetData0 = m_bSetData1 = false;
    m_bEndStatus = STATUS_INTR;
    SMBusStatus eStatus = SMBusStatus::Ok;
    switch (m_bControl & CONTROL_PROTOCOL) {
    case PROTOCOL_QUICK:
        eStatus = m_pBus->Quick(nAddress, bRead);
        if (eStatus != SMBusStatus::Ok)
            return vFailAt(eStatus, qwNow, 1);
        return vRun(EJob::Simple, qwNow, CSMBusBus::qwWireNs(1));
    case PROTOCOL_BYTE_DATA:
        if (bRead) {
            uint8_t b = 0;
            eStatus = m_pBus->ReadByteData(nAddress, m_Transfer.bCommand, b);
            m_bEndData0 = b;
            m_bSetData0 = eStatus == SMBusStatus::Ok;
        } else {
            eStatus = m_pBus->WriteByteData(nAddress, m_Transfer.bCommand, m_Transfer.bData0);
        }
        if (eStatus != SMBusStatus::Ok)
            return vFailAt(eStatus, qwNow, eStatus == SMBusStatus::DataNack ? 3 : 1);
        return vRun(EJob::Simple, qwNow, bRead ? CSMBusBus::qwWireNs(4, 2) : CSMBusBus::qwWireNs(3));
    case PROTOCOL_WORD_DATA:
        if (bRead) {
            uint8_t b0 = 0, b1 = 0;
            eStatus = m_pBus->ReadWordData(nAddress, m_Transfer.bCommand, b0, b1);
            m_bEndData0 = b0;
            m_bEndData1 = b1;
            m_bSetData0 = m_bSetData1 = eStatus == SMBusStatus::Ok;
        } else {
            eStatus = m_pBus->WriteWordData(nAddress, m_Transfer.bCommand, m_Transfer.bData0, m_Transfer.bData1);
        }
        if (eStatus != SMBusStatus::Ok)
            return vFailAt(eStatus, qwNow, eStatus == SMBusStatus::DataNack ? 3 : 1);
        return vRun(EJob::Simple, qwNow, bRead ? CSMBusBus::qwWireNs(5, 2) : CSMBusBus::qwWireNs(4));
    case PROTOCOL_BLOCK:
        return vStartBlock(qwNow);
    default:
        // Protocols this emulation does not carry out end as an illegal command.
        m_bEndStatus = STATUS_DEVICE_ERROR;
        return vRun(EJob::Simple, qwNow, 0);
    }
}

void CIntelSMBusHost::vStartBlock(uint64_t qwNow)
{
    uint8_t nAddress = uint8_t(m_Transfer.bAddress >> 1);
    bool bRead = m_Transfer.bAddress & 1;
    bool bBuffered = m_bICH4 && (m_bAuxControl & AUX_BLOCK_BUFFER);
    if (bRead) {
        m_Block = SMBusBlock();
        SMBusStatus eStatus = m_pBus->BlockRead(nAddress, m_Transfer.bCommand, m_Block);
        if (eStatus != SMBusStatus::Ok)
            return vFailAt(eStatus, qwNow, eStatus == SMBusStatus::DataNack ? 2 : 1);
        if (bBuffered) {
            // The whole block into the buffer; a count the buffer cannot take is an error.
            unsigned nCount = m_Block.nCount;
            if (nCount == 0 || nCount > MAX_BLOCK) {
                m_bEndStatus = STATUS_DEVICE_ERROR;
                return vRun(EJob::Simple, qwNow, CSMBusBus::qwWireNs(4, 2));
            }
            for (unsigned i = 0; i < nCount; ++i)
                m_Buffer[i] = m_Block.bAt(i);
            m_bEndData0 = uint8_t(nCount);
            m_bSetData0 = true;
            return vRun(EJob::BufferedRead, qwNow, CSMBusBus::qwWireNs(4 + nCount, 2));
        }
        // Address, command, address again, count and the first byte.
        m_nNextByte = 0;
        return vRun(EJob::ByteRead, qwNow, CSMBusBus::qwWireNs(5, 2));
    }
    unsigned nCount = m_Transfer.bData0;
    if (nCount == 0 || nCount > MAX_BLOCK) {
        m_bEndStatus = STATUS_DEVICE_ERROR;
        return vRun(EJob::Simple, qwNow, 0);
    }
    if (bBuffered) {
        SMBusStatus eStatus = m_pBus->BlockWrite(nAddress, m_Transfer.bCommand, m_Buffer.data(), uint8_t(nCount));
        if (eStatus != SMBusStatus::Ok)
            return vFailAt(eStatus, qwNow, eStatus == SMBusStatus::DataNack ? 3 : 1);
        return vRun(EJob::BufferedWrite, qwNow, CSMBusBus::qwWireNs(3 + nCount));
    }
    SMBusStatus eAnswer = m_pBus->eAddressAnswer(nAddress);
    if (eAnswer != SMBusStatus::Ok)
        return vFailAt(eAnswer, qwNow, 1);
    m_nWriteCount = uint8_t(nCount);
    m_WriteBytes.assign(1, m_bBlockData);
    // Address, command, count and the first byte.
    vRun(EJob::ByteWrite, qwNow, CSMBusBus::qwWireNs(4));
}

void CIntelSMBusHost::vByteFinished()
{
    if (m_eJob == EJob::ByteRead) {
        if (m_nNextByte == 0)
            m_Transfer.bData0 = m_Block.nCount;
        m_bBlockData = m_Block.bAt(m_nNextByte++);
        m_bStatus |= STATUS_BYTE_DONE;
        if (m_bControl & CONTROL_LAST_BYTE) {
            // The byte was not acknowledged; the host sent the stop.
            m_ePhase = EPhase::Idle;
            m_bStatus |= STATUS_INTR;
        } else {
            m_ePhase = EPhase::HoldingByte;
        }
        return;
    }
    if (m_WriteBytes.size() < m_nWriteCount) {
        m_bStatus |= STATUS_BYTE_DONE;
        m_ePhase = EPhase::HoldingByte;
        return;
    }
    // Every byte is out: the device takes the block as a whole.
    uint8_t nAddress = uint8_t(m_Transfer.bAddress >> 1);
    SMBusStatus eStatus = m_pBus->BlockWrite(nAddress, m_Transfer.bCommand, m_WriteBytes.data(), m_nWriteCount);
    m_ePhase = EPhase::Idle;
    m_bStatus |= bOutcomeBits(eStatus);
}

void CIntelSMBusHost::vReleaseByte(uint64_t qwNow)
{
    if (m_eJob == EJob::ByteWrite)
        m_WriteBytes.push_back(m_bBlockData);
    bool bLast = m_eJob == EJob::ByteWrite && m_WriteBytes.size() == m_nWriteCount;
    vRun(m_eJob, qwNow, CSMBusBus::BYTE_NS + (bLast ? CSMBusBus::START_STOP_NS : 0));
}

}  // namespace sim
