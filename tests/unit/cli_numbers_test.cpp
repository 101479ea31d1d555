// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "cli/Numbers.h"
#include "cli/Output.h"

namespace {

TEST(CliNumbers, PCIAddressesAsLspciPrintsThem)
{
    auto a = cli::ParsePCIAddress("00:1f.3");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->nBus, 0u);
    EXPECT_EQ(a->nDevice, 0x1Fu);
    EXPECT_EQ(a->nFunction, 3u);
    a = cli::ParsePCIAddress("0000:ff:1F.7");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->nBus, 0xFFu);
    for (const char* psz : {"00:20.0", "00:1f.8", "100:00.0", "00:1f", "001f.3", "0:1g.0", ":00.0", "00:1f.3x", "00:.1"})
        EXPECT_FALSE(cli::ParsePCIAddress(psz)) << psz;
}

TEST(CliNumbers, RegistersTakeAWidthSuffixAndAreHex)
{
    auto r = cli::ParseRegister("48.l", 0xFFF, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->qwOffset, 0x48u);
    EXPECT_EQ(r->nWidth, 4u);
    r = cli::ParseRegister("0x1fe.W", 0xFFF, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->qwOffset, 0x1FEu);
    EXPECT_EQ(r->nWidth, 2u);
    r = cli::ParseRegister("cf9", 0xFFFF, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->nWidth, 1u);
    for (const char* psz : {"1000", "48.q", "", ".b", "4 8", "-1", "0x"}) EXPECT_FALSE(cli::ParseRegister(psz, 0xFFF, 1)) << psz;
}

TEST(CliNumbers, AssignedValuesMustFitTheWidth)
{
    EXPECT_EQ(cli::ParseAssignment("=ff", 1), 0xFFu);
    EXPECT_FALSE(cli::ParseAssignment("=100", 1));
    EXPECT_EQ(cli::ParseAssignment("=0xffffffffffffffff", 8), ~0ull);
    EXPECT_FALSE(cli::ParseAssignment("=10000000000000000", 8));
    EXPECT_FALSE(cli::ParseAssignment("ff", 1));
    EXPECT_FALSE(cli::ParseAssignment("=", 1));
    EXPECT_FALSE(cli::ParseAssignment("=1z", 4));
}

TEST(CliOutput, HexDumpLinesLikeHexdump)
{
    const uint8_t ab[18] = {'R', 'S', 'D', ' ', 'P', 'T', 'R', ' ', 0, 1, 2, 3, 4, 5, 6, 7, 0xFF, 0x41};
    const std::string str = cli::strHexDump(0xF6A40, ab, sizeof ab);
    EXPECT_EQ(str,
              "000f6a40  52 53 44 20 50 54 52 20  00 01 02 03 04 05 06 07  |RSD PTR ........|\n"
              "000f6a50  ff 41                                             |.A|\n");
    EXPECT_EQ(cli::strHex(0x8086, 4), "00008086");
}

}  // namespace
