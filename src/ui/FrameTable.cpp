// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/FrameTable.h"

namespace ui {

namespace {

// Clocks and PLL Control have a fixed size; PLL Setup and Memory Buffer may be made taller
// but not narrower than they open.
constexpr FrameRow FRAMES[] = {
    {"Clocks", 335, 85, true, false, 0, 0, ERestore::Position},
    {"PLL Control", 335, 102, true, false, 0, 0, ERestore::Position},
    {"PLL Setup", 335, 300, false, true, 335, 0, ERestore::Rectangle},
    {"MemoryBuffer", 335, 350, false, true, 335, 0, ERestore::Rectangle},
    {"Options", 335, 120, true, true, 0, 0, ERestore::Position},
    {"Pendulon", 200, 300, false, true, 135, 200, ERestore::Rectangle},
};
static_assert(std::size(FRAMES) == FRAME_MAIN + 1);

}  // namespace

std::span<const FrameRow> FrameRows() { return FRAMES; }

const FrameRow& Frame(int nFrame) { return FRAMES[nFrame >= 0 && nFrame <= FRAME_MAIN ? nFrame : FRAME_MAIN]; }

int32_t nCreationHeight(const FrameRow& row, int32_t nCaptionHeight)
{
    return row.nHeight + (row.bAddCaption ? nCaptionHeight : 0);
}

app::WindowPlacement PlacementToApply(const FrameRow& row, const app::WindowPlacement& stored, int32_t nWidth,
                                      int32_t nHeight)
{
    app::WindowPlacement placement = stored;
    if (row.eRestore == ERestore::Position) {
        placement.nRight = placement.nLeft + nWidth;
        placement.nBottom = placement.nTop + nHeight;
    }
    return placement;
}

}  // namespace ui
