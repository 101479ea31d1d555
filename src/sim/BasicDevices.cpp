// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/BasicDevices.h"

#include <algorithm>
#include <cstring>

namespace sim {

CRamRegion::CRamRegion(uint64_t qwBase, uint64_t qwSize, const std::vector<uint8_t>& initial)
    : CMemoryHandler(qwBase, qwSize), m_Bytes(size_t(qwSize), 0)
{
    std::copy_n(initial.begin(), std::min(initial.size(), m_Bytes.size()), m_Bytes.begin());
}

void CRamRegion::vRead(uint64_t qwOffset, uint32_t nCount, uint8_t* pBuffer, const AccessContext&)
{
    std::memcpy(pBuffer, m_Bytes.data() + qwOffset, nCount);
}

void CRamRegion::vWrite(uint64_t qwOffset, uint32_t nCount, const uint8_t* pData, const AccessContext&)
{
    std::memcpy(m_Bytes.data() + qwOffset, pData, nCount);
}

uint32_t CPMTimer::dwCountAt(uint64_t qwNanoseconds)
{
    unsigned __int128 ticks = (unsigned __int128)qwNanoseconds * FREQUENCY_HZ / 1000000000u;
    return uint32_t(ticks) & COUNT_MASK;
}

uint32_t CPMTimer::dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context)
{
    uint32_t dwValue = dwCountAt(context.qwNanoseconds) >> (8 * (wPort - wFirst()));
    return nWidth >= 4 ? dwValue : dwValue & ((uint32_t(1) << (8 * nWidth)) - 1);
}

}  // namespace sim
