// SPDX-License-Identifier: GPL-2.0-or-later
// The window formulas: dialog units into pixels, the main panel's layout with and without a
// clock generator and a memory buffer, and the gauge's needle.
#include <gtest/gtest.h>

#include "ui/ClocksPanel.h"
#include "ui/DialogUnits.h"
#include "ui/FrameTable.h"
#include "ui/GaugeGeometry.h"
#include "ui/MainPanelLayout.h"

namespace {

// The 8-point dialog font at 96 dots per inch: letters 6 pixels wide on average, 13 high.
const ui::DialogBaseUnits BASE_96_DPI = {6, 13};

}  // namespace

TEST(UiDialogUnits, UnitsBecomePixelsRoundedToTheNearest)
{
    // The alphabet's width gives the average as the window system rounds it: 52 letters of
    // the 8-point font are about 286 pixels wide at 96 dpi (5.5 each), which makes 6.
    EXPECT_EQ(ui::nAverageCharWidth(286), 6);
    EXPECT_EQ(ui::nAverageCharWidth(259), 5);  // 9.96 per pair: 9, rounded up to 10, halved
    EXPECT_EQ(ui::nAverageCharWidth(364), 7);  // 120 dpi

    // The main panel, 141 × 142 units: 211.5 and 230.75 pixels, rounded.
    EXPECT_EQ(ui::nDialogX(141, BASE_96_DPI), 212);
    EXPECT_EQ(ui::nDialogY(142, BASE_96_DPI), 231);
    EXPECT_EQ(ui::nMulDiv(-3, 1, 2), -2);  // halves away from zero, either sign
    EXPECT_EQ(ui::nMulDiv(3, 1, 2), 2);
    EXPECT_EQ(ui::nMulDiv(7, 1, 0), -1);
    EXPECT_EQ(ui::nMulDiv(0x7FFFFFFF, 4, 8), 0x40000000);  // no overflow in the product

    // A control: its corners are converted, so two controls side by side stay side by side.
    const ui::PixelRect clocks = ui::DialogRect(7, 7, 127, 13, BASE_96_DPI);
    EXPECT_EQ(clocks, (ui::PixelRect{11, 11, 190, 22}));
    const ui::PixelRect left = ui::DialogRect(9, 4, 34, 31, BASE_96_DPI);
    const ui::PixelRect right = ui::DialogRect(43, 4, 34, 31, BASE_96_DPI);
    EXPECT_EQ(left.x + left.nWidth, right.x);
}

TEST(UiMainPanel, ButtonsStackFromTheTopAndHiddenOnesTakeNoRoom)
{
    ui::MainPanelInput in;
    in.nWidth = 200;
    in.nHeight = 270;
    in.nButtonHeight = 22;
    in.nLinkWidth = 81;
    in.nLinkHeight = 15;
    in.nVersionWidth = 119;
    in.nVersionHeight = 15;
    const int32_t h = in.nButtonHeight;

    // Everything there: five buttons, 4 apart, 4 from the sides.
    in.bClockGenerator = in.bMemoryBuffer = true;
    ui::MainPanelPlacement p = ui::PlaceMainPanel(in);
    for (int i = 0; i < ui::MAIN_BUTTONS; ++i) {
        EXPECT_TRUE(p.buttons[i].bShown) << i;
        EXPECT_EQ(p.buttons[i].rect, (ui::PixelRect{4, 4 + i * (h + 4), 192, h})) << i;
    }
    // The link at the bottom, the version label just above it, both at their own size.
    EXPECT_EQ(p.link, (ui::PixelRect{4, 255, 81, 15}));
    EXPECT_EQ(p.version, (ui::PixelRect{4, 240, 119, 15}));

    // No clock generator, no memory buffer: "Clocks" at 4 and "Options" at h + 8.
    in.bClockGenerator = in.bMemoryBuffer = false;
    p = ui::PlaceMainPanel(in);
    EXPECT_EQ(p.buttons[ui::BUTTON_CLOCKS].rect.y, 4);
    EXPECT_EQ(p.buttons[ui::BUTTON_OPTIONS].rect.y, h + 8);
    EXPECT_FALSE(p.buttons[ui::BUTTON_PLL_CONTROL].bShown);
    EXPECT_FALSE(p.buttons[ui::BUTTON_PLL_SETUP].bShown);
    EXPECT_FALSE(p.buttons[ui::BUTTON_MEMORY_BUFFER].bShown);

    // A memory buffer but no clock generator: "Memory Buffer" at h + 8, "Options" at 2h + 12.
    in.bMemoryBuffer = true;
    p = ui::PlaceMainPanel(in);
    EXPECT_TRUE(p.buttons[ui::BUTTON_MEMORY_BUFFER].bShown);
    EXPECT_EQ(p.buttons[ui::BUTTON_MEMORY_BUFFER].rect.y, h + 8);
    EXPECT_EQ(p.buttons[ui::BUTTON_OPTIONS].rect.y, 2 * h + 12);

    // A clock generator without a memory buffer: the PLL buttons at h + 8 and 2h + 12.
    in.bClockGenerator = true;
    in.bMemoryBuffer = false;
    p = ui::PlaceMainPanel(in);
    EXPECT_EQ(p.buttons[ui::BUTTON_PLL_CONTROL].rect.y, h + 8);
    EXPECT_EQ(p.buttons[ui::BUTTON_PLL_SETUP].rect.y, 2 * h + 12);
    EXPECT_EQ(p.buttons[ui::BUTTON_OPTIONS].rect.y, 3 * h + 16);
}

TEST(UiGauge, TheNeedleSweeps260DegreesFromTheMinimum)
{
    EXPECT_NEAR(ui::fGaugeAngle(3000, 0, 7000), 256.43f, 0.005f);
    EXPECT_FLOAT_EQ(ui::fGaugeAngle(700, 0, 600), 405.0f);  // clamped to the maximum
    EXPECT_FLOAT_EQ(ui::fGaugeAngle(-5, 0, 600), 145.0f);   // and to the minimum
    EXPECT_FLOAT_EQ(ui::fGaugeAngle(0, 0, 100), 145.0f);
    EXPECT_FLOAT_EQ(ui::fGaugeAngle(50, 0, 100), 275.0f);
    // A range that does not start at 0 still runs from the start to the end of the sweep.
    EXPECT_FLOAT_EQ(ui::fGaugeAngle(100, 100, 200), 145.0f);
    EXPECT_FLOAT_EQ(ui::fGaugeAngle(200, 100, 200), 405.0f);
    EXPECT_FLOAT_EQ(ui::fGaugeAngle(150, 100, 200), 275.0f);
    // A range without width leaves the needle at the start.
    EXPECT_FLOAT_EQ(ui::fGaugeAngle(5, 10, 10), 145.0f);
}

TEST(UiGauge, TheNeedleEndsTwentyPixelsFromTheCentreWithYGrowingDownward)
{
    // A dial of 51 × 50 pixels: the centre at (25, 25).
    EXPECT_EQ(ui::NeedleEnd(270.0f, 0, 0, 51), (ui::NeedlePoint{25, 5}));   // straight up
    EXPECT_EQ(ui::NeedleEnd(145.0f, 0, 0, 51), (ui::NeedlePoint{9, 36}));   // the minimum: down-left
    EXPECT_EQ(ui::NeedleEnd(405.0f, 0, 0, 51), (ui::NeedlePoint{39, 39}));  // the maximum: down-right
    EXPECT_EQ(ui::NeedleEnd(180.0f, 0, 0, 51), (ui::NeedlePoint{5, 25}));
    // The centre follows the client rectangle; the offsets are truncated towards zero.
    EXPECT_EQ(ui::NeedleEnd(145.0f, 100, 40, 151), (ui::NeedlePoint{109, 76}));
}

TEST(UiFrames, TheTableAndWhatAStoredPlacementGivesBack)
{
    // Captions as the windows are found by, sizes with the caption's height where the frame
    // is sized to its panel.
    const char* const apszCaptions[] = {"Clocks", "PLL Control", "PLL Setup", "MemoryBuffer", "Options", "Pendulon"};
    ASSERT_EQ(ui::FrameRows().size(), std::size(apszCaptions));
    for (size_t i = 0; i < std::size(apszCaptions); ++i) EXPECT_STREQ(ui::FrameRows()[i].pszCaption, apszCaptions[i]);
    EXPECT_EQ(ui::nCreationHeight(ui::Frame(app::TOOL_CLOCKS), 23), 108);
    EXPECT_EQ(ui::nCreationHeight(ui::Frame(app::TOOL_SETUP), 23), 300);
    EXPECT_FALSE(ui::Frame(app::TOOL_CLOCKS).bResizable);
    EXPECT_FALSE(ui::Frame(app::TOOL_SELECTION).bResizable);
    EXPECT_EQ(ui::Frame(ui::FRAME_MAIN).nMinWidth, 135);

    // A stored rectangle larger than the frame: Clocks, PLL Control and Options keep their
    // own size and take back only the position; PLL Setup and Memory Buffer take the stored size.
    const app::WindowPlacement stored{0, 1, 420, 80, 1420, 1080};
    for (int nWindow : {app::TOOL_CLOCKS, app::TOOL_SELECTION, app::TOOL_OPTION})
        EXPECT_EQ(ui::PlacementToApply(ui::Frame(nWindow), stored, 335, 108), (app::WindowPlacement{0, 1, 420, 80, 755, 188}))
            << nWindow;
    for (int nWindow : {app::TOOL_SETUP, app::TOOL_MEMORY_BUFFER})
        EXPECT_EQ(ui::PlacementToApply(ui::Frame(nWindow), stored, 335, 300), stored) << nWindow;
}

TEST(UiClocksPanel, GaugesSideBySideAndTheFrameFittedToThePanel)
{
    // The five gauges do not overlap and lie within the panel.
    for (size_t i = 0; i + 1 < ui::CLOCKS_GAUGE_ROWS.size(); ++i)
        EXPECT_LE(ui::CLOCKS_GAUGE_ROWS[i].nX + ui::GAUGE_WIDTH, ui::CLOCKS_GAUGE_ROWS[i + 1].nX) << i;
    EXPECT_LE(ui::CLOCKS_GAUGE_ROWS.back().nX + ui::GAUGE_WIDTH, ui::CLOCKS_PANEL_WIDTH);
    EXPECT_LE(ui::GAUGE_LABEL_Y + ui::GAUGE_LABEL_HEIGHT, ui::CLOCKS_PANEL_HEIGHT);
    EXPECT_EQ(ui::CLOCKS_GAUGE_ROWS[ui::GAUGE_CPU].nMaximum, 7000);
    EXPECT_STREQ(ui::pszGSBTitle(0), "AGP");
    EXPECT_STREQ(ui::pszGSBTitle(1), "PCIE");
    EXPECT_STREQ(ui::pszGSBTitle(2), "");
    EXPECT_STREQ(ui::pszGSBTitle(-1), "");
}
