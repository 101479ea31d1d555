// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's SMBIOS tables: the optional "smbios" section of a board file, from which the
// board builds an "_SM_" entry point with its "_DMI_" part at a 16-byte boundary between
// 0xF0000 and 0xFFFFF and the structure table (BIOS, system, base board, chassis,
// processors, caches, memory controller and modules, memory array and devices, end of
// table), and lays them into the board's RAM as a BIOS does. Raw structures and damage
// settings give broken tables for tests of the code that walks them.
#include "sim/BoardConfig.h"
#include "sim/JsonFields.h"

namespace sim {

// Decodes the section and writes the entry point and the table into the memory regions of
// config; both must lie inside a region, on bytes nothing else was put on. Runs after the
// memory regions are decoded.
bool bParseSMBIOSSection(const json& smbios, CFieldReader& reader, BoardConfig& config);

}  // namespace sim
