// pendulon-cli: the command-line front end. Exit status 0 on success, 1 when the hardware
// or the driver failed, 2 for bad input (nothing is touched then).
#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/Command.h"
#include "cli/Session.h"
#include "kit/Trace.h"

int main(int argc, char** argv)
{
    kit::InitTraceFromEnvironment();
    cli::GlobalOptions options;
    CLI::App app{"Pendulon: read and set the clocks of a PC motherboard", "pendulon-cli"};
    app.set_version_flag("--version", PENDULON_VERSION);
    app.require_subcommand(1);
    app.add_option("--board", options.strBoard,
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

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        cli::vError("%s (see --help)", e.what());
        return cli::EXIT_USAGE;
    }
    if (options.bTrace) kit::SetTraceEnabled(true);
    for (auto& pCommand : commands)
        if (pCommand->bChosen()) return pCommand->nRun(options);
    cli::vError("no command given (see --help)");
    return cli::EXIT_USAGE;
}
