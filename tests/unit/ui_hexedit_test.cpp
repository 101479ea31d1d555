// SPDX-License-Identifier: GPL-2.0-or-later
// The hex view's arithmetic: its columns and rows for a size and a font, which element a click
// selects, how the arrow keys, the wheel and the scroll bar move through the rows, wider
// elements, and the texts drawn.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "ui/HexEditLayout.h"

namespace {

// Characters 8 pixels wide, lines 13 high. A view 331 pixels wide has a drawing area from 5
// to 326, the two address digits at 5..21 and the data from 26: 300 pixels of data, 24 a cell.
constexpr int32_t CW = 8, LH = 13, WIDTH = 331;
// 156 pixels high: the header at 5..18, the data from 21 to 151, ten whole rows.
constexpr int32_t HEIGHT = 156;

ui::HexEditLayout Layout(int32_t nByteCount, int32_t nFirstRow = 0, ui::HexEditConfig config = {})
{
    return ui::LayOutHexEdit(config, WIDTH, HEIGHT, CW, LH, nByteCount, nFirstRow);
}

}  // namespace

TEST(UiHexEditLayout, ColumnsRowsAndTheScrollRange)
{
    // A 20-byte image: 300 / 24 = 12 elements a row, 2 rows, all of them shown.
    ui::HexEditLayout l = Layout(20);
    EXPECT_EQ(l.header, (ui::HexBox{26, 5, 326, 18}));
    EXPECT_EQ(l.data, (ui::HexBox{26, 21, 326, 151}));
    EXPECT_EQ(l.nPerRow, 12);
    EXPECT_EQ(l.nTotalRows, 2);
    EXPECT_EQ(l.nScrollRange, 0);
    EXPECT_FALSE(ui::LayOutBesideScrollBar({}, WIDTH, HEIGHT, 16, CW, LH, 20, 0).bScrollBar);

    // 256 bytes: 22 rows (the last of four bytes), ten shown, the first row capped at 12.
    l = Layout(256, 99);
    EXPECT_EQ(l.nTotalRows, 22);
    EXPECT_EQ(l.nVisibleRows, 10);
    EXPECT_EQ(l.nScrollRange, 12);
    EXPECT_EQ(l.nFirstRow, 12);
    // Beside a 16-pixel scroll bar only 11 fit a row: 24 rows, and the bar's positions are
    // the first rows 0..14 with a page of the ten shown.
    l = ui::LayOutBesideScrollBar({}, WIDTH, HEIGHT, 16, CW, LH, 256, 3);
    EXPECT_TRUE(l.bScrollBar);
    EXPECT_EQ(l.nPerRow, 11);
    EXPECT_EQ(ui::ScrollBarFor(l), (ui::HexScrollBar{true, 14, 10, 3}));
    // Without the scroll bar style the area is the whole client area and no bar appears.
    ui::HexEditConfig bare;
    bare.bScrollBar = false;
    bare.bHeader = false;
    l = ui::LayOutBesideScrollBar(bare, WIDTH, HEIGHT, 16, CW, LH, 256, 0);
    EXPECT_FALSE(l.bScrollBar);
    EXPECT_EQ(l.data, (ui::HexBox{21, 0, 331, 156}));
    EXPECT_EQ(l.nVisibleRows, 12);

    // A partly filled last row is a row, however many elements a row holds: 201 elements at
    // 200 a row (600 pixels of 3-pixel cells) make 2 rows.
    l = ui::LayOutHexEdit({}, 617, HEIGHT, 1, LH, 201, 0);
    EXPECT_EQ(l.nPerRow, 200);
    EXPECT_EQ(l.nTotalRows, 2);

    // The text column shares the width: each element also takes 8 pixels, after a 5-pixel gap.
    ui::HexEditConfig text;
    text.bTextColumn = true;
    l = Layout(20, 0, text);
    EXPECT_EQ(l.nPerRow, 9);  // (326 - 26 - 5) / 32
    EXPECT_EQ(l.text, (ui::HexBox{247, 21, 319, 151}));
    // Unfitted, a row holds the fixed count whatever the width; a tiny view still holds one.
    ui::HexEditConfig fixed;
    fixed.bFitToWidth = false;
    EXPECT_EQ(Layout(20, 0, fixed).nPerRow, 16);
    EXPECT_EQ(ui::LayOutHexEdit({}, 3, 3, CW, LH, 20, 0).nPerRow, 1);
}

TEST(UiHexEditInput, ClicksAreClampedToTheElementsShown)
{
    const ui::HexEditLayout l = Layout(20);
    EXPECT_EQ(ui::nHitElement(l, 26 + 5 * 24 + 3, 21 + 13 + 2), 17);  // row 1, column 5
    EXPECT_EQ(ui::nHitElement(l, 26 + 5 * 24 + 20, 21), 5);           // on the blank after the digits
    EXPECT_EQ(ui::nHitElement(l, 320, 22), 11);                        // right of the last column
    EXPECT_EQ(ui::nHitElement(l, 320, 21 + 13), 19);                   // element 23 does not exist
    EXPECT_EQ(ui::nHitElement(l, 30, 150), 12);                        // below the last row
    // Outside the data: the address column, the header, the margin, the bar's side.
    for (auto [x, y] : std::initializer_list<std::pair<int32_t, int32_t>>{{10, 30}, {30, 10}, {2, 30}, {30, 153}, {328, 30}})
        EXPECT_EQ(ui::nHitElement(l, x, y), ui::HEX_NO_CURSOR) << x << ',' << y;
    EXPECT_EQ(ui::nHitElement(Layout(0), 30, 22), ui::HEX_NO_CURSOR);
    // Scrolled down three rows, the rows shown start at element 36.
    const ui::HexEditLayout scrolled = Layout(256, 3);
    EXPECT_EQ(ui::nHitElement(scrolled, 27, 22), 36);
    EXPECT_EQ(ui::nHitElement(scrolled, 26 + 11 * 24 + 1, 21 + 9 * 13 + 1), 155);
    EXPECT_EQ(ui::nRowOffset(scrolled, 1), 48);
}

TEST(UiHexEditInput, ArrowKeysStayWithinTheElementsAndScrollOneRow)
{
    const ui::HexEditLayout l = Layout(20);
    using ui::HexPosition;
    EXPECT_EQ(ui::MoveCursor(l, 15, ui::HEX_KEY_DOWN), (HexPosition{19, 0}));  // the last, not beyond
    EXPECT_EQ(ui::MoveCursor(l, 5, ui::HEX_KEY_DOWN), (HexPosition{17, 0}));
    EXPECT_EQ(ui::MoveCursor(l, 3, ui::HEX_KEY_UP), (HexPosition{0, 0}));
    EXPECT_EQ(ui::MoveCursor(l, 0, ui::HEX_KEY_LEFT), (HexPosition{0, 0}));
    EXPECT_EQ(ui::MoveCursor(l, 19, ui::HEX_KEY_RIGHT), (HexPosition{19, 0}));
    EXPECT_EQ(ui::MoveCursor(l, ui::HEX_NO_CURSOR, ui::HEX_KEY_DOWN), (HexPosition{ui::HEX_NO_CURSOR, 0}));

    // 22 rows, ten shown: leaving the rows shown scrolls one row towards the cursor.
    EXPECT_EQ(ui::MoveCursor(Layout(256, 0), 115, ui::HEX_KEY_DOWN), (HexPosition{127, 1}));
    EXPECT_EQ(ui::MoveCursor(Layout(256, 5), 60, ui::HEX_KEY_UP), (HexPosition{48, 4}));
    EXPECT_EQ(ui::MoveCursor(Layout(256, 5), 70, ui::HEX_KEY_DOWN), (HexPosition{82, 5}));
    EXPECT_EQ(ui::MoveCursor(Layout(256, 12), 250, ui::HEX_KEY_DOWN), (HexPosition{255, 12}));
}

TEST(UiHexEditInput, WheelAndScrollBarKeepTheFirstRowWithinTheRange)
{
    const ui::HexEditLayout l = Layout(256, 5);  // scroll range 12, ten rows shown
    EXPECT_EQ(ui::nWheelFirstRow(l, 120), 4);    // away from the user: up
    EXPECT_EQ(ui::nWheelFirstRow(l, -360), 8);
    EXPECT_EQ(ui::nWheelFirstRow(l, -12000), 12);
    EXPECT_EQ(ui::nWheelFirstRow(l, 60), 5);  // part of a notch
    EXPECT_EQ(ui::nWheelFirstRow(Layout(20), -120), 0);  // nothing to scroll

    EXPECT_EQ(ui::nScrolledFirstRow(l, ui::HEX_SCROLL_LINE_UP, 0), 4);
    EXPECT_EQ(ui::nScrolledFirstRow(l, ui::HEX_SCROLL_PAGE_UP, 0), 0);
    EXPECT_EQ(ui::nScrolledFirstRow(l, ui::HEX_SCROLL_PAGE_DOWN, 0), 12);
    EXPECT_EQ(ui::nScrolledFirstRow(Layout(256, 1), ui::HEX_SCROLL_PAGE_DOWN, 0), 11);
    EXPECT_EQ(ui::nScrolledFirstRow(l, ui::HEX_SCROLL_THUMB, 40), 12);
}

TEST(UiHexEditElements, WiderElementsKeepTheSelectedBytesAndReadLowByteFirst)
{
    // The cursor moves to the element holding its first byte, capped at the last whole one.
    EXPECT_EQ(ui::nReexpressCursor(7, 1, 2, 20), 3);
    EXPECT_EQ(ui::nReexpressCursor(7, 1, 4, 20), 1);
    EXPECT_EQ(ui::nReexpressCursor(3, 2, 1, 20), 6);
    EXPECT_EQ(ui::nReexpressCursor(17, 1, 4, 18), 3);  // bytes 16 and 17 make no whole element
    EXPECT_EQ(ui::nReexpressCursor(1, 1, 4, 3), ui::HEX_NO_CURSOR);
    EXPECT_EQ(ui::nReexpressCursor(ui::HEX_NO_CURSOR, 1, 2, 20), ui::HEX_NO_CURSOR);

    const uint8_t abyBytes[] = {0x78, 0x56, 0x34, 0x12};
    EXPECT_EQ(ui::dwElementValue(abyBytes, 4), 0x12345678u);
    EXPECT_EQ(ui::dwElementValue(abyBytes, 2), 0x5678u);

    // Two-byte elements in 40-pixel cells: 7 a row; the highlight covers the four digits only.
    ui::HexEditConfig words;
    words.nElementSize = 2;
    const ui::HexEditLayout l = Layout(21, 0, words);
    EXPECT_EQ(l.nElementCount, 10);
    EXPECT_EQ(l.nPerRow, 7);
    EXPECT_EQ(ui::ElementBox(l, 8), (ui::HexBox{66, 34, 98, 47}));
    EXPECT_TRUE(ui::ElementBox(l, 10).bEmpty());
    EXPECT_TRUE(ui::ElementBox(Layout(256, 2), 5).bEmpty());  // scrolled out of view
}

TEST(UiHexEditTexts, AddressesElementsAndTheHeaderInUpperCaseHex)
{
    EXPECT_EQ(ui::strHexAddress(0x1A, 2), "1A");
    EXPECT_EQ(ui::strHexAddress(0x10C, 2), "10C");
    EXPECT_EQ(ui::strHexElement(0xAB, 2), "00AB");
    EXPECT_EQ(ui::strHexElement(0xDEADBEEF, 4), "DEADBEEF");
    EXPECT_EQ(ui::strHexHeaderColumn(10, 1), "0A ");
    EXPECT_EQ(ui::strHexHeaderColumn(3, 2), "0003 ");
    EXPECT_EQ(ui::nHeaderColumns(Layout(5), 5), 5);  // no more numbers than bytes
    EXPECT_EQ(ui::nHeaderColumns(Layout(20), 20), 12);
    EXPECT_EQ(ui::chHexText('A'), 'A');
    EXPECT_EQ(ui::chHexText(0x1F), '.');
    EXPECT_EQ(ui::chHexText(0xC2), '.');
}
