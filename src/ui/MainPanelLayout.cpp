// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/MainPanelLayout.h"

namespace ui {

namespace {

constexpr int32_t MARGIN = 4;

}  // namespace

MainPanelPlacement PlaceMainPanel(const MainPanelInput& in)
{
    MainPanelPlacement placement;
    const bool abShown[MAIN_BUTTONS] = {true, in.bClockGenerator, in.bClockGenerator, in.bMemoryBuffer, true};
    int32_t y = MARGIN;
    for (int nButton = 0; nButton < MAIN_BUTTONS; ++nButton) {
        PlacedControl& button = placement.buttons[nButton];
        button.bShown = abShown[nButton];
        if (!button.bShown) continue;  // a hidden button takes no room
        button.rect = {MARGIN, y, in.nWidth - 2 * MARGIN, in.nButtonHeight};
        y += in.nButtonHeight + MARGIN;
    }
    placement.link = {MARGIN, in.nHeight - in.nLinkHeight, in.nLinkWidth, in.nLinkHeight};
    placement.version = {MARGIN, in.nHeight - in.nLinkHeight - in.nVersionHeight, in.nVersionWidth,
                         in.nVersionHeight};
    return placement;
}

}  // namespace ui
