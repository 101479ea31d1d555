// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon-cli --trace on the simulated boards: the write lines it prints on stderr, held
// against the record the board itself keeps of the writes it served and of the transactions
// on its SMBus (written to a file by the board as the program ends).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "RunProgram.h"
#include "WriteTraceRecord.h"
#include "app_test_env.h"

namespace {

using apptest::CAppDirs;
using tracetest::BoardRecord;

// The demo board's ICH8 SMBus host: its register block, as the trace names it.
const std::vector<tracetest::SMBusHost> DEMO_HOSTS = {{0x400, 0x20, "0x0400"}};

struct TracedRun {
    ProgramResult result;
    BoardRecord record;
};

// Runs pendulon-cli with the environment given (PENDULON_SIM_RECORD is added) and reads the
// board's record.
TracedRun RunCli(const CAppDirs& dirs, const std::string& strEnvironment, const std::string& strArguments)
{
    const std::string strRecord = dirs.strRoot("record.txt");
    std::remove(strRecord.c_str());
    TracedRun run;
    run.result = RunProgram(dirs.strEnvironment() + strEnvironment + " PENDULON_SIM_RECORD=" + strRecord + " " +
                                PENDULON_CLI_PATH,
                            strArguments);
    EXPECT_TRUE(tracetest::bParseRecord(strReadFile(strRecord), run.record)) << strReadFile(strRecord);
    return run;
}

TracedRun RunTraced(const CAppDirs& dirs, const std::string& strArguments)
{
    return RunCli(dirs, "", "--trace " + strArguments);
}

// Every write the board served is listed, in order, and nothing else is.
void vExpectEveryWriteListed(const TracedRun& run, const std::vector<tracetest::SMBusHost>& hosts)
{
    EXPECT_EQ(tracetest::HardwareLines(run.result.strErr), tracetest::ExpectedHardwareLines(run.record.Writes, hosts));
    std::vector<std::string> smbus;
    for (size_t nBus = 0; nBus < run.record.Buses.size() && nBus < hosts.size(); ++nBus) {
        const std::vector<std::string> lines = tracetest::ExpectedSMBusLines(run.record.Buses[nBus], hosts[nBus].strName);
        smbus.insert(smbus.end(), lines.begin(), lines.end());
    }
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write smbus "), smbus);
}

size_t nTransfers(const BoardRecord& record)
{
    size_t n = 0;
    for (const auto& bus : record.Buses) n += bus.size();
    return n;
}

TEST(CliTrace, PLLSetListsTheBlockWritesTheChipReceived)
{
    CAppDirs dirs;
    TracedRun run = RunTraced(dirs, "--board demo -y pll set 280 --model \"ICS 951462\"");
    ASSERT_EQ(run.result.nStatus, 0) << run.result.strErr;
    ASSERT_EQ(run.record.Buses.size(), 1u);
    // What the chip at 0x69 was sent, byte for byte, in order.
    std::vector<std::string> chip;
    for (const sim::SMBusTransfer& t : run.record.Buses[0]) {
        if (t.eOp == sim::SMBusOp::ReadByte || t.eOp == sim::SMBusOp::ReadWord || t.eOp == sim::SMBusOp::BlockRead)
            continue;
        ASSERT_EQ(t.eOp, sim::SMBusOp::BlockWrite);
        ASSERT_EQ(t.nAddress, 0x69);
        ASSERT_EQ(t.eStatus, sim::SMBusStatus::Ok);
        ASSERT_EQ(t.Data.size(), size_t(t.Data[0]) + 1);
        std::string strLine = "write smbus 0x0400 0x69 cmd 0x00 block " + std::to_string(t.Data[0]) + ":";
        for (size_t i = 1; i < t.Data.size(); ++i) {
            char sz[4];
            std::snprintf(sz, sizeof sz, " %02x", t.Data[i]);
            strLine += sz;
        }
        chip.push_back(strLine);
    }
    // The byte count repaired, then the walk: at least one step before the target.
    ASSERT_GE(chip.size(), 3u);
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write smbus "), chip);
    vExpectEveryWriteListed(run, DEMO_HOSTS);

    // Reading the chip repairs its byte count (9 at power-on, 21 registers): that is a write.
    run = RunTraced(dirs, "--board demo pll read --model \"ICS 951462\"");
    ASSERT_EQ(run.result.nStatus, 0) << run.result.strErr;
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write smbus "),
              std::vector<std::string>{"write smbus 0x0400 0x69 cmd 0x00 block 9: ff ff ff ff ff ff ff ff 15"});
    vExpectEveryWriteListed(run, DEMO_HOSTS);
}

TEST(CliTrace, ReadingCommandsWriteNothingToTheBus)
{
    CAppDirs dirs;
    for (const char* pszCommand : {"smbus scan", "pci", "cpu", "info"}) {
        TracedRun run = RunTraced(dirs, std::string("--board demo ") + pszCommand);
        ASSERT_EQ(run.result.nStatus, 0) << pszCommand << "\n" << run.result.strErr;
        EXPECT_EQ(tracetest::Lines(run.result.strErr, "write smbus "), std::vector<std::string>()) << pszCommand;
        vExpectEveryWriteListed(run, DEMO_HOSTS);
        // The host's registers were written all the same: the transactions ran.
        if (nTransfers(run.record)) {
            bool bHostWritten = false;
            for (const sim::AccessRecord& r : run.record.Writes)
                bHostWritten = bHostWritten || (r.eKind == sim::AccessKind::PortWrite && r.qwAddress >= 0x400 &&
                                                r.qwAddress < 0x420);
            EXPECT_TRUE(bHostWritten) << pszCommand;
        }
    }
    // smbus scan reads every address, and the configuration reads of pci select registers
    // in 0xCF8 without a line for it.
    TracedRun scan = RunTraced(dirs, "--board demo smbus scan");
    EXPECT_GT(nTransfers(scan.record), 100u);
    TracedRun pci = RunTraced(dirs, "--board demo pci");
    size_t nAddressWrites = 0;
    for (const sim::AccessRecord& r : pci.record.Writes) nAddressWrites += r.qwAddress == 0xCF8;
    EXPECT_GT(nAddressWrites, 100u);
    EXPECT_EQ(tracetest::Lines(pci.result.strErr, "write port 0x0cf8"), std::vector<std::string>());
}

TEST(CliTrace, RawWritesAreListedOnceEach)
{
    CAppDirs dirs;
    TracedRun run = RunTraced(dirs, "--board demo -y raw pci 00:1f.3 0x40.b =0x01");
    ASSERT_EQ(run.result.nStatus, 0) << run.result.strErr;
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write "), std::vector<std::string>{"write pci 00:1f.3 0x40.b 0x01"});
    vExpectEveryWriteListed(run, DEMO_HOSTS);

    run = RunTraced(dirs, "--board demo -y raw pci 00:1f.3 0x40.l =0x00000001");
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write "),
              std::vector<std::string>{"write pci 00:1f.3 0x40.l 0x00000001"});
    run = RunTraced(dirs, "--board demo -y raw port cf9.b =06");
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write "), std::vector<std::string>{"write port 0x0cf9.b 0x06"});
    vExpectEveryWriteListed(run, DEMO_HOSTS);
    run = RunTraced(dirs, "--board demo -y raw msr 199 --cpu 1 =616");
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write "),
              std::vector<std::string>{"write msr 0x199 cpu 1 0x0000000000000616"});
    vExpectEveryWriteListed(run, DEMO_HOSTS);
    // A write the machine refuses is listed as failed.
    run = RunTraced(dirs, "--board demo -y raw msr deadbeef =0");
    EXPECT_NE(run.result.nStatus, 0);
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write "),
              std::vector<std::string>{"write msr 0xdeadbeef cpu 0 0x0000000000000000 failed"});
    vExpectEveryWriteListed(run, DEMO_HOSTS);
}

TEST(CliTrace, TheEnvironmentSwitchesItOnAndNothingIsListedWithoutIt)
{
    CAppDirs dirs;
    TracedRun run = RunCli(dirs, "PENDULON_TRACE=1", "--board demo -y raw port cf9.b =06");
    ASSERT_EQ(run.result.nStatus, 0) << run.result.strErr;
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write "), std::vector<std::string>{"write port 0x0cf9.b 0x06"});
    run = RunCli(dirs, "", "--board demo -y pll set 280 --model \"ICS 951462\"");
    ASSERT_EQ(run.result.nStatus, 0) << run.result.strErr;
    EXPECT_FALSE(run.record.Writes.empty());
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write "), std::vector<std::string>());
}

// The SMBus host controllers of a board file (their register blocks, named by their base,
// in the order of the board's buses), and after them those the kit found where the board
// emulates none, as the trace reports them ("SMBus: controller at 0x....").
std::vector<tracetest::SMBusHost> BoardHosts(const std::filesystem::path& path, const std::string& strTrace)
{
    std::ifstream file(path);
    const nlohmann::json board = nlohmann::json::parse(file);
    std::vector<tracetest::SMBusHost> hosts;
    for (const nlohmann::json& controller : board.value("smbus", nlohmann::json::array())) {
        const nlohmann::json& base = controller["base"];
        const uint32_t dwBase = base.is_string() ? uint32_t(std::stoul(base.get<std::string>(), nullptr, 0))
                                                 : base.get<uint32_t>();
        hosts.push_back({dwBase, dwBase ? 0x40u : 0u, kit::strSMBusController(dwBase)});
    }
    for (const std::string& strLine : tracetest::Lines(strTrace, "SMBus: controller at ")) {
        const uint32_t dwBase = uint32_t(std::stoul(strLine.substr(21), nullptr, 16));
        bool bKnown = false;
        for (const tracetest::SMBusHost& host : hosts) bKnown = bKnown || host.dwBase == dwBase;
        if (!bKnown) hosts.push_back({dwBase, 0x40, kit::strSMBusController(dwBase)});
    }
    return hosts;
}

TEST(CliTrace, EveryBoardsSetUpIsListed)
{
    CAppDirs dirs;
    size_t nBoards = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PENDULON_BOARDS_DIR)) {
        if (entry.path().extension() != ".json") continue;
        const std::string strBoard = entry.path().stem().string();
        SCOPED_TRACE(strBoard);
        dirs.vSetBoard(strBoard);
        TracedRun run = RunTraced(dirs, "--board " + strBoard + " info");
        ASSERT_EQ(run.result.nStatus, 0) << run.result.strErr;
        vExpectEveryWriteListed(run, BoardHosts(entry.path(), run.result.strErr));
        ++nBoards;
    }
    EXPECT_GE(nBoards, 17u);
}

TEST(CliTrace, AChipsetPLLsRegistersAreListed)
{
    // The nForce2's FSB PLL is taken over at its first read: programmed to the measured clock
    // through configuration registers of the host bridge.
    CAppDirs dirs;
    dirs.vSetBoard("nforce2-ultra400");
    TracedRun run = RunTraced(dirs, "--board nforce2-ultra400 -y pll read");
    ASSERT_EQ(run.result.nStatus, 0) << run.result.strErr;
    vExpectEveryWriteListed(run, BoardHosts(std::filesystem::path(PENDULON_BOARDS_DIR) / "nforce2-ultra400.json",
                                            run.result.strErr));
    EXPECT_EQ(tracetest::Lines(run.result.strErr, "write pci 00:00.0 0xa4.l ").size(), 64u) << run.result.strErr;
}

TEST(CliTrace, AReadThatWouldTakeTheChipOverWritesNothingUnasked)
{
    // Without -y and without a terminal, pll read on the nForce2 makes no write that info,
    // which only reads, does not make too.
    CAppDirs dirs;
    dirs.vSetBoard("nforce2-ultra400");
    const TracedRun info = RunTraced(dirs, "--board nforce2-ultra400 info");
    ASSERT_EQ(info.result.nStatus, 0) << info.result.strErr;
    const TracedRun read = RunTraced(dirs, "--board nforce2-ultra400 pll read");
    EXPECT_EQ(read.result.nStatus, 2);
    EXPECT_NE(read.result.strErr.find("take the nForce2 FSB PLL over"), std::string::npos) << read.result.strErr;
    const std::vector<std::string> infoWrites = tracetest::Lines(info.result.strErr, "write ");
    for (const std::string& strLine : tracetest::Lines(read.result.strErr, "write "))
        EXPECT_NE(std::find(infoWrites.begin(), infoWrites.end(), strLine), infoWrites.end()) << strLine;
    EXPECT_TRUE(tracetest::Lines(read.result.strErr, "write pci 00:00.0 0xa").empty()) << read.result.strErr;
}

TEST(CliTrace, BadInputTouchesNothing)
{
    // Refused with exit status 2 before the kit is built: not one write, not even the kit's
    // own set-up.
    CAppDirs dirs;
    for (const char* pszArguments : {
             "--board demo -y pll set 2666 --model \"ICS 951462\"",
             "--board demo -y pll preset 3 --model \"ICS 951462\"",
             "--board demo -y pll set 200",
             "--board demo smbus scan --channel 1",
             "--board demo pll set 200 --model \"ICS 951462\"",
             "--board demo raw port 80 =55",
         }) {
        const TracedRun run = RunTraced(dirs, pszArguments);
        EXPECT_EQ(run.result.nStatus, 2) << pszArguments << ": " << run.result.strErr;
        EXPECT_TRUE(tracetest::Lines(run.result.strErr, "write ").empty()) << pszArguments << ": " << run.result.strErr;
    }
}

TEST(CliTrace, TheMultiplexerSwitchIsListedAroundTheTransaction)
{
    // The ICH7 board's GPIO drives the SMBus multiplexer; a device sits on channel 1.
    CAppDirs dirs;
    dirs.vSetBoard("i975x-ich7");
    TracedRun run = RunTraced(dirs, "--board i975x-ich7 info");
    ASSERT_EQ(run.result.nStatus, 0) << run.result.strErr;
    vExpectEveryWriteListed(run, {{0x400, 0x20, "0x0400"}});
    EXPECT_FALSE(tracetest::Lines(run.result.strErr, "write port 0x04b8.b ").empty()) << run.result.strErr;
}

}  // namespace
