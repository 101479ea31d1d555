// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The creators of one kind of model, made from the model table (PLLModels.cpp): the chips on
// the SMBus, and the PLLs inside nVidia chipsets. Each gives null for an id that is not its
// own ("Not specified" is neither).
#include <cstdint>

class CClockGenerator;

CClockGenerator* pCreateSMBusClockChip(uint32_t dwID);
CClockGenerator* pCreateChipsetPLL(uint32_t dwID);
