// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A panel that drags its window: the left button pressed anywhere on it (not on a control
// that takes the mouse) and moved reports the global mouse positions, and the frame follows
// them as though its caption were dragged.
#include <QPoint>
#include <QWidget>

namespace ui {

class CDragPanel : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

signals:
    void DragStarted(QPoint global);
    void DragMoved(QPoint global);
    void DragEnded();

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    bool m_bDragging = false;
};

}  // namespace ui
