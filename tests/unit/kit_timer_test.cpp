// SPDX-License-Identifier: GPL-2.0-or-later
// The kit's timers: the generic calibration with scripted timers, the operating system's
// and the processor's counters on the simulated board's clock, the ACPI PM timer on a port
// of an in-memory machine, and the MSR register the performance counter reads.
#include <gtest/gtest.h>

#include <deque>

#include "AcpiMemoryDevice.h"
#include "KitFixture.h"
#include "cpu/MSRRegister.h"
#include "cpu/ProcessorCounters.h"
#include "kit/ACPITimer.h"
#include "kit/SystemTimers.h"
#include "platform/Clock.h"

namespace {

// A timer that answers a script of readings and then repeats the last one.
class CScriptedTimer : public CTimer {
public:
    CScriptedTimer(double dFrequency, double dWrap, std::deque<double> readings)
        : CTimer(dFrequency, dWrap), m_Readings(std::move(readings))
    {
    }
    double Read() override
    {
        ++m_nReads;
        if (m_Readings.size() > 1) {
            const double d = m_Readings.front();
            m_Readings.pop_front();
            return d;
        }
        return m_Readings.empty() ? -1.0 : m_Readings.front();
    }
    std::deque<double> m_Readings;
    int m_nReads = 0;
};

TEST(KitTimerCalibrate, OneWrapOfTheReferenceIsCorrectedOnce)
{
    // A 1000 Hz reference counting modulo 1000 wraps from 998 to 3 during the 5-tick window.
    CScriptedTimer reference(1000.0, 1000.0, {998, 999, 1, 3, 4});
    CScriptedTimer timer(-1.0, 0.0, {100, 700});
    ASSERT_EQ(timer.Calibrate(&reference), 1);
    // (700 - 100) ticks in (1004 - 998) reference ticks of 1 ms.
    EXPECT_DOUBLE_EQ(timer.m_dFrequency, 600.0 * 1000.0 / 6.0);
    EXPECT_EQ(reference.m_nReads, 5);
    EXPECT_EQ(timer.m_nReads, 2);
}

TEST(KitTimerCalibrate, WithoutWrapTheWindowIsFiveMillisecondsOfTheReference)
{
    CScriptedTimer reference(2000.0, 0.0, {50, 52, 55, 60, 61});
    CScriptedTimer timer(-1.0, 0.0, {0, 3579});
    ASSERT_EQ(timer.Calibrate(&reference), 1);
    EXPECT_EQ(reference.m_nReads, 5);  // 10 ticks: 60 ends the loop, 61 is the last reading
    EXPECT_DOUBLE_EQ(timer.m_dFrequency, 3579.0 * 2000.0 / 11.0);
}

TEST(KitTimerCalibrate, ARefusedReferenceLeavesTheFrequency)
{
    CScriptedTimer timer(-1.0, 0.0, {0, 10});
    EXPECT_EQ(timer.Calibrate(nullptr), 0);
    CScriptedTimer unknown(-1.0, 0.0, {0, 10, 20});
    EXPECT_EQ(timer.Calibrate(&unknown), 0);
    CScriptedTimer unreadable(1000.0, 0.0, {});
    EXPECT_EQ(timer.Calibrate(&unreadable), 0);
    EXPECT_EQ(timer.m_dFrequency, -1.0);
}

TEST(KitTimerSystem, SystemAndPerformanceTimersCountMillisecondsAndNanoseconds)
{
    CSimKit kit("demo");  // the board's clock moves only by what is waited
    ASSERT_TRUE(kit.bReady());
    CWin32SystemTimer system;
    CWin32PerformanceTimer performance;
    EXPECT_EQ(system.m_dFrequency, 1000.0);
    EXPECT_EQ(performance.m_dFrequency, 1e9);
    EXPECT_EQ(system.m_dWrap, 0.0);
    EXPECT_EQ(performance.m_dWrap, 0.0);
    const double dSystem0 = system.Read(), dPerformance0 = performance.Read();
    platform::Sleep(25);
    const double dSystem1 = system.Read(), dPerformance1 = performance.Read();
    EXPECT_GE(dSystem1 - dSystem0, 25.0);
    EXPECT_LE(dSystem1 - dSystem0, 26.0);
    EXPECT_GE(dPerformance1 - dPerformance0, 25e6);
    EXPECT_LT(dPerformance1 - dPerformance0, 25.01e6);
}

TEST(KitTimerProcessor, TimeStampAndAPERFCountersCalibrateToTheCoreClock)
{
    CSimKit kit("demo");  // 9 x 266.666 MHz
    ASSERT_TRUE(kit.bReady());
    const double dCoreHz = 266.666e6 * 9;
    CWin32PerformanceTimer performance;
    CTSCCounter tsc;
    EXPECT_EQ(tsc.m_dFrequency, -1.0);
    ASSERT_EQ(tsc.Calibrate(&performance), 1);
    EXPECT_NEAR(tsc.m_dFrequency, dCoreHz, dCoreHz * 0.001);

    MSR_Register aperf(0xE8);
    CPRFCounter prf(&aperf);
    EXPECT_EQ(prf.m_dFrequency, -1.0);
    const double d0 = prf.Read();
    EXPECT_GE(d0, 0.0);
    ASSERT_EQ(prf.Calibrate(&performance), 1);
    EXPECT_NEAR(prf.m_dFrequency, dCoreHz, dCoreHz * 0.001);
    EXPECT_GT(prf.Read(), d0);
}

TEST(KitTimerProcessor, APRFCounterWithoutARegisterOrWithAFailingOneReadsMinusOne)
{
    CSimKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    CPRFCounter none(nullptr);
    EXPECT_EQ(none.Read(), -1.0);
    MSR_Register absent(0xC0DE);  // not on the board: reads fail as with a #GP
    CPRFCounter failing(&absent);
    EXPECT_EQ(failing.Read(), -1.0);
    CWin32PerformanceTimer performance;
    EXPECT_EQ(none.Calibrate(&performance), 0);
    EXPECT_EQ(none.m_dFrequency, -1.0);
}

TEST(KitTimerACPI, ReadGivesTheLow24BitsAndMinusOneForAFailedRead)
{
    CMemoryKit kit;
    CACPITimer timer(0x808);
    EXPECT_EQ(timer.m_dFrequency, 3579545.0);
    EXPECT_EQ(timer.m_dWrap, 16777215.0);
    kit.Device().m_wPort = 0x808;
    const std::pair<uint32_t, double> cases[] = {
        {0, 0.0}, {0x123456, double(0x123456)}, {0x00FFFFFF, 16777215.0}, {0xABCDEF12, double(0xCDEF12)},
        {0xFF000000, 0.0}, {0xFFFFFFFF, -1.0}};
    for (const auto& [dwPort, dExpected] : cases) {
        kit.Device().m_dwPortValue = dwPort;
        EXPECT_EQ(timer.Read(), dExpected) << std::hex << dwPort;
    }
    kit.Device().m_dwPortValue = 0x10;
    kit.Device().m_bPortFails = true;
    EXPECT_EQ(timer.Read(), -1.0);
    kit.Device().m_bPortFails = false;
    kit.Driver().vCloseDevice();
    EXPECT_EQ(timer.Read(), -1.0);
}

TEST(KitTimerACPI, CalibrateAsksTheDriverToMeasureItsPort)
{
    CMemoryKit kit;
    CACPITimer timer(0x1008);
    CScriptedTimer ignored(1000.0, 0.0, {0, 1000});
    kit.Device().m_dwPMTicks = 35796;       // in 10 ms
    kit.Device().m_dwPMElapsed = 100000;
    ASSERT_EQ(timer.Calibrate(&ignored), 1);
    EXPECT_DOUBLE_EQ(timer.m_dFrequency, 3579600.0);
    ASSERT_EQ(kit.Device().m_MeasuredPorts.size(), 1u);
    EXPECT_EQ(kit.Device().m_MeasuredPorts[0], 0x1008);
    EXPECT_EQ(ignored.m_nReads, 0);

    // A failed measurement keeps what the timer had.
    kit.Device().m_dwPMTicks = 0;
    EXPECT_EQ(timer.Calibrate(nullptr), 0);
    EXPECT_DOUBLE_EQ(timer.m_dFrequency, 3579600.0);
    ORVEXSDK::Instance()->m_pDriver = nullptr;
    EXPECT_EQ(timer.Calibrate(nullptr), 0);
    ORVEXSDK::Instance()->m_pDriver = &kit.Driver();
}

TEST(KitTimerMSR, ARegisterReadsAndWritesItsHalvesThroughTheDriver)
{
    CSimKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    MSR_Register perfStatus(0x198);
    EXPECT_EQ(perfStatus.m_dwHigh, 0xFFFFFFFFu);  // until read
    EXPECT_EQ(perfStatus.m_dwLow, 0xFFFFFFFFu);
    ASSERT_EQ(perfStatus.Read(), 1u);
    EXPECT_EQ(perfStatus.m_dwHigh, 0x0616092Cu);
    EXPECT_EQ(perfStatus.m_dwLow, 0x0600092Cu);
    EXPECT_EQ(perfStatus.qwValue(), 0x0616092C0600092Cull);
    EXPECT_EQ(perfStatus.qwBits(8, 15), 0x09u);
    EXPECT_EQ(perfStatus.qwBits(0, 63), perfStatus.qwValue());
    EXPECT_EQ(perfStatus.qwBits(48, 52), 0x16u);

    MSR_Register perfControl(0x199);
    ASSERT_EQ(perfControl.Write(0x00000001, 0x0000082A), 1u);
    MSR_Register readBack(0x199);
    ASSERT_EQ(readBack.Read(), 1u);
    EXPECT_EQ(readBack.qwValue(), 0x000000010000082Aull);

    MSR_Register absent(0xC0DE);
    absent.m_dwHigh = absent.m_dwLow = 5;
    EXPECT_EQ(absent.Read(), 0u);
    EXPECT_EQ(absent.m_dwHigh, 0xFFFFFFFFu);  // no stale value survives a failed read
    EXPECT_EQ(absent.m_dwLow, 0xFFFFFFFFu);
    EXPECT_EQ(absent.Write(), 0u);
}

}  // namespace
