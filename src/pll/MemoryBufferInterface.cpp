// SPDX-License-Identifier: GPL-2.0-or-later
// The memory buffer interface.
#include "pll/MemoryBufferInterface.h"

#include "kit/ORVEXSDK.h"
#include "pll/MemoryBuffer.h"
#include "smbus/ICCommandSet.h"
#include "smbus/SMBusDevice.h"
#include "smbus/SMBusIOSpace.h"
#include "smbus/SMBusInterface.h"

namespace {

constexpr int32_t MIN_IDENTIFY_BYTES = 11;
constexpr int32_t REG_IDENTITY = 10;
constexpr uint32_t MAX_DUMP_BYTES = 63;
constexpr uint32_t DUMP_SETTLE_MS = 200;

}  // namespace

CMemoryBufferInterface::CMemoryBufferInterface() : m_pMemoryBuffer(nullptr)
{
    m_dwType = INTERFACE_MEMORY_BUFFER;
}

CMemoryBufferInterface::~CMemoryBufferInterface()
{
    delete m_pMemoryBuffer;
    m_pMemoryBuffer = nullptr;
    // The command set goes with the base.
}

uint32_t CMemoryBufferInterface::Init()
{
    if (!m_hMutex) m_hMutex = platform::CreateMutexA(false, MEMORY_BUFFER_INTERFACE_MUTEX);
    CSMBusInterface* pSMBus = ORVEXSDK::Instance()->m_pSMBusInterface;
    CSMBusDevice* pDevice = pSMBus ? pSMBus->FindSMBusDevice(MEMORY_BUFFER_SMBUS_ADDRESS) : nullptr;
    uint8_t abBlock[256] = {};
    int32_t nCount = pDevice && pDevice->m_pIOSpace
                         ? pDevice->m_pIOSpace->SMBusBlockRead(pDevice->m_nChannel, pDevice->m_nAddress, 0, abBlock)
                         : 0;
    if (nCount < MIN_IDENTIFY_BYTES || (abBlock[REG_IDENTITY] & 0x0F) != 1) {
        // No memory buffer: the lock is not kept.
        Close();
        return 0;
    }
    delete m_pCommandSet;
    m_pCommandSet = new CSMBusICCommandSet(pDevice->m_pIOSpace, pDevice->m_nChannel, pDevice->m_nAddress);
    delete m_pMemoryBuffer;
    m_pMemoryBuffer = new ICS_9P932_MemoryBuffer;
    m_pMemoryBuffer->m_pCommandSet = m_pCommandSet;
    return 1;
}

uint8_t* CMemoryBufferInterface::GetDump() { return m_pMemoryBuffer ? m_pMemoryBuffer->m_abRegisters : nullptr; }

uint32_t CMemoryBufferInterface::GetDumpSize()
{
    return m_pMemoryBuffer && m_pMemoryBuffer->m_nRegisterCount > 0 ? uint32_t(m_pMemoryBuffer->m_nRegisterCount) : 0;
}

uint32_t CMemoryBufferInterface::bWriteDump(const uint8_t* pBytes, uint32_t dwCount)
{
    if (!m_pMemoryBuffer || dwCount > MAX_DUMP_BYTES || (!pBytes && dwCount)) return 0;
    for (uint32_t i = 0; i < dwCount; ++i) m_pMemoryBuffer->m_abRegisters[i] = pBytes[i];
    m_pMemoryBuffer->m_nRegisterCount = int32_t(dwCount);
    return m_pMemoryBuffer->bWriteRegisters(DUMP_SETTLE_MS);
}

uint32_t CreateMemoryBufferInterface(ORVEXSDK* pKit)
{
    if (!pKit) return 0;
    CMemoryBufferInterface* pInterface = new CMemoryBufferInterface;
    if (!pInterface->Init()) {
        delete pInterface;
        return 0;
    }
    pKit->AddInterface(pInterface);
    return 1;
}
