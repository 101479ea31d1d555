// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The names of north and south bridges by vendor and device id, as the chipset vendors'
// device id lists give them. Each vendor's tables live in a file of their own
// (ChipsetNames<Vendor>.cpp); this header joins them to the vendor ids.
#include <cstddef>
#include <cstdint>

struct CChipsetModel {
    uint16_t wDeviceID;
    const char* pszModel;
};

struct CChipsetModelTable {
    const CChipsetModel* pModels;
    size_t nCount;
};

// A vendor as the chipset identification knows it: its name and its two model tables.
struct CChipsetVendor {
    uint16_t wVendorID;
    const char* pszVendor;
    const CChipsetModelTable* pNorthBridges;  // null: the vendor makes none the kit knows
    const CChipsetModelTable* pSouthBridges;
};

namespace chipset {

// Null for a vendor that is not known.
const CChipsetVendor* pFindVendor(uint16_t wVendorID);
// Null when the table has no such id.
const char* pszFindModel(const CChipsetModelTable* pTable, uint16_t wDeviceID);

// The per-vendor tables.
extern const CChipsetModelTable IntelNorthBridges, IntelSouthBridges;
extern const CChipsetModelTable NVIDIANorthBridges, NVIDIASouthBridges;
extern const CChipsetModelTable VIANorthBridges, VIASouthBridges;
extern const CChipsetModelTable SiSNorthBridges, SiSSouthBridges;
extern const CChipsetModelTable ALiNorthBridges, ALiSouthBridges;
extern const CChipsetModelTable ATINorthBridges, ATISouthBridges;
extern const CChipsetModelTable AMDNorthBridges, AMDSouthBridges;
extern const CChipsetModelTable ServerWorksNorthBridges, ServerWorksSouthBridges;
extern const CChipsetModelTable CompaqNorthBridges, CompaqSouthBridges;
extern const CChipsetModelTable TransmetaNorthBridges;

}  // namespace chipset

#define CHIPSET_TABLE(array) CChipsetModelTable{array, sizeof(array) / sizeof((array)[0])}
