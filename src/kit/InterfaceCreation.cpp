// The creation of the main interfaces. Each is constructed, kept in its shortcut and
// initialised; on success it joins the interface list, on failure it is destroyed and its
// shortcut cleared. An interface whose hardware support is not part of this build fails
// cleanly, leaving no trace.
#include "kit/ORVEXSDK.h"
#include "cpu/CPUInterface.h"
#include "discovery/ChipsetInterface.h"
#include "discovery/PCIInterface.h"
#include "discovery/DMIInterface.h"
#include "kit/ACPIInterface.h"
#include "pll/PLLInterface.h"
#include "smbus/SMBusInterface.h"

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
    m_pACPIInterface = new CACPIInterface;
    return Register(m_pACPIInterface, m_pACPIInterface, m_pACPIInterface->Probe());
}

uint32_t ORVEXSDK::CreateCPUInterface()
{
    m_pCPUInterface = new CCPUInterface;
    return Register(m_pCPUInterface, m_pCPUInterface, m_pCPUInterface->Init());
}

uint32_t ORVEXSDK::CreatePCIInterface()
{
    m_pPCIInterface = new CPCIInterface;
    return Register(m_pPCIInterface, m_pPCIInterface, m_pPCIInterface->Init());
}

uint32_t ORVEXSDK::CreateChipsetInterface()
{
    CChipsetInterface* pInterface = new CChipsetInterface;
    m_pChipsetInterface = pInterface;
    return Register(pInterface, m_pChipsetInterface, pInterface->Probe());
}

uint32_t ORVEXSDK::CreateSMBusInterface()
{
    m_pSMBusInterface = new CSMBusInterface;
    return Register(m_pSMBusInterface, m_pSMBusInterface, m_pSMBusInterface->Init());
}

uint32_t ORVEXSDK::CreateDMIInterface()
{
    m_pDMIInterface = new CDMIInterface;
    return Register(m_pDMIInterface, m_pDMIInterface, m_pDMIInterface->Probe());
}

uint32_t ORVEXSDK::CreatePLLInterface()
{
    m_pPLLInterface = new CPLLInterface;
    return Register(m_pPLLInterface, m_pPLLInterface, m_pPLLInterface->Init());
}
