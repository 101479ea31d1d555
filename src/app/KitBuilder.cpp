#include "app/KitBuilder.h"

#include "kit/ORVEXSDK.h"
#include "pll/MemoryBufferInterface.h"
#include "smbus/SMBusInterface.h"

namespace app {

void vBuildPCI(ORVEXSDK* pKit)
{
    if (pKit->CreatePCIInterface()) {
        if (CInterface* pPCI = pKit->FindInterface(INTERFACE_PCI)) pPCI->Scan();
    }
}

void vBuildKit(ORVEXSDK* pKit)
{
    pKit->CreateACPIInterface();
    pKit->CreateCPUInterface();
    vBuildPCI(pKit);
    pKit->CreateChipsetInterface();
    if (pKit->CreateSMBusInterface()) pKit->m_pSMBusInterface->DetectMultiplexer();
    pKit->CreateDMIInterface();
    pKit->CreatePLLInterface();
    CreateMemoryBufferInterface(pKit);
}

}  // namespace app
