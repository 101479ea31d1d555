// SPDX-License-Identifier: GPL-2.0-or-later
// The monitor thread beside the user's actions: it measures again under the kit lock while
// profiles are applied and clocks are read on the main thread, follows a changed bus clock,
// and ends at once when asked. These tests also run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "app/Monitor.h"
#include "app/PendulonApp.h"
#include "app/ProfileFile.h"
#include "app/SettingsFile.h"
#include "app_test_env.h"
#include "cpu/CPUInterface.h"
#include "kit/ORVEXSDK.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "sim/BoardProcessors.h"

using namespace app;
using apptest::CAppDirs;

namespace {

float fBusClock(CPendulonApp& app)
{
    auto* pCPU = static_cast<CCPUInterface*>(app.Kit()->FindInterface(INTERFACE_CPU));
    return pCPU ? pCPU->m_fBusClock : -1.0f;
}

void vWaitForRefreshes(CMonitor& monitor, uint64_t qwCount)
{
    while (monitor.qwRefreshes() < qwCount) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

TEST(AppMonitor, RefreshFollowsTheBoardsBusClock)
{
    CAppDirs dirs;
    CPendulonApp app(apptest::DemoOptions());
    ASSERT_TRUE(app.InitInstance());
    ASSERT_TRUE(RefreshMeasurements(app.Kit()));
    const float fBefore = fBusClock(app);
    ASSERT_GT(fBefore, 0.0f);
    sim::CSimBoard* pBoard = apptest::pBoardOf(app);
    ASSERT_NE(pBoard, nullptr);
    {
        std::lock_guard<std::mutex> lock(pBoard->AccessMutex());
        auto& processors = static_cast<sim::CBoardProcessors&>(pBoard->Processors());
        processors.vSetClockLocked(processors.qwBusHzLocked() * 11 / 10, 9, 1, pBoard->Clock().qwNanoseconds());
    }
    ASSERT_TRUE(RefreshMeasurements(app.Kit()));
    EXPECT_NEAR(fBusClock(app), fBefore * 1.1f, fBefore * 0.01f);
}

TEST(AppMonitor, SkipsTheRefreshWhileAnotherThreadHoldsTheKitLock)
{
    CAppDirs dirs;
    CPendulonApp app(apptest::DemoOptions());
    ASSERT_TRUE(app.InitInstance());
    std::atomic<bool> bHeld{false}, bRelease{false};
    std::thread holder([&]() {
        ASSERT_TRUE(app.Kit()->Lock(KIT_LOCK_MS));
        bHeld = true;
        while (!bRelease) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        app.Kit()->Unlock();
    });
    while (!bHeld) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    bool bCalled = false;
    EXPECT_FALSE(RefreshMeasurements(app.Kit(), [&bCalled]() { bCalled = true; }));
    EXPECT_FALSE(bCalled);
    bRelease = true;
    holder.join();
    EXPECT_TRUE(RefreshMeasurements(app.Kit(), [&bCalled]() { bCalled = true; }));
    EXPECT_TRUE(bCalled);
}

TEST(AppMonitor, RunsBesideProfilesAppliedUnderTheKitLock)
{
    CAppDirs dirs;
    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\n");
    dirs.vWrite(strProfileFileName(0), "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n");
    CPendulonApp app(apptest::DemoOptions());
    ASSERT_TRUE(app.InitInstance());
    std::atomic<int> nAfter{0};
    // A short period, so that the refreshes and the user's actions interleave.
    ASSERT_TRUE(app.Monitor().bStart(app.Kit(), [&nAfter]() { ++nAfter; }, 1));
    CPLLInterface* pPLL = app.PLLInterface();
    ASSERT_NE(pPLL, nullptr);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(app.Kit()->Lock(KIT_LOCK_MS));
        uint32_t dwError = 0;
        ASSERT_TRUE(app.Driver()->bOpenDevice(dwError));
        EXPECT_TRUE(app.LoadProfile(0));
        ASSERT_TRUE(pPLL->Lock(INTERFACE_LOCK_MS));
        EXPECT_TRUE(pPLL->m_pPLL->bReadClocks(pPLL->m_pPLL->m_Current));
        pPLL->Unlock();
        app.Driver()->vCloseDevice();
        app.Kit()->Unlock();
    }
    vWaitForRefreshes(app.Monitor(), 3);
    app.Monitor().vStop();
    EXPECT_FALSE(app.Monitor().bRunning());
    EXPECT_GE(nAfter.load(), 3);
    EXPECT_EQ(uint64_t(nAfter.load()), app.Monitor().qwRefreshes());
    EXPECT_GT(fBusClock(app), 0.0f);
    // Every profile write reached the chip whole (the chip driver's reads set the chip's
    // byte count with writes of their own).
    const auto writes = apptest::BlockWrites(apptest::TransfersTo(app, 0x69));
    EXPECT_EQ(std::count(writes.begin(), writes.end(), std::vector<uint8_t>{0x02, 0x1A, 0x2B}), 5);
}

TEST(AppMonitor, PacesItselfInRealTimeOnTheBoardAndStopsAtOnce)
{
    CAppDirs dirs;
    AppOptions options = apptest::DemoOptions();
    options.bStartMonitor = true;
    CPendulonApp app(options);
    ASSERT_TRUE(app.InitInstance());
    ASSERT_TRUE(app.Monitor().bRunning());
    vWaitForRefreshes(app.Monitor(), 1);
    // The board's sleeps return at once; a monitor that slept on them would have refreshed
    // without end by now. Stopping cuts the one-second wait short.
    app.ExitInstance();
    EXPECT_FALSE(app.Monitor().bRunning());
    EXPECT_LE(app.Monitor().qwRefreshes(), 2u);
}
