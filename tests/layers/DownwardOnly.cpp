// SPDX-License-Identifier: GPL-2.0-or-later
// A pll source that includes only layers below it, a system header and a local header.
#include "smbus/SMBusInterface.h"
#include "kit/Trace.h"
#include <CLI/CLI.hpp>
#include "ChipMechanics.h"
