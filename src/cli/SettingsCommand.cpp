// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/SettingsCommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "app/AtomicFile.h"
#include "app/SettingsFile.h"
#include "cli/Output.h"
#include "app/RunNamespace.h"
#include "pll/PLLModels.h"

namespace cli {

namespace {

const char* TOOL_WINDOW_NAMES[app::TOOL_WINDOW_COUNT] = {"Clocks", "PLL Control", "PLL Setup", "Memory Buffer",
                                                         "Options"};

nlohmann::json PlacementJson(const app::WindowPlacement& p)
{
    return {{"flags", p.dwFlags}, {"show", p.dwShowCmd}, {"left", p.nLeft},
            {"top", p.nTop},      {"right", p.nRight},   {"bottom", p.nBottom}};
}

std::string strPlacement(const app::WindowPlacement& p)
{
    char sz[128];
    std::snprintf(sz, sizeof(sz), "flags %u, show %u, left %d, top %d, right %d, bottom %d", p.dwFlags, p.dwShowCmd,
                  p.nLeft, p.nTop, p.nRight, p.nBottom);
    return sz;
}

std::string strModel(uint32_t dwID)
{
    char sz[96];
    const char* pszName = pszPLLName(dwID);
    std::snprintf(sz, sizeof(sz), "%08X (%s)", dwID, pszName ? pszName : "no such model");
    return sz;
}

// The lines in file order; a later line of the same key wins where the program lets it.
int nShow(const GlobalOptions& options)
{
    std::string strDir, strError, strText;
    if (!app::bGetRunWorkDirectory(options.strBoard, strDir, strError)) {
        vError("%s", strError.c_str());
        return EXIT_FAILED;
    }
    const std::string strPath = strDir + app::SETTINGS_FILE_NAME;
    if (!app::bReadTextFile(strPath, strText, strError)) {
        if (strError.empty()) vError("there is no settings file (%s)", strPath.c_str());
        else vError("the settings are not read: %s", strError.c_str());
        return EXIT_FAILED;
    }
    const std::vector<app::SettingsLine> lines = app::ParseSettings(strText);
    nlohmann::json list = nlohmann::json::array();
    if (!options.bJson) std::printf("settings: %s\n", strPath.c_str());
    for (const app::SettingsLine& line : lines) {
        switch (line.eKey) {
        case app::SettingsKey::PLL:
            if (options.bJson) list.push_back({{"key", "PLL"}, {"id", line.dwPLLID}});
            else std::printf("model\t%s\n", strModel(line.dwPLLID).c_str());
            break;
        case app::SettingsKey::GSB:
        case app::SettingsKey::SNAP:
        case app::SettingsKey::AskWrite: {
            const bool bGSB = line.eKey == app::SettingsKey::GSB, bSnap = line.eKey == app::SettingsKey::SNAP;
            if (options.bJson)
                list.push_back({{"key", bGSB ? "GSB" : bSnap ? "SNAP" : "ASKWRITE"}, {"value", line.nValue}});
            else std::printf("%s\t%d\n", bGSB ? "GSB" : bSnap ? "snap" : "ask before a write", line.nValue);
            break;
        }
        case app::SettingsKey::MainWindow:
            if (options.bJson) list.push_back({{"key", "MAINWINDOW"}, {"placement", PlacementJson(line.placement)}});
            else std::printf("main window\t%s\n", strPlacement(line.placement).c_str());
            break;
        case app::SettingsKey::ToolWindow:
            if (options.bJson)
                list.push_back({{"key", app::pszToolWindowKey(line.eWindow)},
                                {"open", line.nValue != 0},
                                {"placement", PlacementJson(line.placement)}});
            else
                std::printf("%s\t%s, %s\n", TOOL_WINDOW_NAMES[line.eWindow], line.nValue ? "open" : "closed",
                            strPlacement(line.placement).c_str());
            break;
        }
    }
    if (options.bJson) vPrintJson({{"file", strPath}, {"lines", list}});
    else if (lines.empty()) std::printf("nothing the program reads\n");
    return EXIT_OK;
}

class CSettingsCommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        CLI::App* pSettings = app.add_subcommand("settings", "The settings file of the program");
        pSettings->require_subcommand(1);
        m_pShow = pSettings->add_subcommand("show", "settings show: what pendulon.ini holds, as the program reads it");
    }
    bool bChosen() const override { return m_pShow && m_pShow->parsed(); }
    int nRun(const GlobalOptions& options) override { return nShow(options); }

private:
    CLI::App* m_pShow = nullptr;
};

}  // namespace

std::unique_ptr<CCommand> CreateSettingsCommand()
{
    return std::make_unique<CSettingsCommand>();
}

}  // namespace cli
