// SPDX-License-Identifier: GPL-2.0-or-later
// "pendulon-cli chipset" on the simulated boards.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "RunProgram.h"

namespace {

ProgramResult Cli(const std::string& strArguments) { return RunProgram(PENDULON_CLI_PATH, strArguments); }

TEST(ChipsetCli, DemoBoardAsJson)
{
    ProgramResult r = Cli("--board demo --json chipset");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json doc = nlohmann::json::parse(r.strOut);
    ASSERT_EQ(doc["north_bridges"].size(), 1u);
    const auto& north = doc["north_bridges"][0];
    EXPECT_EQ(north["vendor"], "Intel");
    EXPECT_EQ(north["model"], "P965/G965");
    EXPECT_EQ(north["revision"], "C1");
    EXPECT_EQ(north["location"], "00:00.0");
    EXPECT_EQ(north["main"], true);
    EXPECT_EQ(doc["south_bridge"]["model"], "82801HB (ICH8)");
    EXPECT_EQ(doc["south_bridge"]["location"], "00:1f.0");
    EXPECT_EQ(doc["south_bridge"]["state"], 1);
    const auto& memory = doc["memory"];
    EXPECT_EQ(memory["type"], 7);
    EXPECT_EQ(memory["ratio"], "4:5");
    EXPECT_NEAR(memory["ratio_value"].get<double>(), 1.25, 1e-6);
    EXPECT_EQ(memory["cas"], 5.0);
    EXPECT_EQ(memory["ras"], 15);
    EXPECT_EQ(memory["channels"], 2);
    EXPECT_TRUE(memory["rc"].is_null());
    // No processor interface: no bus clock, so no memory clock.
    EXPECT_TRUE(doc["bus_clock_mhz"].is_null());
    EXPECT_TRUE(doc["memory_clock_mhz"].is_null());
}

TEST(ChipsetCli, MemoryClockFromAGivenBusClock)
{
    ProgramResult r = Cli("--board demo --json chipset --bus 266.67");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json doc = nlohmann::json::parse(r.strOut);
    EXPECT_NEAR(doc["memory_clock_mhz"].get<double>(), 333.34, 0.01);

    r = Cli("--board demo chipset --bus 266.67");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("North bridge: Intel P965/G965, revision C1, at 00:00.0 (8086:29a0)"), std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("Timings:      CAS 5, 5-5-15"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("Memory clock: 333.34 MHz"), std::string::npos) << r.strOut;
}

TEST(ChipsetCli, BadBusClockIsRefused)
{
    for (const char* pszBus : {"0", "-5", "abc", "20000"}) {
        ProgramResult r = Cli(std::string("--board demo chipset --bus ") + pszBus);
        EXPECT_EQ(r.nStatus, 2) << pszBus;
        EXPECT_TRUE(r.strOut.empty()) << pszBus;
        EXPECT_FALSE(r.strErr.empty()) << pszBus;
    }
}

TEST(ChipsetCli, ServerBoardListsEveryHostBridge)
{
    ProgramResult r = Cli("--board i5000x-esb2 --json chipset");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json doc = nlohmann::json::parse(r.strOut);
    ASSERT_EQ(doc["north_bridges"].size(), 7u);
    int nMain = 0;
    for (const auto& bridge : doc["north_bridges"]) nMain += bridge["main"].get<bool>();
    EXPECT_EQ(nMain, 1);
    EXPECT_EQ(doc["north_bridges"][0]["model"], "5000X");
    EXPECT_EQ(doc["north_bridges"][1]["model"], "ID25F0");
    EXPECT_EQ(doc["memory"]["type_name"], "FB-DIMM");
    EXPECT_EQ(doc["memory"]["ecc"], "ECC");
}

}  // namespace
