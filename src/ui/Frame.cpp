// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/Frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QScreen>
#include <QStyle>

#include "ui/HardwareAction.h"

namespace ui {

namespace {

// A window system drag that has not moved the frame for this long is over.
constexpr int DRAG_PAUSE_MS = 250;

// The show commands of a placement: shown normally, shown minimised (and the other two
// forms of minimised a placement may carry).
constexpr uint32_t SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7;

SnapRect ToSnap(const QRect& r)
{
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

SnapPoint CursorPoint()
{
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

}  // namespace

CFrame::CFrame(int nFrame, IFrameHost& host) : QWidget(nullptr), m_Host(host), m_nFrame(nFrame)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const FrameRow& row = Row();
    setWindowTitle(QString::fromUtf8(row.pszCaption));
    const int32_t nCaption = nCaptionHeight();
    // The table's sizes are window sizes; the window system adds its own caption to the client.
    resize(row.nWidth, nCreationHeight(row, nCaption) - nCaption);
    if (row.nMinWidth > 0 || row.nMinHeight > 0)
        setMinimumSize(row.nMinWidth, row.nMinHeight > 0 ? row.nMinHeight - nCaption : 0);
    if (!row.bResizable) setFixedSize(size());
    m_DragPause.setSingleShot(true);
    m_DragPause.setInterval(DRAG_PAUSE_MS);
    connect(&m_DragPause, &QTimer::timeout, this, &CFrame::vDragPaused);
}

int32_t CFrame::nCaptionHeight()
{
    return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

void CFrame::vSetPanel(QWidget* pPanel)
{
    m_pPanel = pPanel;
    m_pPanel->setParent(this);
    m_pPanel->move(0, 0);
    if (Row().bResizable) m_pPanel->resize(size());
    else vFitToPanel();
}

void CFrame::vFitToPanel()
{
    if (m_pPanel) setFixedSize(m_pPanel->size());
}

SnapRect CFrame::WindowRect() const
{
    return ToSnap(frameGeometry());
}

SnapRect CFrame::WorkArea() const
{
    const QScreen* pScreen = screen() ? screen() : QGuiApplication::primaryScreen();
    return pScreen ? ToSnap(pScreen->availableGeometry()) : WindowRect();
}

app::WindowPlacement CFrame::Placement() const
{
    const SnapRect r = WindowRect();
    app::WindowPlacement placement;
    placement.dwShowCmd = isMinimized() ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    placement.nLeft = r.nLeft;
    placement.nTop = r.nTop;
    placement.nRight = r.nRight;
    placement.nBottom = r.nBottom;
    return placement;
}

void CFrame::vApplyPlacement(const app::WindowPlacement& stored)
{
    const SnapRect now = WindowRect();
    const app::WindowPlacement placement = PlacementToApply(Row(), stored, now.nWidth(), now.nHeight());
    vMoveTo({placement.nLeft, placement.nTop, placement.nRight, placement.nBottom});
    const uint32_t dwShow = stored.dwShowCmd;
    if (m_nFrame != FRAME_MAIN && (dwShow == SW_SHOWMINIMIZED || dwShow == SW_MINIMIZE || dwShow == SW_SHOWMINNOACTIVE))
        setWindowState(windowState() | Qt::WindowMinimized);
}

void CFrame::vMoveTo(const SnapRect& r)
{
    // One request for place and size, so that the window system reports no half-way state
    // that would pass for a move of the user's.
    const QRect frame = frameGeometry(), client = geometry();
    m_Last = r;
    if (!isVisible()) {
        // Before it is shown the decorations are not known: a window's position given with
        // move() is that of its decorations, whatever they turn out to be.
        resize(r.nWidth() - (frame.width() - client.width()), r.nHeight() - (frame.height() - client.height()));
        move(r.nLeft, r.nTop);
        return;
    }
    const QPoint offset = client.topLeft() - frame.topLeft();
    setGeometry(r.nLeft + offset.x(), r.nTop + offset.y(), r.nWidth() - (frame.width() - client.width()),
                r.nHeight() - (frame.height() - client.height()));
    m_Last = WindowRect();
}

void CFrame::vCloseQuietly()
{
    m_bQuiet = true;
    close();
}

void CFrame::showEvent(QShowEvent* pEvent)
{
    QWidget::showEvent(pEvent);
    m_Last = WindowRect();
}

void CFrame::moveEvent(QMoveEvent* pEvent)
{
    QWidget::moveEvent(pEvent);
    vGeometryChanged();
}

void CFrame::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    if (m_pPanel && Row().bResizable) m_pPanel->resize(size());
    vGeometryChanged();
}

// A move or size the frame did not make itself: N is where the frame was after the last one it
// took, P where it is now; it goes where the snap of P puts it.
void CFrame::vGeometryChanged()
{
    const SnapRect now = WindowRect();
    if (m_Expected && now == *m_Expected) m_Expected.reset();
    if (!m_Last || now == *m_Last) return;
    const SnapRect before = *m_Last;
    m_Last = now;
    if (m_bPanelDrag || !isVisible() || isMinimized() || !m_Host.bSnapOn()) return;
    const bool bSizing = now.nWidth() != before.nWidth() || now.nHeight() != before.nHeight();
    CSnapper& snapper = m_Host.Snapper();
    const std::vector<SnapRect> others = m_Host.OtherFrames(this);
    SnapRect target;
    if (bSizing) {
        target = snapper.Sizing(before, now, WorkArea(), others);
    } else {
        if (snapper.pFrame() != this) snapper.vBegin(this, CursorPoint(), before);
        target = snapper.Moving(before, now, CursorPoint(), WorkArea(), others);
        m_DragPause.start();
    }
    if (target == now) return;
    m_Expected = target;
    vMoveTo(target);
}

// The drag has paused: the snapper lets go of the frame, and a window manager that kept the
// frame where its drag put it gets the snapped place now.
void CFrame::vDragPaused()
{
    CSnapper& snapper = m_Host.Snapper();
    if (snapper.pFrame() == this) snapper.vEnd();
    if (m_Expected && WindowRect() != *m_Expected && m_Host.bSnapOn()) vMoveTo(*m_Expected);
    m_Expected.reset();
}

void CFrame::vPanelDragStart(QPoint global)
{
    m_bPanelDrag = true;
    m_Host.Snapper().vBegin(this, {global.x(), global.y()}, WindowRect());
}

void CFrame::vPanelDragMove(QPoint global)
{
    CSnapper& snapper = m_Host.Snapper();
    if (!m_bPanelDrag || snapper.pFrame() != this) vPanelDragStart(global);
    const SnapRect now = WindowRect();
    const SnapPoint mouse{global.x(), global.y()};
    const SnapRect target =
        m_Host.bSnapOn()
            ? snapper.Moving(now, now, mouse, WorkArea(), m_Host.OtherFrames(this))
            : DraggedRect(now, snapper.Start(), mouse.x - snapper.nMouseX(), mouse.y - snapper.nMouseY());
    if (target != now) vMoveTo(target);
}

void CFrame::vPanelDragEnd()
{
    m_bPanelDrag = false;
    CSnapper& snapper = m_Host.Snapper();
    if (snapper.pFrame() == this) snapper.vEnd();
    m_Last = WindowRect();
}

void CFrame::closeEvent(QCloseEvent* pEvent)
{
    // Not while a walk or a register write runs: the window closes when it is over.
    if (CHardwareAction::bRunning()) {
        CHardwareAction::vCloseAfter(this);
        pEvent->ignore();
        return;
    }
    if (!m_bQuiet) m_Host.vFrameClosing(this);
    pEvent->accept();
}

}  // namespace ui
