// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "pci": the PCI functions the kit's scan found, one line each as `lspci -n` prints them, with
// the kit's class name; -v adds the kit's dump of headers and capabilities, -x the 256
// configuration bytes as `lspci -xxx` prints them.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreatePCICommand();

}  // namespace cli
