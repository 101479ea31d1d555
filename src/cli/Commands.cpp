#include "cli/Command.h"
#include "cli/RawCommands.h"

namespace cli {

std::vector<std::unique_ptr<CCommand>> CreateCommands()
{
    std::vector<std::unique_ptr<CCommand>> commands;
    commands.push_back(CreateRawCommand());
    return commands;
}

}  // namespace cli
