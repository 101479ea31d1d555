// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/MSRRegister.h"

#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"

uint32_t MSR_Register::Read()
{
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    uint32_t dwHigh = 0xFFFFFFFF, dwLow = 0xFFFFFFFF;
    if (!pDriver || !pDriver->bReadMSR(m_dwIndex, dwHigh, dwLow)) {
        m_dwHigh = m_dwLow = 0xFFFFFFFF;
        return 0;
    }
    m_dwHigh = dwHigh;
    m_dwLow = dwLow;
    return 1;
}

uint32_t MSR_Register::Write()
{
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    return pDriver ? pDriver->bWriteMSR(m_dwIndex, m_dwHigh, m_dwLow) : 0;
}

uint32_t MSR_Register::Write(uint32_t dwHigh, uint32_t dwLow)
{
    m_dwHigh = dwHigh;
    m_dwLow = dwLow;
    return Write();
}

uint64_t MSR_Register::qwBits(unsigned nFirst, unsigned nLast) const
{
    if (nFirst > nLast || nLast > 63) return 0;
    const unsigned nCount = nLast - nFirst + 1;
    const uint64_t qwMask = nCount == 64 ? ~0ull : (1ull << nCount) - 1;
    return (qwValue() >> nFirst) & qwMask;
}
