// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/MonitorCommand.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "app/StopSignals.h"
#include "cli/Output.h"
#include "cli/ProfileCommand.h"
#include "cpu/CPUInterface.h"
#include "discovery/ChipsetInterface.h"
#include "kit/ORVEXSDK.h"

namespace cli {

namespace {

constexpr int WAIT_SLICE_MS = 100;

struct MonitorRow {
    double dSeconds;
    float fBus = -1, fCore = -1, fMultiplier = -1, fMemory = -1;
    int nCores = 0;
};

// The values the refresh just measured; called with the kit lock held.
MonitorRow ReadRow(ORVEXSDK* pKit, double dSeconds)
{
    MonitorRow row{dSeconds};
    if (auto* pCPU = static_cast<CCPUInterface*>(pKit->FindInterface(INTERFACE_CPU))) {
        row.fBus = pCPU->m_fBusClock;
        for (CTListItem<CCPUCore>* p = pCPU->m_pCoreList ? pCPU->m_pCoreList->m_pHead : nullptr; p && p->m_pObject;
             p = p->m_pNext) {
            if (row.nCores++ == 0) {
                row.fCore = p->m_pObject->m_fClock;
                row.fMultiplier = p->m_pObject->m_fMultiplier;
            }
        }
    }
    auto* pChipset = static_cast<CChipsetInterface*>(pKit->FindInterface(INTERFACE_CHIPSET));
    if (pChipset && pChipset->m_pMemoryInfo) row.fMemory = pChipset->m_pMemoryInfo->m_fMemoryClock;
    return row;
}

std::string strCell(float f, const char* pszFormat)
{
    if (!(f > 0)) return "-";
    char sz[32];
    std::snprintf(sz, sizeof(sz), pszFormat, double(f));
    return sz;
}

void vPrintRow(const MonitorRow& row, bool bJson)
{
    if (bJson) {
        auto known = [](float f) { return f > 0 ? nlohmann::json(f) : nlohmann::json(nullptr); };
        std::printf("%s\n", nlohmann::json({{"seconds", row.dSeconds},
                                            {"bus_mhz", known(row.fBus)},
                                            {"core0_mhz", known(row.fCore)},
                                            {"multiplier", known(row.fMultiplier)},
                                            {"cores", row.nCores},
                                            {"memory_mhz", known(row.fMemory)}})
                                .dump()
                                .c_str());
    } else {
        std::printf("%8.1f  %9s  %10s  %6s  %10s\n", row.dSeconds, strCell(row.fBus, "%.2f").c_str(),
                    strCell(row.fCore, "%.2f").c_str(), strCell(row.fMultiplier, "%.1f").c_str(),
                    strCell(row.fMemory, "%.2f").c_str());
    }
    std::fflush(stdout);
}

class CMonitorCommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        m_pSub = app.add_subcommand("monitor", "Measure the CPU and memory clocks once a second until Ctrl+C");
        m_pSub->add_option("--count", m_nCount, "stop after N refreshes")->check(CLI::Range(0, 1000000000));
    }
    bool bChosen() const override { return m_pSub && m_pSub->parsed(); }
    int nRun(const GlobalOptions& options) override
    {
        // Ctrl+C and SIGTERM end the table; one during the start ends the program at once.
        app::CStopSignals stopSignals("pendulon-cli");
        std::atomic<int> nRefreshes{0};
        const auto start = std::chrono::steady_clock::now();
        app::AppOptions appOptions = CommandAppOptions(options);
        appOptions.bStartMonitor = true;
        // The table needs no clock chip: one that a read would write to stays unread.
        appOptions.pfnMayWriteOnRead = [](const std::string&) { return false; };
        const bool bJson = options.bJson;
        const int nCount = m_nCount;
        appOptions.pfnAfterRefresh = [&nRefreshes, start, bJson, nCount]() {
            if (nCount > 0 && nRefreshes.load() >= nCount) return;
            const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            vPrintRow(ReadRow(ORVEXSDK::Instance(), dSeconds), bJson);
            ++nRefreshes;
        };
        if (!bJson) std::printf("%8s  %9s  %10s  %6s  %10s\n", "seconds", "bus MHz", "core0 MHz", "mult", "memory MHz");
        app::CPendulonApp app(appOptions);
        vRouteMessages(app);
        if (!app.InitInstance()) return app.nExitCode() ? app.nExitCode() : EXIT_FAILED;
        stopSignals.vStarted();
        while (nCount == 0 || nRefreshes.load() < nCount) {
            if (stopSignals.nWaitFor(WAIT_SLICE_MS) != 0) break;
        }
        app.ExitInstance();
        return EXIT_OK;
    }

private:
    CLI::App* m_pSub = nullptr;
    int m_nCount = 0;
};

}  // namespace

std::unique_ptr<CCommand> CreateMonitorCommand()
{
    return std::make_unique<CMonitorCommand>();
}

}  // namespace cli
