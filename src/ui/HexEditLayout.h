// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The hex view's arithmetic, apart from Qt: where the address column, the data, the text
// column and the header row go for a client size and a font, which element a click falls on,
// how the arrow keys, the wheel and the scroll bar move the cursor and the first row, and the
// texts that are drawn. Rectangles are edges in client pixels, right and bottom exclusive.
#include <cstdint>
#include <string>

namespace ui {

struct HexBox {
    int32_t nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
    bool bContains(int32_t x, int32_t y) const { return x >= nLeft && x < nRight && y >= nTop && y < nBottom; }
    bool bEmpty() const { return nRight <= nLeft || nBottom <= nTop; }
    bool operator==(const HexBox&) const = default;
};

// What the view is set to show and how.
struct HexEditConfig {
    int32_t nElementSize = 1;    // bytes per element: 1, 2 or 4
    int32_t nAddressDigits = 2;  // minimum digits of a row's address
    int32_t nFixedPerRow = 16;   // elements per row when fitting is off
    bool bFitToWidth = true;     // as many elements per row as the width holds
    bool bTextColumn = false;    // the bytes as characters, right of the data
    bool bHeader = true;         // column numbers above the data
    bool bScrollBar = true;      // a 5-pixel margin and the vertical scroll bar
};

inline constexpr int32_t HEX_MARGIN = 5;      // the drawing area's margin with the scroll bar
inline constexpr int32_t HEX_COLUMN_GAP = 5;  // between the address, data and text columns
inline constexpr int32_t HEX_HEADER_GAP = 3;  // between the header row and the data

struct HexEditLayout {
    int32_t nCharWidth = 1, nLineHeight = 1, nElementSize = 1;
    HexBox area;     // the drawing area; everything is clipped to it
    HexBox address;  // the row addresses
    HexBox data;     // the elements, from the data top to the area's bottom
    HexBox text;     // the text column (empty when it is off)
    HexBox header;   // the header row (empty when it is off)
    int32_t nPerRow = 1;        // elements per row, at least 1
    int32_t nElementCount = 0;  // whole elements in the data
    int32_t nTotalRows = 0;
    int32_t nVisibleRows = 0;   // whole rows that fit, at most the total
    int32_t nScrollRange = 0;   // the last possible first row
    int32_t nFirstRow = 0;      // the first row shown, within 0..nScrollRange
    bool bScrollBar = false;    // the vertical scroll bar is shown

    int32_t nCellWidth() const { return nCharWidth * (2 * nElementSize + 1); }
};

// The layout for a client area of nWidth × nHeight pixels, a character width and line height,
// nByteCount bytes and the wanted first row (capped to what the data allows).
HexEditLayout LayOutHexEdit(const HexEditConfig& config, int32_t nWidth, int32_t nHeight, int32_t nCharWidth,
                            int32_t nLineHeight, int32_t nByteCount, int32_t nFirstRow);

// The layout of a view nWidth wide whose vertical scroll bar (nBarWidth wide, at the right)
// takes its width from the client area when the rows do not all fit.
HexEditLayout LayOutBesideScrollBar(const HexEditConfig& config, int32_t nWidth, int32_t nHeight, int32_t nBarWidth,
                                    int32_t nCharWidth, int32_t nLineHeight, int32_t nByteCount, int32_t nFirstRow);

// The vertical scroll bar as a slider: positions 0..nMaximum are first rows (the bar covers
// rows 0 to scroll range + visible rows − 1, a page of the visible rows).
struct HexScrollBar {
    bool bShown = false;
    int32_t nMaximum = 0;
    int32_t nPage = 1;
    int32_t nPosition = 0;
    bool operator==(const HexScrollBar&) const = default;
};
HexScrollBar ScrollBarFor(const HexEditLayout& layout);

inline constexpr int32_t HEX_NO_CURSOR = -1;

// The element a click at (x, y) selects, or HEX_NO_CURSOR when it falls outside the data area
// (or there is nothing to select). The row and column are clamped to those shown.
int32_t nHitElement(const HexEditLayout& layout, int32_t x, int32_t y);

enum EHexKey : uint8_t { HEX_KEY_LEFT, HEX_KEY_RIGHT, HEX_KEY_UP, HEX_KEY_DOWN };

struct HexPosition {
    int32_t nCursor = HEX_NO_CURSOR;
    int32_t nFirstRow = 0;
    bool operator==(const HexPosition&) const = default;
};

// An arrow key: the cursor moves by one element or one row, within the elements; when it
// leaves the rows shown, the view scrolls by one row towards it. Without a cursor nothing moves.
HexPosition MoveCursor(const HexEditLayout& layout, int32_t nCursor, EHexKey eKey);

// The first row after a wheel turn of nDelta (120 a notch; away from the user scrolls up).
int32_t nWheelFirstRow(const HexEditLayout& layout, int32_t nDelta);

enum EHexScroll : uint8_t {
    HEX_SCROLL_LINE_UP,
    HEX_SCROLL_LINE_DOWN,
    HEX_SCROLL_PAGE_UP,
    HEX_SCROLL_PAGE_DOWN,
    HEX_SCROLL_THUMB,  // the thumb dragged or dropped at nThumb
    HEX_SCROLL_TOP,
    HEX_SCROLL_BOTTOM,
};
// The first row after a scroll bar action, within 0..scroll range.
int32_t nScrolledFirstRow(const HexEditLayout& layout, EHexScroll eAction, int32_t nThumb);

// The cursor expressed in elements of another size over the same bytes: the element that holds
// the selected element's first byte, capped at the last whole element.
int32_t nReexpressCursor(int32_t nCursor, int32_t nOldSize, int32_t nNewSize, int32_t nByteCount);

// The digits of an element on screen (2 × element size characters, one line high), or an empty
// box when its row is not shown.
HexBox ElementBox(const HexEditLayout& layout, int32_t nElement);

// The byte offset of the first element of the nRow-th row shown.
int32_t nRowOffset(const HexEditLayout& layout, int32_t nRow);

// The element of nElementSize bytes at p, the first byte the lowest.
uint32_t dwElementValue(const uint8_t* p, int32_t nElementSize);

// The texts drawn: a row address in upper-case hexadecimal with at least nDigits digits; an
// element with 2, 4 or 8 digits; a header column number with an element's digits and a
// trailing blank; a byte of the text column.
std::string strHexAddress(uint32_t dwOffset, int32_t nDigits);
std::string strHexElement(uint32_t dwValue, int32_t nElementSize);
std::string strHexHeaderColumn(int32_t nColumn, int32_t nElementSize);
char chHexText(uint8_t byValue);
// How many column numbers the header shows: one per element of a row, at most the byte count.
int32_t nHeaderColumns(const HexEditLayout& layout, int32_t nByteCount);

}  // namespace ui
