// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/ChipsetNames.h"

namespace chipset {

namespace {

const CChipsetVendor s_Vendors[] = {
    {0x8086, "Intel", &IntelNorthBridges, &IntelSouthBridges},
    {0x10DE, "NVIDIA", &NVIDIANorthBridges, &NVIDIASouthBridges},
    {0x1106, "VIA", &VIANorthBridges, &VIASouthBridges},
    {0x10B9, "ALi", &ALiNorthBridges, &ALiSouthBridges},
    {0x1025, "ALi", &ALiNorthBridges, &ALiSouthBridges},
    {0x1039, "SiS", &SiSNorthBridges, &SiSSouthBridges},
    {0x1022, "AMD", &AMDNorthBridges, &AMDSouthBridges},
    {0x1002, "ATI", &ATINorthBridges, &ATISouthBridges},
    {0x1166, "ServerWorks", &ServerWorksNorthBridges, &ServerWorksSouthBridges},
    {0x0E11, "Compaq", &CompaqNorthBridges, &CompaqSouthBridges},
    {0x1279, "Transmetta", &TransmetaNorthBridges, nullptr},
};

}  // namespace

const CChipsetVendor* pFindVendor(uint16_t wVendorID)
{
    for (const CChipsetVendor& vendor : s_Vendors)
        if (vendor.wVendorID == wVendorID) return &vendor;
    return nullptr;
}

const char* pszFindModel(const CChipsetModelTable* pTable, uint16_t wDeviceID)
{
    if (!pTable) return nullptr;
    for (size_t i = 0; i < pTable->nCount; ++i)
        if (pTable->pModels[i].wDeviceID == wDeviceID) return pTable->pModels[i].pszModel;
    return nullptr;
}

}  // namespace chipset
