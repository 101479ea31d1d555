// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The gauge's dial face, 51 × 50 pixels on a transparent background: a rim, a light face and
// ticks along the needle's 260-degree sweep, drawn at run time.
#include <QPixmap>

namespace ui {

inline constexpr int GAUGE_FACE_WIDTH = 51;
inline constexpr int GAUGE_FACE_HEIGHT = 50;

QPixmap GaugeFace();

}  // namespace ui
