// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ICH7GPIO.h"

#include <memory>

#include "sim/PCIConfig.h"

namespace sim {

namespace {

constexpr unsigned LPC_BUS = 0, LPC_DEVICE = 0x1F, LPC_FUNCTION = 0;
constexpr uint32_t ICH7_LPC_ID = 0x27B88086;  // device << 16 | vendor
constexpr unsigned GPIO_BASE = 0x48, GPIO_CNTL = 0x4C;
constexpr uint32_t GPIO_EN = 0x10;

uint16_t wBaseOf(const CPCIFunction& lpc) { return uint16_t(lpc.dwPeek(GPIO_BASE) & 0xFFC0); }
bool bEnabled(const CPCIFunction& lpc) { return lpc.dwPeek(GPIO_CNTL) & GPIO_EN; }

}  // namespace

CICH7GPIOBlock::CICH7GPIOBlock(uint16_t wBase, const CPCIFunction& lpc) : CPortHandler(wBase, BLOCK_SIZE), m_Lpc(lpc)
{
    // GPIO 32 is a general-purpose output at reset, driven low.
    m_abRegisters[USE_SEL2] = 0x01;
}

bool CICH7GPIOBlock::bDecoded() const { return bEnabled(m_Lpc) && wBaseOf(m_Lpc) == wFirst(); }

uint8_t CICH7GPIOBlock::bReadRegister(unsigned nOffset) const { return m_abRegisters[nOffset]; }

void CICH7GPIOBlock::vWriteRegister(unsigned nOffset, uint8_t bValue)
{
    // A level register holds what the outputs drive; pins set as inputs keep their level.
    if ((nOffset & ~3u) == LVL || (nOffset & ~3u) == LVL2) {
        const unsigned nDirection = (nOffset & ~3u) == LVL ? IO_SEL + (nOffset & 3) : IO_SEL2 + (nOffset & 3);
        const uint8_t bInputs = m_abRegisters[nDirection];
        m_abRegisters[nOffset] = uint8_t((m_abRegisters[nOffset] & bInputs) | (bValue & ~bInputs));
        return;
    }
    m_abRegisters[nOffset] = bValue;
}

uint32_t CICH7GPIOBlock::dwIn(uint16_t wPort, unsigned nWidth, const AccessContext&)
{
    if (!bDecoded()) return nWidth == 4 ? 0xFFFFFFFF : (1u << (8 * nWidth)) - 1;
    uint32_t dwValue = 0;
    for (unsigned i = 0; i < nWidth; ++i) dwValue |= uint32_t(bReadRegister(wPort - wFirst() + i)) << (8 * i);
    return dwValue;
}

void CICH7GPIOBlock::vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext&)
{
    if (!bDecoded()) return;
    for (unsigned i = 0; i < nWidth; ++i) vWriteRegister(wPort - wFirst() + i, uint8_t(dwValue >> (8 * i)));
}

bool bAddICH7GPIO(CPCIFunctions& pci, CPortMap& ports, std::string& strError)
{
    const CPCIFunction* pLpc = pci.pFind(LPC_BUS, LPC_DEVICE, LPC_FUNCTION);
    if (!pLpc || pLpc->dwPeek(0) != ICH7_LPC_ID || !bEnabled(*pLpc) || !wBaseOf(*pLpc)) return true;
    return ports.bAdd(std::make_unique<CICH7GPIOBlock>(wBaseOf(*pLpc), *pLpc), strError);
}

}  // namespace sim
