// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Output of the PCI dumps: formatted here and handed to the kit root's trace function, which
// the caller installs (the kit never installs one itself). Nothing is printed while it is null.
#include <cstdint>

namespace discovery {

void vPCITrace(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

// nCount bytes as "%02X " each, 16 to a line; nothing when pbData is null.
void vPCITraceBytes(const uint8_t* pbData, uint32_t nCount);

}  // namespace discovery
