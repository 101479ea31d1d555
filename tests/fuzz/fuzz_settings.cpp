// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer: the settings file reader on any bytes. It must never read out of bounds, and
// what it gives must be what the writer can write again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    for (const app::SettingsLine& line : app::ParseSettings(strText)) {
        if (line.eKey != app::SettingsKey::ToolWindow) continue;
        if (line.eWindow < 0 || line.eWindow >= app::TOOL_WINDOW_COUNT) std::abort();
        // A placement read back from what the writer makes of it is the same placement.
        app::SettingsContent content;
        content.tools[line.eWindow] = {true, line.nValue != 0, line.placement};
        const auto again = app::ParseSettings(app::strFormatSettings(content));
        if (again.size() != 2 || again[1].placement != line.placement) std::abort();
    }
    return 0;
}
