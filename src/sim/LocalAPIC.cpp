// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/LocalAPIC.h"

namespace sim {

namespace {

constexpr uint32_t PAGE_SIZE = 0x1000;
constexpr uint32_t REGISTER_AREA = 0x400;  // registers live below 0x400; the rest reads 0

bool bReadOnly(uint32_t nOffset)
{
    return nOffset == CLocalAPICPage::REG_ID || nOffset == CLocalAPICPage::REG_VERSION ||
           nOffset == CLocalAPICPage::REG_CURRENT_COUNT || nOffset == 0x90 /* arbitration priority */ ||
           nOffset == 0xA0 /* processor priority */ ||
           (nOffset >= 0x100 && nOffset <= 0x270) /* in-service, trigger mode, request */;
}

}  // namespace

CLocalAPICPage::CLocalAPICPage(uint64_t qwBase, CBoardProcessors& processors, bool bTimerRunning)
    : CMemoryHandler(qwBase, PAGE_SIZE), m_Processors(processors), m_Apics(processors.nCount())
{
    for (Apic& apic : m_Apics) {
        apic.Registers[0xE0 >> 4] = 0xFFFFFFFF;  // destination format: flat model
        apic.Registers[REG_SPURIOUS >> 4] = 0x000000FF;
        for (uint32_t nLvt = 0x320; nLvt <= 0x370; nLvt += 0x10)
            apic.Registers[nLvt >> 4] = LVT_MASKED;
        if (bTimerRunning) {
            apic.Registers[REG_LVT_TIMER >> 4] = LVT_PERIODIC | 0xEF;
            apic.Registers[REG_DIVIDE_CONFIG >> 4] = 0xB;  // divide by 1
            apic.Registers[REG_INITIAL_COUNT >> 4] = 0xFFFFFFFF;
            apic.dwStartCount = 0xFFFFFFFF;
            apic.qwStartBusCycles = 0;
        }
    }
}

uint32_t CLocalAPICPage::nDivisor(uint32_t dwDivideConfig)
{
    uint32_t nCode = (dwDivideConfig & 3) | (dwDivideConfig >> 1 & 4);
    return nCode == 7 ? 1 : 2u << nCode;
}

CLocalAPICPage::Apic& CLocalAPICPage::ApicOf(unsigned nCpu)
{
    return m_Apics[nCpu < m_Apics.size() ? nCpu : 0];
}

uint32_t CLocalAPICPage::dwCurrentCount(const Apic& apic, uint64_t qwNs) const
{
    if (apic.dwStartCount == 0)
        return 0;
    uint64_t qwBusCycles = m_Processors.qwBusCyclesLocked(qwNs);
    uint64_t qwTicks = qwBusCycles > apic.qwStartBusCycles
                           ? (qwBusCycles - apic.qwStartBusCycles) / nDivisor(apic.Registers[REG_DIVIDE_CONFIG >> 4])
                           : 0;
    if (qwTicks < apic.dwStartCount)
        return uint32_t(apic.dwStartCount - qwTicks);
    uint32_t dwInitial = apic.Registers[REG_INITIAL_COUNT >> 4];
    if (!(apic.Registers[REG_LVT_TIMER >> 4] & LVT_PERIODIC) || dwInitial == 0)
        return 0;  // one-shot: stays at 0
    // Periodic: on reaching 0 the count reloads from the initial count.
    return uint32_t(dwInitial - (qwTicks - apic.dwStartCount) % dwInitial);
}

void CLocalAPICPage::vRestartStretch(Apic& apic, uint64_t qwNs)
{
    apic.dwStartCount = dwCurrentCount(apic, qwNs);
    apic.qwStartBusCycles = m_Processors.qwBusCyclesLocked(qwNs);
}

uint32_t CLocalAPICPage::dwReadRegister(unsigned nCpu, uint32_t nOffset, uint64_t qwNs)
{
    if (nOffset >= REGISTER_AREA || (nOffset & 0xF) != 0 || nOffset == REG_EOI)
        return 0;
    const Apic& apic = ApicOf(nCpu);
    switch (nOffset) {
    case REG_ID: return m_Processors.nApicId(nCpu) << 24;
    case REG_VERSION: return VERSION;
    case REG_CURRENT_COUNT: return dwCurrentCount(apic, qwNs);
    default: return apic.Registers[nOffset >> 4];
    }
}

void CLocalAPICPage::vWriteRegister(unsigned nCpu, uint32_t nOffset, uint32_t dwValue, uint64_t qwNs)
{
    if (nOffset >= REGISTER_AREA || bReadOnly(nOffset) || nOffset == REG_EOI)
        return;
    Apic& apic = ApicOf(nCpu);
    switch (nOffset) {
    case REG_INITIAL_COUNT:  // a new count starts at once
        apic.Registers[nOffset >> 4] = dwValue;
        apic.dwStartCount = dwValue;
        apic.qwStartBusCycles = m_Processors.qwBusCyclesLocked(qwNs);
        break;
    case REG_LVT_TIMER:
    case REG_DIVIDE_CONFIG:
        vRestartStretch(apic, qwNs);
        apic.Registers[nOffset >> 4] = nOffset == REG_DIVIDE_CONFIG ? dwValue & 0xB : dwValue;
        break;
    default:
        apic.Registers[nOffset >> 4] = dwValue;
        break;
    }
}

void CLocalAPICPage::vRead(uint64_t qwOffset, uint32_t nCount, uint8_t* pBuffer, const AccessContext& context)
{
    uint32_t nDone = 0;
    while (nDone < nCount) {
        uint32_t nAt = uint32_t(qwOffset) + nDone;
        uint32_t dwValue = dwReadRegister(context.nCpu, nAt & ~3u, context.qwNanoseconds);
        for (uint32_t nByte = nAt & 3; nByte < 4 && nDone < nCount; ++nByte, ++nDone)
            pBuffer[nDone] = uint8_t(dwValue >> (8 * nByte));
    }
}

void CLocalAPICPage::vWrite(uint64_t qwOffset, uint32_t nCount, const uint8_t* pData, const AccessContext& context)
{
    // The registers take aligned 32-bit writes only; anything else is lost.
    if (nCount != 4 || (qwOffset & 0xF) != 0)
        return;
    uint32_t dwValue = uint32_t(pData[0]) | uint32_t(pData[1]) << 8 | uint32_t(pData[2]) << 16 | uint32_t(pData[3]) << 24;
    vWriteRegister(context.nCpu, uint32_t(qwOffset), dwValue, context.qwNanoseconds);
}

}  // namespace sim
