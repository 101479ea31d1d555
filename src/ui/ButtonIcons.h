// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The pictures on the main panel's buttons: small pixel drawings kept as data, one character
// per pixel, with magenta as the transparent key.
#include <QPixmap>
#include <QSize>

#include "ui/MainPanelLayout.h"

namespace ui {

// The button's picture at its own size; the key colour's pixels are fully transparent.
// An unknown button gives a null pixmap.
QPixmap ButtonIcon(EMainButton eButton);
QSize ButtonIconSize(EMainButton eButton);

}  // namespace ui
