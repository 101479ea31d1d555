// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/GaugeGeometry.h"

#include <algorithm>
#include <cmath>

namespace ui {

float fGaugeAngle(int32_t nValue, int32_t nMinimum, int32_t nMaximum)
{
    const int64_t qwSpan = int64_t(nMaximum) - nMinimum;
    if (qwSpan <= 0) return GAUGE_START_ANGLE;
    // Measured from the minimum, so that the needle stands at the start at the minimum and at
    // the end at the maximum for any range (for the ranges from 0 the dials use, this is the
    // value itself over the range).
    const int64_t qwFromMinimum = std::clamp<int64_t>(nValue, nMinimum, nMaximum) - nMinimum;
    return float(double(qwFromMinimum) * GAUGE_SWEEP / double(qwSpan)) + GAUGE_START_ANGLE;
}

NeedlePoint NeedleEnd(float fAngle, int32_t nLeft, int32_t nTop, int32_t nRight)
{
    constexpr float PI = 3.1415927f;
    const float fTheta = fAngle * PI / 180.0f;
    const int32_t cx = nLeft + (nRight - nLeft) / 2, cy = nTop + GAUGE_CENTRE_Y;
    return {cx + int32_t(GAUGE_NEEDLE_LENGTH * std::cos(fTheta)), cy + int32_t(GAUGE_NEEDLE_LENGTH * std::sin(fTheta))};
}

}  // namespace ui
