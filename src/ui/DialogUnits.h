// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Dialog units into pixels, as the panels' layouts are written in them: a horizontal unit is a
// quarter of the dialog font's average character width, a vertical unit an eighth of its
// height, each product rounded to the nearest pixel (halves away from zero).
#include <cstdint>

namespace ui {

struct DialogBaseUnits {
    int32_t nCharWidth = 0;   // average character width of the dialog font, pixels
    int32_t nCharHeight = 0;  // its height (ascent + descent), pixels
};

// The average character width from the width of the 52 letters "A".."Z" "a".."z" set in the
// font, in pixels: half of the rounded-up half of their width over 26, as the window system
// of the original works it out.
int32_t nAverageCharWidth(int32_t nAlphabetWidth);

// nMultiply × nNumerator / nDenominator rounded to the nearest integer, halves away from zero;
// -1 when nDenominator is 0.
int32_t nMulDiv(int32_t nMultiply, int32_t nNumerator, int32_t nDenominator);

struct PixelRect {
    int32_t x = 0, y = 0, nWidth = 0, nHeight = 0;
    bool operator==(const PixelRect&) const = default;
};

int32_t nDialogX(int32_t nUnits, const DialogBaseUnits& base);
int32_t nDialogY(int32_t nUnits, const DialogBaseUnits& base);
// A control's rectangle (x, y, width, height in dialog units) in pixels.
PixelRect DialogRect(int32_t x, int32_t y, int32_t nWidth, int32_t nHeight, const DialogBaseUnits& base);

}  // namespace ui
