// SPDX-License-Identifier: GPL-2.0-or-later
// "dmi" on the simulated boards, and the SMBIOS tables those boards build.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "DmiTestTables.h"
#include "KitFixture.h"
#include "RunProgram.h"
#include "app/InterfaceCreation.h"
#include "sim/SimBoard.h"

namespace {

ProgramResult Cli(const std::string& strArguments) { return RunProgram(PENDULON_CLI_PATH, strArguments); }

const std::string DEMO_FILE = std::string(PENDULON_BOARDS_DIR) + "/demo.json";

nlohmann::json DemoBoard()
{
    std::ifstream file(DEMO_FILE);
    std::stringstream text;
    text << file.rdbuf();
    return nlohmann::json::parse(text.str());
}

// A board file in /tmp, removed at the end of the test.
class CTempBoard {
public:
    explicit CTempBoard(const nlohmann::json& board)
    {
        char szPath[] = "/tmp/pendulon-dmi-XXXXXX.json";
        const int nFile = mkstemps(szPath, 5);
        if (nFile >= 0) close(nFile);
        m_strPath = szPath;
        std::ofstream(m_strPath) << board.dump();
    }
    ~CTempBoard() { std::remove(m_strPath.c_str()); }
    const std::string& strPath() const { return m_strPath; }

private:
    std::string m_strPath;
};

uint8_t bSum(const uint8_t* p, size_t n)
{
    uint8_t b = 0;
    for (size_t i = 0; i < n; ++i) b = uint8_t(b + p[i]);
    return b;
}

TEST(DmiBoard, TheDemoBoardHasAValidEntryPointAndTable)
{
    std::string strError;
    auto pBoard = sim::CSimBoard::Load(DEMO_FILE, strError);
    ASSERT_NE(pBoard, nullptr) << strError;
    uint8_t entry[0x1F];
    ASSERT_TRUE(pBoard->bReadPhysical(0xF0800, sizeof entry, entry));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(entry), 4), "_SM_");
    EXPECT_EQ(bSum(entry, entry[5]), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(entry + 0x10), 5), "_DMI_");
    EXPECT_EQ(bSum(entry + 0x10, 15), 0);
    EXPECT_EQ(entry[6], 2);
    EXPECT_EQ(entry[7], 4);
    const uint32_t dwTable = entry[0x18] | entry[0x19] << 8 | entry[0x1A] << 16 | uint32_t(entry[0x1B]) << 24;
    const uint16_t wLength = uint16_t(entry[0x16] | entry[0x17] << 8);
    const uint16_t wCount = uint16_t(entry[0x1C] | entry[0x1D] << 8);
    EXPECT_EQ(dwTable, 0xF0820u);
    // Walk it by hand: the count, the largest structure and the end of table agree.
    std::vector<uint8_t> table(wLength);
    ASSERT_TRUE(pBoard->bReadPhysical(dwTable, wLength, table.data()));
    size_t nAt = 0, nCount = 0, nLargest = 0;
    uint8_t bLastType = 0;
    while (nAt + 4 <= table.size()) {
        size_t nEnd = nAt + table[nAt + 1];
        while (nEnd + 1 < table.size() && (table[nEnd] || table[nEnd + 1])) ++nEnd;
        nEnd += 2;
        nLargest = std::max(nLargest, nEnd - nAt);
        bLastType = table[nAt];
        ++nCount;
        nAt = nEnd;
    }
    EXPECT_EQ(nAt, table.size());
    EXPECT_EQ(nCount, wCount);
    EXPECT_EQ(bLastType, 127);
    EXPECT_EQ(nLargest, size_t(entry[8] | entry[9] << 8));
}

TEST(DmiBoard, BadSectionsAreRefusedWithTheField)
{
    struct Case {
        const char* pszSmbios;
        const char* pszField;
    };
    const Case cases[] = {
        {R"({"entry_point": "0xf0008"})", "smbios.entry_point"},
        {R"({"entry_point": "0xe0000"})", "smbios.entry_point"},
        {R"({"table": "0x200000"})", "smbios.table"},
        {R"({"table": "0xf0010"})", "smbios.table"},  // on the entry point
        {R"({"bios": {"vendor": "x", "colour": 1}})", "smbios.bios"},
        {R"({"system": {"uuid": "1234"}})", "smbios.system.uuid"},
        {R"({"memory_modules": [{"size_mb": 768}]})", "smbios.memory_modules[0].size_mb"},
        {R"({"caches": [{"level": 4}]})", "smbios.caches[0].level"},
        {R"({"raw": [{"strings": ["a"]}]})", "smbios.raw[0].hex"},
        {R"({"version": "10.1"})", "smbios.version"},
    };
    for (const Case& c : cases) {
        std::string strError;
        EXPECT_EQ(sim::CSimBoard::FromJson(dmitest::strBoardWith(c.pszSmbios), strError), nullptr) << c.pszSmbios;
        EXPECT_NE(strError.find(c.pszField), std::string::npos) << c.pszSmbios << ": " << strError;
    }
    // On the ACPI tables of the demo board.
    nlohmann::json board = DemoBoard();
    board["smbios"]["entry_point"] = "0xf6a40";
    board["smbios"]["table"] = "0xf6a60";
    std::string strError;
    EXPECT_EQ(sim::CSimBoard::FromJson(board.dump(), strError), nullptr);
    EXPECT_NE(strError.find("overlaps"), std::string::npos) << strError;
}

TEST(DmiBoard, TheKitKeepsTheInterfaceOnlyWhenATableIsFound)
{
    {
        CSimKit kit("demo");
        ASSERT_TRUE(kit.bReady());
        ORVEXSDK* pKit = ORVEXSDK::Instance();
        EXPECT_EQ(app::CreateDMIInterface(pKit), 1u);
        ASSERT_NE(pKit->m_pDMIInterface, nullptr);
        EXPECT_EQ(pKit->FindInterface(INTERFACE_DMI), static_cast<CInterface*>(pKit->m_pDMIInterface));
        EXPECT_EQ(pKit->m_pDMIInterface->m_pStructures->m_nCount, 15u);  // the caches and the end are not kept
        EXPECT_EQ(pKit->m_pDMIInterface->Init(), 1u);
    }
    nlohmann::json board = DemoBoard();
    board["smbios"]["damage"] = {{"bad_checksum", true}};
    CTempBoard file(board);
    CSimKit kit(file.strPath());
    ASSERT_TRUE(kit.bReady());
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    EXPECT_EQ(app::CreateDMIInterface(pKit), 0u);
    EXPECT_EQ(pKit->m_pDMIInterface, nullptr);
    EXPECT_EQ(pKit->FindInterface(INTERFACE_DMI), nullptr);
}

TEST(DmiCli, TheDemoBoardAsDmidecodeWouldPrintIt)
{
    ProgramResult r = Cli("--board demo --json dmi");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json d = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(d["bios-vendor"], "American Megatrends Inc.");
    EXPECT_EQ(d["bios-version"], "1004");
    EXPECT_EQ(d["bios-release-date"], "06/04/2007");
    EXPECT_EQ(d["system-manufacturer"], "System manufacturer");
    EXPECT_EQ(d["system-product-name"], "System Product Name");
    EXPECT_EQ(d["system-version"], "System Version");
    EXPECT_EQ(d["system-serial-number"], "System Serial Number");
    EXPECT_EQ(d["system-uuid"], "40B6001E-8C00-0017-31EA-00188F3F2E4A");  // 2.4: stored in order
    EXPECT_EQ(d["baseboard-manufacturer"], "ASUSTeK Computer INC.");
    EXPECT_EQ(d["baseboard-product-name"], "P5B-Deluxe");
    EXPECT_EQ(d["chassis-type"], "Desktop");
    EXPECT_EQ(d["processor-manufacturer"], "Intel");
    EXPECT_EQ(d["processor-version"], "Intel(R) Core(TM)2 CPU          6600  @ 2.40GHz");
    EXPECT_EQ(d["processor-frequency"], "2400 MHz");
    EXPECT_EQ(d["smbios-version"], "2.4");
    EXPECT_EQ(d["damaged"], false);
    ASSERT_EQ(d["memory-devices"].size(), 4u);
    int nInstalledMB = 0;
    for (const auto& device : d["memory-devices"]) {
        nInstalledMB += device["size-mb"].get<int>();
        if (device["size-mb"] != 0) {
            EXPECT_EQ(device["type"], "DDR2");
            EXPECT_EQ(device["speed-mhz"], 800);
        }
    }
    EXPECT_EQ(nInstalledMB, 2048);
    EXPECT_EQ(d["memory-devices"][2]["locator"], "DIMM B1");

    r = Cli("--board demo dmi --string bios-vendor");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "American Megatrends Inc.\n");
    r = Cli("--board demo dmi -s baseboard-product-name");
    EXPECT_EQ(r.strOut, "P5B-Deluxe\n");
}

TEST(DmiCli, TextReportsInTableOrder)
{
    const ProgramResult r = Cli("--board demo dmi");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut.rfind("DMI BIOS\n--------\n\tvendor\t\tAmerican Megatrends Inc.\n", 0), 0u) << r.strOut;
    size_t nDevices = 0;
    for (size_t n = r.strOut.find("DMI Memory Device\n"); n != std::string::npos; n = r.strOut.find("DMI Memory Device\n", n + 1))
        ++nDevices;
    EXPECT_EQ(nDevices, 4u);
    EXPECT_LT(r.strOut.find("DMI Processor"), r.strOut.find("DMI Memory Controller"));
    EXPECT_NE(r.strOut.find("\tmultiplier\t9.0x\n"), std::string::npos);
}

TEST(DmiCli, ADamagedTableGivesWhatIsWhole)
{
    ProgramResult r = Cli("--board damaged-tables --json dmi");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json d = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(d["damaged"], true);
    EXPECT_EQ(d["bios-vendor"], "Award Software International, Inc.");
    EXPECT_EQ(d["system-product-name"], "8IPE1000");
    EXPECT_EQ(d["system-version"], "Not Specified");  // index past the strings
    EXPECT_EQ(d["system-serial-number"], "Not Specified");
    EXPECT_TRUE(d["memory-devices"].empty());  // its formatted area runs past the table
    r = Cli("--board damaged-tables dmi");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("DMI System Enclosure"), std::string::npos);
}

TEST(DmiCli, NoTableIsExitOneAndAnUnknownKeywordExitTwo)
{
    nlohmann::json board = DemoBoard();
    board["smbios"]["damage"] = {{"bad_checksum", true}};
    CTempBoard file(board);
    ProgramResult r = Cli("--board " + file.strPath() + " dmi");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_NE(r.strErr.find("no SMBIOS/DMI table"), std::string::npos) << r.strErr;
    r = Cli("--board " + file.strPath() + " --json dmi");
    EXPECT_EQ(r.nStatus, 1);
    r = Cli("--board demo dmi --string bios-colour");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("bios-vendor"), std::string::npos);  // the list of keywords
}

}  // namespace
