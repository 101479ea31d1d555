// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The hardware access the chipset code needs, through the kit: PCI configuration registers
// by location, dwords of physical memory (memory-mapped controller registers) and waits.
#include <cstdint>

namespace chipset {

// All ones when there is no PCI interface.
uint32_t dwReadConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset);
uint32_t bWriteConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset, uint32_t dwValue);
// One dword of physical memory through the driver; all ones when it cannot be read.
uint32_t dwReadPhysicalDword(uint32_t dwAddress);
uint32_t bWritePhysicalDword(uint32_t dwAddress, uint32_t dwValue);
void vWait(uint32_t dwMilliseconds);
// Runs the PCI scan again, so that functions made visible join the device list.
void vRescanPCI();

}  // namespace chipset
