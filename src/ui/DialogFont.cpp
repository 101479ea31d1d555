// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/DialogFont.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace ui {

QFont DialogFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

DialogBaseUnits BaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    return {nAverageCharWidth(metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))),
            metrics.height()};
}

QRect DialogQRect(int32_t x, int32_t y, int32_t nWidth, int32_t nHeight, const DialogBaseUnits& base)
{
    const PixelRect r = DialogRect(x, y, nWidth, nHeight, base);
    return {r.x, r.y, r.nWidth, r.nHeight};
}

}  // namespace ui
