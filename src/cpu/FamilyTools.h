// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the vendor and family objects share: CPUID on the processor the caller is pinned to,
// MSR fields read through the thread, the model tables that name a processor, and the trace
// line each object adds to the machine dump.
#include <cstddef>
#include <cstdint>

#include "platform/Processors.h"

class CCPUThread;
class FIDVID_Control;

namespace cpufamily {

inline platform::CpuidRegs Cpuid(uint32_t dwLeaf, uint32_t dwSubLeaf = 0)
{
    return platform::Processors().Cpuid(dwLeaf, dwSubLeaf);
}

inline uint32_t dwBits(uint32_t dwValue, unsigned nFirst, unsigned nLast)
{
    const unsigned nCount = nLast - nFirst + 1;
    return nCount >= 32 ? dwValue >> nFirst : (dwValue >> nFirst) & ((1u << nCount) - 1);
}

// Bits nFirst to nLast of the thread's MSR; false when the register cannot be read.
bool bReadMSRBits(CCPUThread& thread, uint32_t dwIndex, unsigned nFirst, unsigned nLast, uint32_t& dwValue);

// The multiplier of a code through a table of nCount entries; -1 outside it (entries of
// -1 in the table stand for codes without a multiplier).
float fLookUp(const float* pfTable, size_t nCount, uint32_t nCode);

// One row of a model table. A row matches when every condition it sets holds; the first
// matching row names the processor.
struct CPU_NAME_ROW {
    uint16_t nExtFamily;        // 0: any
    uint16_t nModelFirst;       // extended model range
    uint16_t nModelLast;
    uint8_t nSteppingFirst;
    uint8_t nSteppingLast;
    const char* pszBrand;       // text the brand string contains; null: any
    uint8_t nCores;             // cores per package; 0: any
    uint8_t nBrandID;           // leaf 1 brand id; 0: any
    uint16_t nMaxL2KB;          // the level 2 cache is known and at most this big; 0: any
    const char* pszName;
    const char* pszCodeName;
    uint32_t dwPackage;         // package type code, 0 when unknown
    uint16_t nProcess;          // nm, 0 when unknown
};

enum : uint8_t { ANY_STEPPING_LAST = 0xFF };

// Package type codes (their names are the processor package's).
enum : uint32_t {
    PKG_SOCKET_4 = 0x10001,
    PKG_SOCKET_5 = 0x10002,
    PKG_TCP_MOBILE = 0x10003,
    PKG_SOCKET_7 = 0x10004,
    PKG_SOCKET_8 = 0x10005,
    PKG_SOCKET_A = 0x10006,
    PKG_SOCKET_754 = 0x10007,
    PKG_SOCKET_939 = 0x10008,
    PKG_SOCKET_940 = 0x10009,
    PKG_SOCKET_AM2 = 0x1000A,
    PKG_SOCKET_S1 = 0x1000B,
    PKG_SOCKET_F = 0x1000C,
    PKG_370_CPGA = 0x1000D,
    PKG_370_PPGA = 0x1000E,
    PKG_370_FCPGA = 0x1000F,
    PKG_370_FCPGA2 = 0x10010,
    PKG_BGA2 = 0x10013,
    PKG_479_FCBGA = 0x10014,
    PKG_423_MPGA = 0x10015,
    PKG_478_MPGA = 0x10016,
    PKG_479_MPGA = 0x10017,
    PKG_603_MPGA = 0x10018,
    PKG_604_MPGA = 0x10019,
    PKG_775_LGA = 0x1001A,
    PKG_771_LGA = 0x1001B,
    PKG_SLOT1_SECC = 0x20001,
    PKG_SLOT1_SECC2 = 0x20002,
    PKG_SLOT2_SECC = 0x20004,
    PKG_MC = 0x20005,
    PKG_SLOT_A = 0x20007,
};

// The size of the thread's level 2 cache in KB; -1 when no descriptor tells.
int32_t nL2SizeKB(const CCPUThread& thread);

// The first row that matches the thread, or null.
const CPU_NAME_ROW* pFindNameRow(const CCPUThread& thread, const CPU_NAME_ROW* pRows, size_t nRows);

// Names the thread after the first matching row (name, code name, package, process size);
// false, with nothing changed, when no row matches.
bool bApplyNameTable(CCPUThread& thread, const CPU_NAME_ROW* pRows, size_t nRows);

template <size_t N>
bool bApplyNameTable(CCPUThread& thread, const CPU_NAME_ROW (&rows)[N])
{
    return bApplyNameTable(thread, rows, N);
}

// The line a family object adds to the dump, and the reset FID and VID of its control when
// they are known.
void vDumpFamily(const char* pszFamily, FIDVID_Control* pControl);

}  // namespace cpufamily
