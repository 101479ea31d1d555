// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Snapping of a frame that is moved or sized: its edges line up with the work area's edges and
// with the other open frames' edges once they come within the snap distance, and pull free once
// the mouse has moved on. Pure functions of rectangles; the frames feed them their geometry.
#include <cstdint>
#include <vector>

namespace ui {

// A window rectangle as the window system gives it: right and bottom are one past the last
// pixel. 32-bit signed arithmetic throughout.
struct SnapRect {
    int32_t nLeft = 0;
    int32_t nTop = 0;
    int32_t nRight = 0;
    int32_t nBottom = 0;

    int32_t nWidth() const { return nRight - nLeft; }
    int32_t nHeight() const { return nBottom - nTop; }
    bool operator==(const SnapRect&) const = default;
};

inline constexpr int32_t SNAP_DISTANCE = 8;

// One snap calculation: the frame's rectangle now (N), the proposed one (P), the movement of
// each edge and the result (R), each side of R starting out of reach of every candidate.
class CSnapInfo {
public:
    CSnapInfo(const SnapRect& now, const SnapRect& proposed, int32_t nDistance = SNAP_DISTANCE);

    // A vertical line at x, a horizontal line at y: an edge that moves and comes nearer to the
    // line than to any line offered before snaps to it.
    void vOfferVertical(int32_t x);
    void vOfferHorizontal(int32_t y);
    // Each side of R that ended up more than the snap distance from P's side goes back to P's.
    SnapRect Result() const;

private:
    // One axis: the two edges of N and P on it, their movements and R's two sides.
    struct Axis {
        int32_t nNowLow, nNowHigh, nLow, nHigh;  // N's and P's sides (left/right or top/bottom)
        int32_t nResultLow, nResultHigh;
    };
    static void vOffer(Axis& axis, int32_t nLine);

    int32_t m_nDistance;
    Axis m_X;
    Axis m_Y;
};

// Where a dragged frame goes when the window system proposes P: its start rectangle moved by
// the mouse's travel since the drag began (so that a snapped frame pulls free once the mouse
// has moved on); P itself when the mouse has not moved.
SnapRect DraggedRect(const SnapRect& proposed, const SnapRect& start, int32_t dx, int32_t dy);

// The snap of P for a frame now at N: the work area's (the screen's available geometry, where
// panels and docks are already cut off) left and right lines, then its top and
// bottom lines, then of every other frame (in the order given, those that exist, are not
// minimised and are not the frame itself) its top, bottom, left and right.
SnapRect Snap(const SnapRect& now, const SnapRect& proposed, const SnapRect& workArea,
              const std::vector<SnapRect>& others, int32_t nDistance = SNAP_DISTANCE);

}  // namespace ui
