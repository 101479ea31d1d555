// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/DragPanel.h"

#include <QMouseEvent>

namespace ui {

void CDragPanel::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton) return;
    m_bDragging = true;
    emit DragStarted(pEvent->globalPosition().toPoint());
}

void CDragPanel::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (!m_bDragging || !(pEvent->buttons() & Qt::LeftButton)) return;
    emit DragMoved(pEvent->globalPosition().toPoint());
}

void CDragPanel::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton || !m_bDragging) return;
    m_bDragging = false;
    emit DragEnded();
}

}  // namespace ui
