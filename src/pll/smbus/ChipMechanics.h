// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the clock chips on the SMBus have in common: the output divider code tables, reading
// the register block (with the repair of chips that send only as many bytes as their
// byte-count register says), programming-enable bits, output dividers learned from the
// measured bus clock, and the M/N fields of the ICS-style PLL registers.
#include <cstdint>

#include "pll/PLLSearch.h"

class CClockGenerator;

// The output divider tables: divider = base[code & 3] << (code >> 2), except G, which is a
// plain list. DIV_MEASURED: the chip does not expose the divider, it is learned from the
// measured bus clock. DIV_OWN: the model decodes it itself.
enum DIVIDER_TABLE : int8_t {
    DIV_TABLE_A,
    DIV_TABLE_B,
    DIV_TABLE_D,
    DIV_TABLE_E,
    DIV_TABLE_F,
    DIV_TABLE_G,
    DIV_TABLE_K,
    DIV_MEASURED = -1,
    DIV_OWN = -2,
};

// The divider of a 4-bit code, -1 for a code outside 0..15 or an unknown table.
int32_t nTableDivider(int32_t nTable, int32_t nCode);

// Where a divider code sits: the table, the register and the shift of its nibble.
struct DIVIDER_FIELD {
    int8_t nTable;
    uint8_t nRegister;
    uint8_t nShift;
};
int32_t nFieldDivider(const uint8_t* pRegisters, const DIVIDER_FIELD& field);

// a / b, or -1 when either is not a known (positive) value: a divider of 0 read from a
// garbage image must not turn into an infinite clock.
float fDivideClock(float fValue, float fDivider);

// The bus clock measured by the CPU interface, -1 when there is none.
float fMeasuredBusClock();
// Learns a divider the chip does not expose: while it is -1 and a bus clock is known, it
// becomes the VCO over the bus clock, rounded; a result below 1 is not kept.
void vLearnDivider(int32_t& nDivider, float fVCO);

// How a model reads its block. A count below nMinimum fails. When nCountRegister >= 0, the
// count is below nLength and the register does not hold nLength yet, nLength goes into it,
// registers 0..nCountRegister are written back, and after 500 ms the block is read again
// (then 200 ms more).
struct CHIP_READ {
    int32_t nMinimum = 0;
    int32_t nLength = 0;
    int32_t nCountRegister = -1;  // -1: no repair
    bool bFillOnes = false;       // the buffer is filled with 0xFF before each read
};

// Reads the block into the chip's image. Returns the count finally received (also put into
// m_nRegisterCount), or 0 on failure, in which case the image and the count are untouched.
int32_t nReadChipImage(CClockGenerator& chip, const CHIP_READ& read);

// A programming-enable bit: its state is read from one bit, and enabling sets (or, when
// bActiveLow, clears) another. nStateRegister < 0: the chip has none.
struct ENABLE_BIT {
    int16_t nStateRegister = -1;
    uint8_t bStateMask = 0;
    int16_t nSetRegister = -1;
    uint8_t bSetMask = 0;
    bool bActiveLow = false;  // the PLL registers are live while the bit is clear
};
bool bEnableState(const uint8_t* pRegisters, const ENABLE_BIT& bit);
void vEnable(uint8_t* pRegisters, const ENABLE_BIT& bit);

// How M and N sit in the two registers of an ICS-style PLL.
enum MN_LAYOUT : uint8_t {
    MN_M6_N10,   // M = m & 0x3F, N = n + 256 × bit 7 + 512 × bit 6 of m
    MN_M7_N9,    // M = m & 0x7F, N = n + 256 × bit 7 of m
    MN_M7_NLOW,  // M = m & 0x7F, N = 2 × n + bit 7 of m
    MN_M6_NLOW,  // M = m & 0x3F, N = 4 × n + (m >> 6)
};

struct MN_FIELDS {
    uint8_t nMRegister;            // M and, by the layout, the high bits of N
    uint8_t nNRegister;            // the low bits of N
    MN_LAYOUT eLayout;
    int16_t nNBit10Register = -1;  // N bit 10 in bit 6 of this register; -1 none
};

void vDecodeMN(const uint8_t* pRegisters, const MN_FIELDS& fields, int32_t& nM, int32_t& nN);
bool bFitsMN(const MN_FIELDS& fields, int32_t nM, int32_t nN);
// False (nothing changed) when M or N does not fit the fields.
bool bEncodeMN(uint8_t* pRegisters, const MN_FIELDS& fields, int32_t nM, int32_t nN);

// An M/N PLL: VCO = reference × (N + Search.fOffset) / (M + nMOffset).
struct MN_PLL {
    MN_FIELDS Fields;
    int32_t nMOffset;   // the divisor of the reference is M + nMOffset
    PLL_SEARCH Search;  // its divisors are M + nMOffset, its fOffset is the N offset
};

float fPLLOutput(float fReference, const MN_PLL& pll, int32_t nM, int32_t nN);

// The dividers that give VCO target fVCO; false when none fits (or the target is unknown).
bool bFindMN(float fVCO, float fReference, const MN_PLL& pll, int32_t& nM, int32_t& nN);

// The waits the chips need.
enum : uint32_t {
    CHIP_SETTLE_MS = 200,
    CHIP_REPAIR_MS = 500,
};
