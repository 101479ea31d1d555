// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/HexEditLayout.h"

#include <algorithm>
#include <cstdio>

namespace ui {

namespace {

int32_t nValidElementSize(int32_t nSize) { return nSize == 2 || nSize == 4 ? nSize : 1; }

int32_t nClamped(int64_t qwValue, int32_t nLow, int32_t nHigh)
{
    return int32_t(std::clamp<int64_t>(qwValue, nLow, std::max(nLow, nHigh)));
}

}  // namespace

HexEditLayout LayOutHexEdit(const HexEditConfig& config, int32_t nWidth, int32_t nHeight, int32_t nCharWidth,
                            int32_t nLineHeight, int32_t nByteCount, int32_t nFirstRow)
{
    HexEditLayout l;
    const int32_t cw = std::max(1, nCharWidth), lh = std::max(1, nLineHeight);
    const int32_t nSize = nValidElementSize(config.nElementSize);
    l.nCharWidth = cw;
    l.nLineHeight = lh;
    l.nElementSize = nSize;

    l.area = {0, 0, std::max(0, nWidth), std::max(0, nHeight)};
    if (config.bScrollBar) {
        l.area.nLeft += HEX_MARGIN;
        l.area.nTop += HEX_MARGIN;
        l.area.nRight = std::max(l.area.nLeft, l.area.nRight - HEX_MARGIN);
        l.area.nBottom = std::max(l.area.nTop, l.area.nBottom - HEX_MARGIN);
    }
    const int32_t nDataTop = l.area.nTop + (config.bHeader ? lh + HEX_HEADER_GAP : 0);
    l.nVisibleRows = std::max(0, (l.area.nBottom - nDataTop) / lh);

    const int32_t nDigits = std::clamp(config.nAddressDigits, 0, 16);
    l.address = {l.area.nLeft, nDataTop, l.area.nLeft + nDigits * cw, l.area.nBottom};
    const int32_t nDataLeft = l.address.nRight + HEX_COLUMN_GAP;
    const int32_t nCell = l.nCellWidth(), nTextCell = cw * nSize;
    if (!config.bFitToWidth)
        l.nPerRow = std::max(1, config.nFixedPerRow);
    else if (config.bTextColumn)  // each element also takes its characters, after a gap
        l.nPerRow = std::max(1, (l.area.nRight - nDataLeft - HEX_COLUMN_GAP) / (nCell + nTextCell));
    else
        l.nPerRow = std::max(1, (l.area.nRight - nDataLeft) / nCell);
    const int32_t nDataRight = config.bFitToWidth && !config.bTextColumn ? l.area.nRight : nDataLeft + l.nPerRow * nCell;
    l.data = {nDataLeft, nDataTop, nDataRight, l.area.nBottom};
    if (config.bTextColumn) {
        const int32_t nTextLeft = nDataRight + HEX_COLUMN_GAP;
        l.text = {nTextLeft, nDataTop, nTextLeft + l.nPerRow * nTextCell, l.area.nBottom};
    }
    if (config.bHeader) l.header = {nDataLeft, l.area.nTop, nDataRight, l.area.nTop + lh};

    l.nElementCount = std::max(0, nByteCount) / nSize;
    // Whole rows, the last one partly filled: a row is never lost to rounding, however many
    // elements a row holds.
    l.nTotalRows = int32_t((int64_t(l.nElementCount) + l.nPerRow - 1) / l.nPerRow);
    l.nVisibleRows = std::min(l.nVisibleRows, l.nTotalRows);
    l.nScrollRange = l.nTotalRows - l.nVisibleRows;
    l.nFirstRow = nClamped(nFirstRow, 0, l.nScrollRange);
    return l;
}

HexEditLayout LayOutBesideScrollBar(const HexEditConfig& config, int32_t nWidth, int32_t nHeight, int32_t nBarWidth,
                                    int32_t nCharWidth, int32_t nLineHeight, int32_t nByteCount, int32_t nFirstRow)
{
    HexEditLayout l = LayOutHexEdit(config, nWidth, nHeight, nCharWidth, nLineHeight, nByteCount, nFirstRow);
    if (!config.bScrollBar || l.nScrollRange < 1) return l;
    // The narrower client area holds no more per row, so the rows still do not all fit.
    l = LayOutHexEdit(config, std::max(0, nWidth - nBarWidth), nHeight, nCharWidth, nLineHeight, nByteCount, nFirstRow);
    l.bScrollBar = true;
    return l;
}

HexScrollBar ScrollBarFor(const HexEditLayout& layout)
{
    return {layout.bScrollBar, layout.nScrollRange, layout.nVisibleRows, layout.nFirstRow};
}

int32_t nHitElement(const HexEditLayout& layout, int32_t x, int32_t y)
{
    if (!layout.data.bContains(x, y) || layout.nVisibleRows < 1 || layout.nElementCount < 1) return HEX_NO_CURSOR;
    const int32_t nRow = nClamped((y - layout.data.nTop) / layout.nLineHeight, 0, layout.nVisibleRows - 1);
    const int32_t nColumn = nClamped((x - layout.data.nLeft) / layout.nCellWidth(), 0, layout.nPerRow - 1);
    const int64_t qwElement = (int64_t(layout.nFirstRow) + nRow) * layout.nPerRow + nColumn;
    return int32_t(std::min<int64_t>(qwElement, layout.nElementCount - 1));
}

HexPosition MoveCursor(const HexEditLayout& layout, int32_t nCursor, EHexKey eKey)
{
    HexPosition position{nCursor, layout.nFirstRow};
    if (nCursor < 0 || layout.nElementCount < 1) return position;
    int64_t qwMoved = nCursor;
    switch (eKey) {
        case HEX_KEY_LEFT: --qwMoved; break;
        case HEX_KEY_RIGHT: ++qwMoved; break;
        case HEX_KEY_UP: qwMoved -= layout.nPerRow; break;
        case HEX_KEY_DOWN: qwMoved += layout.nPerRow; break;
    }
    position.nCursor = nClamped(qwMoved, 0, layout.nElementCount - 1);
    // One row at a time towards the cursor, as a key moves it by at most one row.
    const int64_t qwFirstShown = int64_t(layout.nFirstRow) * layout.nPerRow;
    const int64_t qwPastShown = (int64_t(layout.nFirstRow) + layout.nVisibleRows) * layout.nPerRow;
    if (position.nCursor < qwFirstShown)
        position.nFirstRow = std::max(0, layout.nFirstRow - 1);
    else if (position.nCursor >= qwPastShown)
        position.nFirstRow = std::min(layout.nScrollRange, layout.nFirstRow + 1);
    return position;
}

int32_t nWheelFirstRow(const HexEditLayout& layout, int32_t nDelta)
{
    return nClamped(int64_t(layout.nFirstRow) - nDelta / 120, 0, layout.nScrollRange);
}

int32_t nScrolledFirstRow(const HexEditLayout& layout, EHexScroll eAction, int32_t nThumb)
{
    int64_t qwRow = layout.nFirstRow;
    switch (eAction) {
        case HEX_SCROLL_LINE_UP: --qwRow; break;
        case HEX_SCROLL_LINE_DOWN: ++qwRow; break;
        case HEX_SCROLL_PAGE_UP: qwRow -= layout.nVisibleRows; break;
        case HEX_SCROLL_PAGE_DOWN: qwRow += layout.nVisibleRows; break;
        case HEX_SCROLL_THUMB: qwRow = nThumb; break;
        case HEX_SCROLL_TOP: qwRow = 0; break;
        case HEX_SCROLL_BOTTOM: qwRow = layout.nScrollRange; break;
    }
    return nClamped(qwRow, 0, layout.nScrollRange);
}

int32_t nReexpressCursor(int32_t nCursor, int32_t nOldSize, int32_t nNewSize, int32_t nByteCount)
{
    if (nCursor < 0) return HEX_NO_CURSOR;
    const int32_t nNewCount = std::max(0, nByteCount) / nValidElementSize(nNewSize);
    if (nNewCount < 1) return HEX_NO_CURSOR;
    const int64_t qwByte = int64_t(nCursor) * nValidElementSize(nOldSize);
    return int32_t(std::min<int64_t>(qwByte / nValidElementSize(nNewSize), nNewCount - 1));
}

HexBox ElementBox(const HexEditLayout& layout, int32_t nElement)
{
    if (nElement < 0 || nElement >= layout.nElementCount) return {};
    const int32_t nRow = nElement / layout.nPerRow - layout.nFirstRow;
    if (nRow < 0 || nRow >= layout.nVisibleRows) return {};
    const int32_t nLeft = layout.data.nLeft + (nElement % layout.nPerRow) * layout.nCellWidth();
    const int32_t nTop = layout.data.nTop + nRow * layout.nLineHeight;
    return {nLeft, nTop, nLeft + 2 * layout.nElementSize * layout.nCharWidth, nTop + layout.nLineHeight};
}

int32_t nRowOffset(const HexEditLayout& layout, int32_t nRow)
{
    return (layout.nFirstRow + nRow) * layout.nPerRow * layout.nElementSize;
}

uint32_t dwElementValue(const uint8_t* p, int32_t nElementSize)
{
    uint32_t dwValue = 0;
    for (int32_t i = nValidElementSize(nElementSize) - 1; i >= 0; --i) dwValue = dwValue << 8 | p[i];
    return dwValue;
}

std::string strHexAddress(uint32_t dwOffset, int32_t nDigits)
{
    char szText[24];
    std::snprintf(szText, sizeof szText, "%0*X", std::clamp(nDigits, 0, 16), unsigned(dwOffset));
    return szText;
}

std::string strHexElement(uint32_t dwValue, int32_t nElementSize)
{
    char szText[12];
    std::snprintf(szText, sizeof szText, "%0*X", 2 * nValidElementSize(nElementSize), unsigned(dwValue));
    return szText;
}

std::string strHexHeaderColumn(int32_t nColumn, int32_t nElementSize)
{
    char szText[16];
    std::snprintf(szText, sizeof szText, "%0*X ", 2 * nValidElementSize(nElementSize), unsigned(nColumn));
    return szText;
}

char chHexText(uint8_t byValue) { return byValue >= 0x20 && byValue < 0x7F ? char(byValue) : '.'; }

int32_t nHeaderColumns(const HexEditLayout& layout, int32_t nByteCount)
{
    return std::min(layout.nPerRow, std::max(0, nByteCount));
}

}  // namespace ui
