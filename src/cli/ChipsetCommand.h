// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "chipset": the north bridge(s) and the south bridge the kit identified, the memory
// controller's settings and the memory clock.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateChipsetCommand();

}  // namespace cli
