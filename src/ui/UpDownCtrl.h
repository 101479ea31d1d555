// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A horizontal up-down: two small arrow buttons side by side that repeat while held. Each
// click reports the change the standard control with its default range (100 down to 0)
// reports: -1 for the right arrow, +1 for the left one. The control keeps no position of
// its own; its owner moves a slider by the delta (fUpDownValue).
#include <QWidget>

class QToolButton;

namespace ui {

class CUpDownCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CUpDownCtrl(QWidget* pParent = nullptr);

    QSize sizeHint() const override;

signals:
    void DeltaPos(int nDelta);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    QToolButton* m_pLeft;
    QToolButton* m_pRight;
};

}  // namespace ui
