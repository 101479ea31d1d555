// SPDX-License-Identifier: GPL-2.0-or-later
// The model tables of the Intel families. Rows are tried in order: the rows that look at the
// brand string, brand id, core count or cache size come before the plain row of their model.
#include "cpu/FamilyTools.h"
#include "cpu/IntelFamilies.h"

using namespace cpufamily;

namespace {

constexpr uint8_t ALL = ANY_STEPPING_LAST;

constexpr CPU_NAME_ROW s_P5Models[] = {
    {5, 1, 1, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium", "P5", PKG_SOCKET_4, 800},
    {5, 2, 2, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium", "P54C", PKG_SOCKET_5, 600},
    {5, 3, 3, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium OverDrive", "P24T", 0, 600},
    {5, 4, 4, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium MMX", "P55C", PKG_SOCKET_7, 350},
    {5, 7, 7, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium", "P54CS", PKG_SOCKET_7, 350},
    {5, 8, 8, 0, ALL, nullptr, 0, 0, 0, "Intel Mobile Pentium MMX", "Tillamook", PKG_TCP_MOBILE, 250},
};

constexpr CPU_NAME_ROW s_P6Models[] = {
    {6, 1, 1, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium Pro", "P6", PKG_SOCKET_8, 350},
    {6, 3, 3, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium II", "Klamath", PKG_SLOT1_SECC, 350},
    {6, 5, 5, 0, ALL, "Xeon", 0, 0, 0, "Intel Pentium II Xeon", "Drake", PKG_SLOT2_SECC, 250},
    {6, 5, 5, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium II", "Deschutes", PKG_SLOT1_SECC, 250},
    {6, 6, 6, 0, ALL, nullptr, 0, 0, 128, "Intel Celeron", "Mendocino", PKG_370_PPGA, 250},
    {6, 6, 6, 0, ALL, nullptr, 0, 0, 0, "Intel Mobile Pentium II", "Dixon", PKG_MC, 250},
    {6, 7, 7, 0, ALL, "Xeon", 0, 0, 0, "Intel Pentium III Xeon", "Tanner", PKG_SLOT2_SECC, 250},
    {6, 7, 7, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium III", "Katmai", PKG_SLOT1_SECC2, 250},
    {6, 8, 8, 0, ALL, nullptr, 0, 1, 0, "Intel Celeron", "Coppermine-128", PKG_370_FCPGA, 180},
    {6, 8, 8, 0, ALL, nullptr, 0, 3, 0, "Intel Pentium III Xeon", "Cascades", PKG_SLOT2_SECC, 180},
    {6, 8, 8, 0, ALL, nullptr, 0, 6, 0, "Intel Mobile Pentium III", "Coppermine", PKG_MC, 180},
    {6, 8, 8, 0, ALL, nullptr, 0, 7, 0, "Intel Mobile Celeron", "Coppermine-128", PKG_MC, 180},
    {6, 8, 8, 0, ALL, nullptr, 0, 0, 128, "Intel Celeron", "Coppermine-128", PKG_370_FCPGA, 180},
    {6, 8, 8, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium III", "Coppermine", PKG_370_FCPGA, 180},
    {6, 10, 10, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium III Xeon", "Cascades", PKG_SLOT2_SECC, 180},
    {6, 11, 11, 0, ALL, nullptr, 0, 3, 0, "Intel Celeron", "Tualatin-256", PKG_370_FCPGA2, 130},
    {6, 11, 11, 0, ALL, nullptr, 0, 6, 0, "Intel Mobile Pentium III-M", "Tualatin", PKG_MC, 130},
    {6, 11, 11, 0, ALL, nullptr, 0, 7, 0, "Intel Mobile Celeron", "Tualatin-256", PKG_MC, 130},
    {6, 11, 11, 0, ALL, nullptr, 0, 0, 256, "Intel Celeron", "Tualatin-256", PKG_370_FCPGA2, 130},
    {6, 11, 11, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium III", "Tualatin", PKG_370_FCPGA2, 130},
};

constexpr CPU_NAME_ROW s_NetburstModels[] = {
    {15, 0, 0, 0, ALL, "Xeon", 0, 0, 0, "Intel Xeon", "Foster", PKG_603_MPGA, 180},
    {15, 0, 0, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium 4", "Willamette", PKG_423_MPGA, 180},
    {15, 1, 1, 0, ALL, "Xeon", 0, 0, 0, "Intel Xeon", "Foster", PKG_603_MPGA, 180},
    {15, 1, 1, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron", "Willamette-128", PKG_478_MPGA, 180},
    {15, 1, 1, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium 4", "Willamette", PKG_478_MPGA, 180},
    {15, 2, 2, 0, ALL, "Xeon", 0, 0, 0, "Intel Xeon", "Prestonia", PKG_604_MPGA, 130},
    {15, 2, 2, 0, ALL, "Mobile", 0, 0, 0, "Intel Mobile Pentium 4-M", "Northwood", PKG_478_MPGA, 130},
    {15, 2, 2, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron", "Northwood-128", PKG_478_MPGA, 130},
    {15, 2, 2, 0, ALL, "Extreme", 0, 0, 0, "Intel Pentium 4 Extreme Edition", "Gallatin", PKG_478_MPGA, 130},
    {15, 2, 2, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium 4", "Northwood", PKG_478_MPGA, 130},
    {15, 3, 3, 0, ALL, "Xeon", 0, 0, 0, "Intel Xeon", "Nocona", PKG_604_MPGA, 90},
    {15, 3, 3, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron D", "Prescott-256", PKG_478_MPGA, 90},
    {15, 3, 3, 0, ALL, "Mobile", 0, 0, 0, "Intel Mobile Pentium 4", "Prescott", PKG_478_MPGA, 90},
    {15, 3, 3, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium 4", "Prescott", PKG_478_MPGA, 90},
    {15, 4, 4, 0, ALL, "Xeon", 2, 0, 0, "Intel Xeon", "Paxville", PKG_604_MPGA, 90},
    {15, 4, 4, 0, ALL, "Xeon", 0, 0, 0, "Intel Xeon", "Irwindale", PKG_604_MPGA, 90},
    {15, 4, 4, 0, ALL, "Extreme", 2, 0, 0, "Intel Pentium Extreme Edition", "Smithfield", PKG_775_LGA, 90},
    {15, 4, 4, 0, ALL, "Extreme", 0, 0, 0, "Intel Pentium 4 Extreme Edition", "Prescott-2M", PKG_775_LGA, 90},
    {15, 4, 4, 0, ALL, "Pentium(R) D", 0, 0, 0, "Intel Pentium D", "Smithfield", PKG_775_LGA, 90},
    {15, 4, 4, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron D", "Prescott-256", PKG_775_LGA, 90},
    {15, 4, 4, 0, ALL, nullptr, 2, 0, 0, "Intel Pentium D", "Smithfield", PKG_775_LGA, 90},
    {15, 4, 4, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium 4", "Prescott", PKG_775_LGA, 90},
    {15, 6, 6, 0, ALL, "Xeon", 2, 0, 0, "Intel Xeon", "Dempsey", PKG_771_LGA, 65},
    {15, 6, 6, 0, ALL, "Xeon", 0, 0, 0, "Intel Xeon", "Tulsa", PKG_604_MPGA, 65},
    {15, 6, 6, 0, ALL, "Extreme", 0, 0, 0, "Intel Pentium Extreme Edition", "Presler", PKG_775_LGA, 65},
    {15, 6, 6, 0, ALL, "Pentium(R) D", 0, 0, 0, "Intel Pentium D", "Presler", PKG_775_LGA, 65},
    {15, 6, 6, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron D", "Cedar Mill-512", PKG_775_LGA, 65},
    {15, 6, 6, 0, ALL, nullptr, 2, 0, 0, "Intel Pentium D", "Presler", PKG_775_LGA, 65},
    {15, 6, 6, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium 4", "Cedar Mill", PKG_775_LGA, 65},
};

constexpr CPU_NAME_ROW s_MobileModels[] = {
    {6, 9, 9, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron M", "Banias-512", PKG_479_MPGA, 130},
    {6, 9, 9, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium M", "Banias", PKG_479_MPGA, 130},
    {6, 13, 13, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron M", "Dothan-1024", PKG_479_MPGA, 90},
    {6, 13, 13, 0, ALL, nullptr, 0, 0, 0, "Intel Pentium M", "Dothan", PKG_479_MPGA, 90},
};

constexpr CPU_NAME_ROW s_CoreModels[] = {
    {6, 14, 14, 0, ALL, "Xeon", 0, 0, 0, "Intel Xeon LV", "Sossaman", PKG_479_MPGA, 65},
    {6, 14, 14, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron M", "Yonah", PKG_479_MPGA, 65},
    {6, 14, 14, 0, ALL, "Solo", 0, 0, 0, "Intel Core Solo", "Yonah", PKG_479_MPGA, 65},
    {6, 14, 14, 0, ALL, nullptr, 1, 0, 0, "Intel Core Solo", "Yonah", PKG_479_MPGA, 65},
    {6, 14, 14, 0, ALL, nullptr, 0, 0, 0, "Intel Core Duo", "Yonah", PKG_479_MPGA, 65},
};

constexpr CPU_NAME_ROW s_Core2Models[] = {
    {6, 15, 15, 0, ALL, "Xeon", 4, 0, 0, "Intel Xeon", "Clovertown", PKG_771_LGA, 65},
    {6, 15, 15, 0, ALL, "Xeon", 0, 0, 0, "Intel Xeon", "Woodcrest", PKG_771_LGA, 65},
    {6, 15, 15, 0, ALL, "Extreme", 4, 0, 0, "Intel Core 2 Extreme", "Kentsfield", PKG_775_LGA, 65},
    {6, 15, 15, 0, ALL, "Extreme CPU X7", 0, 0, 0, "Intel Core 2 Extreme", "Merom", PKG_479_MPGA, 65},
    {6, 15, 15, 0, ALL, "Extreme", 0, 0, 0, "Intel Core 2 Extreme", "Conroe XE", PKG_775_LGA, 65},
    {6, 15, 15, 0, ALL, "Quad", 0, 0, 0, "Intel Core 2 Quad", "Kentsfield", PKG_775_LGA, 65},
    {6, 15, 15, 0, ALL, nullptr, 4, 0, 0, "Intel Core 2 Quad", "Kentsfield", PKG_775_LGA, 65},
    {6, 15, 15, 0, ALL, "Celeron(R) Dual-Core", 0, 0, 0, "Intel Celeron Dual-Core", "Allendale", PKG_775_LGA, 65},
    {6, 15, 15, 0, ALL, "Celeron", 0, 0, 0, "Intel Celeron M", "Merom", PKG_479_MPGA, 65},
    {6, 15, 15, 0, ALL, "Pentium", 0, 0, 0, "Intel Pentium Dual-Core", "Allendale", PKG_775_LGA, 65},
    // Mobile processor numbers.
    {6, 15, 15, 0, ALL, " T5", 0, 0, 0, "Intel Core 2 Duo", "Merom", PKG_479_MPGA, 65},
    {6, 15, 15, 0, ALL, " T7", 0, 0, 0, "Intel Core 2 Duo", "Merom", PKG_479_MPGA, 65},
    {6, 15, 15, 0, ALL, " L7", 0, 0, 0, "Intel Core 2 Duo", "Merom", PKG_479_MPGA, 65},
    {6, 15, 15, 0, ALL, " U7", 0, 0, 0, "Intel Core 2 Duo", "Merom", PKG_479_FCBGA, 65},
    // Desktop: the L2 and M0 steppings are the 2 MB die.
    {6, 15, 15, 2, 2, nullptr, 0, 0, 0, "Intel Core 2 Duo", "Allendale", PKG_775_LGA, 65},
    {6, 15, 15, 13, 13, nullptr, 0, 0, 0, "Intel Core 2 Duo", "Allendale", PKG_775_LGA, 65},
    {6, 15, 15, 0, ALL, nullptr, 0, 0, 0, "Intel Core 2 Duo", "Conroe", PKG_775_LGA, 65},
    {6, 22, 22, 0, ALL, "Celeron(R) M", 0, 0, 0, "Intel Celeron M", "Merom-L", PKG_479_MPGA, 65},
    {6, 22, 22, 0, ALL, nullptr, 0, 0, 0, "Intel Celeron", "Conroe-L", PKG_775_LGA, 65},
};

}  // namespace

bool bNameIntelP5(CCPUThread& thread) { return bApplyNameTable(thread, s_P5Models); }

bool bNameIntelP6(CCPUThread& thread) { return bApplyNameTable(thread, s_P6Models); }

bool bNameIntelNetburst(CCPUThread& thread) { return bApplyNameTable(thread, s_NetburstModels); }

bool bNameIntelMobile(CCPUThread& thread) { return bApplyNameTable(thread, s_MobileModels); }

bool bNameIntelCore(CCPUThread& thread) { return bApplyNameTable(thread, s_CoreModels); }

bool bNameIntelCore2(CCPUThread& thread) { return bApplyNameTable(thread, s_Core2Models); }
