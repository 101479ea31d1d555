// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The root of the hardware kit: one per process. It owns every I/O space, interface, device
// and timer the kit creates, carries the kit lock "ORVEXSDK" that serialises all hardware
// access, and points at the driver object through which the I/O spaces reach the hardware.
#include <cstdint>

#include "kit/Interface.h"
#include "kit/TList.h"
#include "kit/Trace.h"
#include "platform/NamedMutex.h"

class CIOSpace;
class CTimer;
class CDeviceDriver;
class CPCIInterface;
class CACPIInterface;
class CCPUInterface;
class CSMBusInterface;
class CChipsetInterface;
class CDMIInterface;
class CPLLInterface;

// The kit keeps a list of PLL objects that nothing fills: the selected clock generator lives
// inside the clock generator interface.
class CPLL {
public:
    virtual ~CPLL() {}
};

class ORVEXSDK {
public:
    static ORVEXSDK* Instance();
    static void Destroy();

    // True only when the kit mutex was taken (WAIT_OBJECT_0); a time-out, an abandoned mutex
    // or a failed wait give false and the caller must not touch the hardware.
    bool Lock(uint32_t dwMilliseconds);
    void Unlock();

    CInterface* FindInterface(uint32_t dwType);
    // dwType 0xFFFFFFFF matches any type.
    CIOSpace* FindIOSpace(uint32_t dwBase, uint32_t dwType);

    void AddInterface(CInterface* pInterface);
    void AddIOSpace(CIOSpace* pIOSpace);
    void AddDevice(CDevice* pDevice);
    void AddTimer(CTimer* pTimer);

    // Creates one of the main interfaces: constructs it, keeps it in its shortcut and
    // initialises it through pfnInit (Init, or Probe for those that look first); on success
    // it joins the interface list, on failure it is destroyed and its shortcut cleared.
    // Returns the initialisation's result. The application's assembly names the interfaces
    // (app/InterfaceCreation.h); an interface whose hardware support is not part of the
    // build fails cleanly, leaving no trace.
    template <typename T, typename TInit>
    uint32_t CreateInterface(T*& pShortcut, uint32_t (TInit::*pfnInit)())
    {
        T* pInterface = new T;
        pShortcut = pInterface;
        const uint32_t dwResult = (pInterface->*pfnInit)();
        if (dwResult) {
            AddInterface(pInterface);
        } else {
            delete pInterface;
            pShortcut = nullptr;
        }
        return dwResult;
    }

    void CloseInterfaces();

    PFN_TRACE m_pTrace;
    platform::HMUTEX m_hMutex;
    CDeviceDriver* m_pDriver;
    CTList<CIOSpace>* m_pIOSpaceList;
    CTList<CInterface>* m_pInterfaceList;
    CTList<CDevice>* m_pDeviceList;
    CTList<CTimer>* m_pTimerList;
    CTList<CPLL>* m_pPLLList;

    CPCIInterface* m_pPCIInterface;
    CACPIInterface* m_pACPIInterface;
    CCPUInterface* m_pCPUInterface;
    CSMBusInterface* m_pSMBusInterface;
    CChipsetInterface* m_pChipsetInterface;
    CDMIInterface* m_pDMIInterface;
    CPLLInterface* m_pPLLInterface;
    void* m_pSpare;

private:
    ORVEXSDK();
    ~ORVEXSDK();
    ORVEXSDK(const ORVEXSDK&) = delete;
    ORVEXSDK& operator=(const ORVEXSDK&) = delete;

    static ORVEXSDK* s_pInstance;
};
