// SPDX-License-Identifier: GPL-2.0-or-later
// The SMBus clock chip drivers against the emulated chips of the simulated board: what a
// driver reads is what the chip drives, and a clock the driver sets is the clock the chip
// then drives, the chip working its outputs out from its own registers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "FakeChipBus.h"
#include "sim/ClockChip.h"

namespace {

// The IC command set straight onto an emulated chip's SMBus transactions.
class CEmulatedChipBus : public CICCommandSet {
public:
    explicit CEmulatedChipBus(sim::CClockChip& chip) : m_Chip(chip) {}

    int32_t ReadBlock(uint8_t bCommand, int32_t, uint8_t* pBuffer) override
    {
        uint8_t nCount = 0;
        std::vector<uint8_t> data;
        if (!m_Chip.bBlockRead(bCommand, nCount, data)) return -1;
        std::copy(data.begin(), data.end(), pBuffer);
        return int32_t(data.size());
    }
    int32_t WriteBlock(uint8_t bCommand, int32_t nCount, const uint8_t* pBuffer) override
    {
        if (nCount < 0 || nCount > 255) return -1;
        return m_Chip.bBlockWrite(bCommand, pBuffer, uint8_t(nCount)) ? nCount : -1;
    }
    uint16_t ReadWord(uint8_t bCommand) override
    {
        uint8_t bData0 = 0, bData1 = 0;
        if (!m_Chip.bReadWordData(bCommand, bData0, bData1)) return 0xFFFF;
        return uint16_t(bData0 << 8 | bData1);
    }
    uint32_t WriteWord(uint8_t bCommand, uint16_t wValue) override
    {
        return m_Chip.bWriteWordData(bCommand, uint8_t(wValue >> 8), uint8_t(wValue & 0xFF));
    }

private:
    sim::CClockChip& m_Chip;
};

// A driver on an emulated chip powered on with the given registers.
class CEmulatedBoard {
public:
    CEmulatedBoard(uint32_t dwID, const char* pszModel, std::initializer_list<std::pair<int, uint8_t>> registers)
        : m_Driver(dwID)
    {
        std::array<uint8_t, 256> initial{};
        for (const auto& [nRegister, bValue] : registers) initial[size_t(nRegister)] = bValue;
        m_pChip = sim::pCreateClockChip(pszModel, initial);
        if (!m_pChip || !m_Driver.bHasChip()) return;
        m_pBus = std::make_unique<CEmulatedChipBus>(*m_pChip);
        m_Driver.Chip().m_pCommandSet = m_pBus.get();
    }
    bool bReady() const { return m_pBus != nullptr; }
    CClockGenerator& Driver() { return m_Driver.Chip(); }
    sim::CClockChip& Chip() { return *m_pChip; }
    // The bus clock the kit measures, and the one the chip was strapped for at power-on.
    void vSetBusClock(float fMHz)
    {
        m_Driver.vSetBusClock(fMHz);
        m_pChip->vPowerOn(fMHz);
    }
    CFrequencySet Read()
    {
        CFrequencySet set;
        EXPECT_TRUE(m_Driver.Chip().bReadClocks(set));
        return set;
    }
    // What the driver reads is what the chip drives.
    void vExpectAgreement(bool bGSB = true)
    {
        CFrequencySet set = Read();
        EXPECT_NEAR(set.m_fFSB, m_pChip->dFSBMHz(), 0.01);
        if (!bGSB) return;
        EXPECT_NEAR(set.m_fGSB, m_pChip->dGSBMHz(), 0.01);
        EXPECT_NEAR(set.m_fPCI, m_pChip->dPCIMHz(), 0.01);
    }

private:
    CChipOnFakeBus m_Driver;  // the driver, a clock that does not wait, and the bus clock
    std::unique_ptr<sim::CClockChip> m_pChip;
    std::unique_ptr<CEmulatedChipBus> m_pBus;
};

TEST(EmulatedChips, EveryFamilyIsKnownToTheBoard)
{
    std::string strModels = sim::strClockChipModelList();
    for (const char* pszModel : {"ics951412", "ics94228", "ics950405", "ics954119", "ics954123", "ics954148",
                                 "ics954519", "ics9plrs509", "ics9plrs587", "w83194bg-sd", "w83195bg-101", "cy28346",
                                 "cy28551", "idtcv107", "idtcv174c", "slg505yc56d", "rtm862-410"})
        EXPECT_NE(strModels.find(pszModel), std::string::npos) << pszModel;
}

TEST(EmulatedChips, WinbondTakesTheNewPLLOnceProgrammingIsEnabled)
{
    CEmulatedBoard board(0x20831940, "w83194bg-sd", {{8, 0x90}, {9, 0xBB}, {12, 0x11}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    EXPECT_NEAR(board.Chip().dFSBMHz(), 133.338, 0.001);
    ASSERT_TRUE(board.Driver().bSetFSB(200.0f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 200.0, 0.1);
    EXPECT_NEAR(board.Chip().dGSBMHz(), 100.0, 0.1);  // AGP follows the VCO here
    board.vExpectAgreement();
}

TEST(EmulatedChips, WinbondWithElevenBitN)
{
    CEmulatedBoard board(0x20831950, "w83195bg-101", {{8, 0xD0}, {9, 0x7A}});
    ASSERT_TRUE(board.bReady());
    board.vSetBusClock(200.0f);
    board.vExpectAgreement();
    ASSERT_TRUE(board.Driver().bSetFSB(266.67f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 266.67, 0.1);
    ASSERT_TRUE(board.Driver().bSetFSB(400.0f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 400.0, 0.2);
}

TEST(EmulatedChips, ICSBlockIsAsLongAsItsByteCountSays)
{
    CEmulatedBoard board(0x01954123, "ics954123",
                         {{8, 21}, {11, 0xD0}, {12, 0xE6}, {17, 0xD0}, {18, 0xE6}, {19, 0x48}, {20, 0x77}});
    ASSERT_TRUE(board.bReady());
    uint8_t nCount = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(board.Chip().bBlockRead(0, nCount, data));
    EXPECT_EQ(nCount, 9);  // the count register comes up at 9, whatever the image said
    EXPECT_EQ(data.size(), 9u);
    const uint8_t abCount[9] = {0, 0, 0, 0, 0, 0, 0, 0, 19};
    ASSERT_TRUE(board.Chip().bBlockWrite(0, abCount, 9));
    ASSERT_TRUE(board.Chip().bBlockRead(0, nCount, data));
    EXPECT_EQ(data.size(), 19u);  // registers 0..18: not the divider codes in 19
    // The driver asks for 20 and decodes the PCI-E divider from register 19.
    board.vSetBusClock(200.0f);
    board.vExpectAgreement();
    EXPECT_EQ(board.Chip().Registers()[8], 20);
    EXPECT_EQ(board.Driver().m_nRegisterCount, 20);
    ASSERT_TRUE(board.Driver().bSetGSB(120.0f));
    EXPECT_NEAR(board.Chip().dGSBMHz(), 120.0, 0.5);
    board.vExpectAgreement();
}

TEST(EmulatedChips, StrappedDividerIsTheOneTheBoardRunsAt)
{
    // M 16, N 890: VCO 800.028. Strapped for 266.67 MHz: ÷3; for 200: ÷4; not on a board: ÷4.
    for (float fBus : {266.67f, 200.0f, -1.0f}) {
        CEmulatedBoard board(0x20831950, "w83195bg-101", {{8, 0xD0}, {9, 0x7A}});
        ASSERT_TRUE(board.bReady());
        if (fBus > 0) board.vSetBusClock(fBus);
        EXPECT_NEAR(board.Chip().dFSBMHz(), fBus == 266.67f ? 266.676 : 200.007, 0.001) << fBus;
        if (fBus > 0) board.vExpectAgreement();
    }
}

TEST(EmulatedChips, CypressLoadsTheDividersWithTheLoadBit)
{
    CEmulatedBoard board(0x04283460, "cy28346", {{0, 0x03}, {8, 25}, {9, 25}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    ASSERT_TRUE(board.Driver().bSetFSB(166.67f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 166.67, 1.1);
    EXPECT_NEAR(board.Chip().dGSBMHz(), board.Chip().dFSBMHz() / 2, 0.001);
    board.vExpectAgreement();
}

TEST(EmulatedChips, CypressWithPCIExpress)
{
    CEmulatedBoard board(0x04285510, "cy28551", {{4, 0x02}, {14, 100}, {15, 30}, {16, 200}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    ASSERT_TRUE(board.Driver().bSetFSB(266.67f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 266.67, 0.3);
    ASSERT_TRUE(board.Driver().bSetGSB(133.0f));  // N2 266 needs bit 8
    EXPECT_NEAR(board.Chip().dGSBMHz(), 133.0, 0.26);
    board.vExpectAgreement();
}

TEST(EmulatedChips, IDTCodesAfterTheShortBlockIsRepaired)
{
    CEmulatedBoard board(0x08000107, "idtcv107", {{25, 0x10}, {26, 0x01}, {27, 0xBF}, {28, 0x01}, {29, 0x2A}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    EXPECT_EQ(board.Chip().Registers()[8], 35);  // the driver asked for its full length
    ASSERT_TRUE(board.Driver().bSetFSB(250.0f));
    ASSERT_TRUE(board.Driver().bSetGSB(75.0f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 250.0, 0.23);
    EXPECT_NEAR(board.Chip().dGSBMHz(), 75.0, 0.12);
    board.vExpectAgreement();
}

TEST(EmulatedChips, IDTWithOffsetAndMultiplier)
{
    CEmulatedBoard board(0x08000174, "idtcv174c", {{0, 0x24}, {16, 0x03}, {17, 0x2C}, {18, 200}, {19, 0x08}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    ASSERT_TRUE(board.Driver().bSetFSB(250.0f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 250.0, 0.5);
    ASSERT_TRUE(board.Driver().bSetGSB(110.0f));
    EXPECT_NEAR(board.Chip().dGSBMHz(), 110.0, 0.26);
    board.vExpectAgreement();
}

TEST(EmulatedChips, SilegoInWholeMegahertz)
{
    CEmulatedBoard board(0x40000505, "slg505yc56d", {{14, 0x00}, {15, 200}, {16, 100}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    ASSERT_TRUE(board.Driver().bSetFSB(300.0f));
    ASSERT_TRUE(board.Driver().bSetGSB(110.0f));
    EXPECT_EQ(board.Chip().dFSBMHz(), 300.0);
    EXPECT_EQ(board.Chip().dGSBMHz(), 110.0);
    board.vExpectAgreement();
}

TEST(EmulatedChips, RealtekWordPartLoadsThroughRegister31)
{
    CEmulatedBoard board(0x02862410, "rtm862-410",
                         {{11, 23}, {14, 0x0C}, {15, 0x40}, {20, 0x90}, {21, 0x51}, {28, 0x20}, {29, 0x60}, {30, 0x20}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    ASSERT_TRUE(board.Driver().bSetFSB(250.0f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 250.0, 0.1);
    EXPECT_EQ(board.Chip().Registers()[31] & 1, 0);  // the chip took the dividers
    ASSERT_TRUE(board.Driver().bSetGSB(110.0f));
    EXPECT_NEAR(board.Chip().dGSBMHz(), 110.0, 0.4);
    board.vExpectAgreement();
}

TEST(EmulatedChips, PresetChipRunsTheSelectedRow)
{
    CEmulatedBoard board(0x01951412, "ics951412", {{0, 0x04}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    CFrequencySet target;
    target.m_nPreset = 29;
    ASSERT_TRUE(board.Driver().bApplyClocks(target, nullptr));
    EXPECT_DOUBLE_EQ(board.Chip().dFSBMHz(), 229.43);
    target.m_nPreset = 15;
    ASSERT_TRUE(board.Driver().bApplyClocks(target, nullptr));
    EXPECT_DOUBLE_EQ(board.Chip().dFSBMHz(), 180.0);
    board.vExpectAgreement();
}

TEST(EmulatedChips, ICS951462FromPowerOn)
{
    CEmulatedBoard board(0x01951462, "ics951462",
                         {{11, 0xD0}, {12, 0xE6}, {15, 0xD0}, {16, 0xE6}, {19, 0x48}, {20, 0x09}});
    ASSERT_TRUE(board.bReady());
    board.vExpectAgreement();
    ASSERT_TRUE(board.Driver().bSetFSB(266.67f));
    EXPECT_NEAR(board.Chip().dFSBMHz(), 266.67, 0.3);
    ASSERT_TRUE(board.Driver().bSetGSB(110.0f));
    EXPECT_NEAR(board.Chip().dGSBMHz(), 110.0, 0.3);
    EXPECT_EQ(board.Chip().nIgnoredWrites(), 0u);
    board.vExpectAgreement();
}

}  // namespace
