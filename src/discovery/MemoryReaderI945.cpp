// SPDX-License-Identifier: GPL-2.0-or-later
// The i945/i955/i975 memory controller, read through the MCH register window (the base in
// configuration dword 0x44).
#include <cstdio>

#include "discovery/ChipsetAccess.h"
#include "discovery/ChipsetBridges.h"
#include "discovery/MemoryInfo.h"
#include "discovery/MemoryReaders.h"

namespace chipset {

namespace {

constexpr uint16_t I945_DESKTOP = 0x2770;
constexpr uint16_t I945_MOBILE = 0x27A0;

constexpr uint32_t WINDOW_BASE = 0x44;
constexpr uint32_t WINDOW_ENABLE = 1;
constexpr uint32_t WINDOW_MASK = ~0x3FFFu;
constexpr uint32_t CAPABILITY = 0xE4;

constexpr uint32_t CHANNEL_A_RANKS = 0x108;  // two bytes
constexpr uint32_t CHANNEL_B_RANKS = 0x188;
constexpr uint32_t RANK_POPULATED = 0x77;
constexpr uint32_t CHANNEL_A_TIMING = 0x114;
constexpr uint32_t CHANNEL_B_TIMING = 0x194;
constexpr uint32_t CLOCK_CONFIG = 0xC00;

struct NameEntry {
    uint16_t wDeviceID;
    uint32_t dwKey;  // revision id (0x2770) or bits 28-30 of dword 0xE4 (0x27A0)
    const char* pszModel;
    const char* pszStepping;  // null: keep the revision text
};

const NameEntry s_Names[] = {
    {I945_DESKTOP, 0x02, "i945G/GZ", "A2"},
    {I945_DESKTOP, 0x81, "i945P", "A1"},
    {I945_DESKTOP, 0x82, "i945PL", "A2"},
    {I945_MOBILE, 1, "i945GM", nullptr},
    {I945_MOBILE, 3, "i945PM", nullptr},
    {I945_MOBILE, 5, "i945GT", nullptr},
};

// Timing field codes 0 to 4 are 2 to 6 clocks.
constexpr uint32_t TIMING_CODES = 5;
const float s_CAS[4] = {5.0f, 4.0f, 3.0f, 6.0f};

struct RatioEntry {
    uint8_t nFSBSelect;
    int8_t nBridge;  // 0: all, 1: all but 0x27A0, 2: 0x27A0 only
    uint8_t nDramSelect;
    float fRatio;
    const char* pszRatio;
};

// FSB selects 0 and 4 to 7 share one row (written as 0).
const RatioEntry s_Ratios[] = {
    {1, 1, 0, 1.25f, "4:5"},      {1, 1, 1, 1.5f, "2:3"},       {1, 1, 2, 2.0f, "1:2"},
    {1, 2, 2, 1.5f, "2:3"},       {1, 2, 3, 2.0f, "1:2"},       {1, 2, 4, 2.5f, "2:5"},
    {2, 0, 1, 1.0f, "1:1"},       {2, 0, 2, 1.3333334f, "3:4"}, {2, 0, 3, 1.6666666f, "3:5"},
    {2, 0, 4, 2.0f, "1:2"},       {3, 2, 2, 1.2f, "5:6"},       {3, 2, 3, 1.6f, "5:8"},
    {3, 2, 4, 2.0f, "1:2"},       {0, 0, 1, 0.75f, "4:3"},      {0, 0, 2, 1.0f, "1:1"},
    {0, 0, 3, 1.25f, "4:5"},      {0, 0, 4, 1.5f, "2:3"},
};

void vName(CNorthBridge& bridge)
{
    const uint16_t wDevice = bridge.wDeviceID();
    uint32_t dwKey;
    if (wDevice == I945_DESKTOP)
        dwKey = bridge.bRevisionID();
    else if (wDevice == I945_MOBILE)
        dwKey = (bridge.ReadConfig(CAPABILITY) >> 28) & 7;
    else
        return;
    for (const NameEntry& entry : s_Names) {
        if (entry.wDeviceID != wDevice || entry.dwKey != dwKey) continue;
        std::snprintf(bridge.m_szModel, sizeof bridge.m_szModel, "%s", entry.pszModel);
        if (entry.pszStepping)
            std::snprintf(bridge.m_szRevision, sizeof bridge.m_szRevision, "%s", entry.pszStepping);
        return;
    }
}

bool bPopulated(uint32_t dwAddress)
{
    return ((dwReadPhysicalDword(dwAddress) & 0xFF) & RANK_POPULATED) ||
           ((dwReadPhysicalDword(dwAddress + 1) & 0xFF) & RANK_POPULATED);
}

void vTimings(CMemoryInfo& info, uint32_t t)
{
    if (t == 0xFFFFFFFF) return;  // nothing answers there
    info.m_fCAS = s_CAS[(t >> 8) & 3];
    const uint32_t nFirst = (t >> 4) & 7, nSecond = t & 7;
    if (nFirst < TIMING_CODES) info.m_nTiming[MEMORY_TIMING_RCD] = int32_t(nFirst + 2);
    if (nSecond < TIMING_CODES) info.m_nTiming[MEMORY_TIMING_RP] = int32_t(nSecond + 2);
    info.m_nTiming[MEMORY_TIMING_RAS] = int32_t((t >> 19) & 31);
    int32_t nFourth = int32_t((t >> 26) & 31);
    // A zero row cycle field stands for precharge plus active time; only when both are known.
    if (nFourth == 0 && info.m_nTiming[MEMORY_TIMING_RP] != -1)
        nFourth = info.m_nTiming[MEMORY_TIMING_RP] + info.m_nTiming[MEMORY_TIMING_RAS];
    info.m_nTiming[MEMORY_TIMING_RC] = nFourth;
}

void vRatio(CMemoryInfo& info, uint16_t wDevice, uint32_t c)
{
    uint32_t nFSB = c & 7;
    if (nFSB >= 4) nFSB = 0;
    const uint32_t nDram = (c >> 4) & 7;
    const bool bMobile = wDevice == I945_MOBILE;
    for (const RatioEntry& entry : s_Ratios) {
        if (entry.nFSBSelect != nFSB || entry.nDramSelect != nDram) continue;
        if ((entry.nBridge == 1 && bMobile) || (entry.nBridge == 2 && !bMobile)) continue;
        info.SetRatio(entry.fRatio, entry.pszRatio);
        return;
    }
}

}  // namespace

void vReadI945Memory(CNorthBridge& bridge, CMemoryInfo& info)
{
    vName(bridge);
    info.m_nMemoryType = 7;
    const uint32_t dwWindow = bridge.ReadConfig(WINDOW_BASE);
    if (dwWindow == 0xFFFFFFFF) return;
    const uint32_t dwBase = dwWindow & WINDOW_MASK;
    const bool bEnabled = (dwWindow & WINDOW_ENABLE) != 0;
    if (!bEnabled) bridge.WriteConfig(WINDOW_BASE, dwWindow | WINDOW_ENABLE);

    const bool bChannelA = bPopulated(dwBase + CHANNEL_A_RANKS);
    const bool bChannelB = bPopulated(dwBase + CHANNEL_B_RANKS);
    if (bChannelA) {
        info.m_nChannels = bChannelB ? 2 : 1;
        vTimings(info, dwReadPhysicalDword(dwBase + CHANNEL_A_TIMING));
    } else {
        info.m_nChannels = 1;
        vTimings(info, dwReadPhysicalDword(dwBase + CHANNEL_B_TIMING));
    }
    vRatio(info, bridge.wDeviceID(), dwReadPhysicalDword(dwBase + CLOCK_CONFIG));

    if (!bEnabled) bridge.WriteConfig(WINDOW_BASE, dwWindow & ~WINDOW_ENABLE);
}

}  // namespace chipset
