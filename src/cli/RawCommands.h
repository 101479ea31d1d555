// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "raw": direct access to PCI configuration registers, I/O ports, physical memory and MSRs,
// in the manner of setpci and msr-tools. Nothing is written without an explicit =VALUE.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateRawCommand();

}  // namespace cli
