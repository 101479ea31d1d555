// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ACPICommand.h"
#include "cli/ChipsetCommand.h"
#include "cli/CPUCommand.h"
#include "cli/Command.h"
#include "cli/DMICommand.h"
#include "cli/InfoCommand.h"
#include "cli/MembufCommand.h"
#include "cli/PCICommand.h"
#include "cli/PLLCommand.h"
#include "cli/MonitorCommand.h"
#include "cli/ProfileCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/StartupCommand.h"
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
    commands.push_back(CreateCPUCommand());
    commands.push_back(CreatePLLCommand());
    commands.push_back(CreateMembufCommand());
    commands.push_back(CreateProfileCommand());
    commands.push_back(CreateStartupCommand());
    commands.push_back(CreateMonitorCommand());
    commands.push_back(CreateSettingsCommand());
    return commands;
}

}  // namespace cli
