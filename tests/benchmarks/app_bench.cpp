// SPDX-License-Identifier: GPL-2.0-or-later
// The application core on the demo board. BM_AppStart: the whole start (driver, kit built in
// its order, settings, clocks read) in board time against the waits the hardware protocols
// make in it ("ratio", expected at most 1.05): the sleeps, and the measurement windows the
// processors' clocks are calibrated over (spins on the PM timer, "windows_ms"). BM_MonitorLoad: the share of one core the
// monitor thread takes while the program idles ("core_pct", expected at most 1).
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <memory>
#include <thread>

#include "BenchBoard.h"
#include "app/PendulonApp.h"
#include "kit/Timer.h"
#include "platform/Clock.h"

namespace {

// Passes every call to the clock in force and adds up the time slept.
class CCountingClock : public platform::IClock {
public:
    explicit CCountingClock(platform::IClock& inner) : m_Inner(inner) {}
    uint64_t qwNanoseconds() override { return m_Inner.qwNanoseconds(); }
    void vSleepMicroseconds(uint64_t qwMicroseconds) override
    {
        m_qwSleptNs += qwMicroseconds * 1000;
        m_Inner.vSleepMicroseconds(qwMicroseconds);
    }
    uint64_t m_qwSleptNs = 0;

private:
    platform::IClock& m_Inner;
};

// The demo board, with the counting clock over its own from the moment the board is prepared.
class CCountedBoardDevice : public sim::CSimAccessDevice {
public:
    CCountedBoardDevice(std::unique_ptr<sim::CSimBoard> pBoard, CCountingClock** ppClock)
        : sim::CSimAccessDevice(std::move(pBoard)), m_ppClock(ppClock)
    {
    }
    bool bPrepare(std::string& strError) override
    {
        if (!sim::CSimAccessDevice::bPrepare(strError)) return false;
        m_pClock = std::make_unique<CCountingClock>(platform::Clock());
        *m_ppClock = m_pClock.get();
        m_qwStartNs = m_pClock->qwNanoseconds();
        platform::SetClock(m_pClock.get());
        return true;
    }
    void vRelease() override
    {
        sim::CSimAccessDevice::vRelease();
        *m_ppClock = nullptr;
    }
    uint64_t m_qwStartNs = 0;

private:
    CCountingClock** m_ppClock;
    std::unique_ptr<CCountingClock> m_pClock;
};

void BM_AppStart(benchmark::State& state)
{
    double dBoardNs = 0, dSleptNs = 0, dWindowNs = 0;
    for (auto _ : state) {
        auto pBoard = QuietBoard(state);
        if (!pBoard) return;
        CCountingClock* pClock = nullptr;
        CCountedBoardDevice* pDevice = nullptr;
        app::AppOptions options;
        options.bSingleInstance = false;
        options.bStartMonitor = false;
        options.pfnAccessDevice = [&]() -> std::unique_ptr<CAccessDevice> {
            auto p = std::make_unique<CCountedBoardDevice>(std::move(pBoard), &pClock);
            pDevice = p.get();
            return p;
        };
        app::CPendulonApp app(options);
        const uint64_t qwWindowsBefore = qwMeasurementWindowNs();
        const bool bStarted = app.InitInstance();
        if (!bStarted || !pClock) {
            state.SkipWithError("the application did not start on the demo board");
            return;
        }
        dBoardNs += double(pClock->qwNanoseconds() - pDevice->m_qwStartNs);
        dSleptNs += double(pClock->m_qwSleptNs);
        dWindowNs += double(qwMeasurementWindowNs() - qwWindowsBefore);
        state.PauseTiming();
        app.ExitInstance();
        state.ResumeTiming();
    }
    state.counters["board_ms"] = dBoardNs / double(state.iterations()) / 1e6;
    state.counters["waits_ms"] = dSleptNs / double(state.iterations()) / 1e6;
    state.counters["windows_ms"] = dWindowNs / double(state.iterations()) / 1e6;
    state.counters["ratio"] = dSleptNs + dWindowNs > 0 ? dBoardNs / (dSleptNs + dWindowNs) : 0;
}
BENCHMARK(BM_AppStart)->Iterations(3)->Unit(benchmark::kMillisecond);

double dProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void BM_MonitorLoad(benchmark::State& state)
{
    double dCpu = 0, dWall = 0;
    for (auto _ : state) {
        auto pDevice = QuietBoardDevice(state);
        if (!pDevice) return;
        app::AppOptions options;
        options.bSingleInstance = false;
        options.bStartMonitor = false;
        options.pfnAccessDevice = [&]() -> std::unique_ptr<CAccessDevice> { return std::move(pDevice); };
        app::CPendulonApp app(options);
        if (!app.InitInstance()) {
            state.SkipWithError("the application did not start on the demo board");
            return;
        }
        const double dCpuStart = dProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        app.Monitor().bStart(app.Kit());
        std::this_thread::sleep_for(std::chrono::milliseconds(3000));
        app.Monitor().vStop();
        dCpu += dProcessCpuSeconds() - dCpuStart;
        dWall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        app.ExitInstance();
    }
    state.counters["core_pct"] = dWall > 0 ? 100.0 * dCpu / dWall : 0;
}
BENCHMARK(BM_MonitorLoad)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
