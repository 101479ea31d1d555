// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/BoardClock.h"

#include <chrono>
#include <limits>
#include <thread>

namespace sim {

uint64_t CBoardClock::qwAdvance(uint64_t qwNanoseconds)
{
    uint64_t qwOld = m_qwNow.load(std::memory_order_relaxed);
    uint64_t qwNew;
    do {
        // Saturates instead of wrapping, so the clock never goes backwards.
        qwNew = qwOld > std::numeric_limits<uint64_t>::max() - qwNanoseconds ? std::numeric_limits<uint64_t>::max()
                                                                              : qwOld + qwNanoseconds;
    } while (!m_qwNow.compare_exchange_weak(qwOld, qwNew, std::memory_order_acq_rel, std::memory_order_relaxed));
    return qwOld;
}

void CBoardClock::vSleepMicroseconds(uint64_t qwMicroseconds)
{
    constexpr uint64_t qwMax = std::numeric_limits<uint64_t>::max() / 1000;
    qwAdvance(qwMicroseconds > qwMax ? std::numeric_limits<uint64_t>::max() : qwMicroseconds * 1000);
    if (m_bRealTimeWaits.load(std::memory_order_relaxed)) {
        std::this_thread::sleep_for(std::chrono::microseconds(qwMicroseconds));
        return;
    }
    // The wait costs no real time, but a thread that waits in a loop (the monitor thread)
    // still gives the others their turn.
    std::this_thread::yield();
}

}  // namespace sim
