// SPDX-License-Identifier: GPL-2.0-or-later
// A processor package and its cores: the lookups the windows and the chipset code use, and
// the names of the package types.
#include <cstdio>

#include "cpu/CPUInterface.h"
#include "cpu/CPUThread.h"
#include "kit/ORVEXSDK.h"

namespace {

struct PackageName {
    uint32_t dwCode;
    const char* pszName;
};

const PackageName s_PackageNames[] = {
    {0x10001, "Socket 4 (273)"},     {0x10002, "Socket 5 (296)"},     {0x10003, "TCP Mobile"},
    {0x10004, "Socket 7 (321)"},     {0x10005, "Socket 8 (387)"},     {0x10006, "Socket A (462)"},
    {0x10007, "Socket 754"},         {0x10008, "Socket 939"},         {0x10009, "Socket 940"},
    {0x1000A, "Socket AM2 (940)"},   {0x1000B, "Socket S1 (638)"},    {0x1000C, "Socket F (1207)"},
    {0x1000D, "Socket 370 CPGA"},    {0x1000E, "Socket 370 PPGA"},    {0x1000F, "Socket 370 FCPGA"},
    {0x10010, "Socket 370 FCPGA2"},  {0x10011, "Socket 474 BGA"},     {0x10012, "Socket 495 BGA"},
    {0x10013, "Socket BGA2"},        {0x10014, "Socket 479 FCBGA"},   {0x10015, "Socket 423 mPGA"},
    {0x10016, "Socket 478 mPGA"},    {0x10017, "Socket 479 mPGA"},    {0x10018, "Socket 603 mPGA"},
    {0x10019, "Socket 604 mPGA"},    {0x1001A, "Socket 775 LGA"},     {0x1001B, "Socket 771 LGA"},
    {0x20001, "Slot 1 SECC"},        {0x20002, "Slot 1 SECC2"},       {0x20003, "Slot 1 SEPP"},
    {0x20004, "Slot 2 SECC"},        {0x20005, "MC"},                 {0x20007, "Slot A"},
};

const char* pszPackageName(uint32_t dwCode)
{
    for (const PackageName& entry : s_PackageNames)
        if (entry.dwCode == dwCode) return entry.pszName;
    return "";
}

}  // namespace

CCPUCore::CCPUCore() : m_pThreadList(new CTList<CCPUThread>) {}

CCPUCore::~CCPUCore() { delete m_pThreadList; }

CProcessor::CProcessor(uint32_t nIndex, uint32_t nPackageID)
    : CDevice(DEVICE_PROCESSOR), m_nIndex(nIndex), m_nPackageID(nPackageID),
      m_pCoreList(new CTList<CCPUCore>), m_pThreadList(new CTList<CCPUThread>),
      m_pCacheList(new CTList<CCacheDescriptor>)
{
}

CProcessor::~CProcessor()
{
    // Only the lists: the cores and threads belong to the CPU interface (which may be gone
    // by now), the cache descriptors to the threads.
    delete m_pCoreList;
    delete m_pThreadList;
    delete m_pCacheList;
}

void CProcessor::Dump()
{
    PFN_TRACE pTrace = ORVEXSDK::Instance()->m_pTrace;
    if (!pTrace) return;
    pTrace("Processor %u (package %u)\n", m_nIndex, m_nPackageID);
    for (CTListItem<CCPUThread>* pItem = m_pThreadList->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext) {
        CCPUThread* pThread = pItem->m_pObject;
        pTrace("Thread %u (APIC id %u, core %u, SMT %u)\n", pThread->m_nIndex, pThread->m_nAPICID, pThread->m_nCoreID,
               pThread->m_nSMTID);
        pThread->Dump();
    }
}

CCPUCore* CProcessor::GetCore(uint32_t nCoreID)
{
    return m_pCoreList->Find([nCoreID](CCPUCore* p) { return p->m_nCoreID == int32_t(nCoreID); });
}

float CProcessor::GetCoreClock(uint32_t nCoreID)
{
    CCPUCore* pCore = GetCore(nCoreID);
    return pCore ? pCore->m_fClock : -1.0f;
}

float CProcessor::GetCoreMultiplier(uint32_t nCoreID)
{
    CCPUCore* pCore = GetCore(nCoreID);
    return pCore ? pCore->m_fMultiplier : -1.0f;
}

CCacheDescriptor* CProcessor::GetCache(int32_t nLevel, int32_t nType)
{
    return m_pCacheList->Find([=](CCacheDescriptor* p) { return p->m_nLevel == nLevel && p->m_nType == nType; });
}

CCPUThread* CProcessor::GetFirstThread()
{
    if (!m_pFirstThread && m_pThreadList->m_pHead) m_pFirstThread = m_pThreadList->m_pHead->m_pObject;
    return m_pFirstThread;
}

uint32_t CProcessor::GetCode()
{
    CCPUThread* pThread = GetFirstThread();
    return pThread ? pThread->m_dwCode : 0xFFFFFFFF;
}

float CProcessor::GetRatedBusClock()
{
    CCPUThread* pThread = GetFirstThread();
    CCPUInterface* pCPU = ORVEXSDK::Instance()->m_pCPUInterface;
    if (!pThread || !pCPU || !(pCPU->m_fBusClock > 0.0f) || pThread->m_nBusTransfers <= 0) return -1.0f;
    return pCPU->m_fBusClock * float(pThread->m_nBusTransfers);
}

const char* CProcessor::GetPackageName()
{
    if (!m_szPackage[0]) {
        if (CCPUThread* pThread = GetFirstThread())
            std::snprintf(m_szPackage, sizeof m_szPackage, "%s", pszPackageName(pThread->m_dwPackageType));
    }
    return m_szPackage;
}
