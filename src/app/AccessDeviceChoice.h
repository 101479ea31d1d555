// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Which access device the program runs on: the simulated board named by --board, or the
// real machine through the "linux" device.
#include <memory>
#include <string>

#include "kit/AccessDevice.h"

namespace app {

// Empty strBoard: the real machine. Otherwise a board name or file; null with strError set
// (naming the board and what is wrong with it) when it cannot be loaded. The locks the
// process opens from then on are in the board's namespace (the real machine's for "").
std::unique_ptr<CAccessDevice> CreateAccessDevice(const std::string& strBoard, std::string& strError);

// Whether this build has the simulated machine. One configured with -DPENDULON_SIM=OFF has
// not: the programs refuse --board with strNoSimulatedBoards().
bool bHasSimulatedBoards();
std::string strNoSimulatedBoards();

}  // namespace app
