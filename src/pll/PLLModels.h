// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The supported clock generators: one row per model with its PLL id, display name, the driver
// it creates, what its second bus clock is, whether the simulated board emulates it and how
// far its driver has been checked. The name tables of the model lists, the name lookup and the
// creators are all derived from these rows.
// Id: the top byte names the maker by one bit, the low 24 bits hold the part number's digits.
#include <cstdint>
#include <span>

#include "pll/ClockGenerator.h"

enum : uint32_t {
    PLL_FAMILY_ICS = 0x01000000,
    PLL_FAMILY_REALTEK = 0x02000000,
    PLL_FAMILY_CYPRESS = 0x04000000,
    PLL_FAMILY_IDT = 0x08000000,
    PLL_FAMILY_NVIDIA = 0x10000000,  // a PLL inside the chipset (bit 28)
    PLL_FAMILY_WINBOND = 0x20000000,
    PLL_FAMILY_SILEGO = 0x40000000,
    PLL_ID_NOT_SPECIFIED = 0,
    PLL_ID_END = 0xFFFFFFFF,
};

// A chip whose second bus clock is AGP or PCI-E as the graphics card is: the driver starts
// as AGP and each read looks at the card (beside GSB_AGP, GSB_PCIE and GSB_NONE).
constexpr int32_t PLL_GSB_BY_GRAPHICS_CARD = 2;

// How far a model's driver has been checked; each step includes the ones before it.
enum PLL_CHECKED : uint8_t {
    // Tests decode register images and set clocks through a bus that only keeps the bytes,
    // against values worked out by hand from the chip's register description.
    PLL_CHECKED_BY_HAND,
    // Tests also set clocks on the simulator's emulation of the chip, which works its outputs
    // out from its own registers: what the driver reads and sets is what the chip drives. The
    // emulation is written from the same description: it catches slips in the driver's
    // arithmetic and transfers, not a description read wrongly.
    PLL_CHECKED_EMULATED,
    // Tests also apply clocks through the whole kit on a simulated board (its SMBus host or
    // chipset functions, the bus clock measured from the processors): the FSB walk, or the
    // preset of a preset chip, lands where the driver says and the processors run on it.
    PLL_CHECKED_APPLIED_ON_BOARD,
    // Seen working on a real board. No model is yet: the machine tests run in QEMU, whose
    // boards have no clock generator.
    PLL_CHECKED_ON_HARDWARE,
};

struct PLL_MODEL {
    uint32_t dwID;
    const char* pszName;              // display name, shorter than PLL_ENTRY's 64 bytes
    CClockGenerator* (*pfnCreate)();  // a new driver of this model
    int32_t nGSBType;                 // GSB_AGP, GSB_PCIE, GSB_NONE or PLL_GSB_BY_GRAPHICS_CARD
    // Where the simulator emulates it: for a chip on the SMBus the model name of its clock
    // device in board files, for a chipset PLL the board whose chipset functions emulate it.
    // Null when nothing emulates it.
    const char* pszEmulation;
    PLL_CHECKED eChecked;
};

// Every model: the chips on the SMBus in their display order, then the chipset PLLs in theirs.
std::span<const PLL_MODEL> PLLModels();
// The row of an id, or null.
const PLL_MODEL* pFindPLLModel(uint32_t dwID);

struct PLL_ENTRY {
    uint32_t dwID;
    char szName[64];
};

// The two name tables, in their display order, each ending with PLL_ID_END: the SMBus chips
// (with "Not specified" first) and the chipset PLLs, made from the rows.
extern const PLL_ENTRY* const g_SMBusPLLTable;
extern const PLL_ENTRY* const g_ChipsetPLLTable;

// The display name of an id in either table, or null.
const char* pszPLLName(uint32_t dwID);
// A new driver for the id (the "Not specified" id gives a bare CClockGenerator), or null for
// an id in neither table.
CClockGenerator* pCreateClockGenerator(uint32_t dwID);
