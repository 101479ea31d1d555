// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon: the program. With "-i" it applies profile 0 to the clock generator and ends (this
// is what the boot unit runs; it needs no display). Otherwise it starts the application core,
// says what it found and runs until Ctrl+C or SIGTERM, then writes the settings and ends.
// "-u" starts afresh: the settings file and profile 0 are deleted instead of read, and the
// settings are not written at exit.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/AccessDeviceChoice.h"
#include "app/PendulonApp.h"
#include "app/StopSignals.h"
#include "cpu/CPUInterface.h"
#include "kit/ORVEXSDK.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "pll/PLLModels.h"

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

void vPrintClock(const char* pszName, float fMHz)
{
    if (fMHz > 0) std::printf("  %-5s %8.2f MHz\n", pszName, double(fMHz));
}

// What the core found, read under the kit lock (the monitor thread updates the CPU values).
void vPrintSummary(app::CPendulonApp& app, const std::string& strBoard)
{
    std::printf("Pendulon %s on %s\n", app.strVersion().c_str(),
                strBoard.empty() ? "this machine" : ("the simulated board " + strBoard).c_str());
    ORVEXSDK* pKit = app.Kit();
    if (pKit->Lock(app::KIT_LOCK_MS)) {
        if (auto* pCPU = static_cast<CCPUInterface*>(pKit->FindInterface(INTERFACE_CPU)))
            vPrintClock("bus", pCPU->m_fBusClock);
        CClockGenerator* pGenerator = app.ClockGenerator();
        if (!app.PLLInterface()) {
            std::printf("clock generator: none found\n");
        } else if (!pGenerator) {
            std::printf("clock generator: found at SMBus 0x69, model not chosen\n");
        } else {
            const char* pszName = pszPLLName(pGenerator->m_dwPLLID);
            std::printf("clock generator: %s (%08X)\n", pszName ? pszName : "unknown", pGenerator->m_dwPLLID);
            vPrintClock("FSB", pGenerator->m_Current.m_fFSB);
            vPrintClock("GSB", pGenerator->m_Current.m_fGSB);
            vPrintClock("PCI", pGenerator->m_Current.m_fPCI);
        }
        std::printf("memory buffer: %s\n", pKit->FindInterface(INTERFACE_MEMORY_BUFFER) ? "ICS 9P932" : "none");
        pKit->Unlock();
    }
    std::printf("running (Ctrl+C or SIGTERM ends it)\n");
    std::fflush(stdout);
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

}  // namespace

int main(int argc, char** argv)
{
    // First of all, so that every thread started from here on inherits the blocked signals
    // and a start that hangs can be stopped.
    app::CStopSignals stopSignals("pendulon");
    app::AppOptions options;
    bool bDone = false;
    if (int n = nReadArguments(argc, argv, options, bDone); n != 0 || bDone) return n;

    app::CPendulonApp app(options);
    if (!app.InitInstance()) {
        if (app.bAnotherInstanceRuns()) std::fprintf(stderr, "pendulon: Pendulon is already running\n");
        app.ExitInstance();
        return app.nExitCode();
    }
    vPrintSummary(app, options.strBoard);
    stopSignals.vStarted();
    stopSignals.nWait();
    app.vCloseMainWindow();
    app.ExitInstance();
    return 0;
}
