// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer: the profile reader on any bytes. Whatever it lets through must be safe to hand
// to the clock chip: images of at most 255 bytes, clocks a walk can reach.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    bool bImage = false;
    for (const app::ProfileStep& step : app::ParseProfile(strText)) {
        if (step.eAction == app::ProfileAction::WriteDump) {
            if (step.Bytes.size() > 255) std::abort();
            bImage = true;
        } else {
            // Clock lines after an image are void.
            if (bImage) std::abort();
            if (!std::isfinite(step.fClock) || step.fClock <= 0 || step.fClock > app::PROFILE_MAX_CLOCK_MHZ)
                std::abort();
        }
    }
    return 0;
}
