#include "cli/StartupCommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "app/AtomicFile.h"
#include "app/ProfileFile.h"
#include "app/RunAtStartup.h"
#include "cli/Output.h"
#include "cli/ProfileCommand.h"
#include "app/RunNamespace.h"

namespace cli {

namespace {

// The program the boot unit runs: "pendulon" beside this tool.
std::string strProgramBesideTool()
{
    const std::string strTool = app::strProgramPath();
    const size_t nSlash = strTool.rfind('/');
    return nSlash == std::string::npos ? std::string() : strTool.substr(0, nSlash + 1) + "pendulon";
}

int nStatus(const GlobalOptions& options)
{
    const bool bEnabled = app::IsRunAtStartup();
    std::string strDir, strError, strProfile;
    if (app::bGetRunWorkDirectory(options.strBoard, strDir, strError)) strProfile = strDir + app::strProfileFileName(0);
    const bool bProfile = !strProfile.empty() && app::bFileExists(strProfile);
    const std::string strUnit = app::strSystemdDirectory() + "/" + app::RUN_AT_STARTUP_UNIT;
    if (options.bJson) {
        vPrintJson({{"enabled", bEnabled}, {"unit", strUnit}, {"profile", strProfile}, {"profile_exists", bProfile}});
    } else {
        std::printf("%s\t%s\n", bEnabled ? "enabled" : "disabled", strUnit.c_str());
        std::printf("profile 0\t%s%s\n", strProfile.c_str(), bProfile ? "" : " (none saved)");
    }
    return EXIT_OK;
}

// As the Options window does it: the unit first, then profile 0 from the chip's state.
int nEnable(const GlobalOptions& options)
{
    app::AppOptions appOptions = CommandAppOptions(options);
    appOptions.strProgram = strProgramBesideTool();
    app::CPendulonApp app(appOptions);
    vRouteMessages(app);
    if (!app.InitInstance()) return app.nExitCode() ? app.nExitCode() : EXIT_FAILED;
    if (!app.SetRunAtStartup()) {
        vError("cannot write the boot unit in %s (root may write there)", app::strSystemdDirectory().c_str());
        return EXIT_FAILED;
    }
    app.m_bRunAtStartup = app.IsRunAtStartup();
    if (!app.SaveProfile(0)) {
        vError("the boot unit is enabled, but profile 0 could not be written in %s", app.strWorkDir().c_str());
        return EXIT_FAILED;
    }
    if (!app.ClockGenerator())
        vError("warning: no clock generator model is chosen: profile 0 holds nothing to apply");
    if (!options.bJson) std::printf("enabled: %s runs \"%s%s\" at boot\n", app::RUN_AT_STARTUP_UNIT,
                                    appOptions.strProgram.c_str(), app::RUN_AT_STARTUP_ARGUMENTS);
    else vPrintJson({{"enabled", true}});
    return EXIT_OK;
}

int nDisable(const GlobalOptions& options)
{
    if (!app::IsRunAtStartup()) {
        if (!options.bJson) std::printf("disabled (it was not enabled)\n");
        else vPrintJson({{"enabled", false}});
        return EXIT_OK;
    }
    if (!app::RemoveRunAtStartup()) {
        vError("cannot remove the boot unit from %s (root may write there)", app::strSystemdDirectory().c_str());
        return EXIT_FAILED;
    }
    if (!options.bJson) std::printf("disabled\n");
    else vPrintJson({{"enabled", false}});
    return EXIT_OK;
}

class CStartupCommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        CLI::App* pStartup = app.add_subcommand("startup", "Apply profile 0 at boot (a systemd unit)");
        pStartup->require_subcommand(1);
        static const struct {
            const char* pszName;
            const char* pszHelp;
        } s_Commands[] = {
            {"status", "startup status: whether the boot unit is enabled"},
            {"enable", "startup enable: save profile 0 from the chip and enable the boot unit"},
            {"disable", "startup disable: disable and remove the boot unit"},
        };
        for (const auto& command : s_Commands) {
            CLI::App* pSub = pStartup->add_subcommand(command.pszName, command.pszHelp);
            pSub->callback([this, pSub]() { m_strChosen = pSub->get_name(); });
        }
    }
    bool bChosen() const override { return !m_strChosen.empty(); }
    int nRun(const GlobalOptions& options) override
    {
        if (m_strChosen == "enable") return nEnable(options);
        if (m_strChosen == "disable") return nDisable(options);
        return nStatus(options);
    }

private:
    std::string m_strChosen;
};

}  // namespace

std::unique_ptr<CCommand> CreateStartupCommand()
{
    return std::make_unique<CStartupCommand>();
}

}  // namespace cli
