// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One model-specific register of the processor the calling thread is pinned to: its index
// and the two 32-bit halves of its 64-bit value, read and written through the kit's driver.
#include <cstdint>

class MSR_Register {
public:
    explicit MSR_Register(uint32_t dwIndex) : m_dwIndex(dwIndex), m_dwHigh(0xFFFFFFFF), m_dwLow(0xFFFFFFFF) {}
    virtual ~MSR_Register() {}

    // Reads the register into the two halves; non-zero on success. A failed read leaves both
    // halves all ones, so a stale value is never taken for a fresh one.
    uint32_t Read();
    // Writes the two halves as they are held; non-zero on success.
    uint32_t Write();
    // Sets both halves and writes them.
    uint32_t Write(uint32_t dwHigh, uint32_t dwLow);

    // The halves as one value: high × 2^32 + low.
    uint64_t qwValue() const { return (uint64_t(m_dwHigh) << 32) | m_dwLow; }
    // Bits nFirst to nLast (inclusive, counted in the 64-bit value).
    uint64_t qwBits(unsigned nFirst, unsigned nLast) const;

    uint32_t m_dwIndex;
    uint32_t m_dwHigh;  // 0xFFFFFFFF until read
    uint32_t m_dwLow;   // 0xFFFFFFFF until read
};
