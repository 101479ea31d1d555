// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The monitor thread: once a second it takes the kit lock and the driver device and measures
// the CPU clocks and the chipset's memory clock again. It only updates the interfaces' values
// and sends no message. It paces itself in real time (a wait that stopping cuts short), so
// that it neither spins on a simulated board, whose sleeps return at once, nor delays exit.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class ORVEXSDK;

namespace app {

inline constexpr uint32_t MONITOR_PERIOD_MS = 1000;
inline constexpr uint32_t MONITOR_KIT_LOCK_MS = 2000;

// Measures again, under the kit lock (2000 ms) and with the driver device open; nothing when
// the lock is not taken or the device does not open. pfnAfter (may be empty) runs after the
// measurements while the kit lock is still held. True when the measurements were made.
bool RefreshMeasurements(ORVEXSDK* pKit, const std::function<void()>& pfnAfter = {});

class CMonitor {
public:
    CMonitor() = default;
    ~CMonitor();
    CMonitor(const CMonitor&) = delete;
    CMonitor& operator=(const CMonitor&) = delete;

    // Starts the thread (nothing when it runs already). pfnAfter is handed to each refresh.
    // False when the thread cannot be created.
    bool bStart(ORVEXSDK* pKit, std::function<void()> pfnAfter = {}, uint32_t dwPeriodMs = MONITOR_PERIOD_MS);
    // Asks the thread to end and waits for it: at most for the refresh under way.
    void vStop();
    bool bRunning() const { return m_Thread.joinable(); }
    // Refreshes made so far (those that took the lock).
    uint64_t qwRefreshes() const;

private:
    void vRun(ORVEXSDK* pKit, std::function<void()> pfnAfter, uint32_t dwPeriodMs);

    std::thread m_Thread;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Wake;
    bool m_bStop = false;  // g_bStopMonitor
    uint64_t m_qwRefreshes = 0;
};

}  // namespace app
