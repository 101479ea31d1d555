// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/WindowHost.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QThread>
#include <algorithm>

#include "app/PendulonApp.h"
#include "ui/Frames.h"

namespace ui {

CWindowHost::CWindowHost(app::CPendulonApp& app) : m_App(app)
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        m_strNoSnap = QStringLiteral("(this Wayland session places the windows itself)");
}

CWindowHost::~CWindowHost()
{
    for (int i = 0; i < app::TOOL_WINDOW_COUNT; ++i) {
        m_App.Messages().vUnregister(static_cast<app::EToolWindow>(i));
        delete m_apTools[i].data();
    }
}

CFrame* CWindowHost::ToolFrame(app::EToolWindow eWindow) const
{
    return eWindow >= 0 && eWindow < app::TOOL_WINDOW_COUNT ? m_apTools[eWindow].data() : nullptr;
}

void CWindowHost::vCreateMainWindow()
{
    m_KitBuilt = std::chrono::steady_clock::now();
    if (m_pMain) return;
    m_pMain = std::make_unique<CMainFrame>(m_App, *this);
    m_pMain->installEventFilter(this);
}

void CWindowHost::vShowMainWindow()
{
    if (!m_pMain) return;
    m_pMain->show();
    m_pMain->raise();
    m_pMain->activateWindow();
}

bool CWindowHost::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pMain.get() && pEvent->type() == QEvent::Paint && !m_bPainted) {
        m_bPainted = true;
        emit MainWindowOnScreen();
    }
    return QObject::eventFilter(pWatched, pEvent);
}

bool CWindowHost::bMainPlacement(app::WindowPlacement& placement)
{
    if (!m_pMain) return false;
    placement = m_pMain->Placement();
    return true;
}

void CWindowHost::vSetMainPlacement(const app::WindowPlacement& placement)
{
    if (m_pMain) m_pMain->vApplyPlacement(placement);
}

bool CWindowHost::bToolPlacement(app::EToolWindow eWindow, app::WindowPlacement& placement)
{
    CFrame* pFrame = ToolFrame(eWindow);
    if (!pFrame) return false;
    placement = pFrame->Placement();
    return true;
}

void CWindowHost::vOpenToolWindow(app::EToolWindow eWindow, const app::WindowPlacement* pStored)
{
    if (eWindow < 0 || eWindow >= app::TOOL_WINDOW_COUNT || m_bClosed) return;
    if (CFrame* pOpen = m_apTools[eWindow]) {
        if (pOpen->isMinimized()) pOpen->showNormal();  // otherwise only its messages refresh it
        return;
    }
    CFrame* pFrame = NewToolFrame(eWindow, m_App, *this, m_strNoSnap);
    if (!pFrame) return;
    pFrame->setAttribute(Qt::WA_DeleteOnClose);
    m_apTools[eWindow] = pFrame;
    // The messages reach the window on the UI thread: one sent from another thread waits in
    // the window's event queue.
    QPointer<CFrame> pTarget(pFrame);
    m_App.Messages().vRegister(eWindow, [pTarget](uint32_t dwMessage) {
        if (!pTarget) return;
        if (QThread::currentThread() == pTarget->thread())
            pTarget->OnMessage(dwMessage);
        else
            QMetaObject::invokeMethod(
                pTarget.data(), [pTarget, dwMessage] { if (pTarget) pTarget->OnMessage(dwMessage); },
                Qt::QueuedConnection);
    });
    if (pStored) pFrame->vApplyPlacement(*pStored);
    else vPlaceBesideMain(pFrame);
    pFrame->show();
}

// A window with no stored place opens at the main window's right edge, under the tool windows
// that are there already.
void CWindowHost::vPlaceBesideMain(CFrame* pFrame)
{
    if (!m_pMain) return;
    const SnapRect main = m_pMain->WindowRect();
    SnapRect place = pFrame->WindowRect();
    int32_t nTop = main.nTop;
    for (const QPointer<CFrame>& pTool : m_apTools)
        if (pTool && pTool != pFrame && pTool->isVisible() && pTool->WindowRect().nLeft == main.nRight)
            nTop = std::max(nTop, pTool->WindowRect().nBottom);
    pFrame->vMoveTo({main.nRight, nTop, main.nRight + place.nWidth(), nTop + place.nHeight()});
}

bool CWindowHost::bSnapOn() const
{
    return m_App.m_bSnap != 0 && m_strNoSnap.isEmpty();
}

std::vector<SnapRect> CWindowHost::OtherFrames(const CFrame* pFrame) const
{
    std::vector<SnapRect> others;
    auto offer = [&](const CFrame* pOther) {
        if (pOther && pOther != pFrame && pOther->isVisible() && !pOther->isMinimized())
            others.push_back(pOther->WindowRect());
    };
    for (const QPointer<CFrame>& pTool : m_apTools) offer(pTool.data());
    offer(m_pMain.get());
    return others;
}

void CWindowHost::vFrameClosing(CFrame* pFrame)
{
    if (pFrame == m_pMain.get()) {
        vCloseMain();
        return;
    }
    const auto eWindow = static_cast<app::EToolWindow>(pFrame->nFrame());
    if (ToolFrame(eWindow) != pFrame) return;
    if (m_Snapper.pFrame() == pFrame) m_Snapper.vEnd();
    m_App.vStorePlacement(eWindow, pFrame->Placement());
    m_App.Messages().vUnregister(eWindow);
    m_apTools[eWindow] = nullptr;
}

// The settings record every window where it is; the tool windows then close without storing
// their placements again, and the program ends (Qt alone would run on for them).
void CWindowHost::vCloseMain()
{
    if (m_bClosed) return;
    m_App.vCloseMainWindow();
    m_bClosed = true;
    m_Snapper.vEnd();
    for (int i = 0; i < app::TOOL_WINDOW_COUNT; ++i) {
        const auto eWindow = static_cast<app::EToolWindow>(i);
        m_App.Messages().vUnregister(eWindow);
        if (CFrame* pFrame = m_apTools[i]) pFrame->vCloseQuietly();
        m_apTools[i] = nullptr;
    }
    QCoreApplication::quit();
}

void CWindowHost::vRequestClose()
{
    QMetaObject::invokeMethod(
        this, [this] { if (m_pMain && !m_bClosed) m_pMain->close(); }, Qt::QueuedConnection);
}

}  // namespace ui
