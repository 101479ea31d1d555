#include "cli/ACPICommand.h"
#include "cli/ChipsetCommand.h"
#include "cli/Command.h"
#include "cli/DMICommand.h"
#include "cli/InfoCommand.h"
#include "cli/PCICommand.h"
#include "cli/RawCommands.h"
#include "cli/SMBusCommand.h"

namespace cli {

std::vector<std::unique_ptr<CCommand>> CreateCommands()
{
    std::vector<std::unique_ptr<CCommand>> commands;
    commands.push_back(CreateInfoCommand());
    commands.push_back(CreatePCICommand());
    commands.push_back(CreateChipsetCommand());
    commands.push_back(CreateDMICommand());
    commands.push_back(CreateACPICommand());
    commands.push_back(CreateRawCommand());
    commands.push_back(CreateSMBusCommand());
    return commands;
}

}  // namespace cli
