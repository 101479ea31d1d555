// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/StartupCommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "app/AtomicFile.h"
#include "app/BootGuard.h"
#include "app/ProfileFile.h"
#include "app/RunAtStartup.h"
#include "cli/Confirm.h"
#include "cli/Output.h"
#include "cli/ProfileCommand.h"
#include "app/RunNamespace.h"

namespace cli {

namespace {

// The program the boot unit runs: "pendulon" beside this tool (the confirm service runs this
// tool beside it).
std::string strProgramBesideTool()
{
    const std::string strTool = app::strProgramPath();
    const size_t nSlash = strTool.rfind('/');
    return nSlash == std::string::npos ? std::string() : strTool.substr(0, nSlash + 1) + "pendulon";
}

// A boot unit always applies the real machine's own profile 0.
int nRefuseBoard(const GlobalOptions& options, const char* pszCommand)
{
    vError("startup %s takes no --board: a boot unit always applies this machine's own profile 0, never a "
           "simulated board's (leave out --board %s)",
           pszCommand, options.strBoard.c_str());
    return EXIT_USAGE;
}

const char* pszStateName(app::EBootApply eState)
{
    switch (eState) {
    case app::EBootApply::Armed: return "armed";
    case app::EBootApply::Pending: return "pending";
    case app::EBootApply::Unconfirmed: return "unconfirmed";
    case app::EBootApply::Skipped: return "skipped";
    }
    return "";
}

// What the guard of the apply at boot holds, in words (an armed guard with nothing to apply
// says so).
std::string strStateText(const app::BootApplyState& state, const std::string& strBoard, bool bEnabled, bool bProfile)
{
    switch (state.eState) {
    case app::EBootApply::Armed:
        if (!bEnabled) return "armed (nothing is applied at boot while the boot unit is disabled)";
        if (!bProfile) return "armed, but no profile 0 is saved: nothing is applied at boot";
        return "armed: profile 0 is applied at the next boot";
    case app::EBootApply::Pending:
        return "applied this boot at " + app::strFormatTime(state.Mark.nTime) + ", waiting to be confirmed (" +
               app::CONFIRM_TIMER_UNIT + " confirms it " + app::CONFIRM_AFTER_BOOT_TEXT + " after boot)";
    case app::EBootApply::Unconfirmed:
        return "the apply of " + app::strFormatTime(state.Mark.nTime) +
               " was never confirmed (that boot did not survive it): the next boot skips it; " +
               app::strRearmHint(strBoard);
    case app::EBootApply::Skipped:
        return "skipped since " + app::strFormatTime(state.Skip.nSince) + " because the apply of " +
               app::strFormatTime(state.Skip.nFailedTime) + " did not survive its boot; " +
               app::strRearmHint(strBoard);
    }
    return "";
}

nlohmann::json TimeJson(int64_t nTime)
{
    return nTime > 0 ? nlohmann::json(nTime) : nlohmann::json(nullptr);
}

// The units are this machine's; with --board the profile and the guard's state are the board's
// own (its "-i" keeps its own mark).
int nStatus(const GlobalOptions& options)
{
    const bool bEnabled = app::IsRunAtStartup();
    const bool bTimer = app::IsConfirmTimerEnabled();
    std::string strDir, strError, strProfile;
    if (!app::bGetRunWorkDirectory(options.strBoard, strDir, strError)) {
        vError("%s", strError.c_str());
        return EXIT_FAILED;
    }
    strProfile = strDir + app::strProfileFileName(0);
    const bool bProfile = app::bFileExists(strProfile);
    const std::string strUnit = app::strSystemdDirectory() + "/" + app::RUN_AT_STARTUP_UNIT;
    const app::BootApplyState state = app::ReadBootApplyState(strDir, app::strCurrentBootId());
    if (options.bJson) {
        nlohmann::json guard = {{"state", pszStateName(state.eState)},
                                {"text", strStateText(state, options.strBoard, bEnabled, bProfile)}};
        if (state.eState == app::EBootApply::Pending || state.eState == app::EBootApply::Unconfirmed)
            guard["applied"] = TimeJson(state.Mark.nTime);
        if (state.eState == app::EBootApply::Skipped) {
            guard["applied"] = TimeJson(state.Skip.nFailedTime);
            guard["skipped_since"] = TimeJson(state.Skip.nSince);
        }
        vPrintJson({{"enabled", bEnabled},
                    {"unit", strUnit},
                    {"confirm_timer", bTimer},
                    {"profile", strProfile},
                    {"profile_exists", bProfile},
                    {"boot_apply", guard}});
    } else {
        std::printf("%s\t%s\n", bEnabled ? "enabled" : "disabled", strUnit.c_str());
        if (bEnabled && !bTimer)
            std::printf("confirm\t%s is missing: every boot after the next would skip the apply "
                        "(run \"pendulon-cli startup enable\" again)\n",
                        app::CONFIRM_TIMER_UNIT);
        std::printf("profile 0\t%s%s\n", strProfile.c_str(), bProfile ? "" : " (none saved)");
        std::printf("boot apply\t%s\n", strStateText(state, options.strBoard, bEnabled, bProfile).c_str());
    }
    return EXIT_OK;
}

// As the Options window does it: the units first, then profile 0 from the chip's state; the
// new profile arms the apply at boot again.
int nEnable(const GlobalOptions& options)
{
    if (!options.strBoard.empty()) return nRefuseBoard(options, "enable");
    app::AppOptions appOptions = CommandAppOptions(options);
    appOptions.strProgram = strProgramBesideTool();
    vAskBeforeWritingReads(appOptions, options);
    app::CPendulonApp app(appOptions);
    vRouteMessages(app);
    if (!app.InitInstance()) return app.nExitCode() ? app.nExitCode() : EXIT_FAILED;
    if (!app.SetRunAtStartup()) {
        vError("cannot write the boot units in %s (root may write there)", app::strSystemdDirectory().c_str());
        return EXIT_FAILED;
    }
    app.m_bRunAtStartup = app.IsRunAtStartup();
    if (!app.SaveProfile(0)) {
        vError("the boot unit is enabled, but profile 0 could not be written in %s", app.strWorkDir().c_str());
        return EXIT_FAILED;
    }
    bool bWasHeld = false;
    std::string strWhy;
    if (!app.bRearmBootApply(bWasHeld, strWhy)) {
        vError("the boot unit is enabled, but the apply at boot stays skipped: %s", strWhy.c_str());
        return EXIT_FAILED;
    }
    if (!app.ClockGenerator())
        vError("warning: no clock generator model is chosen: profile 0 holds nothing to apply");
    if (!options.bJson) {
        std::printf("enabled: %s runs \"%s%s\" at boot\n", app::RUN_AT_STARTUP_UNIT, appOptions.strProgram.c_str(),
                    app::RUN_AT_STARTUP_ARGUMENTS);
        if (bWasHeld) std::printf("the apply at boot is armed again\n");
    } else {
        vPrintJson({{"enabled", true}, {"rearmed", bWasHeld}});
    }
    return EXIT_OK;
}

int nDisable(const GlobalOptions& options)
{
    if (!options.strBoard.empty()) return nRefuseBoard(options, "disable");
    if (!app::IsRunAtStartup()) {
        app::RemoveRunAtStartup();  // what an interrupted enable may have left
        if (!options.bJson) std::printf("disabled (it was not enabled)\n");
        else vPrintJson({{"enabled", false}});
        return EXIT_OK;
    }
    if (!app::RemoveRunAtStartup()) {
        vError("cannot remove the boot units from %s (root may write there)", app::strSystemdDirectory().c_str());
        return EXIT_FAILED;
    }
    if (!options.bJson) std::printf("disabled\n");
    else vPrintJson({{"enabled", false}});
    return EXIT_OK;
}

// What the confirm timer runs once the machine has stayed up after the apply at boot: the mark
// of this boot goes. A mark of another boot stays for the next "-i" to find.
int nConfirm(const GlobalOptions& options)
{
    std::string strDir, strError;
    if (!app::bGetRunWorkDirectory(options.strBoard, strDir, strError)) {
        vError("%s", strError.c_str());
        return EXIT_FAILED;
    }
    app::BootApplyState state;
    const app::EConfirm eResult = app::ConfirmBootApply(strDir, state, strError);
    const char* pszResult = "";
    int nExit = EXIT_OK;
    std::string strText;
    switch (eResult) {
    case app::EConfirm::Confirmed:
        pszResult = "confirmed";
        strText = "confirmed: the apply at boot of " + app::strFormatTime(state.Mark.nTime) + " has held";
        break;
    case app::EConfirm::Nothing:
        pszResult = "nothing";
        strText = state.eState == app::EBootApply::Skipped
                      ? "nothing to confirm: the apply at boot is " +
                            strStateText(state, options.strBoard, app::IsRunAtStartup(), true)
                      : "nothing to confirm: no apply at boot is waiting";
        break;
    case app::EConfirm::OtherBoot:
        vError("the mark of the apply of %s is from another boot, which did not survive it: it is left for the "
               "next boot, which skips the apply",
               app::strFormatTime(state.Mark.nTime).c_str());
        pszResult = "other_boot";
        nExit = EXIT_FAILED;
        break;
    case app::EConfirm::Failed:
        vError("cannot clear the mark of the apply at boot: %s", strError.c_str());
        pszResult = "failed";
        nExit = EXIT_FAILED;
        break;
    }
    if (options.bJson) vPrintJson({{"result", pszResult}});
    else if (!strText.empty()) std::printf("%s\n", strText.c_str());
    return nExit;
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
            {"status", "startup status: whether the boot unit is enabled and how its last apply went"},
            {"enable", "startup enable: save profile 0 from the chip, enable the boot unit and arm it"},
            {"disable", "startup disable: disable and remove the boot unit and its confirm timer"},
            {"confirm", "startup confirm: the apply of this boot has held (its timer runs it after boot)"},
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
        if (m_strChosen == "confirm") return nConfirm(options);
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
