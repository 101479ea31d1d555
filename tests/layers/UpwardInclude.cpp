// SPDX-License-Identifier: GPL-2.0-or-later
// A kit source as the layer check sees it: the platform and kit includes are below or in the
// layer and pass; the third reaches up into pll and must fail the build, named with its line.
#include "platform/Clock.h"
#include "kit/Trace.h"
#include <vector>
  #  include "pll/ClockGenerator.h"
