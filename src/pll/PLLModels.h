#pragma once
// The supported clock generators: PLL ids, display names and the driver each id creates.
// Id: the top byte names the maker by one bit, the low 24 bits hold the part number's digits.
#include <cstdint>

class CClockGenerator;

enum : uint32_t {
    PLL_FAMILY_ICS = 0x01000000,
    PLL_FAMILY_REALTEK = 0x02000000,
    PLL_FAMILY_CYPRESS = 0x04000000,
    PLL_FAMILY_IDT = 0x08000000,
    PLL_FAMILY_NVIDIA = 0x10000000,  // a PLL inside the chipset (bit 28)
    PLL_FAMILY_WINBOND = 0x20000000,
    PLL_FAMILY_SILEGO = 0x40000000,
    PLL_ID_NOT_SPECIFIED = 0,
    PLL_ID_END = 0xFFFFFFFF,
};

struct PLL_ENTRY {
    uint32_t dwID;
    char szName[64];
};

// The two name tables, in their display order, each ending with PLL_ID_END.
extern const PLL_ENTRY g_SMBusPLLTable[];
extern const PLL_ENTRY g_ChipsetPLLTable[];

// The display name of an id in either table, or null.
const char* pszPLLName(uint32_t dwID);
// A new driver for the id (the "Not specified" id gives a bare CClockGenerator), or null for
// an id in neither table.
CClockGenerator* pCreateClockGenerator(uint32_t dwID);
