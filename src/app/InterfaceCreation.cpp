// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/InterfaceCreation.h"

#include "app/KitFacts.h"
#include "cpu/CPUInterface.h"
#include "discovery/ChipsetInterface.h"
#include "discovery/DMIInterface.h"
#include "discovery/PCIInterface.h"
#include "kit/ACPIInterface.h"
#include "kit/ORVEXSDK.h"
#include "pll/PLLInterface.h"
#include "smbus/SMBusInterface.h"

namespace app {

namespace {

// The interfaces the application creates answer for the machine facts the drivers go by.
template <typename T, typename TInit>
uint32_t nCreate(ORVEXSDK* pKit, T*& pShortcut, uint32_t (TInit::*pfnInit)())
{
    kit::SetKitFacts(&KitFacts());
    return pKit->CreateInterface(pShortcut, pfnInit);
}

}  // namespace

uint32_t CreateACPIInterface(ORVEXSDK* pKit)
{
    return nCreate(pKit, pKit->m_pACPIInterface, &CACPIInterface::Probe);
}

uint32_t CreateCPUInterface(ORVEXSDK* pKit)
{
    return nCreate(pKit, pKit->m_pCPUInterface, &CCPUInterface::Init);
}

uint32_t CreatePCIInterface(ORVEXSDK* pKit)
{
    return nCreate(pKit, pKit->m_pPCIInterface, &CPCIInterface::Init);
}

uint32_t CreateChipsetInterface(ORVEXSDK* pKit)
{
    return nCreate(pKit, pKit->m_pChipsetInterface, &CChipsetInterface::Probe);
}

uint32_t CreateSMBusInterface(ORVEXSDK* pKit)
{
    return nCreate(pKit, pKit->m_pSMBusInterface, &CSMBusInterface::Init);
}

uint32_t CreateDMIInterface(ORVEXSDK* pKit)
{
    return nCreate(pKit, pKit->m_pDMIInterface, &CDMIInterface::Probe);
}

uint32_t CreatePLLInterface(ORVEXSDK* pKit)
{
    return nCreate(pKit, pKit->m_pPLLInterface, &CPLLInterface::Init);
}

}  // namespace app
