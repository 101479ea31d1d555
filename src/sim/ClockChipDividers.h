// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the emulated clock chips share from their data sheets: the 14.31818 MHz crystal most
// of them run from, and the output dividers of the ICS chips' 4-bit codes,
// base[code AND 3] × 2^(code >> 2), with the bases of the tables the chips use.
namespace sim {

inline constexpr double CRYSTAL_MHZ = 14.31818;

inline constexpr unsigned DIVIDER_BASE_A[4] = {2, 3, 5, 15};
inline constexpr unsigned DIVIDER_BASE_B[4] = {2, 3, 5, 7};
inline constexpr unsigned DIVIDER_BASE_E[4] = {2, 3, 5, 9};
inline constexpr unsigned DIVIDER_BASE_K[4] = {4, 3, 5, 15};

inline unsigned nDivider(const unsigned (&base)[4], unsigned nCode)
{
    return base[nCode & 3] << ((nCode >> 2) & 3);
}

}  // namespace sim
