// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon-cli cpu: the report, its JSON form and the watch.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "RunProgram.h"

namespace {

using json = nlohmann::json;

std::vector<std::string> Lines(const std::string& str)
{
    std::vector<std::string> lines;
    std::istringstream stream(str);
    for (std::string strLine; std::getline(stream, strLine);) lines.push_back(strLine);
    return lines;
}

TEST(CliCPU, ReportsTheDemoProcessor)
{
    const ProgramResult r = RunProgram(PENDULON_CLI_PATH, "--board demo --json cpu");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const json cpu = json::parse(r.strOut);
    EXPECT_EQ(cpu["vendor"], "GenuineIntel");
    EXPECT_EQ(cpu["brand"], "Intel(R) Core(TM)2 CPU          6600  @ 2.40GHz");
    EXPECT_EQ(std::vector<int>({cpu["family"], cpu["model"], cpu["stepping"], cpu["threads"]}),
              std::vector<int>({6, 15, 6, 2}));
    EXPECT_EQ(cpu["features"], json({"MMX", "SSE", "SSE2", "SSE3", "SSSE3", "x86-64"}));
    EXPECT_NEAR(cpu["bus_clock_mhz"].get<double>(), 266.666, 0.27);
    ASSERT_EQ(cpu["cores"].size(), 2u);
    EXPECT_NEAR(cpu["cores"][1]["clock_mhz"].get<double>(), 2400.0, 2.4);

    const ProgramResult text = RunProgram(PENDULON_CLI_PATH, "--board demo cpu");
    ASSERT_EQ(text.nStatus, 0) << text.strErr;
    for (const char* pszLine : {"Vendor:       GenuineIntel\n", "Bus clock:    266.6", "Core 0.1:     2400.0",
                                "FID range:    6.0x - 9.0x\n", "max VID:      1.263V\n"})
        EXPECT_NE(text.strOut.find(pszLine), std::string::npos) << pszLine << " in\n" << text.strOut;
}

TEST(CliCPU, WatchRefreshesUntilDoneOrInterrupted)
{
    const ProgramResult r = RunProgram(PENDULON_CLI_PATH, "--board demo --json cpu --watch 2");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const std::vector<std::string> lines = Lines(r.strOut);
    ASSERT_EQ(lines.size(), 2u) << r.strOut;
    for (const std::string& strLine : lines)
        EXPECT_NEAR(json::parse(strLine)["bus_clock_mhz"].get<double>(), 266.666, 0.27);

    // SIGINT ends an endless watch normally.
    const ProgramResult watch = RunProgram("timeout", std::string("--preserve-status -s INT 1.5 ") +
                                                          PENDULON_CLI_PATH + " --board demo cpu --watch");
    EXPECT_EQ(watch.nStatus, 0) << watch.strErr;
    ASSERT_GE(Lines(watch.strOut).size(), 1u);
    EXPECT_EQ(watch.strOut.rfind("bus 266.6", 0), 0u) << watch.strOut;

    for (const char* pszCount : {"0", "abc", "-3", "1.5", "99999999"}) {
        const ProgramResult bad = RunProgram(PENDULON_CLI_PATH, std::string("--board demo cpu --watch=") + pszCount);
        EXPECT_EQ(bad.nStatus, 2) << pszCount;
        EXPECT_EQ(bad.strOut, "") << pszCount;
        EXPECT_EQ(Lines(bad.strErr).size(), 1u) << pszCount << ": " << bad.strErr;
    }
}

}  // namespace
