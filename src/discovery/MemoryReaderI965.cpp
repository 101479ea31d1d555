// SPDX-License-Identifier: GPL-2.0-or-later
// The i946/i965 memory controller, read through the MCH register window (the base in
// configuration dword 0x48).
#include <cstdio>

#include "discovery/ChipsetAccess.h"
#include "discovery/ChipsetBridges.h"
#include "discovery/MemoryInfo.h"
#include "discovery/MemoryReaders.h"

namespace chipset {

namespace {

constexpr uint32_t WINDOW_BASE = 0x48;
constexpr uint32_t WINDOW_ENABLE = 1;
constexpr uint32_t WINDOW_MASK = ~0x3FFFu;
constexpr uint32_t WINDOW_WAIT_MS = 50;
constexpr uint32_t CAPABILITY = 0xE4;  // byte; bit 3 tells the C2 stepping of the P965
constexpr uint32_t CLOCK_CONFIG = 0xC00;

// One channel's registers in the window.
struct ChannelRegisters {
    uint32_t dwRanks;  // bits 20-23 non-zero: populated
    uint32_t dwCAS;
    uint32_t dwRAS;    // low word
    uint32_t dwRP;
    uint32_t dwRCD;
};

const ChannelRegisters s_ChannelA = {0x260, 0x29C, 0x250, 0x252, 0x258};
const ChannelRegisters s_ChannelB = {0x660, 0x69C, 0x650, 0x652, 0x658};

struct NameEntry {
    uint16_t wDeviceID;
    const char* pszModel;
};

const NameEntry s_Names[] = {
    {0x2970, "946PL/GZ"},
    {0x2990, "Q965"},
    {0x29A0, "P965/G965"},
};

struct RatioEntry {
    float fRatio;
    const char* pszRatio;  // null: no ratio
};

struct FSBEntry {
    float fNominal;  // <= 0: not set
    RatioEntry DramSelect[5];
};

// By FSB select (0 to 2; others set nothing), then DRAM select 0 to 4.
const FSBEntry s_Ratios[3] = {
    {533.34f, {{0, nullptr}, {1.0f, "1:1"}, {1.25f, "4:5"}, {1.5f, "2:3"}, {2.0f, "1:2"}}},
    {-1.0f, {{0, nullptr}, {2.0f, "1:2"}, {2.5f, "2:5"}, {3.0f, "1:3"}, {4.0f, "1:4"}}},
    {400.0f, {{1.0f, "1:1"}, {1.3333334f, "3:4"}, {1.6666666f, "3:5"}, {2.0f, "1:2"}, {0, nullptr}}},
};

void vName(CNorthBridge& bridge)
{
    const uint16_t wDevice = bridge.wDeviceID();
    for (const NameEntry& entry : s_Names)
        if (entry.wDeviceID == wDevice)
            std::snprintf(bridge.m_szModel, sizeof bridge.m_szModel, "%s", entry.pszModel);
    const char* pszStepping = nullptr;
    if ((wDevice == 0x2970 || wDevice == 0x2990) && bridge.bRevisionID() == 2) pszStepping = "C1";
    if (wDevice == 0x2980) pszStepping = "A0";
    if (wDevice == 0x29A0) pszStepping = (bridge.ReadConfig(CAPABILITY) & 0x08) ? "C2" : "C1";
    if (pszStepping) std::snprintf(bridge.m_szRevision, sizeof bridge.m_szRevision, "%s", pszStepping);
}

bool bPopulated(uint32_t dwBase, const ChannelRegisters& channel)
{
    return ((dwReadPhysicalDword(dwBase + channel.dwRanks) >> 20) & 15) != 0;
}

void vReadTimings(CMemoryInfo& info, uint32_t dwBase, const ChannelRegisters& channel)
{
    info.m_fCAS = float(((dwReadPhysicalDword(dwBase + channel.dwCAS) >> 17) & 7) + 3);
    info.m_nTiming[MEMORY_TIMING_RCD] = int32_t((dwReadPhysicalDword(dwBase + channel.dwRCD) >> 16) & 15);
    info.m_nTiming[MEMORY_TIMING_RP] = int32_t((dwReadPhysicalDword(dwBase + channel.dwRP) >> 13) & 15);
    info.m_nTiming[MEMORY_TIMING_RAS] = int32_t((dwReadPhysicalDword(dwBase + channel.dwRAS) & 0xFFFF) >> 11);
}

void vRatio(CMemoryInfo& info, uint32_t c)
{
    const uint32_t nFSB = c & 7, nDram = (c >> 4) & 7;
    if (nFSB >= 3) return;
    const FSBEntry& fsb = s_Ratios[nFSB];
    if (fsb.fNominal > 0.0f) info.m_fNominal = fsb.fNominal;
    if (nDram < 5 && fsb.DramSelect[nDram].pszRatio)
        info.SetRatio(fsb.DramSelect[nDram].fRatio, fsb.DramSelect[nDram].pszRatio);
}

}  // namespace

void vReadI965Memory(CNorthBridge& bridge, CMemoryInfo& info)
{
    vName(bridge);
    info.m_nMemoryType = 7;
    uint32_t dwWindow = bridge.ReadConfig(WINDOW_BASE);
    if (dwWindow == 0xFFFFFFFF) return;
    const uint32_t dwBase = dwWindow & WINDOW_MASK;
    const bool bEnabled = (dwWindow & WINDOW_ENABLE) != 0;
    if (!bEnabled) {
        bridge.WriteConfig(WINDOW_BASE, dwWindow | WINDOW_ENABLE);
        vWait(WINDOW_WAIT_MS);
        if (!(bridge.ReadConfig(WINDOW_BASE) & WINDOW_ENABLE)) return;
    }

    if (dwReadPhysicalDword(dwBase + CLOCK_CONFIG) != 0xFFFFFFFF) {
        const bool bChannelA = bPopulated(dwBase, s_ChannelA);
        const bool bChannelB = bPopulated(dwBase, s_ChannelB);
        info.m_nChannels = bChannelA && bChannelB ? 2 : 1;
        vReadTimings(info, dwBase, bChannelA ? s_ChannelA : s_ChannelB);
        vRatio(info, dwReadPhysicalDword(dwBase + CLOCK_CONFIG));
    }

    if (!bEnabled) bridge.WriteConfig(WINDOW_BASE, dwWindow & ~WINDOW_ENABLE);
}

}  // namespace chipset
