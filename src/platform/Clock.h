// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One clock for the whole program. On a real machine it is the monotonic clock of the
// system; on the simulated board the board installs its own clock, so that every wait the
// program makes is still made (and can be checked) but costs no real time.
#include <cstdint>

namespace platform {

class IClock {
public:
    virtual ~IClock() = default;
    // Nanoseconds since an arbitrary start; never goes backwards.
    virtual uint64_t qwNanoseconds() = 0;
    // Waits at least the given time.
    virtual void vSleepMicroseconds(uint64_t qwMicroseconds) = 0;
};

// The clock in force (the real one unless a board clock was installed).
IClock& Clock();
// Installs a clock; null puts the real clock back. The caller keeps ownership.
void SetClock(IClock* pClock);
// The real monotonic clock, whatever is installed.
IClock& RealClock();

// The Windows time services the kit was written against, served by Clock().
uint32_t timeGetTime();                 // milliseconds, wraps at 2^32
uint64_t QueryPerformanceCounter();     // ticks of QueryPerformanceFrequency()
uint64_t QueryPerformanceFrequency();   // 1 000 000 000
void Sleep(uint32_t dwMilliseconds);

}  // namespace platform
