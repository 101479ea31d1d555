// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/VIAFamilies.h"

#include "cpu/CPUThread.h"
#include "cpu/FamilyTools.h"

using namespace cpufamily;

namespace {

constexpr uint32_t LEAF_CENTAUR = 0xC0000000;
constexpr uint32_t LEAF_CENTAUR_PERFORMANCE = 0xC0000002;

constexpr int32_t C7_TRANSFERS = 4;

constexpr uint8_t ALL = ANY_STEPPING_LAST;

constexpr CPU_NAME_ROW s_VIAModels[] = {
    {5, 4, 4, 0, ALL, nullptr, 0, 0, 0, "IDT WinChip C6", "C6", PKG_SOCKET_7, 350},
    {5, 8, 8, 0, ALL, nullptr, 0, 0, 0, "IDT WinChip 2", "C6-2", PKG_SOCKET_7, 250},
    {5, 9, 9, 0, ALL, nullptr, 0, 0, 0, "IDT WinChip 3", "C6-3", PKG_SOCKET_7, 250},
    {6, 6, 6, 0, ALL, nullptr, 0, 0, 0, "VIA Cyrix III", "Samuel", PKG_370_CPGA, 180},
    {6, 7, 7, 0, 7, nullptr, 0, 0, 0, "VIA C3", "Samuel 2", PKG_370_CPGA, 150},
    {6, 7, 7, 8, ALL, nullptr, 0, 0, 0, "VIA C3", "Ezra", PKG_370_CPGA, 130},
    {6, 8, 8, 0, ALL, nullptr, 0, 0, 0, "VIA C3", "Ezra-T", PKG_370_CPGA, 130},
    {6, 9, 9, 0, ALL, nullptr, 0, 0, 0, "VIA C3", "Nehemiah", PKG_370_CPGA, 130},
};

constexpr CPU_NAME_ROW s_C7Models[] = {
    {6, 10, 10, 0, ALL, "C7-M", 0, 0, 0, "VIA C7-M", "Esther", PKG_BGA2, 90},
    {6, 10, 10, 0, ALL, "C7-D", 0, 0, 0, "VIA C7-D", "Esther", PKG_BGA2, 90},
    {6, 10, 10, 0, ALL, nullptr, 0, 0, 0, "VIA C7", "Esther", PKG_BGA2, 90},
};

}  // namespace

bool bNameVIA(CCPUThread& thread) { return bApplyNameTable(thread, s_VIAModels); }

bool bNameVIAC7(CCPUThread& thread) { return bApplyNameTable(thread, s_C7Models); }

void VIA_C7_Infos::Identify(CCPUThread& thread) { thread.m_nBusTransfers = C7_TRANSFERS; }

void VIA_C7_Infos::Classify(CCPUThread& thread) { bNameVIAC7(thread); }

float VIA_C7_Infos::GetMultiplier(CCPUThread&)
{
    if (Cpuid(LEAF_CENTAUR).eax < LEAF_CENTAUR_PERFORMANCE) return -1.0f;
    return float(dwBits(Cpuid(LEAF_CENTAUR_PERFORMANCE).ebx, 8, 15));
}

void VIA_C7_Infos::Dump() { vDumpFamily("VIA C7", m_pControl); }
