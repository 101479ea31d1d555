// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/Frames.h"

#include "app/PendulonApp.h"
#include "ui/ClocksDialog.h"
#include "ui/OptionDialog.h"
#include "ui/PendulonDialog.h"
#include "ui/SelectionClockDialog.h"
#include "ui/SelectionDialog.h"

namespace ui {

namespace {

// The frame dragged by any point of the panel, snapping like a drag by its caption.
void vFollowDrags(CFrame& frame, CDragPanel& panel)
{
    QObject::connect(&panel, &CDragPanel::DragStarted, &frame, &CFrame::vPanelDragStart);
    QObject::connect(&panel, &CDragPanel::DragMoved, &frame, &CFrame::vPanelDragMove);
    QObject::connect(&panel, &CDragPanel::DragEnded, &frame, &CFrame::vPanelDragEnd);
}

}  // namespace

CMainFrame::CMainFrame(app::CPendulonApp& app, IFrameHost& host) : CFrame(FRAME_MAIN, host)
{
    m_pPanel = new CPendulonDialog(app);
    vSetPanel(m_pPanel);
}

CClocksFrame::CClocksFrame(app::CPendulonApp& app, IFrameHost& host) : CFrame(app::TOOL_CLOCKS, host)
{
    m_pPanel = new CClocksDialog(app.Kit());
    vSetPanel(m_pPanel);
    vFollowDrags(*this, *m_pPanel);
}

void CClocksFrame::OnMessage(uint32_t dwMessage)
{
    switch (dwMessage) {
    case app::WM_PLL_CHANGED:
        m_pPanel->OnPLLChanged();
        break;
    case app::WM_CLOCKS_REFRESH:
        m_pPanel->OnClocksRefresh();
        break;
    case app::WM_FIT_FRAME:
        vFitToPanel();
        break;
    default:
        break;
    }
}

CSelectionFrame::CSelectionFrame(app::CPendulonApp& app, IFrameHost& host) : CFrame(app::TOOL_SELECTION, host)
{
    m_pPanel = new CSelectionDialog(app);
    vSetPanel(m_pPanel);
    // The frame takes the height of the panels the mode shows.
    connect(m_pPanel, &CSelectionDialog::LaidOut, this, [this] { vFitToPanel(); });
    vFollowDrags(*this, m_pPanel->Clocks());
}

void CSelectionFrame::OnMessage(uint32_t dwMessage)
{
    switch (dwMessage) {
    case app::WM_PLL_CHANGED:
        m_pPanel->OnPLLChanged();
        break;
    case app::WM_CLOCKS_REFRESH:
        m_pPanel->OnClocksRefresh();
        break;
    case app::WM_SELECTION_CHANGED:
        m_pPanel->OnSelectionChanged();
        break;
    default:
        break;
    }
}

CSetupFrame::CSetupFrame(IFrameHost& host) : CFrame(app::TOOL_SETUP, host) {}

CMemoryBufferFrame::CMemoryBufferFrame(IFrameHost& host) : CFrame(app::TOOL_MEMORY_BUFFER, host) {}

COptionFrame::COptionFrame(app::CPendulonApp& app, IFrameHost& host, const QString& strNoSnap)
    : CFrame(app::TOOL_OPTION, host)
{
    m_pPanel = new COptionDialog(app, strNoSnap);
    vSetPanel(m_pPanel);
}

CFrame* NewToolFrame(app::EToolWindow eWindow, app::CPendulonApp& app, IFrameHost& host, const QString& strNoSnap)
{
    switch (eWindow) {
    case app::TOOL_CLOCKS:
        return new CClocksFrame(app, host);
    case app::TOOL_SELECTION:
        return new CSelectionFrame(app, host);
    case app::TOOL_SETUP:
        return new CSetupFrame(host);
    case app::TOOL_MEMORY_BUFFER:
        return new CMemoryBufferFrame(host);
    case app::TOOL_OPTION:
        return new COptionFrame(app, host, strNoSnap);
    default:
        return nullptr;
    }
}

}  // namespace ui
