// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A main-panel push button drawn by itself: the style's button face, the button's picture
// 5 pixels from the left and centred in height, and the text in black from 28 pixels in,
// on one line, centred in height. Focus and the disabled state do not change the drawing.
#include <QPixmap>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QString>

#include "ui/MainPanelLayout.h"

namespace ui {

class CBmpButton : public QPushButton {
    Q_OBJECT

public:
    CBmpButton(const QString& strText, EMainButton eButton, QWidget* pParent = nullptr);

    EMainButton eButton() const { return m_eButton; }
    // Where the picture's top left corner is drawn, and the rectangle the text is set in.
    QPoint IconPos() const;
    QRect TextRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    EMainButton m_eButton;
    QPixmap m_Icon;
};

}  // namespace ui
