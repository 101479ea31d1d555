// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "cpu": the processors as the CPU interface sees them: packages, cores and threads, the
// identification of the first processor, its features and caches, the current multiplier,
// the bus clock and every core's clock, and the FID/VID ranges where the processor has them.
// "--watch [N]" measures the clocks again once a second (N times, or until interrupted).
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateCPUCommand();

}  // namespace cli
