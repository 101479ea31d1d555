// SPDX-License-Identifier: GPL-2.0-or-later
// The i865/i875 memory controller. The host bridge's clock select register gives the ratio;
// timings, ECC and channels are in the register window of device 6 (the overflow device),
// which the identification has made visible.
#include <cstdio>

#include "discovery/ChipsetAccess.h"
#include "discovery/ChipsetBridges.h"
#include "discovery/MemoryInfo.h"
#include "discovery/MemoryReaders.h"

namespace chipset {

namespace {

struct RatioEntry {
    const char* pszRatio;  // null: not set
    float fRatio;
};

struct FSBEntry {
    float fNominal;
    RatioEntry DramSelect[4];
};

// By FSB select (bits 0 and 1 of word 0xC6), then DRAM select (bits 10 and 11).
const FSBEntry s_Ratios[4] = {
    {133.34f, {{"1:1", 1.0f}, {"3:4", 1.3333334f}, {"1:1", 1.0f}, {"1:1", 1.0f}}},
    {200.0f, {{"1:1", 1.0f}, {"4:5", 1.25f}, {"2:3", 1.5f}, {nullptr, 0.0f}}},
    {200.0f, {{"3:2", 0.6666667f}, {"5:4", 0.8f}, {"1:1", 1.0f}, {nullptr, 0.0f}}},
    {166.67f, {{"5:4", 0.8f}, {"1:1", 1.0f}, {"1:1", 1.0f}, {nullptr, 0.0f}}},
};

constexpr uint32_t CLOCK_SELECT = 0xC6;        // word
constexpr uint32_t DEVICE6_BASE = 0x10;        // of 0:6.0
constexpr uint32_t DRAM_TIMING = 0x60;         // in the device 6 window
constexpr uint32_t DRAM_CONTROLLER_MODE = 0x68;

// DRAM timing register fields: 2-bit codes with 0 meaning the slowest setting.
const float s_CAS[4] = {2.5f, 2.0f, 3.0f, -1.0f};      // bits 5 and 6
const int32_t s_RCD_RP[4] = {4, 3, 2, -1};             // bits 2-3 (RCD), 0-1 (RP)
constexpr int32_t RAS_SLOWEST = 10;                    // bits 7-9 count down from 10 clocks
constexpr int32_t RAS_FASTEST = 5;

}  // namespace

void vReadI865Memory(CNorthBridge& bridge, CMemoryInfo& info)
{
    info.m_nMemoryType = 6;
    const uint32_t wSelect = bridge.ReadConfig(CLOCK_SELECT) & 0xFFFF;
    const unsigned nFSB = wSelect & 3, nDram = (wSelect >> 10) & 3;
    bridge.m_nFSBSelect = int32_t(nFSB);
    info.m_fNominal = s_Ratios[nFSB].fNominal;
    const RatioEntry& ratio = s_Ratios[nFSB].DramSelect[nDram];
    if (ratio.pszRatio) info.SetRatio(ratio.fRatio, ratio.pszRatio);

    const uint32_t dwBar = dwReadConfig(0, 6, 0, DEVICE6_BASE);
    if (dwBar == 0xFFFFFFFF) return;  // device 6 stayed hidden
    const uint32_t dwBase = dwBar & ~0xFFFu;
    if (dwBase == 0) return;

    const uint32_t dwTiming = dwReadPhysicalDword(dwBase + DRAM_TIMING);
    const uint32_t dwMode = dwReadPhysicalDword(dwBase + DRAM_CONTROLLER_MODE);
    if (dwTiming != 0xFFFFFFFF) {
        info.m_fCAS = s_CAS[(dwTiming >> 5) & 3];
        info.m_nTiming[MEMORY_TIMING_RCD] = s_RCD_RP[(dwTiming >> 2) & 3];
        info.m_nTiming[MEMORY_TIMING_RP] = s_RCD_RP[dwTiming & 3];
        const int32_t nRAS = RAS_SLOWEST - int32_t((dwTiming >> 7) & 7);
        if (nRAS >= RAS_FASTEST) info.m_nTiming[MEMORY_TIMING_RAS] = nRAS;
    }
    if (dwMode != 0xFFFFFFFF) {
        // Data integrity mode (bits 18-19): 1 is ECC. Channels (bits 21-22): 1 is dual.
        info.m_bECCEnabled = ((dwMode >> 18) & 3) == 1 ? 1 : 0;
        std::snprintf(info.m_szECC, sizeof info.m_szECC, "%s", info.m_bECCEnabled ? "ECC" : "No-ECC");
        info.m_nChannels = ((dwMode >> 21) & 3) == 1 ? 2 : 1;
    }
}

}  // namespace chipset
