// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "RunProgram.h"

namespace {

TEST(CliInfo, SummarisesTheBoardFromEveryInterface)
{
    const ProgramResult r = RunProgram(PENDULON_CLI_PATH, "--board demo --json info");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json info = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(info["bios"], "American Megatrends Inc. 1004, 06/04/2007");                    // DMI
    EXPECT_EQ(info["logical_processors"], 2);                                                 // CPUID tables
    EXPECT_NE(info["processor"].get<std::string>().find("6600"), std::string::npos);
    EXPECT_NE(info["north_bridge"].get<std::string>().find("P965"), std::string::npos);       // chipset
    EXPECT_NE(info["south_bridge"].get<std::string>().find("ICH8"), std::string::npos);
    EXPECT_EQ(info["memory"], "DDR2, ratio 4:5, 2 channel(s)");
    EXPECT_EQ(info["pci_functions"], 8);                                                      // PCI scan
    ASSERT_EQ(info["displays"].size(), 1u);
    EXPECT_EQ(info["displays"][0], "01:00.0 10de:0391 (PCI Express)");
    EXPECT_EQ(info["pm_timer_port"], 0x808);                                                  // ACPI

    const ProgramResult text = RunProgram(PENDULON_CLI_PATH, "--board i865pe-ich5 info");
    ASSERT_EQ(text.nStatus, 0) << text.strErr;
    EXPECT_NE(text.strOut.find("ICH5"), std::string::npos) << text.strOut;
}

}  // namespace
