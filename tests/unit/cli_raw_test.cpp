// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "RunProgram.h"

namespace {

ProgramResult Cli(const std::string& strArguments) { return RunProgram(PENDULON_CLI_PATH, strArguments); }

TEST(CliRaw, ReadsTheDemoBoardsRegisters)
{
    ProgramResult r = Cli("--board demo raw pci 00:00.0 0.l");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "29a08086\n");
    r = Cli("--board demo raw pci 00:1f.3 0a.w");
    EXPECT_EQ(r.strOut, "0c05\n");
    r = Cli("--board demo raw msr 198 --cpu 1");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut.size(), 17u);
    EXPECT_EQ(std::stoull(r.strOut, nullptr, 16) >> 8 & 0x1F, 9u);  // the current ratio
    r = Cli("--board demo raw mem 0 20");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(std::count(r.strOut.begin(), r.strOut.end(), '\n'), 2);
    r = Cli("--board demo --json raw pci 00:1f.3 20.l");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json document = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(document["address"], "00:1f.3");
    EXPECT_EQ(document["value"].get<uint32_t>() & ~1u, 0x400u);
}

TEST(CliRaw, WritesAreAskedForAndSucceedSilently)
{
    // Without -y and without a terminal to ask on, a write names itself and is refused.
    const struct {
        const char* pszArguments;
        const char* pszWhat;
    } cases[] = {
        {"raw pci 00:1f.3 40.b =01", "write 0x01 to configuration register 0x040 of 00:1f.3 (byte)"},
        {"raw port 80 =55", "write 0x55 to I/O port 0x0080 (byte)"},
        {"raw port cf9.b =6", "write 0x06 to I/O port 0x0cf9 (byte)"},
        {"raw msr 10 --cpu 1 =0", "write 0x0000000000000000 to MSR 0x10 of CPU 1"},
    };
    for (const auto& c : cases) {
        ProgramResult r = Cli(std::string("--board demo ") + c.pszArguments);
        EXPECT_EQ(r.nStatus, 2) << c.pszArguments;
        EXPECT_NE(r.strErr.find(std::string("refusing to write to the hardware without asking (the program would ") + c.pszWhat + ")"), std::string::npos)
            << r.strErr;
        r = Cli(std::string("--board demo -y ") + c.pszArguments);
        EXPECT_EQ(r.nStatus, 0) << c.pszArguments << ": " << r.strErr;
        EXPECT_EQ(r.strOut, "");
    }
}

TEST(CliRaw, BadInputIsExitStatusTwoWithOneLine)
{
    const char* apszBad[] = {
        "--board demo raw pci 00:20.0 0.l",       // device beyond 1f
        "--board demo raw pci 00:00.0 0.q",       // no such width
        "--board demo raw pci 00:00.0 2.l",       // unaligned
        "--board demo raw pci 00:00.0 1000",      // beyond the 4 KiB space
        "--board demo raw pci 00:00.0 104.b =1",  // partial write beyond 0xff
        "--board demo raw pci 00:00.0 40.b =100", // value wider than the register
        "--board demo raw port 10000",            // no such port
        "--board demo raw mem ffffff00 200",      // runs past 4 GiB
        "--board demo raw msr 198 --cpu 7",       // the board has two processors
        "--board no-such-board raw port 80",
        "--board /nonexistent/board.json raw port 80",
        "--board ../boards/demo raw port 80",     // a path (it has a slash) to no file
        "raw",
        "--no-such-option raw port 80",
    };
    for (const char* pszArguments : apszBad) {
        const ProgramResult r = Cli(pszArguments);
        EXPECT_EQ(r.nStatus, 2) << pszArguments << ": " << r.strErr;
        EXPECT_EQ(std::count(r.strErr.begin(), r.strErr.end(), '\n'), 1) << pszArguments << ": " << r.strErr;
        EXPECT_EQ(r.strOut, "") << pszArguments;
    }
}

TEST(CliRaw, MalformedBoardFileIsExitStatusTwo)
{
    char szPath[] = "/tmp/pendulon-board-XXXXXX.json";
    const int nFd = mkstemps(szPath, 5);
    ASSERT_GE(nFd, 0);
    ASSERT_EQ(write(nFd, "{\"name\": \"broken\", \"pci\": [", 27), 27);
    close(nFd);
    const ProgramResult r = Cli(std::string("--board ") + szPath + " raw port 80");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find(szPath), std::string::npos) << r.strErr;  // names the board file
    unlink(szPath);
}

// On this machine, through the real access device: the host bridge's ids as the kernel sees them.
TEST(CliRaw, ReadsThisHostsHostBridgeAsTheKernelSeesIt)
{
    const std::string strVendor = strReadFile("/sys/bus/pci/devices/0000:00:00.0/vendor");
    const std::string strDevice = strReadFile("/sys/bus/pci/devices/0000:00:00.0/device");
    if (geteuid() != 0 || strVendor.empty()) GTEST_SKIP() << "needs root and a PCI host bridge at 00:00.0";
    const ProgramResult r = Cli("raw pci 00:00.0 0.l");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const unsigned long dwExpected = std::stoul(strDevice, nullptr, 16) << 16 | std::stoul(strVendor, nullptr, 16);
    EXPECT_EQ(std::stoul(r.strOut, nullptr, 16), dwExpected);
}

}  // namespace
