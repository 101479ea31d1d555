// SPDX-License-Identifier: GPL-2.0-or-later
// The model tables of the AMD families. Rows are tried in order: the rows that look at the
// brand string or the core count come before the plain rows of their models.
#include "cpu/AMDFamilies.h"
#include "cpu/FamilyTools.h"

using namespace cpufamily;

namespace {

constexpr uint8_t ALL = ANY_STEPPING_LAST;

constexpr CPU_NAME_ROW s_K6Models[] = {
    {5, 6, 6, 0, ALL, nullptr, 0, 0, 0, "AMD K6", "K6", PKG_SOCKET_7, 350},
    {5, 7, 7, 0, ALL, nullptr, 0, 0, 0, "AMD K6", "Little Foot", PKG_SOCKET_7, 250},
    {5, 8, 8, 0, ALL, nullptr, 0, 0, 0, "AMD K6-2", "Chomper", PKG_SOCKET_7, 250},
    {5, 9, 9, 0, ALL, nullptr, 0, 0, 0, "AMD K6-III", "Sharptooth", PKG_SOCKET_7, 250},
    {5, 13, 13, 0, ALL, "III+", 0, 0, 0, "AMD K6-III+", "Sharptooth", PKG_SOCKET_7, 180},
    {5, 13, 13, 0, ALL, nullptr, 0, 0, 0, "AMD K6-2+", "Chomper", PKG_SOCKET_7, 180},
    // An Athlon signature behind an extended leaf that reports family 6, as virtual machines
    // present their "athlon" processor.
    {6, 0, 0xFF, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon", "", 0, 0},
};

constexpr CPU_NAME_ROW s_K7Models[] = {
    {6, 1, 1, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon", "Argon", PKG_SLOT_A, 250},
    {6, 2, 2, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon", "Pluto", PKG_SLOT_A, 180},
    {6, 3, 3, 0, ALL, nullptr, 0, 0, 0, "AMD Duron", "Spitfire", PKG_SOCKET_A, 180},
    {6, 4, 4, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon", "Thunderbird", PKG_SOCKET_A, 180},
    {6, 6, 6, 0, ALL, "MP", 0, 0, 0, "AMD Athlon MP", "Palomino", PKG_SOCKET_A, 180},
    {6, 6, 6, 0, ALL, "Mobile", 0, 0, 0, "AMD Mobile Athlon 4", "Palomino", PKG_SOCKET_A, 180},
    {6, 6, 6, 0, ALL, "Duron", 0, 0, 0, "AMD Mobile Duron", "Camaro", PKG_SOCKET_A, 180},
    {6, 6, 6, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon XP", "Palomino", PKG_SOCKET_A, 180},
    {6, 7, 7, 0, ALL, nullptr, 0, 0, 0, "AMD Duron", "Morgan", PKG_SOCKET_A, 180},
    {6, 8, 8, 0, ALL, "Duron", 0, 0, 0, "AMD Duron", "Applebred", PKG_SOCKET_A, 130},
    {6, 8, 8, 0, ALL, "Sempron", 0, 0, 0, "AMD Sempron", "Thoroughbred", PKG_SOCKET_A, 130},
    {6, 8, 8, 0, ALL, "MP", 0, 0, 0, "AMD Athlon MP", "Thoroughbred", PKG_SOCKET_A, 130},
    {6, 8, 8, 0, ALL, "XP-M", 0, 0, 0, "AMD Athlon XP-M", "Thoroughbred", PKG_SOCKET_A, 130},
    {6, 8, 8, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon XP", "Thoroughbred", PKG_SOCKET_A, 130},
    {6, 10, 10, 0, ALL, "Sempron", 0, 0, 0, "AMD Sempron", "Thorton", PKG_SOCKET_A, 130},
    {6, 10, 10, 0, ALL, "MP", 0, 0, 0, "AMD Athlon MP", "Barton", PKG_SOCKET_A, 130},
    {6, 10, 10, 0, ALL, "XP-M", 0, 0, 0, "AMD Athlon XP-M", "Barton", PKG_SOCKET_A, 130},
    {6, 10, 10, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon XP", "Barton", PKG_SOCKET_A, 130},
};

// Extended models 0x00 to 0x1F are the 130 nm and first 90 nm parts (sockets 754, 939, 940),
// 0x20 to 0x3F the 90 nm revision E, 0x40 to 0x5F the 90 nm revision F (AM2, F, S1) and
// 0x60 to 0x7F the 65 nm revision G.
constexpr CPU_NAME_ROW s_K8Models[] = {
    {15, 0x00, 0x0F, 0, ALL, "Opteron", 0, 0, 0, "AMD Opteron", "SledgeHammer", PKG_SOCKET_940, 130},
    {15, 0x10, 0x3F, 0, ALL, "Opteron", 2, 0, 0, "AMD Opteron", "Italy", PKG_SOCKET_940, 90},
    {15, 0x10, 0x3F, 0, ALL, "Opteron", 0, 0, 0, "AMD Opteron", "Troy", PKG_SOCKET_940, 90},
    {15, 0x40, 0x7F, 0, ALL, "Opteron", 0, 0, 0, "AMD Opteron", "Santa Rosa", PKG_SOCKET_F, 90},
    {15, 0x00, 0x0F, 0, ALL, "FX", 0, 0, 0, "AMD Athlon 64 FX", "SledgeHammer", PKG_SOCKET_939, 130},
    {15, 0x20, 0x3F, 0, ALL, "FX", 2, 0, 0, "AMD Athlon 64 FX", "Toledo", PKG_SOCKET_939, 90},
    {15, 0x10, 0x3F, 0, ALL, "FX", 0, 0, 0, "AMD Athlon 64 FX", "San Diego", PKG_SOCKET_939, 90},
    {15, 0x40, 0x7F, 0, ALL, "FX", 0, 0, 0, "AMD Athlon 64 FX", "Windsor", PKG_SOCKET_AM2, 90},
    {15, 0x00, 0x0F, 0, ALL, "Sempron", 0, 0, 0, "AMD Sempron", "Paris", PKG_SOCKET_754, 130},
    {15, 0x10, 0x3F, 0, ALL, "Sempron", 0, 0, 0, "AMD Sempron", "Palermo", PKG_SOCKET_754, 90},
    {15, 0x40, 0x5F, 0, ALL, "Sempron", 0, 0, 0, "AMD Sempron", "Manila", PKG_SOCKET_AM2, 90},
    {15, 0x60, 0x7F, 0, ALL, "Sempron", 0, 0, 0, "AMD Sempron", "Sparta", PKG_SOCKET_AM2, 65},
    {15, 0x10, 0x3F, 0, ALL, "Turion", 0, 0, 0, "AMD Turion 64", "Lancaster", PKG_SOCKET_754, 90},
    {15, 0x40, 0x5F, 0, ALL, "Turion", 0, 0, 0, "AMD Turion 64 X2", "Taylor", PKG_SOCKET_S1, 90},
    {15, 0x60, 0x7F, 0, ALL, "Turion", 0, 0, 0, "AMD Turion 64 X2", "Tyler", PKG_SOCKET_S1, 65},
    {15, 0x23, 0x23, 0, ALL, nullptr, 2, 0, 0, "AMD Athlon 64 X2", "Toledo", PKG_SOCKET_939, 90},
    {15, 0x20, 0x3F, 0, ALL, nullptr, 2, 0, 0, "AMD Athlon 64 X2", "Manchester", PKG_SOCKET_939, 90},
    {15, 0x40, 0x5F, 0, ALL, nullptr, 2, 0, 0, "AMD Athlon 64 X2", "Windsor", PKG_SOCKET_AM2, 90},
    {15, 0x60, 0x7F, 0, ALL, nullptr, 2, 0, 0, "AMD Athlon 64 X2", "Brisbane", PKG_SOCKET_AM2, 65},
    {15, 0x04, 0x04, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "ClawHammer", PKG_SOCKET_754, 130},
    {15, 0x05, 0x05, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64 FX", "SledgeHammer", PKG_SOCKET_940, 130},
    {15, 0x07, 0x07, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "ClawHammer", PKG_SOCKET_939, 130},
    {15, 0x08, 0x08, 0, ALL, nullptr, 0, 0, 0, "AMD Mobile Athlon 64", "ClawHammer", PKG_SOCKET_754, 130},
    {15, 0x0B, 0x0B, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "Newcastle", PKG_SOCKET_939, 130},
    {15, 0x0C, 0x0E, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "Newcastle", PKG_SOCKET_754, 130},
    {15, 0x0F, 0x0F, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "Newcastle", PKG_SOCKET_939, 130},
    {15, 0x10, 0x1F, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "Winchester", PKG_SOCKET_939, 90},
    {15, 0x27, 0x27, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "San Diego", PKG_SOCKET_939, 90},
    {15, 0x37, 0x37, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "San Diego", PKG_SOCKET_939, 90},
    {15, 0x2C, 0x2C, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "Venice", PKG_SOCKET_754, 90},
    {15, 0x20, 0x3F, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "Venice", PKG_SOCKET_939, 90},
    {15, 0x40, 0x5F, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "Orleans", PKG_SOCKET_AM2, 90},
    {15, 0x60, 0x7F, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "Lima", PKG_SOCKET_AM2, 65},
    {15, 0x00, 0x0F, 0, ALL, nullptr, 0, 0, 0, "AMD Athlon 64", "ClawHammer", PKG_SOCKET_754, 130},
};

}  // namespace

bool bNameAMDK6(CCPUThread& thread) { return bApplyNameTable(thread, s_K6Models); }

bool bNameAMDK7(CCPUThread& thread) { return bApplyNameTable(thread, s_K7Models); }

bool bNameAMDK8(CCPUThread& thread) { return bApplyNameTable(thread, s_K8Models); }
