// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The names and codes the capability dumps decode, as data.
#include <cstdint>

namespace discovery {

// The name of a HyperTransport interface type (0 slave/primary, 1 host/secondary, else the
// 5-bit type of the command word); null when it has none.
const char* pszHTInterfaceType(int32_t nType);
// A link width code (3 bits) in bits; -1 for a reserved code.
int32_t nHTLinkWidth(uint32_t dwCode);
// A link frequency code (4 bits) in MHz; 0 for the vendor-specific code.
int32_t nHTLinkFrequency(uint32_t dwCode);
// The name of a PCI-Express device/port type; "Unknown" for the others.
const char* pszPCIExpressType(int32_t nType);

}  // namespace discovery
