// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The general-purpose I/O block of the Intel ICH7 LPC bridge (8086:27B8 at 00:1f.0): 64
// ports at the base the bridge's register 0x48 names, decoded while bit 4 of register 0x4C
// is set. Boards wire GPIO pins to their own logic; one of them drives an SMBus multiplexer
// from the level register 0x38 (GPIO 32 to 63): on the i975x-ich7 board (ASUS 1043:8179) bit 0
// of port 0x4B8 (GPIO 32) selects the SMBus channel, and its "smbus" section names that port
// and bit as the multiplexer's select line.
#include <cstdint>
#include <string>

#include "sim/BusHandlers.h"

namespace sim {

class CPCIFunction;
class CPCIFunctions;

class CICH7GPIOBlock : public CPortHandler {
public:
    static constexpr uint32_t BLOCK_SIZE = 0x40;
    // Registers (dwords): use select, I/O select (1 = input) and level, for GPIO 0-31 at
    // 0x00/0x04/0x0C and for GPIO 32-63 at 0x30/0x34/0x38.
    static constexpr unsigned USE_SEL = 0x00, IO_SEL = 0x04, LVL = 0x0C;
    static constexpr unsigned USE_SEL2 = 0x30, IO_SEL2 = 0x34, LVL2 = 0x38;

    CICH7GPIOBlock(uint16_t wBase, const CPCIFunction& lpc);

    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) override;
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) override;

private:
    // The bridge still decodes the block at this base.
    bool bDecoded() const;
    uint8_t bReadRegister(unsigned nOffset) const;
    void vWriteRegister(unsigned nOffset, uint8_t bValue);

    const CPCIFunction& m_Lpc;
    uint8_t m_abRegisters[BLOCK_SIZE] = {};
};

// Puts the GPIO block of the board's ICH7 LPC bridge on the port bus when the bridge is there
// and its reset configuration enables the block. False with strError when the ports are taken.
bool bAddICH7GPIO(CPCIFunctions& pci, CPortMap& ports, std::string& strError);

}  // namespace sim
