// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "pll": the clock generator: the supported models, reading the chip, previewing and setting
// the FSB (and the GSB) in steps, presets, the register dump report and raw image writes.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreatePLLCommand();

}  // namespace cli
