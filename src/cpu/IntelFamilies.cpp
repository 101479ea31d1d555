// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/IntelFamilies.h"

#include <iterator>

#include "cpu/CPUThread.h"
#include "cpu/CacheDescriptors.h"
#include "cpu/FIDVIDControls.h"
#include "cpu/FamilyTools.h"
#include "cpu/ProcessorCounters.h"
#include "kit/ORVEXSDK.h"

using cpufamily::bReadMSRBits;
using cpufamily::fLookUp;

namespace {

constexpr uint32_t MSR_EBL_CR_POWERON = 0x2A;
constexpr uint32_t MSR_EBC_FREQUENCY_ID = 0x2C;
constexpr uint32_t MSR_APERF = 0xE8;

// Front-side bus transfers per bus clock.
constexpr int32_t SINGLE_PUMPED = 1;
constexpr int32_t QUAD_PUMPED = 4;

// P6 ratio codes (MSR 0x2A bits 22..25) to multipliers, one table per group of models.
constexpr float s_afRatioA[16] = {5.0f, 3.0f, 4.0f, 2.0f, 5.5f, 3.5f, 4.5f, 2.5f,
                                  3.5f, 7.0f, 8.0f, 6.0f, 2.0f, 7.5f, 1.5f, 6.5f};
constexpr float s_afRatioB[16] = {5.0f, 3.0f, 4.0f, 5.0f, 5.5f, 3.5f, 4.5f, 5.5f,
                                  6.0f, 7.0f, 8.0f, 6.0f, 6.5f, 7.5f, 1.5f, 6.5f};
constexpr float s_afRatioC[16] = {9.0f, 11.0f, 12.0f, 2.0f, 9.5f, 11.5f, 8.5f, 2.5f,
                                  3.5f, 7.0f,  8.0f,  10.0f, 2.0f, 7.5f, 1.5f, 10.5f};
constexpr float s_afRatioD[16] = {12.0f, 3.5f, 3.5f, 4.0f, 5.5f, 3.5f, 11.5f, 3.5f,
                                  16.0f, 7.0f, 8.0f, 6.0f, 4.0f, 7.5f, 3.5f,  6.5f};
constexpr float s_afRatioE[16] = {9.0f, 11.0f, 12.0f, 3.5f,  9.5f, 3.5f, 8.5f,  3.5f,
                                  3.5f, 3.5f,  13.0f, 10.0f, 14.0f, 3.5f, 15.0f, 10.5f};

// Which table a P6 model uses, by the selector bit 27 of MSR 0x2A. Models without a row
// (9, and everything above 12) have no readable ratio.
struct P6_RATIO_ROW {
    uint32_t nModelFirst, nModelLast;
    uint32_t nSteppingFirst, nSteppingLast;
    const float* pfSelectorClear;
    const float* pfSelectorSet;
};

constexpr P6_RATIO_ROW s_P6Ratios[] = {
    {0, 3, 0, 0xFF, s_afRatioA, s_afRatioA},
    {4, 7, 0, 0xFF, s_afRatioB, s_afRatioB},
    {8, 8, 0, 1, s_afRatioB, s_afRatioB},
    {8, 8, 2, 0xFF, s_afRatioA, s_afRatioC},
    {10, 10, 0, 0xFF, s_afRatioA, s_afRatioC},
    {11, 12, 0, 0xFF, s_afRatioD, s_afRatioE},
};

// Netburst before extended model 2: ratio codes of MSR 0x2A bits 8..11.
constexpr float s_afNetburstRatios[16] = {16.0f, 17.0f, 18.0f, 19.0f, 20.0f, 21.0f, 22.0f, 23.0f,
                                          8.0f,  9.0f,  10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f};

// Processors with Enhanced SpeedStep get their FID/VID reader, read once at once.
template <typename TControl>
void vCreateSpeedStepControl(CCPUInfos& infos, const CCPUThread& thread)
{
    if (!thread.m_bEnhancedSpeedStep) return;
    delete infos.m_pControl;
    infos.m_pControl = new TControl;
    infos.m_pControl->ReadStatus();
}

// The multiplier bits 22..26 of MSR 0x2A (the bus ratio the processor started with); -1
// when the register cannot be read.
float fPowerOnRatio(CCPUThread& thread)
{
    uint32_t dwRatio = 0;
    return bReadMSRBits(thread, MSR_EBL_CR_POWERON, 22, 26, dwRatio) ? float(dwRatio) : -1.0f;
}

}  // namespace

// Pentium, Pentium MMX.

void Intel_P5_Infos::Identify(CCPUThread& thread) { thread.m_nBusTransfers = SINGLE_PUMPED; }

void Intel_P5_Infos::Classify(CCPUThread& thread) { bNameIntelP5(thread); }

void Intel_P5_Infos::Dump() { cpufamily::vDumpFamily("Intel P5", m_pControl); }

// Pentium Pro, Pentium II, Pentium III, their Celerons and Xeons.

void Intel_P6_Infos::Identify(CCPUThread& thread)
{
    thread.m_nBusTransfers = SINGLE_PUMPED;
    vReadLeaf2Caches(thread);
}

void Intel_P6_Infos::Classify(CCPUThread& thread) { bNameIntelP6(thread); }

float Intel_P6_Infos::GetMultiplier(CCPUThread& thread)
{
    const P6_RATIO_ROW* pRow = nullptr;
    for (const P6_RATIO_ROW& row : s_P6Ratios) {
        if (thread.m_nExtModel >= row.nModelFirst && thread.m_nExtModel <= row.nModelLast &&
            thread.m_nStepping >= row.nSteppingFirst && thread.m_nStepping <= row.nSteppingLast) {
            pRow = &row;
            break;
        }
    }
    uint32_t dwCode = 0, dwSelector = 0;
    if (!pRow || !bReadMSRBits(thread, MSR_EBL_CR_POWERON, 22, 25, dwCode) ||
        !bReadMSRBits(thread, MSR_EBL_CR_POWERON, 27, 27, dwSelector))
        return -1.0f;
    return fLookUp(dwSelector ? pRow->pfSelectorSet : pRow->pfSelectorClear, 16, dwCode);
}

void Intel_P6_Infos::Dump() { cpufamily::vDumpFamily("Intel P6", m_pControl); }

// Pentium 4, Pentium D, Celeron (D), Xeon of the Netburst architecture.

void Intel_Netburst_Infos::Identify(CCPUThread& thread)
{
    thread.m_nBusTransfers = QUAD_PUMPED;
    // From Prescott on the time-stamp counter runs at the highest multiplier, whatever the
    // current one.
    if (thread.m_nExtModel >= 3) thread.m_dwFlags |= CPU_FLAG_CONSTANT_TSC;
    vReadLeaf2Caches(thread);
    vCreateSpeedStepControl<Netburst_FIDVID_Control>(*this, thread);
}

void Intel_Netburst_Infos::Classify(CCPUThread& thread) { bNameIntelNetburst(thread); }

float Intel_Netburst_Infos::GetMultiplier(CCPUThread& thread)
{
    uint32_t dwRatio = 0;
    if (thread.m_nExtModel >= 2)
        return bReadMSRBits(thread, MSR_EBC_FREQUENCY_ID, 24, 31, dwRatio) ? float(dwRatio) : -1.0f;
    if (!bReadMSRBits(thread, MSR_EBL_CR_POWERON, 8, 11, dwRatio)) return -1.0f;
    return fLookUp(s_afNetburstRatios, std::size(s_afNetburstRatios), dwRatio);
}

void Intel_Netburst_Infos::Dump() { cpufamily::vDumpFamily("Intel Netburst", m_pControl); }

// Pentium M and Celeron M.

void Intel_Mobile_Infos::Identify(CCPUThread& thread)
{
    thread.m_nBusTransfers = QUAD_PUMPED;
    vCreateSpeedStepControl<Mobile_FIDVID_Control>(*this, thread);
}

void Intel_Mobile_Infos::Classify(CCPUThread& thread) { bNameIntelMobile(thread); }

float Intel_Mobile_Infos::GetMultiplier(CCPUThread& thread)
{
    if (m_pControl && m_pControl->ReadStatus()) return m_pControl->GetCurrentMultiplier();
    return fPowerOnRatio(thread);
}

void Intel_Mobile_Infos::Dump() { cpufamily::vDumpFamily("Intel Mobile", m_pControl); }

// Core Solo and Core Duo.

void Intel_Core_Infos::Identify(CCPUThread& thread)
{
    thread.m_nBusTransfers = QUAD_PUMPED;
    thread.m_dwFlags |= CPU_FLAG_CONSTANT_TSC;
    vCreateSpeedStepControl<Core_FIDVID_Control>(*this, thread);
}

void Intel_Core_Infos::Classify(CCPUThread& thread) { bNameIntelCore(thread); }

float Intel_Core_Infos::GetMultiplier(CCPUThread&)
{
    if (m_pControl && m_pControl->ReadStatus()) return m_pControl->GetCurrentMultiplier();
    return -1.0f;
}

void Intel_Core_Infos::Dump() { cpufamily::vDumpFamily("Intel Core", m_pControl); }

// Core 2 and the processors built on it.

void Intel_Core_2_Infos::Identify(CCPUThread& thread)
{
    thread.m_nBusTransfers = QUAD_PUMPED;
    thread.m_dwFlags |= CPU_FLAG_CONSTANT_TSC;
    vCreateSpeedStepControl<Core_FIDVID_Control>(*this, thread);
    // The actual-performance counter counts at the current core clock, so the core clock
    // can be measured even though the time-stamp counter does not follow the multiplier.
    if (!thread.m_pPRFCounter) {
        if (MSR_Register* pAPERF = thread.GetMSR(MSR_APERF)) {
            thread.m_pPRFCounter = new CPRFCounter(pAPERF);
            ORVEXSDK::Instance()->AddTimer(thread.m_pPRFCounter);
        }
    }
}

void Intel_Core_2_Infos::Classify(CCPUThread& thread) { bNameIntelCore2(thread); }

float Intel_Core_2_Infos::GetMultiplier(CCPUThread& thread)
{
    if (m_pControl && m_pControl->ReadStatus()) {
        const float fMultiplier = m_pControl->GetCurrentMultiplier();
        if (fMultiplier > 0.0f) return fMultiplier;
    }
    return fPowerOnRatio(thread);
}

void Intel_Core_2_Infos::Dump() { cpufamily::vDumpFamily("Intel Core 2", m_pControl); }
