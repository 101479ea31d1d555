// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// pendulon-cli acpi: where the firmware's ACPI tables are and the PM timer they name.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateACPICommand();

}  // namespace cli
