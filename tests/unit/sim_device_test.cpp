// SPDX-License-Identifier: GPL-2.0-or-later
// The "sim" access device: the driver's requests answered by the simulated board.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kit/DriverProtocol.h"
#include "platform/Clock.h"
#include "platform/Processors.h"
#include "sim/SimAccessDevice.h"

namespace {

using namespace driver;
using sim::CSimAccessDevice;
using sim::CSimBoard;

std::unique_ptr<CSimAccessDevice> MakeDevice()
{
    std::string strError;
    auto pBoard = CSimBoard::Load(std::string(PENDULON_BOARDS_DIR) + "/demo.json", strError);
    EXPECT_NE(pBoard, nullptr) << strError;
    return pBoard ? std::make_unique<CSimAccessDevice>(std::move(pBoard)) : nullptr;
}

class SimDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pDevice = MakeDevice();
        ASSERT_NE(m_pDevice, nullptr);
        std::string strError;
        ASSERT_TRUE(m_pDevice->bPrepare(strError)) << strError;
    }

    bool bRequest(uint32_t dwCode, std::initializer_list<uint32_t> in, uint32_t (&out)[2])
    {
        uint32_t input[4] = {};
        std::copy(in.begin(), in.end(), input);
        out[0] = out[1] = 0xCCCCCCCC;
        return m_pDevice->bIoControl(dwCode, input, uint32_t(4 * in.size()), out, sizeof out, nullptr);
    }

    std::unique_ptr<CSimAccessDevice> m_pDevice;
};

TEST_F(SimDevice, AnswersVersionAndPortRequests)
{
    uint32_t out[2];
    uint32_t dwReturned = 0;
    ASSERT_TRUE(m_pDevice->bIoControl(IOCTL_GET_VERSION, nullptr, 0, out, 4, &dwReturned));
    EXPECT_EQ(out[0], 294u);
    EXPECT_EQ(dwReturned, 4u);

    ASSERT_TRUE(bRequest(IOCTL_WRITE_PORT_DWORD, {0xCF8, 0x8000FB00}, out));  // 00:1f.3, offset 0
    ASSERT_TRUE(bRequest(IOCTL_READ_PORT_DWORD, {0xCFC}, out));
    EXPECT_EQ(out[0], 0x283E8086u);
    ASSERT_TRUE(bRequest(IOCTL_READ_PORT_WORD, {0xCFE}, out));
    EXPECT_EQ(out[0] & 0xFFFF, 0x283Eu);
    ASSERT_TRUE(bRequest(IOCTL_WRITE_PORT_DWORD, {0xCF8, 0x8000FB40}, out));
    ASSERT_TRUE(bRequest(IOCTL_WRITE_PORT_BYTE, {0xCFD, 0x1A5}, out));  // only the low byte travels
    ASSERT_TRUE(bRequest(IOCTL_READ_PORT_BYTE, {0xCFD}, out));
    EXPECT_EQ(out[0] & 0xFF, 0xA5u);
    EXPECT_EQ(m_pDevice->Board().dwPeekConfig(0, 0x1F, 3, 0x40) >> 8 & 0xFF, 0xA5u);
}

TEST_F(SimDevice, ReadsMemoryIntoTheCallersBufferThroughThePointerRecord)
{
    uint32_t out[2];
    ASSERT_TRUE(bRequest(IOCTL_WRITE_PHYSICAL_DWORD, {0x500, 0x11223344}, out));
    uint8_t buffer[8];
    std::memset(buffer, 0, sizeof buffer);
    ReadMemoryInput input{0x4FE, sizeof buffer, buffer};
    ASSERT_TRUE(m_pDevice->bIoControl(IOCTL_READ_PHYSICAL_MEMORY, &input, sizeof input, out, sizeof out, nullptr));
    const uint8_t expected[8] = {0, 0, 0x44, 0x33, 0x22, 0x11, 0, 0};
    EXPECT_EQ(std::memcmp(buffer, expected, sizeof buffer), 0);

    input = ReadMemoryInput{0xFEE00030, 4, buffer};  // the local APIC's version register
    ASSERT_TRUE(m_pDevice->bIoControl(IOCTL_READ_PHYSICAL_MEMORY, &input, sizeof input, out, sizeof out, nullptr));
    uint32_t dwVersion;
    std::memcpy(&dwVersion, buffer, 4);
    EXPECT_EQ(dwVersion, 0x00050014u);
}

TEST_F(SimDevice, MsrRequestsGoToThePinnedProcessor)
{
    uint32_t out[2];
    ASSERT_TRUE(bRequest(IOCTL_READ_MSR, {0x198}, out));
    EXPECT_EQ(out[0], 0x0600092Cu);  // low half first
    EXPECT_EQ(out[1], 0x0616092Cu);
    ASSERT_TRUE(bRequest(IOCTL_READ_MSR, {0x1B}, out));
    EXPECT_EQ(out[0], 0xFEE00900u);

    ASSERT_TRUE(platform::Processors().bPinThread(1));  // the board's processors are in force
    ASSERT_TRUE(bRequest(IOCTL_READ_MSR, {0x1B}, out));
    EXPECT_EQ(out[0], 0xFEE00800u);
    EXPECT_FALSE(bRequest(IOCTL_READ_MSR, {0xCE}, out));

    // A write is sent as (index, high, low).
    ASSERT_TRUE(bRequest(IOCTL_WRITE_MSR, {0x10, 0x1, 0x0}, out));
    EXPECT_EQ(out[0], 0u);
    ASSERT_TRUE(bRequest(IOCTL_READ_MSR, {0x10}, out));
    EXPECT_EQ(out[1], 1u);
    EXPECT_LT(out[0], 10000u);
    ASSERT_TRUE(bRequest(IOCTL_WRITE_MSR, {0xCE, 0, 1}, out));
    EXPECT_EQ(out[0], 0xFFFFFFFFu);  // refused
}

TEST_F(SimDevice, MeasurementsSeeTheBoardsClocks)
{
    // The measurements run on the board's clock (installed by bPrepare) and its ports and
    // memory: PM timer at 3.579545 MHz, APIC timer at the bus clock.
    uint32_t out[2];
    ASSERT_TRUE(bRequest(IOCTL_MEASURE_PM_TIMER, {0x808, 0x808}, out));
    EXPECT_NEAR(double(out[0]) * 1e7 / out[1], 3579545.0, 400.0);
    ASSERT_TRUE(bRequest(IOCTL_MEASURE_APIC_CLOCK, {0x808, 0xFEE00000}, out));
    float fMHz;
    std::memcpy(&fMHz, &out[1], 4);
    EXPECT_NEAR(fMHz, 266.666, 0.3);
}

TEST(SimDeviceLifetime, InstallsTheBoardsClockAndProcessorsWhilePrepared)
{
    platform::IClock* pReal = &platform::Clock();
    platform::IProcessors* pRealCpus = &platform::Processors();
    {
        auto pDevice = MakeDevice();
        ASSERT_NE(pDevice, nullptr);
        EXPECT_EQ(&platform::Clock(), pReal);
        std::string strError;
        ASSERT_TRUE(pDevice->bPrepare(strError));
        EXPECT_EQ(&platform::Clock(), &pDevice->Board().Clock());
        EXPECT_EQ(&platform::Processors(), &pDevice->Board().Processors());
        const uint64_t qwBefore = pDevice->Board().Clock().qwNanoseconds();
        platform::Sleep(2000);  // two board seconds, no real wait
        EXPECT_GE(pDevice->Board().Clock().qwNanoseconds() - qwBefore, 2'000'000'000u);
        pDevice->vRelease();
        EXPECT_EQ(&platform::Clock(), pReal);
        EXPECT_EQ(&platform::Processors(), pRealCpus);

        // A device released after another was prepared leaves the other's in force.
        auto pSecond = MakeDevice();
        ASSERT_TRUE(pDevice->bPrepare(strError));
        ASSERT_TRUE(pSecond->bPrepare(strError));
        pDevice->vRelease();
        EXPECT_EQ(&platform::Clock(), &pSecond->Board().Clock());
        ASSERT_TRUE(pDevice->bPrepare(strError));
    }  // both destroyed while prepared
    EXPECT_EQ(&platform::Clock(), pReal);
    EXPECT_EQ(&platform::Processors(), pRealCpus);
}

}  // namespace
