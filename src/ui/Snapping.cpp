// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/Snapping.h"

#include <cstdlib>

namespace ui {

namespace {

// Farther than any real candidate: a side of R starts this far from P's side, and an edge
// that does not move is this far from every line.
constexpr int32_t OUT_OF_REACH = 0x40000000;

int32_t nDistance(int32_t a, int32_t b) { return std::abs(a - b); }

}  // namespace

CSnapInfo::CSnapInfo(const SnapRect& now, const SnapRect& proposed, int32_t nDistance)
    : m_nDistance(nDistance),
      m_X{now.nLeft, now.nRight, proposed.nLeft, proposed.nRight, proposed.nLeft + OUT_OF_REACH,
          proposed.nRight + OUT_OF_REACH},
      m_Y{now.nTop, now.nBottom, proposed.nTop, proposed.nBottom, proposed.nTop + OUT_OF_REACH,
          proposed.nBottom + OUT_OF_REACH}
{
}

void CSnapInfo::vOfferVertical(int32_t x) { vOffer(m_X, x); }

void CSnapInfo::vOfferHorizontal(int32_t y) { vOffer(m_Y, y); }

// One line on one axis. An edge that does not move takes no line; a frame being sized snaps
// the one edge that moves, a frame being moved the nearer of its two edges and keeps its size.
// Every comparison is strict: of two lines at the same distance the one offered first wins.
void CSnapInfo::vOffer(Axis& a, int32_t nLine)
{
    const int32_t dLow = a.nNowLow - a.nLow, dHigh = a.nNowHigh - a.nHigh;
    if (dLow == 0 && dHigh == 0) return;
    int32_t aLow = dLow != 0 ? nDistance(a.nLow, nLine) : OUT_OF_REACH;
    int32_t aHigh = dHigh != 0 ? nDistance(a.nHigh, nLine) : OUT_OF_REACH;
    if (dLow != dHigh) {  // sizing
        if (aLow < nDistance(a.nResultLow, a.nLow))
            a.nResultLow = nLine;
        else if (aHigh < nDistance(a.nResultHigh, a.nHigh))
            a.nResultHigh = nLine;
        return;
    }
    // Moving: only the nearer edge counts (both when they are as near).
    if (aHigh > aLow)
        aHigh = OUT_OF_REACH;
    else if (aHigh < aLow)
        aLow = OUT_OF_REACH;
    const int32_t nSize = a.nHigh - a.nLow;
    if (aLow < nDistance(a.nResultLow, a.nLow)) {
        a.nResultLow = nLine;
        a.nResultHigh = nLine + nSize;
    } else if (aHigh < nDistance(a.nHigh, a.nResultHigh)) {
        a.nResultHigh = nLine;
        a.nResultLow = nLine - nSize;
    }
}

SnapRect CSnapInfo::Result() const
{
    auto side = [this](int32_t nResult, int32_t nProposed) {
        return nDistance(nResult, nProposed) > m_nDistance ? nProposed : nResult;
    };
    return {side(m_X.nResultLow, m_X.nLow), side(m_Y.nResultLow, m_Y.nLow), side(m_X.nResultHigh, m_X.nHigh),
            side(m_Y.nResultHigh, m_Y.nHigh)};
}

SnapRect DraggedRect(const SnapRect& proposed, const SnapRect& start, int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0) return proposed;
    const int32_t nLeft = start.nLeft + dx, nTop = start.nTop + dy;
    return {nLeft, nTop, nLeft + proposed.nWidth(), nTop + proposed.nHeight()};
}

SnapRect Snap(const SnapRect& now, const SnapRect& proposed, const SnapRect& workArea,
              const std::vector<SnapRect>& others, int32_t nDistance)
{
    CSnapInfo info(now, proposed, nDistance);
    info.vOfferVertical(workArea.nLeft);
    info.vOfferVertical(workArea.nRight);
    info.vOfferHorizontal(workArea.nTop);
    info.vOfferHorizontal(workArea.nBottom);
    for (const SnapRect& other : others) {
        info.vOfferHorizontal(other.nTop);
        info.vOfferHorizontal(other.nBottom);
        info.vOfferVertical(other.nLeft);
        info.vOfferVertical(other.nRight);
    }
    return info.Result();
}

}  // namespace ui
