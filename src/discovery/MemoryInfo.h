// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the memory controller tells about the memory: type, ratio to the bus clock (or offset
// from it, or divider of the processor clock), timings, channels, ECC, and the memory clock
// worked out from them.
#include <cstdint>
#include <memory>

// Slots of CMemoryInfo::m_nTiming, in clocks. The readers fill those their chipset has.
enum : unsigned {
    MEMORY_TIMING_RCD = 0,           // RAS to CAS delay
    MEMORY_TIMING_RP = 1,            // RAS precharge
    MEMORY_TIMING_RAS = 2,           // active to precharge
    MEMORY_TIMING_RC = 3,            // row cycle (or what the chipset keeps in that place)
    MEMORY_TIMING_COMMAND_RATE = 7,  // 1T or 2T
    MEMORY_TIMING_COUNT = 8,
};

class CMemoryInfo {
public:
    CMemoryInfo();
    virtual ~CMemoryInfo();
    CMemoryInfo(const CMemoryInfo&) = delete;
    CMemoryInfo& operator=(const CMemoryInfo&) = delete;

    // The name of a memory type code as far as the readers say what it means; null otherwise.
    static const char* pszTypeName(int32_t nType);

    // Back to the state after construction, before a reader runs again.
    void Reset();
    // Every field of the other record but the reader's own data: a copy for a window that
    // works out memory clocks without the kit lock.
    void CopyFrom(const CMemoryInfo& other);
    // Sets m_fRatio and m_szRatio together.
    void SetRatio(float fRatio, const char* pszRatio);
    // The memory clock for this bus clock (and processor clock multiplier, for memory
    // controllers inside the processor); -1 when it cannot be known.
    float GetMemoryClock(float fBusClock, float fProcessorValue) const;

    int32_t m_nMemoryType;         // all ones until known
    int32_t m_nReserved1;          // all ones
    float m_fRatio;                // memory clock / bus clock; -1 when not fixed
    float m_fOffset;               // memory clock - bus clock; -1 when not fixed
    int32_t m_nDivider;            // processor clock / memory clock; all ones when not
    float m_fCAS;                  // CAS latency; -1 when unknown
    int32_t m_nTiming[MEMORY_TIMING_COUNT];  // all ones when unknown
    float m_fMemoryClock;          // MHz; -1 when unknown
    int32_t m_nReserved2;          // all ones
    int32_t m_nReserved3;          // all ones
    int32_t m_nChannels;           // 1 or 2 where known; all ones otherwise
    char m_szECC[32];              // "No-ECC", "ECC", ...
    char m_szRatio[32];            // "1:1", "4:5", "CPU/5", "FSB + 33 MHz", ...
    int32_t m_bECCEnabled;         // 1 when the controller checks ECC (where it tells)
    int32_t m_nReserved4;          // all ones
    std::unique_ptr<uint8_t[]> m_pData;  // chipset data a reader keeps; freed with the record
    float m_fNominal;              // a nominal clock the reader records; informative only
    int32_t m_bFixedClock;         // non-zero: m_fMemoryClock was measured and is returned as it is
};
