// SPDX-License-Identifier: GPL-2.0-or-later
// The mechanics the SMBus clock chips share: divider tables, the block read with its repair,
// the M/N register layouts and the divider learned from the measured bus clock.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeChipBus.h"
#include "pll/smbus/ChipMechanics.h"

namespace {

TEST(ChipDividers, TablesFollowTheirBasesAndGIsAList)
{
    const int32_t anA[16] = {2, 3, 5, 15, 4, 6, 10, 30, 8, 12, 20, 60, 16, 24, 40, 120};
    const int32_t anG[16] = {2, 8, 4, 16, 5, 20, 10, 40, 3, 12, 6, 24, 15, 60, 30, 120};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(nTableDivider(DIV_TABLE_A, i), anA[i]) << i;
        EXPECT_EQ(nTableDivider(DIV_TABLE_G, i), anG[i]) << i;
    }
    EXPECT_EQ(nTableDivider(DIV_TABLE_B, 7), 14);
    EXPECT_EQ(nTableDivider(DIV_TABLE_K, 0), 4);
    EXPECT_EQ(nTableDivider(DIV_TABLE_D, 9), 12);
    EXPECT_EQ(nTableDivider(DIV_TABLE_E, 15), 72);
    EXPECT_EQ(nTableDivider(DIV_TABLE_F, 11), 44);
    EXPECT_EQ(nTableDivider(DIV_TABLE_A, 16), -1);
    EXPECT_EQ(nTableDivider(DIV_TABLE_A, -1), -1);
    EXPECT_EQ(nTableDivider(DIV_MEASURED, 3), -1);
}

TEST(ChipDividers, UnknownOrZeroDividersGiveUnknownClocks)
{
    EXPECT_FLOAT_EQ(fDivideClock(800.0f, 4.0f), 200.0f);
    EXPECT_EQ(fDivideClock(800.0f, 0.0f), -1.0f);
    EXPECT_EQ(fDivideClock(800.0f, -1.0f), -1.0f);
    EXPECT_EQ(fDivideClock(-1.0f, 4.0f), -1.0f);
}

TEST(ChipLayouts, EveryLayoutKeepsWhatItEncodes)
{
    const MN_FIELDS layouts[] = {
        {11, 12, MN_M6_N10, -1}, {11, 12, MN_M7_N9, -1}, {9, 10, MN_M7_NLOW, -1},
        {11, 12, MN_M6_NLOW, -1}, {8, 9, MN_M6_N10, 13},
    };
    const int32_t anMaxM[] = {63, 127, 127, 63, 63};
    const int32_t anMaxN[] = {1023, 511, 511, 1023, 2047};
    for (size_t i = 0; i < 5; ++i) {
        for (int32_t nN : {0, 1, 2, 3, 255, 256, 511, anMaxN[i]}) {
            uint8_t abRegisters[256] = {};
            abRegisters[13] = 0x80;  // a bit beside N bit 10 must survive
            ASSERT_TRUE(bEncodeMN(abRegisters, layouts[i], anMaxM[i], nN)) << i << " " << nN;
            int32_t nM = -1, nDecoded = -1;
            vDecodeMN(abRegisters, layouts[i], nM, nDecoded);
            EXPECT_EQ(nM, anMaxM[i]) << i;
            EXPECT_EQ(nDecoded, nN) << i;
            EXPECT_TRUE(abRegisters[13] & 0x80);
        }
        uint8_t abRegisters[256] = {};
        EXPECT_FALSE(bEncodeMN(abRegisters, layouts[i], anMaxM[i] + 1, 0)) << i;
        EXPECT_FALSE(bEncodeMN(abRegisters, layouts[i], 0, anMaxN[i] + 1)) << i;
        EXPECT_FALSE(bEncodeMN(abRegisters, layouts[i], 0, -1)) << i;
    }
}

TEST(ChipLayouts, ICSRegisterElevenCarriesNBitsEightAndNine)
{
    uint8_t abRegisters[256] = {};
    ASSERT_TRUE(bEncodeMN(abRegisters, {11, 12, MN_M6_N10, -1}, 16, 998));
    EXPECT_EQ(abRegisters[11], 0xD0);
    EXPECT_EQ(abRegisters[12], 0xE6);
    ASSERT_TRUE(bEncodeMN(abRegisters, {11, 12, MN_M6_N10, -1}, 5, 0x200));
    EXPECT_EQ(abRegisters[11], 0x45);  // N bit 9 alone goes into bit 6
}

TEST(ChipSearch, FindsTheLargestDivisorUnderTheCeiling)
{
    const MN_PLL pll = {{11, 12, MN_M6_N10, -1}, 2, {18, 2, 8.0f, 509.0f}};
    int32_t nM = -1, nN = -1;
    ASSERT_TRUE(bFindMN(800.0f, 14.31818f, pll, nM, nN));
    EXPECT_EQ(nM, 7);
    EXPECT_EQ(nN, 495);
    EXPECT_FALSE(bFindMN(-4.0f, 14.31818f, pll, nM, nN));  // an unknown divider times f
    EXPECT_FALSE(bFindMN(100000.0f, 14.31818f, pll, nM, nN));
    EXPECT_EQ(nM, 7);  // a failed search keeps the last result
}

TEST(ChipRead, SecondReadThatFailsKeepsTheFirst)
{
    CChipOnFakeBus board(0);  // no driver: the read mechanics alone
    CClockGenerator chip;
    chip.m_pCommandSet = &board.m_Bus;
    board.m_Bus.m_Registers[8] = 12;
    board.m_Bus.m_Registers[3] = 0x33;
    board.m_Bus.m_BlockCounts = {12, -1};
    EXPECT_EQ(nReadChipImage(chip, {9, 21, 8, false}), 12);
    EXPECT_EQ(chip.m_nRegisterCount, 12);
    EXPECT_EQ(chip.m_abRegisters[3], 0x33);
    EXPECT_EQ(chip.m_abRegisters[8], 21);  // as it was written back
}

TEST(ChipRead, ShortBlockIsNotWrittenBackBeyondWhatArrived)
{
    CChipOnFakeBus board(0);
    CClockGenerator chip;
    chip.m_pCommandSet = &board.m_Bus;
    board.m_Bus.m_BlockCounts = {4, 13};
    EXPECT_EQ(nReadChipImage(chip, {1, 13, 6, true}), 4);
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::WRITE_BLOCK), 0u);
    EXPECT_EQ(chip.m_abRegisters[5], 0xFF);  // filled before the read
}

TEST(ChipRead, CountRegisterAlreadyAtFullLengthIsNotRepairedAgain)
{
    CChipOnFakeBus board(0);
    CClockGenerator chip;
    chip.m_pCommandSet = &board.m_Bus;
    board.m_Bus.m_Registers[8] = 35;
    board.m_Bus.m_nBlockCount = 32;  // what an SMBus host can take
    EXPECT_EQ(nReadChipImage(chip, {9, 35, 8, false}), 32);
    EXPECT_EQ(board.m_Bus.m_Log.size(), 1u);
}

TEST(ChipRead, NoCommandSetFails)
{
    CClockGenerator chip;
    EXPECT_EQ(nReadChipImage(chip, {1, 0, -1, false}), 0);
    EXPECT_EQ(chip.m_nRegisterCount, 0);
}

TEST(ChipBusClock, DividerIsLearnedOnceFromTheMeasuredBusClock)
{
    CChipOnFakeBus board(0);
    int32_t nDivider = -1;
    vLearnDivider(nDivider, 800.0f);
    EXPECT_EQ(nDivider, -1);  // no CPU interface yet

    board.vSetBusClock(-1.0f);
    vLearnDivider(nDivider, 800.0f);
    EXPECT_EQ(nDivider, -1);  // nothing measured

    board.vSetBusClock(199.0f);
    vLearnDivider(nDivider, 0.0f);
    EXPECT_EQ(nDivider, -1);  // an unknown VCO teaches nothing
    vLearnDivider(nDivider, 800.0f);
    EXPECT_EQ(nDivider, 4);
    board.vSetBusClock(100.0f);
    vLearnDivider(nDivider, 800.0f);
    EXPECT_EQ(nDivider, 4);  // it stays

    int32_t nTiny = -1;
    vLearnDivider(nTiny, 10.0f);  // 10 / 100 rounds to 0: not a divider
    EXPECT_EQ(nTiny, -1);
}

}  // namespace
