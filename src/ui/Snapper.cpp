// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/Snapper.h"

namespace ui {

void CSnapper::vBegin(const void* pFrame, SnapPoint mouse, const SnapRect& start)
{
    m_pFrame = pFrame;
    m_Mouse = mouse;
    m_Start = start;
}

void CSnapper::vEnd()
{
    m_pFrame = nullptr;
}

SnapRect CSnapper::Moving(const SnapRect& now, const SnapRect& proposed, SnapPoint mouse, const SnapRect& workArea,
                          const std::vector<SnapRect>& others) const
{
    const SnapRect dragged = DraggedRect(proposed, m_Start, mouse.x - m_Mouse.x, mouse.y - m_Mouse.y);
    return Snap(now, dragged, workArea, others, m_nDistance);
}

SnapRect CSnapper::Sizing(const SnapRect& now, const SnapRect& proposed, const SnapRect& workArea,
                          const std::vector<SnapRect>& others) const
{
    return Snap(now, proposed, workArea, others, m_nDistance);
}

}  // namespace ui
