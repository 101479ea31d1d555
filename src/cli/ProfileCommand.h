// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "profile": save the clock generator's state as a profile, apply a profile to the chip (what
// the program does with "-i" at boot), and show what a profile file holds.
#include <memory>

#include "app/PendulonApp.h"
#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateProfileCommand();

// The application core as the command line tool runs it: on the chosen board, without the
// instance lock (the program may be running) and without a monitor thread; its messages go
// to stderr as this tool's.
app::AppOptions CommandAppOptions(const GlobalOptions& options);
void vRouteMessages(app::CPendulonApp& app);
// A start that would read a clock chip whose read writes to it asks first (-y answers it,
// without a terminal the chip stays unread).
void vAskBeforeWritingReads(app::AppOptions& appOptions, const GlobalOptions& options);

}  // namespace cli
