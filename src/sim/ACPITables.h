// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's ACPI firmware tables: the optional "acpi" section of a board file, from which
// the board builds an RSDP, an RSDT (and, for revision 2, an XSDT) with a FADT, FACS, DSDT,
// MADT ("APIC") and, with an enhanced configuration window, an MCFG, all with correct
// checksums, and lays them into the board's RAM as a BIOS does. The section can also ask
// for deliberately damaged tables, for tests of the code that walks them.
#include "sim/BoardConfig.h"
#include "sim/JsonFields.h"

namespace sim {

// Decodes the section and writes the tables into the memory regions of config (a region is
// added where a table lies outside all of them). Reads the processors, the PM timer port,
// the APIC base and the enhanced window from config, so it runs after those are decoded.
bool bParseACPISection(const json& acpi, CFieldReader& reader, BoardConfig& config);

}  // namespace sim
