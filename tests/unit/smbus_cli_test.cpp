// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon-cli smbus: the i2cdetect grid and the i2cdump table, reads and writes, and the
// refusal of bad input and of writes nobody confirmed.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "ChipsetTestKit.h"
#include "RunProgram.h"
#include "WriteTraceRecord.h"
#include "cli/SMBusOutput.h"

namespace {

ProgramResult Cli(const std::string& strArguments) { return RunProgram(PENDULON_CLI_PATH, strArguments); }

// The demo board with a register file at 0x69 whose first row spells out the printable
// column's cases, written to a file of its own.
class CBoardFile {
public:
    CBoardFile()
    {
        chipsettest::json board = chipsettest::BoardJson("demo");
        board["smbus"] = chipsettest::json::parse(R"([{"controller": "intel-ich4", "base": "0x0400",
            "function": "00:1f.3", "devices": [
                {"address": "0x69", "type": "registers",
                 "hex": "48 65 6c 6c 6f 00 ff 01 7f 80 20 7e 41 1f 7a 30  05 0a 10 20", "block_count": 5}]}])");
        std::ofstream(m_strPath) << board.dump();
    }
    ~CBoardFile() { std::remove(m_strPath.c_str()); }
    const std::string& strPath() const { return m_strPath; }

private:
    std::string m_strPath = "/tmp/pendulon-smbus-cli-" + std::to_string(getpid()) + ".json";
};

const char* const GRID_HEADER = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n";
const char* const DUMP_HEADER = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
const char* const ZERO_ROW_TAIL = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00    ................\n";

}  // namespace

TEST(SMBusCliScan, TheDemoGridShowsBothSPDEEPROMsAndTheClockChip)
{
    const ProgramResult result = Cli("--board demo smbus scan");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    const std::string strExpected = std::string(GRID_HEADER) +
                                    "00:          -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                                    "10: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                                    "20: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                                    "30: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                                    "40: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                                    "50: 50 -- 52 -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                                    "60: -- -- -- -- -- -- -- -- -- 69 -- -- -- -- -- -- \n"
                                    "70: -- -- -- -- -- -- -- --                         \n";
    EXPECT_EQ(result.strOut, strExpected);

    const ProgramResult json = Cli("--board demo --json smbus scan --channel 0");
    ASSERT_EQ(json.nStatus, 0) << json.strErr;
    const auto document = chipsettest::json::parse(json.strOut);
    EXPECT_EQ(document["channel"], 0);
    EXPECT_EQ(document["addresses"], chipsettest::json::parse("[80, 82, 105]"));

    const ProgramResult channel = Cli("--board demo smbus scan --channel 1");  // demo has one channel
    EXPECT_EQ(channel.nStatus, 2);
    EXPECT_TRUE(channel.strOut.empty());
}

TEST(SMBusCliList, ListsTheControllerWithItsBase)
{
    const ProgramResult result = Cli("--board demo smbus list");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(result.strOut,
              "smbus-0\tIntel_ICH4_SMBusIOSpace\tbase 0x0400\t1 channel\tIntel ICH8 SMBus\t"
              "read-byte,write-byte,read-word,write-word,read-block,write-block,block-by-bytes\n");
    const ProgramResult json = Cli("--board demo --json smbus list");
    ASSERT_EQ(json.nStatus, 0) << json.strErr;
    const auto document = chipsettest::json::parse(json.strOut);
    ASSERT_EQ(document["controllers"].size(), 1u);
    EXPECT_EQ(document["controllers"][0]["base"], 0x400);
}

TEST(SMBusCliDump, TheDumpLayoutOfI2cdump)
{
    CBoardFile file;
    const ProgramResult result = Cli("--board " + file.strPath() + " smbus dump 0x69");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    std::string strExpected = std::string(DUMP_HEADER) +
                              "00: 48 65 6c 6c 6f 00 ff 01 7f 80 20 7e 41 1f 7a 30    Hello..??? ~A?z0\n"
                              "10: 05 0a 10 20 00 00 00 00 00 00 00 00 00 00 00 00    ??? ............\n";
    for (const char* pszRow : {"20: ", "30: ", "40: ", "50: ", "60: ", "70: ", "80: ", "90: ", "a0: ", "b0: ", "c0: ",
                               "d0: ", "e0: ", "f0: "})
        strExpected += std::string(pszRow) + ZERO_ROW_TAIL;
    EXPECT_EQ(result.strOut, strExpected);

    // The SPD EEPROM of the demo board starts as every DDR2 SPD does: 128 bytes used, 256
    // bytes in the device, memory type 8.
    const ProgramResult spd = Cli("--board demo smbus dump 0x50");
    ASSERT_EQ(spd.nStatus, 0) << spd.strErr;
    EXPECT_EQ(spd.strOut.substr(0, std::string(DUMP_HEADER).size() + 13), std::string(DUMP_HEADER) + "00: 80 08 08 ");
}

TEST(SMBusCliDump, FailedReadsShowAsXXAndBlockDumpsEndWithTheBlock)
{
    cli::SMBusDumpCells cells{};
    cells[0] = 0x41;
    cells[2] = 0x00;
    const std::string strOut = cli::strSMBusDump(cells, 1);
    EXPECT_EQ(strOut, std::string(DUMP_HEADER) + "00: 41 XX 00 XX XX XX XX XX XX XX XX XX XX XX XX XX    AX.XXXXXXXXXXXXX\n");
    for (unsigned i = 0; i < 18; ++i) cells[i] = uint8_t(0x61 + i);
    EXPECT_EQ(cli::strSMBusDump(cells, 2, true),
              std::string(DUMP_HEADER) + "00: 61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70    abcdefghijklmnop\n"
                                         "10: 71 72                                              qr              \n");
}

TEST(SMBusCliGetSet, ReadsAndConfirmedWrites)
{
    CBoardFile file;
    const std::string strBoard = "--board " + file.strPath();
    ProgramResult result = Cli(strBoard + " smbus get 0x69 0x00");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(result.strOut, "0x48\n");
    result = Cli(strBoard + " smbus get 0x69 1 w");  // decimal command; the first byte is the low one
    EXPECT_EQ(result.strOut, "0x6c65\n");
    result = Cli(strBoard + " --json smbus get 0x69 0x10 b");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(chipsettest::json::parse(result.strOut)["value"], 5);
    // Numbers as i2c-tools read them: a leading 0 is octal, so 020 is register 0x10.
    result = Cli(strBoard + " --json smbus get 0x69 020 b");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(chipsettest::json::parse(result.strOut)["command"], 16);
    EXPECT_EQ(chipsettest::json::parse(result.strOut)["value"], 5);
    result = Cli(strBoard + " --json smbus get 0151 16 b");  // the address in octal
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(chipsettest::json::parse(result.strOut)["address"], 0x69);

    // The register file's block read: its count (5), then the registers from the command on.
    result = Cli(strBoard + " smbus get 0x69 0x10 s");
    EXPECT_EQ(result.strOut, "0x05 0x0a 0x10 0x20 0x00\n");

    // No terminal to ask on and no -y: refused, nothing written.
    result = Cli(strBoard + " smbus set 0x69 0x00 0x55");
    EXPECT_EQ(result.nStatus, 2);
    EXPECT_NE(result.strErr.find("refusing to write to the SMBus"), std::string::npos) << result.strErr;
    EXPECT_NE(result.strErr.find("-y"), std::string::npos);

    result = Cli(strBoard + " smbus get 0x51 0x00");  // nobody there
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("0x51"), std::string::npos);

    result = Cli(strBoard + " -y smbus set 0x69 0x00 0x55");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_TRUE(result.strOut.empty());
}

TEST(SMBusCliInput, BadInputIsRefusedBeforeAnythingIsTouched)
{
    for (const char* pszArguments :
         {"smbus get 0x78 0", "smbus get 0x02 0", "smbus get 0x50 0x100", "smbus get 0x50 0 q", "smbus get 0x50",
          "smbus get 0x50 0 b extra", "smbus set 0x50 0 0x100", "smbus set 0x50 0 0x10000 w", "smbus set 0x50 0 1 s",
          "smbus dump 0x50 w", "smbus dump zz", "smbus scan --channel 256", "smbus scan 0x50", "smbus list now",
          "smbus get 0x50 08", "smbus get 0x50 019", "smbus scan --channel 1"}) {
        const ProgramResult result = Cli(std::string("--board demo ") + pszArguments);
        EXPECT_EQ(result.nStatus, 2) << pszArguments;
        EXPECT_TRUE(result.strOut.empty()) << pszArguments;
        EXPECT_FALSE(result.strErr.empty()) << pszArguments;
    }
}

namespace {

// The demo board with devices that fail as real ones do: one that wins no arbitration, one
// that holds the clock low and one that breaks every transfer off.
class CFaultyBoardFile {
public:
    CFaultyBoardFile()
    {
        chipsettest::json board = chipsettest::BoardJson("demo");
        board["smbus"] = chipsettest::json::parse(R"([{"controller": "intel-ich4", "base": "0x0400",
            "function": "00:1f.3", "devices": [
                {"address": "0x69", "type": "registers", "hex": "01 02 03 04"},
                {"address": "0x2d", "type": "registers", "hex": "00", "fault": "collision"},
                {"address": "0x2e", "type": "registers", "hex": "00", "fault": "hold_clock"},
                {"address": "0x2f", "type": "registers", "hex": "00", "fault": "bus_error"}]}])");
        std::ofstream(m_strPath) << board.dump();
    }
    ~CFaultyBoardFile() { std::remove(m_strPath.c_str()); }
    const std::string& strPath() const { return m_strPath; }

private:
    std::string m_strPath = "/tmp/pendulon-smbus-faults-" + std::to_string(getpid()) + ".json";
};

}  // namespace

TEST(SMBusCliFailures, TheMessageSaysWhyTheTransactionFailed)
{
    CFaultyBoardFile file;
    const std::string strBoard = "--board " + file.strPath();
    const struct {
        const char* pszAddress;
        const char* pszCause;
    } cases[] = {
        {"0x51", "no device answers at 0x51"},
        {"0x2d", "the probe of 0x2d failed: the controller lost the bus to another master (collision)"},
        {"0x2e", "the probe of 0x2e failed: the controller timed out"},
        {"0x2f", "the probe of 0x2f failed: the controller reported a bus error"},
    };
    for (const auto& c : cases) {
        const ProgramResult result = Cli(strBoard + " smbus get " + c.pszAddress + " 0");
        EXPECT_EQ(result.nStatus, 1) << c.pszAddress;
        EXPECT_NE(result.strErr.find(c.pszCause), std::string::npos) << result.strErr;
        EXPECT_EQ(result.strErr.find("read of register"), std::string::npos) << result.strErr;
    }
}

TEST(SMBusCliFunctions, ACommandTheControllerCannotRunIsRefusedBeforeTheBus)
{
    // The nForce2 host runs byte transfers only: a word read, a word write or a block read is
    // refused with exit 2 before the kit is built.
    const std::string strRecord = "/tmp/pendulon-smbus-funcs-" + std::to_string(getpid()) + ".txt";
    for (const char* pszCommand : {"smbus get 0x50 0 w", "smbus dump 0x50 s", "-y smbus set 0x50 0 0x1234 w"}) {
        std::remove(strRecord.c_str());
        const ProgramResult result = RunProgram("PENDULON_SIM_RECORD=" + strRecord + " " + PENDULON_CLI_PATH,
                                                std::string("--board nforce2-ultra400 ") + pszCommand);
        EXPECT_EQ(result.nStatus, 2) << pszCommand << ": " << result.strErr;
        EXPECT_NE(result.strErr.find("the SMBus controller (nVidia nForce2 Ultra 400 SMBus) cannot do "),
                  std::string::npos)
            << result.strErr;
        EXPECT_NE(result.strErr.find("it can do read-byte,write-byte"), std::string::npos) << result.strErr;
        // Refused from the PCI functions, before the kit is built: the board served nothing
        // but the selection of configuration registers, and no transaction on its SMBus.
        const std::string strText = strReadFile(strRecord);
        tracetest::BoardRecord record;
        ASSERT_TRUE(tracetest::bParseRecord(strText, record)) << strText;
        for (const auto& bus : record.Buses) EXPECT_TRUE(bus.empty()) << pszCommand << ": the bus was touched";
        std::istringstream lines(strText);
        for (std::string strLine; std::getline(lines, strLine);) {
            if (strLine.rfind("board ", 0) == 0) continue;
            EXPECT_EQ(strLine.rfind("port-write cf8 ", 0), 0u) << pszCommand << ": " << strLine;
        }
    }
    std::remove(strRecord.c_str());
    const ProgramResult byte = Cli("--board nforce2-ultra400 smbus get 0x50 0");
    EXPECT_EQ(byte.nStatus, 0) << byte.strErr;

    const ProgramResult list = Cli("--board nforce2-ultra400 --json smbus list");
    ASSERT_EQ(list.nStatus, 0) << list.strErr;
    const auto document = chipsettest::json::parse(list.strOut);
    ASSERT_FALSE(document["controllers"].empty());
    EXPECT_EQ(document["controllers"][0]["name"], "nVidia nForce2 Ultra 400 SMBus");
    EXPECT_EQ(document["controllers"][0]["functions"], chipsettest::json::parse(R"(["read-byte", "write-byte"])"));
}
