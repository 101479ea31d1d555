// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The six frames: caption, size at creation, minimum size, whether the user may size them,
// and what of a stored placement a tool window takes back when it opens again. No frame can
// be maximised. The row of a tool window is its EToolWindow; the main window's row is last.
#include <cstdint>
#include <span>

#include "app/WindowMessages.h"

namespace ui {

enum class ERestore : uint8_t {
    Position,   // only where it was: the frame keeps its own size
    Rectangle,  // where it was and how large
};

struct FrameRow {
    const char* pszCaption;
    int32_t nWidth;
    int32_t nHeight;             // with the caption's height added when bAddCaption
    bool bAddCaption;
    bool bResizable;
    int32_t nMinWidth;           // 0: the window system's own minimum
    int32_t nMinHeight;
    ERestore eRestore;
};

// Indexed by app::EToolWindow, then FRAME_MAIN.
inline constexpr int FRAME_MAIN = app::TOOL_WINDOW_COUNT;
std::span<const FrameRow> FrameRows();
const FrameRow& Frame(int nFrame);

// The frame's height at creation for a caption of nCaptionHeight pixels.
int32_t nCreationHeight(const FrameRow& row, int32_t nCaptionHeight);

// The placement a tool window is opened with, from its stored one and its own size now: a
// frame that takes back its position gets the stored normal rectangle moved to keep its own
// width and height (so a stored rectangle larger than the frame does not size it); one that
// takes back its rectangle gets the stored one unchanged.
app::WindowPlacement PlacementToApply(const FrameRow& row, const app::WindowPlacement& stored, int32_t nWidth,
                                      int32_t nHeight);

}  // namespace ui
