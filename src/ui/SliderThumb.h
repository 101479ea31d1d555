// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The slider's thumb: a small pixel drawing kept as data, one character per pixel, with
// magenta as the transparent key. An upright pointer in the button-face greys, lit from the
// top left, with a line down its middle where the value is.
#include <QPixmap>

namespace ui {

inline constexpr int SLIDER_THUMB_WIDTH = 23;
inline constexpr int SLIDER_THUMB_HEIGHT = 10;
// The face colour of the thumb, 0xRRGGBB (the line down its middle and its edges differ).
inline constexpr unsigned SLIDER_THUMB_FACE = 0xC0C0C0;

// The thumb at its own size; the key colour's pixels are fully transparent.
QPixmap SliderThumb();

}  // namespace ui
