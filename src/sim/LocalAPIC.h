// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The local APIC page: every processor sees its own local APIC at the same physical address.
// Served: the id (0x20) and version (0x30) registers, the timer (LVT 0x320, initial count
// 0x380, current count 0x390, divide configuration 0x3E0), and the other registers as plain
// storage with their reset values.
#include <array>
#include <cstdint>
#include <vector>

#include "sim/BoardProcessors.h"
#include "sim/BusHandlers.h"

namespace sim {

class CLocalAPICPage : public CMemoryHandler {
public:
    static constexpr uint32_t REG_ID = 0x20;
    static constexpr uint32_t REG_VERSION = 0x30;
    static constexpr uint32_t REG_EOI = 0xB0;
    static constexpr uint32_t REG_SPURIOUS = 0xF0;
    static constexpr uint32_t REG_LVT_TIMER = 0x320;
    static constexpr uint32_t REG_INITIAL_COUNT = 0x380;
    static constexpr uint32_t REG_CURRENT_COUNT = 0x390;
    static constexpr uint32_t REG_DIVIDE_CONFIG = 0x3E0;
    static constexpr uint32_t VERSION = 0x00050014;  // 6 LVT entries, an integrated APIC
    static constexpr uint32_t LVT_PERIODIC = 1u << 17;
    static constexpr uint32_t LVT_MASKED = 1u << 16;

    // With bTimerRunning every processor's timer starts periodic, divided by 1, from
    // 0xFFFFFFFF, as an operating system leaves it; otherwise the timers stand still.
    CLocalAPICPage(uint64_t qwBase, CBoardProcessors& processors, bool bTimerRunning);
    void vRead(uint64_t qwOffset, uint32_t nCount, uint8_t* pBuffer, const AccessContext& context) override;
    void vWrite(uint64_t qwOffset, uint32_t nCount, const uint8_t* pData, const AccessContext& context) override;

    // Divisor of the divide configuration register (bits 0, 1 and 3).
    static uint32_t nDivisor(uint32_t dwDivideConfig);

private:
    struct Apic {
        std::array<uint32_t, 64> Registers{};  // one per 16-byte slot of the page's first KiB
        // The timer counted down from dwStartCount at qwStartBusCycles.
        uint32_t dwStartCount = 0;
        uint64_t qwStartBusCycles = 0;
    };

    uint32_t dwReadRegister(unsigned nCpu, uint32_t nOffset, uint64_t qwNs);
    void vWriteRegister(unsigned nCpu, uint32_t nOffset, uint32_t dwValue, uint64_t qwNs);
    uint32_t dwCurrentCount(const Apic& apic, uint64_t qwNs) const;
    // Starts a new stretch of the count at qwNs, so that a new mode or divisor applies from now.
    void vRestartStretch(Apic& apic, uint64_t qwNs);
    Apic& ApicOf(unsigned nCpu);

    CBoardProcessors& m_Processors;
    std::vector<Apic> m_Apics;
};

}  // namespace sim
