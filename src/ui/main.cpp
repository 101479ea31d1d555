// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon: the program. With "-i" it applies profile 0 to the clock generator and ends (this
// is what the boot unit runs): it needs no display and never loads Qt's window system. Otherwise
// it starts the application core with its windows: the main panel shows at the end of the
// start, and closing it (or SIGTERM, SIGINT, SIGHUP, which close it as a person would) writes
// the settings and ends the program. "-u" starts afresh: the settings file and profile 0 are
// deleted instead of read, and the settings are not written at exit. A second start raises
// the running program's main window and ends.
#include <QApplication>
#include <QMessageBox>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/AccessDeviceChoice.h"
#include "app/PendulonApp.h"
#include "app/StopSignals.h"
#include "ui/Automation.h"
#include "ui/Frames.h"
#include "ui/WindowHost.h"

#ifndef PENDULON_VERSION
#define PENDULON_VERSION ""
#endif

namespace {

constexpr int EXIT_USAGE = 2;

void vUsage(FILE* pOut)
{
    std::fputs("usage: pendulon [--board NAME|FILE] [-u] [-i [p=N]]\n"
               "  --board  run on a simulated board instead of this machine\n"
               "  -u       start afresh: delete the settings and profile 0, write no settings at exit\n"
               "  -i       apply profile 0 (or profile N) to the clock generator and end (what the boot unit runs)\n",
               pOut);
}

// The arguments: "--board NAME|FILE", "-u", "-i", "p=N" (with "-i": the profile to apply),
// "-h", "--version". Anything else is refused: a mistyped switch must not start the program
// on this machine's hardware with the wrong meaning. 0 to go on (or, with bDone, to end at
// once), else the exit status.
int nReadArguments(int argc, char** argv, app::AppOptions& options, bool& bDone)
{
    bDone = false;
    std::vector<std::string> switches;
    bool bProfileGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        std::string strBoard;
        bool bBoard = false;
        if (strArg == "--board") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "pendulon: --board needs a board name or file\n");
                return EXIT_USAGE;
            }
            strBoard = argv[++i];
            bBoard = true;
        } else if (strArg.rfind("--board=", 0) == 0) {
            strBoard = strArg.substr(8);
            bBoard = true;
        }
        if (bBoard) {
            if (strBoard.empty()) {
                std::fprintf(stderr, "pendulon: --board needs a board name or file\n");
                return EXIT_USAGE;
            }
            if (!app::bHasSimulatedBoards()) {
                std::fprintf(stderr, "pendulon: %s\n", app::strNoSimulatedBoards().c_str());
                return EXIT_USAGE;
            }
            options.strBoard = strBoard;
        } else if (strArg == "-h" || strArg == "--help") {
            vUsage(stdout);
            bDone = true;
            return 0;
        } else if (strArg == "--version") {
            std::printf("%s\n", PENDULON_VERSION);
            bDone = true;
            return 0;
        } else if (strArg == "-u" || strArg == "-i") {
            switches.push_back(strArg);
        } else if (strArg.size() > 2 && strArg.rfind("p=", 0) == 0 &&
                   strArg.find_first_not_of("0123456789", 2) == std::string::npos && strArg.size() <= 4) {
            options.nApplyProfile = std::atoi(strArg.c_str() + 2);
            bProfileGiven = true;
        } else {
            std::fprintf(stderr, "pendulon: unknown argument '%s'\n", strArg.c_str());
            vUsage(stderr);
            return EXIT_USAGE;
        }
    }
    app::vReadSwitches(switches, options.bReset, options.bApplyAndExit);
    if (bProfileGiven && !options.bApplyAndExit) {
        std::fprintf(stderr, "pendulon: p=N names the profile that -i applies: it goes with -i\n");
        return EXIT_USAGE;
    }
    return 0;
}

// "-i": profile 0 applied at boot, with no window system at all.
int nApplyAndExit(const app::AppOptions& options)
{
    app::CPendulonApp app(options);
    app.InitInstance();  // ends the start once the profile is applied
    if (app.bAnotherInstanceRuns()) std::fprintf(stderr, "pendulon: Pendulon is already running\n");
    app.ExitInstance();
    return app.nExitCode();
}

// Where a Wayland session offers XWayland, the windows use it: there a program may place its
// windows, which snapping needs. No display at all is said before Qt would abort on it.
bool bChooseWindowSystem()
{
    const char* pszPlatform = std::getenv("QT_QPA_PLATFORM");
    const bool bX11 = std::getenv("DISPLAY") && *std::getenv("DISPLAY");
    const bool bWayland = std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY");
    if (pszPlatform && *pszPlatform) return true;
    if (bWayland && bX11) setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (bX11 || bWayland) return true;
    std::fprintf(stderr, "pendulon: no display to open the windows on (DISPLAY is not set); "
                         "pendulon -i and pendulon-cli run without one\n");
    return false;
}

// A clock chip whose first read writes to it is read only when the user agrees.
bool bMayWriteOnRead(const std::string& strWrites)
{
    const QString strText = QStringLiteral("Reading this clock generator writes to it: ") +
                            QString::fromStdString(strWrites) +
                            QStringLiteral("\n\nRead it now? Without the read its clocks stay unknown.");
    return QMessageBox::question(nullptr, QStringLiteral("Pendulon"), strText, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

int main(int argc, char** argv)
{
    // First of all, so that every thread started from here on inherits the blocked signals
    // and a start that hangs can be stopped.
    app::CStopSignals stopSignals("pendulon");
    app::AppOptions options;
    bool bDone = false;
    if (int n = nReadArguments(argc, argv, options, bDone); n != 0 || bDone) return n;
    if (options.bApplyAndExit) return nApplyAndExit(options);

    if (!bChooseWindowSystem()) return 1;
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pendulon"));
    QApplication::setQuitOnLastWindowClosed(false);  // the main window's close ends the program
    options.pfnMayWriteOnRead = bMayWriteOnRead;

    app::CPendulonApp app(options);
    app.vSetMessageBox([](const char* pszText, const char* pszCaption) {
        QMessageBox::warning(nullptr, QString::fromUtf8(pszCaption), QString::fromUtf8(pszText));
    });
    ui::CWindowHost host(app);
    app.vSetWindowHost(&host);
    const QString strService = ui::strAutomationService(options.strBoard);
    if (!app.InitInstance()) {
        if (app.bAnotherInstanceRuns()) {
            QString strWhy;
            if (ui::CAutomation::bRaiseRunning(strService, strWhy))
                std::fprintf(stderr, "pendulon: Pendulon is already running; its window was brought to the front\n");
            else
                std::fprintf(stderr, "pendulon: Pendulon is already running (%s)\n", strWhy.toUtf8().constData());
        }
        app.vSetWindowHost(nullptr);
        app.ExitInstance();
        return app.nExitCode();
    }

    ui::CAutomation automation(strService, [&host] { host.vShowMainWindow(); });
    QString strWhy;
    if (!automation.bRegister(strWhy))
        std::fprintf(stderr, "pendulon: runs without automation: %s\n", strWhy.toUtf8().constData());
    if (std::getenv("PENDULON_STARTUP_TIMING")) {
        QObject::connect(&host, &ui::CWindowHost::MainWindowOnScreen, [&host] {
            const auto elapsed = std::chrono::steady_clock::now() - host.KitBuilt();
            std::fprintf(stderr, "pendulon: main window on screen %.1f ms after the kit was built\n",
                         std::chrono::duration<double, std::milli>(elapsed).count());
        });
    }

    // A stop signal closes the main window as a person would.
    stopSignals.vStarted();
    std::atomic<bool> bEnded{false};
    std::thread signalWatch([&] {
        while (!bEnded.load()) {
            if (stopSignals.nWaitFor(200) != 0) {
                host.vRequestClose();
                return;
            }
        }
    });
    const int nStatus = qtApp.exec();
    bEnded = true;
    signalWatch.join();
    app.vSetWindowHost(nullptr);
    app.ExitInstance();
    return nStatus;
}
