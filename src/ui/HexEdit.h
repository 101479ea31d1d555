// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The hex view of a register image: row addresses, the bytes (or 2- or 4-byte elements) in
// hexadecimal under a header of column numbers, optionally the bytes as characters, and one
// selected element. The user selects with the mouse and the arrow keys; the view is not
// edited in place (SetByte changes its copy). Drawn entirely by itself in one pass over an
// opaque background; a vertical scroll bar appears when the rows do not all fit.
#include <QWidget>
#include <cstdint>
#include <vector>

#include "ui/HexEditLayout.h"

class QMenu;
class QScrollBar;

namespace ui {

class CHexEdit : public QWidget {
    Q_OBJECT

public:
    explicit CHexEdit(QWidget* pParent = nullptr);

    // Shows a copy of nCount bytes (none for a null pointer or a count below 1). The cursor
    // stays on its element when that is still inside the new data; otherwise there is none.
    void SetData(const uint8_t* pData, int32_t nCount);
    // Changes one byte of the copy when nOffset lies inside it; false otherwise.
    bool SetByte(int32_t nOffset, uint8_t byValue);
    // The byte offset of the selected element; false when nothing is selected.
    bool bGetCursorOffset(int32_t& nOffset) const;
    // The selected element (1, 2 or 4 bytes, the first the lowest); false when nothing is selected.
    bool bGetCursorValue(uint32_t& dwValue) const;
    // Shows elements of 1, 2 or 4 bytes, the cursor on the element that holds its first byte;
    // false (and nothing changes) for any other size.
    bool SetElementSize(int32_t nSize);

    void SetAddressDigits(int32_t nDigits);
    void SetFixedPerRow(int32_t nPerRow);  // elements per row when fitting is off
    void SetFitToWidth(bool bFit);
    void SetTextColumn(bool bShown);
    void SetHeader(bool bShown);

    const std::vector<uint8_t>& vData() const { return m_vData; }
    int32_t nCursor() const { return m_nCursor; }
    int32_t nFirstRow() const { return m_Layout.nFirstRow; }
    const HexEditConfig& Config() const { return m_Config; }
    const HexEditLayout& Layout() const { return m_Layout; }
    QScrollBar* pScrollBar() const { return m_pScrollBar; }

    // The context menu with its single entry "Save Output", which emits SaveOutputRequested.
    // The caller owns the menu (the right button shows it at the click point).
    QMenu* pContextMenu(QWidget* pParent);

    QSize sizeHint() const override;

signals:
    // After every click and every key press: the selected element may be another.
    void SelectionMayHaveChanged();
    // "Save Output" was chosen from the context menu.
    void SaveOutputRequested();

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;

private:
    // The layout for the current size, font, data and first row, and the scroll bar after it.
    void vLayOut(int32_t nFirstRow);
    void vShowContextMenu(const QPoint& globalPosition);
    void vOnScrollAction(int nAction);

    HexEditConfig m_Config;
    HexEditLayout m_Layout;
    std::vector<uint8_t> m_vData;
    int32_t m_nCursor = HEX_NO_CURSOR;
    int32_t m_nWheelRest = 0;  // wheel turns short of a notch, kept for the next event
    QScrollBar* m_pScrollBar;
};

}  // namespace ui
