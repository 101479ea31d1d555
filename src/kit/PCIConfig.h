// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Routing of PCI configuration accesses: offsets 0 to 255 go to the registered PCI
// configuration space (ports 0xCF8/0xCFC), 256 and above to the registered PCI-Express
// enhanced configuration space. All ones, or 0 for a write, when the needed space is not
// registered.
#include <cstdint>

class CPCIIOSpace;
class CPCIExpressIOSpace;

namespace kit {

// The first registered space whose type has both bits of 0x1000001 (0x2000001).
CPCIIOSpace* FindPCIConfigSpace();
CPCIExpressIOSpace* FindPCIExpressSpace();

uint32_t dwReadPCIConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset);
uint32_t bWritePCIConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset, uint32_t dwValue);

}  // namespace kit
