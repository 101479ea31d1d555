// The two name tables of the supported clock generators and the driver each id creates.
#include "pll/PLLModels.h"

#include "pll/ClockGenerator.h"
#include "pll/PLLChipRegistry.h"

const PLL_ENTRY g_SMBusPLLTable[] = {
    {0x00000000, "Not specified"},
    {0x04283460, "CY28346"},
    {0x04285510, "CY28551"},
    {0x01094228, "ICS 94228"},
    {0x01950403, "ICS 950403"},
    {0x01950405, "ICS 950405"},
    {0x01951402, "ICS 951402"},
    {0x01951412, "ICS 951412"},
    {0x01951416, "ICS 951416"},
    {0x01951422, "ICS 951422"},
    {0x01951446, "ICS 951446"},
    {0x01951462, "ICS 951462"},
    {0x01952505, "ICS 952505"},
    {0x01952607, "ICS 952607"},
    {0x01952618, "ICS 952618"},
    {0x01954119, "ICS 954119"},
    {0x01954123, "ICS 954123"},
    {0x01954148, "ICS 954148"},
    {0x01954519, "ICS 954519"},
    {0x019AB509, "ICS 9PLRS509"},
    {0x019AB587, "ICS 9PLRS587"},
    {0x08000107, "IDT CV107"},
    {0x08000174, "IDT CV174C"},
    {0x02360408, "RTM 360-408"},
    {0x02560266, "RTM 560-266"},
    {0x02862410, "RTM 862-410"},
    {0x02865461, "RTM 865-461"},
    {0x40000505, "SLG505YC56D"},
    {0x20831940, "W83194BG-SD"},
    {0x20831950, "W83195BG-101"},
    {PLL_ID_END, ""},
};

const PLL_ENTRY g_ChipsetPLLTable[] = {
    {0x10000020, "NVIDIA nForce2"},
    {0x10000030, "NVIDIA nForce3"},
    {0x10000035, "NVIDIA nForce3"},
    {0x10000040, "NVIDIA nForce4"},
    {0x10000041, "NVIDIA nForce4"},
    {0x10000051, "NVIDIA C51"},
    {0x10000054, "NVIDIA MCP55"},
    {0x10000055, "NVIDIA C55"},
    {PLL_ID_END, ""},
};

namespace {

const PLL_ENTRY* pFindEntry(const PLL_ENTRY* pTable, uint32_t dwID)
{
    for (; pTable->dwID != PLL_ID_END; ++pTable)
        if (pTable->dwID == dwID) return pTable;
    return nullptr;
}

}  // namespace

const char* pszPLLName(uint32_t dwID)
{
    if (dwID == PLL_ID_END) return nullptr;
    const PLL_ENTRY* pEntry = pFindEntry(g_SMBusPLLTable, dwID);
    if (!pEntry) pEntry = pFindEntry(g_ChipsetPLLTable, dwID);
    return pEntry ? pEntry->szName : nullptr;
}

CClockGenerator* pCreateClockGenerator(uint32_t dwID)
{
    if (dwID == PLL_ID_NOT_SPECIFIED) return new CClockGenerator(PLL_ID_NOT_SPECIFIED);
    // Only ids of the tables make a driver, whatever a creator might accept.
    if (pFindEntry(g_SMBusPLLTable, dwID)) return pCreateSMBusClockChip(dwID);
    if (pFindEntry(g_ChipsetPLLTable, dwID)) return pCreateChipsetPLL(dwID);
    return nullptr;
}
