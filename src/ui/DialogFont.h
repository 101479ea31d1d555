// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The panels' font (the desktop's sans-serif face at 8 points) and the dialog units it gives.
#include <QFont>
#include <QRect>

#include "ui/DialogUnits.h"

namespace ui {

QFont DialogFont();
// The average character width and the height of the font, as the dialog units are made of.
DialogBaseUnits BaseUnits(const QFont& font);
// A control's rectangle given in dialog units, in pixels.
QRect DialogQRect(int32_t x, int32_t y, int32_t nWidth, int32_t nHeight, const DialogBaseUnits& base);

}  // namespace ui
