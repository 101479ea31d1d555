// SPDX-License-Identifier: GPL-2.0-or-later
// The programs as the user runs them: pendulon with "-i" and "-u", a second pendulon beside a
// running one, and the profile, startup, monitor and settings commands of pendulon-cli.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "RunProgram.h"
#include "app/ProfileFile.h"
#include "app/RunAtStartup.h"
#include "app/SettingsFile.h"
#include "app_test_env.h"

using apptest::CAppDirs;

namespace {

std::string strProgram()
{
    const std::string strCli = PENDULON_CLI_PATH;
    return strCli.substr(0, strCli.rfind('/') + 1) + "pendulon";
}

ProgramResult RunPendulon(const CAppDirs& dirs, const std::string& strArguments)
{
    return RunProgram(dirs.strEnvironment() + strProgram(), strArguments);
}

ProgramResult RunCli(const CAppDirs& dirs, const std::string& strArguments)
{
    return RunProgram(dirs.strEnvironment() + PENDULON_CLI_PATH, strArguments);
}

// pendulon running in the background until it is told to end.
class CRunningProgram {
public:
    CRunningProgram(const CAppDirs& dirs, const std::string& strArguments) : m_strOut(dirs.strWork("out.txt"))
    {
        const std::string strCommand =
            "exec env " + dirs.strEnvironment() + "PENDULON_STARTUP_TIMING=1 " + strProgram() + " " + strArguments + " >" + m_strOut + " 2>&1";
        m_Pid = fork();
        if (m_Pid == 0) {
            execl("/bin/sh", "sh", "-c", strCommand.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~CRunningProgram() { nStop(); }
    // Waits until its main window is on screen; false when it ended first.
    bool bWaitRunning()
    {
        while (strReadFile(m_strOut).find("main window on screen") == std::string::npos) {
            if (waitpid(m_Pid, &m_nStatus, WNOHANG) == m_Pid) {
                m_Pid = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
    int nStop()
    {
        if (m_Pid > 0) {
            kill(m_Pid, SIGTERM);
            waitpid(m_Pid, &m_nStatus, 0);
            m_Pid = -1;
        }
        return WIFEXITED(m_nStatus) ? WEXITSTATUS(m_nStatus) : -1;
    }
    std::string strOutput() const { return strReadFile(m_strOut); }

private:
    std::string m_strOut;
    pid_t m_Pid = -1;
    int m_nStatus = 0;
};

}  // namespace

TEST(AppProgram, ApplyAtBootIsSilentOnSuccess)
{
    CAppDirs dirs;
    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n");
    ProgramResult result = RunPendulon(dirs, "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(result.strOut, "");
    EXPECT_EQ(result.strErr, "");
    EXPECT_FALSE(dirs.bExists(app::SETTINGS_FILE_NAME));

    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\nPLLFSB=280.00\n");  // no model to walk with
    result = RunPendulon(dirs, "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("could not be applied"), std::string::npos);
}

TEST(AppProgram, RunsUntilTerminatedAndWritesTheSettings)
{
    CAppDirs dirs;
    dirs.vWrite(app::SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\nGSB=0\nSNAP=0\n");
    CRunningProgram program(dirs, "--board demo");
    ASSERT_TRUE(program.bWaitRunning()) << program.strOutput();

    // A second instance says so and ends at once, touching nothing: "-u" would have deleted
    // the file. With no session bus it cannot bring the first one's window up, and says why.
    ProgramResult second = RunPendulon(dirs, "--board demo -u");
    EXPECT_EQ(second.nStatus, 1);
    EXPECT_EQ(second.strOut, "");
    EXPECT_EQ(second.strErr.rfind("pendulon: Pendulon is already running (there is no session bus", 0), 0u)
        << second.strErr;
    EXPECT_TRUE(dirs.bExists(app::SETTINGS_FILE_NAME));

    EXPECT_EQ(program.nStop(), 0);
    // The settings come back as they were, with the main window's placement added.
    const std::string strSettings = dirs.strRead(app::SETTINGS_FILE_NAME);
    EXPECT_EQ(strSettings.rfind("[Pendulon]\nPLL=01951462\nGSB=0\nSNAP=0\nMAINWINDOW=", 0), 0u) << strSettings;
}

TEST(AppProgram, ResetWithoutSettingsDeletesNothing)
{
    CAppDirs dirs;
    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\n");
    CRunningProgram program(dirs, "--board demo -u");
    ASSERT_TRUE(program.bWaitRunning()) << program.strOutput();
    EXPECT_EQ(program.nStop(), 0);
    EXPECT_TRUE(dirs.bExists(app::strProfileFileName(0)));
    EXPECT_FALSE(dirs.bExists(app::SETTINGS_FILE_NAME));
}

TEST(AppProgram, BadArgumentsAreRefused)
{
    CAppDirs dirs;
    ProgramResult result = RunPendulon(dirs, "--bored demo");
    EXPECT_EQ(result.nStatus, 2);
    EXPECT_NE(result.strErr.find("unknown argument"), std::string::npos);
    result = RunPendulon(dirs, "--board no-such-board -i");
    EXPECT_EQ(result.nStatus, 2);
    EXPECT_NE(result.strErr.find("no-such-board"), std::string::npos);
}

TEST(AppCli, ProfileSaveShowAndApply)
{
    CAppDirs dirs;
    ProgramResult result = RunCli(dirs, "--board demo profile save");
    EXPECT_EQ(result.nStatus, 1);  // no model chosen yet
    EXPECT_FALSE(dirs.bExists(app::strProfileFileName(0)));

    dirs.vWrite(app::SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\n");
    result = RunCli(dirs, "--board demo profile save 3");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    const std::string strProfile = dirs.strRead(app::strProfileFileName(3));
    EXPECT_EQ(strProfile.rfind("[Pendulon Profile]\nPLLDUMP=", 0), 0u) << strProfile;

    result = RunCli(dirs, "--board demo profile show 3");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strOut.find("image\t"), std::string::npos) << result.strOut;
    result = RunCli(dirs, "--json --board demo profile show 3");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(nlohmann::json::parse(result.strOut)["steps"][0]["action"], "image");

    result = RunCli(dirs, "--board demo profile apply 3");  // no terminal to ask on, no -y
    EXPECT_EQ(result.nStatus, 2);
    result = RunCli(dirs, "-y --board demo profile apply 3");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    result = RunCli(dirs, "--board demo profile show 4");
    EXPECT_EQ(result.nStatus, 1);
}

TEST(AppCli, AModelNamedOnceIsTheChosenOneButNotWhileTheProgramRuns)
{
    CAppDirs dirs;
    dirs.vWrite(app::SETTINGS_FILE_NAME, "[Pendulon]\nSNAP=0\n");
    EXPECT_EQ(RunCli(dirs, "--board demo pll read").nStatus, 2);  // no model named yet
    ProgramResult result = RunCli(dirs, "--board demo pll read --model 0x01951462");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(dirs.strRead(app::SETTINGS_FILE_NAME), "[Pendulon]\nPLL=01951462\nSNAP=0\n");
    // Named once, it reads without --model, and profile save takes it too.
    result = RunCli(dirs, "--board demo pll read");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strOut.find("ICS 951462"), std::string::npos) << result.strOut;
    ASSERT_EQ(RunCli(dirs, "--board demo profile save").nStatus, 0);
    EXPECT_TRUE(dirs.bExists(app::strProfileFileName(0)));

    // While pendulon runs on the board it writes the file at exit: the CLI leaves it, says so,
    // and reads all the same with the model it was given.
    CRunningProgram program(dirs, "--board demo");
    ASSERT_TRUE(program.bWaitRunning()) << program.strOutput();
    result = RunCli(dirs, "--board demo pll read --model \"ICS 951462\"");  // the one it names already
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(result.strErr, "");
    result = RunCli(dirs, "--board demo pll read --model \"ICS 951412\"");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strErr.find("pendulon runs, so ICS 951412 (0x01951412) is not stored"), std::string::npos)
        << result.strErr;
    EXPECT_EQ(dirs.strRead(app::SETTINGS_FILE_NAME), "[Pendulon]\nPLL=01951462\nSNAP=0\n");
    program.nStop();
    EXPECT_EQ(dirs.strRead(app::SETTINGS_FILE_NAME).rfind("[Pendulon]\nPLL=01951462\nGSB=1\nSNAP=0\n", 0), 0u);
}

TEST(AppCli, StartupStatusAndDisableLeaveNothingBehind)
{
    CAppDirs dirs;
    ProgramResult result = RunCli(dirs, "startup status");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_EQ(result.strOut.rfind("disabled\t", 0), 0u);
    EXPECT_NE(result.strOut.find("boot apply\tarmed"), std::string::npos) << result.strOut;
    // The units as "startup enable" writes them (it runs on this machine's hardware only).
    ASSERT_TRUE(app::SetRunAtStartup(strProgram()));
    result = RunCli(dirs, "startup status");
    EXPECT_EQ(result.strOut.rfind("enabled\t", 0), 0u) << result.strOut;
    EXPECT_EQ(result.strOut.find("is missing"), std::string::npos) << result.strOut;
    // A boot that did not survive its apply: the state and how to arm it again.
    std::ofstream(dirs.strRoot("boot-apply.skipped"))
        << "[Pendulon Boot Apply Skipped]\nFAILEDBOOT=0badb007\nFAILEDTIME=1700000000\nSINCE=1700000100\n";
    result = RunCli(dirs, "startup status");
    EXPECT_NE(result.strOut.find("boot apply\tskipped since "), std::string::npos) << result.strOut;
    EXPECT_NE(result.strOut.find("did not survive"), std::string::npos) << result.strOut;
    EXPECT_NE(result.strOut.find("pendulon-cli startup enable"), std::string::npos) << result.strOut;
    result = RunCli(dirs, "--json startup status");
    nlohmann::json document = nlohmann::json::parse(result.strOut);
    EXPECT_EQ(document["boot_apply"]["state"], "skipped");
    EXPECT_EQ(document["boot_apply"]["applied"], 1700000000);
    EXPECT_EQ(document["boot_apply"]["skipped_since"], 1700000100);

    // The timer's link gone (a unit tree of an older version): status says what follows.
    std::filesystem::remove(dirs.strSystemd() + "/timers.target.wants/pendulon-apply-ok.timer");
    result = RunCli(dirs, "startup status");
    EXPECT_NE(result.strOut.find("pendulon-apply-ok.timer is missing"), std::string::npos) << result.strOut;

    result = RunCli(dirs, "startup disable");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_TRUE(std::filesystem::is_empty(dirs.strSystemd()));
    result = RunCli(dirs, "--json startup status");
    EXPECT_EQ(nlohmann::json::parse(result.strOut)["enabled"], false);
}

TEST(AppCli, StartupTakesNoSimulatedBoard)
{
    CAppDirs dirs;
    dirs.vWrite(app::SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\n");
    for (const char* pszCommand : {"enable", "disable"}) {
        SCOPED_TRACE(pszCommand);
        const ProgramResult result = RunCli(dirs, std::string("--board demo startup ") + pszCommand);
        EXPECT_EQ(result.nStatus, 2);
        EXPECT_NE(result.strErr.find("this machine's own profile 0"), std::string::npos) << result.strErr;
        EXPECT_TRUE(std::filesystem::is_empty(dirs.strSystemd()));
        EXPECT_FALSE(dirs.bExists(app::strProfileFileName(0)));
    }
}

TEST(AppProgram, ApplyAtBootIsSkippedAfterABootThatDidNotSurviveItUntilArmedAgain)
{
    CAppDirs dirs;
    dirs.vWrite(app::SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\n");
    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n");
    // The machine went down before the apply of that boot was confirmed.
    dirs.vWrite("boot-apply.mark",
                "[Pendulon Boot Apply]\nBOOT=0badb007-0000-4000-8000-000000000000\nTIME=1700000000\n");
    ProgramResult result = RunPendulon(dirs, "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("did not survive"), std::string::npos) << result.strErr;
    EXPECT_NE(result.strErr.find("pendulon-cli --board demo profile save"), std::string::npos) << result.strErr;
    EXPECT_TRUE(dirs.bExists("boot-apply.skipped"));
    // Every later boot skips too.
    result = RunPendulon(dirs, "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("skipped since"), std::string::npos) << result.strErr;
    result = RunCli(dirs, "--board demo startup status");
    EXPECT_NE(result.strOut.find("boot apply\tskipped since"), std::string::npos) << result.strOut;
    EXPECT_NE(result.strOut.find("profile 0\t" + dirs.strWork(app::strProfileFileName(0))), std::string::npos)
        << result.strOut;
    // The real machine's state is its own.
    EXPECT_NE(RunCli(dirs, "startup status").strOut.find("boot apply\tarmed"), std::string::npos);

    // A new profile 0 arms it again.
    result = RunCli(dirs, "--board demo profile save");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strOut.find("armed again"), std::string::npos) << result.strOut;
    EXPECT_FALSE(dirs.bExists("boot-apply.skipped"));
    result = RunPendulon(dirs, "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(dirs.strRead("boot-apply.mark").find("BOOT=" + apptest::strThisBoot() + "\n"), std::string::npos);
    result = RunCli(dirs, "--json --board demo startup status");
    EXPECT_EQ(nlohmann::json::parse(result.strOut)["boot_apply"]["state"], "pending") << result.strOut;
    // Started twice in one boot: no failure.
    result = RunPendulon(dirs, "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;

    // The confirm timer's command clears the mark of this boot only.
    result = RunCli(dirs, "--board demo startup confirm");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strOut.find("confirmed"), std::string::npos) << result.strOut;
    EXPECT_FALSE(dirs.bExists("boot-apply.mark"));
    EXPECT_NE(RunCli(dirs, "--board demo startup status").strOut.find("boot apply\tarmed"), std::string::npos);
    dirs.vWrite("boot-apply.mark", "[Pendulon Boot Apply]\nBOOT=0badb007\nTIME=1700000000\n");
    result = RunCli(dirs, "--board demo startup confirm");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_TRUE(dirs.bExists("boot-apply.mark"));
    // The pendulon program keeps its switches: there is no confirm there.
    EXPECT_EQ(RunPendulon(dirs, "--board demo confirm").nStatus, 2);
}

TEST(AppCli, ProfileLinesThatCannotBeReadAreNamed)
{
    CAppDirs dirs;
    dirs.vWrite(app::strProfileFileName(5), "[Pendulon Profile]\r\nPLLDUMP=02 1A 2B \r\nPLLDUMP=03 1A 2B \r\n"
                                            "PLLFSB=fast\r\nPLLVOLT=1.65\r\nPLLGSB=5000\r\n");
    ProgramResult result = RunCli(dirs, "--board demo profile show 5");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strOut.find("image\t2 bytes: 1A 2B"), std::string::npos) << result.strOut;
    for (const char* pszLine : {"line 3 (\"PLLDUMP=03 1A 2B \")", "line 4 (\"PLLFSB=fast\")",
                                "line 5 (\"PLLVOLT=1.65\")", "line 6 (\"PLLGSB=5000\")"})
        EXPECT_NE(result.strErr.find(pszLine), std::string::npos) << pszLine << "\n" << result.strErr;
    EXPECT_EQ(result.strErr.find("line 2"), std::string::npos) << result.strErr;
    result = RunCli(dirs, "--json --board demo profile show 5");
    const nlohmann::json document = nlohmann::json::parse(result.strOut);
    ASSERT_EQ(document["warnings"].size(), 4u) << result.strOut;
    EXPECT_EQ(document["warnings"][0]["line"], 3);
    EXPECT_EQ(document["warnings"][0]["text"], "PLLDUMP=03 1A 2B ");
    // Bytes that are no text are shown escaped, in the JSON document too.
    dirs.vWrite(app::strProfileFileName(8), "[Pendulon Profile]\nPLLDUMP=01 \xFF\xFE \n\xC3(\n");
    result = RunCli(dirs, "--json --board demo profile show 8");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    const nlohmann::json escaped = nlohmann::json::parse(result.strOut);
    ASSERT_EQ(escaped["warnings"].size(), 2u) << result.strOut;
    EXPECT_EQ(escaped["warnings"][0]["why"].get<std::string>().rfind("\"\\xFF\\xFE\" is not", 0), 0u) << result.strOut;
    EXPECT_EQ(escaped["warnings"][1]["text"], "\\xC3(");

    // Applied: the good line is, the others are named, and the apply counts as done.
    result = RunCli(dirs, "-y --board demo profile apply 5");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strErr.find("warning: profile 5, line 4 (\"PLLFSB=fast\")"), std::string::npos) << result.strErr;
    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\nPLLDUMP=02 1A 2B \nPLLDUMP=02 1A \n");
    result = RunPendulon(dirs, "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strErr.find("line 3 (\"PLLDUMP=02 1A \")"), std::string::npos) << result.strErr;
}

TEST(AppCli, ProfileApplyFailsWhenNothingCouldBeApplied)
{
    CAppDirs dirs;
    // Nothing that can be read.
    dirs.vWrite(app::strProfileFileName(6), "[Pendulon Profile]\nPLLFSB=fast\nPLLDUMP=zz \n");
    ProgramResult result = RunCli(dirs, "-y --board demo profile apply 6");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("holds nothing that can be applied"), std::string::npos) << result.strErr;
    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\nPLLFSB=fast\n");
    result = RunPendulon(dirs, "--board demo -i p=0");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("holds nothing that can be applied"), std::string::npos) << result.strErr;
    // A profile without its header line.
    dirs.vWrite(app::strProfileFileName(6), "PLLDUMP=02 1A 2B \n");
    result = RunCli(dirs, "-y --board demo profile apply 6");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("no \"[Pendulon Profile]\" line"), std::string::npos) << result.strErr;
    // A profile of its header alone asks for nothing, as no profile at all does at boot.
    dirs.vWrite(app::strProfileFileName(6), "[Pendulon Profile]\n");
    EXPECT_EQ(RunCli(dirs, "-y --board demo profile apply 6").nStatus, 0);
    // A profile that is not there is not applied by hand.
    result = RunCli(dirs, "-y --board demo profile apply 7");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("there is no profile 7"), std::string::npos) << result.strErr;
}

TEST(AppCli, ProfileClockOutsideTheModelsRangeIsRefused)
{
    CAppDirs dirs;
    dirs.vSetBoard("nforce2-ultra400");
    dirs.vWrite(app::strProfileFileName(1), "[Pendulon Profile]\nPLLFSB=450.00\n");
    ProgramResult result = RunCli(dirs, "-y --board nforce2-ultra400 profile apply 1");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("FSB of 450.00 MHz is outside the range of the NVIDIA nForce2 (10000020), "
                                 "66.67 to 400.00 MHz"),
              std::string::npos)
        << result.strErr;
    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\nPLLFSB=450.00\n");
    result = RunPendulon(dirs, "--board nforce2-ultra400 -i p=0");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find("outside the range"), std::string::npos) << result.strErr;
    // Within the range it is walked.
    dirs.vWrite(app::strProfileFileName(1), "[Pendulon Profile]\nPLLFSB=210.00\n");
    result = RunCli(dirs, "-y --board nforce2-ultra400 profile apply 1");
    EXPECT_EQ(result.nStatus, 0) << result.strErr;
}

TEST(AppCli, MonitorCountsItsRefreshes)
{
    CAppDirs dirs;
    ProgramResult result = RunCli(dirs, "--json --board demo monitor --count 2");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    std::istringstream lines(result.strOut);
    std::string strLine;
    int nRows = 0;
    while (std::getline(lines, strLine)) {
        const nlohmann::json row = nlohmann::json::parse(strLine);
        EXPECT_GT(row["bus_mhz"].get<double>(), 0.0);
        ++nRows;
    }
    EXPECT_EQ(nRows, 2);
}

TEST(AppCli, SettingsShow)
{
    CAppDirs dirs;
    dirs.vSetBoard("");  // the real machine's settings: the command touches no hardware
    ProgramResult result = RunCli(dirs, "settings show");
    EXPECT_EQ(result.nStatus, 1);
    dirs.vWrite(app::SETTINGS_FILE_NAME, "[Pendulon]\r\nPLL=01951462\r\nSNAP=0\r\nCLOCKSWINDOW=1 0 1 420 755 400 530\r\n");
    result = RunCli(dirs, "settings show");
    ASSERT_EQ(result.nStatus, 0) << result.strErr;
    EXPECT_NE(result.strOut.find("model\t01951462 (ICS 951462)"), std::string::npos) << result.strOut;
    EXPECT_NE(result.strOut.find("Clocks\topen"), std::string::npos) << result.strOut;
    result = RunCli(dirs, "--json settings show");
    const nlohmann::json document = nlohmann::json::parse(result.strOut);
    EXPECT_EQ(document["lines"][1]["value"], 0);
}

TEST(AppCli, FilesThatAreRefusedAreNamedAndLeftAsTheyAre)
{
    CAppDirs dirs;
    const std::string strProfile = dirs.strWork(app::strProfileFileName(0));
    dirs.vWrite("placeholder", "");
    ASSERT_EQ(mkfifo(strProfile.c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(dirs.strRoot(app::SETTINGS_FILE_NAME).c_str(), 0644), 0);
    {
        apptest::CFifoUnblocker profile(strProfile), settings(dirs.strRoot(app::SETTINGS_FILE_NAME));
        const struct {
            const char* pszArguments;
            std::string strFile;
        } cases[] = {
            {"settings show", dirs.strRoot(app::SETTINGS_FILE_NAME)},
            {"--board demo profile show", strProfile},
            {"-y --board demo profile apply", strProfile},
        };
        for (const auto& c : cases) {
            const ProgramResult result = RunCli(dirs, c.pszArguments);
            EXPECT_EQ(result.nStatus, 1) << c.pszArguments;
            EXPECT_NE(result.strErr.find(c.strFile + " is a FIFO, not a regular file"), std::string::npos)
                << c.pszArguments << ": " << result.strErr;
        }
        EXPECT_EQ(profile.nOpened() + settings.nOpened(), 0) << "a FIFO was waited on";
    }
    std::filesystem::remove(strProfile);
    dirs.vWrite(app::strProfileFileName(0), "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n" + std::string(2 << 20, ' '));
    ProgramResult result = RunCli(dirs, "--board demo profile show");
    EXPECT_EQ(result.nStatus, 1);
    EXPECT_NE(result.strErr.find(strProfile + " holds more than"), std::string::npos) << result.strErr;

    // The dump report is not written over a FIFO or, as root can make one, a device node.
    std::vector<std::string> targets = {dirs.strWork("fifo")};
    ASSERT_EQ(mkfifo(targets[0].c_str(), 0644), 0);
    if (geteuid() == 0) {
        targets.push_back(dirs.strWork("null"));
        ASSERT_EQ(mknod(targets[1].c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    for (const std::string& strTarget : targets) {
        struct stat before {}, after {};
        ASSERT_EQ(lstat(strTarget.c_str(), &before), 0);
        result = RunCli(dirs, "--board demo pll dump --model 0 -o " + strTarget);
        EXPECT_EQ(result.nStatus, 1) << strTarget;
        EXPECT_NE(result.strErr.find(strTarget + " is a"), std::string::npos) << result.strErr;
        EXPECT_NE(result.strErr.find("not a regular file"), std::string::npos) << result.strErr;
        ASSERT_EQ(lstat(strTarget.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << strTarget << " was replaced";
        EXPECT_EQ(after.st_ino, before.st_ino) << strTarget << " was replaced";
    }
}
