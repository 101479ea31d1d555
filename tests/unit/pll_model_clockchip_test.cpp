// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated clock chips: the ICS 951462 of the demo board as the silicon behaves (short
// block reads until the byte count is written, the programming-enable gate, the outputs and
// the processors' bus clock following the FSB), and clock devices in board files.
#include <gtest/gtest.h>

#include <array>
#include <mutex>

#include "PLLTestKit.h"
#include "sim/ClockChip.h"
#include "sim/SMBusBus.h"

namespace {

using plltest::CPLLKit;
using plltest::json;

sim::CClockChip* pChip(CPLLKit& kit, uint8_t nAddress = 0x69)
{
    return dynamic_cast<sim::CClockChip*>(kit.Board().pSMBus(0)->pTarget(0, nAddress));
}

TEST(PLLModelClockChip, DemoChipDrivesTheBoardsBusClock)
{
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    sim::CClockChip* p = pChip(kit);
    ASSERT_NE(p, nullptr);
    // 14.31818 × (886 + 8) / (14 + 2) / 3: within one step of N (0.3 MHz) of the board's 266.666.
    EXPECT_NEAR(p->dFSBMHz(), 266.676, 0.001);
    EXPECT_NEAR(p->dFSBMHz(), kit.qwBusHz() / 1e6, 0.3);
    EXPECT_NEAR(p->dGSBMHz(), 100.0, 0.01);
    EXPECT_NEAR(p->dPCIMHz(), 33.33, 0.01);
}

TEST(PLLModelClockChip, BlockLengthFollowsTheByteCountRegister)
{
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    sim::CSMBusBus& bus = *kit.Board().pSMBus(0);
    std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
    sim::SMBusBlock block;
    ASSERT_EQ(bus.BlockRead(0x69, 0, block), sim::SMBusStatus::Ok);
    EXPECT_EQ(block.nCount, 9);
    ASSERT_EQ(block.Data.size(), 9u);
    EXPECT_EQ(block.Data[8], 9);
    const uint8_t abHead[9] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 21};
    ASSERT_EQ(bus.BlockWrite(0x69, 0, abHead, 9), sim::SMBusStatus::Ok);
    ASSERT_EQ(bus.BlockRead(0x69, 0, block), sim::SMBusStatus::Ok);
    EXPECT_EQ(block.nCount, 21);
    EXPECT_EQ(block.Data[11], 0xCE);
    EXPECT_EQ(block.Data[20], 0x09);
}

TEST(PLLModelClockChip, CPUPLLIsGatedByTheEnableBitAndMovesTheProcessors)
{
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    sim::CSMBusBus& bus = *kit.Board().pSMBus(0);
    sim::CClockChip* p = pChip(kit);
    ASSERT_NE(p, nullptr);
    const uint64_t qwBefore = kit.qwBusHz();
    {
        std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
        // N 998, M 16: VCO 800.22, FSB 266.74; refused while register 10 bit 7 is clear.
        ASSERT_EQ(bus.WriteByteData(0x69, 12, 0xE6), sim::SMBusStatus::Ok);
        EXPECT_EQ(p->Registers()[12], 0x76);
        EXPECT_EQ(p->nIgnoredWrites(), 1u);
        // The PCI Express PLL has no gate.
        ASSERT_EQ(bus.WriteByteData(0x69, 16, 0x77), sim::SMBusStatus::Ok);
        EXPECT_EQ(p->Registers()[16], 0x77);
        // One block that opens the gate and then writes the CPU PLL: taken in order.
        std::array<uint8_t, 13> image{};
        for (unsigned i = 0; i < image.size(); ++i) image[i] = p->Registers()[i];
        image[10] = 0x80;
        image[11] = 0xD0;  // M 16, N bits 8 and 9 set
        image[12] = 0xE6;
        ASSERT_EQ(bus.BlockWrite(0x69, 0, image.data(), uint8_t(image.size())), sim::SMBusStatus::Ok);
    }
    EXPECT_NEAR(p->dFSBMHz(), 266.74, 0.01);
    EXPECT_NE(kit.qwBusHz(), qwBefore);
    EXPECT_NEAR(kit.qwBusHz() / 1e6, 266.74, 0.01);
}

TEST(PLLModelClockChip, BoardFileClockDevices)
{
    auto load = [](const json& device, std::string& strError) {
        json board = chipsettest::BoardJson("demo");
        board["smbus"][0]["devices"].push_back(device);
        return sim::CSimBoard::FromJson(board.dump(), strError) != nullptr;
    };
    std::string strError;
    EXPECT_TRUE(load({{"address", "0x6a"}, {"type", "clock"}, {"model", "ics9p932"}}, strError)) << strError;
    EXPECT_FALSE(load({{"address", "0x6a"}, {"type", "clock"}, {"model", "ics999"}}, strError));
    EXPECT_NE(strError.find("unknown model"), std::string::npos) << strError;
    EXPECT_NE(strError.find("ics951462"), std::string::npos) << strError;
    EXPECT_FALSE(load({{"address", "0x6a"}, {"type", "clock"}}, strError));
    EXPECT_NE(strError.find("model"), std::string::npos) << strError;
    EXPECT_FALSE(load({{"address", "0x6a"}, {"type", "registers"}, {"model", "ics9p932"}}, strError));
    EXPECT_NE(strError.find("clock devices only"), std::string::npos) << strError;
    EXPECT_FALSE(load({{"address", "0x6a"}, {"type", "clock"}, {"model", "ics9p932"}, {"block_count", 3}}, strError));
    EXPECT_EQ(sim::pCreateClockChip("nothing", {}), nullptr);
}

}  // namespace
