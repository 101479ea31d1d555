// SPDX-License-Identifier: GPL-2.0-or-later
// The application core on the demo board: the start in its order, the settings and profile 0
// as the program reads and writes them, "-u" and "-i", the window messages and the exit.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <map>

#include "app/AtomicFile.h"
#include "app/PendulonApp.h"
#include "app/ProfileFile.h"
#include "app/RunAtStartup.h"
#include "app/SettingsFile.h"
#include "RunProgram.h"
#include "app_test_env.h"
#include "kit/ORVEXSDK.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"

using namespace app;
using apptest::CAppDirs;

namespace {

constexpr uint32_t ICS951462 = 0x01951462;

// A window system that records what the application asks of it.
class CFakeHost : public IWindowHost {
public:
    bool bMainPlacement(WindowPlacement& placement) override
    {
        placement = m_Main;
        return true;
    }
    void vSetMainPlacement(const WindowPlacement& placement) override { m_Main = placement; }
    bool bToolPlacement(EToolWindow eWindow, WindowPlacement& placement) override
    {
        if (!m_Open.count(eWindow)) return false;
        placement = m_Open[eWindow];
        return true;
    }
    void vOpenToolWindow(EToolWindow eWindow, const WindowPlacement* pStored) override
    {
        m_Opened.push_back(eWindow);
        m_Open[eWindow] = pStored ? *pStored : WindowPlacement{};
    }

    WindowPlacement m_Main;
    std::map<EToolWindow, WindowPlacement> m_Open;
    std::vector<EToolWindow> m_Opened;
};

// The FSB the application's clock generator reads from the board now (under the kit lock,
// the device open); -1 when it cannot be read.
float fFSBReadNow(CPendulonApp& app)
{
    CClockGenerator* pGenerator = app.ClockGenerator();
    CFrequencySet now;
    uint32_t dwError = 0;
    if (!pGenerator || !app.Kit()->Lock(KIT_LOCK_MS)) return -1.0f;
    if (app.Driver()->bOpenDevice(dwError)) {
        if (!pGenerator->bReadClocks(now)) now.m_fFSB = -1.0f;
        app.Driver()->vCloseDevice();
    }
    app.Kit()->Unlock();
    return now.m_fFSB;
}

}  // namespace

TEST(AppStart, SettingsSelectTheModelAndAreWrittenBackAtExit)
{
    CAppDirs dirs;
    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\r\n PLL=01951446\r\nPLL=01951462\r\nPLL=01951446\r\nGSB=0\r\nSNAP=0\r\n"
                                    "MAINWINDOW=0 1 100 300 100 400\r\nCLOCKSWINDOW=1 0 1 420 755 400 530\r\n"
                                    "OPTIONWINDOW=0 0 1 10 20 30 40\r\n");
    {
        CPendulonApp app(apptest::DemoOptions());
        ASSERT_TRUE(app.InitInstance());
        CClockGenerator* pGenerator = app.ClockGenerator();
        ASSERT_NE(pGenerator, nullptr);
        // " PLL=" is not read and only the first "PLL=" line counts.
        EXPECT_EQ(pGenerator->m_dwPLLID, ICS951462);
        EXPECT_EQ(pGenerator->m_bGSBEnabled, 0u);
        EXPECT_EQ(app.m_bSnap, 0u);
        // The clocks were read at start and copied into the requested set.
        EXPECT_GT(pGenerator->m_Current.m_fFSB, 0.0f);
        EXPECT_GT(pGenerator->m_nRegisterCount, 0);
        EXPECT_FLOAT_EQ(app.PLLInterface()->m_Requested.m_fFSB, pGenerator->m_Current.m_fFSB);
        ASSERT_NE(app.pStoredPlacement(TOOL_OPTION), nullptr);
        EXPECT_EQ(*app.pStoredPlacement(TOOL_OPTION), (WindowPlacement{0, 1, 10, 30, 20, 40}));
        app.vCloseMainWindow();
    }
    // Without windows the open flags and the main placement are kept as read.
    EXPECT_EQ(dirs.strRead(SETTINGS_FILE_NAME),
              "[Pendulon]\nPLL=01951462\nGSB=0\nSNAP=0\nMAINWINDOW=0 1 100 300 100 400\n"
              "CLOCKSWINDOW=1 0 1 420 755 400 530\nOPTIONWINDOW=0 0 1 10 20 30 40\n");
    // No profile without the boot option.
    EXPECT_FALSE(dirs.bExists(strProfileFileName(0)));
}

TEST(AppStart, WithoutSettingsNothingIsRestored)
{
    CAppDirs dirs;
    CPendulonApp app(apptest::DemoOptions());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.m_bSnap, 1u);
    ASSERT_NE(app.PLLInterface(), nullptr);  // something answers at 0x69
    EXPECT_EQ(app.ClockGenerator(), nullptr);
    app.vCloseMainWindow();
    EXPECT_EQ(dirs.strRead(SETTINGS_FILE_NAME), "[Pendulon]\nSNAP=1\n");
}

TEST(AppStart, WindowsOpenInLineOrderAndOpenOnesAreWrittenOpen)
{
    CAppDirs dirs;
    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nMAINWINDOW=0 1 1 2 3 4\nSETUPWINDOW=1 0 1 420 755 80 380\n"
                                    "CLOCKSWINDOW=0 0 1 5 6 7 8\nOPTIONWINDOW=1 0 1 9 10 11 12\n");
    CFakeHost host;
    CPendulonApp app(apptest::DemoOptions());
    app.vSetWindowHost(&host);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(host.m_Opened, (std::vector<EToolWindow>{TOOL_SETUP, TOOL_OPTION}));
    EXPECT_EQ(host.m_Open[TOOL_SETUP], (WindowPlacement{0, 1, 420, 80, 755, 380}));
    EXPECT_EQ(host.m_Main, (WindowPlacement{0, 1, 1, 3, 2, 4}));
    // The user closes the Options window and opens the Clocks window.
    host.m_Open.erase(TOOL_OPTION);
    host.m_Open[TOOL_CLOCKS] = WindowPlacement{0, 1, 50, 60, 70, 80};
    app.vCloseMainWindow();
    EXPECT_EQ(dirs.strRead(SETTINGS_FILE_NAME),
              "[Pendulon]\nSNAP=1\nMAINWINDOW=0 1 1 2 3 4\nSETUPWINDOW=1 0 1 420 755 80 380\n"
              "CLOCKSWINDOW=1 0 1 50 70 60 80\nOPTIONWINDOW=0 0 1 9 10 11 12\n");
}

TEST(AppStart, AToolWindowClosedByTheUserIsWrittenWhereItWasLast)
{
    CAppDirs dirs;
    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nOPTIONWINDOW=1 0 1 9 10 11 12\n");
    CFakeHost host;
    CPendulonApp app(apptest::DemoOptions());
    app.vSetWindowHost(&host);
    ASSERT_TRUE(app.InitInstance());
    // The user moves the Options window and closes it; opens the Clocks window (never stored
    // before), moves it and closes it too.
    host.m_Open.erase(TOOL_OPTION);
    app.vStorePlacement(TOOL_OPTION, WindowPlacement{0, 1, 300, 310, 320, 330});
    ASSERT_EQ(app.pStoredPlacement(TOOL_CLOCKS), nullptr);
    app.vStorePlacement(TOOL_CLOCKS, WindowPlacement{0, 1, 50, 60, 70, 80});
    ASSERT_NE(app.pStoredPlacement(TOOL_CLOCKS), nullptr);
    // Opened again, a window comes back where it was closed.
    app.OpenToolWindow(TOOL_OPTION);
    EXPECT_EQ(host.m_Open[TOOL_OPTION], (WindowPlacement{0, 1, 300, 310, 320, 330}));
    host.m_Open.erase(TOOL_OPTION);
    app.vCloseMainWindow();
    EXPECT_EQ(dirs.strRead(SETTINGS_FILE_NAME), "[Pendulon]\nSNAP=1\nMAINWINDOW=0 0 0 0 0 0\n"
                                                "CLOCKSWINDOW=0 0 1 50 70 60 80\nOPTIONWINDOW=0 0 1 300 320 310 330\n");
}

TEST(AppStart, MessagesReachTheOpenWindowsInOrder)
{
    CAppDirs dirs;
    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\n");
    CPendulonApp app(apptest::DemoOptions());
    std::map<EToolWindow, std::vector<uint32_t>> received;
    for (EToolWindow eWindow : {TOOL_CLOCKS, TOOL_SELECTION, TOOL_SETUP, TOOL_MEMORY_BUFFER})
        app.Messages().vRegister(eWindow, [&received, eWindow](uint32_t dwMessage) {
            received[eWindow].push_back(dwMessage);
        });
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(received[TOOL_CLOCKS], (std::vector<uint32_t>{WM_CLOCKS_REFRESH, WM_PLL_CHANGED, WM_FIT_FRAME}));
    EXPECT_EQ(received[TOOL_SELECTION], (std::vector<uint32_t>{WM_CLOCKS_REFRESH, WM_PLL_CHANGED}));
    EXPECT_EQ(received[TOOL_SETUP], (std::vector<uint32_t>{WM_PLL_CHANGED}));
    // The demo board has no memory buffer: it is not told.
    EXPECT_TRUE(received[TOOL_MEMORY_BUFFER].empty());

    received.clear();
    EXPECT_EQ(app.NotifyWindows(WM_SELECTION_CHANGED), 1);
    EXPECT_EQ(app.NotifyWindows(1039), 0);
    EXPECT_EQ(app.NotifyWindows(WM_MEMBUF_CHANGED), 1);
    app.Messages().vUnregister(TOOL_MEMORY_BUFFER);
    EXPECT_EQ(app.NotifyWindows(WM_MEMBUF_CHANGED), 0);
    EXPECT_EQ(received[TOOL_SELECTION], (std::vector<uint32_t>{WM_SELECTION_CHANGED}));
    EXPECT_EQ(received[TOOL_MEMORY_BUFFER], (std::vector<uint32_t>{WM_MEMBUF_CHANGED}));
}

TEST(AppReset, DeletesBothFilesOnlyWhenTheSettingsExistAndWritesNothing)
{
    CAppDirs dirs;
    dirs.vWrite(strProfileFileName(0), "[Pendulon Profile]\nPLLFSB=200.00\n");
    {
        AppOptions options = apptest::DemoOptions();
        options.bReset = true;
        CPendulonApp app(options);
        ASSERT_TRUE(app.InitInstance());
        app.vCloseMainWindow();
    }
    EXPECT_TRUE(dirs.bExists(strProfileFileName(0)));
    EXPECT_FALSE(dirs.bExists(SETTINGS_FILE_NAME));

    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\nSNAP=0\n");
    AppOptions options = apptest::DemoOptions();
    options.bReset = true;
    CPendulonApp app(options);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(dirs.bExists(SETTINGS_FILE_NAME));
    EXPECT_FALSE(dirs.bExists(strProfileFileName(0)));
    EXPECT_EQ(app.ClockGenerator(), nullptr);  // nothing restored
    EXPECT_EQ(app.m_bSnap, 1u);
    app.vCloseMainWindow();
    EXPECT_FALSE(dirs.bExists(SETTINGS_FILE_NAME));
}

TEST(AppApplyAtBoot, ImageIsWrittenToTheChipAsItStands)
{
    CAppDirs dirs;
    dirs.vWrite(strProfileFileName(0), "[Pendulon Profile]\r\nPLLDUMP=02 1A 2B \r\nPLLFSB=300.00\r\n");
    AppOptions options = apptest::DemoOptions();
    options.bApplyAndExit = true;
    CPendulonApp app(options);
    EXPECT_FALSE(app.InitInstance());  // the program ends once the profile is applied
    EXPECT_EQ(app.nExitCode(), 0);
    const std::vector<std::vector<uint8_t>> writes = apptest::BlockWrites(apptest::TransfersTo(app, 0x69));
    // Exactly the two bytes; the FSB line after the image is not walked.
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], (std::vector<uint8_t>{0x02, 0x1A, 0x2B}));
    ASSERT_NE(app.ClockGenerator(), nullptr);
    EXPECT_EQ(app.ClockGenerator()->m_dwPLLID, 0u);  // the bare driver wrote it
    EXPECT_EQ(app.m_abProfileDump[0], 0x1A);
    EXPECT_FALSE(dirs.bExists(SETTINGS_FILE_NAME));  // neither read nor written
}

TEST(AppApplyAtBoot, SavedProfileRestoresTheImageReadAtStart)
{
    CAppDirs dirs;
    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\n");
    std::vector<uint8_t> image;
    {
        CPendulonApp app(apptest::DemoOptions());
        ASSERT_TRUE(app.InitInstance());
        CClockGenerator* pGenerator = app.ClockGenerator();
        ASSERT_NE(pGenerator, nullptr);
        image.assign(pGenerator->m_abRegisters, pGenerator->m_abRegisters + pGenerator->m_nRegisterCount);
        app.m_bRunAtStartup = 1;  // as the Options window leaves it (a board's boot unit is refused)
        app.vCloseMainWindow();   // profile 0 is saved with the option on
    }
    ASSERT_TRUE(dirs.bExists(strProfileFileName(0)));
    EXPECT_NE(dirs.strRead(strProfileFileName(0)).find("PLLFSB="), std::string::npos);
    AppOptions options = apptest::DemoOptions();
    options.bApplyAndExit = true;
    CPendulonApp app(options);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.nExitCode(), 0);
    const std::vector<std::vector<uint8_t>> writes = apptest::BlockWrites(apptest::TransfersTo(app, 0x69));
    ASSERT_EQ(writes.size(), 1u);
    std::vector<uint8_t> expected{uint8_t(image.size())};
    expected.insert(expected.end(), image.begin(), image.end());
    EXPECT_EQ(writes[0], expected);
}

TEST(AppApplyAtBoot, ClockLinesWithoutAModelFailAndTouchNothing)
{
    CAppDirs dirs;
    dirs.vWrite(strProfileFileName(0), "[Pendulon Profile]\nPLLFSB=280.00\n");
    AppOptions options = apptest::DemoOptions();
    options.bApplyAndExit = true;
    std::string strMessage;
    CPendulonApp app(options);
    app.vSetMessageBox([&strMessage](const char* pszText, const char*) { strMessage = pszText; });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.nExitCode(), 1);
    EXPECT_NE(strMessage.find("could not be applied"), std::string::npos);
    EXPECT_TRUE(apptest::BlockWrites(apptest::TransfersTo(app, 0x69)).empty());
}

TEST(AppApplyAtBoot, MissingProfileAsksForNothing)
{
    CAppDirs dirs;
    AppOptions options = apptest::DemoOptions();
    options.bApplyAndExit = true;
    CPendulonApp app(options);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.nExitCode(), 0);
    EXPECT_TRUE(apptest::BlockWrites(apptest::TransfersTo(app, 0x69)).empty());
}

TEST(AppApplyAtBoot, AfterABootThatDidNotSurviveItNothingIsWritten)
{
    const struct {
        const char* pszWhat;
        std::string strMark;
    } cases[] = {
        {"a mark of another boot",
         "[Pendulon Boot Apply]\nBOOT=0badb007-0000-4000-8000-000000000000\nTIME=1700000000\n"},
        {"a mark that cannot be read", "\x01\x02"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CAppDirs dirs;
        dirs.vWrite(strProfileFileName(0), "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n");
        dirs.vWrite("boot-apply.mark", c.strMark);
        AppOptions options = apptest::DemoOptions();
        options.bApplyAndExit = true;
        std::string strMessage;
        {
            CPendulonApp app(options);
            app.vSetMessageBox([&strMessage](const char* pszText, const char*) { strMessage += pszText; });
            EXPECT_FALSE(app.InitInstance());
            EXPECT_EQ(app.nExitCode(), 1);
            EXPECT_NE(strMessage.find("did not survive"), std::string::npos) << strMessage;
            // Not a transfer on the bus, not even the kit's detection.
            sim::CSimBoard* pBoard = apptest::pBoardOf(app);
            ASSERT_NE(pBoard, nullptr);
            EXPECT_TRUE(pBoard->pSMBus(0)->Transfers().empty());
            EXPECT_EQ(app.Kit()->FindInterface(INTERFACE_PLL), nullptr);  // the kit was not built
        }
        // The record keeps every later boot from trying it again.
        EXPECT_TRUE(dirs.bExists("boot-apply.skipped"));
        EXPECT_FALSE(dirs.bExists("boot-apply.mark"));
        strMessage.clear();
        CPendulonApp again(options);
        again.vSetMessageBox([&strMessage](const char* pszText, const char*) { strMessage += pszText; });
        EXPECT_FALSE(again.InitInstance());
        EXPECT_EQ(again.nExitCode(), 1);
        EXPECT_NE(strMessage.find("skipped since"), std::string::npos) << strMessage;
        EXPECT_TRUE(apptest::pBoardOf(again)->pSMBus(0)->Transfers().empty());
    }
}

TEST(AppApplyAtBoot, TheMarkStandsBeforeTheApplyAndAMarkOfThisBootIsNoFailure)
{
    CAppDirs dirs;
    dirs.vWrite(strProfileFileName(0), "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n");
    AppOptions options = apptest::DemoOptions();
    options.bApplyAndExit = true;
    std::string strMarkAtWrite;
    for (int nRun = 0; nRun < 2; ++nRun) {  // the unit started twice in one boot
        SCOPED_TRACE(nRun);
        CPendulonApp app(options);
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.nExitCode(), 0);
        EXPECT_EQ(apptest::BlockWrites(apptest::TransfersTo(app, 0x69)).size(), 1u);
        const std::string strMark = dirs.strRead("boot-apply.mark");
        EXPECT_NE(strMark.find("BOOT=" + apptest::strThisBoot() + "\n"), std::string::npos) << strMark;
        EXPECT_NE(strMark.find("TIME="), std::string::npos) << strMark;
        EXPECT_FALSE(dirs.bExists("boot-apply.skipped"));
    }
    // The real machine's own work directory keeps no mark of a board's apply.
    EXPECT_FALSE(std::filesystem::exists(dirs.strRoot("boot-apply.mark")));
    // No profile: nothing is applied, and nothing marked.
    std::filesystem::remove(dirs.strWork("boot-apply.mark"));
    std::filesystem::remove(dirs.strWork(strProfileFileName(0)));
    CPendulonApp app(options);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.nExitCode(), 0);
    EXPECT_FALSE(dirs.bExists("boot-apply.mark"));
}

TEST(AppApplyAtBoot, AClockOutsideTheModelsRangeIsNotWalked)
{
    CAppDirs dirs;
    dirs.vSetBoard("nforce2-ultra400");
    AppOptions options = apptest::DemoOptions();
    options.strBoard = "nforce2-ultra400";
    options.bApplyAndExit = true;
    // The nForce2 runs its FSB from 66.67 to 400 MHz; 450 MHz is within what a profile may hold.
    dirs.vWrite(strProfileFileName(0), "[Pendulon Profile]\nPLLFSB=450.00\n");
    std::string strMessage;
    CPendulonApp app(options);
    app.vSetMessageBox([&strMessage](const char* pszText, const char*) { strMessage += pszText; });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.nExitCode(), 1);
    EXPECT_NE(strMessage.find("FSB of 450.00 MHz is outside the range of the NVIDIA nForce2"), std::string::npos)
        << strMessage;
    EXPECT_NE(strMessage.find("66.67 to 400.00 MHz"), std::string::npos) << strMessage;
    EXPECT_NEAR(fFSBReadNow(app), 200.0f, 1.0f);  // where the board started
}

TEST(AppInstance, SecondInstanceEndsWithoutTouchingTheBoard)
{
    CAppDirs dirs;
    AppOptions options = apptest::DemoOptions();
    options.bSingleInstance = true;
    CPendulonApp first(options);
    ASSERT_TRUE(first.InitInstance());
    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nSNAP=0\n");
    options.bReset = true;
    CPendulonApp second(options);
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.nExitCode(), 1);
    EXPECT_EQ(second.Driver(), nullptr);
    EXPECT_TRUE(dirs.bExists(SETTINGS_FILE_NAME));  // "-u" never got to delete it
    second.ExitInstance();
    EXPECT_NE(ORVEXSDK::Instance()->FindInterface(INTERFACE_PLL), nullptr);  // the first one's kit stands
}

TEST(AppVersion, FormatsAndSwitches)
{
    EXPECT_EQ(CPendulonApp::FormatVersion({1, 0, 5, 3}), "1.0.5.3");
    EXPECT_EQ(CPendulonApp::FormatVersion({1, 2, 0, 0}), "1.2");
    EXPECT_EQ(CPendulonApp::FormatVersion({0, 0, 0, 7}), "0.0.0.7");
    EXPECT_EQ(CPendulonApp::FormatVersion({0, 0, 0, 0}), "");
    bool bReset = false, bApply = false;
    vReadSwitches({"--board", "nforce2-ultra400", "p=0"}, bReset, bApply);
    EXPECT_FALSE(bReset);
    EXPECT_FALSE(bApply);
    vReadSwitches({"-i", "p=0"}, bReset, bApply);
    EXPECT_FALSE(bReset);
    EXPECT_TRUE(bApply);
    vReadSwitches({"-u"}, bReset, bApply);
    EXPECT_TRUE(bReset);
}

TEST(AppRunAtStartup, UnitsEnabledAndRemovedLeavingNothingBehind)
{
    CAppDirs dirs;
    EXPECT_FALSE(IsRunAtStartup());
    EXPECT_FALSE(RemoveRunAtStartup());
    // The units are read by systemd whatever the umask of the one who wrote them.
    const mode_t nOldMask = umask(077);
    const bool bSet = SetRunAtStartup("/opt/pendulon/bin/pendulon");
    umask(nOldMask);
    ASSERT_TRUE(bSet);
    EXPECT_TRUE(IsRunAtStartup());
    const std::string strDir = dirs.strSystemd() + "/";
    const std::string strApply = strReadFile(strDir + "pendulon-apply.service");
    EXPECT_NE(strApply.find("\nType=oneshot\n"), std::string::npos);
    EXPECT_NE(strApply.find("\nExecStart=/opt/pendulon/bin/pendulon -i p=0\n"), std::string::npos);
    EXPECT_NE(strApply.find("\nWantedBy=multi-user.target\n"), std::string::npos);
    // The confirm service runs the command-line tool beside the program, after the apply.
    const std::string strConfirm = strReadFile(strDir + "pendulon-apply-ok.service");
    EXPECT_NE(strConfirm.find("\nExecStart=/opt/pendulon/bin/pendulon-cli startup confirm\n"), std::string::npos)
        << strConfirm;
    EXPECT_NE(strConfirm.find("\nAfter=pendulon-apply.service\n"), std::string::npos);
    const std::string strTimer = strReadFile(strDir + "pendulon-apply-ok.timer");
    EXPECT_NE(strTimer.find("\nOnBootSec=3min\n"), std::string::npos) << strTimer;
    EXPECT_NE(strTimer.find("\nUnit=pendulon-apply-ok.service\n"), std::string::npos);
    EXPECT_NE(strTimer.find("\nWantedBy=timers.target\n"), std::string::npos);
    for (const char* pszUnit : {"pendulon-apply.service", "pendulon-apply-ok.service", "pendulon-apply-ok.timer"}) {
        struct stat st {};
        ASSERT_EQ(stat((strDir + pszUnit).c_str(), &st), 0) << pszUnit;
        EXPECT_EQ(st.st_mode & 07777, 0644u) << pszUnit;
    }
    EXPECT_EQ(std::filesystem::read_symlink(strDir + "multi-user.target.wants/pendulon-apply.service"),
              strDir + "pendulon-apply.service");
    EXPECT_EQ(std::filesystem::read_symlink(strDir + "timers.target.wants/pendulon-apply-ok.timer"),
              strDir + "pendulon-apply-ok.timer");

    EXPECT_TRUE(RemoveRunAtStartup());
    EXPECT_FALSE(IsRunAtStartup());
    EXPECT_TRUE(std::filesystem::is_empty(dirs.strSystemd()));
    // A "wants" directory that holds another unit's link stays, with that link.
    std::filesystem::create_directories(strDir + "timers.target.wants");
    std::filesystem::create_symlink("/lib/systemd/system/fstrim.timer", strDir + "timers.target.wants/fstrim.timer");
    ASSERT_TRUE(SetRunAtStartup("/opt/pendulon/bin/pendulon"));
    EXPECT_TRUE(RemoveRunAtStartup());
    EXPECT_TRUE(std::filesystem::is_symlink(strDir + "timers.target.wants/fstrim.timer"));
    EXPECT_FALSE(std::filesystem::exists(strDir + "multi-user.target.wants"));
    // A relative program path cannot run at boot.
    EXPECT_FALSE(SetRunAtStartup("pendulon"));
    EXPECT_FALSE(IsRunAtStartup());
}

// The units as systemd itself reads them, where its analyser is installed.
TEST(AppRunAtStartup, SystemdAcceptsTheUnits)
{
    if (std::system("command -v systemd-analyze >/dev/null 2>&1") != 0) GTEST_SKIP() << "no systemd-analyze";
    CAppDirs dirs;
    const std::string strCli = PENDULON_CLI_PATH;
    ASSERT_TRUE(SetRunAtStartup(strCli.substr(0, strCli.rfind('/') + 1) + "pendulon"));
    const std::string strDir = dirs.strSystemd() + "/";
    const ProgramResult result = RunProgram("systemd-analyze verify", strDir + "pendulon-apply.service " + strDir +
                                                                          "pendulon-apply-ok.service " + strDir +
                                                                          "pendulon-apply-ok.timer");
    EXPECT_EQ(result.nStatus, 0) << result.strOut << result.strErr;
    EXPECT_EQ(result.strErr.find(dirs.strSystemd()), std::string::npos) << result.strErr;  // no complaint about ours
}

TEST(AppRunAtStartup, PathsAreEscapedForSystemd)
{
    EXPECT_NE(strRunAtStartupUnit("/opt/my tools/pendulon").find("ExecStart=\"/opt/my tools/pendulon\" -i p=0\n"),
              std::string::npos);
    EXPECT_NE(strRunAtStartupUnit("/opt/100%/pendulon").find("ExecStart=/opt/100%%/pendulon -i p=0\n"),
              std::string::npos);
}

TEST(AppRunAtStartup, NoRightToWriteLeavesNothingBehind)
{
    CAppDirs dirs;
    // The unit tree is a file: nothing can be written below it, not even by root.
    const std::string strBlocked = dirs.strWork("not-a-directory");
    dirs.vWrite("not-a-directory", "x");
    setenv("PENDULON_SYSTEMD_DIR", strBlocked.c_str(), 1);
    EXPECT_FALSE(SetRunAtStartup("/opt/pendulon/bin/pendulon"));
    EXPECT_FALSE(IsRunAtStartup());
    // The timer cannot be enabled: the units written before it go again.
    setenv("PENDULON_SYSTEMD_DIR", dirs.strSystemd().c_str(), 1);
    std::ofstream(dirs.strSystemd() + "/timers.target.wants") << "x";
    EXPECT_FALSE(SetRunAtStartup("/opt/pendulon/bin/pendulon"));
    EXPECT_FALSE(IsRunAtStartup());
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dirs.strSystemd()))
        left.push_back(entry.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"timers.target.wants"});
}

TEST(AppRunAtStartup, ASimulatedBoardGetsNoBootUnit)
{
    CAppDirs dirs;
    CPendulonApp app(apptest::DemoOptions());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.SetRunAtStartup());  // it would apply the real machine's profile 0
    EXPECT_FALSE(app.IsRunAtStartup());
    EXPECT_TRUE(std::filesystem::is_empty(dirs.strSystemd()));
    // Nor does it take this machine's unit away.
    ASSERT_TRUE(SetRunAtStartup("/opt/pendulon/bin/pendulon"));
    EXPECT_FALSE(app.RemoveRunAtStartup());
    EXPECT_TRUE(app.IsRunAtStartup());
    EXPECT_TRUE(RemoveRunAtStartup());
}

TEST(AppWriteQuestion, ThisMachineAsksOnceARunASimulatedBoardNever)
{
    std::vector<std::string> asked;
    bool bAnswer = false, bDontAskAgain = false;
    auto question = [&](const std::string& strWhat, bool& bDont) {
        asked.push_back(strWhat);
        bDont = bDontAskAgain;
        return bAnswer;
    };
    app::AppOptions machine;  // this machine; nothing is started
    {
        CPendulonApp app(machine);
        EXPECT_FALSE(app.bMayWrite("walk the FSB"));  // no one to ask: no write
        app.vSetWriteQuestion(question);
        EXPECT_FALSE(app.bMayWrite("walk the FSB"));
        bAnswer = true;
        EXPECT_TRUE(app.bMayWrite("walk the FSB again"));
        EXPECT_TRUE(app.bMayWrite("write register 9"));  // agreed once: not asked again this run
        EXPECT_EQ(asked, (std::vector<std::string>{"walk the FSB", "walk the FSB again"}));
        EXPECT_EQ(app.m_bAskWrite, 1u);
    }
    {
        CPendulonApp app(machine);
        app.vSetWriteQuestion(question);
        bDontAskAgain = true;
        EXPECT_TRUE(app.bMayWrite("walk the FSB"));
        EXPECT_EQ(app.m_bAskWrite, 0u);  // kept in the settings file from now on
    }
    asked.clear();
    CPendulonApp board(apptest::DemoOptions());
    board.vSetWriteQuestion(question);
    EXPECT_TRUE(board.bMayWrite("walk the FSB"));
    EXPECT_TRUE(asked.empty());
}

TEST(AppSaveOutput, DumpReportOfTheImageReadAtStart)
{
    CAppDirs dirs;
    CPendulonApp app(apptest::DemoOptions());
    ASSERT_TRUE(app.InitInstance());
    std::string strWhy;
    EXPECT_FALSE(app.bSaveOutput(dirs.strWork("dump.txt"), strWhy));  // no model: nothing
    EXPECT_FALSE(dirs.bExists("dump.txt"));
    app.ExitInstance();

    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\n");
    CPendulonApp chosen(apptest::DemoOptions());
    ASSERT_TRUE(chosen.InitInstance());
    ASSERT_TRUE(chosen.bSaveOutput(dirs.strWork("dump.txt"), strWhy)) << strWhy;
    const std::string strReport = dirs.strRead("dump.txt");
    EXPECT_EQ(strReport.rfind("[Pendulon " + chosen.strVersion() + "]\n00 01 02 ", 0), 0u);
    EXPECT_NE(strReport.back(), '\n');
}

TEST(AppApplyAtBoot, ChipsetPLLIsWalkedToTheProfilesFSBAndNotNamedInTheSettings)
{
    CAppDirs dirs;
    dirs.vSetBoard("nforce2-ultra400");
    {
        AppOptions options = apptest::DemoOptions();
        options.strBoard = "nforce2-ultra400";
        CPendulonApp app(options);
        ASSERT_TRUE(app.InitInstance());
        ASSERT_NE(app.ClockGenerator(), nullptr);  // found by the chipset's id
        EXPECT_NE(app.ClockGenerator()->m_dwPLLID & 0x10000000u, 0u);
        app.vCloseMainWindow();
    }
    EXPECT_EQ(dirs.strRead(SETTINGS_FILE_NAME).find("PLL="), std::string::npos);
    EXPECT_NE(dirs.strRead(SETTINGS_FILE_NAME).find("GSB="), std::string::npos);

    dirs.vWrite(strProfileFileName(0), "[Pendulon Profile]\nPLLFSB=205.00\n");
    AppOptions options = apptest::DemoOptions();
    options.strBoard = "nforce2-ultra400";
    options.bApplyAndExit = true;
    CPendulonApp app(options);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.nExitCode(), 0);
    EXPECT_NEAR(fFSBReadNow(app), 205.0f, 1.0f);
}

// The board's device, refusing to be prepared as a machine without the rights would, or
// answering the version of an older program's driver.
class CFailingDevice : public sim::CSimAccessDevice {
public:
    CFailingDevice(std::unique_ptr<sim::CSimBoard> pBoard, bool bRefuse)
        : sim::CSimAccessDevice(std::move(pBoard)), m_bRefuse(bRefuse)
    {
    }
    bool bPrepare(std::string& strError) override
    {
        if (!m_bRefuse) return sim::CSimAccessDevice::bPrepare(strError);
        strError = "run it as root";
        return false;
    }
    uint32_t dwProtocolVersion() const override { return m_bRefuse ? CAccessDevice::dwProtocolVersion() : 293; }

private:
    bool m_bRefuse;
};

TEST(AppStart, ADriverThatCannotBePreparedOrIsOfAnotherVersionEndsTheStartWithItsMessage)
{
    const struct {
        bool bRefuse;
        const char* pszText;
        const char* pszCaption;
    } cases[] = {
        {true, "Unable to init the driver: run it as root", "Pendulon Error"},
        {false, "A previous version of the device driver is already running.", "Driver Error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszText);
        CAppDirs dirs;
        dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nSNAP=0\n");
        AppOptions options = apptest::DemoOptions();
        options.pfnAccessDevice = [&]() -> std::unique_ptr<CAccessDevice> {
            std::string strError;
            return std::make_unique<CFailingDevice>(sim::CSimBoard::Load("demo", strError), c.bRefuse);
        };
        std::string strText, strCaption;
        CPendulonApp app(options);
        app.vSetMessageBox([&](const char* pszText, const char* pszCaption) {
            strText = pszText;
            strCaption = pszCaption;
        });
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.nExitCode(), 1);
        EXPECT_EQ(strText, c.pszText);
        EXPECT_EQ(strCaption, c.pszCaption);
        EXPECT_EQ(app.Kit()->FindInterface(INTERFACE_PLL), nullptr);  // nothing was built
        uint32_t dwError = 0;
        EXPECT_FALSE(app.Driver() && app.Driver()->bOpenDevice(dwError));  // unloaded, or never loaded
        app.ExitInstance();
        EXPECT_EQ(dirs.strRead(SETTINGS_FILE_NAME), "[Pendulon]\nSNAP=0\n");  // neither read nor rewritten
    }
}

namespace {

// Profile 0 applied as the boot unit does; the messages said on the way go to strMessages.
int nApplyAtBoot(std::string& strMessages, std::vector<std::vector<uint8_t>>& writes)
{
    AppOptions options = apptest::DemoOptions();
    options.bApplyAndExit = true;
    CPendulonApp app(options);
    strMessages.clear();
    app.vSetMessageBox([&strMessages](const char* pszText, const char*) { strMessages += std::string(pszText) + "\n"; });
    app.InitInstance();
    writes = apptest::BlockWrites(apptest::TransfersTo(app, 0x69));
    return app.nExitCode();
}

}  // namespace

TEST(AppApplyAtBoot, AProfileThatIsRefusedIsSaidAndAppliesNothing)
{
    CAppDirs dirs;
    const std::string strProfile = strProfileFileName(0);
    const std::string strImage = "[Pendulon Profile]\nPLLDUMP=02 1A 2B \n";
    std::string strMessages;
    std::vector<std::vector<uint8_t>> writes;
    // Too long to be read whole: its first part alone is not applied.
    dirs.vWrite(strProfile, strImage + std::string(MAX_TEXT_FILE_BYTES, '\n'));
    EXPECT_EQ(nApplyAtBoot(strMessages, writes), 1);
    EXPECT_NE(strMessages.find("profile 0 is not read: " + dirs.strWork(strProfile) + " holds more than"),
              std::string::npos)
        << strMessages;
    EXPECT_TRUE(writes.empty());

    // A FIFO is not waited on, a link is not followed.
    std::filesystem::remove(dirs.strWork(strProfile));
    ASSERT_EQ(mkfifo(dirs.strWork(strProfile).c_str(), 0644), 0);
    {
        apptest::CFifoUnblocker unblocker(dirs.strWork(strProfile));
        EXPECT_EQ(nApplyAtBoot(strMessages, writes), 1);
        EXPECT_EQ(unblocker.nOpened(), 0);
    }
    EXPECT_NE(strMessages.find(dirs.strWork(strProfile) + " is a FIFO"), std::string::npos) << strMessages;
    std::filesystem::remove(dirs.strWork(strProfile));
    dirs.vWrite("elsewhere.cgp", strImage);
    ASSERT_EQ(symlink(dirs.strWork("elsewhere.cgp").c_str(), dirs.strWork(strProfile).c_str()), 0);
    EXPECT_EQ(nApplyAtBoot(strMessages, writes), 1);
    EXPECT_NE(strMessages.find("symbolic link"), std::string::npos) << strMessages;
    EXPECT_TRUE(writes.empty());

    // Group or others may write it: as root it could have been planted, for a user it is theirs.
    std::filesystem::remove(dirs.strWork(strProfile));
    dirs.vWrite(strProfile, strImage);
    ASSERT_EQ(chmod(dirs.strWork(strProfile).c_str(), 0664), 0);
    const bool bRoot = geteuid() == 0;
    EXPECT_EQ(nApplyAtBoot(strMessages, writes), bRoot ? 1 : 0) << strMessages;
    EXPECT_EQ(writes.size(), bRoot ? 0u : 1u);
    if (!bRoot) GTEST_SKIP() << "a profile of another user needs root to make";
    EXPECT_NE(strMessages.find("can be written by group or others"), std::string::npos) << strMessages;
    ASSERT_EQ(chmod(dirs.strWork(strProfile).c_str(), 0644), 0);
    ASSERT_EQ(chown(dirs.strWork(strProfile).c_str(), apptest::NobodyUid(), gid_t(-1)), 0);
    EXPECT_EQ(nApplyAtBoot(strMessages, writes), 1);
    EXPECT_NE(strMessages.find("belongs to uid " + std::to_string(apptest::NobodyUid())), std::string::npos)
        << strMessages;
    EXPECT_TRUE(writes.empty());
    ASSERT_EQ(chown(dirs.strWork(strProfile).c_str(), 0, gid_t(-1)), 0);
    EXPECT_EQ(nApplyAtBoot(strMessages, writes), 0) << strMessages;
    EXPECT_EQ(writes.size(), 1u);
}

TEST(AppStart, SettingsThatAreRefusedAreSaidAndNotReplaced)
{
    CAppDirs dirs;
    std::string strMessages;
    auto vStart = [&] {
        CPendulonApp app(apptest::DemoOptions());
        strMessages.clear();
        app.vSetMessageBox([&](const char* pszText, const char*) { strMessages += std::string(pszText) + "\n"; });
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(app.ClockGenerator(), nullptr) << "nothing restored";
        app.vCloseMainWindow();
    };
    vStart();
    EXPECT_EQ(strMessages, "") << "a missing file is the normal first start";

    std::filesystem::remove(dirs.strWork(SETTINGS_FILE_NAME));
    ASSERT_EQ(mkfifo(dirs.strWork(SETTINGS_FILE_NAME).c_str(), 0644), 0);
    {
        apptest::CFifoUnblocker unblocker(dirs.strWork(SETTINGS_FILE_NAME));
        vStart();
        EXPECT_EQ(unblocker.nOpened(), 0);
    }
    EXPECT_NE(strMessages.find(dirs.strWork(SETTINGS_FILE_NAME) + " is a FIFO"), std::string::npos) << strMessages;
    EXPECT_EQ(std::filesystem::symlink_status(dirs.strWork(SETTINGS_FILE_NAME)).type(),
              std::filesystem::file_type::fifo)
        << "the write at exit did not replace it";

    std::filesystem::remove(dirs.strWork(SETTINGS_FILE_NAME));
    dirs.vWrite(SETTINGS_FILE_NAME, "[Pendulon]\nPLL=01951462\n" + std::string(MAX_TEXT_FILE_BYTES, '\n'));
    vStart();
    EXPECT_NE(strMessages.find(dirs.strWork(SETTINGS_FILE_NAME) + " holds more than"), std::string::npos)
        << strMessages;
}
