// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A top-level window of the program: the main window or one of the five tool windows, each
// with one panel filling its client area. A frame takes its caption, size and flags from its
// row of the frames table (no frame can be maximised; Clocks and PLL Control cannot be
// sized), hands the window messages of its row to its panel, says where it is as a window
// placement, and snaps while it is moved or sized: the window system reports a move after it
// happened, so the frame works out where the snap puts it from where it was before, and moves
// itself there.
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/WindowMessages.h"
#include "ui/FrameTable.h"
#include "ui/Snapper.h"

namespace ui {

class CFrame;

// What a frame needs from the program's windows.
class IFrameHost {
public:
    virtual ~IFrameHost() = default;
    // Frames snap (the option is on and the window system lets a program place its windows).
    virtual bool bSnapOn() const = 0;
    virtual CSnapper& Snapper() = 0;
    // The window rectangles a frame lines up with: every other open frame that is not
    // minimised, the tool windows in their order, then the main window.
    virtual std::vector<SnapRect> OtherFrames(const CFrame* pFrame) const = 0;
    // The user closes a frame (the main window closes the program).
    virtual void vFrameClosing(CFrame* pFrame) = 0;
};

class CFrame : public QWidget {
    Q_OBJECT

public:
    // nFrame: the row of the frames table (an app::EToolWindow, or FRAME_MAIN).
    CFrame(int nFrame, IFrameHost& host);

    int nFrame() const { return m_nFrame; }
    const FrameRow& Row() const { return Frame(m_nFrame); }

    // A window message of the frame's row, handed to its panel.
    virtual void OnMessage(uint32_t dwMessage) { (void)dwMessage; }

    // The window rectangle, window system decorations included.
    SnapRect WindowRect() const;
    // Where the frame is: its window rectangle as the normal rectangle, and whether it is
    // minimised.
    app::WindowPlacement Placement() const;
    // Takes a stored placement as the frame's row says: the position only, or the whole
    // rectangle; a minimised one opens minimised.
    void vApplyPlacement(const app::WindowPlacement& stored);
    // Puts the window rectangle at r; the frame does not snap its own move.
    void vMoveTo(const SnapRect& r);
    // Closes without telling the host (the main window closes the tool windows).
    void vCloseQuietly();

    // The frame dragged by its panel: the mouse pressed at, moved to, released.
    void vPanelDragStart(QPoint global);
    void vPanelDragMove(QPoint global);
    void vPanelDragEnd();

    // The caption height the frames table adds to some frames' heights.
    static int32_t nCaptionHeight();

protected:
    // The panel fills the client area; a frame that cannot be sized takes the panel's size.
    void vSetPanel(QWidget* pPanel);
    void vFitToPanel();
    void moveEvent(QMoveEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

private:
    void vGeometryChanged();
    void vDragPaused();
    SnapRect WorkArea() const;

    IFrameHost& m_Host;
    int m_nFrame;
    QWidget* m_pPanel = nullptr;
    // Where the frame was after the last move or size it took; the next one is measured
    // from here.
    std::optional<SnapRect> m_Last;
    // Where the frame's own last move put it (a window manager may not honour a client's
    // move during its drag: the frame puts itself there once the drag has paused).
    std::optional<SnapRect> m_Expected;
    QTimer m_DragPause;
    bool m_bPanelDrag = false;
    bool m_bQuiet = false;
};

}  // namespace ui
