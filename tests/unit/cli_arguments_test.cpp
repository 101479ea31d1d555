// SPDX-License-Identifier: GPL-2.0-or-later
// What the two programs do with the words they are given: a mistyped switch, an empty board,
// a stray argument or an unknown command is refused with exit status 2 and a message naming
// it, and nothing runs, least of all on this machine's hardware instead of the simulated
// board. A simulated board keeps its files apart from the real machine's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "RunProgram.h"
#include "app/RunNamespace.h"
#include "app/SettingsFile.h"
#include "app_test_env.h"

using apptest::CAppDirs;

namespace {

std::string strPendulon()
{
    const std::string strCli = PENDULON_CLI_PATH;
    return strCli.substr(0, strCli.rfind('/') + 1) + "pendulon";
}

// The entries of the work directory: a refused start must not even create one of its own.
size_t nEntries(const std::string& strDir)
{
    size_t n = 0;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(strDir, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        ++n;
    return n;
}

TEST(ProgramArguments, AnythingButItsSwitchesIsRefusedAndNothingRuns)
{
    CAppDirs dirs;
    const struct {
        const char* pszArguments;
        const char* pszMessage;
    } cases[] = {
        {"--bord=demo -i", "pendulon: unknown argument '--bord=demo'"},
        {"--board demo x=1", "pendulon: unknown argument 'x=1'"},
        {"--board demo -i q=0", "pendulon: unknown argument 'q=0'"},
        {"--board demo -i p=", "pendulon: unknown argument 'p='"},
        {"--board demo -i p=0x1", "pendulon: unknown argument 'p=0x1'"},
        {"--board demo -x", "pendulon: unknown argument '-x'"},
        {"--board demo --reset", "pendulon: unknown argument '--reset'"},
        {"--board demo stray", "pendulon: unknown argument 'stray'"},
        {"--board= -i", "pendulon: --board needs a board name or file"},
        {"--board '' -i", "pendulon: --board needs a board name or file"},
        {"-i --board", "pendulon: --board needs a board name or file"},
        {"--board demo p=0", "pendulon: p=N names the profile that -i applies"},
    };
    for (const auto& c : cases) {
        ProgramResult r = RunProgram(dirs.strEnvironment() + strPendulon(), c.pszArguments);
        EXPECT_EQ(r.nStatus, 2) << c.pszArguments;
        EXPECT_EQ(r.strErr.rfind(c.pszMessage, 0), 0u) << c.pszArguments << ": " << r.strErr;
        EXPECT_EQ(r.strOut, "") << c.pszArguments;
        EXPECT_EQ(nEntries(dirs.strRoot("")), 0u) << c.pszArguments;
    }
    // The switches themselves still work.
    ProgramResult r = RunProgram(dirs.strEnvironment() + strPendulon(), "--board=demo -i p=0");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
}

TEST(CliArguments, EmptyBoardsAndUnknownCommandsAreRefused)
{
    CAppDirs dirs;
    const struct {
        const char* pszArguments;
        const char* pszMessage;
    } cases[] = {
        {"--board= pci", "--board needs a board name or file"},
        {"--board '' pci", "--board needs a board name or file"},
        {"pci --board=", "--board needs a board name or file"},
        {"--bord=demo pci", "--bord=demo"},
        {"--board demo frobnicate", "unknown command 'frobnicate'"},
        {"--board demo pll frob", "unknown command 'pll frob'"},
        {"--board demo --json -y smbus frob 1", "unknown command 'smbus frob'"},
        {"--board demo pci extra", "extra"},
        // Bounds as numbers a person can read.
        {"--board demo monitor --count -1", "--count: Value -1 not in range 0 to 1000000000"},
    };
    for (const auto& c : cases) {
        ProgramResult r = RunProgram(dirs.strEnvironment() + PENDULON_CLI_PATH, c.pszArguments);
        EXPECT_EQ(r.nStatus, 2) << c.pszArguments;
        EXPECT_NE(r.strErr.find(c.pszMessage), std::string::npos) << c.pszArguments << ": " << r.strErr;
        EXPECT_LT(r.strErr.size(), 200u) << c.pszArguments << ": " << r.strErr;
        EXPECT_EQ(r.strOut, "") << c.pszArguments;
    }
}

TEST(BoardFiles, ASimulatedBoardNeverReadsOrReplacesTheRealMachinesFiles)
{
    CAppDirs dirs;
    // The real machine's settings name a model; the demo board's do not exist yet.
    dirs.vSetBoard("");
    dirs.vWrite(app::SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951446\nSNAP=0\n");
    dirs.vWrite("cg0.cgp", "[Pendulon Profile]\nPLLFSB=300.00\n");
    ProgramResult r = RunProgram(dirs.strEnvironment() + PENDULON_CLI_PATH, "--board demo settings show");
    EXPECT_EQ(r.nStatus, 1) << r.strOut;  // the board has none of its own
    r = RunProgram(dirs.strEnvironment() + PENDULON_CLI_PATH, "--board demo profile show");
    EXPECT_EQ(r.nStatus, 1) << r.strOut;

    // A start and "-i" on the board: its own files are read and written, the real ones not.
    r = RunProgram(dirs.strEnvironment() + strPendulon(), "--board demo -i");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;  // the board has no profile 0: nothing to apply
    dirs.vSetBoard("demo");
    dirs.vWrite(app::SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\nSNAP=1\n");
    r = RunProgram(dirs.strEnvironment() + PENDULON_CLI_PATH, "--board demo settings show");
    EXPECT_NE(r.strOut.find("ICS 951462"), std::string::npos) << r.strOut;
    dirs.vSetBoard("");
    EXPECT_EQ(dirs.strRead(app::SETTINGS_FILE_NAME), "[Pendulon]\nPLL=01951446\nSNAP=0\n");
    EXPECT_EQ(dirs.strRead("cg0.cgp"), "[Pendulon Profile]\nPLLFSB=300.00\n");
    r = RunProgram(dirs.strEnvironment() + PENDULON_CLI_PATH, "settings show");
    EXPECT_NE(r.strOut.find("ICS 951446"), std::string::npos) << r.strOut;

    // A board file by path keeps its files under its file name.
    EXPECT_EQ(app::strBoardNamespace(""), "");
    EXPECT_EQ(app::strBoardNamespace("demo"), "demo");
    EXPECT_EQ(app::strBoardNamespace("/some/where/my board.json"), "my_board");
    EXPECT_EQ(app::strBoardNamespace("../boards/"), "board");
    EXPECT_EQ(app::strBoardNamespace("../.."), "__");
}

}  // namespace

namespace {

// A board whose kernel has bound i801_smbus to the SMBus controller at 00:1f.3, as a
// distribution kernel does at boot.
std::string strBoardWithKernelDriver(const std::string& strBoard, const std::string& strPath)
{
    nlohmann::json board = nlohmann::json::parse(strReadFile(std::string(PENDULON_BOARDS_DIR) + "/" + strBoard + ".json"));
    for (nlohmann::json& function : board["pci"])
        if (function["at"] == "00:1f.3") function["kernel_driver"] = "i801_smbus";
    std::ofstream(strPath) << board.dump();
    return strPath;
}

TEST(KernelDriverGuard, EveryCommandThatNeedsTheSMBusNamesTheControllerAndTheModule)
{
    CAppDirs dirs;
    const std::string strDemo = strBoardWithKernelDriver("demo", dirs.strRoot("demo-bound.json"));
    const std::string strFBD = strBoardWithKernelDriver("i5000x-esb2", dirs.strRoot("fbd-bound.json"));
    dirs.vSetBoard("demo-bound");
    dirs.vWrite("cg0.cgp", "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n");
    const std::string strReason =
        "the kernel driver i801_smbus drives the SMBus controller at 0000:00:1f.3; unload it first (modprobe -r "
        "i2c_i801) or pass --force";
    const struct {
        std::string strProgram, strArguments;
    } cases[] = {
        {PENDULON_CLI_PATH, "--board " + strDemo + " smbus scan"},
        {PENDULON_CLI_PATH, "--board " + strDemo + " -y pll set 280 --model \"ICS 951462\""},
        {PENDULON_CLI_PATH, "--board " + strDemo + " -y profile apply"},
        {PENDULON_CLI_PATH, "--board " + strFBD + " membuf read"},
        {strPendulon(), "--board " + strDemo + " -i"},
    };
    for (const auto& c : cases) {
        ProgramResult r = RunProgram(dirs.strEnvironment() + c.strProgram, c.strArguments);
        EXPECT_EQ(r.nStatus, 1) << c.strArguments;
        EXPECT_NE(r.strErr.find(strReason), std::string::npos) << c.strArguments << ": " << r.strErr;
    }
    // Forced, the controller is used beside the driver.
    ProgramResult r = RunProgram(dirs.strEnvironment() + PENDULON_CLI_PATH,
                                 "--board " + strDemo + " --force pll read --model \"ICS 951462\"");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
}

}  // namespace
