// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The gauge's needle: its angle from a value within the gauge's range, and its end point. The
// needle sweeps 260 degrees, from 145 at the minimum (down and to the left) to 405 (= 45) at
// the maximum, in screen orientation (y grows downward).
#include <cstdint>

namespace ui {

inline constexpr float GAUGE_START_ANGLE = 145.0f;
inline constexpr float GAUGE_SWEEP = 260.0f;
inline constexpr int32_t GAUGE_NEEDLE_LENGTH = 20;
inline constexpr int32_t GAUGE_CENTRE_Y = 25;  // below the gauge's top

// The value clamped to the range, its distance from the minimum as a share of the sweep, from
// 145 degrees. A range without width leaves the needle at the start.
float fGaugeAngle(int32_t nValue, int32_t nMinimum, int32_t nMaximum);

struct NeedlePoint {
    int32_t x = 0, y = 0;
    bool operator==(const NeedlePoint&) const = default;
};

// The needle's end for a gauge whose client area spans nLeft..nRight from nTop: from the
// centre (the middle of the width, 25 pixels down) 20 pixels along the angle, truncated.
NeedlePoint NeedleEnd(float fAngle, int32_t nLeft, int32_t nTop, int32_t nRight);

}  // namespace ui
