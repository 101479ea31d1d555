// SPDX-License-Identifier: GPL-2.0-or-later
// The table of the supported clock generators, and what is made from it: the two name tables,
// the name lookup and the creators.
#include "pll/PLLModels.h"

#include <array>
#include <cstddef>

#include "pll/PLLChipRegistry.h"
#include "pll/chipset/NVConfigPLL.h"
#include "pll/chipset/NVNForce2.h"
#include "pll/chipset/NVNForce3.h"
#include "pll/chipset/NVNForce4.h"
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

// "Not specified": the raw register image of whatever answers, no clocks.
CClockGenerator* pCreateBare() { return new CClockGenerator(PLL_ID_NOT_SPECIFIED); }

constexpr PLL_CHECKED BY_HAND = PLL_CHECKED_BY_HAND;
constexpr PLL_CHECKED EMULATED = PLL_CHECKED_EMULATED;
constexpr PLL_CHECKED ON_BOARD = PLL_CHECKED_APPLIED_ON_BOARD;

// How far each driver is checked is what the unit tests do with it: the register images of
// every SMBus model in pll_chip_models_test and beside it, the emulated chips in
// pll_chip_sim_test, the walks through the kit in pll_chip_strapped_test, pll_chip_kit_test
// and the pll and profile commands, the chipset PLLs in the pll_nvidia tests and at boot.
constexpr PLL_MODEL s_Models[] = {
    // id, display name, driver, second bus clock, emulated as, checked
    // The chips on the SMBus.
    {0x00000000, "Not specified", pCreateBare, GSB_NONE, nullptr, BY_HAND},
    {0x04283460, "CY28346", pCreate<CY28346_ClockGenerator>, GSB_AGP, "cy28346", EMULATED},
    {0x04285510, "CY28551", pCreate<CY28551_ClockGenerator>, GSB_PCIE, "cy28551", EMULATED},
    {0x01094228, "ICS 94228", pCreate<ICS_94228_ClockGenerator>, GSB_AGP, "ics94228", ON_BOARD},
    {0x01950403, "ICS 950403", pCreate<ICS_950403_ClockGenerator>, GSB_AGP, nullptr, BY_HAND},
    {0x01950405, "ICS 950405", pCreate<ICS_950405_ClockGenerator>, GSB_AGP, "ics950405", ON_BOARD},
    {0x01951402, "ICS 951402", pCreate<ICS_951402_ClockGenerator>, GSB_AGP, nullptr, BY_HAND},
    {0x01951412, "ICS 951412", pCreate<ICS_951412_ClockGenerator>, GSB_PCIE, "ics951412", ON_BOARD},
    {0x01951416, "ICS 951416", pCreate<ICS_951416_ClockGenerator>, GSB_PCIE, nullptr, BY_HAND},
    {0x01951422, "ICS 951422", pCreate<ICS_951422_ClockGenerator>, GSB_PCIE, nullptr, BY_HAND},
    {0x01951446, "ICS 951446", pCreate<ICS_951446_ClockGenerator>, GSB_PCIE, nullptr, BY_HAND},
    {0x01951462, "ICS 951462", pCreate<ICS_951462_ClockGenerator>, GSB_PCIE, "ics951462", ON_BOARD},
    {0x01952505, "ICS 952505", pCreate<ICS_952505_ClockGenerator>, PLL_GSB_BY_GRAPHICS_CARD, nullptr, BY_HAND},
    {0x01952607, "ICS 952607", pCreate<ICS_952607_ClockGenerator>, GSB_AGP, nullptr, BY_HAND},
    {0x01952618, "ICS 952618", pCreate<ICS_952618_ClockGenerator>, GSB_AGP, nullptr, BY_HAND},
    {0x01954119, "ICS 954119", pCreate<ICS_954119_ClockGenerator>, GSB_PCIE, "ics954119", ON_BOARD},
    {0x01954123, "ICS 954123", pCreate<ICS_954123_ClockGenerator>, GSB_PCIE, "ics954123", ON_BOARD},
    {0x01954148, "ICS 954148", pCreate<ICS_954148_ClockGenerator>, GSB_PCIE, "ics954148", ON_BOARD},
    {0x01954519, "ICS 954519", pCreate<ICS_954519_ClockGenerator>, GSB_PCIE, "ics954519", ON_BOARD},
    {0x019AB509, "ICS 9PLRS509", pCreate<ICS_9PLRS509_ClockGenerator>, GSB_PCIE, "ics9plrs509", ON_BOARD},
    {0x019AB587, "ICS 9PLRS587", pCreate<ICS_9PLRS587_ClockGenerator>, GSB_PCIE, "ics9plrs587", ON_BOARD},
    {0x08000107, "IDT CV107", pCreate<IDT_CV107_ClockGenerator>, GSB_AGP, "idtcv107", ON_BOARD},
    {0x08000174, "IDT CV174C", pCreate<IDT_CV174C_ClockGenerator>, GSB_PCIE, "idtcv174c", EMULATED},
    {0x02360408, "RTM 360-408", pCreate<RTM_360_408_ClockGenerator>, GSB_AGP, nullptr, BY_HAND},
    {0x02560266, "RTM 560-266", pCreate<RTM_560_266_ClockGenerator>, GSB_AGP, nullptr, BY_HAND},
    {0x02862410, "RTM 862-410", pCreate<RTM_862_410_ClockGenerator>, GSB_PCIE, "rtm862-410", ON_BOARD},
    {0x02865461, "RTM 865-461", pCreate<RTM_865_461_ClockGenerator>, GSB_PCIE, nullptr, BY_HAND},
    {0x40000505, "SLG505YC56D", pCreate<SLG505YC56D_ClockGenerator>, GSB_PCIE, "slg505yc56d", EMULATED},
    {0x20831940, "W83194BG-SD", pCreate<W83194BGSD_ClockGenerator>, GSB_AGP, "w83194bg-sd", EMULATED},
    {0x20831950, "W83195BG-101", pCreate<W83195BG101_ClockGenerator>, GSB_PCIE, "w83195bg-101", ON_BOARD},
    // The PLLs inside nVidia chipsets. The nForce3 drivers run in tests on the nForce4's
    // emulated port windows, but nothing emulates their own PLLs; the nforce680i board holds the
    // C55's registers without a PLL behind them.
    {0x10000020, "NVIDIA nForce2", pCreate<NV_NForce2_ClockGenerator>, GSB_AGP, "nforce2-ultra400", ON_BOARD},
    {0x10000030, "NVIDIA nForce3", pCreate<NV_NForce3_150_ClockGenerator>, GSB_AGP, nullptr, BY_HAND},
    {0x10000035, "NVIDIA nForce3", pCreate<NV_NForce3_250_ClockGenerator>, GSB_AGP, nullptr, BY_HAND},
    {0x10000040, "NVIDIA nForce4", pCreate<NV_NForce4_ClockGenerator>, GSB_PCIE, "nforce4-sli", EMULATED},
    {0x10000041, "NVIDIA nForce4", pCreate<NV_NForce4_IE_ClockGenerator>, GSB_PCIE, nullptr, BY_HAND},
    {0x10000051, "NVIDIA C51", pCreate<NV_GeForce_6100_ClockGenerator>, GSB_PCIE, nullptr, BY_HAND},
    {0x10000054, "NVIDIA MCP55", pCreate<NV_NForce5_ClockGenerator>, GSB_PCIE, "k8-mcp55", EMULATED},
    {0x10000055, "NVIDIA C55", pCreate<NV_NForce680_ClockGenerator>, GSB_PCIE, nullptr, BY_HAND},
};

constexpr bool bChipsetPLL(uint32_t dwID) { return (dwID & PLL_FAMILY_NVIDIA) != 0; }

constexpr size_t nModelsOfKind(bool bChipset)
{
    size_t n = 0;
    for (const PLL_MODEL& model : s_Models) n += bChipsetPLL(model.dwID) == bChipset ? 1 : 0;
    return n;
}

constexpr size_t nLength(const char* psz)
{
    size_t n = 0;
    while (psz[n]) ++n;
    return n;
}

constexpr bool bNamesFit()
{
    for (const PLL_MODEL& model : s_Models)
        if (nLength(model.pszName) >= sizeof(PLL_ENTRY::szName)) return false;
    return true;
}
static_assert(bNamesFit(), "a display name does not fit a PLL_ENTRY");

// The name table of one kind: its rows in their order, then the end entry.
template <size_t N>
constexpr std::array<PLL_ENTRY, N + 1> NameTable(bool bChipset)
{
    std::array<PLL_ENTRY, N + 1> table{};
    size_t n = 0;
    for (const PLL_MODEL& model : s_Models) {
        if (bChipsetPLL(model.dwID) != bChipset) continue;
        table[n].dwID = model.dwID;
        for (size_t i = 0; model.pszName[i]; ++i) table[n].szName[i] = model.pszName[i];
        ++n;
    }
    table[N].dwID = PLL_ID_END;
    return table;
}

constexpr auto s_SMBusNames = NameTable<nModelsOfKind(false)>(false);
constexpr auto s_ChipsetNames = NameTable<nModelsOfKind(true)>(true);

}  // namespace

const PLL_ENTRY* const g_SMBusPLLTable = s_SMBusNames.data();
const PLL_ENTRY* const g_ChipsetPLLTable = s_ChipsetNames.data();

std::span<const PLL_MODEL> PLLModels() { return s_Models; }

const PLL_MODEL* pFindPLLModel(uint32_t dwID)
{
    for (const PLL_MODEL& model : s_Models)
        if (model.dwID == dwID) return &model;
    return nullptr;
}

const char* pszPLLName(uint32_t dwID)
{
    const PLL_MODEL* pModel = pFindPLLModel(dwID);
    return pModel ? pModel->pszName : nullptr;
}

CClockGenerator* pCreateClockGenerator(uint32_t dwID)
{
    const PLL_MODEL* pModel = pFindPLLModel(dwID);
    return pModel ? pModel->pfnCreate() : nullptr;
}

CClockGenerator* pCreateSMBusClockChip(uint32_t dwID)
{
    const PLL_MODEL* pModel = pFindPLLModel(dwID);
    if (!pModel || dwID == PLL_ID_NOT_SPECIFIED || bChipsetPLL(dwID)) return nullptr;
    return pModel->pfnCreate();
}

CClockGenerator* pCreateChipsetPLL(uint32_t dwID)
{
    const PLL_MODEL* pModel = pFindPLLModel(dwID);
    return pModel && bChipsetPLL(dwID) ? pModel->pfnCreate() : nullptr;
}
