// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "info": one screen about the machine: what it is (from DMI), its processors, its bridges
// and memory, the PCI functions and the display controllers, and the ACPI PM timer.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateInfoCommand();

}  // namespace cli
