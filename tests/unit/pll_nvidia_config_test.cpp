// SPDX-License-Identifier: GPL-2.0-or-later
// The PLLs in configuration space: nForce4 for Intel processors, GeForce 6100 (C51) and
// nForce 680 (C55), on boards whose device 0 functions 2 and 3 hold the PLL registers.
#include <gtest/gtest.h>

#include "PciTestKit.h"
#include "pll/chipset/NVConfigPLL.h"
#include "pll_nvidia_kit.h"

namespace {

using nvtest::CNVKit;

std::string strFunctions(const std::string& strFSB, const std::string& strPCIE)
{
    return pcitest::strBoard(R"({"at": "00:00.0", "id": "10de:02f0", "class": "060000", "header": "0x80"},
        {"at": "00:00.2", "id": "10de:02fc", "class": "050000", "regs": {)" + strFSB + R"(}},
        {"at": "00:00.3", "id": "10de:02fe", "class": "050000", "regs": {)" + strPCIE + "}}");
}

// FSB PLL: reference 16 × 25 MHz, N = 266, M = 100, post-divider bit as given; PCI-E PLL:
// reference 4 × 25 MHz, N2 = 100, M2 = 25. Both control registers held by the firmware.
std::string strIEBoard(bool bPostDivider)
{
    const uint32_t dwFSB = (bPostDivider ? 0x20000000u : 0) | 266u << 10 | 100u;
    char sz[32];
    std::snprintf(sz, sizeof sz, "\"0x%08x\"", dwFSB);
    return strFunctions(std::string(R"("0x44.l": )") + sz + R"(, "0x78.l": "0x1001", "0x58.l": "0x1")",
                        R"("0x84.l": "0x19019", "0x9c.l": "0x401", "0x90.l": "0x1")");
}

TEST(NVNForce4IE, DecodesAndHandsTheControlBitsBack)
{
    CNVKit kit(strIEBoard(false));
    NV_NForce4_IE_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fFSB, 266.0f, 0.001f);
    EXPECT_NEAR(set.m_fGSB, 100.0f, 0.001f);
    EXPECT_NEAR(set.m_fPCI, 100.0f / 3, 0.001f);
    EXPECT_EQ(kit.dwConfig(0, 2, 0x58), 0u);
    EXPECT_EQ(kit.dwConfig(0, 3, 0x90), 0u);
    // The FSB setting is written again from its constant before the release.
    EXPECT_EQ(kit.dwConfig(0, 2, 0x44), 0xC1C00000u | 266u << 10 | 100u);
}

TEST(NVNForce4IE, ThePostDividerHalvesTheFSBAndDoublesTheSearch)
{
    CNVKit kit(strIEBoard(true));
    NV_NForce4_IE_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fFSB, 133.0f, 0.001f);
    // The rewrite keeps the post-divider: the FSB does not double under the processor.
    EXPECT_EQ(kit.dwConfig(0, 2, 0x44), 0xE1C00000u | 266u << 10 | 100u);

    ASSERT_TRUE(pll.bSetFSB(150.0f));
    // 300 MHz from R = 100: N' = 300 × 64 / 100 = 192.
    EXPECT_EQ(kit.dwConfig(0, 2, 0x44), 0xE1C00000u | 192u << 10 | 64u);
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fFSB, 150.0f, 0.001f);

    CFrequencySet wanted;
    wanted.m_fFSB = 600.0f;  // clamped to 500, then doubled: N' = 1000 × 64 / 100 > 500
    ASSERT_TRUE(pll.bPreviewClocks(wanted));
    EXPECT_EQ(pll.m_FSB.nDivisor, 50);
    EXPECT_NEAR(wanted.m_fFSB, 500.0f, 0.001f);
}

TEST(NVNForce4IE, WithoutThePostDividerAndThePCIESet)
{
    CNVKit kit(strIEBoard(false));
    NV_NForce4_IE_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    ASSERT_TRUE(pll.bSetFSB(150.0f));
    EXPECT_EQ(kit.dwConfig(0, 2, 0x44), 0xC1C00000u | 96u << 10 | 64u);
    ASSERT_TRUE(pll.bSetGSB(110.0f));
    // R = 25: 62 × 110 / 25 = 272.8 > 254; 57 × 110 / 25 = 250.8.
    EXPECT_EQ(kit.dwConfig(0, 3, 0x84), 0xC1E00000u | 251u << 10 | 57u);
}

TEST(NVGeForce6100, DecodesAndSetsWithTheByteFields)
{
    CNVKit kit(strFunctions(R"("0x44.l": "0x12346464", "0x5c.l": "0x0801", "0x54.l": "0x101")",
                            R"("0x74.l": "0x6419", "0x88.l": "0x401", "0x80.l": "0x1")"));
    NV_GeForce_6100_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fFSB, 200.0f, 0.001f);
    EXPECT_NEAR(set.m_fGSB, 100.0f, 0.001f);
    EXPECT_EQ(kit.dwConfig(0, 2, 0x54), 0u);
    EXPECT_EQ(kit.dwConfig(0, 2, 0x44), 0x12346464u);  // no rewrite on this model

    ASSERT_TRUE(pll.bSetFSB(250.0f));
    // R = 200: 240 × 250 / 200 = 300 > 252; 201 × 250 / 200 = 251.25.
    EXPECT_EQ(kit.dwConfig(0, 2, 0x44), 0x12340000u | 251u << 8 | 201u);
}

TEST(NVNForce680, DecodesSetsAndMarksItsWrites)
{
    CNVKit kit("nforce680i");
    NV_NForce680_ClockGenerator pll;
    CFrequencySet set;
    ASSERT_TRUE(pll.bReadClocks(set));
    EXPECT_NEAR(set.m_fFSB, 266.667f, 0.001f);
    EXPECT_NEAR(set.m_fGSB, 100.0f, 0.001f);
    EXPECT_EQ(kit.dwConfig(0, 2, 0x58), 0u);
    EXPECT_EQ(kit.dwConfig(0, 3, 0x80), 0u);

    ASSERT_TRUE(pll.bSetFSB(300.0f));
    EXPECT_EQ(kit.dwConfig(0, 2, 0x44), 0x40000000u | 192u << 8 | 64u);
    ASSERT_TRUE(pll.bSetGSB(125.0f));
    EXPECT_EQ(kit.dwConfig(0, 3, 0x74), 0x40000000u | 250u << 8 | 50u);
}

TEST(NVConfigPLL, AMissingFunctionFailsTheRead)
{
    CNVKit kit("nforce4-sli");
    NV_GeForce_6100_ClockGenerator pll;
    CFrequencySet set;
    EXPECT_FALSE(pll.bReadClocks(set));
    EXPECT_EQ(set.m_fFSB, -1.0f);
}

}  // namespace
