// SPDX-License-Identifier: GPL-2.0-or-later
// The clock generator interface.
#include "pll/PLLInterface.h"

#include "discovery/PCIInterface.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLModels.h"
#include "smbus/ICCommandSet.h"
#include "smbus/SMBusDevice.h"
#include "smbus/SMBusIOSpace.h"
#include "smbus/SMBusInterface.h"

namespace {

constexpr uint16_t NVIDIA_VENDOR_ID = 0x10DE;

// The nVidia chipsets with a PLL of their own, in the order they are looked for.
struct CHIPSET_PLL_DEVICE {
    uint16_t wDeviceID;
    uint32_t dwPLLID;
};

constexpr CHIPSET_PLL_DEVICE CHIPSET_PLL_DEVICES[] = {
    {0x02FE, 0x10000051},  // C51 (GeForce 6100)
    {0x03AA, 0x10000055},  // C55 (nForce 680)
    {0x0368, 0x10000054},  // MCP55 (nForce5)
    {0x01E0, 0x10000020},  // nForce2
    {0x00D0, 0x10000030},  // nForce3 150
    {0x00E0, 0x10000035},  // nForce3 250
    {0x0050, 0x10000040},  // nForce4
    {0x0075, 0x10000041},  // nForce4 (IE)
};

constexpr uint32_t DUMP_SETTLE_MS = 200;
constexpr uint32_t MAX_DUMP_BYTES = 256;

}  // namespace

uint32_t dwFindChipsetPLL(CPCIInterface& pci)
{
    for (const CHIPSET_PLL_DEVICE& device : CHIPSET_PLL_DEVICES)
        if (pci.FindDeviceByID(NVIDIA_VENDOR_ID, device.wDeviceID)) return device.dwPLLID;
    return 0;
}

CPLLInterface::CPLLInterface() : m_pPLL(nullptr)
{
    m_dwType = INTERFACE_PLL;
}

CPLLInterface::~CPLLInterface()
{
    delete m_pPLL;
    m_pPLL = nullptr;
    // The command set goes with the base.
}

uint32_t CPLLInterface::Init()
{
    if (!m_hMutex) m_hMutex = platform::CreateMutexA(false, PLL_INTERFACE_MUTEX);
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    if (CPCIInterface* pPCI = pKit->m_pPCIInterface) {
        const uint32_t dwChipsetPLL = dwFindChipsetPLL(*pPCI);
        if (dwChipsetPLL && SelectPLL(dwChipsetPLL)) return 1;
    }
    CSMBusInterface* pSMBus = pKit->m_pSMBusInterface;
    CSMBusDevice* pDevice = pSMBus ? pSMBus->FindSMBusDevice(PLL_SMBUS_ADDRESS) : nullptr;
    if (!pDevice) {
        // Nothing to drive: the lock is not kept.
        Close();
        return 0;
    }
    delete m_pCommandSet;
    m_pCommandSet = new CSMBusICCommandSet(pDevice->m_pIOSpace, pDevice->m_nChannel, pDevice->m_nAddress);
    return 1;
}

uint8_t* CPLLInterface::GetDump() { return m_pPLL ? m_pPLL->m_abRegisters : nullptr; }

uint32_t CPLLInterface::GetDumpSize()
{
    return m_pPLL && m_pPLL->m_nRegisterCount > 0 ? uint32_t(m_pPLL->m_nRegisterCount) : 0;
}

uint32_t CPLLInterface::bWriteDump(const uint8_t* pBytes, uint32_t dwCount)
{
    if (!m_pPLL) return 0;
    // The chip is read back whatever happened to the write; a write that failed still makes
    // the whole operation fail, so that nobody takes a refused image for an applied one.
    bool bWritten = true;
    if (dwCount < MAX_DUMP_BYTES && (pBytes || !dwCount)) {
        for (uint32_t i = 0; i < dwCount; ++i) m_pPLL->m_abRegisters[i] = pBytes[i];
        m_pPLL->m_nRegisterCount = int32_t(dwCount);
        bWritten = !dwCount || m_pPLL->bWriteRegisters(DUMP_SETTLE_MS);
    }
    platform::Sleep(DUMP_SETTLE_MS);
    m_pPLL->m_Current.Clear();
    const uint32_t bRead = m_pPLL->bReadClocks(m_pPLL->m_Current);
    return bRead && bWritten;
}

CClockGenerator* CPLLInterface::SelectPLL(uint32_t dwPLLID)
{
    delete m_pPLL;
    m_pPLL = pCreateClockGenerator(dwPLLID);
    if (m_pPLL) m_pPLL->m_pCommandSet = m_pCommandSet;
    return m_pPLL;
}
