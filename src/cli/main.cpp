// SPDX-License-Identifier: GPL-2.0-or-later
// pendulon-cli: the command-line front end. Exit status 0 on success, 1 when the hardware
// or the driver failed, 2 for bad input (nothing is touched then).
#include <CLI/CLI.hpp>
#include <cstdio>

#include "app/AccessDeviceChoice.h"
#include "cli/Command.h"
#include "cli/Session.h"
#include "kit/Trace.h"

namespace {

// After a parse error: the command word the user typed that names no command ("frob", or
// "pll frob" below an existing one), "" when the words name commands. Option words and the
// values of options that take one are passed over.
std::string strUnknownCommand(CLI::App& app, int argc, char** argv)
{
    CLI::App* pLevel = &app;
    std::string strPath;
    for (int i = 1; i < argc; ++i) {
        const std::string strWord = argv[i];
        if (strWord == "--") break;
        if (strWord.size() > 1 && strWord[0] == '-') {
            if (strWord.find('=') != std::string::npos) continue;
            const CLI::Option* pOption = pLevel->get_option_no_throw(strWord);
            if (pOption && pOption->get_items_expected_max() > 0) ++i;  // its value
            continue;
        }
        if (pLevel->get_subcommands({}).empty()) break;  // the arguments of a command
        CLI::App* pSub = nullptr;
        try {
            pSub = pLevel->get_subcommand(strWord);
        } catch (const CLI::OptionNotFound&) {
            pSub = nullptr;
        }
        if (!pSub) return strPath + strWord;
        strPath += strWord + " ";
        pLevel = pSub;
    }
    return "";
}

}  // namespace

int main(int argc, char** argv)
{
    kit::InitTraceFromEnvironment();
    cli::GlobalOptions options;
    CLI::App app{"Pendulon: read and set the clocks of a PC motherboard", "pendulon-cli"};
    app.set_version_flag("--version", PENDULON_VERSION);
    app.require_subcommand(1);
    CLI::Option* pBoard = app.add_option("--board", options.strBoard,
                   "run on a simulated board (a name from the boards directory or a board file) "
                   "instead of this machine");
    app.add_flag("--trace", options.bTrace,
                 "print the driver's trace lines on stderr, with every hardware write (\"write ...\")");
    app.add_flag("--json", options.bJson, "print results as JSON");
    app.add_flag("-y,--yes", options.bYes, "do not ask before writing");
    app.add_flag("--force", options.bForce,
                 "use the SMBus controller even while a kernel driver (i2c_i801, i2c_piix4, ...) drives it");

    std::vector<std::unique_ptr<cli::CCommand>> commands = cli::CreateCommands();
    for (auto& pCommand : commands) pCommand->vAdd(app);

    // An empty board would silently mean this machine: a mistyped --board must never reach
    // the real hardware. (The parser would take "--board=" as asking for the next word.)
    for (int i = 1; i < argc; ++i) {
        const std::string strWord = argv[i];
        if (strWord == "--") break;
        if (strWord == "--board=" || (strWord == "--board" && i + 1 < argc && argv[i + 1][0] == '\0')) {
            cli::vError("--board needs a board name or file (see --help)");
            return cli::EXIT_USAGE;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        const std::string strUnknown = strUnknownCommand(app, argc, argv);
        if (!strUnknown.empty())
            cli::vError("unknown command '%s' (see --help)", strUnknown.c_str());
        else
            cli::vError("%s (see --help)", e.what());
        return cli::EXIT_USAGE;
    }
    if (pBoard->count() > 0 && options.strBoard.empty()) {
        cli::vError("--board needs a board name or file (see --help)");
        return cli::EXIT_USAGE;
    }
    if (!options.strBoard.empty() && !app::bHasSimulatedBoards()) {
        cli::vError("%s", app::strNoSimulatedBoards().c_str());
        return cli::EXIT_USAGE;
    }
    if (options.bTrace) kit::SetTraceEnabled(true);
    for (auto& pCommand : commands)
        if (pCommand->bChosen()) return pCommand->nRun(options);
    cli::vError("no command given (see --help)");
    return cli::EXIT_USAGE;
}
