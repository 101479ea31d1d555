// SPDX-License-Identifier: GPL-2.0-or-later
// Snapping of frames that are moved or sized: edges line up with the work area and with other
// frames within 8 pixels, a moved frame keeps its size, a sized frame snaps only the edge that
// moves, and a dragged frame pulls free once the mouse has moved on.
#include <gtest/gtest.h>

#include "ui/Snapping.h"

namespace {

using ui::SnapRect;

const SnapRect SCREEN = {0, 0, 1024, 768};

// A frame of 200 × 100 whose drag the window system proposes at (x, y).
SnapRect At(int32_t x, int32_t y, int32_t w = 200, int32_t h = 100) { return {x, y, x + w, y + h}; }

}  // namespace

TEST(UiSnapping, AMovedFrameLinesUpWithTheNearestEdgeAndKeepsItsSize)
{
    const SnapRect now = At(300, 300);
    const SnapRect other = {100, 100, 250, 250};  // its right edge at 250
    // Left edge 5 pixels right of the other's right edge: lands on it, width kept.
    EXPECT_EQ(ui::Snap(now, At(255, 302), SCREEN, {other}), At(250, 302));
    // 8 pixels is still within reach, 9 is not.
    EXPECT_EQ(ui::Snap(now, At(258, 302), SCREEN, {other}), At(250, 302));
    EXPECT_EQ(ui::Snap(now, At(259, 302), SCREEN, {other}), At(259, 302));
    // The right edge near the screen's right: the frame goes flush, size kept.
    EXPECT_EQ(ui::Snap(now, At(820, 302), SCREEN, {}), At(824, 302));
    // Both axes at once: near the work area's top-left corner.
    EXPECT_EQ(ui::Snap(now, At(6, -3), SCREEN, {}), At(0, 0));
    // Edges are offered whatever the other axis: a frame far below still lines up.
    EXPECT_EQ(ui::Snap(now, At(254, 600), SCREEN, {other}), At(250, 600));
}

TEST(UiSnapping, OfTwoLinesTheNearerWinsAndOfTwoAsNearTheFirstOffered)
{
    const SnapRect now = At(300, 300);
    // The work area's left at 0 and another frame's right edge at 10: the frame's left at 4 is
    // 4 from the first and 6 from the second.
    EXPECT_EQ(ui::Snap(now, At(4, 300), SCREEN, {{-100, 500, 10, 600}}), At(0, 300));
    // At 6 it is nearer the frame's edge.
    EXPECT_EQ(ui::Snap(now, At(6, 300), SCREEN, {{-100, 500, 10, 600}}), At(10, 300));
    // At 5 both are 5 away: the work area was offered first.
    EXPECT_EQ(ui::Snap(now, At(5, 300), SCREEN, {{-100, 500, 10, 600}}), At(0, 300));
    // Two frames with edges as near: the first in the order given wins.
    EXPECT_EQ(ui::Snap(now, At(503, 300), SCREEN, {{0, 0, 500, 50}, {0, 60, 506, 80}}), At(500, 300));
}

TEST(UiSnapping, ASizedFrameSnapsOnlyTheEdgeThatMoves)
{
    // PLL Setup sized by its right edge towards the screen's right: only that edge snaps.
    const SnapRect now = {600, 200, 935, 500};
    EXPECT_EQ(ui::Snap(now, {600, 200, 1018, 500}, SCREEN, {}), (SnapRect{600, 200, 1024, 500}));
    // The left edge moving alone, near another frame's right edge.
    EXPECT_EQ(ui::Snap(now, {303, 200, 935, 500}, SCREEN, {{0, 0, 300, 100}}), (SnapRect{300, 200, 935, 500}));
    // The bottom edge near the work area's bottom (a panel cut off below it).
    const SnapRect work = {0, 0, 1024, 740};
    EXPECT_EQ(ui::Snap(now, {600, 200, 935, 734}, work, {}), (SnapRect{600, 200, 935, 740}));
    // A frame that does not move or change takes no line.
    EXPECT_EQ(ui::Snap(now, now, SCREEN, {{0, 0, 602, 100}}), now);
}

TEST(UiSnapping, ADraggedFrameFollowsTheMouseAndPullsFree)
{
    const SnapRect start = At(300, 300);
    const SnapRect other = {100, 100, 250, 250};
    // The mouse has moved 48 left: the frame is at 252, within reach, and snaps to 250.
    SnapRect dragged = ui::DraggedRect(At(251, 300), start, -48, 0);
    EXPECT_EQ(dragged, At(252, 300));
    const SnapRect snapped = ui::Snap(start, dragged, SCREEN, {other});
    EXPECT_EQ(snapped, At(250, 300));
    // The window system now proposes the snapped place moved by the mouse's next step; working
    // from the mouse, 8 pixels on the frame is at 244, still within reach; 12 pixels on it is
    // at 240: out of reach, free again.
    dragged = ui::DraggedRect(At(242, 300), start, -56, 0);
    EXPECT_EQ(ui::Snap(snapped, dragged, SCREEN, {other}), At(250, 300));
    dragged = ui::DraggedRect(At(238, 300), start, -60, 0);
    EXPECT_EQ(dragged, At(240, 300));
    EXPECT_EQ(ui::Snap(snapped, dragged, SCREEN, {other}), At(240, 300));
    // No mouse travel: the proposal as it is.
    EXPECT_EQ(ui::DraggedRect(At(17, 18), start, 0, 0), At(17, 18));
    // The proposal's size is kept.
    EXPECT_EQ(ui::DraggedRect(At(0, 0, 50, 60), start, 5, 7), At(305, 307, 50, 60));
}

TEST(UiSnapping, CSnapInfoOffersOneLineAtATime)
{
    // The same calculation as Snap, line by line: the right edge moved alone (sizing) takes the
    // nearest line within 8, the left edge stays where it was proposed.
    ui::CSnapInfo info({0, 0, 100, 100}, {0, 0, 190, 100});
    info.vOfferVertical(200);
    info.vOfferVertical(195);
    info.vOfferVertical(185);  // 5 away as well: the first offered at that distance stays
    info.vOfferHorizontal(104);
    EXPECT_EQ(info.Result(), (SnapRect{0, 0, 195, 100}));
}
