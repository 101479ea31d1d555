// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's own time: a nanosecond counter that moves only when the program waits or
// touches the hardware, so that every wait the program makes is still made (and can be
// checked) without costing real time.
#include <atomic>
#include <cstdint>

#include "platform/Clock.h"

namespace sim {

class CBoardClock : public platform::IClock {
public:
    // What each kind of access costs in board time.
    static constexpr uint64_t PORT_ACCESS_NS = 1000;
    static constexpr uint64_t MEMORY_ACCESS_NS = 100;  // plus MEMORY_BYTE_NS per byte
    static constexpr uint64_t MEMORY_BYTE_NS = 1;
    static constexpr uint64_t MSR_ACCESS_NS = 100;
    static constexpr uint64_t CLOCK_READ_NS = 50;
    static constexpr uint64_t TSC_READ_NS = 10;

    // Reads the time; the reading itself takes CLOCK_READ_NS, so that a loop waiting on the
    // clock always gets somewhere. Returns the time at which the reading was taken.
    uint64_t qwNanoseconds() override { return qwAdvance(CLOCK_READ_NS); }
    void vSleepMicroseconds(uint64_t qwMicroseconds) override;

    // Lets qwNanoseconds pass and returns the time before it did (the time an access is
    // served at).
    uint64_t qwAdvance(uint64_t qwNanoseconds);
    // The time, without any cost (for the board's own devices and for tests).
    uint64_t qwNow() const { return m_qwNow.load(std::memory_order_acquire); }

    // Waits that also take their time on the wall clock (for a person watching the board).
    void vSetRealTimeWaits(bool bRealTime) { m_bRealTimeWaits.store(bRealTime, std::memory_order_relaxed); }

    // A board starts as a machine that has been up for a while when the program runs, so
    // that its counters do not all start from zero.
    static constexpr uint64_t POWER_ON_NS = 12345678901ull;

private:
    std::atomic<uint64_t> m_qwNow{POWER_ON_NS};
    std::atomic<bool> m_bRealTimeWaits{false};
};

}  // namespace sim
