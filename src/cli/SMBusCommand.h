// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "smbus": the machine's SMBus in the manner of i2c-tools: list the controllers, scan for
// devices (i2cdetect), read and write a register (i2cget, i2cset), dump a device (i2cdump).
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateSMBusCommand();

}  // namespace cli
