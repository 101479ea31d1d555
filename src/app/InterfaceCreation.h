// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The creation of the kit's main interfaces, one at a time: the application names each
// concrete interface and the kit root registers it (ORVEXSDK::CreateInterface). Each returns
// the interface's initialisation result: 0 when it cannot be used on this machine, and it is
// then left out with its shortcut cleared.
#include <cstdint>

class ORVEXSDK;

namespace app {

uint32_t CreateACPIInterface(ORVEXSDK* pKit);
uint32_t CreateCPUInterface(ORVEXSDK* pKit);
uint32_t CreatePCIInterface(ORVEXSDK* pKit);
uint32_t CreateChipsetInterface(ORVEXSDK* pKit);
uint32_t CreateSMBusInterface(ORVEXSDK* pKit);
uint32_t CreateDMIInterface(ORVEXSDK* pKit);
uint32_t CreatePLLInterface(ORVEXSDK* pKit);

}  // namespace app
