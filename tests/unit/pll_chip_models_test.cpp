// SPDX-License-Identifier: GPL-2.0-or-later
// Every SMBus clock chip model: a register image from a running board decodes to the clocks
// worked out by hand from the chip's register description, and a new FSB written through the
// driver reads back as that FSB within what the chip can resolve.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "FakeChipBus.h"
#include "pll/PLLModels.h"

namespace {

struct ChipCase {
    const char* pszName;
    uint32_t dwID;
    std::vector<std::pair<int, uint8_t>> Registers;
    int32_t nBlockCount;   // what a block read returns
    float fBusClock;       // measured by the CPU interface; -1 none
    float fFSB, fGSB, fPCI;
    float fNewFSB;         // set, then read back
    float fResolution;     // how far the chip may land from it
    int32_t nCountRegister = -1;  // >= 0: a block read sends what this register says instead
};

std::ostream& operator<<(std::ostream& os, const ChipCase& c) { return os << c.pszName; }

// The clocks in the comments are the hand calculations: ICS VCO = 14.31818 × (N + 8) / (M + 2).
const std::vector<ChipCase>& Cases()
{
    static const std::vector<ChipCase> cases = {
        // FSB = 64.010666 × 25 / 12 = 133.356; AGP ÷2, PCI half of it.
        {"CY28346", 0x04283460, {{0, 0x03}, {8, 25}, {9, 25}}, 16, -1, 133.356f, 66.678f, 33.339f, 166.67f, 1.1f},
        // FSB = 100 × 60 / 30; PCI-E = 200 / 2.
        {"CY28551", 0x04285510, {{4, 0x02}, {14, 100}, {15, 30}, {16, 200}}, 20, -1, 200.0f, 100.0f, 33.333f,
         266.67f, 0.3f},
        // N = 1 + 2 × 247 = 495, M 16: VCO 400.114, ÷3 learned from 133.3; select 7: AGP ÷6.
        {"ICS94228", 0x01094228, {{0, 0x07}, {8, 15}, {9, 0x90}, {10, 247}}, 15, 133.3f, 133.371f, 66.686f,
         33.343f, 150.0f, 0.2f},
        // M 16, N 495: 400.114 ÷2 (B code 0); AGP from the VCO ÷6 (B code 5), bit 0 of 21 set.
        {"ICS950403", 0x01950403, {{6, 25}, {11, 0x90}, {12, 0xEF}, {15, 0x50}, {21, 0x01}}, 25, -1, 200.057f,
         66.686f, 33.343f, 166.67f, 0.3f},
        // M 16, N 998: 800.227 ÷4 learned from 200; AGP fixed 66.
        {"ICS950405", 0x01950405, {{6, 13}, {9, 0x00}, {11, 0xD0}, {12, 0xE6}}, 13, 200.0f, 200.057f, 66.0f, 33.0f,
         250.0f, 0.3f},
        // 400.114 ÷3 (B 1); AGP ÷6 (B 5); PCI ÷12 (D 9).
        {"ICS951402", 0x01951402, {{8, 20}, {11, 0x90}, {12, 0xEF}, {15, 0x01}, {16, 0x50}, {17, 0x09}}, 20, -1,
         133.371f, 66.686f, 33.343f, 200.0f, 0.2f},
        // 800.227 ÷4 (A 4); PCI-E PLL 800.227 ÷8 (B 8); PCI a third.
        {"ICS951416", 0x01951416, {{8, 21}, {11, 0xD0}, {12, 0xE6}, {15, 0xD0}, {16, 0xE6}, {19, 0x40}, {20, 0x80}},
         21, -1, 200.057f, 100.028f, 33.343f, 250.0f, 0.3f},
        // Second PLL on 17 and 18, PCI-E ÷8 (A 8).
        {"ICS951422", 0x01951422, {{8, 21}, {11, 0xD0}, {12, 0xE6}, {17, 0xD0}, {18, 0xE6}, {19, 0x48}}, 21, -1,
         200.057f, 100.028f, 33.343f, 250.0f, 0.3f},
        // PCI = 800.227 / 2 / 12 (K 9 in the low nibble of 19).
        {"ICS951446", 0x01951446, {{8, 21}, {11, 0xD0}, {12, 0xE6}, {15, 0xD0}, {16, 0xE6}, {19, 0x49}, {20, 0x80}},
         21, -1, 200.057f, 100.028f, 33.343f, 300.0f, 0.3f},
        {"ICS951462", 0x01951462, {{8, 21}, {11, 0xD0}, {12, 0xE6}, {15, 0xD0}, {16, 0xE6}, {19, 0x48}, {20, 0x09}},
         21, -1, 200.057f, 100.028f, 33.343f, 333.0f, 0.3f},
        // No PCI interface: AGP. 800.227 ÷4 (B 4); AGP ÷12 (G 9) and PCI ÷24 of the CPU VCO.
        {"ICS952505", 0x01952505, {{8, 21}, {11, 0xD0}, {12, 0xE6}, {19, 0x40}, {20, 0x90}}, 21, -1, 200.057f,
         66.686f, 33.343f, 250.0f, 0.3f},
        // Mode 0: 400.114 ÷3 (B 1); AGP ÷6 (B 5 in register 16).
        {"ICS952607", 0x01952607, {{8, 25}, {11, 0x90}, {12, 0xEF}, {15, 0x01}, {16, 0x05}}, 25, -1, 133.371f,
         66.686f, 33.343f, 166.67f, 0.2f},
        // Mode 0: 400.114 ÷3 (F 1); PCI ÷12 (F 9), AGP twice that.
        {"ICS952618", 0x01952618, {{8, 25}, {11, 0x90}, {12, 0xEF}, {15, 0x01}, {16, 0x90}}, 25, -1, 133.371f,
         66.686f, 33.343f, 166.67f, 0.2f},
        // 800.227 ÷4 learned; PCI-E ÷8 (B 8); PCI ÷24 (A 13).
        {"ICS954119", 0x01954119, {{8, 21}, {11, 0xD0}, {12, 0xE6}, {19, 0x08}, {20, 0xD0}}, 21, 200.0f, 200.057f,
         100.028f, 33.343f, 250.0f, 0.3f},
        // The chip sends as many bytes as register 8 says: 19 at first, then the 20 the driver
        // asks for, which reach register 19: PCI-E ÷8 of the second PLL; PCI ÷24 of the CPU VCO.
        {"ICS954123", 0x01954123, {{8, 19}, {11, 0xD0}, {12, 0xE6}, {17, 0xD0}, {18, 0xE6}, {19, 0x08}}, 0, 200.0f,
         200.057f, 100.028f, 33.343f, 250.0f, 0.3f, 8},
        // PCI-E ÷8 (E 8 in register 4); PCI = CPU VCO / 24.
        {"ICS954148", 0x01954148, {{4, 0x80}, {8, 19}, {11, 0xD0}, {12, 0xE6}, {17, 0xD0}, {18, 0xE6}}, 19, 200.0f,
         200.057f, 100.028f, 33.343f, 250.0f, 0.3f},
        // Repaired from 19 to 20 bytes: CPU ÷4 (B code 4 in register 19); PCI fixed 32 (bits 5..4
        // of register 6). No bus clock is needed.
        {"ICS954519", 0x01954519,
         {{4, 0x80}, {6, 0x10}, {8, 19}, {11, 0xD0}, {12, 0xE6}, {17, 0xD0}, {18, 0xE6}, {19, 0x40}}, 0, -1, 200.057f,
         100.028f, 32.0f, 250.0f, 0.3f, 8},
        // Reference 14.31818 (register 29): N 782, M 14 → 799.773 ÷4; second PLL on 47.727264:
        // N 352, M 21 → 800.0, ÷8 → 100.
        {"ICS9PLRS509", 0x019AB509, {{8, 31}, {11, 0x8E}, {12, 0xC3}, {15, 0x15}, {16, 0x58}, {29, 0x00}}, 31, 200.0f,
         199.943f, 100.0f, 33.333f, 250.0f, 0.3f},
        {"ICS9PLRS587", 0x019AB587, {{8, 32}, {11, 0x8E}, {12, 0xC3}, {15, 0x15}, {16, 0x58}, {29, 0x00}}, 32, 200.0f,
         199.943f, 100.0f, 33.333f, 250.0f, 0.3f},
        // 447 × 0.4474432; AGP 298 × 0.2237216.
        {"IDTCV107", 0x08000107, {{8, 35}, {25, 0x10}, {26, 0x01}, {27, 0xBF}, {28, 0x01}, {29, 0x2A}}, 35, -1,
         200.007f, 66.669f, 33.335f, 250.0f, 0.23f},
        // Multiplier 1.0, code 200; PCI-E half of register 18.
        {"IDTCV174C", 0x08000174, {{0, 0x44}, {12, 20}, {17, 200}, {18, 200}, {19, 0x08}}, 20, -1, 200.0f, 100.0f,
         33.4f, 266.67f, 0.5f},
        // (248 + 248 + 4) × 12 / 30; select 4: PCI ÷6.
        {"RTM360408", 0x02360408, {{18, 248}, {20, 248}, {21, 28}, {31, 0x20}}, 32, -1, 200.0f, 66.667f, 33.333f,
         166.67f, 0.2f},
        // (99 + 99 + 2) × 24 / 24; select 4: reference 48, PCI ÷6.
        {"RTM560266", 0x02560266, {{17, 99}, {18, 99}, {19, 23}, {31, 0x80}}, 32, -1, 200.0f, 66.667f, 33.333f,
         166.67f, 0.2f},
        // 6.25 × (3136 + 64) / 25 = 800 ÷4; PCI-E VCO ÷8, PCI ÷24.
        {"RTM862410", 0x02862410, {{11, 23}, {14, 0x0C}, {15, 0x40}, {28, 0x20}, {29, 0x40}, {30, 0x20}}, 0, -1,
         200.0f, 100.0f, 33.333f, 250.0f, 0.1f},
        // Decimal VCOs 800 and 800; CPU ÷4, PCI-E VCO2 / 8, PCI VCO2 / 24.
        {"RTM865461", 0x02865461, {{17, 80}, {18, 80}, {28, 0x20}, {29, 0x02}, {30, 0x40}}, 0, -1, 200.0f, 100.0f,
         33.333f, 233.0f, 0.25f},
        // 200 MHz as a number; PCI-E 100.
        {"SLG505YC56D", 0x40000505, {{12, 29}, {14, 0x00}, {15, 200}, {16, 100}}, 29, -1, 200.0f, 100.0f, 33.4f,
         300.0f, 0.5f},
        // 14.31818 × (443 + 4) / 16 ÷3; AGP ÷6.
        {"W83194BGSD", 0x20831940, {{8, 0x90}, {9, 0xBB}, {12, 0x11}}, 14, -1, 133.338f, 66.669f, 33.334f, 200.0f,
         0.2f},
        // 14.31818 × (890 + 4) / 16 ÷4 learned.
        {"W83195BG101", 0x20831950, {{8, 0xD0}, {9, 0x7A}}, 14, 200.0f, 200.007f, 100.0f, 33.333f, 266.67f, 0.3f},
    };
    return cases;
}

class ChipModel : public ::testing::TestWithParam<ChipCase> {
protected:
    void vPrepare(CChipOnFakeBus& board)
    {
        const ChipCase& c = GetParam();
        ASSERT_TRUE(board.bHasChip());
        for (const auto& [nRegister, bValue] : c.Registers) board.m_Bus.m_Registers[size_t(nRegister)] = bValue;
        board.m_Bus.m_nBlockCount = c.nBlockCount;
        board.m_Bus.m_nCountRegister = c.nCountRegister;
        if (c.fBusClock > 0) board.vSetBusClock(c.fBusClock);
    }
};

TEST_P(ChipModel, DecodesARunningBoard)
{
    const ChipCase& c = GetParam();
    CChipOnFakeBus board(c.dwID);
    vPrepare(board);
    ASSERT_TRUE(board.bHasChip());
    CFrequencySet set = board.Read();
    ASSERT_TRUE(board.m_bLastRead);
    EXPECT_EQ(board.Chip().m_dwPLLID, c.dwID);
    EXPECT_NEAR(set.m_fFSB, c.fFSB, 0.002f);
    EXPECT_NEAR(set.m_fGSB, c.fGSB, 0.002f);
    EXPECT_NEAR(set.m_fPCI, c.fPCI, 0.002f);
    EXPECT_EQ(set.m_fMEM, -1.0f);
}

TEST_P(ChipModel, NewFSBReadsBack)
{
    const ChipCase& c = GetParam();
    CChipOnFakeBus board(c.dwID);
    vPrepare(board);
    ASSERT_TRUE(board.bHasChip());
    board.Read();
    ASSERT_TRUE(board.m_bLastRead);
    CFrequencySet preview;
    preview.m_fFSB = c.fNewFSB;
    ASSERT_TRUE(board.Chip().bPreviewClocks(preview));
    EXPECT_NEAR(preview.m_fFSB, c.fNewFSB, c.fResolution);

    auto before = board.m_Bus.m_Registers;
    ASSERT_TRUE(board.Chip().bSetFSB(c.fNewFSB));
    EXPECT_NE(board.m_Bus.m_Registers, before);
    CFrequencySet set = board.Read();
    ASSERT_TRUE(board.m_bLastRead);
    EXPECT_NEAR(set.m_fFSB, c.fNewFSB, c.fResolution);
    EXPECT_FLOAT_EQ(set.m_fFSB, preview.m_fFSB);  // the preview told the truth
}

// A new GSB for each model with a settable one, from the images above, and what it may land
// from it; a negative resolution: the image's GSB does not come from what bSetGSB programs,
// so it must be refused.
const std::map<std::string, std::pair<float, float>>& NewGSB()
{
    static const std::map<std::string, std::pair<float, float>> gsb = {
        {"CY28551", {120.0f, 0.26f}},     {"ICS951416", {120.0f, 0.5f}},   {"ICS951422", {120.0f, 0.5f}},
        {"ICS951446", {120.0f, 0.5f}},    {"ICS951462", {120.0f, 0.5f}},   {"ICS952505", {75.0f, -1.0f}},
        {"ICS952607", {75.0f, -1.0f}},    {"ICS952618", {75.0f, -1.0f}},   {"ICS954123", {120.0f, 0.5f}},
        {"ICS954148", {120.0f, 0.5f}},    {"ICS954519", {120.0f, 0.5f}},   {"ICS9PLRS509", {120.0f, 0.5f}},
        {"ICS9PLRS587", {120.0f, 0.5f}},  {"IDTCV107", {75.0f, 0.12f}},    {"IDTCV174C", {110.0f, 0.26f}},
        {"RTM862410", {110.0f, -1.0f}},   {"RTM865461", {120.0f, 0.13f}},  {"SLG505YC56D", {110.0f, 0.5f}},
    };
    return gsb;
}

TEST_P(ChipModel, NewGSBReadsBackOrIsRefused)
{
    const ChipCase& c = GetParam();
    CChipOnFakeBus board(c.dwID);
    vPrepare(board);
    ASSERT_TRUE(board.bHasChip());
    board.Read();
    auto it = NewGSB().find(c.pszName);
    if (!board.Chip().m_bGSBAdjustable) {
        EXPECT_EQ(it, NewGSB().end()) << "fixed GSB";
        return;
    }
    ASSERT_NE(it, NewGSB().end()) << "no GSB case";
    auto [fGSB, fResolution] = it->second;
    auto before = board.m_Bus.m_Registers;
    if (fResolution < 0) {
        EXPECT_FALSE(board.Chip().bSetGSB(fGSB));
        EXPECT_EQ(board.m_Bus.m_Registers, before);
        return;
    }
    ASSERT_TRUE(board.Chip().bSetGSB(fGSB));
    CFrequencySet set = board.Read();
    EXPECT_NEAR(set.m_fGSB, fGSB, fResolution);
    EXPECT_NEAR(set.m_fFSB, c.fFSB, 0.002f);  // the FSB stays
}

TEST_P(ChipModel, GarbageImageGivesNoInfiniteClock)
{
    const ChipCase& c = GetParam();
    for (uint8_t bFill : {uint8_t(0x00), uint8_t(0xFF)}) {
        CChipOnFakeBus board(c.dwID);
        ASSERT_TRUE(board.bHasChip());
        board.m_Bus.m_Registers.fill(bFill);
        board.m_Bus.m_nBlockCount = 64;
        CFrequencySet set = board.Read();
        for (float f : {set.m_fFSB, set.m_fGSB, set.m_fPCI}) {
            EXPECT_TRUE(std::isfinite(f)) << unsigned(bFill);
            EXPECT_TRUE(f > 0 || f == -1.0f) << unsigned(bFill) << " " << f;
        }
        CFrequencySet preview;
        preview.m_fFSB = 200.0f;
        preview.m_fGSB = 100.0f;
        board.Chip().bPreviewClocks(preview);
        EXPECT_TRUE(std::isfinite(preview.m_fFSB));
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, ChipModel, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<ChipCase>& info) { return std::string(info.param.pszName); });

TEST(ChipRegistry, EveryNamedSMBusModelHasADriverWithItsId)
{
    int nModels = 0;
    for (const PLL_ENTRY* p = g_SMBusPLLTable; p->dwID != PLL_ID_END; ++p) {
        if (p->dwID == PLL_ID_NOT_SPECIFIED) continue;
        std::unique_ptr<CClockGenerator> pChip(pCreateSMBusClockChip(p->dwID));
        ASSERT_NE(pChip, nullptr) << p->szName;
        EXPECT_EQ(pChip->m_dwPLLID, p->dwID) << p->szName;
        ++nModels;
    }
    EXPECT_EQ(nModels, 29);
    EXPECT_EQ(size_t(nModels), Cases().size() + 1);  // ICS 951412 has presets, tested on its own
    EXPECT_EQ(pCreateSMBusClockChip(0x10000040), nullptr);
    EXPECT_EQ(pCreateSMBusClockChip(0x01951413), nullptr);
}

}  // namespace
