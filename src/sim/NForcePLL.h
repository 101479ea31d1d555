// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The clock PLLs inside the board's nVidia chipset, as the silicon behaves:
// - nForce4 (LPC bridge 10DE:0050 at 00:01.0) and MCP55 (function 10DE:0368): two I/O port
//   windows at the bases the function's registers 0x60 (window A) and 0x68 (window B) hold.
//   B[0x08] holds the FSB PLL setting (M bits 0-9, N bits 10-19; output = 387.5 / 2 × N / M
//   MHz), B[0x38] the PCI-E reference synthesis, B[0x3C] the PCI-E PLL, B[0x1C] the clock
//   sources, B[0xC8] bit 0 the firmware's hold on the PLLs. Writing 1 to bit 0 of A[0xA4]
//   loads B[0x08] into the FSB PLL: the bit reads 1 until the PLL has locked (25 ms), and
//   the board's bus runs at the new clock from the first access to the PLL after that (the
//   board has no events of its own; software polls the bit anyway). Of window A only that
//   register is the PLL's.
// - nForce2 (host bridge 10DE:01E0 at 00:00.0): 0xA4 holds the FSB PLL setting (M bits 0-7,
//   N bits 8-15; output = 25.06067 × N / M MHz), 0xA8 bit 0 hands the FSB to the PLL (from
//   then on it drives the bus), and every write of 0xA0 while it does loads 0xA4 into the
//   PLL. Function 3 carries the AGP PLL (0x78 from revision C0 of the host bridge on, else
//   0x6C) and a read-only sanity register (0x7C, else 0x70).
#include <cstdint>
#include <string>

namespace sim {

class CBoardProcessors;
class CPCIFunctions;
class CPortMap;

// How a PLL reaches the board's processors; the multiplier is the board's.
struct NForcePLLBoardLink {
    CBoardProcessors* pProcessors = nullptr;
    uint64_t qwMultiplierNum = 1, qwMultiplierDen = 1;
};

// Puts the PLLs of the chipset functions the board has on its buses. False with strError when
// the port windows collide with another device.
bool bAddNForcePLL(CPCIFunctions& pci, CPortMap& ports, const NForcePLLBoardLink& link, std::string& strError);

}  // namespace sim
