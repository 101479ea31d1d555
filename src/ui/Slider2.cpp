// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/Slider2.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/SliderThumb.h"

namespace ui {

namespace {

// Windows COLORREF 0x00BBGGRR 0x00ACB6BD: the groove's fill.
const QColor GROOVE_COLOUR(0xBD, 0xB6, 0xAC);

}  // namespace

CSlider2::CSlider2(QWidget* pParent) : QWidget(pParent)
{
    // Every pixel is painted in paintEvent, in one pass: nothing is erased before.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
    InitSlider();
}

void CSlider2::InitSlider()
{
    m_Thumb = SliderThumb();
    m_nThumbWidth = m_Thumb.width();
    m_nThumbHeight = m_Thumb.height();
    m_fMinimum = 0.0f;
    m_fMaximum = 100.0f;
    m_fValue = 0.0f;
    m_fStep = 0.5f;
    vMeasure();
    m_nX = nSliderX(m_fValue, Travel(), m_fMinimum, m_fMaximum);
    vPlaceThumb();
}

void CSlider2::vMeasure()
{
    m_rcClient = rect();
    m_nWidth = m_rcClient.width();
    m_nHeight = m_rcClient.height();
    const SliderTravel travel = SliderThumbTravel(m_nWidth, m_nThumbWidth);
    m_nXMin = travel.nXMin;
    m_nXMax = travel.nXMax;
}

void CSlider2::vPlaceThumb()
{
    const SliderPoint origin = SliderThumbOrigin(m_nX, m_nThumbWidth, m_nThumbHeight, m_nHeight);
    m_nThumbLeft = origin.x;
    m_nThumbTop = origin.y;
    update();
}

void CSlider2::SetRange(float fMinimum, float fMaximum)
{
    m_fMinimum = fMinimum;
    m_fMaximum = fMaximum;
    m_fValue = fSliderValueAt(m_nX, Travel(), m_fMinimum, m_fMaximum, m_fStep);
}

void CSlider2::SetPos(float fValue)
{
    m_fValue = fSliderClampValue(fValue, m_fMinimum, m_fMaximum);
    m_nX = nSliderX(m_fValue, Travel(), m_fMinimum, m_fMaximum);
    vPlaceThumb();
}

QSize CSlider2::sizeHint() const { return {4 * SLIDER_THUMB_WIDTH, SLIDER_THUMB_HEIGHT + 4}; }

void CSlider2::resizeEvent(QResizeEvent*)
{
    // The panels lay the slider out after it was set up: the value stays, the thumb follows
    // the new width.
    vMeasure();
    m_nX = nSliderX(m_fValue, Travel(), m_fMinimum, m_fMaximum);
    vPlaceThumb();
}

void CSlider2::vTrack(double dMouseX)
{
    m_nX = int32_t(std::clamp(std::floor(dMouseX), double(m_nXMin), double(m_nXMax)));
    m_fValue = fSliderValueAt(m_nX, Travel(), m_fMinimum, m_fMaximum, m_fStep);
    vPlaceThumb();
    emit Moved(m_fValue);
}

void CSlider2::mousePressEvent(QMouseEvent* pEvent)
{
    // Qt sends the moves that follow to this control until the button is released, which
    // ends the drag.
    if (pEvent->button() != Qt::LeftButton) return QWidget::mousePressEvent(pEvent);
    vTrack(pEvent->position().x());
}

void CSlider2::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (!(pEvent->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(pEvent);
    vTrack(pEvent->position().x());
}

void CSlider2::paintEvent(QPaintEvent*)
{
    // Qt paints a widget into its back buffer and shows it in one piece.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const PixelRect groove = SliderGroove(width(), height());
    if (groove.nWidth > 0 && groove.nHeight > 0) {
        const int32_t nRight = groove.x + groove.nWidth - 1, nBottom = groove.y + groove.nHeight - 1;
        painter.fillRect(groove.x, groove.y, groove.nWidth, groove.nHeight, GROOVE_COLOUR);
        // Sunken: dark above and to the left, light below and to the right (which take the
        // bottom-left and top-right corners).
        painter.fillRect(groove.x, groove.y, groove.nWidth, 1, Qt::black);
        painter.fillRect(groove.x, groove.y, 1, groove.nHeight, Qt::black);
        painter.fillRect(groove.x, nBottom, groove.nWidth, 1, Qt::white);
        painter.fillRect(nRight, groove.y, 1, groove.nHeight, Qt::white);
    }
    painter.drawPixmap(m_nThumbLeft, m_nThumbTop, m_Thumb);
}

}  // namespace ui
