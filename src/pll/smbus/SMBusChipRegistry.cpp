// The SMBus clock chips by PLL id.
#include "pll/PLLChipRegistry.h"

#include "pll/smbus/CodeChips.h"
#include "pll/smbus/CypressChips.h"
#include "pll/smbus/ICS951412Chip.h"
#include "pll/smbus/ICSChips.h"
#include "pll/smbus/RealtekChips.h"
#include "pll/smbus/WinbondChips.h"

namespace {

template <typename T>
CClockGenerator* pCreate()
{
    return new T;
}

struct SMBUS_CHIP_CREATOR {
    uint32_t dwID;
    CClockGenerator* (*pfnCreate)();
};

const SMBUS_CHIP_CREATOR g_Creators[] = {
    {0x04283460, pCreate<CY28346_ClockGenerator>},
    {0x04285510, pCreate<CY28551_ClockGenerator>},
    {0x01094228, pCreate<ICS_94228_ClockGenerator>},
    {0x01950403, pCreate<ICS_950403_ClockGenerator>},
    {0x01950405, pCreate<ICS_950405_ClockGenerator>},
    {0x01951402, pCreate<ICS_951402_ClockGenerator>},
    {0x01951412, pCreate<ICS_951412_ClockGenerator>},
    {0x01951416, pCreate<ICS_951416_ClockGenerator>},
    {0x01951422, pCreate<ICS_951422_ClockGenerator>},
    {0x01951446, pCreate<ICS_951446_ClockGenerator>},
    {0x01951462, pCreate<ICS_951462_ClockGenerator>},
    {0x01952505, pCreate<ICS_952505_ClockGenerator>},
    {0x01952607, pCreate<ICS_952607_ClockGenerator>},
    {0x01952618, pCreate<ICS_952618_ClockGenerator>},
    {0x01954119, pCreate<ICS_954119_ClockGenerator>},
    {0x01954123, pCreate<ICS_954123_ClockGenerator>},
    {0x01954148, pCreate<ICS_954148_ClockGenerator>},
    {0x01954519, pCreate<ICS_954519_ClockGenerator>},
    {0x019AB509, pCreate<ICS_9PLRS509_ClockGenerator>},
    {0x019AB587, pCreate<ICS_9PLRS587_ClockGenerator>},
    {0x08000107, pCreate<IDT_CV107_ClockGenerator>},
    {0x08000174, pCreate<IDT_CV174C_ClockGenerator>},
    {0x02360408, pCreate<RTM_360_408_ClockGenerator>},
    {0x02560266, pCreate<RTM_560_266_ClockGenerator>},
    {0x02862410, pCreate<RTM_862_410_ClockGenerator>},
    {0x02865461, pCreate<RTM_865_461_ClockGenerator>},
    {0x40000505, pCreate<SLG505YC56D_ClockGenerator>},
    {0x20831940, pCreate<W83194BGSD_ClockGenerator>},
    {0x20831950, pCreate<W83195BG101_ClockGenerator>},
};

}  // namespace

CClockGenerator* pCreateSMBusClockChip(uint32_t dwID)
{
    for (const SMBUS_CHIP_CREATOR& creator : g_Creators)
        if (creator.dwID == dwID) return creator.pfnCreate();
    return nullptr;
}
