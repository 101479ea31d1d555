// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/BmpButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "ui/ButtonIcons.h"

namespace ui {

namespace {

constexpr int ICON_LEFT = 5;   // the picture's distance from the left side
constexpr int TEXT_LEFT = 28;  // the text's distance from the left side

}  // namespace

CBmpButton::CBmpButton(const QString& strText, EMainButton eButton, QWidget* pParent)
    : QPushButton(strText, pParent), m_eButton(eButton), m_Icon(ButtonIcon(eButton))
{
    setFocusPolicy(Qt::StrongFocus);
}

QPoint CBmpButton::IconPos() const
{
    const QRect area = rect();
    return {area.left() + ICON_LEFT, area.top() + (area.height() - m_Icon.height()) / 2};
}

QRect CBmpButton::TextRect() const
{
    return rect().adjusted(TEXT_LEFT, 0, 0, 0);
}

QSize CBmpButton::sizeHint() const
{
    // The text from 28 pixels in with a little room after it; at least as high as a push
    // button and the picture with a 2-pixel border.
    const QSize base = QPushButton::sizeHint();
    const int nTextWidth = fontMetrics().horizontalAdvance(text());
    return {TEXT_LEFT + nTextWidth + 8, std::max(base.height(), m_Icon.height() + 4)};
}

void CBmpButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The face alone, raised or pressed: no text, no icon, no focus frame, no hover, and
    // drawn as enabled whatever the button's state.
    QStyleOptionButton option;
    option.initFrom(this);
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.state |= QStyle::State_Enabled;
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    option.features = QStyleOptionButton::None;
    option.palette.setCurrentColorGroup(QPalette::Active);
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);

    painter.drawPixmap(IconPos(), m_Icon);

    painter.setPen(Qt::black);
    painter.setFont(font());
    painter.drawText(TextRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text());
}

}  // namespace ui
