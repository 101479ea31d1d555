// SPDX-License-Identifier: GPL-2.0-or-later
// What the pll commands take and print: model names and ids, and the version of the dump report.
#include <gtest/gtest.h>

#include "cli/PLLOutput.h"

namespace {

TEST(PLLCliOutput, ModelsByIdAndName)
{
    std::string strWhy;
    EXPECT_EQ(cli::ParsePLLModel("01951462", strWhy), 0x01951462u);
    EXPECT_EQ(cli::ParsePLLModel("ics 9plrs587", strWhy), 0x019AB587u);
    EXPECT_EQ(cli::ParsePLLModel("0", strWhy), 0u);
    for (const char* psz : {"0x", "0x1234567890", "0xFFFFFFFF", "ICS", "ICS 951462 "})
        EXPECT_FALSE(cli::ParsePLLModel(psz, strWhy)) << psz;
    EXPECT_FALSE(cli::ParsePLLModel("NVIDIA nForce3", strWhy));
    EXPECT_NE(strWhy.find("0x10000030, 0x10000035"), std::string::npos) << strWhy;
}

TEST(PLLCliOutput, VersionOfTheDumpReport)
{
    EXPECT_EQ(cli::strFormatVersion("0.1.0"), "0.1");
    EXPECT_EQ(cli::strFormatVersion("1.0.5.3"), "1.0.5.3");
    EXPECT_EQ(cli::strFormatVersion("2.0.0.1"), "2.0.0.1");
    EXPECT_EQ(cli::strFormatVersion("0.0.0"), "");
}

}  // namespace
