// SPDX-License-Identifier: GPL-2.0-or-later
// The nForce2 PLL driver on the nforce2-ultra400 board, whose host bridge emulates the FSB
// PLL and drives the board's bus with it once enabled.
#include <gtest/gtest.h>

#include "pll/chipset/NVNForce2.h"
#include "pll_nvidia_kit.h"

namespace {

using nvtest::CNVKit;

constexpr float REFERENCE = 25.06067f;

TEST(NVNForce2, TheFirstReadNeedsAMeasuredBusClock)
{
    CNVKit kit("nforce2-ultra400");
    NV_NForce2_ClockGenerator pll;
    CFrequencySet set;
    EXPECT_FALSE(pll.bReadClocks(set));
    EXPECT_EQ(set.m_fFSB, -1.0f);
    EXPECT_EQ(kit.dwConfig(0, 0, 0xA8) & 1, 0u);
    EXPECT_EQ(kit.dwConfig(0, 0, 0xA4), 0x0000C819u);

    // The next read tries again.
    kit.vMeasuredBusClock(200.0f);
    ASSERT_TRUE(pll.bReadClocks(set));
    // 50 × 200 / 25.06 > 250 until the divider is 31: N = 247.
    EXPECT_EQ(kit.dwConfig(0, 0, 0xA4) & 0xFFFF, 247u << 8 | 31u);
    EXPECT_EQ(kit.dwConfig(0, 0, 0xA8) & 1, 1u);
    EXPECT_NEAR(set.m_fFSB, 200.0f, REFERENCE / 31 / 2);
    EXPECT_NEAR(kit.dBusMHz(), set.m_fFSB, 0.001);
    EXPECT_NEAR(set.m_fGSB, 12.5f * 16 / 3, 0.001f);
    EXPECT_NEAR(set.m_fPCI, set.m_fGSB / 2, 0.001f);
}

TEST(NVNForce2, LaterReadsDecodeTheWorkingValuesOnly)
{
    CNVKit kit("nforce2-ultra400");
    kit.vMeasuredBusClock(200.0f);
    NV_NForce2_ClockGenerator pll;
    CFrequencySet first, second;
    ASSERT_TRUE(pll.bReadClocks(first));
    kit.vConfig(0, 0, 0xA4, 0x0000FF10);
    kit.vMeasuredBusClock(-1.0f);
    ASSERT_TRUE(pll.bReadClocks(second));
    EXPECT_EQ(second.m_fFSB, first.m_fFSB);
}

TEST(NVNForce2, APreviewLeavesWhatThePLLHolds)
{
    // A previewed clock is only looked at: the next read (and the walk that starts from it)
    // still reports the clock the PLL runs at, and nothing was written.
    CNVKit kit("nforce2-ultra400");
    kit.vMeasuredBusClock(200.0f);
    NV_NForce2_ClockGenerator pll;
    CFrequencySet held, preview, after;
    ASSERT_TRUE(pll.bReadClocks(held));
    const uint32_t dwFSB = kit.dwConfig(0, 0, 0xA4), dwAGP = kit.dwConfig(0, 3, 0x78);
    preview.m_fFSB = 240.0f;
    preview.m_fGSB = 75.0f;
    ASSERT_TRUE(pll.bPreviewClocks(preview));
    EXPECT_NEAR(preview.m_fFSB, 240.0f, 1.0f);
    ASSERT_TRUE(pll.bReadClocks(after));
    EXPECT_EQ(after.m_fFSB, held.m_fFSB);
    EXPECT_EQ(after.m_fGSB, held.m_fGSB);
    EXPECT_EQ(kit.dwConfig(0, 0, 0xA4), dwFSB);
    EXPECT_EQ(kit.dwConfig(0, 3, 0x78), dwAGP);
}

TEST(NVNForce2, SetFSBAndAGPMoveThePLLs)
{
    CNVKit kit("nforce2-ultra400");
    kit.vMeasuredBusClock(200.0f);
    NV_NForce2_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    for (float fWanted : {210.0f, 185.5f}) {
        ASSERT_TRUE(pll.bSetFSB(fWanted));
        ASSERT_TRUE(pll.bReadClocks(set));
        EXPECT_NEAR(set.m_fFSB, fWanted, REFERENCE / float(pll.m_FSB.nDivisor) / 2 + 0.001f);
        EXPECT_NEAR(kit.dBusMHz(), set.m_fFSB, 0.001);
    }
    ASSERT_TRUE(pll.bSetGSB(75.0f));
    // R = 12.5: N' = 75 × 15 / 12.5 = 90.
    EXPECT_EQ(kit.dwConfig(0, 3, 0x78), 90u << 8 | 15u);
    // The sanity register takes no writes.
    kit.vConfig(0, 3, 0x7C, 0x12);
    EXPECT_EQ(kit.dwConfig(0, 3, 0x7C), 0x55u);
}

TEST(NVNForce2, OlderRevisionsAndTheSanityCheck)
{
    auto older = [](const char* pszSanity) {
        return [pszSanity](nvtest::json& board) {
            chipsettest::PciEntry(board, "00:00.0")["rev"] = "0xa2";
            nvtest::json& regs = chipsettest::PciEntry(board, "00:00.3")["regs"];
            regs["0x6c.l"] = "0x00101004";  // M2 = 4, N2 = 16, AGP base doubled
            regs["0x70.l"] = pszSanity;
        };
    };
    {
        CNVKit kit("nforce2-ultra400", older("0x33"));
        kit.vMeasuredBusClock(166.0f);
        NV_NForce2_ClockGenerator pll;
        CFrequencySet set;
        ASSERT_TRUE(pll.bReadClocks(set));
        EXPECT_NEAR(set.m_fGSB, 25.0f * 16 / 4, 0.001f);
    }
    CNVKit kit("nforce2-ultra400", older("0x34"));
    kit.vMeasuredBusClock(166.0f);
    NV_NForce2_ClockGenerator pll;
    CFrequencySet set;
    EXPECT_FALSE(pll.bReadClocks(set));
    EXPECT_EQ(kit.dwConfig(0, 0, 0xA4), 0x0000C819u);  // nothing programmed
    EXPECT_NEAR(kit.dBusMHz(), 200.0, 0.001);
}

}  // namespace
