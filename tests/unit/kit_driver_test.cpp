// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "kit/DeviceDriver.h"
#include "kit/DriverProtocol.h"

namespace {

// An access device that records every request it is given and answers from a script.
class CScriptedDevice : public CAccessDevice {
public:
    struct Request {
        uint32_t dwCode;
        std::vector<uint32_t> input;
    };
    std::vector<Request>* m_pRequests;
    uint64_t m_qwMsr = 0;
    bool m_bMsrOk = true;
    bool m_bPrepareOk = true;
    uint32_t m_dwPMTicks = 0, m_dwPMElapsed = 0;
    bool m_bPMOk = true;
    float m_fApicMHz = 0;

    explicit CScriptedDevice(std::vector<Request>* pRequests) : m_pRequests(pRequests) {}
    const char* szName() const override { return "scripted"; }
    bool bPrepare(std::string& strError) override
    {
        if (!m_bPrepareOk) strError = "not today";
        return m_bPrepareOk;
    }
    void vRelease() override {}
    void vEndSession() override { ++m_nSessionsEnded; }
    int m_nSessionsEnded = 0;

protected:
    bool bPortIn(uint16_t wPort, unsigned, uint32_t& dwValue) override
    {
        m_pRequests->push_back({0, {wPort}});
        dwValue = 0xA5A5A5A5;
        return true;
    }
    bool bPortOut(uint16_t wPort, unsigned, uint32_t dwValue) override
    {
        m_pRequests->push_back({1, {wPort, dwValue}});
        return true;
    }
    bool bReadPhysical(uint64_t, uint32_t nCount, void* pBuffer) override
    {
        std::memset(pBuffer, 0x5A, nCount);
        return true;
    }
    bool bWritePhysicalDword(uint64_t, uint32_t) override { return true; }
    bool bReadMsr(uint32_t dwIndex, uint64_t& qwValue) override
    {
        m_pRequests->push_back({2, {dwIndex}});
        qwValue = m_qwMsr;
        return m_bMsrOk;
    }
    bool bWriteMsr(uint32_t dwIndex, uint64_t qwValue) override
    {
        m_pRequests->push_back({3, {dwIndex, uint32_t(qwValue >> 32), uint32_t(qwValue)}});
        return m_bMsrOk;
    }
    bool bMeasurePMTimer(uint16_t, uint32_t& dwTicks, uint32_t& dwElapsed) override
    {
        dwTicks = m_dwPMTicks;
        dwElapsed = m_dwPMElapsed;
        return m_bPMOk;
    }
    bool bMeasureAPICClock(uint16_t, uint32_t, float& fMHz) override
    {
        fMHz = m_fApicMHz;
        return m_fApicMHz > 0;
    }
};

class KitDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto pDevice = std::make_unique<CScriptedDevice>(&m_Requests);
        m_pDevice = pDevice.get();
        m_pDriver = std::make_unique<CDeviceDriver>(std::move(pDevice));
    }
    bool bInitAndOpen()
    {
        uint32_t dwError = 0;
        return m_pDriver->bInitDriver(nullptr, "vexa", "vexa-test", 1) && m_pDriver->bOpenDevice(dwError);
    }

    std::vector<CScriptedDevice::Request> m_Requests;
    CScriptedDevice* m_pDevice = nullptr;
    std::unique_ptr<CDeviceDriver> m_pDriver;
};

TEST_F(KitDriver, InitNamesTheDriverAndTheDeviceAnswersVersion294)
{
    ASSERT_TRUE(bInitAndOpen());
    EXPECT_STREQ(m_pDriver->m_szServiceName, "vexa126");
    EXPECT_STREQ(m_pDriver->m_szDriverName, "vexa.sys");
    EXPECT_EQ(m_pDriver->m_dwPlatformId, 2u);
    uint32_t dwVersion = 0;
    EXPECT_TRUE(m_pDriver->dwGetVersion(dwVersion));
    EXPECT_EQ(dwVersion, 294u);
}

TEST_F(KitDriver, InitFailsWithTheDevicesReason)
{
    m_pDevice->m_bPrepareOk = false;
    EXPECT_FALSE(m_pDriver->bInitDriver(nullptr, "vexa", "vexa-test", 1));
    EXPECT_EQ(m_pDriver->strLastError(), "not today");
}

TEST_F(KitDriver, EveryOperationFailsOnAClosedDeviceWithoutReachingIt)
{
    ASSERT_TRUE(m_pDriver->bInitDriver(nullptr, "vexa", "vexa-test", 1));  // prepared, never opened
    uint32_t dwHigh = 1, dwLow = 1, dw = 1, dwVersion = 7;
    uint16_t w = 1;
    uint8_t b = 1;
    uint8_t abBuffer[8] = {};
    EXPECT_FALSE(m_pDriver->bReadMSR(0x10, dwHigh, dwLow));
    EXPECT_EQ(dwHigh, 0xFFFFFFFFu);
    EXPECT_EQ(dwLow, 0xFFFFFFFFu);
    EXPECT_FALSE(m_pDriver->bWriteMSR(0x10, 0, 0));
    EXPECT_FALSE(m_pDriver->bReadPortByte(0x80, b));
    EXPECT_FALSE(m_pDriver->bReadPortWord(0x80, w));
    EXPECT_FALSE(m_pDriver->bReadPortDword(0x80, dw));
    EXPECT_EQ(b, 0);  // outputs are cleared first
    EXPECT_EQ(w, 0);
    EXPECT_EQ(dw, 0u);
    EXPECT_FALSE(m_pDriver->bWritePortByte(0x80, 1));
    EXPECT_FALSE(m_pDriver->bWritePortWord(0x80, 1));
    EXPECT_FALSE(m_pDriver->bWritePortDword(0x80, 1));
    EXPECT_FALSE(m_pDriver->bReadPhysicalMemory(0xF0000, 8, abBuffer));
    EXPECT_FALSE(m_pDriver->bWritePhysicalMemoryDword(0xF0000, 1));
    EXPECT_FALSE(m_pDriver->dwGetVersion(dwVersion));
    EXPECT_EQ(dwVersion, 7u);  // nothing written while closed
    EXPECT_LT(m_pDriver->fMeasurePMTimerFrequency(0x808), 0.0);
    EXPECT_LT(m_pDriver->fMeasureAPICClock(3579545.0, 0x808, 0xFEE00000), 0.0f);
    EXPECT_TRUE(m_Requests.empty());

    uint32_t dwError;
    ASSERT_TRUE(m_pDriver->bOpenDevice(dwError));
    m_pDriver->vCloseDevice();
    EXPECT_FALSE(m_pDriver->bReadPortByte(0x80, b));  // closed again
    EXPECT_TRUE(m_Requests.empty());
}

TEST_F(KitDriver, ClosingTheDeviceEndsTheAccessDevicesSession)
{
    ASSERT_TRUE(bInitAndOpen());
    EXPECT_EQ(m_pDevice->m_nSessionsEnded, 0);
    m_pDriver->vCloseDevice();
    EXPECT_EQ(m_pDevice->m_nSessionsEnded, 1);
    m_pDriver->vCloseDevice();  // not open: no session to end
    EXPECT_EQ(m_pDevice->m_nSessionsEnded, 1);
}

TEST_F(KitDriver, MsrHalvesTravelHighLowAndComeBackLowHigh)
{
    ASSERT_TRUE(bInitAndOpen());
    m_pDevice->m_qwMsr = 0x1122334455667788ull;
    uint32_t dwHigh, dwLow;
    ASSERT_TRUE(m_pDriver->bReadMSR(0x198, dwHigh, dwLow));
    EXPECT_EQ(dwHigh, 0x11223344u);
    EXPECT_EQ(dwLow, 0x55667788u);

    ASSERT_TRUE(m_pDriver->bWriteMSR(0x199, 0xAABBCCDD, 0x00001234));
    ASSERT_EQ(m_Requests.back().dwCode, 3u);
    EXPECT_EQ(m_Requests.back().input, (std::vector<uint32_t>{0x199, 0xAABBCCDD, 0x00001234}));
}

TEST_F(KitDriver, AllOnesMsrAndRefusedWritesAreFailures)
{
    ASSERT_TRUE(bInitAndOpen());
    uint32_t dwHigh, dwLow;
    m_pDevice->m_qwMsr = ~0ull;  // the request succeeds, but the register reads all ones
    EXPECT_FALSE(m_pDriver->bReadMSR(0x2C, dwHigh, dwLow));
    m_pDevice->m_qwMsr = 0xFFFFFFFFull;  // one half of all ones is a value
    EXPECT_TRUE(m_pDriver->bReadMSR(0x2C, dwHigh, dwLow));
    m_pDevice->m_bMsrOk = false;
    EXPECT_FALSE(m_pDriver->bReadMSR(0x2C, dwHigh, dwLow));
    EXPECT_EQ(dwHigh, 0xFFFFFFFFu);
    EXPECT_FALSE(m_pDriver->bWriteMSR(0x2C, 0, 1));  // answered 0xFFFFFFFF in the first dword
}

TEST_F(KitDriver, PortRequestsCarryWidthAndMaskedValue)
{
    ASSERT_TRUE(bInitAndOpen());
    EXPECT_TRUE(m_pDriver->bWritePortByte(0x80, 0x1234));
    EXPECT_EQ(m_Requests.back().input, (std::vector<uint32_t>{0x80, 0x34}));
    EXPECT_TRUE(m_pDriver->bWritePortWord(0x400, 0x12345678));
    EXPECT_EQ(m_Requests.back().input, (std::vector<uint32_t>{0x400, 0x5678}));
    uint8_t b;
    uint16_t w;
    EXPECT_TRUE(m_pDriver->bReadPortByte(0x61, b));
    EXPECT_EQ(b, 0xA5);
    EXPECT_TRUE(m_pDriver->bReadPortWord(0x61, w));
    EXPECT_EQ(w, 0xA5A5);
    uint8_t abBuffer[6] = {};
    EXPECT_TRUE(m_pDriver->bReadPhysicalMemory(0xF0000, 5, abBuffer));
    EXPECT_EQ(abBuffer[4], 0x5A);
    EXPECT_EQ(abBuffer[5], 0);  // exactly the count asked for
}

TEST_F(KitDriver, MeasurementsFollowTheirFormulas)
{
    ASSERT_TRUE(bInitAndOpen());
    m_pDevice->m_dwPMTicks = 178977;  // 50 ms of a 3.579545 MHz timer
    m_pDevice->m_dwPMElapsed = 500000;
    EXPECT_NEAR(m_pDriver->fMeasurePMTimerFrequency(0x808), 3579540.0, 1.0);
    m_pDevice->m_dwPMElapsed = 0;  // an empty window is no measurement
    EXPECT_LT(m_pDriver->fMeasurePMTimerFrequency(0x808), 0.0);
    m_pDevice->m_bPMOk = false;
    EXPECT_LT(m_pDriver->fMeasurePMTimerFrequency(0x808), 0.0);

    // x / 3.579545 × (frequency / 1e6): with the nominal PM timer rate the result is x.
    m_pDevice->m_fApicMHz = 266.67f;
    EXPECT_NEAR(m_pDriver->fMeasureAPICClock(3579545.0, 0x808, 0xFEE00000), 266.67f, 1e-3);
    EXPECT_NEAR(m_pDriver->fMeasureAPICClock(3579545.0 * 1.01, 0x808, 0xFEE00000), 266.67f * 1.01f, 1e-2);
    m_pDevice->m_fApicMHz = 0;  // a failed request gives a negative clock
    EXPECT_LT(m_pDriver->fMeasureAPICClock(3579545.0, 0x808, 0xFEE00000), 0.0f);
}

TEST_F(KitDriver, TheDriverMutexSerialisesOpensAcrossThreads)
{
    ASSERT_TRUE(bInitAndOpen());
    uint32_t dwError = 0;
    bool bOpened = true;
    std::thread([&] { bOpened = m_pDriver->bOpenDevice(dwError); }).join();
    EXPECT_FALSE(bOpened);
    EXPECT_EQ(dwError, 0x102u);  // WAIT_TIMEOUT after 2000 ms
    m_pDriver->vCloseDevice();
    std::thread([&] {
        bOpened = m_pDriver->bOpenDevice(dwError);
        if (bOpened) m_pDriver->vCloseDevice();
    }).join();
    EXPECT_TRUE(bOpened);
}

TEST_F(KitDriver, UnknownAndShortRequestsAreRefused)
{
    uint32_t dwOut = 0, dwReturned = 5;
    const uint32_t dwPort = 0x80;
    EXPECT_FALSE(m_pDevice->bIoControl(driver::Code(0x907), &dwPort, 4, &dwOut, 4, &dwReturned));
    EXPECT_EQ(dwReturned, 0u);
    EXPECT_FALSE(m_pDevice->bIoControl(driver::IOCTL_READ_PORT_DWORD, &dwPort, 2, &dwOut, 4, nullptr));
    EXPECT_FALSE(m_pDevice->bIoControl(driver::IOCTL_READ_MSR, &dwPort, 4, &dwOut, 4, nullptr));
    EXPECT_TRUE(m_pDevice->bIoControl(driver::IOCTL_GET_VERSION, nullptr, 0, &dwOut, 4, &dwReturned));
    EXPECT_EQ(dwOut, 294u);
    EXPECT_EQ(dwReturned, 4u);
}

}  // namespace
