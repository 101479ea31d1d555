// SPDX-License-Identifier: GPL-2.0-or-later
// The real clock and the time services of the kit, all served by the clock in force.
#include "platform/Clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <limits>

namespace platform {

namespace {

constexpr uint64_t kNanosPerSecond = 1000000000ull;

uint64_t qwNow()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * kNanosPerSecond + static_cast<uint64_t>(ts.tv_nsec);
}

class CRealClock final : public IClock {
public:
    uint64_t qwNanoseconds() override { return qwNow(); }

    // Sleeps until an absolute point on the monotonic clock, so that an interrupted sleep
    // that is resumed still ends no earlier than asked.
    void vSleepMicroseconds(uint64_t qwMicroseconds) override
    {
        if (qwMicroseconds == 0)
            return;
        const uint64_t qwMax = std::numeric_limits<uint64_t>::max();
        const uint64_t qwStart = qwNow();
        uint64_t qwDelta = qwMicroseconds > qwMax / 1000 ? qwMax : qwMicroseconds * 1000;
        uint64_t qwEnd = qwStart > qwMax - qwDelta ? qwMax : qwStart + qwDelta;
        // Keep the seconds within time_t.
        const uint64_t qwMaxSeconds = static_cast<uint64_t>(std::numeric_limits<time_t>::max()) - 1;
        if (qwEnd / kNanosPerSecond > qwMaxSeconds)
            qwEnd = qwMaxSeconds * kNanosPerSecond;
        timespec until{};
        until.tv_sec = static_cast<time_t>(qwEnd / kNanosPerSecond);
        until.tv_nsec = static_cast<long>(qwEnd % kNanosPerSecond);
        int nResult;
        do {
            nResult = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
        } while (nResult == EINTR);
        // clock_nanosleep reports its error as the result; should it ever fail, fall back on
        // relative sleeps until the time has passed.
        if (nResult != 0) {
            for (uint64_t qwNowNs = qwNow(); qwNowNs < qwEnd; qwNowNs = qwNow()) {
                const uint64_t qwLeft = qwEnd - qwNowNs;
                timespec rest{};
                rest.tv_sec = static_cast<time_t>(qwLeft / kNanosPerSecond);
                rest.tv_nsec = static_cast<long>(qwLeft % kNanosPerSecond);
                nanosleep(&rest, nullptr);
            }
        }
    }
};

std::atomic<IClock*> g_pClock{nullptr};

}  // namespace

IClock& RealClock()
{
    // Never destroyed: threads may still sleep while the program exits.
    static CRealClock* pClock = new CRealClock;
    return *pClock;
}

IClock& Clock()
{
    IClock* pClock = g_pClock.load(std::memory_order_acquire);
    return pClock != nullptr ? *pClock : RealClock();
}

void SetClock(IClock* pClock)
{
    g_pClock.store(pClock, std::memory_order_release);
}

uint32_t timeGetTime()
{
    return static_cast<uint32_t>(Clock().qwNanoseconds() / 1000000);
}

uint64_t QueryPerformanceCounter()
{
    return Clock().qwNanoseconds();
}

uint64_t QueryPerformanceFrequency()
{
    return kNanosPerSecond;
}

void Sleep(uint32_t dwMilliseconds)
{
    Clock().vSleepMicroseconds(static_cast<uint64_t>(dwMilliseconds) * 1000);
}

}  // namespace platform
