// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The slider's formulas: where its thumb may stand, the value a thumb position stands for,
// the position that shows a value, where the thumb and the groove are drawn, and the value an
// up-down click asks for. The thumb's position is that of its centre, in client pixels.
//
// Degenerate sliders give defined results instead of dividing by zero:
// - a client narrower than the thumb has no travel: the highest centre is the lowest one;
// - a range without width (maximum not above the minimum, or a span too wide for a float)
//   shows every value at the lowest centre, and every position stands for the minimum;
// - without travel every position stands for the minimum too;
// - a step that is not a positive number puts no grid on the values: a position stands for
//   its share of the range, unrounded.
#include <cstdint>

#include "ui/DialogUnits.h"

namespace ui {

struct SliderTravel {
    int32_t nXMin = 0;  // the lowest thumb centre: half the thumb's width
    int32_t nXMax = 0;  // the highest: the client's width less half the thumb's, less one
    bool operator==(const SliderTravel&) const = default;
};

SliderTravel SliderThumbTravel(int32_t nClientWidth, int32_t nThumbWidth);

// The value for the thumb centre x (clamped to the travel): the distance from the lowest
// centre as a share of the travel (a 32-bit float), times the range in steps, rounded half
// up to a whole number of steps from the minimum. The result never leaves the range, even
// where the range is not a whole number of steps.
float fSliderValueAt(int32_t x, const SliderTravel& travel, float fMinimum, float fMaximum, float fStep);

// The value SetPos keeps: clamped to the range and otherwise as given (not put on the step
// grid). Not a number gives the minimum; a range without width gives the minimum.
float fSliderClampValue(float fValue, float fMinimum, float fMaximum);

// The thumb centre that shows the value: its share of the range over the travel, rounded
// half up, within the travel.
int32_t nSliderX(float fValue, const SliderTravel& travel, float fMinimum, float fMaximum);

struct SliderPoint {
    int32_t x = 0, y = 0;
    bool operator==(const SliderPoint&) const = default;
};

// The thumb picture's top left corner for the centre x: half its width to the left, centred
// in height.
SliderPoint SliderThumbOrigin(int32_t x, int32_t nThumbWidth, int32_t nThumbHeight, int32_t nClientHeight);

// The groove: the client's whole width, a third of its height, centred in height.
PixelRect SliderGroove(int32_t nClientWidth, int32_t nClientHeight);

// The value a horizontal up-down click asks its slider for: one step per unit of the delta
// the up-down reports, against it (the up-down counts down towards its right arrow). The
// slider's SetPos keeps the result within the range.
float fUpDownValue(float fValue, float fStep, int32_t nDelta);

}  // namespace ui
