#pragma once
// One command of pendulon-cli. Each command adds itself (with its options) to the parser; the
// one the user chose runs with the global options and gives the exit status.
#include <memory>
#include <vector>

#include "cli/Session.h"

namespace CLI {
class App;
}

namespace cli {

class CCommand {
public:
    virtual ~CCommand() = default;
    virtual void vAdd(CLI::App& app) = 0;
    // True when the parsed command line chose this command.
    virtual bool bChosen() const = 0;
    virtual int nRun(const GlobalOptions& options) = 0;
};

// Every command, in the order --help lists them.
std::vector<std::unique_ptr<CCommand>> CreateCommands();

}  // namespace cli
