// SPDX-License-Identifier: GPL-2.0-or-later
// The DRAM controller inside the AMD K8 processor (function 2 of the K8 bridge device): DRAM
// timing (0x88), configuration low (0x90) and high (0x94). The memory clock is the processor
// clock divided by a whole number, so both readers set a divider instead of a ratio.
#include <cstdio>

#include "cpu/CPUInterface.h"
#include "cpu/CPUThread.h"
#include "discovery/ChipsetBridges.h"
#include "discovery/MemoryInfo.h"
#include "discovery/MemoryReaders.h"
#include "kit/ORVEXSDK.h"

namespace chipset {

namespace {

constexpr uint32_t DRAM_TIMING_LOW = 0x88;
constexpr uint32_t DRAM_CONFIG_LOW = 0x90;
constexpr uint32_t DRAM_CONFIG_HIGH = 0x94;
constexpr unsigned REVISION_F_MODEL = 64;
constexpr int32_t SMALLEST_DIVIDER = 5;
constexpr float DIVIDER_ROUNDING = 0.81f;

struct FactorEntry {
    uint32_t nCode;
    float fFactor;
    bool bRounded;  // 0.81 is added before truncating
};

const FactorEntry s_RevFFactors[] = {
    {8, 1.0f, true}, {9, 0.75f, true}, {10, 0.6f, true}, {11, 0.5f, true},
};

const FactorEntry s_OldFactors[] = {
    {0, 2.0f, false},         {1, 7.0f / 5.0f, true},  {2, 3.0f / 2.0f, true},  {4, 4.0f / 3.0f, true},
    {5, 6.0f / 5.0f, true},   {6, 12.0f / 11.0f, true}, {7, 1.0f, true},        {8, 12.0f / 13.0f, true},
    {9, 6.0f / 7.0f, true},   {10, 4.0f / 5.0f, true},  {11, 3.0f / 4.0f, true},
};

const float s_RevFCAS[8] = {2.0f, 2.5f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f};
const float s_OldCAS[8] = {1.5f, 2.0f, 3.0f, -1.0f, 5.0f, 2.5f, 3.5f, -1.0f};

template <size_t N>
const FactorEntry* pFindFactor(const FactorEntry (&table)[N], uint32_t nCode)
{
    for (const FactorEntry& entry : table)
        if (entry.nCode == nCode) return &entry;
    return nullptr;
}

// The divider of the processor clock for this memory clock code; 0 when it cannot be told.
int32_t nDivider(const FactorEntry* pFactor, float fMultiplier)
{
    if (!pFactor || !(fMultiplier > 0.0f)) return 0;
    const float fProduct = fMultiplier * pFactor->fFactor + (pFactor->bRounded ? DIVIDER_ROUNDING : 0.0f);
    const int32_t nResult = int32_t(fProduct);
    return nResult < SMALLEST_DIVIDER ? SMALLEST_DIVIDER : nResult;
}

void vSetDivider(CMemoryInfo& info, int32_t nDivider, const K8Processor& processor)
{
    info.m_nDivider = nDivider;
    std::snprintf(info.m_szRatio, sizeof info.m_szRatio, "CPU/%d", nDivider);
    info.m_fMemoryClock = processor.fBusClock > 0.0f
                              ? processor.fBusClock * processor.fMultiplier / float(nDivider)
                              : -1.0f;
}

// Timing codes 0 to 3 are 3 to 6 clocks (revision F).
void vRevFTiming(CMemoryInfo& info, unsigned nSlot, uint32_t nCode)
{
    if (nCode <= 3) info.m_nTiming[nSlot] = int32_t(nCode + 3);
}

// Timing codes 2 to 6 are that many clocks (older revisions).
void vOldTiming(CMemoryInfo& info, unsigned nSlot, uint32_t nCode)
{
    if (nCode >= 2 && nCode <= 6) info.m_nTiming[nSlot] = int32_t(nCode);
}

// The K8 revisions counted from B = 2 (C 3, D 4, E 5, F 6, G 7), by the extended model of
// CPUID leaf 1 and, for the first K8 steppings, the stepping.
struct K8RevisionEntry {
    uint32_t nExtendedModel;
    uint32_t nFirstStepping;
    unsigned nRevision;
};

const K8RevisionEntry s_K8Revisions[] = {
    {0, 0, 2}, {0, 8, 3}, {1, 0, 4}, {2, 0, 5}, {4, 0, 6}, {5, 0, 6}, {6, 0, 7}, {7, 0, 7},
};

// The last row that the processor reaches; the newest revision beyond the table.
unsigned nK8Revision(uint32_t nExtendedModel, uint32_t nStepping)
{
    unsigned nRevision = s_K8Revisions[0].nRevision;
    for (const K8RevisionEntry& entry : s_K8Revisions) {
        if (nExtendedModel > entry.nExtendedModel ||
            (nExtendedModel == entry.nExtendedModel && nStepping >= entry.nFirstStepping))
            nRevision = entry.nRevision;
    }
    return nRevision;
}

}  // namespace

bool bFindK8Processor(K8Processor& processor)
{
    // Processor 0's multiplier, model and revision are the CPU interface's to tell.
    CCPUInterface* pCPU = ORVEXSDK::Instance()->m_pCPUInterface;
    CProcessor* pProcessor = pCPU ? pCPU->GetProcessor(0) : nullptr;
    CCPUThread* pThread = pProcessor ? pProcessor->GetFirstThread() : nullptr;
    if (!pThread) return false;
    processor.fMultiplier = pProcessor->GetCoreMultiplier(0);
    processor.nModel = pThread->m_nExtModel;  // extended model x 16 + model
    processor.nRevision = nK8Revision(pThread->m_nExtModel >> 4, pThread->m_nStepping);
    processor.fBusClock = pCPU->m_fBusClock;
    return true;
}

void vReadK8Memory(CNorthBridge& bridge, CMemoryInfo& info)
{
    K8Processor processor;
    if (!bFindK8Processor(processor)) return;
    if (processor.nModel >= REVISION_F_MODEL)
        vReadK8RevFMemory(bridge, info, processor);
    else
        vReadK8OldMemory(bridge, info, processor);
}

void vReadK8RevFMemory(CNorthBridge& bridge, CMemoryInfo& info, const K8Processor& processor)
{
    const uint32_t dwTiming = bridge.ReadConfig(DRAM_TIMING_LOW);
    const uint32_t dwConfigLow = bridge.ReadConfig(DRAM_CONFIG_LOW);
    const uint32_t dwConfigHigh = bridge.ReadConfig(DRAM_CONFIG_HIGH);
    info.m_nMemoryType = 7;
    info.m_fNominal = 400.0f;
    info.m_nChannels = (dwConfigLow & (1u << 11)) ? 2 : 1;
    const uint32_t nCAS = dwTiming & 15;
    if (nCAS < 8) info.m_fCAS = s_RevFCAS[nCAS];
    vRevFTiming(info, MEMORY_TIMING_RCD, (dwTiming >> 4) & 15);
    vRevFTiming(info, MEMORY_TIMING_RP, (dwTiming >> 8) & 15);
    info.m_nTiming[MEMORY_TIMING_RAS] = int32_t(((dwTiming >> 12) & 15) + 3);
    info.m_nTiming[MEMORY_TIMING_RC] = int32_t(((dwTiming >> 16) & 15) + 11);
    info.m_nTiming[MEMORY_TIMING_COMMAND_RATE] = (dwConfigHigh & (1u << 20)) ? 2 : 1;

    const int32_t nResult = nDivider(pFindFactor(s_RevFFactors, dwConfigHigh & 15), processor.fMultiplier);
    if (nResult) vSetDivider(info, nResult, processor);
}

void vReadK8OldMemory(CNorthBridge& bridge, CMemoryInfo& info, const K8Processor& processor)
{
    const uint32_t dwTiming = bridge.ReadConfig(DRAM_TIMING_LOW);
    if (dwTiming == 0) return;
    const uint32_t dwConfigLow = bridge.ReadConfig(DRAM_CONFIG_LOW);
    const uint32_t dwConfigHigh = bridge.ReadConfig(DRAM_CONFIG_HIGH);
    info.m_nMemoryType = 6;
    info.m_fNominal = 200.0f;
    info.m_nChannels = (dwConfigLow & (1u << 16)) ? 2 : 1;
    const float fCAS = s_OldCAS[dwTiming & 7];
    if (fCAS > 0.0f) info.m_fCAS = fCAS;
    vOldTiming(info, MEMORY_TIMING_RCD, (dwTiming >> 12) & 7);
    vOldTiming(info, MEMORY_TIMING_RP, (dwTiming >> 24) & 7);
    info.m_nTiming[MEMORY_TIMING_RAS] = int32_t((dwTiming >> 20) & 15);
    info.m_nTiming[MEMORY_TIMING_RC] = int32_t(((dwTiming >> 4) & 15) + 7);
    if (processor.nRevision >= 3)
        info.m_nTiming[MEMORY_TIMING_COMMAND_RATE] = (dwConfigLow & (1u << 28)) ? 2 : 1;
    info.m_bECCEnabled = (dwConfigLow & (1u << 17)) ? 1 : 0;
    if (info.m_bECCEnabled) std::snprintf(info.m_szECC, sizeof info.m_szECC, "%s", "ECC");

    int32_t nResult = nDivider(pFindFactor(s_OldFactors, (dwConfigHigh >> 20) & 15), processor.fMultiplier);
    if (!nResult) return;
    if (processor.nRevision >= 5 && (dwConfigHigh & (1u << 31)) && (nResult & 1)) ++nResult;
    vSetDivider(info, nResult, processor);
}

}  // namespace chipset
