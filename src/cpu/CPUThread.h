// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One logical processor: its identification (CPUID), the objects that describe its vendor and
// family, its caches, the MSRs read so far and its clock counters.
#include <cstdint>

#include "kit/TList.h"

class CCPUInfos;
class CMemoryIOSpace;
class CTSCCounter;
class CPRFCounter;
class MSR_Register;

// Cache types as CPUID leaf 4 numbers them.
enum : int32_t {
    CACHE_TYPE_DATA = 1,
    CACHE_TYPE_INSTRUCTION = 2,
    CACHE_TYPE_UNIFIED = 3,
};

class CCacheDescriptor {
public:
    int32_t m_nLevel = -1;
    int32_t m_nType = -1;
    int32_t m_nSize = -1;        // KB
    int32_t m_nSharing = 1;      // logical processors sharing it
    int32_t m_nLineSize = -1;
    int32_t m_nWays = -1;
    int32_t m_nSets = -1;
    int32_t m_nDescriptor = -1;  // the leaf-2 descriptor byte it came from
};

// Bits of m_dwFlags.
enum : uint32_t {
    CPU_FLAG_CONSTANT_TSC = 1,  // the time-stamp counter does not follow the current multiplier
    CPU_FLAG_PM_TIMER = 2,      // the kit has an ACPI PM timer to calibrate against
};

class CCPUThread {
public:
    CCPUThread(uint32_t nIndex, uint32_t nAPICID);
    ~CCPUThread();
    CCPUThread(const CCPUThread&) = delete;
    CCPUThread& operator=(const CCPUThread&) = delete;

    // Reads the identification; the calling thread is pinned to this processor.
    void Collect();
    // Attaches an object of the given level (ignored when the level differs), destroying the
    // previous one of that level, then Identify, Measure, Classify. Takes ownership.
    void Attach(CCPUInfos* pInfos, uint32_t nLevel);
    // The thread's register of that index, read again; a new one is created and kept when it
    // reads; null when the read fails.
    MSR_Register* GetMSR(uint32_t dwIndex);
    float GetMultiplier();
    // Counter clocks in MHz against the PM timer (when the kit has one) or the performance
    // timer; -1 when unknown.
    float GetTSCClock();
    float GetPRFClock();
    // "FID/VID Control" lines and each attached object's Dump.
    void Dump();

    CCPUInfos* m_pInfos[3] = {nullptr, nullptr, nullptr};
    CMemoryIOSpace* m_pAPICSpace = nullptr;  // registered in (and owned by) the kit's I/O space list
    CTList<MSR_Register>* m_pMSRList;
    uint32_t m_nAPICID;
    uint32_t m_nIndex;
    uint32_t m_nPackageID = 0;
    uint32_t m_nCoreID = 0;
    uint32_t m_nSMTID = 0;
    CTList<CCacheDescriptor>* m_pCacheList;
    uint32_t m_nLogicalPerPackage = 1;
    uint32_t m_nCoresPerPackage = 1;
    char m_szVendor[13] = {};
    char m_szName[128];
    char m_szBrand[128] = {};
    char m_szCodeName[128] = {};
    char m_szTechnology[128] = {};  // process size and similar, set by the family objects
    uint32_t m_dwCode = 0;
    uint32_t m_nMaxLeaf = 0;
    uint32_t m_nMaxExtLeaf = 0;
    // Identification.
    uint32_t m_nBrandID = 0;
    uint32_t m_dwPackageType = 0;  // package type code (names in CProcessor::GetPackageName)
    uint32_t m_nFamily = 0;
    uint32_t m_nModel = 0;
    uint32_t m_nStepping = 0;
    uint32_t m_nExtFamily = 0;
    uint32_t m_nExtModel = 0;
    uint32_t m_dwSignature = 0;
    uint32_t m_bAPIC = 0;
    uint32_t m_bEnhancedSpeedStep = 0;    // leaf 1 ECX bit 7, seen by the Intel object
    uint32_t m_bThermalSensor = 0;        // leaf 6 EAX bit 0
    uint32_t m_nProcessSize = 0;          // nm, 0 when unknown
    int32_t m_nBusTransfers = -1;
    uint32_t m_dwMicrocode = 0xFFFFFFFF;
    uint32_t m_dwFlags = 0;
    // Feature flags.
    uint8_t m_bMMX = 0, m_bExtMMX = 0, m_b3DNow = 0, m_bExt3DNow = 0;
    uint8_t m_bSSE = 0, m_bSSE2 = 0, m_bSSE3 = 0, m_bSSSE3 = 0, m_bX86_64 = 0;
    CTSCCounter* m_pTSCCounter = nullptr;  // registered in (and owned by) the kit's timer list
    CPRFCounter* m_pPRFCounter = nullptr;  // likewise; created by the Core 2 family object
};
