// SPDX-License-Identifier: GPL-2.0-or-later
// The slider's formulas: the thumb's travel, the value of a dragged position, the position
// of a set value, the up-down's step, where thumb and groove are drawn, and the sliders
// without a range, without room or without a step.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ui/SliderGeometry.h"

namespace {

// A 301-pixel slider with a 23-pixel thumb.
const ui::SliderTravel TRAVEL_301 = ui::SliderThumbTravel(301, 23);

}  // namespace

TEST(UiSlider, ADraggedPositionGivesAValueOnTheStepGridWithinTheRange)
{
    EXPECT_EQ(TRAVEL_301, (ui::SliderTravel{11, 289}));
    // A chip from 100 to 400 MHz: 139 of 278 pixels is 300 half-steps, 140 of 278 is 302.
    EXPECT_EQ(ui::fSliderValueAt(150, TRAVEL_301, 100, 400, 0.5f), 250.0f);
    EXPECT_EQ(ui::fSliderValueAt(151, TRAVEL_301, 100, 400, 0.5f), 251.0f);
    EXPECT_EQ(ui::fSliderValueAt(11, TRAVEL_301, 100, 400, 0.5f), 100.0f);
    EXPECT_EQ(ui::fSliderValueAt(289, TRAVEL_301, 100, 400, 0.5f), 400.0f);
    // The mouse beyond either end stands at that end.
    EXPECT_EQ(ui::fSliderValueAt(-40, TRAVEL_301, 100, 400, 0.5f), 100.0f);
    EXPECT_EQ(ui::fSliderValueAt(300, TRAVEL_301, 100, 400, 0.5f), 400.0f);
    // A range that is not a whole number of steps: the right end rounds up to 101.5, which
    // is past the maximum, so it gives the maximum.
    EXPECT_EQ(ui::fSliderValueAt(289, TRAVEL_301, 100, 101.3f, 0.5f), 101.3f);
    EXPECT_EQ(ui::fSliderValueAt(150, TRAVEL_301, 100, 101.3f, 0.5f), 100.5f);
}

TEST(UiSlider, ASetValueIsClampedButNotSnappedAndShownWithinTheTravel)
{
    EXPECT_EQ(ui::fSliderClampValue(250.3f, 100, 400), 250.3f);
    EXPECT_EQ(ui::fSliderClampValue(99.0f, 100, 400), 100.0f);
    EXPECT_EQ(ui::fSliderClampValue(401.0f, 100, 400), 400.0f);
    EXPECT_EQ(ui::fSliderClampValue(std::numeric_limits<float>::quiet_NaN(), 100, 400), 100.0f);
    EXPECT_EQ(ui::nSliderX(250.0f, TRAVEL_301, 100, 400), 150);
    EXPECT_EQ(ui::nSliderX(250.2f, TRAVEL_301, 100, 400), 150);  // 150.19 to the nearest pixel
    EXPECT_EQ(ui::nSliderX(250.9f, TRAVEL_301, 100, 400), 151);  // 150.83
    EXPECT_EQ(ui::nSliderX(50.0f, TRAVEL_301, 100, 400), 11);
    EXPECT_EQ(ui::nSliderX(1e30f, TRAVEL_301, 100, 400), 289);
    // A set value that lies on the grid reads back as itself from its position.
    EXPECT_EQ(ui::fSliderValueAt(ui::nSliderX(251.0f, TRAVEL_301, 100, 400), TRAVEL_301, 100, 400, 0.5f), 251.0f);
}

TEST(UiSlider, UpDownClicksStepAgainstTheDeltaAndTheThumbAndGrooveAreCentred)
{
    // Two clicks on the right arrow (-1 each) from 200 MHz ask for 201; the left one goes down.
    EXPECT_EQ(ui::fUpDownValue(ui::fUpDownValue(200.0f, 0.5f, -1), 0.5f, -1), 201.0f);
    EXPECT_EQ(ui::fUpDownValue(200.0f, 0.5f, +1), 199.5f);
    // Past the maximum the slider keeps the maximum.
    EXPECT_EQ(ui::fSliderClampValue(ui::fUpDownValue(400.0f, 0.5f, -1), 100, 400), 400.0f);

    EXPECT_EQ(ui::SliderThumbOrigin(150, 23, 10, 20), (ui::SliderPoint{139, 5}));
    EXPECT_EQ(ui::SliderGroove(301, 20), (ui::PixelRect{0, 7, 301, 6}));
    EXPECT_EQ(ui::SliderGroove(301, 13), (ui::PixelRect{0, 4, 301, 4}));
    EXPECT_EQ(ui::SliderGroove(301, 2).nHeight, 0);
}

TEST(UiSlider, SlidersWithoutRangeRoomOrStepGiveDefinedValues)
{
    // A client narrower than the thumb: no travel, every position is the minimum.
    const ui::SliderTravel narrow = ui::SliderThumbTravel(10, 23);
    EXPECT_EQ(narrow, (ui::SliderTravel{11, 11}));
    EXPECT_EQ(ui::SliderThumbTravel(0, 23), (ui::SliderTravel{11, 11}));
    EXPECT_EQ(ui::fSliderValueAt(5, narrow, 100, 400, 0.5f), 100.0f);
    EXPECT_EQ(ui::nSliderX(300.0f, narrow, 100, 400), 11);

    // A range without width, or the wrong way round: the minimum, at the lowest centre.
    EXPECT_EQ(ui::fSliderValueAt(150, TRAVEL_301, 200, 200, 0.5f), 200.0f);
    EXPECT_EQ(ui::nSliderX(200.0f, TRAVEL_301, 200, 200), 11);
    EXPECT_EQ(ui::fSliderValueAt(150, TRAVEL_301, 400, 100, 0.5f), 400.0f);
    EXPECT_EQ(ui::fSliderClampValue(250.0f, 400, 100), 400.0f);
    EXPECT_EQ(ui::nSliderX(250.0f, TRAVEL_301, 400, 100), 11);
    const float fInfinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ui::fSliderValueAt(150, TRAVEL_301, 100, fInfinity, 0.5f), 100.0f);
    EXPECT_EQ(ui::nSliderX(250.0f, TRAVEL_301, 100, fInfinity), 11);

    // No usable step: the value follows the position without a grid.
    const float fUngridded = 100.0f + 140.0f / 278.0f * 300.0f;
    for (const float fStep : {0.0f, -0.5f, std::numeric_limits<float>::quiet_NaN(), fInfinity, 1e-45f}) {
        const float fValue = ui::fSliderValueAt(151, TRAVEL_301, 100, 400, fStep);
        EXPECT_NEAR(fValue, fUngridded, 1e-3f) << fStep;
    }
    EXPECT_EQ(ui::fSliderValueAt(289, TRAVEL_301, 100, 400, 0.0f), 400.0f);
}
