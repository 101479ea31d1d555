// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ProfileCommand.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/AtomicFile.h"
#include "app/ProfileFile.h"
#include "cli/Confirm.h"
#include "cli/Output.h"
#include "cli/PLLOutput.h"
#include "app/RunNamespace.h"
#include "pll/ClockGenerator.h"

namespace cli {

namespace {

constexpr int MAX_PROFILE = 99;

struct ProfileArguments {
    int nProfile = 0;
};

std::string strBytes(const std::vector<uint8_t>& bytes)
{
    std::string str;
    char szByte[4];
    for (uint8_t b : bytes) {
        std::snprintf(szByte, sizeof(szByte), "%02X", b);
        str += std::string(str.empty() ? "" : " ") + szByte;
    }
    return str;
}

const char* pszActionName(app::ProfileAction eAction)
{
    switch (eAction) {
    case app::ProfileAction::WriteDump: return "image";
    case app::ProfileAction::ApplyFSB: return "fsb";
    case app::ProfileAction::ApplyGSB: return "gsb";
    }
    return "";
}

// The steps the profile would take, read from the file alone (no hardware).
int nShow(const GlobalOptions& options, int nProfile)
{
    std::string strDir, strError;
    if (!app::bGetRunWorkDirectory(options.strBoard, strDir, strError)) {
        vError("%s", strError.c_str());
        return EXIT_FAILED;
    }
    const std::string strPath = strDir + app::strProfileFileName(nProfile);
    std::string strText;
    if (!app::bReadTextFile(strPath, strText, strError)) {
        if (strError.empty()) vError("there is no profile %d (%s)", nProfile, strPath.c_str());
        else vError("profile %d is not read: %s", nProfile, strError.c_str());
        return EXIT_FAILED;
    }
    const app::ProfileReading reading = app::ReadProfile(strText);
    const std::vector<app::ProfileStep>& steps = reading.Steps;
    if (options.bJson) {
        nlohmann::json warnings = nlohmann::json::array();
        for (const app::ProfileWarning& warning : reading.Warnings)
            warnings.push_back({{"line", warning.nLine},
                                {"text", app::strPrintableLine(warning.strText)},  // JSON takes UTF-8 only
                                {"why", warning.strWhy},
                                {"left_out", warning.bLeftOut}});
        nlohmann::json list = nlohmann::json::array();
        for (const app::ProfileStep& step : steps) {
            nlohmann::json item = {{"action", pszActionName(step.eAction)}};
            if (step.eAction == app::ProfileAction::WriteDump) item["bytes"] = step.Bytes;
            else item["mhz"] = step.fClock;
            list.push_back(item);
        }
        vPrintJson({{"file", strPath}, {"steps", list}, {"warnings", warnings}});
        return EXIT_OK;
    }
    for (const app::ProfileWarning& warning : reading.Warnings)
        vError("warning: profile %d, %s", nProfile, app::strDescribeWarning(warning).c_str());
    std::printf("profile %d: %s\n", nProfile, strPath.c_str());
    if (steps.empty()) std::printf("nothing to apply\n");
    for (const app::ProfileStep& step : steps) {
        if (step.eAction == app::ProfileAction::WriteDump)
            std::printf("image\t%zu bytes: %s\n", step.Bytes.size(), strBytes(step.Bytes).c_str());
        else
            std::printf("%s\t%.2f MHz\n", step.eAction == app::ProfileAction::ApplyFSB ? "FSB" : "GSB",
                        double(step.fClock));
    }
    return EXIT_OK;
}

// The chip's state now (model from the settings file, clocks read at start) as profile n.
int nSave(const GlobalOptions& options, int nProfile)
{
    app::AppOptions appOptions = CommandAppOptions(options);
    vAskBeforeWritingReads(appOptions, options);
    app::CPendulonApp app(appOptions);
    vRouteMessages(app);
    if (!app.InitInstance()) return app.nExitCode() ? app.nExitCode() : EXIT_FAILED;
    CClockGenerator* pGenerator = app.ClockGenerator();
    // A chipset PLL has no register image: its clocks alone make the profile.
    if (!pGenerator || (pGenerator->m_nRegisterCount <= 0 && !(pGenerator->m_Current.m_fFSB > 0))) {
        vError("no clock generator model is chosen, or the chip could not be read: nothing to save "
               "(name the model once with pendulon-cli pll read --model ID|NAME, or in the program's PLL Setup window)");
        return EXIT_FAILED;
    }
    if (!app.SaveProfile(nProfile)) {
        vError("cannot write profile %d in %s", nProfile, app.strWorkDir().c_str());
        return EXIT_FAILED;
    }
    // A new profile 0 arms the apply at boot again after one that did not survive.
    bool bRearmed = false;
    std::string strWhy;
    if (nProfile == 0 && !app.bRearmBootApply(bRearmed, strWhy)) {
        vError("profile 0 is saved, but the apply at boot stays skipped: %s", strWhy.c_str());
        return EXIT_FAILED;
    }
    if (!options.bJson) {
        std::printf("saved profile %d (%d register bytes)\n", nProfile, int(pGenerator->m_nRegisterCount));
        if (bRearmed) std::printf("the apply at boot is armed again\n");
    } else {
        vPrintJson({{"profile", nProfile}, {"registers", pGenerator->m_nRegisterCount}, {"rearmed", bRearmed}});
    }
    return EXIT_OK;
}

// What the profile's steps write, for the question before them ("" when the file cannot be
// read: the apply then says why).
std::string strWhatIsApplied(const std::string& strPath)
{
    std::string strText, strWhy;
    if (!app::bReadTextFile(strPath, strText, strWhy)) return "";
    std::string str;
    char sz[96];
    for (const app::ProfileStep& step : app::ParseProfile(strText)) {
        if (step.eAction == app::ProfileAction::WriteDump)
            std::snprintf(sz, sizeof sz, "write the %zu-byte register image", step.Bytes.size());
        else
            std::snprintf(sz, sizeof sz, "walk the %s to %.2f MHz in steps",
                          step.eAction == app::ProfileAction::ApplyFSB ? "FSB" : "GSB", double(step.fClock));
        str += (str.empty() ? ": " : ", then ") + std::string(sz);
    }
    return str;
}

int nApply(const GlobalOptions& options, int nProfile)
{
    std::string strDir, strError;
    if (!app::bGetRunWorkDirectory(options.strBoard, strDir, strError)) {
        vError("%s", strError.c_str());
        return EXIT_FAILED;
    }
    const std::string strPath = strDir + app::strProfileFileName(nProfile);
    // Anything at that name goes on to be read (and refused, said, when it is no profile).
    struct stat st {};
    if (lstat(strPath.c_str(), &st) != 0) {
        vError("there is no profile %d (%s)", nProfile, strPath.c_str());
        return EXIT_FAILED;
    }
    if (!bConfirm(options, ClockWarning("apply profile " + std::to_string(nProfile) + " to the clock chip" +
                                        strWhatIsApplied(strPath))))
        return EXIT_USAGE;
    app::AppOptions appOptions = CommandAppOptions(options);
    appOptions.bApplyAndExit = true;
    appOptions.nApplyProfile = nProfile;
    appOptions.bBootGuard = false;  // the user is there to see it
    app::CPendulonApp app(appOptions);
    vRouteMessages(app);
    app.InitInstance();  // ends once the profile is applied
    app.ExitInstance();
    return app.nExitCode();
}

class CProfileCommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        CLI::App* pProfile = app.add_subcommand("profile", "Profiles: the clock chip's state saved, applied at boot");
        pProfile->require_subcommand(1);
        static const struct {
            const char* pszName;
            const char* pszHelp;
        } s_Commands[] = {
            {"save", "profile save [N]: save the chip's registers and clocks as profile N (default 0)"},
            {"apply", "profile apply [N]: apply profile N to the chip, as the program does at boot (asks first "
                      "unless -y)"},
            {"show", "profile show [N]: what profile N holds and would do"},
        };
        for (const auto& command : s_Commands) {
            CLI::App* pSub = pProfile->add_subcommand(command.pszName, command.pszHelp);
            pSub->add_option("N", m_Arguments.nProfile, "the profile number")->check(CLI::Range(0, MAX_PROFILE));
            pSub->callback([this, pSub]() { m_strChosen = pSub->get_name(); });
        }
    }
    bool bChosen() const override { return !m_strChosen.empty(); }
    int nRun(const GlobalOptions& options) override
    {
        if (m_strChosen == "show") return nShow(options, m_Arguments.nProfile);
        if (m_strChosen == "save") return nSave(options, m_Arguments.nProfile);
        return nApply(options, m_Arguments.nProfile);
    }

private:
    ProfileArguments m_Arguments;
    std::string m_strChosen;
};

}  // namespace

app::AppOptions CommandAppOptions(const GlobalOptions& options)
{
    app::AppOptions appOptions;
    appOptions.strBoard = options.strBoard;
    appOptions.bForce = options.bForce;
    appOptions.bSingleInstance = false;
    appOptions.bStartMonitor = false;
    return appOptions;
}

void vAskBeforeWritingReads(app::AppOptions& appOptions, const GlobalOptions& options)
{
    appOptions.pfnMayWriteOnRead = [options](const std::string& strWrites) {
        return bConfirm(options, ClockWarning(strWrites + " before it can be read"));
    };
}

void vRouteMessages(app::CPendulonApp& app)
{
    app.vSetMessageBox([](const char* pszText, const char* pszCaption) {
        vError("%s%s", pszCaption && std::strcmp(pszCaption, app::CAPTION_WARNING) == 0 ? "warning: " : "", pszText);
    });
}

std::unique_ptr<CCommand> CreateProfileCommand()
{
    return std::make_unique<CProfileCommand>();
}

}  // namespace cli
