// SPDX-License-Identifier: GPL-2.0-or-later
// The memory controllers of the nForce 680i SLI, 650i Ultra and 650i SLI SPPs and of the
// nForce4 SLI Intel Edition. The clock ratio lives in function 2 of the host bridge, the
// timings in functions 0 and 1 of device 1.
#include <cstdio>

#include "discovery/ChipsetAccess.h"
#include "discovery/MemoryInfo.h"
#include "discovery/MemoryReaders.h"

namespace chipset {

namespace {

// Where one generation keeps what differs.
struct NForceLayout {
    float fNominal;
    uint32_t dwChannelRegister;  // 0:1.1
    bool bFourthTimingIn8C;      // bits 0 to 5 of 0:1.0 0x8C, else bits 16 to 21 of 0:1.0 0xA0
};

const NForceLayout s_NForce6xx = {400.0f, 0x90, false};
const NForceLayout s_NForce4Intel = {333.34f, 0x80, true};

uint32_t dwRead(uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    return dwReadConfig(0, dwDevice, dwFunction, dwOffset);
}

void vReadNForceMemory(CMemoryInfo& info, const NForceLayout& layout)
{
    info.m_fNominal = layout.fNominal;
    info.m_nMemoryType = 7;

    // Memory and bus dividers of the PLL; 0 stands for 16.
    const uint32_t dwDividers = dwRead(0, 2, 0x74);
    int a = int(dwDividers & 15), b = int((dwDividers >> 4) & 15);
    if (a == 0) a = 16;
    if (b == 0) b = 16;
    if (dwRead(0, 2, 0x60) & (1u << 22)) a = b = 1;  // synchronous
    const uint32_t dwMultiplier = (dwRead(0, 2, 0x4C) >> 30) & 3;
    if (dwMultiplier == 1) b *= 2;
    if (dwMultiplier == 2) b *= 4;
    char szRatio[32];
    if (a == b)
        std::snprintf(szRatio, sizeof szRatio, "%s", "1:1");
    else
        std::snprintf(szRatio, sizeof szRatio, "%d:%d", a, b);
    info.SetRatio(float(b) / float(a), szRatio);

    info.m_nChannels = (dwRead(1, 1, layout.dwChannelRegister) & 3) ? 2 : 1;
    info.m_fCAS = float((dwRead(1, 1, 0xD0) >> 4) & 7);

    const uint32_t dwTimings = dwRead(1, 0, 0x8C);
    info.m_nTiming[MEMORY_TIMING_RCD] = int32_t((dwTimings >> 24) & 15);
    info.m_nTiming[MEMORY_TIMING_RAS] = int32_t((dwTimings >> 16) & 63);
    info.m_nTiming[MEMORY_TIMING_RP] = int32_t((dwRead(1, 0, 0x9C) >> 8) & 15);
    info.m_nTiming[MEMORY_TIMING_COMMAND_RATE] = (dwRead(1, 0, 0x80) & (1u << 8)) ? 2 : 1;
    info.m_nTiming[MEMORY_TIMING_RC] =
        int32_t(layout.bFourthTimingIn8C ? (dwTimings & 63) : ((dwRead(1, 0, 0xA0) >> 16) & 63));
}

}  // namespace

void vReadNForce6xxMemory(CNorthBridge&, CMemoryInfo& info) { vReadNForceMemory(info, s_NForce6xx); }

void vReadNForce4IntelMemory(CNorthBridge&, CMemoryInfo& info) { vReadNForceMemory(info, s_NForce4Intel); }

}  // namespace chipset
