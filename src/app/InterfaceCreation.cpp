#include "app/InterfaceCreation.h"

#include "cpu/CPUInterface.h"
#include "discovery/ChipsetInterface.h"
#include "discovery/DMIInterface.h"
#include "discovery/PCIInterface.h"
#include "kit/ACPIInterface.h"
#include "kit/ORVEXSDK.h"
#include "pll/PLLInterface.h"
#include "smbus/SMBusInterface.h"

namespace app {

uint32_t CreateACPIInterface(ORVEXSDK* pKit)
{
    return pKit->CreateInterface(pKit->m_pACPIInterface, &CACPIInterface::Probe);
}

uint32_t CreateCPUInterface(ORVEXSDK* pKit)
{
    return pKit->CreateInterface(pKit->m_pCPUInterface, &CCPUInterface::Init);
}

uint32_t CreatePCIInterface(ORVEXSDK* pKit)
{
    return pKit->CreateInterface(pKit->m_pPCIInterface, &CPCIInterface::Init);
}

uint32_t CreateChipsetInterface(ORVEXSDK* pKit)
{
    return pKit->CreateInterface(pKit->m_pChipsetInterface, &CChipsetInterface::Probe);
}

uint32_t CreateSMBusInterface(ORVEXSDK* pKit)
{
    return pKit->CreateInterface(pKit->m_pSMBusInterface, &CSMBusInterface::Init);
}

uint32_t CreateDMIInterface(ORVEXSDK* pKit)
{
    return pKit->CreateInterface(pKit->m_pDMIInterface, &CDMIInterface::Probe);
}

uint32_t CreatePLLInterface(ORVEXSDK* pKit)
{
    return pKit->CreateInterface(pKit->m_pPLLInterface, &CPLLInterface::Init);
}

}  // namespace app
