// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The kit's machine facts as the application assembles the kit: answered from the kit root's
// CPU, PCI and SMBus interfaces when they are there, and from its access device. The creation
// of the interfaces (app/InterfaceCreation.h) makes them the kit's facts.
#include "kit/MachineFacts.h"

namespace app {

IMachineFacts& KitFacts();

}  // namespace app
