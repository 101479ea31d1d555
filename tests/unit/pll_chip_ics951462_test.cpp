// SPDX-License-Identifier: GPL-2.0-or-later
// ICS 951462, the fully described part: decoding, the divider search, the byte-count repair,
// the programming-enable bit and the limits.
#include <gtest/gtest.h>

#include "FakeChipBus.h"

namespace {

const uint32_t ICS951462 = 0x01951462;

// A board at 200 MHz FSB: both PLLs at M 16, N 998 (800.227 MHz); CPU divider code 4 (÷4),
// PCI-E code 8 (÷8), PCI code 9 (÷12 of half the PCI-E VCO).
void vLoad200(CChipOnFakeBus& board, uint8_t bEnable = 0x80)
{
    board.vLoad({{8, 21}, {10, bEnable}, {11, 0xD0}, {12, 0xE6}, {15, 0xD0}, {16, 0xE6}, {19, 0x48}, {20, 0x09}});
    board.m_Bus.m_nCountRegister = 8;
}

TEST(ICS951462, DecodesBothPLLsAndTheOutputDividers)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    CFrequencySet set = board.Read();
    ASSERT_TRUE(board.m_bLastRead);
    EXPECT_NEAR(set.m_fFSB, 200.057f, 0.002f);
    EXPECT_NEAR(set.m_fGSB, 100.028f, 0.002f);
    EXPECT_NEAR(set.m_fPCI, 33.343f, 0.002f);
    EXPECT_EQ(board.Chip().m_nRegisterCount, 21);
    EXPECT_EQ(board.Chip().m_nGSBType, GSB_PCIE);
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::WRITE_BLOCK), 0u);  // a full block needs no repair
}

TEST(ICS951462, DividerTablesDifferWhereTheirFirstBaseDoes)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.vLoad({{19, 0x00}, {20, 0x08}});  // CPU A 0 (÷2), PCI-E B 0 (÷2), PCI K 8 (÷16)
    CFrequencySet set = board.Read();
    EXPECT_NEAR(set.m_fFSB, 400.114f, 0.002f);
    EXPECT_NEAR(set.m_fGSB, 400.114f, 0.002f);
    EXPECT_NEAR(set.m_fPCI, 25.007f, 0.002f);
}

TEST(ICS951462, IgnoredGSBLeavesGSBAndPCIUnknown)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.Chip().m_bGSBEnabled = 0;
    CFrequencySet set = board.Read();
    EXPECT_NEAR(set.m_fFSB, 200.057f, 0.002f);
    EXPECT_EQ(set.m_fGSB, -1.0f);
    EXPECT_EQ(set.m_fPCI, -1.0f);
}

TEST(ICS951462, SettingTwoHundredGivesM16N998)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.vLoad({{11, 0x10}, {12, 0x00}});  // start elsewhere: N 0
    board.Read();
    ASSERT_TRUE(board.Chip().bSetFSB(200.0f));
    const FakeTransfer* pWrite = board.m_Bus.pLast(FakeTransfer::WRITE_BLOCK);
    ASSERT_NE(pWrite, nullptr);
    EXPECT_EQ(pWrite->bCommand, 0);
    ASSERT_EQ(pWrite->Data.size(), 21u);
    EXPECT_EQ(pWrite->Data[11], 0xD0);  // M 16, N bits 8 and 9
    EXPECT_EQ(pWrite->Data[12], 0xE6);
    EXPECT_EQ(board.m_Bus.pLast(FakeTransfer::SLEEP)->nValue, 200);
    CFrequencySet preview;
    preview.m_fFSB = 200.0f;
    ASSERT_TRUE(board.Chip().bPreviewClocks(preview));
    EXPECT_NEAR(preview.m_fFSB, 200.06f, 0.005f);
}

TEST(ICS951462, PreviewWritesNothing)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.Read();
    size_t nBefore = board.m_Bus.m_Log.size();
    CFrequencySet preview;
    preview.m_fFSB = 250.0f;
    preview.m_fGSB = 120.0f;
    ASSERT_TRUE(board.Chip().bPreviewClocks(preview));
    EXPECT_EQ(board.m_Bus.m_Log.size(), nBefore);
    EXPECT_NEAR(preview.m_fFSB, 250.0f, 0.2f);
    EXPECT_NEAR(preview.m_fGSB, 120.0f, 0.2f);
}

TEST(ICS951462, ShortBlockIsRepairedAndReadAgain)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.m_Bus.m_Registers[8] = 12;  // the chip sends 12 bytes until told otherwise
    board.Read();
    ASSERT_TRUE(board.m_bLastRead);
    const std::vector<FakeTransfer>& log = board.m_Bus.m_Log;
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].eKind, FakeTransfer::READ_BLOCK);
    EXPECT_EQ(log[0].nValue, 12);
    EXPECT_EQ(log[1].eKind, FakeTransfer::WRITE_BLOCK);
    ASSERT_EQ(log[1].Data.size(), 9u);  // registers 0..8
    EXPECT_EQ(log[1].Data[8], 21);
    EXPECT_EQ(log[2].eKind, FakeTransfer::SLEEP);
    EXPECT_EQ(log[2].nValue, 500);
    EXPECT_EQ(log[3].eKind, FakeTransfer::READ_BLOCK);
    EXPECT_EQ(log[3].nValue, 21);
    EXPECT_EQ(log[4].eKind, FakeTransfer::SLEEP);
    EXPECT_EQ(log[4].nValue, 200);
    EXPECT_EQ(board.Chip().m_nRegisterCount, 21);
}

TEST(ICS951462, RefusedRepairSkipsTheSecondReadAndDecodesTheShortBlock)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.m_Bus.m_BlockCounts = {13};
    board.m_Bus.m_bRefuseWrites = true;
    CFrequencySet set = board.Read();
    EXPECT_TRUE(board.m_bLastRead);
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::READ_BLOCK), 1u);
    EXPECT_EQ(board.Chip().m_nRegisterCount, 13);
    EXPECT_GT(set.m_fFSB, 0.0f);  // registers 11 and 12 arrived
}

TEST(ICS951462, TooFewBytesFailAndChangeNothing)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.Chip().m_Current.m_fFSB = 123.0f;
    ASSERT_TRUE(board.Chip().bReadClocks(board.Chip().m_Current));
    float fBefore = board.Chip().m_Current.m_fFSB;
    uint8_t bRegister12 = board.Chip().m_abRegisters[12];

    board.m_Bus.m_Registers[12] = 0x11;
    board.m_Bus.m_BlockCounts = {8};
    EXPECT_FALSE(board.Chip().bReadClocks(board.Chip().m_Current));
    EXPECT_EQ(board.Chip().m_Current.m_fFSB, fBefore);
    EXPECT_EQ(board.Chip().m_nRegisterCount, 21);
    EXPECT_EQ(board.Chip().m_abRegisters[12], bRegister12);

    board.m_Bus.m_BlockCounts = {-1};  // a failed transfer
    EXPECT_FALSE(board.Chip().bReadClocks(board.Chip().m_Current));
    EXPECT_EQ(board.Chip().m_nRegisterCount, 21);
}

TEST(ICS951462, EnableBitIsSetOnlyWhenReadClear)
{
    CChipOnFakeBus cleared(ICS951462);
    vLoad200(cleared, 0x05);
    cleared.Read();
    ASSERT_TRUE(cleared.Chip().bSetFSB(210.0f));
    EXPECT_EQ(cleared.m_Bus.pLast(FakeTransfer::WRITE_BLOCK)->Data[10], 0x85);

    CChipOnFakeBus open(ICS951462);
    vLoad200(open, 0x85);
    open.Read();
    ASSERT_TRUE(open.Chip().bSetFSB(210.0f));
    EXPECT_EQ(open.m_Bus.pLast(FakeTransfer::WRITE_BLOCK)->Data[10], 0x85);
}

TEST(ICS951462, OutOfRangeClocksAreClamped)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.Read();
    ASSERT_TRUE(board.Chip().bSetFSB(50.0f));
    CFrequencySet set = board.Read();
    EXPECT_NEAR(set.m_fFSB, 100.0f, 0.1f);

    ASSERT_TRUE(board.Chip().bSetGSB(400.0f));
    set = board.Read();
    EXPECT_NEAR(set.m_fGSB, 200.0f, 0.5f);
}

TEST(ICS951462, SettingPCIExpressProgramsTheSecondPLL)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    board.Read();
    ASSERT_TRUE(board.Chip().bSetGSB(100.0f));
    // 800 MHz under the 509 ceiling: M 7, N 495 (bit 8 in bit 7 of register 15).
    EXPECT_EQ(board.m_Bus.m_Registers[15], 0x87);
    EXPECT_EQ(board.m_Bus.m_Registers[16], 0xEF);
    EXPECT_EQ(board.m_Bus.m_Registers[11], 0xD0);  // the CPU PLL is left alone
    EXPECT_NEAR(board.Read().m_fGSB, 100.028f, 0.002f);
}

TEST(ICS951462, NothingIsWrittenBeforeTheFirstRead)
{
    CChipOnFakeBus board(ICS951462);
    vLoad200(board);
    EXPECT_FALSE(board.Chip().bSetFSB(200.0f));
    EXPECT_EQ(board.m_Bus.nCount(FakeTransfer::WRITE_BLOCK), 0u);
}

}  // namespace
