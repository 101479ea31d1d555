// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/MachineFacts.h"

#include <atomic>

#include "kit/AccessDevice.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"

namespace kit {

namespace {

CRootFacts g_RootFacts;
// Read by the monitor thread's drivers while the main thread may assemble the kit.
std::atomic<IMachineFacts*> g_pKitFacts{nullptr};
std::atomic<IMachineFacts*> g_pReplacement{nullptr};

}  // namespace

// The kernel may drive the controller already; raw access beside it would interleave two
// hosts' transactions on one register block. Without an access device nothing stands in the
// way.
bool CRootFacts::bMayDriveSMBus(uint8_t bBus, uint8_t bDevice, uint8_t bFunction, std::string& strRefusal)
{
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    CAccessDevice* pAccess = pDriver ? pDriver->pAccessDevice() : nullptr;
    return !pAccess || pAccess->bMayDriveSMBus(bBus, bDevice, bFunction, strRefusal);
}

IMachineFacts& MachineFacts()
{
    if (IMachineFacts* pFacts = g_pReplacement.load()) return *pFacts;
    if (IMachineFacts* pFacts = g_pKitFacts.load()) return *pFacts;
    return g_RootFacts;
}

void SetKitFacts(IMachineFacts* pFacts) { g_pKitFacts.store(pFacts); }

IMachineFacts* ReplaceMachineFacts(IMachineFacts* pFacts) { return g_pReplacement.exchange(pFacts); }

}  // namespace kit
