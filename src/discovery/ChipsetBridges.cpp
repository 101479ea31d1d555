// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/ChipsetBridges.h"

#include <cstdio>

#include "discovery/ChipsetAccess.h"
#include "discovery/PCIDevice.h"

namespace {

uint16_t wHeaderVendor(const CPCIDevice* pDevice)
{
    return pDevice && pDevice->m_pCommonHeader ? pDevice->m_pCommonHeader->m_wVendorID : 0xFFFF;
}

uint16_t wHeaderDevice(const CPCIDevice* pDevice)
{
    return pDevice && pDevice->m_pCommonHeader ? pDevice->m_pCommonHeader->m_wDeviceID : 0xFFFF;
}

uint8_t bHeaderRevision(const CPCIDevice* pDevice)
{
    return pDevice && pDevice->m_pCommonHeader ? pDevice->m_pCommonHeader->m_bRevisionID : 0xFF;
}

template <typename TBridge>
void vInitialNames(TBridge& bridge)
{
    std::snprintf(bridge.m_szVendor, sizeof bridge.m_szVendor, "ID%04X", bridge.wVendorID());
    std::snprintf(bridge.m_szModel, sizeof bridge.m_szModel, "ID%04X", bridge.wDeviceID());
    std::snprintf(bridge.m_szRevision, sizeof bridge.m_szRevision, "%02X", bridge.bRevisionID());
}

uint32_t dwRead(const CPCIDevice* pDevice, uint32_t dwOffset)
{
    if (!pDevice) return 0xFFFFFFFF;
    return chipset::dwReadConfig(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, dwOffset);
}

uint32_t bWrite(const CPCIDevice* pDevice, uint32_t dwOffset, uint32_t dwValue)
{
    if (!pDevice) return 0;
    return chipset::bWriteConfig(pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction, dwOffset, dwValue);
}

}  // namespace

CNorthBridge::CNorthBridge(CPCIDevice* pDevice)
    : m_pDevice(pDevice), m_nState(0), m_nFSBSelect(-1), m_nKeptState(-1), m_nReserved(-1)
{
    vInitialNames(*this);
}

uint32_t CNorthBridge::ReadConfig(uint32_t dwOffset) const { return dwRead(m_pDevice, dwOffset); }
uint32_t CNorthBridge::WriteConfig(uint32_t dwOffset, uint32_t dwValue) const { return bWrite(m_pDevice, dwOffset, dwValue); }
uint16_t CNorthBridge::wVendorID() const { return wHeaderVendor(m_pDevice); }
uint16_t CNorthBridge::wDeviceID() const { return wHeaderDevice(m_pDevice); }
uint8_t CNorthBridge::bRevisionID() const { return bHeaderRevision(m_pDevice); }
void CNorthBridge::ResetNames() { vInitialNames(*this); }

CSouthBridge::CSouthBridge(CPCIDevice* pDevice)
    : m_pDevice(pDevice), m_nState(SOUTH_BRIDGE_UNTOUCHED), m_dwPortBase(-1)
{
    vInitialNames(*this);
}

uint32_t CSouthBridge::ReadConfig(uint32_t dwOffset) const { return dwRead(m_pDevice, dwOffset); }
uint32_t CSouthBridge::WriteConfig(uint32_t dwOffset, uint32_t dwValue) const { return bWrite(m_pDevice, dwOffset, dwValue); }
uint16_t CSouthBridge::wVendorID() const { return wHeaderVendor(m_pDevice); }
uint16_t CSouthBridge::wDeviceID() const { return wHeaderDevice(m_pDevice); }
uint8_t CSouthBridge::bRevisionID() const { return bHeaderRevision(m_pDevice); }
