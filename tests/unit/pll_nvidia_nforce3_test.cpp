// SPDX-License-Identifier: GPL-2.0-or-later
// The nForce3 150 and 250 PLL drivers. Their registers sit in the same two port windows as
// the nForce4's, so the emulated windows of the nforce4-sli board serve them as registers and
// update handshake (the PLL behind them computes its output as an nForce4's).
#include <gtest/gtest.h>

#include "pll/chipset/NVNForce3.h"
#include "pll_nvidia_kit.h"

namespace {

using nvtest::CNVKit;
using nvtest::WINDOW_A;

constexpr uint32_t B_REFERENCE_250 = 0x00, B_REFERENCE_150 = 0x04, B_FSB = 0x08, B_AGP = 0x10, B_SOURCES = 0x1C;

TEST(NVNForce3_250, TheReferenceComesFromTheCrystalOrTheDefault)
{
    CNVKit kit("nforce4-sli");
    kit.vB(B_REFERENCE_250, 0);
    kit.vB(B_FSB, 200u << 10 | 143u);
    NV_NForce3_250_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_FLOAT_EQ(pll.m_fFSBReference, 286.3636f);
    EXPECT_NEAR(set.m_fFSB, 286.3636f * 0.5f * 200 / 143, 0.001f);

    kit.vB(B_REFERENCE_250, 70u << 10 | 4u);
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(pll.m_fFSBReference, 70 * 14.31818f / 4, 0.001f);
    kit.vB(B_REFERENCE_250, 70u << 10);  // divider 0
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_FLOAT_EQ(pll.m_fFSBReference, 286.3636f);
}

TEST(NVNForce3_250, AGPSourceAndPCISelector)
{
    CNVKit kit("nforce4-sli");
    kit.vB(B_AGP, 21u << 10 | 10u);
    NV_NForce3_250_ClockGenerator pll;
    CFrequencySet set;
    kit.vB(B_SOURCES, 0);
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fGSB, 200.0f * 0.125f * 2.1f, 0.001f);  // no measured bus clock
    EXPECT_FLOAT_EQ(set.m_fPCI, 33.34f);
    kit.vMeasuredBusClock(166.0f);
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fGSB, 166.0f * 0.125f * 2.1f, 0.001f);
    kit.vB(B_SOURCES, 1u << 29 | 1u << 27);
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fGSB, 250.0f * 0.125f * 2.1f, 0.001f);
    EXPECT_NEAR(set.m_fPCI, set.m_fFSB / 6.0f, 0.001f);
}

TEST(NVNForce3_250, TheFSBUpdateHoldsBit18UntilThePLLHasLocked)
{
    {
        CNVKit kit("nforce4-sli");
        kit.vB(B_SOURCES, 1u << 27);
        NV_NForce3_250_ClockGenerator pll;
        CFrequencySet set;
        ASSERT_TRUE(pll.bReadClocks(set));
        ASSERT_TRUE(pll.bSetFSB(220.0f));
        EXPECT_EQ(kit.dwB(B_SOURCES), 1u << 27);
        // Ceiling 512: N' = 220 × 150 / 143.18 = 230.5 at the first divider.
        EXPECT_EQ(kit.dwB(B_FSB) & 0xFFFFF, 230u << 10 | 150u);
        EXPECT_EQ(kit.dwPort(WINDOW_A + 0xA4) & 1, 0u);
    }
    CNVKit kit("nforce4-sli");
    kit.vStick(WINDOW_A + 0xA4);
    NV_NForce3_250_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_FALSE(pll.bSetFSB(220.0f));
    EXPECT_EQ(kit.dwB(B_SOURCES) & (1u << 18), 1u << 18);
}

TEST(NVNForce3_150, TheReferenceIsSynthesised)
{
    CNVKit kit("nforce4-sli");
    // multiplier 40, then × 2 / (1 × 1) / 4: 286.36 MHz.
    kit.vB(B_REFERENCE_150, 40u << 4 | 2u << 14 | 1u << 12 | 1u);
    kit.vB(B_FSB, 200u << 10 | 143u);
    NV_NForce3_150_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(pll.m_fFSBReference, 286.3636f, 0.001f);
    EXPECT_NEAR(set.m_fFSB, 286.3636f * 0.5f * 200 / 143, 0.001f);
    EXPECT_NEAR(set.m_fPCI, 286.3636f * 4 / 27, 0.001f);

    ASSERT_TRUE(pll.bSetFSB(200.0f));
    // Ceiling 254: N' = 200 × 150 / 143.18 = 209.5.
    EXPECT_EQ(kit.dwB(B_FSB) & 0xFFFFF, 210u << 10 | 150u);

    // A synthesis register with a zero divider gives no reference and no clocks from it.
    kit.vB(B_REFERENCE_150, 40u << 4 | 2u << 14);
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_EQ(set.m_fFSB, -1.0f);
    EXPECT_EQ(set.m_fPCI, -1.0f);
    const uint32_t dwFSB = kit.dwB(B_FSB);
    EXPECT_FALSE(pll.bSetFSB(200.0f));
    EXPECT_EQ(kit.dwB(B_FSB), dwFSB);
}

TEST(NVNForce3_150, AGPReferenceSourcesAndTheSharedGSBSet)
{
    CNVKit kit("nforce4-sli");
    kit.vB(B_REFERENCE_150, 40u << 4 | 2u << 14 | 1u << 12 | 1u);
    kit.vB(B_AGP, 0xFFF00000 | 21u << 10 | 10u);
    NV_NForce3_150_ClockGenerator pll;
    CFrequencySet set;
    kit.vB(B_SOURCES, 1u << 28);  // the FSB PLL's reference
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fGSB, 286.3636f * 0.125f * 2.1f, 0.001f);
    kit.vB(B_SOURCES, 2u << 28);  // not a known source
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_EQ(set.m_fGSB, -1.0f);
    EXPECT_FALSE(pll.bSetGSB(66.0f));

    kit.vB(B_SOURCES, 0);
    ASSERT_TRUE(pll.bReadClocks(set));
    ASSERT_TRUE(pll.bSetGSB(66.0f));
    // R = 200 × 0.125 = 25: N' = 66 × 100 / 25 = 264 > 254, so 96 × 66 / 25 = 253.4.
    EXPECT_EQ(kit.dwB(B_AGP), 0xFFF00000u | 253u << 10 | 96u);
}

TEST(NVNForce3_150, NeedsThePCIInterface)
{
    CNVKit kit("nforce4-sli", {}, false);
    NV_NForce3_150_ClockGenerator pll;
    CFrequencySet set;
    EXPECT_FALSE(pll.bReadClocks(set));
    EXPECT_EQ(set.m_fFSB, -1.0f);
}

}  // namespace
