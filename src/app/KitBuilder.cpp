// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/KitBuilder.h"

#include "app/InterfaceCreation.h"
#include "kit/ORVEXSDK.h"
#include "pll/MemoryBufferInterface.h"
#include "smbus/SMBusInterface.h"

namespace app {

void vBuildPCI(ORVEXSDK* pKit)
{
    if (CreatePCIInterface(pKit)) {
        if (CInterface* pPCI = pKit->FindInterface(INTERFACE_PCI)) pPCI->Scan();
    }
}

void vBuildKit(ORVEXSDK* pKit)
{
    CreateACPIInterface(pKit);
    CreateCPUInterface(pKit);
    vBuildPCI(pKit);
    CreateChipsetInterface(pKit);
    if (CreateSMBusInterface(pKit)) pKit->m_pSMBusInterface->DetectMultiplexer();
    CreateDMIInterface(pKit);
    CreatePLLInterface(pKit);
    CreateMemoryBufferInterface(pKit);
}

}  // namespace app
