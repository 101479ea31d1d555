#pragma once
// The creators behind the model table: one for the chips on the SMBus, one for the PLLs inside
// nVidia chipsets. Each gives null for an id that is not its own.
#include <cstdint>

class CClockGenerator;

CClockGenerator* pCreateSMBusClockChip(uint32_t dwID);
CClockGenerator* pCreateChipsetPLL(uint32_t dwID);
