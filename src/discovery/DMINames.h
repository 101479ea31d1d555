// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The names SMBIOS gives to the values of its enumerations, as tables of (value, name).
#include <cstdint>

namespace dmi {

struct DMIName {
    uint32_t dwValue;
    const char* pszName;
};

struct DMINameTable {
    const DMIName* pNames;
    uint32_t nCount;
};

// The name of dwValue in the table, null when the table does not list it.
const char* pszLookup(const DMINameTable& table, uint32_t dwValue);
// The same, with pszDefault for a value the table does not list.
const char* pszName(const DMINameTable& table, uint32_t dwValue, const char* pszDefault = "unknown");

extern const DMINameTable ChassisTypes;          // system enclosure type, lock bit removed
extern const DMINameTable ErrorCorrectingBits;   // memory controller capability: bit number to name
extern const DMINameTable ConnectorTypes;        // port connector, internal and external
extern const DMINameTable PortTypes;
extern const DMINameTable SlotTypes;
extern const DMINameTable SlotWidths;            // slot data bus width
extern const DMINameTable SlotUsages;
extern const DMINameTable MemoryArrayLocations;
extern const DMINameTable MemoryArrayUses;
extern const DMINameTable MemoryFormFactors;
extern const DMINameTable MemoryTypes;

}  // namespace dmi
