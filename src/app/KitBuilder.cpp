#include "app/KitBuilder.h"

#include "kit/ORVEXSDK.h"

namespace app {

void vBuildKit(ORVEXSDK* pKit)
{
    pKit->CreateACPIInterface();
    pKit->CreateCPUInterface();
    if (pKit->CreatePCIInterface()) {
        if (CInterface* pPCI = pKit->FindInterface(INTERFACE_PCI)) pPCI->Scan();
    }
    pKit->CreateChipsetInterface();
    pKit->CreateSMBusInterface();
    pKit->CreateDMIInterface();
    pKit->CreatePLLInterface();
}

}  // namespace app
