// SPDX-License-Identifier: GPL-2.0-or-later
// What single SMBus clock chip models do differently from the rest: presets, direct
// frequency codes, the measured bus clock, two-step writes, word access with its unlock
// sequences, and the values the chips cannot hold.
#include <gtest/gtest.h>

#include <vector>

#include "FakeChipBus.h"

namespace {

using Words = std::vector<std::pair<uint8_t, uint8_t>>;

// ICS 951412.

TEST(ICS951412, EveryPresetIsFoundByItsCodeAndByItsFSB)
{
    CChipOnFakeBus board(0x01951412);
    ASSERT_TRUE(board.bHasChip());
    CClockGenerator& chip = board.Chip();
    ASSERT_EQ(chip.m_nPresetCount, 30);
    ASSERT_NE(chip.m_pPresets, nullptr);
    EXPECT_FALSE(chip.m_bFSBAdjustable);
    for (int32_t i = 0; i < 30; ++i) {
        board.m_Bus.m_Registers[0] = uint8_t(0xA0 | chip.m_pPresets[i].dwCode);
        CFrequencySet set = board.Read();
        ASSERT_TRUE(board.m_bLastRead);
        // Two rows share 169.58 MHz: the code finds each, the FSB the first.
        EXPECT_EQ(set.m_nPreset, i);
        CFrequencySet wanted;
        wanted.m_fFSB = chip.m_pPresets[i].fFSB;
        ASSERT_TRUE(chip.bPreviewClocks(wanted));
        EXPECT_EQ(wanted.m_nPreset, i == 12 ? 11 : i);
    }
}

TEST(ICS951412, CodeSeventeenIsTheFastestPreset)
{
    CChipOnFakeBus board(0x01951412);
    board.m_Bus.m_Registers[0] = 0x11;
    CFrequencySet set = board.Read();
    EXPECT_EQ(set.m_nPreset, 29);
    EXPECT_FLOAT_EQ(set.m_fFSB, 229.43f);
    EXPECT_FLOAT_EQ(set.m_fGSB, 76.48f * 1.5f);
    EXPECT_FLOAT_EQ(set.m_fPCI, 38.24f);
}

TEST(ICS951412, UnknownCodeLeavesTheSetAlone)
{
    CChipOnFakeBus board(0x01951412);
    board.m_Bus.m_Registers[0] = 0x00;  // not in the table
    CFrequencySet set;
    set.m_fFSB = 150.0f;
    EXPECT_TRUE(board.Chip().bReadClocks(set));
    EXPECT_EQ(set.m_nPreset, -1);
    EXPECT_EQ(set.m_fFSB, 150.0f);
}

TEST(ICS951412, PreviewPicksTheHighestRowNotAboveTheWish)
{
    CChipOnFakeBus board(0x01951412);
    CFrequencySet wish;
    wish.m_fFSB = 201.0f;
    ASSERT_TRUE(board.Chip().bPreviewClocks(wish));
    EXPECT_EQ(wish.m_nPreset, 21);  // 200.0
    CFrequencySet tooSlow;
    tooSlow.m_fFSB = 90.0f;
    EXPECT_FALSE(board.Chip().bPreviewClocks(tooSlow));
    CFrequencySet beyond;
    beyond.m_nPreset = 30;
    EXPECT_FALSE(board.Chip().bPreviewClocks(beyond));
}

TEST(ICS951412, ApplyWritesTheCodeAtOnce)
{
    CChipOnFakeBus board(0x01951412);
    board.m_Bus.m_Registers[0] = 0x24;  // preset 1, bit 5 kept
    board.Read();
    CFrequencySet target;
    target.m_nPreset = 29;  // code 0x11: bit 4 set, so bit 6 too
    EXPECT_TRUE(board.Chip().bApplyClocks(target, nullptr));
    EXPECT_EQ(board.m_Bus.m_Registers[0], 0x80 | 0x20 | 0x40 | 0x11);
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::WRITE_BLOCK), 1u);  // no walk
    target.m_nPreset = 21;  // code 0x07: bits 6 and 4 cleared
    EXPECT_TRUE(board.Chip().bApplyClocks(target, nullptr));
    EXPECT_EQ(board.m_Bus.m_Registers[0], 0x80 | 0x20 | 0x07);
    target.m_nPreset = -1;
    EXPECT_FALSE(board.Chip().bApplyClocks(target, nullptr));
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::WRITE_BLOCK), 2u);
}

// Direct frequency codes.

TEST(SLG505YC56D, ThreeHundredMegahertzIsWrittenAsANumber)
{
    CChipOnFakeBus board(0x40000505);
    board.vLoad({{12, 29}, {14, 0xF0}, {15, 200}, {16, 100}, {17, 0x00}});
    board.m_Bus.m_nCountRegister = 12;
    board.Read();
    ASSERT_TRUE(board.Chip().bSetFSB(300.0f));
    EXPECT_EQ(board.m_Bus.m_Registers[15], 0x2C);
    EXPECT_EQ(board.m_Bus.m_Registers[14], 0xF1);  // bits 7..2 kept
    EXPECT_EQ(board.m_Bus.m_Registers[17], 0x80);  // the FSB enable only
    ASSERT_TRUE(board.Chip().bSetGSB(120.4f));
    EXPECT_EQ(board.m_Bus.m_Registers[16], 120);
    EXPECT_EQ(board.m_Bus.m_Registers[17], 0xC0);
}

TEST(IDTCV107, CodesTheRegistersCannotHoldAreRefused)
{
    CChipOnFakeBus board(0x08000107);
    board.vLoad({{8, 35}, {25, 0x00}, {26, 0x03}, {27, 0x80}});  // step 0.2237216 MHz
    board.Read();
    size_t nWrites = board.m_Bus.nCount(FakeTransfer::WRITE_BLOCK);
    EXPECT_FALSE(board.Chip().bSetFSB(300.0f));  // code 1341 needs 11 bits
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::WRITE_BLOCK), nWrites);
    ASSERT_TRUE(board.Chip().bSetFSB(200.0f));  // code 894
    EXPECT_EQ(board.m_Bus.m_Registers[26], 0x03);
    EXPECT_EQ(board.m_Bus.m_Registers[27], 0x7E);
    EXPECT_EQ(board.m_Bus.m_Registers[25], 0x01);  // enabled
}

TEST(IDTCV174C, OffsetAndMultiplierAreUndoneWhenSetting)
{
    CChipOnFakeBus board(0x08000174);
    // Multiplier 0.6667 (bits 7..5 = 1), offset 0.3334 (bits 2..1 of 16 = 1), code 300.
    board.vLoad({{0, 0x20}, {12, 20}, {16, 0x03}, {17, 0x2C}, {19, 0x08}});
    CFrequencySet set = board.Read();
    EXPECT_NEAR(set.m_fFSB, (300.0f + 0.3334f) * 0.6667f, 0.001f);
    EXPECT_NEAR(set.m_fGSB, 150.0f, 0.001f);  // half the FSB code
    ASSERT_TRUE(board.Chip().bSetFSB(250.0f));  // 250 / 0.6667 − 0.3334 → 375
    EXPECT_EQ(board.m_Bus.m_Registers[17], 375 & 0xFF);
    EXPECT_EQ(board.m_Bus.m_Registers[16] & 1, 1);
    EXPECT_EQ(board.m_Bus.m_Registers[19] & 0x08, 0);  // the enable is active low
    EXPECT_FALSE(board.Chip().bSetGSB(120.0f));  // PCI-E follows the FSB code

    board.m_Bus.m_Registers[0] |= 0x04;  // PCI-E from register 18
    board.Read();
    EXPECT_FALSE(board.Chip().bSetGSB(133.0f));  // 266 does not fit register 18
    ASSERT_TRUE(board.Chip().bSetGSB(120.0f));
    EXPECT_EQ(board.m_Bus.m_Registers[18], 240);
}

// Cypress.

TEST(CY28346, NoDividersShowTheMeasuredBusClock)
{
    CChipOnFakeBus board(0x04283460);
    board.vLoad({{0, 0x03}, {8, 0}, {9, 24}});
    board.m_Bus.m_nBlockCount = 16;
    EXPECT_EQ(board.Read().m_fFSB, -1.0f);  // nothing measured either
    board.vSetBusClock(166.5f);
    CFrequencySet set = board.Read();
    EXPECT_FLOAT_EQ(set.m_fFSB, 166.5f);
    EXPECT_FLOAT_EQ(set.m_fGSB, 83.25f);
}

TEST(CY28346, NewDividersAreWrittenThenLoaded)
{
    CChipOnFakeBus board(0x04283460);
    board.vLoad({{0, 0x03}, {8, 25}, {9, 25}});
    board.m_Bus.m_nBlockCount = 16;
    board.Read();
    ASSERT_TRUE(board.Chip().bSetFSB(166.67f));
    std::vector<const FakeTransfer*> writes;
    for (const FakeTransfer& t : board.m_Bus.m_Log)
        if (t.eKind == FakeTransfer::WRITE_BLOCK || t.eKind == FakeTransfer::SLEEP) writes.push_back(&t);
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[0]->Data[8], 78);
    EXPECT_EQ(writes[0]->Data[9], 60);  // M 30, load bit clear
    EXPECT_EQ(writes[1]->nValue, 100);
    EXPECT_EQ(writes[2]->Data[9], 61);  // then set
    EXPECT_EQ(writes[3]->nValue, 100);
}

// The ICS M/N family's own corners.

TEST(ICS94228, StrobeAndEnableBitsGoOutWithEveryFSB)
{
    CChipOnFakeBus board(0x01094228);
    board.vLoad({{0, 0x07}, {8, 15}, {9, 0x90}, {10, 247}});
    board.vSetBusClock(133.3f);
    board.Read();
    ASSERT_TRUE(board.Chip().bSetFSB(150.0f));
    EXPECT_EQ(board.m_Bus.m_Registers[0], 0x47);
    EXPECT_EQ(board.m_Bus.m_Registers[4], 0x40);
    EXPECT_EQ(board.m_Bus.m_Registers[10], 247);  // N 495 again, now at M 14
    EXPECT_EQ(board.m_Bus.m_Registers[9], 0x8E);
}

TEST(ICS94228, WithoutAMeasuredBusTheFSBIsUnknownAndCannotBeSet)
{
    CChipOnFakeBus board(0x01094228);
    board.vLoad({{0, 0x07}, {8, 15}, {9, 0x90}, {10, 247}});
    CFrequencySet set = board.Read();
    EXPECT_EQ(set.m_fFSB, -1.0f);
    EXPECT_EQ(set.m_fGSB, -1.0f);
    EXPECT_FALSE(board.Chip().bSetFSB(150.0f));
}

TEST(ICS950403, AGPIsFilledEvenWhenTheGSBIsIgnored)
{
    CChipOnFakeBus board(0x01950403);
    board.vLoad({{6, 25}, {11, 0x90}, {12, 0xEF}, {21, 0x02}});
    board.Chip().m_bGSBEnabled = 0;
    CFrequencySet set = board.Read();
    EXPECT_FLOAT_EQ(set.m_fGSB, 75.4f);
    EXPECT_FLOAT_EQ(set.m_fPCI, 37.7f);
}

TEST(ICS952607, SecondPLLModeSetsAGPOnItsOwnPLL)
{
    CChipOnFakeBus board(0x01952607);
    // Mode 1, M2 10, N2 42, reference 16: AGP = 16 × 50 / 12.
    board.vLoad({{5, 0x2A}, {6, 0x2A}, {8, 25}, {11, 0x90}, {12, 0xEF}, {15, 0x01}});
    CFrequencySet set = board.Read();
    EXPECT_NEAR(set.m_fGSB, 66.667f, 0.001f);
    EXPECT_NEAR(set.m_fPCI, 33.333f, 0.001f);
    ASSERT_TRUE(board.Chip().bSetGSB(75.0f));
    EXPECT_EQ(board.m_Bus.m_Registers[5], 0x2A);  // M2 stays 10
    EXPECT_EQ(board.m_Bus.m_Registers[6], 48);
    EXPECT_NEAR(board.Read().m_fGSB, 74.667f, 0.001f);

    board.m_Bus.m_Registers[5] = 0x00;  // mode 0: AGP follows the CPU PLL
    board.Read();
    EXPECT_FALSE(board.Chip().bSetGSB(75.0f));
}

TEST(ICS954123, TheByteCountIsRepairedToReachRegisterNineteen)
{
    CChipOnFakeBus board(0x01954123);
    board.vLoad({{7, 0x80}, {8, 19}, {11, 0xD0}, {12, 0xE6}, {17, 0xD0}, {18, 0xE6}, {19, 0x08}});
    board.m_Bus.m_nCountRegister = 8;
    board.vSetBusClock(200.0f);
    CFrequencySet set = board.Read();
    const FakeTransfer* pRepair = board.m_Bus.pLast(FakeTransfer::WRITE_BLOCK);
    ASSERT_NE(pRepair, nullptr);
    EXPECT_EQ(pRepair->Data.size(), 9u);  // registers 0..8
    EXPECT_EQ(pRepair->Data[8], 20);
    EXPECT_EQ(board.Chip().m_nRegisterCount, 20);
    EXPECT_NEAR(set.m_fGSB, 100.028f, 0.002f);  // the PCI-E divider from register 19
    EXPECT_FLOAT_EQ(set.m_fPCI, 33.34f);

    // A chip that keeps to 19 bytes (the repair refused) leaves the PCI-E clock unknown.
    CChipOnFakeBus refusing(0x01954123);
    refusing.vLoad({{7, 0x80}, {8, 19}, {11, 0xD0}, {12, 0xE6}, {17, 0xD0}, {18, 0xE6}, {19, 0x08}});
    refusing.m_Bus.m_nCountRegister = 8;
    refusing.m_Bus.m_bRefuseWrites = true;
    refusing.vSetBusClock(200.0f);
    set = refusing.Read();
    EXPECT_EQ(refusing.Chip().m_nRegisterCount, 19);
    EXPECT_EQ(set.m_fGSB, -1.0f);
    EXPECT_NEAR(set.m_fFSB, 200.057f, 0.002f);
}

TEST(ICS954519, CPUDividerFromRegisterNineteenElseLearned)
{
    const std::initializer_list<std::pair<int, uint8_t>> image = {
        {4, 0x80}, {8, 19}, {11, 0xD0}, {12, 0xE6}, {17, 0xD0}, {18, 0xE6}, {19, 0x10}};
    CChipOnFakeBus board(0x01954519);
    board.vLoad(image);
    board.m_Bus.m_nCountRegister = 8;
    board.vSetBusClock(200.0f);  // not used: the chip shows ÷3 (B code 1)
    EXPECT_NEAR(board.Read().m_fFSB, 266.742f, 0.002f);
    EXPECT_EQ(board.Chip().m_nRegisterCount, 20);

    // The repair refused: 19 bytes, and the divider is learned from the bus clock.
    CChipOnFakeBus refusing(0x01954519);
    refusing.vLoad(image);
    refusing.m_Bus.m_nCountRegister = 8;
    refusing.m_Bus.m_bRefuseWrites = true;
    refusing.vSetBusClock(200.0f);
    EXPECT_NEAR(refusing.Read().m_fFSB, 200.057f, 0.002f);
}

TEST(ICS9PLRS509, FSBGoesIntoTheMirrorRegistersAndTheReferenceFollowsItsCode)
{
    CChipOnFakeBus board(0x019AB509);
    board.vLoad({{8, 31}, {11, 0x8E}, {12, 0xC3}, {15, 0x15}, {16, 0x58}, {29, 0x80}});
    board.m_Bus.m_nCountRegister = 8;
    board.vSetBusClock(200.0f);
    CFrequencySet set = board.Read();
    // Reference 48: 48 × 782 / 14 = 2681 → ÷13 learned from 200.
    EXPECT_NEAR(set.m_fFSB, 48.0f * 782 / 14 / 13, 0.01f);
    ASSERT_TRUE(board.Chip().bSetFSB(210.0f));
    uint8_t bHigh = board.m_Bus.m_Registers[12];
    EXPECT_EQ(board.m_Bus.m_Registers[23], bHigh);
    EXPECT_EQ(board.m_Bus.m_Registers[24], bHigh);
    EXPECT_EQ(board.m_Bus.m_Registers[25], bHigh);
    EXPECT_EQ(board.m_Bus.m_Registers[1] & 0x10, 0x10);

    board.m_Bus.m_Registers[11] = 0x00;  // M 0
    EXPECT_EQ(board.Read().m_fFSB, -1.0f);
}

TEST(W83194BGSD, GSBRewritesTheImageOnly)
{
    CChipOnFakeBus board(0x20831940);
    board.vLoad({{8, 0x90}, {9, 0xBB}, {12, 0x11}});
    board.m_Bus.m_nBlockCount = 14;
    board.Read();
    auto before = board.m_Bus.m_Registers;
    EXPECT_TRUE(board.Chip().bSetGSB(80.0f));
    EXPECT_EQ(board.m_Bus.m_Registers, before);
    EXPECT_EQ(board.m_Bus.pLast(FakeTransfer::WRITE_BLOCK)->Data.size(), 14u);
    ASSERT_TRUE(board.Chip().bSetFSB(200.0f));
    EXPECT_EQ(board.m_Bus.m_Registers[8], 0x8C);
    EXPECT_EQ(board.m_Bus.m_Registers[9], 0xF3);
    EXPECT_EQ(board.m_Bus.m_Registers[13], 0x80);
    EXPECT_EQ(board.m_Bus.m_Registers[0], 0x40);
}

// Realtek.

TEST(RTM360408, ReadSwitchesToWordsAndSetUnlocksRegister31)
{
    CChipOnFakeBus board(0x02360408);
    board.vLoad({{16, 0x10}, {18, 248}, {20, 248}, {21, 28}, {31, 0x20}});
    CFrequencySet set = board.Read();
    ASSERT_TRUE(board.m_bLastRead);
    const std::vector<FakeTransfer>& log = board.m_Bus.m_Log;
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1].eKind, FakeTransfer::WRITE_BLOCK);
    ASSERT_EQ(log[1].Data.size(), 17u);
    EXPECT_EQ(log[1].Data[16], 0x13);
    EXPECT_EQ(log[2].nValue, 100);
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::READ_WORD), 40u);
    EXPECT_EQ(board.Chip().m_nAccessMethod, ACCESS_WORD);
    EXPECT_EQ(board.Chip().m_nRegisterCount, 40);

    board.m_Bus.m_Log.clear();
    ASSERT_TRUE(board.Chip().bSetFSB(166.67f));
    Words expected = {{31, 0x21}, {17, 1}, {18, 0xC1}, {19, 1}, {20, 0xC2}, {21, 63}, {31, 0x23}};
    EXPECT_EQ(board.m_Bus.WordWrites(), expected);  // NA 449, NB 450 at M 63
    EXPECT_EQ(board.m_Bus.pLast(FakeTransfer::SLEEP)->nValue, 200);
}

TEST(RTM360408, UnreadableUnlockRegisterStopsTheChange)
{
    CChipOnFakeBus board(0x02360408);
    board.vLoad({{18, 248}, {20, 248}, {21, 28}, {31, 0x20}});
    board.Read();
    board.m_Bus.m_FailingWords = {31};
    board.m_Bus.m_Log.clear();
    EXPECT_FALSE(board.Chip().bSetFSB(166.67f));
    EXPECT_TRUE(board.m_Bus.WordWrites().empty());
    EXPECT_EQ(board.Chip().m_abRegisters[21], 28);  // the image still matches the chip
}

TEST(RTM360408, ShortBlockIsNotWrittenBackAndTooFewWordsFail)
{
    CChipOnFakeBus board(0x02360408);
    board.m_Bus.m_nBlockCount = 8;
    for (uint8_t i = 0; i < 6; ++i) board.m_Bus.m_FailingWords.insert(i);
    board.Read();
    EXPECT_FALSE(board.m_bLastRead);  // 34 good words
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::WRITE_BLOCK), 0u);
    EXPECT_EQ(board.Chip().m_nRegisterCount, 0);
    board.m_Bus.m_FailingWords.erase(0);
    board.Read();
    EXPECT_TRUE(board.m_bLastRead);
}

TEST(RTM560266, SwitchClearsBitThreeAndSetsRegisterSixteen)
{
    CChipOnFakeBus board(0x02560266);
    board.vLoad({{0, 0x0F}, {16, 0x00}, {17, 99}, {18, 99}, {19, 23}, {31, 0x80}});
    board.m_Bus.m_bRefuseWrites = true;
    board.Read();
    EXPECT_FALSE(board.m_bLastRead);  // the switch was not taken
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::READ_WORD), 0u);
    const FakeTransfer* pSwitch = board.m_Bus.pLast(FakeTransfer::WRITE_BLOCK);
    ASSERT_NE(pSwitch, nullptr);
    EXPECT_EQ(pSwitch->Data[0], 0x07);
    EXPECT_EQ(pSwitch->Data[16], 3);
}

TEST(RTM862410, NewFSBGoesOutAsWordsThenTheLoadBit)
{
    CChipOnFakeBus board(0x02862410);
    board.vLoad({{11, 23}, {14, 0x8C}, {15, 0x40}, {17, 0x80}, {28, 0x20}, {31, 0x10}});
    board.Read();
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::READ_BLOCK), 0u);
    EXPECT_EQ(board.m_Bus.m_Log.front().bCommand, 0x80);
    board.m_Bus.m_Log.clear();
    ASSERT_TRUE(board.Chip().bSetFSB(250.0f));  // N 3936 = 0xF60 at M 23
    Words expected = {{0x8B, 23}, {0x8E, 0x8F}, {0x8F, 0x60}, {0x91, 0x8F}, {0x92, 0x60}, {0x9F, 0x11}};
    EXPECT_EQ(board.m_Bus.WordWrites(), expected);
    EXPECT_EQ(board.m_Bus.pLast(FakeTransfer::SLEEP)->nValue, 50);
    EXPECT_FALSE(board.Chip().bSetGSB(100.0f));  // PCI-E does not come from the second PLL
}

TEST(RTM862410, PCIExpressFromTheSecondPLL)
{
    CChipOnFakeBus board(0x02862410);
    // VCO2 = 14.31818 × (400 + 2) / (17 + 2) = 302.94; source 6: ÷3.
    board.vLoad({{11, 23}, {14, 0x0C}, {15, 0x40}, {20, 0x90}, {21, 0x51}, {28, 0x20}, {29, 0x60}});
    CFrequencySet set = board.Read();
    EXPECT_NEAR(set.m_fGSB, 14.31818f * 402 / 19 / 3, 0.001f);
    ASSERT_TRUE(board.Chip().bSetGSB(100.0f));
    EXPECT_NEAR(board.Read().m_fGSB, 100.0f, 0.4f);
}

TEST(RTM865461, DecimalVCOSplitsIntoTensAndUnits)
{
    CChipOnFakeBus board(0x02865461);
    board.vLoad({{17, 0x80 | 80}, {18, 80}, {19, 0x05}, {28, 0x20}, {29, 0x02}});
    board.Read();
    board.m_Bus.m_Log.clear();
    ASSERT_TRUE(board.Chip().bSetFSB(233.0f));
    Words expected = {{0x91, 0x80 | 93}, {0x93, 0x25}, {0x9F, 7}};
    EXPECT_EQ(board.m_Bus.WordWrites(), expected);
    board.m_Bus.m_Log.clear();
    ASSERT_TRUE(board.Chip().bSetGSB(120.0f));  // VCO2 960
    Words gsb = {{0x92, 96}, {0x93, 0x20}, {0x9F, 7}};
    EXPECT_EQ(board.m_Bus.WordWrites(), gsb);
}

TEST(RTM865461, VCOBeyondTheTensIsRefusedNotFaked)
{
    CChipOnFakeBus board(0x02865461);
    board.vLoad({{17, 80}, {28, 0x40}, {29, 0x00}});  // CPU ÷8
    board.Read();
    board.m_Bus.m_Log.clear();
    EXPECT_FALSE(board.Chip().bSetFSB(200.0f));  // 1600 MHz: 160 tens
    EXPECT_TRUE(board.m_Bus.WordWrites().empty());
    EXPECT_FALSE(board.Chip().bSetGSB(100.0f));  // PCI-E is not VCO2 / 8 here
}

TEST(RTM865461, UnreadRegistersAreClearedNotKept)
{
    CChipOnFakeBus board(0x02865461);
    board.vLoad({{17, 80}, {28, 0x20}});
    board.Chip().m_abRegisters[5] = 0x55;
    board.m_Bus.m_Registers[5] = 0x66;
    board.m_Bus.m_FailingWords = {0x85};
    board.Read();
    ASSERT_TRUE(board.m_bLastRead);
    EXPECT_EQ(board.Chip().m_abRegisters[5], 0);
    EXPECT_EQ(board.Chip().m_nAccessMethod, ACCESS_WORD_HIGH);
}

}  // namespace
