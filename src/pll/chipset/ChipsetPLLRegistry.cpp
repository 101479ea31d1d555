// The PLLs inside nVidia chipsets by PLL id.
#include "pll/PLLChipRegistry.h"

CClockGenerator* pCreateChipsetPLL(uint32_t) { return nullptr; }
