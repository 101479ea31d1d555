// SPDX-License-Identifier: GPL-2.0-or-later
// The Intel 5000 series memory controller hubs (5000P, 5000V, 5000X, 5000Z). They drive
// fully buffered DIMMs, whose advanced memory buffers always carry ECC; the kit records the
// memory type and the ECC and leaves the timings, which live in the DIMMs' buffers, unknown.
#include <cstdio>

#include "discovery/MemoryInfo.h"
#include "discovery/MemoryReaders.h"

namespace chipset {

void vReadI5000Memory(CNorthBridge&, CMemoryInfo& info)
{
    info.m_nMemoryType = 8;
    info.m_bECCEnabled = 1;
    std::snprintf(info.m_szECC, sizeof info.m_szECC, "%s", "ECC");
}

}  // namespace chipset
