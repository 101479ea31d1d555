// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The processors of the machine: every logical processor with its identification, grouped
// into packages and cores, and the two clocks measured from them: the bus (FSB) clock and each
// core's clock with its current multiplier.
#include <cstdint>

#include "kit/Interface.h"
#include "kit/TList.h"

class CCPUThread;
class CCacheDescriptor;
class CWin32PerformanceTimer;
class CWin32SystemTimer;

class CCPUCore {
public:
    CCPUCore();
    ~CCPUCore();
    CCPUCore(const CCPUCore&) = delete;
    CCPUCore& operator=(const CCPUCore&) = delete;

    int32_t m_nCoreID = -1;
    uint32_t m_dwReserved = 0;
    CTList<CCPUThread>* m_pThreadList;  // the list is owned, its threads are not
    float m_fClock = -1.0f;             // MHz
    float m_fMultiplier = -1.0f;
    int32_t m_nReserved = -1;
};

class CProcessor : public CDevice {
public:
    CProcessor(uint32_t nIndex, uint32_t nPackageID);
    ~CProcessor() override;
    CProcessor(const CProcessor&) = delete;
    CProcessor& operator=(const CProcessor&) = delete;

    void Dump() override;

    CCPUCore* GetCore(uint32_t nCoreID);
    float GetCoreClock(uint32_t nCoreID);       // -1 without such core
    float GetCoreMultiplier(uint32_t nCoreID);  // -1 without such core
    CCacheDescriptor* GetCache(int32_t nLevel, int32_t nType);
    uint32_t GetCode();                         // the first thread's code; 0xFFFFFFFF without thread
    bool HasCode(uint32_t dwMask) { return (GetCode() & dwMask) == dwMask; }
    // The bus speed as rated (bus clock × transfers per clock), -1 when unknown.
    float GetRatedBusClock();
    const char* GetPackageName();
    CCPUThread* GetFirstThread();

    uint32_t m_nIndex;
    uint32_t m_nPackageID = 0xFFFFFFFF;
    uint32_t m_dwReserved1 = 1;
    uint32_t m_dwReserved2 = 1;
    CTList<CCPUCore>* m_pCoreList;               // not owning: the interface owns the cores
    CTList<CCPUThread>* m_pThreadList;           // not owning
    CTList<CCacheDescriptor>* m_pCacheList;      // not owning: the threads own the descriptors
    CCPUThread* m_pFirstThread = nullptr;
    char m_szPackage[128] = {};
};

class CCPUInterface : public CInterface {
public:
    CCPUInterface();
    ~CCPUInterface() override;
    CCPUInterface(const CCPUInterface&) = delete;
    CCPUInterface& operator=(const CCPUInterface&) = delete;

    uint32_t Init() override;
    void Close() override {}
    // Measures the bus clock again and every core's multiplier and clock.
    void UpdateClocks();
    CProcessor* GetProcessor(uint32_t nIndex);
    CProcessor* GetProcessorByPackage(uint32_t nPackageID);

    uint32_t m_nPackages = 0;
    uint32_t m_nLogical = 0;
    CTList<CDevice>* m_pProcessorList;   // the kit's device list owns the processors
    CTList<CCPUCore>* m_pCoreList;       // owned
    CTList<CCPUThread>* m_pThreadList;   // owned, in processor-index order
    CWin32PerformanceTimer* m_pPerfTimer = nullptr;  // the kit's timer list owns the timers
    CWin32SystemTimer* m_pSystemTimer = nullptr;
    uint8_t* m_pPowerNowTable = nullptr;             // 24 bytes, owned
    uint32_t m_dwPowerNowAddress = 0xFFFFFFFF;
    float m_fAPICBusClock = -1.0f;  // MHz
    float m_fBusClock = -1.0f;      // MHz
};
