#pragma once
// "raw": direct access to PCI configuration registers, I/O ports, physical memory and MSRs,
// in the manner of setpci and msr-tools. Nothing is written without an explicit =VALUE.
#include <string>
#include <vector>

#include "cli/Session.h"

namespace CLI {
class App;
}

namespace cli {

struct RawArguments {
    std::vector<std::string> arguments;
    unsigned nCpu = 0;
};

// Adds the "raw" command and its four sub-commands; the chosen one runs through nRunRaw.
void vAddRawCommands(CLI::App& app, RawArguments& args, std::string& strChosen);
int nRunRaw(const std::string& strChosen, const RawArguments& args, const GlobalOptions& options);

}  // namespace cli
