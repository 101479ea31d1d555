// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "monitor": the program's once-a-second measurement of the CPU and memory clocks, printed as
// a live table until Ctrl+C (or for --count refreshes).
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateMonitorCommand();

}  // namespace cli
