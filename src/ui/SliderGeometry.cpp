// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/SliderGeometry.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// The range as a float span the formulas can divide by: above zero and finite.
bool bRangeHasWidth(float fMinimum, float fMaximum)
{
    const float fSpan = fMaximum - fMinimum;
    return fSpan > 0.0f && std::isfinite(fSpan);
}

bool bHasTravel(const SliderTravel& travel) { return travel.nXMax > travel.nXMin; }

}  // namespace

SliderTravel SliderThumbTravel(int32_t nClientWidth, int32_t nThumbWidth)
{
    const int32_t nHalf = std::max(nThumbWidth, 0) / 2;
    SliderTravel travel;
    travel.nXMin = nHalf;
    travel.nXMax = std::max(nClientWidth - nHalf - 1, nHalf);
    return travel;
}

float fSliderValueAt(int32_t x, const SliderTravel& travel, float fMinimum, float fMaximum, float fStep)
{
    if (!bRangeHasWidth(fMinimum, fMaximum) || !bHasTravel(travel)) return fMinimum;
    const float fSpan = fMaximum - fMinimum;
    const int32_t nX = std::clamp(x, travel.nXMin, travel.nXMax);
    const float fShare = float(int64_t(nX) - travel.nXMin) / float(int64_t(travel.nXMax) - travel.nXMin);
    float fValue = fShare * fSpan + fMinimum;  // without a grid
    if (fStep > 0.0f && std::isfinite(fStep)) {
        // A step so small that the count of steps overflows a float leaves the value off the grid.
        const float fSteps = std::trunc(fShare * fSpan / fStep + 0.5f);
        if (std::isfinite(fSteps)) fValue = fSteps * fStep + fMinimum;
    }
    // Rounding to the nearest step can pass the maximum where the range is not a whole number
    // of steps (100 to 101.3 in steps of 0.5 would reach 101.5 at the right end).
    return std::min(fValue, fMaximum);
}

float fSliderClampValue(float fValue, float fMinimum, float fMaximum)
{
    if (std::isnan(fValue) || !(fMaximum > fMinimum)) return fMinimum;
    return std::clamp(fValue, fMinimum, fMaximum);
}

int32_t nSliderX(float fValue, const SliderTravel& travel, float fMinimum, float fMaximum)
{
    if (!bRangeHasWidth(fMinimum, fMaximum) || !bHasTravel(travel)) return travel.nXMin;
    const float fShare = (fSliderClampValue(fValue, fMinimum, fMaximum) - fMinimum) / (fMaximum - fMinimum);
    const float fX = std::trunc(fShare * float(int64_t(travel.nXMax) - travel.nXMin) + float(travel.nXMin) + 0.5f);
    return int32_t(std::clamp(fX, float(travel.nXMin), float(travel.nXMax)));
}

SliderPoint SliderThumbOrigin(int32_t x, int32_t nThumbWidth, int32_t nThumbHeight, int32_t nClientHeight)
{
    return {x - nThumbWidth / 2, (nClientHeight - nThumbHeight) / 2};
}

PixelRect SliderGroove(int32_t nClientWidth, int32_t nClientHeight)
{
    const int32_t nHeight = std::max(nClientHeight, 0);
    const int32_t nGroove = nHeight / 3;
    return {0, (nHeight - nGroove) / 2, std::max(nClientWidth, 0), nGroove};
}

float fUpDownValue(float fValue, float fStep, int32_t nDelta) { return fValue - fStep * float(nDelta); }

}  // namespace ui
