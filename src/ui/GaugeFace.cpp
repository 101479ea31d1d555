// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/GaugeFace.h"

#include <QPainter>
#include <QRadialGradient>
#include <cmath>

#include "ui/GaugeGeometry.h"

namespace ui {

QPixmap GaugeFace()
{
    QPixmap face(GAUGE_FACE_WIDTH, GAUGE_FACE_HEIGHT);
    face.fill(Qt::transparent);
    QPainter painter(&face);
    painter.setRenderHint(QPainter::Antialiasing);
    // The needle turns about (25, 25): the dial is centred there.
    const QPointF centre(GAUGE_FACE_WIDTH / 2, GAUGE_CENTRE_Y);
    const qreal rRim = 24.0;
    QRadialGradient rim(centre, rRim);
    rim.setColorAt(0.86, QColor(0x8A, 0x94, 0xA6));
    rim.setColorAt(1.0, QColor(0x4E, 0x57, 0x66));
    painter.setPen(Qt::NoPen);
    painter.setBrush(rim);
    painter.drawEllipse(centre, rRim, rRim);
    QRadialGradient dial(centre - QPointF(5, 6), 26);
    dial.setColorAt(0.0, QColor(0xFF, 0xFF, 0xFF));
    dial.setColorAt(1.0, QColor(0xD8, 0xDE, 0xE8));
    painter.setBrush(dial);
    painter.drawEllipse(centre, rRim - 3, rRim - 3);
    // Eleven ticks from the start of the sweep to its end; the major ones longer.
    for (int nTick = 0; nTick <= 10; ++nTick) {
        const qreal rAngle = (GAUGE_START_ANGLE + GAUGE_SWEEP * nTick / 10.0) * M_PI / 180.0;
        const qreal rOuter = rRim - 4, rInner = nTick % 5 == 0 ? rRim - 9 : rRim - 7;
        painter.setPen(QPen(nTick >= 8 ? QColor(0xC0, 0x20, 0x20) : QColor(0x30, 0x38, 0x48), nTick % 5 == 0 ? 1.6 : 1.0));
        const QPointF direction(std::cos(rAngle), std::sin(rAngle));
        painter.drawLine(centre + direction * rInner, centre + direction * rOuter);
    }
    // The hub the needle turns on.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x38, 0x48));
    painter.drawEllipse(centre, 2.2, 2.2);
    return face;
}

}  // namespace ui
