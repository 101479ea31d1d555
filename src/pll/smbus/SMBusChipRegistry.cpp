// The SMBus clock chips by PLL id.
#include "pll/PLLChipRegistry.h"

CClockGenerator* pCreateSMBusClockChip(uint32_t) { return nullptr; }
