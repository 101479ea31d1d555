// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "startup": the option "Apply current settings at startup": whether the boot unit is enabled,
// enabling it (profile 0 is saved from the chip's state then) and disabling it.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateStartupCommand();

}  // namespace cli
