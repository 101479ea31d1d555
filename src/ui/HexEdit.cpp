// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/HexEdit.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace ui {

namespace {

const QColor BACKGROUND_COLOUR(Qt::white);
const QColor ADDRESS_COLOUR(0x00, 0x00, 0xFF);  // 0x00FF0000, pure blue
const QColor HEADER_COLOUR(0x00, 0x00, 0xFF);

QString strQ(const std::string& str) { return QString::fromLatin1(str.data(), qsizetype(str.size())); }

}  // namespace

CHexEdit::CHexEdit(QWidget* pParent) : QWidget(pParent), m_pScrollBar(new QScrollBar(Qt::Vertical, this))
{
    // Every pixel is painted in paintEvent: nothing is erased before.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pScrollBar->setFocusPolicy(Qt::NoFocus);
    m_pScrollBar->setSingleStep(1);
    m_pScrollBar->hide();
    connect(m_pScrollBar, &QScrollBar::actionTriggered, this, &CHexEdit::vOnScrollAction);
    connect(m_pScrollBar, &QScrollBar::valueChanged, this, [this](int nValue) {
        if (nValue == m_Layout.nFirstRow) return;
        vLayOut(nValue);
        update();
    });
    vLayOut(0);
}

void CHexEdit::SetData(const uint8_t* pData, int32_t nCount)
{
    if (pData && nCount > 0)
        m_vData.assign(pData, pData + nCount);
    else
        m_vData.clear();
    if (m_nCursor >= int32_t(m_vData.size()) / m_Config.nElementSize) m_nCursor = HEX_NO_CURSOR;
    vLayOut(m_Layout.nFirstRow);
    update();
}

bool CHexEdit::SetByte(int32_t nOffset, uint8_t byValue)
{
    if (nOffset < 0 || nOffset >= int32_t(m_vData.size())) return false;
    m_vData[size_t(nOffset)] = byValue;
    update();
    return true;
}

bool CHexEdit::bGetCursorOffset(int32_t& nOffset) const
{
    if (m_nCursor < 0) return false;
    nOffset = m_nCursor * m_Config.nElementSize;
    return true;
}

bool CHexEdit::bGetCursorValue(uint32_t& dwValue) const
{
    int32_t nOffset = 0;
    if (!bGetCursorOffset(nOffset) || nOffset + m_Config.nElementSize > int32_t(m_vData.size())) return false;
    dwValue = dwElementValue(m_vData.data() + nOffset, m_Config.nElementSize);
    return true;
}

bool CHexEdit::SetElementSize(int32_t nSize)
{
    if (nSize != 1 && nSize != 2 && nSize != 4) return false;
    m_nCursor = nReexpressCursor(m_nCursor, m_Config.nElementSize, nSize, int32_t(m_vData.size()));
    m_Config.nElementSize = nSize;
    vLayOut(m_Layout.nFirstRow);
    update();
    return true;
}

void CHexEdit::SetAddressDigits(int32_t nDigits)
{
    m_Config.nAddressDigits = nDigits;
    vLayOut(m_Layout.nFirstRow);
    update();
}

void CHexEdit::SetFixedPerRow(int32_t nPerRow)
{
    m_Config.nFixedPerRow = nPerRow;
    vLayOut(m_Layout.nFirstRow);
    update();
}

void CHexEdit::SetFitToWidth(bool bFit)
{
    m_Config.bFitToWidth = bFit;
    vLayOut(m_Layout.nFirstRow);
    update();
}

void CHexEdit::SetTextColumn(bool bShown)
{
    m_Config.bTextColumn = bShown;
    vLayOut(m_Layout.nFirstRow);
    update();
}

void CHexEdit::SetHeader(bool bShown)
{
    m_Config.bHeader = bShown;
    vLayOut(m_Layout.nFirstRow);
    update();
}

QMenu* CHexEdit::pContextMenu(QWidget* pParent)
{
    auto* pMenu = new QMenu(pParent);
    connect(pMenu->addAction(tr("Save Output")), &QAction::triggered, this, &CHexEdit::SaveOutputRequested);
    return pMenu;
}

QSize CHexEdit::sizeHint() const
{
    // Sixteen bytes a row, eight rows.
    const QFontMetrics metrics(font());
    const int32_t cw = metrics.horizontalAdvance(QLatin1Char('0')), lh = metrics.height();
    return {2 * HEX_MARGIN + 2 * cw + HEX_COLUMN_GAP + 16 * 3 * cw + m_pScrollBar->sizeHint().width(),
            2 * HEX_MARGIN + lh + HEX_HEADER_GAP + 8 * lh};
}

void CHexEdit::vLayOut(int32_t nFirstRow)
{
    const QFontMetrics metrics(font());
    const int32_t nBarWidth = m_pScrollBar->sizeHint().width();
    m_Layout = LayOutBesideScrollBar(m_Config, width(), height(), nBarWidth, metrics.horizontalAdvance(QLatin1Char('0')),
                                     metrics.height(), int32_t(m_vData.size()), nFirstRow);
    const HexScrollBar bar = ScrollBarFor(m_Layout);
    // The bar follows the layout without reporting the change back.
    const QSignalBlocker blocker(m_pScrollBar);
    if (bar.bShown) {
        m_pScrollBar->setGeometry(width() - nBarWidth, 0, nBarWidth, height());
        m_pScrollBar->setRange(0, bar.nMaximum);
        m_pScrollBar->setPageStep(bar.nPage);
        m_pScrollBar->setValue(bar.nPosition);
    }
    m_pScrollBar->setVisible(bar.bShown);
}

void CHexEdit::vOnScrollAction(int nAction)
{
    EHexScroll eAction;
    switch (nAction) {
        case QAbstractSlider::SliderSingleStepSub: eAction = HEX_SCROLL_LINE_UP; break;
        case QAbstractSlider::SliderSingleStepAdd: eAction = HEX_SCROLL_LINE_DOWN; break;
        case QAbstractSlider::SliderPageStepSub: eAction = HEX_SCROLL_PAGE_UP; break;
        case QAbstractSlider::SliderPageStepAdd: eAction = HEX_SCROLL_PAGE_DOWN; break;
        case QAbstractSlider::SliderMove: eAction = HEX_SCROLL_THUMB; break;
        case QAbstractSlider::SliderToMinimum: eAction = HEX_SCROLL_TOP; break;
        case QAbstractSlider::SliderToMaximum: eAction = HEX_SCROLL_BOTTOM; break;
        default: return;
    }
    // The bar has moved its slider already; the row it is to show is set here, and the
    // value it then reports scrolls the view.
    m_pScrollBar->setSliderPosition(nScrolledFirstRow(m_Layout, eAction, m_pScrollBar->sliderPosition()));
}

void CHexEdit::resizeEvent(QResizeEvent*) { vLayOut(m_Layout.nFirstRow); }

void CHexEdit::changeEvent(QEvent* pEvent)
{
    if (pEvent->type() == QEvent::FontChange) vLayOut(m_Layout.nFirstRow);
    QWidget::changeEvent(pEvent);
}

void CHexEdit::paintEvent(QPaintEvent*)
{
    // Qt paints a widget into its back buffer and shows it in one piece.
    QPainter painter(this);
    painter.fillRect(rect(), BACKGROUND_COLOUR);
    const HexEditLayout& l = m_Layout;
    if (l.area.bEmpty()) return;
    painter.setClipRect(QRect(l.area.nLeft, l.area.nTop, l.area.nRight - l.area.nLeft, l.area.nBottom - l.area.nTop));
    painter.setFont(font());
    const int32_t nAscent = QFontMetrics(font()).ascent();
    const QPalette& colours = palette();
    const int32_t nSize = l.nElementSize, nByteCount = int32_t(m_vData.size());

    for (int32_t nRow = 0; nRow < l.nVisibleRows; ++nRow) {
        const int32_t nBaseline = l.data.nTop + nRow * l.nLineHeight + nAscent;
        const int32_t nOffset = nRowOffset(l, nRow);
        painter.setPen(ADDRESS_COLOUR);
        painter.drawText(l.address.nLeft, nBaseline, strQ(strHexAddress(uint32_t(nOffset), m_Config.nAddressDigits)));
        // Each element at its own cell, so that the columns line up whatever the font's
        // fractional advances.
        painter.setPen(colours.color(QPalette::Active, QPalette::WindowText));
        const int32_t nFirstElement = nOffset / nSize;
        for (int32_t nColumn = 0; nColumn < l.nPerRow && nFirstElement + nColumn < l.nElementCount; ++nColumn) {
            const uint32_t dwValue = dwElementValue(m_vData.data() + (nFirstElement + nColumn) * nSize, nSize);
            painter.drawText(l.data.nLeft + nColumn * l.nCellWidth(), nBaseline, strQ(strHexElement(dwValue, nSize)));
        }
        if (!l.text.bEmpty()) {
            painter.setPen(colours.color(QPalette::Active, QPalette::PlaceholderText));
            for (int32_t i = 0; i < l.nPerRow * nSize && nOffset + i < nByteCount; ++i)
                painter.drawText(l.text.nLeft + i * l.nCharWidth, nBaseline, QString(QLatin1Char(chHexText(m_vData[size_t(nOffset + i)]))));
        }
    }
    if (!l.header.bEmpty()) {
        painter.setPen(HEADER_COLOUR);
        for (int32_t nColumn = 0; nColumn < nHeaderColumns(l, nByteCount); ++nColumn)
            painter.drawText(l.data.nLeft + nColumn * l.nCellWidth(), l.header.nTop + nAscent, strQ(strHexHeaderColumn(nColumn, nSize)));
    }
    // The selected element again, its digits (not the blank after them) on the highlight.
    const HexBox box = ElementBox(l, m_nCursor);
    if (!box.bEmpty()) {
        painter.fillRect(QRect(box.nLeft, box.nTop, box.nRight - box.nLeft, box.nBottom - box.nTop),
                         colours.color(QPalette::Active, QPalette::Highlight));
        painter.setPen(colours.color(QPalette::Active, QPalette::HighlightedText));
        const uint32_t dwValue = dwElementValue(m_vData.data() + m_nCursor * nSize, nSize);
        painter.drawText(box.nLeft, box.nTop + nAscent, strQ(strHexElement(dwValue, nSize)));
    }
}

void CHexEdit::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(pEvent);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint at = pEvent->position().toPoint();
    const int32_t nElement = nHitElement(m_Layout, at.x(), at.y());
    if (nElement != HEX_NO_CURSOR) {
        m_nCursor = nElement;
        update();
    }
    pEvent->accept();
    emit SelectionMayHaveChanged();
}

void CHexEdit::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::RightButton) {
        QWidget::mouseReleaseEvent(pEvent);
        return;
    }
    pEvent->accept();
    vShowContextMenu(pEvent->globalPosition().toPoint());
}

void CHexEdit::contextMenuEvent(QContextMenuEvent* pEvent)
{
    // The right button's menu opens when the button is let go; the keyboard's at the
    // selected element, or at the data's top left.
    pEvent->accept();
    if (pEvent->reason() == QContextMenuEvent::Mouse) return;
    const HexBox box = ElementBox(m_Layout, m_nCursor);
    const QPoint at = box.bEmpty() ? QPoint(m_Layout.data.nLeft, m_Layout.data.nTop) : QPoint(box.nLeft, box.nBottom);
    vShowContextMenu(mapToGlobal(at));
}

void CHexEdit::vShowContextMenu(const QPoint& globalPosition)
{
    QMenu* pMenu = pContextMenu(this);
    pMenu->setAttribute(Qt::WA_DeleteOnClose);
    pMenu->popup(globalPosition);
}

void CHexEdit::keyPressEvent(QKeyEvent* pEvent)
{
    EHexKey eKey;
    bool bArrow = true;
    switch (pEvent->key()) {
        case Qt::Key_Left: eKey = HEX_KEY_LEFT; break;
        case Qt::Key_Right: eKey = HEX_KEY_RIGHT; break;
        case Qt::Key_Up: eKey = HEX_KEY_UP; break;
        case Qt::Key_Down: eKey = HEX_KEY_DOWN; break;
        default: bArrow = false; break;
    }
    if (bArrow) {
        const HexPosition position = MoveCursor(m_Layout, m_nCursor, eKey);
        m_nCursor = position.nCursor;
        if (position.nFirstRow != m_Layout.nFirstRow) vLayOut(position.nFirstRow);
        update();
        pEvent->accept();
    } else {
        // Typed characters do not edit the view; the keys go on to the panel (Escape, Return).
        pEvent->ignore();
    }
    emit SelectionMayHaveChanged();
}

void CHexEdit::wheelEvent(QWheelEvent* pEvent)
{
    // Fine-grained wheels and touch pads send parts of a notch; they add up to whole rows.
    m_nWheelRest += pEvent->angleDelta().y();
    const int32_t nFirstRow = nWheelFirstRow(m_Layout, m_nWheelRest);
    m_nWheelRest %= 120;
    pEvent->accept();
    if (nFirstRow == m_Layout.nFirstRow) return;
    vLayOut(nFirstRow);
    update();
}

}  // namespace ui
