// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/ORVEXSDK.h"

#include "kit/IOSpace.h"
#include "kit/Timer.h"

ORVEXSDK* ORVEXSDK::s_pInstance = nullptr;

ORVEXSDK* ORVEXSDK::Instance()
{
    if (!s_pInstance) s_pInstance = new ORVEXSDK;
    return s_pInstance;
}

void ORVEXSDK::Destroy()
{
    delete s_pInstance;
    s_pInstance = nullptr;
}

ORVEXSDK::ORVEXSDK()
    : m_pTrace(nullptr),
      m_hMutex(nullptr),
      m_pDriver(nullptr),
      m_pIOSpaceList(nullptr),
      m_pInterfaceList(nullptr),
      m_pDeviceList(nullptr),
      m_pTimerList(nullptr),
      m_pPLLList(nullptr),
      m_pPCIInterface(nullptr),
      m_pACPIInterface(nullptr),
      m_pCPUInterface(nullptr),
      m_pSMBusInterface(nullptr),
      m_pChipsetInterface(nullptr),
      m_pDMIInterface(nullptr),
      m_pPLLInterface(nullptr),
      m_pSpare(nullptr)
{
    m_pInterfaceList = new CTList<CInterface>;
    m_pIOSpaceList = new CTList<CIOSpace>;
    m_pDeviceList = new CTList<CDevice>;
    m_pPLLList = new CTList<CPLL>;
    m_pTimerList = new CTList<CTimer>;
    m_hMutex = platform::CreateMutexA(false, "ORVEXSDK");
}

namespace {
template <typename T>
void vDestroyList(CTList<T>*& pList)
{
    if (!pList) return;
    pList->DeleteAll();
    delete pList;
    pList = nullptr;
}
}  // namespace

ORVEXSDK::~ORVEXSDK()
{
    vDestroyList(m_pIOSpaceList);
    vDestroyList(m_pInterfaceList);
    vDestroyList(m_pDeviceList);
    vDestroyList(m_pPLLList);
    vDestroyList(m_pTimerList);
    if (m_hMutex) {
        platform::ReleaseMutex(m_hMutex);  // fails harmlessly when not held
        platform::CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
}

bool ORVEXSDK::Lock(uint32_t dwMilliseconds)
{
    const uint32_t dwWait = platform::WaitForSingleObject(m_hMutex, dwMilliseconds);
    // An abandoned wait hands the mutex over although the caller is told to stay away from
    // the hardware: it is given back at once, or no other thread could ever take it again.
    if (dwWait == platform::WAIT_ABANDONED) platform::ReleaseMutex(m_hMutex);
    return dwWait == platform::WAIT_OBJECT_0;
}

void ORVEXSDK::Unlock() { platform::ReleaseMutex(m_hMutex); }

CInterface* ORVEXSDK::FindInterface(uint32_t dwType)
{
    return m_pInterfaceList->Find([dwType](CInterface* p) { return p->m_dwType == dwType; });
}

CIOSpace* ORVEXSDK::FindIOSpace(uint32_t dwBase, uint32_t dwType)
{
    return m_pIOSpaceList->Find([dwBase, dwType](CIOSpace* p) {
        return p->m_dwBase == dwBase && (dwType == 0xFFFFFFFF || p->m_dwType == dwType);
    });
}

void ORVEXSDK::AddInterface(CInterface* pInterface) { m_pInterfaceList->Append(pInterface); }
void ORVEXSDK::AddIOSpace(CIOSpace* pIOSpace) { m_pIOSpaceList->Append(pIOSpace); }
void ORVEXSDK::AddDevice(CDevice* pDevice) { m_pDeviceList->Append(pDevice); }
void ORVEXSDK::AddTimer(CTimer* pTimer) { m_pTimerList->Append(pTimer); }

void ORVEXSDK::CloseInterfaces()
{
    for (CTListItem<CInterface>* pItem = m_pInterfaceList->m_pHead; pItem; pItem = pItem->m_pNext)
        if (pItem->m_pObject) pItem->m_pObject->Close();
}
