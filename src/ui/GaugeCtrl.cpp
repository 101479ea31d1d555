// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/GaugeCtrl.h"

#include <QFont>
#include <QPainter>

#include "ui/GaugeFace.h"
#include "ui/GaugeGeometry.h"

namespace ui {

namespace {

// Windows COLORREF 0x00BBGGRR values of the gauge, as colours.
const QColor NEEDLE_COLOUR(0x00, 0x00, 0xFF);  // 0x00FF0000
const QColor TITLE_COLOUR(0x00, 0x00, 0xC0);   // 0x00C00000

QFont TitleFont()
{
    QFont font("Verdana");
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    font.setPixelSize(12);
    font.setWeight(QFont::ExtraBold);  // weight 800
    return font;
}

}  // namespace

CGaugeCtrl::CGaugeCtrl(QWidget* pParent) : QWidget(pParent), m_Face(GaugeFace()), m_fAngle(GAUGE_START_ANGLE)
{
    // Every pixel is painted in paintEvent: nothing is erased before.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGaugeCtrl::Reset()
{
    m_strTitle.clear();
    m_fAngle = GAUGE_START_ANGLE;
    m_nMinimum = 0;
    m_nMaximum = 100;
    update();
}

void CGaugeCtrl::SetRange(int32_t nMinimum, int32_t nMaximum)
{
    m_nMinimum = nMinimum;
    m_nMaximum = nMaximum;
}

void CGaugeCtrl::SetValue(int32_t nValue)
{
    m_fAngle = fGaugeAngle(nValue, m_nMinimum, m_nMaximum);
    update();
}

void CGaugeCtrl::SetTitle(const QString& strTitle)
{
    m_strTitle = strTitle;
    update();
}

QSize CGaugeCtrl::sizeHint() const { return {GAUGE_FACE_WIDTH, GAUGE_FACE_HEIGHT}; }

void CGaugeCtrl::paintEvent(QPaintEvent*)
{
    // Qt paints a widget into its back buffer and shows it in one piece.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawPixmap(0, 0, m_Face);
    const NeedlePoint end = NeedleEnd(m_fAngle, 0, 0, width());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(NEEDLE_COLOUR, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPoint(width() / 2, GAUGE_CENTRE_Y), QPoint(end.x, end.y));
    if (!m_strTitle.isEmpty()) {
        painter.setFont(TitleFont());
        painter.setPen(TITLE_COLOUR);
        // Centred, its bottom one pixel below the gauge's.
        painter.drawText(QRect(0, 0, width(), height() + 1), Qt::AlignHCenter | Qt::AlignBottom, m_strTitle);
    }
}

}  // namespace ui
