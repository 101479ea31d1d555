// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/ProcessorCounters.h"

#include "cpu/MSRRegister.h"
#include "platform/Processors.h"

double CTSCCounter::Read()
{
    const uint64_t qwCount = platform::Processors().qwReadTSC();
    return double(uint32_t(qwCount >> 32)) * 4294967296.0 + double(uint32_t(qwCount));
}

double CPRFCounter::Read()
{
    if (!m_pMSR || !m_pMSR->Read()) return -1.0;
    return double(m_pMSR->m_dwHigh) * 4294967296.0 + double(m_pMSR->m_dwLow);
}
