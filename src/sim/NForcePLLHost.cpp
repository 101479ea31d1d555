// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/NForcePLLHost.h"

#include <array>
#include <cmath>

#include "sim/BoardProcessors.h"

namespace sim {

namespace {

std::array<uint8_t, 4096> Copy(const CPCIFunction& function)
{
    std::array<uint8_t, 4096> bytes{};
    for (unsigned n = 0; n < bytes.size(); n += 4) {
        const uint32_t dw = function.dwPeek(n);
        for (unsigned i = 0; i < 4; ++i) bytes[n + i] = uint8_t(dw >> (8 * i));
    }
    return bytes;
}

}  // namespace

CNForce2HostFunction::CNForce2HostFunction(std::unique_ptr<CPCIFunction> pHost, const NForcePLLBoardLink& link)
    : CPCIFunction(Copy(*pHost)), m_pHost(std::move(pHost)), m_Link(link)
{
}

uint32_t CNForce2HostFunction::dwRead(unsigned nOffset, const AccessContext& context)
{
    return m_pHost->dwRead(nOffset, context);
}

void CNForce2HostFunction::vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context)
{
    const bool bWasDriving = bDriving();
    m_pHost->vWrite(nOffset, dwValue, nByteEnables, context);
    CPCIFunction::vWrite(nOffset, dwValue, nByteEnables, context);  // kept for dwPeek
    if ((nOffset == ENABLE && !bWasDriving && bDriving()) || (nOffset == CONTROL && bDriving()))
        vLoad(context.qwNanoseconds);
}

void CNForce2HostFunction::vLoad(uint64_t qwNow)
{
    const uint32_t dwSetting = m_pHost->dwPeek(FSB_PLL);
    const uint32_t nM = dwSetting & 0xFF, nN = (dwSetting >> 8) & 0xFF;
    if (!nM || !nN || !m_Link.pProcessors) return;  // a PLL set to nothing keeps its output
    const double dHz = REFERENCE_MHZ * 1e6 * nN / nM;
    m_Link.pProcessors->vSetClockLocked(uint64_t(std::llround(dHz)), m_Link.qwMultiplierNum, m_Link.qwMultiplierDen,
                                        qwNow);
}

CNForce2AgpFunction::CNForce2AgpFunction(std::unique_ptr<CPCIFunction> pFunction, unsigned nSanityRegister)
    : CPCIFunction(Copy(*pFunction)), m_pFunction(std::move(pFunction)), m_nSanityRegister(nSanityRegister & 0xFFC)
{
}

uint32_t CNForce2AgpFunction::dwRead(unsigned nOffset, const AccessContext& context)
{
    return m_pFunction->dwRead(nOffset, context);
}

void CNForce2AgpFunction::vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context)
{
    if (nOffset == m_nSanityRegister) return;
    m_pFunction->vWrite(nOffset, dwValue, nByteEnables, context);
    CPCIFunction::vWrite(nOffset, dwValue, nByteEnables, context);
}

}  // namespace sim
