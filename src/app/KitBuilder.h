// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Builds the hardware kit in the order the program starts it: ACPI, CPU, PCI followed by the
// PCI scan, chipset, SMBus followed by the multiplexer detection, DMI, clock generator.
// Every interface whose initialisation fails is left out. Call it with the kit lock held and
// the driver device open.
class ORVEXSDK;

namespace app {

void vBuildKit(ORVEXSDK* pKit);
// The PCI interface and its scan alone, for what needs nothing else (a listing such as
// lspci's should not wait for the processors' discovery and its 50 ms per processor).
void vBuildPCI(ORVEXSDK* pKit);

}  // namespace app
