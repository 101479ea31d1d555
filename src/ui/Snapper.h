// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one snapper of the program: it follows the frame that is being moved or sized, from the
// first move to the end of the drag, and works out where each step of it goes. A drag is
// followed from the mouse, so that a frame that has snapped to a line pulls free again once
// the mouse has moved on by more than the snap distance. The frames feed it their geometry;
// it knows no window system.
#include <cstdint>
#include <vector>

#include "ui/Snapping.h"

namespace ui {

struct SnapPoint {
    int32_t x = 0;
    int32_t y = 0;
};

class CSnapper {
public:
    // A frame starts to move or size (the window system's drag, or a drag of its panel):
    // the mouse is at mouse and the frame's window rectangle is start.
    void vBegin(const void* pFrame, SnapPoint mouse, const SnapRect& start);
    // The drag is over.
    void vEnd();
    // The frame being dragged, or null.
    const void* pFrame() const { return m_pFrame; }
    const SnapRect& Start() const { return m_Start; }
    int32_t nMouseX() const { return m_Mouse.x; }
    int32_t nMouseY() const { return m_Mouse.y; }

    // A step of a move: the window system proposes P (the frame is at N, the mouse at
    // mouse); the frame goes to the start rectangle moved by the mouse's travel, snapped.
    SnapRect Moving(const SnapRect& now, const SnapRect& proposed, SnapPoint mouse, const SnapRect& workArea,
                    const std::vector<SnapRect>& others) const;
    // A step of a size: the proposed rectangle snapped as it is.
    SnapRect Sizing(const SnapRect& now, const SnapRect& proposed, const SnapRect& workArea,
                    const std::vector<SnapRect>& others) const;

    int32_t nDistance() const { return m_nDistance; }

private:
    int32_t m_nDistance = SNAP_DISTANCE;
    const void* m_pFrame = nullptr;
    SnapPoint m_Mouse;
    SnapRect m_Start;
};

}  // namespace ui
