// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/CPUThread.h"

#include <cstdio>
#include <cstring>

#include "cpu/CPUInfos.h"
#include "cpu/CPUInterface.h"
#include "cpu/FIDVIDControl.h"
#include "cpu/MSRRegister.h"
#include "cpu/ProcessorCounters.h"
#include "kit/ACPIInterface.h"
#include "kit/ACPITimer.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "kit/SystemTimers.h"
#include "platform/Processors.h"

namespace {

constexpr uint32_t LEAF_VENDOR = 0;
constexpr uint32_t LEAF_FEATURES = 1;
constexpr uint32_t LEAF_EXTENDED = 0x80000000;
constexpr uint32_t LEAF_EXTENDED_FEATURES = 0x80000001;
constexpr uint32_t LEAF_BRAND_FIRST = 0x80000002;
constexpr uint32_t LEAF_BRAND_LAST = 0x80000004;

constexpr uint32_t MSR_APIC_BASE = 0x1B;
constexpr uint32_t APIC_BASE_ENABLED = 1u << 11;
constexpr uint32_t APIC_SPACE_BYTES = 4096;
constexpr uint32_t APIC_REGISTER_ID = 0x20;

constexpr uint32_t INFOS_LEVELS = 3;

uint32_t dwBits(uint32_t dwValue, unsigned nFirst, unsigned nLast)
{
    const unsigned nCount = nLast - nFirst + 1;
    const uint32_t dwMask = nCount >= 32 ? 0xFFFFFFFFu : (1u << nCount) - 1;
    return (dwValue >> nFirst) & dwMask;
}

uint8_t bBit(uint32_t dwValue, unsigned nBit) { return uint8_t((dwValue >> nBit) & 1); }

// The timer the counters are calibrated against: the PM timer when the thread may use it,
// else the CPU interface's performance timer (or, for a thread outside an interface, any
// performance timer the kit holds).
CTimer* pReferenceTimer(uint32_t dwFlags)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    if ((dwFlags & CPU_FLAG_PM_TIMER) && pKit->m_pACPIInterface && pKit->m_pACPIInterface->m_pTimer)
        return pKit->m_pACPIInterface->m_pTimer;
    if (pKit->m_pCPUInterface && pKit->m_pCPUInterface->m_pPerfTimer) return pKit->m_pCPUInterface->m_pPerfTimer;
    return pKit->m_pTimerList->Find(
        [](CTimer* pTimer) { return dynamic_cast<CWin32PerformanceTimer*>(pTimer) != nullptr; });
}

// A counter's rate in MHz against the reference; -1 when it cannot be measured.
float fCounterClock(CTimer* pCounter, uint32_t dwFlags)
{
    if (!pCounter) return -1.0f;
    CTimer* pReference = pReferenceTimer(dwFlags);
    if (!pReference || !pCounter->Calibrate(pReference)) return -1.0f;
    return pCounter->m_dFrequency > 0.0 ? float(pCounter->m_dFrequency / 1000000.0) : -1.0f;
}

}  // namespace

CCPUThread::CCPUThread(uint32_t nIndex, uint32_t nAPICID)
    : m_pMSRList(new CTList<MSR_Register>), m_nAPICID(nAPICID), m_nIndex(nIndex),
      m_pCacheList(new CTList<CCacheDescriptor>)
{
    std::snprintf(m_szName, sizeof m_szName, "%s", "Unknown Processor");
}

CCPUThread::~CCPUThread()
{
    // The family objects go before the vendor object that created them.
    for (uint32_t n = INFOS_LEVELS; n-- > 0;) {
        delete m_pInfos[n];
        m_pInfos[n] = nullptr;
    }
    m_pMSRList->DeleteAll();
    delete m_pMSRList;
    m_pCacheList->DeleteAll();
    delete m_pCacheList;
}

void CCPUThread::Collect()
{
    platform::IProcessors& processors = platform::Processors();
    const platform::CpuidRegs vendor = processors.Cpuid(LEAF_VENDOR, 0);
    // A processor without CPUID answers nothing at all: it keeps its defaults.
    if (vendor.eax == 0 && vendor.ebx == 0 && vendor.ecx == 0 && vendor.edx == 0) return;

    ORVEXSDK* pKit = ORVEXSDK::Instance();
    m_pTSCCounter = new CTSCCounter;
    pKit->AddTimer(m_pTSCCounter);

    m_nMaxLeaf = vendor.eax;
    std::memcpy(m_szVendor, &vendor.ebx, 4);
    std::memcpy(m_szVendor + 4, &vendor.edx, 4);
    std::memcpy(m_szVendor + 8, &vendor.ecx, 4);
    m_szVendor[12] = '\0';

    if (m_nMaxLeaf >= LEAF_FEATURES) {
        const platform::CpuidRegs features = processors.Cpuid(LEAF_FEATURES, 0);
        m_nStepping = dwBits(features.eax, 0, 3);
        m_nModel = dwBits(features.eax, 4, 7);
        m_nFamily = dwBits(features.eax, 8, 11);
        m_nExtModel = m_nModel + 16 * dwBits(features.eax, 16, 19);
        m_nExtFamily = m_nFamily + dwBits(features.eax, 20, 27);
        m_dwSignature = features.eax & 0xFFF;
        m_nBrandID = dwBits(features.ebx, 0, 7);
        m_nAPICID = dwBits(features.ebx, 24, 31);
        if (bBit(features.edx, 28)) {
            const uint32_t nLogical = dwBits(features.ebx, 16, 23);
            m_nLogicalPerPackage = nLogical ? nLogical : 1;
        }
        m_bAPIC = bBit(features.edx, 9);
        m_bMMX = bBit(features.edx, 23);
        m_bSSE = bBit(features.edx, 25);
        m_bSSE2 = bBit(features.edx, 26);
        m_bSSE3 = bBit(features.ecx, 0);
        m_bSSSE3 = bBit(features.ecx, 9);
    }

    // Processors without extended leaves answer leaf 0x80000000 with basic-leaf data.
    const uint32_t nMaxExtLeaf = processors.Cpuid(LEAF_EXTENDED, 0).eax;
    m_nMaxExtLeaf = (nMaxExtLeaf & LEAF_EXTENDED) ? nMaxExtLeaf : 0;
    if (m_nMaxExtLeaf >= LEAF_EXTENDED_FEATURES) {
        const platform::CpuidRegs extended = processors.Cpuid(LEAF_EXTENDED_FEATURES, 0);
        m_bExtMMX = bBit(extended.edx, 22);
        m_bX86_64 = bBit(extended.edx, 29);
        m_bExt3DNow = bBit(extended.edx, 30);
        m_b3DNow = bBit(extended.edx, 31);
    }
    if (m_nMaxExtLeaf >= LEAF_BRAND_LAST) {
        char szBrand[49] = {};
        for (uint32_t nLeaf = LEAF_BRAND_FIRST; nLeaf <= LEAF_BRAND_LAST; ++nLeaf) {
            const platform::CpuidRegs regs = processors.Cpuid(nLeaf, 0);
            const uint32_t adw[4] = {regs.eax, regs.ebx, regs.ecx, regs.edx};
            std::memcpy(szBrand + 16 * (nLeaf - LEAF_BRAND_FIRST), adw, 16);
        }
        const char* pszStart = szBrand;
        while (*pszStart == ' ') ++pszStart;
        std::snprintf(m_szBrand, sizeof m_szBrand, "%s", pszStart);
    }

    if (m_bAPIC) {
        MSR_Register* pBase = GetMSR(MSR_APIC_BASE);
        // A base above 4 GiB cannot be reached through a 32-bit memory space: cutting it
        // down would read whatever lies at the truncated address.
        if (pBase && (pBase->m_dwLow & APIC_BASE_ENABLED) && pBase->m_dwHigh == 0) {
            m_pAPICSpace = new CMemoryIOSpace(pBase->m_dwLow & ~0xFFFu, APIC_SPACE_BYTES);
            pKit->AddIOSpace(m_pAPICSpace);
            m_pAPICSpace->ReadDword(APIC_REGISTER_ID);
        }
    }

    if (pKit->m_pACPIInterface && pKit->m_pACPIInterface->m_pTimer) m_dwFlags |= CPU_FLAG_PM_TIMER;

    vAttachVendorInfos(*this);
}

void CCPUThread::Attach(CCPUInfos* pInfos, uint32_t nLevel)
{
    if (!pInfos) return;
    if (pInfos->m_nLevel != nLevel || nLevel < 1 || nLevel > INFOS_LEVELS) {
        delete pInfos;  // ownership was handed over
        return;
    }
    m_dwCode = pInfos->m_dwCode;
    delete m_pInfos[nLevel - 1];
    m_pInfos[nLevel - 1] = pInfos;
    pInfos->Identify(*this);
    pInfos->Measure(*this);
    pInfos->Classify(*this);
}

MSR_Register* CCPUThread::GetMSR(uint32_t dwIndex)
{
    MSR_Register* pRegister = m_pMSRList->Find([dwIndex](MSR_Register* p) { return p->m_dwIndex == dwIndex; });
    if (pRegister) {
        // A listed register stays listed even when it cannot be read again: counters and
        // family objects keep pointers to it.
        return pRegister->Read() ? pRegister : nullptr;
    }
    pRegister = new MSR_Register(dwIndex);
    if (!pRegister->Read()) {
        delete pRegister;
        return nullptr;
    }
    m_pMSRList->Append(pRegister);
    return pRegister;
}

float CCPUThread::GetMultiplier()
{
    for (uint32_t n = INFOS_LEVELS; n > 1; --n) {
        if (!m_pInfos[n - 1]) continue;
        const float fMultiplier = m_pInfos[n - 1]->GetMultiplier(*this);
        if (fMultiplier > 0.0f) return fMultiplier;
    }
    return m_pInfos[0] ? m_pInfos[0]->GetMultiplier(*this) : -1.0f;
}

float CCPUThread::GetTSCClock() { return fCounterClock(m_pTSCCounter, m_dwFlags); }

float CCPUThread::GetPRFClock() { return fCounterClock(m_pPRFCounter, m_dwFlags); }

void CCPUThread::Dump()
{
    PFN_TRACE pTrace = ORVEXSDK::Instance()->m_pTrace;
    if (!pTrace) return;
    FIDVID_Control* pControl = nullptr;
    for (uint32_t n = INFOS_LEVELS; n-- > 0 && !pControl;)
        if (m_pInfos[n]) pControl = m_pInfos[n]->m_pControl;
    pTrace("FID/VID Control\t\t%s\n", pControl ? "yes" : "no");
    if (pControl) {
        const float fMinMultiplier = pControl->GetMinMultiplier(), fMaxMultiplier = pControl->GetMaxMultiplier();
        if (fMinMultiplier > 0.0f && fMaxMultiplier > 0.0f)
            pTrace("FID range\t\t%.1fx - %.1fx\n", double(fMinMultiplier), double(fMaxMultiplier));
        else if (fMinMultiplier > 0.0f)
            pTrace("min FID\t\t\t%.1fx\n", double(fMinMultiplier));
        else if (fMaxMultiplier > 0.0f)
            pTrace("max FID\t\t\t%.1fx\n", double(fMaxMultiplier));
        const float fMinVoltage = pControl->GetMinVoltage(), fMaxVoltage = pControl->GetMaxVoltage();
        if (fMinVoltage > 0.0f && fMaxVoltage > 0.0f)
            pTrace("VID range\t\t%.3fV - %.3fV\n", double(fMinVoltage), double(fMaxVoltage));
        else if (fMinVoltage > 0.0f)
            pTrace("min VID\t\t\t%.3fV\n", double(fMinVoltage));
        else if (fMaxVoltage > 0.0f)
            pTrace("max VID\t\t\t%.3fV\n", double(fMaxVoltage));
    }
    for (uint32_t n = 0; n < INFOS_LEVELS; ++n)
        if (m_pInfos[n]) m_pInfos[n]->Dump();
}
