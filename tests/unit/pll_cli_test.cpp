// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon-cli pll and membuf on the simulated boards: the model tables, reading the demo
// board's ICS 951462, walking its FSB, the dump report, raw image writes, the memory buffer
// of the FB-DIMM board, and the refusal of bad input and of writes nobody confirmed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "ChipsetTestKit.h"
#include "RunProgram.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLModels.h"

namespace {

using json = chipsettest::json;

ProgramResult Cli(const std::string& strArguments) { return RunProgram(PENDULON_CLI_PATH, strArguments); }


TEST(PLLCli, ModelsListsBothTables)
{
    ProgramResult r = Cli("pll models");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("  0x01951462  ICS 951462\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("  0x10000055  NVIDIA C55\n"), std::string::npos) << r.strOut;
    r = Cli("--json pll models");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    json document = json::parse(r.strOut);
    EXPECT_EQ(document["smbus"].size(), 30u);
    EXPECT_EQ(document["chipset"].size(), 8u);
    EXPECT_EQ(document["smbus"][0]["id"], "0x00000000");
    EXPECT_EQ(document["chipset"][2]["name"], "NVIDIA nForce3");
}

TEST(PLLCli, ReadTheRawImageWithTheBareModel)
{
    ProgramResult r = Cli("--board demo pll read --model 0");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("model\tNot specified (0x00000000)\nFSB\tunknown\n"), std::string::npos) << r.strOut;
    // The chip's byte count at power-on: nine registers.
    EXPECT_NE(r.strOut.find("registers (9):\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("00: ff ff ff ff ff ff ff ff 09      "), std::string::npos) << r.strOut;
    r = Cli("--board demo --json pll read --model 0x00000000");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    json document = json::parse(r.strOut);
    EXPECT_EQ(document["registers"].size(), 9u);
    EXPECT_TRUE(document["clocks"]["fsb_mhz"].is_null());
}

TEST(PLLCli, ReadTheDemoChip)
{
    ProgramResult r = Cli("--board demo pll read --model \"ICS 951462\"");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("FSB\t266.68 MHz\nPCIE\t100.00 MHz\nPCI\t33.33 MHz\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("registers (21):\n"), std::string::npos) << r.strOut;
}

TEST(PLLCli, SetWalksAndReadsBack)
{
    ProgramResult r = Cli("--board demo -y pll set 213 --model ics951462");
    EXPECT_EQ(r.nStatus, 2);  // not a name of the table
    r = Cli("--board demo -y pll set 213 --model \"ics 951462\"");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("FSB\t212.92 MHz\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strErr.find("walked the FSB: 10 steps, then the target"), std::string::npos) << r.strErr;

    r = Cli("--board demo --json -y pll set 150 --gsb 120 --model 0x01951462");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    json document = json::parse(r.strOut);
    EXPECT_TRUE(document["ok"].get<bool>());
    EXPECT_EQ(document["verified"], "agrees");
    EXPECT_NEAR(document["reached"]["fsb_mhz"].get<double>(), 150.0, 0.3);
    EXPECT_NEAR(document["reached"]["gsb_mhz"].get<double>(), 120.0, 0.3);
    EXPECT_EQ(document["reached"]["gsb_kind"], "PCIE");
    // The processors follow the chip: the bus clock they measure is the chip's FSB.
    EXPECT_NEAR(document["measured_before"]["bus_mhz"].get<double>(), 266.67, 0.27);
    const double dFSB = document["reached"]["fsb_mhz"].get<double>();
    EXPECT_NEAR(document["measured_after"]["bus_mhz"].get<double>(), dFSB, 0.002 * dFSB);
    EXPECT_NEAR(document["measured_after"]["cpu_mhz"].get<double>(), 9 * dFSB, 0.002 * 9 * dFSB);

    r = Cli("--board demo --json pll preview 300 --model 0x01951462");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NEAR(json::parse(r.strOut)["preview"]["fsb_mhz"].get<double>(), 300.0, 0.3);
}

TEST(PLLCli, SetFailsWhenTheChipDoesNotGetThere)
{
    // A chip that always sends 9 bytes: the driver's writes never reach its PLL registers.
    json board = chipsettest::BoardJson("demo");
    for (json& device : board["smbus"][0]["devices"])
        if (device["address"] == "0x69")
            device = {{"address", "0x69"}, {"type", "registers"}, {"hex", "ff ff ff ff ff ff ff ff 09"},
                      {"block_count", 9}};
    const std::string strPath = "/tmp/pendulon-pll-cli-" + std::to_string(getpid()) + ".json";
    std::ofstream(strPath) << board.dump();
    ProgramResult r = Cli("--board " + strPath + " -y pll set 150 --model \"ICS 951462\"");
    std::remove(strPath.c_str());
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("did not reach"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strOut.find("FSB\t28.64 MHz\n"), std::string::npos) << r.strOut;
}

TEST(PLLCli, PresetChip)
{
    // The demo board with an ICS 951412: register 0's code 0x1F is row 22 (203.49 MHz).
    json board = chipsettest::BoardJson("demo");
    for (json& device : board["smbus"][0]["devices"])
        if (device["address"] == "0x69") device = {{"address", "0x69"}, {"type", "clock"}, {"model", "ics951412"},
                                                   {"hex", "9f"}};
    const std::string strPath = "/tmp/pendulon-pll-preset-" + std::to_string(getpid()) + ".json";
    std::ofstream(strPath) << board.dump();
    ProgramResult r = Cli("--board " + strPath + " -y pll preset 21 --model \"ICS 951412\"");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("FSB\t200.00 MHz\nPCIE\t100.00 MHz\nPCI\t33.34 MHz\npreset\t21\n"), std::string::npos)
        << r.strOut;
    // The demo board's own chip read as an ICS 951412: its registers say row 22, but it is no
    // preset chip and its clock does not follow: the processors give it away.
    r = Cli("--board demo -y pll preset 21 --model \"ICS 951412\"");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("reads back an FSB of 200.00 MHz, but the processors measure a bus clock of 266.6"),
              std::string::npos)
        << r.strErr;
    r = Cli("--board " + strPath + " -y pll preset 30 --model \"ICS 951412\"");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("presets 0 to 29"), std::string::npos) << r.strErr;
    r = Cli("--board " + strPath + " -y pll set 200 --model \"ICS 951412\"");
    std::remove(strPath.c_str());
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("pll preset N"), std::string::npos) << r.strErr;
}

TEST(PLLCli, BadInputIsRefusedBeforeAnythingIsTouched)
{
    const struct {
        const char* pszArguments;
        const char* pszMessage;
    } cases[] = {
        {"--board demo pll read --model \"ICS 999\"", "unknown clock generator model"},
        {"--board demo pll read --model 0x01999999", "unknown clock generator model id"},
        {"--board demo pll read --model \"NVIDIA nForce4\"", "more than one model"},
        {"--board demo pll read", "--model"},
        {"--board demo pll read --model 0x10000040", "nVidia chipset"},
        {"--board demo -y pll set 213 --gsb 100 --model 0", "cannot set its GSB"},
        {"--board demo -y pll set 213 --model 0", "cannot set clocks"},
        {"--board demo -y pll preset 3 --model 0", "no presets"},
        {"--board demo -y pll set 213 --model 0 --gsb 1x0", "bad GSB"},
        {"--board demo -y pll set 21x3 --model 0", "bad FSB"},
        {"--board demo -y pll set -5 --model 0", ""},
        {"--board demo pll set 213 --model 0", "no terminal"},
        {"--board demo -y pll write-dump 1ff --model 0", "bad byte"},
        {"--board demo pll models extra", "unexpected argument"},
        // A typo for 266.6 is refused, never clamped into a walk to the chip's limit.
        {"--board demo -y pll set 2666 --model \"ICS 951462\"",
         "takes FSB clocks from 100.00 to 600.00 MHz: 2666.00 MHz is out of its range"},
        {"--board demo -y pll set 50 --model \"ICS 951462\"", "50.00 MHz is out of its range"},
        {"--board demo pll preview 700 --model \"ICS 951462\"", "700.00 MHz is out of its range"},
        {"--board demo -y pll set 200 --gsb 250 --model \"ICS 951462\"",
         "takes PCIE clocks from 50.00 to 200.00 MHz: 250.00 MHz"},
        {"--board nforce2-ultra400 -y pll set 200 --model \"ICS 951462\"", "leave out --model"},
    };
    for (const auto& c : cases) {
        ProgramResult r = Cli(c.pszArguments);
        EXPECT_EQ(r.nStatus, 2) << c.pszArguments << "\n" << r.strErr;
        EXPECT_NE(r.strErr.find(c.pszMessage), std::string::npos) << c.pszArguments << "\n" << r.strErr;
        EXPECT_EQ(r.strOut, "") << c.pszArguments;
    }
    std::string strBytes;
    for (int i = 0; i < 256; ++i) strBytes += " 00";
    ProgramResult r = Cli("--board demo -y pll write-dump" + strBytes + " --model 0");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("at most 255"), std::string::npos) << r.strErr;
}

TEST(PLLCli, DumpReportToAFile)
{
    const std::string strPath = "/tmp/pendulon-pll-dump-" + std::to_string(getpid()) + ".txt";
    std::ofstream(strPath) << "old report";
    ProgramResult r = Cli("--board demo pll dump --model 0 -o " + strPath);
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const std::string strReport = strReadFile(strPath);
    std::remove(strPath.c_str());
    EXPECT_EQ(strReport.rfind("[Pendulon ", 0), 0u) << strReport;
    EXPECT_NE(strReport.find("]\n00 01 02 03 04 05 06 07 08 \nFF FF FF FF FF FF FF FF 09 "), std::string::npos)
        << strReport;
    EXPECT_EQ(strReport.back(), ' ');  // no line end after the bytes

    r = Cli("--board demo pll dump --model 0 -o /tmp/pendulon-no-such-dir/dump.txt");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("cannot write"), std::string::npos) << r.strErr;
}

TEST(PLLCli, WriteDumpWritesAndReadsBack)
{
    // Register 8 asks the chip for its full 21 bytes: the read-back shows them.
    ProgramResult r = Cli("--board demo -y pll write-dump ff ff ff ff ff ff ff ff 15 --model 0");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("registers (21):\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("10: 76 00 00 18 09"), std::string::npos) << r.strOut;
}

TEST(MembufCli, ReadAndSetTheSkews)
{
    ProgramResult r = Cli("--board i5000x-esb2 --json membuf read");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    json document = json::parse(r.strOut);
    EXPECT_EQ(document["channels"][0]["clkin_code"], 12);
    EXPECT_EQ(document["channels"][0]["clkin"], "450 ps");
    EXPECT_EQ(document["channels"][0]["fbint"], "150 ps");
    EXPECT_EQ(document["channels"][1]["fbint"], "300 ps");

    r = Cli("--board i5000x-esb2 -y membuf set --channel B --clkin 900ps --fbint \"0 ps\"");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "channel B\tCLKIN 900 ps\tFB-INT 0 ps\n");
    r = Cli("--board i5000x-esb2 -y membuf set --channel a --fbint 750");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "channel A\tCLKIN 450 ps\tFB-INT 750 ps\n");

    for (const char* pszArguments : {"--board i5000x-esb2 -y membuf set --channel C --clkin 0",
                                     "--board i5000x-esb2 -y membuf set --channel A --clkin 100",
                                     "--board i5000x-esb2 -y membuf set --channel A"}) {
        r = Cli(pszArguments);
        EXPECT_EQ(r.nStatus, 2) << pszArguments << "\n" << r.strErr;
    }
    r = Cli("--board i5000x-esb2 membuf set --channel A --clkin 0");  // no terminal to ask on, no -y
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("refusing to write to the memory buffer"), std::string::npos) << r.strErr;
    r = Cli("--board demo membuf read");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("no FB-DIMM memory buffer"), std::string::npos) << r.strErr;
}

}  // namespace

TEST(PLLCli, AClockChipThatHoldsTheBusIsNotTakenForAMissingOne)
{
    // The demo board's clock chip holds the clock low: the probe times out, and the message
    // says so instead of "nothing answers".
    json board = chipsettest::BoardJson("demo");
    for (json& device : board["smbus"][0]["devices"])
        if (device["address"] == "0x69") device["fault"] = "hold_clock";
    const std::string strPath = "/tmp/pendulon-pll-hung-" + std::to_string(getpid()) + ".json";
    std::ofstream(strPath) << board.dump();
    const ProgramResult r = Cli("--board " + strPath + " pll read --model \"ICS 951462\"");
    std::remove(strPath.c_str());
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("no clock generator found at SMBus address 0x69 (the probe of 0x69 failed: the "
                            "controller timed out)"),
              std::string::npos)
        << r.strErr;

    const ProgramResult missing = Cli("--board demo membuf read");
    EXPECT_EQ(missing.nStatus, 1);
    EXPECT_NE(missing.strErr.find("(no device answers at 0x6a)"), std::string::npos) << missing.strErr;
}
