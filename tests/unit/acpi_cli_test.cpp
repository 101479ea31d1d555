// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon-cli acpi on the simulated boards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "RunProgram.h"

namespace {

ProgramResult Cli(const std::string& strArguments) { return RunProgram(PENDULON_CLI_PATH, strArguments); }

TEST(AcpiCli, DemoReportsWhereTheTablesAreAndTheMeasuredPMTimer)
{
    ProgramResult r = Cli("--board demo --json acpi");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json document = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(document["rsdp"]["address"], 0xF6A40);
    EXPECT_EQ(document["rsdp"]["revision"], 2);
    EXPECT_EQ(document["rsdp"]["oem_id"], "ASUS  ");
    EXPECT_EQ(document["rsdt"]["address"], 0x7FEF0000);
    EXPECT_EQ(document["rsdt"]["oem_table_id"], "P5B-DLX ");
    EXPECT_EQ(document["rsdt"]["entries_examined"], 3);
    ASSERT_EQ(document["rsdt"]["entries"].size(), 3u);
    EXPECT_EQ(document["rsdt"]["entries"][0]["signature"], "FACP");
    EXPECT_EQ(document["rsdt"]["entries"][0]["state"], "read");
    ASSERT_TRUE(document["fadt"].is_object());
    EXPECT_EQ(document["fadt"]["address"], document["rsdt"]["entries"][0]["address"]);
    EXPECT_EQ(document["fadt"]["revision"], 3);
    EXPECT_EQ(document["fadt"]["pm_timer_block"], 0x808);
    ASSERT_TRUE(document["pm_timer"].is_object());
    EXPECT_EQ(document["pm_timer"]["port"], 0x808);
    EXPECT_EQ(document["pm_timer"]["measured"], true);
    EXPECT_NEAR(document["pm_timer"]["frequency_hz"].get<double>(), 3579545.0, 3579545.0 * 0.005);

    r = Cli("--board demo acpi");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("RSDP      0x000f6a40  revision 2  OEM \"ASUS  \""), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("PM timer  port 0x0808  "), std::string::npos) << r.strOut;
}

TEST(AcpiCli, TheDamagedBoardIsReportedWithoutATimer)
{
    ProgramResult r = Cli("--board damaged-tables --json acpi");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json document = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(document["rsdp"]["address"], 0xF6F10);
    EXPECT_EQ(document["rsdt"]["entries_examined"], 17);
    EXPECT_EQ(document["fadt"]["length"], 304);
    EXPECT_TRUE(document["pm_timer"].is_null());
    int nTooLong = 0;
    for (const auto& entry : document["rsdt"]["entries"]) nTooLong += entry["state"] == "too_long";
    EXPECT_GE(nTooLong, 2);  // the unmapped entry and the over-long SSDT at least
}

TEST(AcpiCli, NoRSDPIsAFailure)
{
    char szDir[] = "/tmp/pendulon-acpi-cli-XXXXXX";
    ASSERT_NE(mkdtemp(szDir), nullptr);
    const std::string strBoard = std::string(szDir) + "/bare.json";
    {
        std::ofstream file(strBoard);
        file << R"({"clock": {"bus_mhz": 100, "multiplier": 5}, "cpus": {"count": 1},
                   "memory": [{"base": "0x0", "size": "0xa0000"}, {"base": "0xe0000", "size": "0x20000"}],
                   "pm_timer": {"port": "0x808"},
                   "acpi": {"damage": ["rsdp_bad_checksum"]}})";
    }
    ProgramResult r = Cli("--board " + strBoard + " acpi");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_NE(r.strErr.find("no ACPI tables found"), std::string::npos) << r.strErr;
    std::remove(strBoard.c_str());
    rmdir(szDir);

    r = Cli("--board demo acpi extra");
    EXPECT_EQ(r.nStatus, 2);
}

}  // namespace
