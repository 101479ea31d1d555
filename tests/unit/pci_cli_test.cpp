// SPDX-License-Identifier: GPL-2.0-or-later
// "pendulon-cli pci" on the demo board and on this machine, held against lspci.
#include <gtest/gtest.h>
#include <unistd.h>

#include <dirent.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "RunProgram.h"

namespace {

ProgramResult Cli(const std::string& strArguments) { return RunProgram(PENDULON_CLI_PATH, strArguments); }

std::vector<std::string> Lines(const std::string& strText)
{
    std::vector<std::string> lines;
    std::istringstream stream(strText);
    for (std::string strLine; std::getline(stream, strLine);) lines.push_back(strLine);
    return lines;
}

const char* const DEMO_IDS =
    "00:00.0 0600: 8086:29a0 (rev 02)\n"
    "00:01.0 0604: 8086:29a1 (rev 02)\n"
    "00:1d.0 0c03: 8086:2830 (rev 02)\n"
    "00:1d.1 0c03: 8086:2831 (rev 02)\n"
    "00:1f.0 0601: 8086:2810 (rev 02)\n"
    "00:1f.2 0106: 8086:2821 (rev 02)\n"
    "00:1f.3 0c05: 8086:283e (rev 02)\n"
    "01:00.0 0300: 10de:0391 (rev a1)\n";

TEST(PciCli, ListsTheDemoBoardAsLspciDoes)
{
    ProgramResult r = Cli("--board demo pci --ids-only");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, DEMO_IDS);
    EXPECT_EQ(Cli("--board demo pci -n").strOut, DEMO_IDS);

    r = Cli("--board demo pci");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const std::vector<std::string> lines = Lines(r.strOut);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "00:1d.0 0c03: 8086:2830 (rev 02)  USB Controller (UHCI)");
    EXPECT_EQ(lines[6], "00:1f.3 0c05: 8086:283e (rev 02)  SMBus Controller");
    EXPECT_EQ(lines[7], "01:00.0 0300: 10de:0391 (rev a1)  VGA Controller");
}

TEST(PciCli, HexDumpAndVerboseDumpFollowEachFunction)
{
    ProgramResult r = Cli("--board demo pci -n -x");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const std::vector<std::string> lines = Lines(r.strOut);
    ASSERT_EQ(lines.size(), 8u * 18u);  // the line, 16 rows, a blank line
    EXPECT_EQ(lines[6 * 18], "00:1f.3 0c05: 8086:283e (rev 02)");
    EXPECT_EQ(lines[6 * 18 + 1], "00: 86 80 3e 28 01 00 00 00 02 00 05 0c 00 00 00 00");
    EXPECT_EQ(lines[6 * 18 + 3], "20: 01 04 00 00 00 00 00 00 00 00 00 00 43 10 77 82");
    EXPECT_EQ(lines[6 * 18 + 16], "f0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(lines[6 * 18 + 17], "");

    r = Cli("--board demo pci -v");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("00:01.0 0604: 8086:29a1 (rev 02)  PCI to PCI Bridge\nbus 0 (0x00), device 1 (0x01)"),
              std::string::npos);
    EXPECT_NE(r.strOut.find("\t\tDevice type\tRoot Port of PCI-E Root Complex\n"), std::string::npos);
    EXPECT_NE(r.strOut.find("\tAdvanced Error Reporting Capability\n"), std::string::npos);
}

TEST(PciCli, JsonCarriesIdsCapabilitiesAndBytes)
{
    ProgramResult r = Cli("--board demo pci --json -x");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json document = nlohmann::json::parse(r.strOut);
    const nlohmann::json& functions = document["functions"];
    ASSERT_EQ(functions.size(), 8u);
    const nlohmann::json& port = functions[1];
    EXPECT_EQ(port["address"], "00:01.0");
    EXPECT_EQ(port["vendor_id"], 0x8086);
    EXPECT_EQ(port["description"], "PCI to PCI Bridge");
    ASSERT_EQ(port["capabilities"].size(), 3u);
    EXPECT_EQ(port["capabilities"][2]["id"], 16);
    EXPECT_EQ(port["capabilities"][2]["offset"], 0xA0);
    EXPECT_EQ(port["extended_capabilities"][0]["offset"], 0x100);
    EXPECT_EQ(port["config"].size(), 256u);
    EXPECT_EQ(functions[6]["subsystem_vendor_id"], 0x1043);
    EXPECT_FALSE(functions[6].contains("dump"));

    r = Cli("--board demo --json pci -v");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const std::string strDump = nlohmann::json::parse(r.strOut)["functions"][7]["dump"];
    EXPECT_NE(strDump.find("\tPCI Express Capability\n\t\tDevice type\tPCI-E Endpoint Device\n"), std::string::npos);
}

TEST(PciCli, BadArgumentsAreRefused)
{
    for (const char* psz : {"--board demo pci extra", "--board demo pci --no-such-flag"}) {
        ProgramResult r = Cli(psz);
        EXPECT_EQ(r.nStatus, 2) << psz;
        EXPECT_EQ(r.strOut, "") << psz;
    }
}

bool bHaveLspci() { return std::system("command -v lspci >/dev/null 2>&1") == 0; }

// The functions of domain 0 on buses 0 to 15 that sysfs lists, as "bb:dd.f".
std::set<std::string> SysfsFunctions()
{
    std::set<std::string> functions;
    DIR* pDir = opendir("/sys/bus/pci/devices");
    if (!pDir) return functions;
    while (dirent* pEntry = readdir(pDir)) {
        std::string strName = pEntry->d_name;
        unsigned nBus = 0;
        if (strName.size() == 12 && strName.starts_with("0000:") && std::sscanf(strName.c_str() + 5, "%2x", &nBus) == 1 &&
            nBus <= 15)
            functions.insert(strName.substr(5));
    }
    closedir(pDir);
    return functions;
}

TEST(PciCli, ListsThisMachineExactlyAsLspci)
{
    if (geteuid() != 0) GTEST_SKIP() << "needs root for the configuration space";
    const std::set<std::string> sysfs = SysfsFunctions();
    if (sysfs.empty()) GTEST_SKIP() << "no PCI functions in sysfs";
    ProgramResult r = Cli("pci --ids-only");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    std::set<std::string> listed;
    for (const std::string& strLine : Lines(r.strOut)) listed.insert(strLine.substr(0, 7));
    EXPECT_EQ(listed, sysfs);

    if (!bHaveLspci()) GTEST_SKIP() << "lspci is not installed";
    // lspci lists every bus; only buses 0 to 15 are scanned here.
    ProgramResult lspci = RunProgram("lspci", "-n");
    ASSERT_EQ(lspci.nStatus, 0);
    std::string strExpected;
    for (const std::string& strLine : Lines(lspci.strOut))
        if (sysfs.count(strLine.substr(0, 7))) strExpected += strLine + "\n";
    EXPECT_EQ(r.strOut, strExpected);

    ProgramResult hex = Cli("pci --ids-only -x");
    ProgramResult lspciHex = RunProgram("lspci", "-n -xxx");
    ASSERT_EQ(hex.nStatus, 0) << hex.strErr;
    if (lspciHex.nStatus == 0 && sysfs.size() == Lines(lspci.strOut).size()) {
        // Registers with side effects or live status may change between two reads: compare
        // the identification rows.
        const std::vector<std::string> ours = Lines(hex.strOut), theirs = Lines(lspciHex.strOut);
        ASSERT_EQ(ours.size(), theirs.size());
        for (size_t i = 0; i < ours.size(); ++i) {
            const bool bRow = ours[i].size() > 3 && ours[i][2] == ':' && ours[i][3] == ' ';
            if (!bRow || ours[i].starts_with("00: ")) {
                EXPECT_EQ(ours[i], theirs[i]) << "line " << i;
            }
        }
    }
}

}  // namespace
