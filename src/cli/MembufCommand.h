// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "membuf": the FB-DIMM memory clock buffer: read the clock skews of both memory channels,
// and set the CLKIN and FB-INT skews of one channel.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateMembufCommand();

}  // namespace cli
