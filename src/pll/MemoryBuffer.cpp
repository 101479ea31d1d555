// SPDX-License-Identifier: GPL-2.0-or-later
// The memory buffer drivers.
#include "pll/MemoryBuffer.h"

#include "platform/Clock.h"
#include "pll/RegisterTransfer.h"

const SKEW_ENTRY g_ICS9P932SkewTable[] = {
    {0, "0 ps"},
    {4, "150 ps"},
    {8, "300 ps"},
    {12, "450 ps"},
    {13, "600 ps"},
    {14, "750 ps"},
    {15, "900 ps"},
    {SKEW_CODE_END, ""},
};

namespace {

constexpr uint32_t APPLY_SETTLE_MS = 200;
constexpr int32_t REG_CHANNEL_A = 8;
constexpr int32_t REG_CHANNEL_B = 9;

bool bIsSkewCode(int32_t nCode) { return nCode >= 0 && nCode <= 15; }

}  // namespace

CMemoryBuffer::CMemoryBuffer(uint32_t dwChipID) : m_dwChipID(dwChipID) {}

uint32_t CMemoryBuffer::bReadRegisters()
{
    int32_t nCount = nReadRegisterImage(m_pCommandSet, m_nAccessMethod, m_abRegisters);
    if (nCount <= 0) return 0;
    m_nRegisterCount = nCount;
    return 1;
}

uint32_t CMemoryBuffer::bWriteRegisters(uint32_t dwSettleMilliseconds)
{
    if (m_nRegisterCount <= 0) return 0;
    int32_t nWritten = nWriteRegisterImage(m_pCommandSet, m_nAccessMethod, m_abRegisters, m_nRegisterCount);
    platform::Sleep(dwSettleMilliseconds);
    return nWritten >= m_nRegisterCount;
}

ICS_9P932_MemoryBuffer::ICS_9P932_MemoryBuffer()
    : CMemoryBuffer(CHIP_ID), m_pCLKINSkewTable(g_ICS9P932SkewTable), m_pFBINTSkewTable(g_ICS9P932SkewTable)
{
}

uint32_t ICS_9P932_MemoryBuffer::bReadRegisters()
{
    if (!CMemoryBuffer::bReadRegisters()) return 0;
    // A short image leaves the skew registers as the last full read found them.
    if (m_nRegisterCount <= REG_CHANNEL_B) return 1;
    m_nCLKINSkewA = m_abRegisters[REG_CHANNEL_A] >> 4;
    m_nFBINTSkewA = m_abRegisters[REG_CHANNEL_A] & 15;
    m_nCLKINSkewB = m_abRegisters[REG_CHANNEL_B] >> 4;
    m_nFBINTSkewB = m_abRegisters[REG_CHANNEL_B] & 15;
    return 1;
}

uint32_t ICS_9P932_MemoryBuffer::bApply()
{
    // Before a read the codes are unknown and the count is 0: nothing is written.
    if (m_nRegisterCount <= REG_CHANNEL_B || !bIsSkewCode(m_nCLKINSkewA) || !bIsSkewCode(m_nFBINTSkewA) ||
        !bIsSkewCode(m_nCLKINSkewB) || !bIsSkewCode(m_nFBINTSkewB))
        return 0;
    m_abRegisters[REG_CHANNEL_A] = uint8_t(16 * m_nCLKINSkewA + m_nFBINTSkewA);
    m_abRegisters[REG_CHANNEL_B] = uint8_t(16 * m_nCLKINSkewB + m_nFBINTSkewB);
    return bWriteRegisters(APPLY_SETTLE_MS);
}

int32_t ICS_9P932_MemoryBuffer::GetCLKINSkew(int32_t nChannel) const
{
    return nChannel == 0 ? m_nCLKINSkewA : nChannel == 1 ? m_nCLKINSkewB : -1;
}

int32_t ICS_9P932_MemoryBuffer::GetFBINTSkew(int32_t nChannel) const
{
    return nChannel == 0 ? m_nFBINTSkewA : nChannel == 1 ? m_nFBINTSkewB : -1;
}

uint32_t ICS_9P932_MemoryBuffer::SetCLKINSkew(int32_t nChannel, int32_t nCode)
{
    if (!bIsSkewCode(nCode) || (nChannel != 0 && nChannel != 1)) return 0;
    (nChannel == 0 ? m_nCLKINSkewA : m_nCLKINSkewB) = nCode;
    return 1;
}

uint32_t ICS_9P932_MemoryBuffer::SetFBINTSkew(int32_t nChannel, int32_t nCode)
{
    if (!bIsSkewCode(nCode) || (nChannel != 0 && nChannel != 1)) return 0;
    (nChannel == 0 ? m_nFBINTSkewA : m_nFBINTSkewB) = nCode;
    return 1;
}
