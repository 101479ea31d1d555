// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the main panel's controls go when its window is W × H pixels: the shown buttons
// stacked from the top, 4 pixels apart and 4 from the sides; the PLL buttons only when the
// kit has a clock generator, "Memory Buffer" only when it has a memory buffer; the version
// label just above the link, the link at the bottom.
#include <array>
#include <cstdint>

#include "ui/DialogUnits.h"

namespace ui {

enum EMainButton : uint8_t { BUTTON_CLOCKS, BUTTON_PLL_CONTROL, BUTTON_PLL_SETUP, BUTTON_MEMORY_BUFFER, BUTTON_OPTIONS, MAIN_BUTTONS };

struct PlacedControl {
    bool bShown = false;
    PixelRect rect;
    bool operator==(const PlacedControl&) const = default;
};

struct MainPanelPlacement {
    std::array<PlacedControl, MAIN_BUTTONS> buttons;
    PixelRect link;
    PixelRect version;
};

struct MainPanelInput {
    int32_t nWidth = 0, nHeight = 0;        // the panel (the main view's client area)
    int32_t nButtonHeight = 0;              // the "Clocks" button's height from the layout
    bool bClockGenerator = false;           // the kit has a clock generator interface
    bool bMemoryBuffer = false;             // the kit has a memory buffer interface
    int32_t nLinkWidth = 0, nLinkHeight = 0;        // the link keeps its size
    int32_t nVersionWidth = 0, nVersionHeight = 0;  // and so does the version label
};

MainPanelPlacement PlaceMainPanel(const MainPanelInput& in);

}  // namespace ui
