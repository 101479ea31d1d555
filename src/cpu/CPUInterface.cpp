// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/CPUInterface.h"

#include <cstring>
#include <vector>

#include "cpu/CPUInfos.h"
#include "cpu/CPUThread.h"
#include "cpu/CPUTopology.h"
#include "kit/ACPIInterface.h"
#include "kit/ACPITimer.h"
#include "kit/DeviceDriver.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "kit/SystemTimers.h"
#include "platform/Clock.h"
#include "platform/Processors.h"

namespace {

constexpr uint32_t PIN_SETTLE_MS = 50;

// The AMD K7 PowerNow! table lies on a 16-byte boundary of the BIOS area.
constexpr char POWERNOW_SIGNATURE[] = "AMDK7PNOW!";
constexpr uint32_t POWERNOW_SIGNATURE_BYTES = 10;
constexpr uint32_t POWERNOW_FIRST = 0xFFFE0;
constexpr uint32_t POWERNOW_LAST = 0xC0000;
constexpr uint32_t POWERNOW_STEP = 16;
constexpr uint32_t POWERNOW_READ_BYTES = 32;
constexpr uint32_t POWERNOW_KEPT_BYTES = 24;

template <typename T>
void vDestroyOwnedList(CTList<T>*& pList)
{
    pList->DeleteAll();
    delete pList;
    pList = nullptr;
}

CCPUThread* pFirstOf(CTList<CCPUThread>* pList) { return pList->m_pHead ? pList->m_pHead->m_pObject : nullptr; }

// Packages in the order their first thread comes, cores within them, and each package's caches.
void vBuildPackages(CCPUInterface& cpu)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    for (CTListItem<CCPUThread>* p = cpu.m_pThreadList->m_pHead; p && p->m_pObject; p = p->m_pNext) {
        if (cpu.GetProcessorByPackage(p->m_pObject->m_nPackageID)) continue;
        CProcessor* pProcessor = new CProcessor(cpu.m_nPackages, p->m_pObject->m_nPackageID);
        cpu.m_pProcessorList->Append(pProcessor);
        pKit->AddDevice(pProcessor);
        ++cpu.m_nPackages;
    }

    for (CTListItem<CCPUThread>* p = cpu.m_pThreadList->m_pHead; p && p->m_pObject; p = p->m_pNext) {
        CCPUThread* pThread = p->m_pObject;
        CProcessor* pProcessor = cpu.GetProcessorByPackage(pThread->m_nPackageID);
        CCPUCore* pCore = pProcessor->GetCore(pThread->m_nCoreID);
        if (!pCore) {
            pCore = new CCPUCore;
            pCore->m_nCoreID = int32_t(pThread->m_nCoreID);
            pProcessor->m_pCoreList->Append(pCore);
            cpu.m_pCoreList->Append(pCore);
        }
        pCore->m_pThreadList->Append(pThread);
        pProcessor->m_pThreadList->Append(pThread);
    }

    // Each cache appears once per instance in the package: a cache shared by every logical
    // processor once, a per-core cache once per core. A cache that claims more sharers than
    // the package has logical processors still exists once.
    for (CTListItem<CDevice>* p = cpu.m_pProcessorList->m_pHead; p && p->m_pObject; p = p->m_pNext) {
        CProcessor* pProcessor = static_cast<CProcessor*>(p->m_pObject);
        CCPUThread* pThread = pProcessor->GetFirstThread();
        if (!pThread) continue;
        for (CTListItem<CCacheDescriptor>* c = pThread->m_pCacheList->m_pHead; c && c->m_pObject; c = c->m_pNext) {
            const uint32_t nSharing = c->m_pObject->m_nSharing > 0 ? uint32_t(c->m_pObject->m_nSharing) : 1;
            uint32_t nInstances = pThread->m_nLogicalPerPackage / nSharing;
            if (nInstances == 0) nInstances = 1;
            for (uint32_t n = 0; n < nInstances; ++n) pProcessor->m_pCacheList->Append(c->m_pObject);
        }
    }
}

void vSearchPowerNowTable(CCPUInterface& cpu)
{
    CProcessor* pFirst = cpu.GetProcessor(0);
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    if (!pFirst || !pDriver || (pFirst->GetCode() & CPU_CODE_VENDOR_MASK) != CPU_CODE_AMD) return;
    for (uint32_t dwAddress = POWERNOW_FIRST; dwAddress >= POWERNOW_LAST; dwAddress -= POWERNOW_STEP) {
        uint8_t abProbe[16];
        if (!pDriver->bReadPhysicalMemory(dwAddress, sizeof abProbe, abProbe)) continue;
        if (std::memcmp(abProbe, POWERNOW_SIGNATURE, POWERNOW_SIGNATURE_BYTES) != 0) continue;
        uint8_t abTable[POWERNOW_READ_BYTES];
        // A table that cannot be read whole is no table: the search goes on below it.
        if (!pDriver->bReadPhysicalMemory(dwAddress, sizeof abTable, abTable)) continue;
        cpu.m_pPowerNowTable = new uint8_t[POWERNOW_KEPT_BYTES];
        std::memcpy(cpu.m_pPowerNowTable, abTable, POWERNOW_KEPT_BYTES);
        cpu.m_dwPowerNowAddress = dwAddress;
        return;
    }
}

void vPinTo(const CCPUInterface& cpu, const CCPUThread& thread)
{
    // With one processor there is nothing to choose: the affinity stays as it is.
    if (cpu.m_nLogical >= 2) platform::Processors().bSetThreadAffinity({thread.m_nIndex});
}

}  // namespace

CCPUInterface::CCPUInterface()
    : CInterface(INTERFACE_CPU), m_pProcessorList(new CTList<CDevice>), m_pCoreList(new CTList<CCPUCore>),
      m_pThreadList(new CTList<CCPUThread>)
{
}

CCPUInterface::~CCPUInterface()
{
    delete m_pProcessorList;  // the kit's device list destroys the processors
    vDestroyOwnedList(m_pCoreList);
    vDestroyOwnedList(m_pThreadList);
    delete[] m_pPowerNowTable;
}

uint32_t CCPUInterface::Init()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    platform::IProcessors& processors = platform::Processors();

    m_pPerfTimer = new CWin32PerformanceTimer;
    pKit->AddTimer(m_pPerfTimer);
    m_pSystemTimer = new CWin32SystemTimer;
    pKit->AddTimer(m_pSystemTimer);
    if (pKit->m_pACPIInterface && pKit->m_pACPIInterface->m_pTimer)
        pKit->m_pACPIInterface->m_pTimer->Calibrate(m_pSystemTimer);

    m_nLogical = processors.nCount();
    const std::vector<unsigned> savedAffinity = processors.GetThreadAffinity();

    if (m_nLogical < 2) {
        CCPUThread* pThread = new CCPUThread(0, 0);
        pThread->Collect();
        m_pThreadList->Append(pThread);
    } else {
        for (uint32_t i = 0; i < m_nLogical; ++i) {
            CCPUThread* pThread = new CCPUThread(i, i);
            if (processors.bSetThreadAffinity({i})) {
                platform::Sleep(PIN_SETTLE_MS);
                pThread->Collect();
            }
            m_pThreadList->Append(pThread);
        }
    }

    for (CTListItem<CCPUThread>* p = m_pThreadList->m_pHead; p && p->m_pObject; p = p->m_pNext) {
        CCPUThread* pThread = p->m_pObject;
        const CAPICIDParts parts =
            DecomposeAPICID(pThread->m_nAPICID, pThread->m_nLogicalPerPackage, pThread->m_nCoresPerPackage);
        pThread->m_nPackageID = parts.m_nPackageID;
        pThread->m_nCoreID = parts.m_nCoreID;
        pThread->m_nSMTID = parts.m_nSMTID;
    }

    if (m_nLogical >= 2 && !savedAffinity.empty()) processors.bSetThreadAffinity(savedAffinity);

    vBuildPackages(*this);
    vSearchPowerNowTable(*this);
    UpdateClocks();
    return 1;
}

void CCPUInterface::UpdateClocks()
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    CACPITimer* pPMTimer = pKit->m_pACPIInterface ? pKit->m_pACPIInterface->m_pTimer : nullptr;
    CCPUThread* pFirst = pFirstOf(m_pThreadList);

    m_fAPICBusClock = -1.0f;
    if (pPMTimer && pFirst && pFirst->m_pAPICSpace && pKit->m_pDriver) {
        const float fClock = pKit->m_pDriver->fMeasureAPICClock(pPMTimer->m_dFrequency, pPMTimer->wPort(),
                                                                pFirst->m_pAPICSpace->m_dwBase);
        if (fClock > 0.0f) m_fAPICBusClock = fClock;
    }

    m_fBusClock = -1.0f;
    if (pFirst) {
        vPinTo(*this, *pFirst);
        if ((pFirst->m_dwFlags & CPU_FLAG_CONSTANT_TSC) && m_fAPICBusClock > 0.0f) {
            m_fBusClock = m_fAPICBusClock;
        } else if (const float fMultiplier = pFirst->GetMultiplier(); fMultiplier > 0.0f) {
            // Without a multiplier the clock would tell no bus clock: it is not measured then.
            float fClock = pFirst->GetPRFClock();
            if (!(fClock > 0.0f)) fClock = pFirst->GetTSCClock();
            if (fClock > 0.0f) m_fBusClock = fClock / fMultiplier;
        }
    }

    for (CTListItem<CDevice>* p = m_pProcessorList->m_pHead; p && p->m_pObject; p = p->m_pNext) {
        CProcessor* pProcessor = static_cast<CProcessor*>(p->m_pObject);
        for (CTListItem<CCPUCore>* c = pProcessor->m_pCoreList->m_pHead; c && c->m_pObject; c = c->m_pNext) {
            CCPUCore* pCore = c->m_pObject;
            CCPUThread* pThread = pFirstOf(pCore->m_pThreadList);
            if (!pThread) continue;
            vPinTo(*this, *pThread);
            pCore->m_fMultiplier = pThread->GetMultiplier();
            if (m_fBusClock > 0.0f && pCore->m_fMultiplier > 0.0f) {
                pCore->m_fClock = m_fBusClock * pCore->m_fMultiplier;
            } else {
                pCore->m_fClock = pThread->GetPRFClock();
                if (!(pCore->m_fClock > 0.0f)) pCore->m_fClock = pThread->GetTSCClock();
            }
        }
    }
}

CProcessor* CCPUInterface::GetProcessor(uint32_t nIndex)
{
    CDevice* pDevice =
        m_pProcessorList->Find([nIndex](CDevice* p) { return static_cast<CProcessor*>(p)->m_nIndex == nIndex; });
    return static_cast<CProcessor*>(pDevice);
}

CProcessor* CCPUInterface::GetProcessorByPackage(uint32_t nPackageID)
{
    CDevice* pDevice = m_pProcessorList->Find(
        [nPackageID](CDevice* p) { return static_cast<CProcessor*>(p)->m_nPackageID == nPackageID; });
    return static_cast<CProcessor*>(pDevice);
}
