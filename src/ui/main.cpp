// pendulon: the program. With "-i" it applies profile 0 to the clock generator and ends (this
// is what the boot unit runs; it needs no display). Otherwise it starts the application core,
// says what it found and runs until Ctrl+C or SIGTERM, then writes the settings and ends.
// "-u" starts afresh: the settings file and profile 0 are deleted instead of read, and the
// settings are not written at exit.
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/PendulonApp.h"
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
    std::fputs("usage: pendulon [--board NAME|FILE] [-u] [-i [p=0]]\n"
               "  --board  run on a simulated board instead of this machine\n"
               "  -u       start afresh: delete the settings and profile 0, write no settings at exit\n"
               "  -i       apply profile 0 to the clock generator and end (what the boot unit runs)\n",
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

}  // namespace

int main(int argc, char** argv)
{
    app::AppOptions options;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        if (strArg == "--board" && i + 1 < argc) {
            options.strBoard = argv[++i];
        } else if (strArg.rfind("--board=", 0) == 0) {
            options.strBoard = strArg.substr(8);
        } else if (strArg == "-h" || strArg == "--help") {
            vUsage(stdout);
            return 0;
        } else if (strArg == "--version") {
            std::printf("%s\n", PENDULON_VERSION);
            return 0;
        } else if (strArg == "-u" || strArg == "-i" || strArg.find('=') != std::string::npos) {
            args.push_back(strArg);  // "p=0" after "-i" is not read
        } else {
            std::fprintf(stderr, "pendulon: unknown argument \"%s\"\n", strArg.c_str());
            vUsage(stderr);
            return EXIT_USAGE;
        }
    }
    app::vReadSwitches(args, options.bReset, options.bApplyAndExit);

    // The signals that end the program are taken by sigwait below; every thread started from
    // here on inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    app::CPendulonApp app(options);
    if (!app.InitInstance()) {
        app.ExitInstance();
        return app.nExitCode();
    }
    vPrintSummary(app, options.strBoard);
    int nSignal = 0;
    while (sigwait(&signals, &nSignal) != 0) {
    }
    app.vCloseMainWindow();
    app.ExitInstance();
    return 0;
}
