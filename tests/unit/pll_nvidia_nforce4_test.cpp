// SPDX-License-Identifier: GPL-2.0-or-later
// The nForce4 and MCP55 PLL drivers against the emulated chipset of the nforce4-sli and
// k8-mcp55 boards: decoding, the divider search, the update handshake, and the board's bus
// clock following a new FSB.
#include <gtest/gtest.h>

#include <cmath>

#include "app/InterfaceCreation.h"
#include "kit/IOSpace.h"
#include "pll/PLLChipRegistry.h"
#include "pll/PLLInterface.h"
#include "pll/chipset/NVNForce4.h"
#include "pll_nvidia_kit.h"

namespace {

using nvtest::CNVKit;
using nvtest::WINDOW_A;

constexpr uint32_t B_FSB = 0x08, B_SOURCES = 0x1C, B_PCIE_REFERENCE = 0x38, B_PCIE = 0x3C, B_CONTROL = 0xC8;

TEST(NVNForce4, DecodesTheFSBPLLAndHandsTheControlBitBack)
{
    CNVKit kit("nforce4-sli");
    EXPECT_EQ(kit.dwB(B_CONTROL) & 1, 1u);  // the firmware's hold at reset
    kit.vB(B_FSB, 0x0003D0C8);               // N = 244, M = 200
    NV_NForce4_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fFSB, 236.375f, 0.001f);  // 387.5 × 0.5 × 244 / 200, "236.4 MHz"
    EXPECT_EQ(pll.m_FSB.nN, 244);
    EXPECT_EQ(pll.m_FSB.nDivisor, 200);
    EXPECT_EQ(kit.dwB(B_CONTROL) & 1, 0u);
    // The reset PCI-E PLL: reference 4 × 25 / 1, N2 = 128, M2 = 8.
    EXPECT_NEAR(set.m_fGSB, 100.0f, 0.001f);
    EXPECT_NEAR(set.m_fPCI, 33.34f, 0.001f);

    kit.vB(B_SOURCES, 1u << 27);  // the PCI clock from the FSB
    kit.vB(B_PCIE_REFERENCE, 0x00000502);
    kit.vB(B_PCIE, 0x0000A00A);
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fPCI, 236.375f / 6.0f, 0.001f);
    EXPECT_NEAR(set.m_fGSB, 62.5f * 0.0625f * 160.0f / 10.0f, 0.001f);
}

TEST(NVNForce4, UnknownReferencesAndDividersDecodeAsUnknown)
{
    CNVKit kit("nforce4-sli");
    kit.vB(B_FSB, 244u << 10);        // M = 0
    kit.vB(B_PCIE_REFERENCE, 0x400);  // divider 0
    NV_NForce4_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_EQ(set.m_fFSB, -1.0f);
    EXPECT_EQ(set.m_fGSB, -1.0f);
    EXPECT_EQ(set.m_fPCI, 33.34f);
    // Without a reference the PCI-E search finds nothing and writes nothing.
    const uint32_t dwBefore = kit.dwB(B_PCIE);
    EXPECT_FALSE(pll.bSetGSB(100.0f));
    EXPECT_EQ(kit.dwB(B_PCIE), dwBefore);
    // A reference so slow that even a divider of 1 overshoots the ceiling: the search gives
    // up instead of programming a divider of 0.
    kit.vB(B_PCIE_REFERENCE, 0x11F);  // 25 / 31 MHz
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_FALSE(pll.bSetGSB(100.0f));
    EXPECT_EQ(kit.dwB(B_PCIE), dwBefore);
    EXPECT_TRUE(pll.bSetGSB(50.0f));  // 50 / (25 / 31 / 16) = 992 fits at a divider of 1
    EXPECT_EQ(kit.dwB(B_PCIE) & 0x3FFFF, 992u << 8 | 1u);
}

TEST(NVNForce4, WithoutGSBOnlyTheFSBIsDecoded)
{
    CNVKit kit("nforce4-sli");
    NV_NForce4_ClockGenerator pll;
    pll.m_bGSBEnabled = 0;
    CFrequencySet set;
    set.m_fGSB = 77.0f;
    set.m_fPCI = 33.0f;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_GT(set.m_fFSB, 0.0f);
    EXPECT_EQ(set.m_fGSB, -1.0f);
    EXPECT_EQ(set.m_fPCI, -1.0f);
}

TEST(NVNForce4, SetFSBSearchesKeepsTheTopBitsAndMovesTheBus)
{
    CNVKit kit("nforce4-sli");
    EXPECT_NEAR(kit.dBusMHz(), 200.0, 0.001);
    NV_NForce4_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    kit.vB(B_FSB, 0xABC00000 | (kit.dwB(B_FSB) & 0xFFFFF));

    ASSERT_TRUE(pll.bSetFSB(200.0f));
    // N' = 200 × 256 / 193.75 = 264.3, under the ceiling at the first divider.
    EXPECT_EQ(kit.dwB(B_FSB), 0xABC00000u | 264u << 10 | 256u);
    EXPECT_EQ(kit.dwPort(WINDOW_A + 0xA4) & 1, 0u);
    const double dPLL = 387.5 / 2 * 264 / 256;
    EXPECT_NEAR(kit.dBusMHz(), dPLL, 0.001);

    // 600 MHz needs a smaller divider: N' would be 793 at 256, under 1000; 700 is clamped.
    ASSERT_TRUE(pll.bSetFSB(700.0f));
    EXPECT_EQ(kit.dwB(B_FSB) & 0x3FF, 256u);
    EXPECT_EQ((kit.dwB(B_FSB) >> 10) & 0x3FF, 793u);
}

TEST(NVNForce4, AppliedClocksAreWithinTheResolutionAndReadBack)
{
    CNVKit kit("nforce4-sli");
    NV_NForce4_ClockGenerator pll;
    ASSERT_TRUE(pll.bReadClocks(pll.m_Current));
    for (float fWanted : {213.0f, 245.5f, 187.25f}) {
        ASSERT_TRUE(pll.bSetFSB(fWanted));
        CFrequencySet set;
        ASSERT_TRUE(pll.bReadClocks(set));
        const float fStep = 193.75f / float(pll.m_FSB.nDivisor);
        EXPECT_NEAR(set.m_fFSB, fWanted, fStep / 2 + 0.001f) << fWanted;
        EXPECT_NEAR(kit.dBusMHz(), set.m_fFSB, 0.001) << fWanted;
    }
}

TEST(NVNForce4, TheBusKeepsItsClockUntilTheUpdate)
{
    CNVKit kit("nforce4-sli");
    kit.vB(B_FSB, 264u << 10 | 240u);
    EXPECT_NEAR(kit.dBusMHz(), 200.0, 0.001);
    kit.vPort(WINDOW_A + 0xA4, 1);
    EXPECT_EQ(kit.dwPort(WINDOW_A + 0xA4) & 1, 1u);  // locking
    kit.vPort(WINDOW_A + 0xA4, 0);                     // software cannot end the update
    EXPECT_EQ(kit.dwPort(WINDOW_A + 0xA4) & 1, 1u);
    kit.Board().Clock().vSleepMicroseconds(30000);
    EXPECT_EQ(kit.dwPort(WINDOW_A + 0xA4) & 1, 0u);
    EXPECT_NEAR(kit.dBusMHz(), 387.5 / 2 * 264 / 240, 0.001);
}

TEST(NVNForce4, TheWindowsAnswerOnlyWhereTheBridgePlacesThem)
{
    CNVKit kit("nforce4-sli");
    const uint32_t dwFSB = kit.dwB(B_FSB);
    EXPECT_NE(dwFSB, 0xFFFFFFFFu);
    EXPECT_EQ(kit.dwPort(WINDOW_A + 0xA0), 0xFFFFFFFFu);  // not the PLL's register
    kit.vConfig(1, 0, 0x68, 0x2001);
    EXPECT_EQ(kit.dwB(B_FSB), 0xFFFFFFFFu);
    kit.vConfig(1, 0, 0x60, 0x3001);
    EXPECT_EQ(kit.dwPort(WINDOW_A + 0xA4), 0xFFFFFFFFu);
    kit.vConfig(1, 0, 0x68, 0x1801);
    EXPECT_EQ(kit.dwB(B_FSB), dwFSB);
}

TEST(NVNForce4, AnUpdateThatNeverCompletesFailsAndKeepsTheRegisters)
{
    CNVKit kit("nforce4-sli");
    kit.vStick(WINDOW_A + 0xA4);
    NV_NForce4_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    const uint64_t qwStart = kit.Board().Clock().qwNanoseconds();
    EXPECT_FALSE(pll.bSetFSB(220.0f));
    EXPECT_EQ(kit.dwB(B_FSB) & 0xFFFFF, uint32_t(pll.m_FSB.nN) << 10 | uint32_t(pll.m_FSB.nDivisor));
    // The 50 ms settle and 100 polls of 10 ms were waited.
    EXPECT_GE(kit.Board().Clock().qwNanoseconds() - qwStart, 1050000000u);
}

TEST(NVNForce4, GSBAndPreviewWorkOnTheWorkingValuesOnly)
{
    CNVKit kit("nforce4-sli");
    NV_NForce4_ClockGenerator pll;
    // Before any read the PCI-E reference is unknown.
    EXPECT_FALSE(pll.bSetGSB(110.0f));
    ASSERT_TRUE(pll.bReadClocks(pll.m_Current));
    kit.vB(B_PCIE, 0xFFFC0000 | (kit.dwB(B_PCIE) & 0x3FFFF));
    ASSERT_TRUE(pll.bSetGSB(110.0f));
    // R = 100 × 0.0625; N' = 110 × 128 / 6.25 = 2252.8 > 1000 until the divider is 56.
    EXPECT_EQ(kit.dwB(B_PCIE), 0xFFFC0000u | 986u << 8 | 56u);

    const uint32_t dwFSB = kit.dwB(B_FSB);
    CFrequencySet wanted;
    wanted.m_fFSB = 250.0f;
    wanted.m_fGSB = 300.0f;  // above the limit: 200
    ASSERT_TRUE(pll.bPreviewClocks(wanted));
    EXPECT_NEAR(wanted.m_fFSB, 250.0f, 193.75f / 256 / 2);
    EXPECT_NEAR(wanted.m_fGSB, 200.0f, 0.5f);
    EXPECT_EQ(kit.dwB(B_FSB), dwFSB);
}

TEST(NVNForce4, NeedsThePCIInterfaceAndPlacedWindows)
{
    {
        CNVKit kit("nforce4-sli", {}, false);
        NV_NForce4_ClockGenerator pll;
        CFrequencySet set;
        EXPECT_FALSE(pll.bReadClocks(set));
        EXPECT_FALSE(pll.bSetFSB(200.0f));
        EXPECT_EQ(set.m_fFSB, -1.0f);
    }
    {
        CNVKit kit("nforce4-sli", [](nvtest::json& board) {
            chipsettest::PciEntry(board, "00:01.0")["regs"]["0x68.l"] = "0x00000000";
        });
        NV_NForce4_ClockGenerator pll;
        CFrequencySet set;
        EXPECT_FALSE(pll.bReadClocks(set));
    }
}

TEST(NVNForce4, TheWindowsJoinTheKitOnce)
{
    CNVKit kit("nforce4-sli");
    auto nSpaces = [&] {
        unsigned n = 0;
        for (auto* p = kit.Kit().m_pIOSpaceList->m_pHead; p && p->m_pObject; p = p->m_pNext) ++n;
        return n;
    };
    const unsigned nBefore = nSpaces();
    NV_NForce4_ClockGenerator first, second;
    CFrequencySet set;
    ASSERT_TRUE(first.bReadClocks(set));
    ASSERT_TRUE(first.bReadClocks(set));
    ASSERT_TRUE(second.bReadClocks(set));
    EXPECT_EQ(nSpaces(), nBefore + 2);
    EXPECT_NE(kit.Kit().FindIOSpace(0x1000, IOSPACE_PORT), nullptr);
    EXPECT_NE(kit.Kit().FindIOSpace(0x1800, IOSPACE_PORT), nullptr);
}

TEST(NVNForce5, FindsItsWindowsByTheMCP55Function)
{
    {
        CNVKit kit("nforce4-sli");
        NV_NForce5_ClockGenerator pll;
        CFrequencySet set;
        EXPECT_FALSE(pll.bReadClocks(set));  // no 10DE:0368 on this board
    }
    CNVKit kit("k8-mcp55");
    NV_NForce5_ClockGenerator pll;
    EXPECT_EQ(pll.m_Max.m_fFSB, 500.0f);
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fFSB, 200.0f, 193.75f / 200 / 2);
    ASSERT_TRUE(pll.bSetFSB(210.0f));
    EXPECT_NEAR(kit.dBusMHz(), 193.75 * pll.m_FSB.nN / pll.m_FSB.nDivisor, 0.001);
    EXPECT_NEAR(kit.dBusMHz(), 210.0, 193.75 / 256 / 2);
}

TEST(NVChipsetRegistry, TheBoardsSelectTheirChipsetPLL)
{
    const struct {
        const char* pszBoard;
        uint32_t dwID;
    } boards[] = {{"nforce4-sli", 0x10000040}, {"nforce2-ultra400", 0x10000020}, {"k8-mcp55", 0x10000054},
                  {"nforce680i", 0x10000055}};
    for (const auto& board : boards) {
        CNVKit kit(board.pszBoard);
        ASSERT_TRUE(app::CreatePLLInterface(&kit.Kit())) << board.pszBoard;
        CClockGenerator* pPLL = kit.Kit().m_pPLLInterface->m_pPLL;
        ASSERT_NE(pPLL, nullptr) << board.pszBoard;
        EXPECT_EQ(pPLL->m_dwPLLID, board.dwID) << board.pszBoard;
    }
}

TEST(NVChipsetRegistry, EveryIdMakesItsModel)
{
    const struct {
        uint32_t dwID;
        int32_t nGSBType;
        float fFSBMax;
    } expected[] = {
        {0x10000020, GSB_AGP, 400.0f},  {0x10000030, GSB_AGP, 500.0f},  {0x10000035, GSB_AGP, 500.0f},
        {0x10000040, GSB_PCIE, 600.0f}, {0x10000041, GSB_PCIE, 500.0f}, {0x10000051, GSB_PCIE, 500.0f},
        {0x10000054, GSB_PCIE, 500.0f}, {0x10000055, GSB_PCIE, 600.0f},
    };
    for (const auto& row : expected) {
        std::unique_ptr<CClockGenerator> pPLL(pCreateChipsetPLL(row.dwID));
        ASSERT_NE(pPLL, nullptr) << std::hex << row.dwID;
        EXPECT_EQ(pPLL->m_dwPLLID, row.dwID);
        EXPECT_EQ(pPLL->m_nGSBType, row.nGSBType);
        EXPECT_EQ(pPLL->m_Max.m_fFSB, row.fFSBMax);
        EXPECT_TRUE(pPLL->m_bFSBAdjustable && pPLL->m_bGSBAdjustable && pPLL->m_bGSBEnabled);
        EXPECT_EQ(pPLL->m_nRegisterCount, 0);
    }
    EXPECT_EQ(pCreateChipsetPLL(0x10000050), nullptr);
    EXPECT_EQ(pCreateChipsetPLL(0), nullptr);
}

}  // namespace
