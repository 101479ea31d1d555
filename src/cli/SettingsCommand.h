// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "settings show": what the settings file "pendulon.ini" holds, as the program reads it.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateSettingsCommand();

}  // namespace cli
