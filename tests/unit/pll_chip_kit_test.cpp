// SPDX-License-Identifier: GPL-2.0-or-later
// SMBus clock chips other than the demo's, through the whole kit: selected by id, read over
// the board's SMBus host, walked to a new FSB, and the processors then run on it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "PLLTestKit.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"

namespace {

using plltest::BoardWith;
using plltest::CPLLKit;
using plltest::strHex;
using json = nlohmann::json;

// The demo board with a plain register file at 0x69 that sends nCount bytes, and its graphics
// card at 01:00.0 replaced by one whose only capability has the id given (0: none).
json BoardWithRegisters(const std::vector<std::pair<int, uint8_t>>& registers, int nCount, int nGraphicsCapability)
{
    json board = chipsettest::BoardJson("demo");
    json& device = plltest::SMBusDevice(board, "0x69");
    device.erase("model");
    device["type"] = "registers";
    device["hex"] = strHex(registers);
    device["block_count"] = nCount;
    json card = {{"at", "01:00.0"}, {"id", "10de:0221"}, {"class", "030000"}, {"header", 0}};
    if (nGraphicsCapability) {
        char szCapability[16];
        std::snprintf(szCapability, sizeof(szCapability), "0x%08x", nGraphicsCapability);
        card["regs"] = {{"0x06.w", "0x0010"}, {"0x34.b", "0x60"}, {"0x60.l", szCapability}};
    }
    chipsettest::PciEntry(board, "01:00.0") = card;
    return board;
}

// Selects the model, reads it, walks the FSB to fTarget and reads it again; the chip's
// transfers from the walk on go into walk.
void vApply(CPLLKit& kit, uint32_t dwID, float fStart, float fTarget, float fResolution,
            std::vector<sim::SMBusTransfer>& walk)
{
    CPLLInterface* pInterface = kit.pPLL();
    ASSERT_NE(pInterface, nullptr);
    CClockGenerator* pChip = pInterface->SelectPLL(dwID);
    ASSERT_NE(pChip, nullptr);
    ASSERT_TRUE(pChip->bReadClocks(pChip->m_Current));
    EXPECT_NEAR(pChip->m_Current.m_fFSB, fStart, fResolution);
    kit.Transfers(0x69);
    CFrequencySet target;
    target.m_fFSB = fTarget;
    EXPECT_TRUE(pChip->bApplyClocks(target, nullptr));
    pChip->m_Current.Clear();
    ASSERT_TRUE(pChip->bReadClocks(pChip->m_Current));
    EXPECT_NEAR(pChip->m_Current.m_fFSB, fTarget, fResolution);
    EXPECT_NEAR(double(kit.qwBusHz()) / 1e6, fTarget, fResolution);
    walk = kit.Transfers(0x69);
}

TEST(ChipsOnTheBoard, IDTCodeChipOverBlockTransfers)
{
    // Code 596 × 0.4474432 = 266.68 MHz; AGP 298 × 0.2237216.
    CPLLKit kit(BoardWith("idtcv107", {{25, 0x10}, {26, 0x02}, {27, 0x54}, {28, 0x01}, {29, 0x2A}}));
    ASSERT_TRUE(kit.bReady());
    std::vector<sim::SMBusTransfer> walk;
    vApply(kit, 0x08000107, 266.68f, 280.0f, 0.23f, walk);
    // The walk went in steps: 271.68, 276.68 and 280 each took a write of the whole image (32
    // bytes after the count). The host's 32-byte block stays below the chip's 35, but the
    // count register already says 35: the read back repairs nothing.
    std::vector<size_t> writes;
    for (const sim::SMBusTransfer& transfer : walk)
        if (transfer.eOp == sim::SMBusOp::BlockWrite) writes.push_back(transfer.Data.size());
    EXPECT_EQ(writes, std::vector<size_t>(3, 33));
}

TEST(ChipsOnTheBoard, RealtekWordChipOverWordTransfers)
{
    // 6.25 × (3136 + 64) / 25 = 800 MHz ÷3.
    CPLLKit kit(BoardWith("rtm862-410", {{11, 23}, {14, 0x0C}, {15, 0x40}, {28, 0x10}, {29, 0x40}, {30, 0x20}}));
    ASSERT_TRUE(kit.bReady());
    std::vector<sim::SMBusTransfer> walk;
    vApply(kit, 0x02862410, 266.67f, 280.0f, 0.1f, walk);
    for (const sim::SMBusTransfer& transfer : walk) {
        EXPECT_TRUE(transfer.eOp == sim::SMBusOp::ReadWord || transfer.eOp == sim::SMBusOp::WriteWord);
        EXPECT_TRUE(transfer.bCommand & 0x80);
    }
    EXPECT_NEAR(kit.pPLL()->m_pPLL->m_Current.m_fGSB, 280.0f * 3 / 8, 0.1f);
}

// ICS 952505 at 200 MHz: PCI-E divider ÷8 (B 8), AGP ÷12 (G 9), both from the CPU VCO.
const std::vector<std::pair<int, uint8_t>> ICS952505_IMAGE = {
    {8, 21}, {11, 0xD0}, {12, 0xE6}, {19, 0x40}, {20, 0x98}};

TEST(ChipsOnTheBoard, GraphicsCardDecidesWhatTheSecondBusClockIs)
{
    const struct {
        int nCapability;
        int32_t nType;
        float fGSB, fPCI, fMax;
    } cases[] = {
        {0, GSB_AGP, 66.686f, 33.343f, 133.34f},        // no capability: AGP
        {0x0002, GSB_AGP, 66.686f, 33.343f, 133.34f},   // AGP
        {0x0010, GSB_PCIE, 100.028f, 33.343f, 200.0f},  // PCI Express: PCI ÷24
    };
    for (const auto& c : cases) {
        CPLLKit kit(BoardWithRegisters(ICS952505_IMAGE, 21, c.nCapability));
        ASSERT_TRUE(kit.bReady());
        CClockGenerator* pChip = kit.pPLL()->SelectPLL(0x01952505);
        ASSERT_NE(pChip, nullptr);
        ASSERT_TRUE(pChip->bReadClocks(pChip->m_Current));
        EXPECT_EQ(pChip->m_nGSBType, c.nType) << c.nCapability;
        EXPECT_NEAR(pChip->m_Current.m_fGSB, c.fGSB, 0.002f) << c.nCapability;
        EXPECT_NEAR(pChip->m_Current.m_fPCI, c.fPCI, 0.002f) << c.nCapability;
        EXPECT_EQ(pChip->m_Max.m_fGSB, c.fMax);
    }
}

TEST(ChipsOnTheBoard, ATISouthBridgeFixesThePCIClock)
{
    // ICS 951446 at 200 MHz with PCI = 800.227 / 2 / 10 (K 6).
    const std::vector<std::pair<int, uint8_t>> image = {
        {8, 21}, {11, 0xD0}, {12, 0xE6}, {15, 0xD0}, {16, 0xE6}, {19, 0x46}, {20, 0x80}};
    for (bool bATI : {false, true}) {
        json board = BoardWithRegisters(image, 21, 0);
        if (bATI) board["pci"].push_back({{"at", "00:14.0"}, {"id", "1002:4377"}, {"class", "0c0500"}, {"header", 0}});
        CPLLKit kit(board);
        ASSERT_TRUE(kit.bReady());
        CClockGenerator* pChip = kit.pPLL()->SelectPLL(0x01951446);
        ASSERT_NE(pChip, nullptr);
        ASSERT_TRUE(pChip->bReadClocks(pChip->m_Current));
        EXPECT_NEAR(pChip->m_Current.m_fPCI, bATI ? 33.34f : 40.011f, 0.002f);
        EXPECT_NEAR(pChip->m_Current.m_fGSB, 100.028f, 0.002f);
    }
}

TEST(ChipsOnTheBoard, APIIX4MovesTheClockChipsBlocksThroughItsArray)
{
    // The demo board's SMBus controller made a PIIX4 at 00:07.3: base in register 0x90, host
    // enable in 0xD2 bit 0, blocks through its 32-byte array without a byte-done handshake.
    json board = chipsettest::BoardJson("demo");
    chipsettest::PciEntry(board, "00:1f.3") = {
        {"at", "00:07.3"}, {"id", "8086:7113"}, {"class", "068000"}, {"header", 0},
        {"regs", {{"0x04.w", "0x0001"}, {"0x90.l", "0x00000401"}, {"0xd2.b", "0x01"}}}};
    json& controller = board["smbus"][0];
    controller["controller"] = "via";
    controller["function"] = "00:07.3";
    controller["bar"] = "0x90";
    controller["options"] = {{"enable_reg", "0xd2"}, {"enable_mask", "0x01"}};
    CPLLKit kit(board);
    ASSERT_TRUE(kit.bReady());
    std::vector<sim::SMBusTransfer> walk;
    vApply(kit, 0x01951462, 266.67f, 280.0f, 0.1f, walk);
    size_t nWrites = 0;
    for (const sim::SMBusTransfer& transfer : walk) nWrites += transfer.eOp == sim::SMBusOp::BlockWrite;
    EXPECT_EQ(nWrites, 3u);  // 271.67, 276.67, 280
}

}  // namespace
