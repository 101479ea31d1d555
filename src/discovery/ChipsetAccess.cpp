// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/ChipsetAccess.h"

#include "discovery/PCIInterface.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"

namespace chipset {

uint32_t dwReadConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    CPCIInterface* pPCI = ORVEXSDK::Instance()->m_pPCIInterface;
    return pPCI ? pPCI->ReadConfig(dwBus, dwDevice, dwFunction, dwOffset) : 0xFFFFFFFF;
}

uint32_t bWriteConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset, uint32_t dwValue)
{
    CPCIInterface* pPCI = ORVEXSDK::Instance()->m_pPCIInterface;
    return pPCI ? pPCI->WriteConfig(dwBus, dwDevice, dwFunction, dwOffset, dwValue) : 0;
}

uint32_t dwReadPhysicalDword(uint32_t dwAddress)
{
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    uint32_t dwValue = 0xFFFFFFFF;
    if (!pDriver || !pDriver->bReadPhysicalMemory(dwAddress, 4, &dwValue)) return 0xFFFFFFFF;
    return dwValue;
}

uint32_t bWritePhysicalDword(uint32_t dwAddress, uint32_t dwValue)
{
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    return pDriver ? pDriver->bWritePhysicalMemoryDword(dwAddress, dwValue) : 0;
}

void vWait(uint32_t dwMilliseconds) { platform::Sleep(dwMilliseconds); }

void vRescanPCI()
{
    if (CPCIInterface* pPCI = ORVEXSDK::Instance()->m_pPCIInterface) pPCI->Scan();
}

}  // namespace chipset
