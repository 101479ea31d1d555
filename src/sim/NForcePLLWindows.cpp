// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/NForcePLLWindows.h"

#include <algorithm>
#include <cmath>

#include "sim/BoardProcessors.h"
#include "sim/PCIConfig.h"

namespace sim {

namespace {

constexpr unsigned WINDOW_A_REGISTER = 0x60, WINDOW_B_REGISTER = 0x68;
constexpr uint32_t BASE_MASK = 0xFFFE;
constexpr unsigned PCIE_REFERENCE = 0x38, PCIE_PLL = 0x3C, CONTROL = 0xC8;
constexpr uint32_t FIRMWARE_M = 200;            // the divider the firmware programs
constexpr uint32_t PCIE_REFERENCE_RESET = 0x401;  // 4 × 25 MHz / 1
constexpr uint32_t PCIE_PLL_RESET = 128 << 8 | 8;  // 100 MHz / 16 × 128 / 8 = 100 MHz

uint32_t dwAllOnes(unsigned nWidth) { return nWidth >= 4 ? 0xFFFFFFFF : (1u << (8 * nWidth)) - 1; }

}  // namespace

CNForcePLLRegisters::CNForcePLLRegisters(const CPCIFunction& bridge, uint16_t wBaseA, uint16_t wBaseB,
                                         const NForcePLLBoardLink& link, uint64_t qwBusHz)
    : m_Bridge(bridge), m_wBaseA(wBaseA), m_wBaseB(wBaseB), m_Link(link)
{
    auto put = [this](unsigned nOffset, uint32_t dwValue) {
        for (unsigned i = 0; i < 4; ++i) m_B[nOffset + i] = uint8_t(dwValue >> (8 * i));
    };
    const double dN = double(qwBusHz) / 1e6 * FIRMWARE_M / (REFERENCE_MHZ / 2);
    const uint32_t nN = std::min<uint32_t>(uint32_t(std::lround(dN)), 0x3FF);
    put(FSB_PLL, nN << 10 | FIRMWARE_M);
    put(PCIE_REFERENCE, PCIE_REFERENCE_RESET);
    put(PCIE_PLL, PCIE_PLL_RESET);
    put(CONTROL, 1);  // the firmware holds the PLLs until the driver takes them
}

bool CNForcePLLRegisters::bDecodedA() const { return (m_Bridge.dwPeek(WINDOW_A_REGISTER) & BASE_MASK) == m_wBaseA; }
bool CNForcePLLRegisters::bDecodedB() const { return (m_Bridge.dwPeek(WINDOW_B_REGISTER) & BASE_MASK) == m_wBaseB; }

uint32_t CNForcePLLRegisters::dwB(unsigned nOffset) const
{
    return uint32_t(m_B[nOffset]) | uint32_t(m_B[nOffset + 1]) << 8 | uint32_t(m_B[nOffset + 2]) << 16 |
           uint32_t(m_B[nOffset + 3]) << 24;
}

void CNForcePLLRegisters::vProgress(uint64_t qwNow)
{
    if (!m_bUpdating || qwNow < m_qwLockedAt) return;
    m_bUpdating = false;
    m_Update[0] &= uint8_t(~1u);
    const uint32_t nM = m_dwLoading & 0x3FF, nN = (m_dwLoading >> 10) & 0x3FF;
    if (!nM || !nN || !m_Link.pProcessors) return;  // a PLL set to nothing keeps its output
    const double dHz = REFERENCE_MHZ / 2 * 1e6 * nN / nM;
    m_Link.pProcessors->vSetClockLocked(uint64_t(std::llround(dHz)), m_Link.qwMultiplierNum, m_Link.qwMultiplierDen,
                                        qwNow);
}

uint8_t CNForcePLLRegisters::bReadB(unsigned nOffset, uint64_t qwNow)
{
    vProgress(qwNow);
    return m_B[nOffset % WINDOW_SIZE];
}

void CNForcePLLRegisters::vWriteB(unsigned nOffset, uint8_t bValue, uint64_t qwNow)
{
    vProgress(qwNow);
    m_B[nOffset % WINDOW_SIZE] = bValue;
}

uint8_t CNForcePLLRegisters::bReadUpdate(unsigned nByte, uint64_t qwNow)
{
    vProgress(qwNow);
    return m_Update[nByte & 3];
}

void CNForcePLLRegisters::vWriteUpdate(unsigned nByte, uint8_t bValue, uint64_t qwNow)
{
    vProgress(qwNow);
    nByte &= 3;
    if (nByte == 0 && (bValue & 1)) {
        if (!m_bUpdating) {  // a write during an update does not restart it
            m_bUpdating = true;
            m_qwLockedAt = qwNow + UPDATE_NS;
            m_dwLoading = dwB(FSB_PLL);
        }
        m_Update[0] = bValue;
        return;
    }
    // Bit 0 cannot be cleared by software while the PLL is locking.
    m_Update[nByte] = nByte == 0 && m_bUpdating ? uint8_t(bValue | 1) : bValue;
}

CNForcePLLWindowB::CNForcePLLWindowB(std::shared_ptr<CNForcePLLRegisters> pRegisters)
    : CPortHandler(pRegisters->wBaseB(), CNForcePLLRegisters::WINDOW_SIZE),
      m_pRegisters(std::move(pRegisters)),
      m_Registers(*m_pRegisters)
{
}

uint32_t CNForcePLLWindowB::dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context)
{
    if (!m_Registers.bDecodedB()) return dwAllOnes(nWidth);
    uint32_t dwValue = 0;
    for (unsigned i = 0; i < nWidth; ++i)
        dwValue |= uint32_t(m_Registers.bReadB(wPort - wFirst() + i, context.qwNanoseconds)) << (8 * i);
    return dwValue;
}

void CNForcePLLWindowB::vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context)
{
    if (!m_Registers.bDecodedB()) return;
    for (unsigned i = 0; i < nWidth; ++i)
        m_Registers.vWriteB(wPort - wFirst() + i, uint8_t(dwValue >> (8 * i)), context.qwNanoseconds);
}

CNForcePLLUpdatePort::CNForcePLLUpdatePort(std::shared_ptr<CNForcePLLRegisters> pRegisters)
    : CPortHandler(uint16_t(pRegisters->wBaseA() + CNForcePLLRegisters::UPDATE_REGISTER), 4),
      m_pRegisters(std::move(pRegisters)),
      m_Registers(*m_pRegisters)
{
}

uint32_t CNForcePLLUpdatePort::dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context)
{
    if (!m_Registers.bDecodedA()) return dwAllOnes(nWidth);
    uint32_t dwValue = 0;
    for (unsigned i = 0; i < nWidth; ++i)
        dwValue |= uint32_t(m_Registers.bReadUpdate(wPort - wFirst() + i, context.qwNanoseconds)) << (8 * i);
    return dwValue;
}

void CNForcePLLUpdatePort::vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context)
{
    if (!m_Registers.bDecodedA()) return;
    for (unsigned i = 0; i < nWidth; ++i)
        m_Registers.vWriteUpdate(wPort - wFirst() + i, uint8_t(dwValue >> (8 * i)), context.qwNanoseconds);
}

}  // namespace sim
