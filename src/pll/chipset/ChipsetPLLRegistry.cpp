// The PLLs inside nVidia chipsets by PLL id.
#include "pll/PLLChipRegistry.h"

#include "pll/chipset/NVConfigPLL.h"
#include "pll/chipset/NVNForce2.h"
#include "pll/chipset/NVNForce3.h"
#include "pll/chipset/NVNForce4.h"

namespace {

struct CHIPSET_PLL_CREATOR {
    uint32_t dwID;
    CClockGenerator* (*pfnCreate)();
};

template <typename T>
CClockGenerator* pCreate()
{
    return new T;
}

constexpr CHIPSET_PLL_CREATOR s_Creators[] = {
    {0x10000020, pCreate<NV_NForce2_ClockGenerator>},
    {0x10000030, pCreate<NV_NForce3_150_ClockGenerator>},
    {0x10000035, pCreate<NV_NForce3_250_ClockGenerator>},
    {0x10000040, pCreate<NV_NForce4_ClockGenerator>},
    {0x10000041, pCreate<NV_NForce4_IE_ClockGenerator>},
    {0x10000051, pCreate<NV_GeForce_6100_ClockGenerator>},
    {0x10000054, pCreate<NV_NForce5_ClockGenerator>},
    {0x10000055, pCreate<NV_NForce680_ClockGenerator>},
};

}  // namespace

CClockGenerator* pCreateChipsetPLL(uint32_t dwID)
{
    for (const CHIPSET_PLL_CREATOR& creator : s_Creators)
        if (creator.dwID == dwID) return creator.pfnCreate();
    return nullptr;
}
