// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/UpDownCtrl.h"

#include <QToolButton>

namespace ui {

namespace {

// The standard up-down's pause before it repeats and its rate.
constexpr int REPEAT_DELAY_MS = 500;
constexpr int REPEAT_INTERVAL_MS = 100;

QToolButton* pArrowButton(Qt::ArrowType eArrow, QWidget* pParent)
{
    auto* pButton = new QToolButton(pParent);
    pButton->setArrowType(eArrow);
    pButton->setAutoRepeat(true);
    pButton->setAutoRepeatDelay(REPEAT_DELAY_MS);
    pButton->setAutoRepeatInterval(REPEAT_INTERVAL_MS);
    // Like the standard control, the arrows take no keyboard focus.
    pButton->setFocusPolicy(Qt::NoFocus);
    return pButton;
}

}  // namespace

CUpDownCtrl::CUpDownCtrl(QWidget* pParent)
    : QWidget(pParent), m_pLeft(pArrowButton(Qt::LeftArrow, this)), m_pRight(pArrowButton(Qt::RightArrow, this))
{
    // The range runs from 100 down to 0: the right arrow counts towards 0.
    connect(m_pLeft, &QToolButton::clicked, this, [this] { emit DeltaPos(+1); });
    connect(m_pRight, &QToolButton::clicked, this, [this] { emit DeltaPos(-1); });
}

QSize CUpDownCtrl::sizeHint() const { return {34, 13}; }

void CUpDownCtrl::resizeEvent(QResizeEvent*)
{
    // The two halves of the control, the right one taking an odd pixel.
    const int nLeft = width() / 2;
    m_pLeft->setGeometry(0, 0, nLeft, height());
    m_pRight->setGeometry(nLeft, 0, width() - nLeft, height());
}

}  // namespace ui
