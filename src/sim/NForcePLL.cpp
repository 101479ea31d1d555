// SPDX-License-Identifier: GPL-2.0-or-later
// Finds the nVidia chipset functions that carry clock PLLs and puts the PLLs on the board.
#include "sim/NForcePLL.h"

#include <memory>

#include "sim/BoardProcessors.h"
#include "sim/NForcePLLHost.h"
#include "sim/NForcePLLWindows.h"
#include "sim/PCIConfig.h"

namespace sim {

namespace {

constexpr uint32_t NFORCE4_LPC = 0x005010DE;  // device << 16 | vendor
constexpr uint32_t MCP55 = 0x036810DE;
constexpr uint32_t NFORCE2_HOST = 0x01E010DE;
constexpr unsigned WINDOW_A_REGISTER = 0x60, WINDOW_B_REGISTER = 0x68;
constexpr uint32_t BASE_MASK = 0xFFFE;
constexpr unsigned REVISION = 0x08, REVISION_C0 = 0xC0;
constexpr unsigned SANITY_C0 = 0x7C, SANITY = 0x70;

// The function with this id: 00:01.0 for the nForce4, wherever it is for the MCP55.
const CPCIFunction* pWindowFunction(const CPCIFunctions& pci)
{
    const CPCIFunction* pLpc = pci.pFind(0, 1, 0);
    if (pLpc && pLpc->dwPeek(0) == NFORCE4_LPC) return pLpc;
    for (unsigned nBus = 0; nBus < 256; ++nBus)
        for (unsigned nDevice = 0; nDevice < 32; ++nDevice)
            for (unsigned nFunction = 0; nFunction < 8; ++nFunction) {
                const CPCIFunction* p = pci.pFind(nBus, nDevice, nFunction);
                if (p && p->dwPeek(0) == MCP55) return p;
            }
    return nullptr;
}

bool bAddWindows(CPCIFunctions& pci, CPortMap& ports, const NForcePLLBoardLink& link, std::string& strError)
{
    const CPCIFunction* pBridge = pWindowFunction(pci);
    if (!pBridge) return true;
    const uint16_t wBaseA = uint16_t(pBridge->dwPeek(WINDOW_A_REGISTER) & BASE_MASK);
    const uint16_t wBaseB = uint16_t(pBridge->dwPeek(WINDOW_B_REGISTER) & BASE_MASK);
    if (!wBaseA || !wBaseB) return true;  // the firmware has not placed the windows
    const uint64_t qwBusHz = link.pProcessors ? link.pProcessors->qwBusHzLocked() : 0;
    auto pRegisters = std::make_shared<CNForcePLLRegisters>(*pBridge, wBaseA, wBaseB, link, qwBusHz);
    return ports.bAdd(std::make_unique<CNForcePLLWindowB>(pRegisters), strError) &&
           ports.bAdd(std::make_unique<CNForcePLLUpdatePort>(pRegisters), strError);
}

void vAddNForce2(CPCIFunctions& pci, const NForcePLLBoardLink& link)
{
    const CPCIFunction* pHost = pci.pFind(0, 0, 0);
    if (!pHost || pHost->dwPeek(0) != NFORCE2_HOST) return;
    const unsigned nSanity = (pHost->dwPeek(REVISION) & 0xFF) >= REVISION_C0 ? SANITY_C0 : SANITY;
    pci.bAdd(0, 0, 0, std::make_unique<CNForce2HostFunction>(pci.pTake(0, 0, 0), link));
    if (auto pAgp = pci.pTake(0, 0, 3)) pci.bAdd(0, 0, 3, std::make_unique<CNForce2AgpFunction>(std::move(pAgp), nSanity));
}

}  // namespace

bool bAddNForcePLL(CPCIFunctions& pci, CPortMap& ports, const NForcePLLBoardLink& link, std::string& strError)
{
    vAddNForce2(pci, link);
    return bAddWindows(pci, ports, link, strError);
}

}  // namespace sim
