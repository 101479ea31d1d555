// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's windows as the application core sees them: the main window, made hidden once
// the kit is built and shown at the end of the start, and the five tool windows, each opened
// (or restored when minimised, or left as it is when open) at the core's asking, placed by
// its stored placement, told the window messages of its row on the UI thread, and storing
// where it was when the user closes it. Closing the main window writes the settings (and
// profile 0 when the boot option is on), closes the tool windows and ends the program.
#include <QObject>
#include <QPointer>
#include <array>
#include <chrono>
#include <memory>

#include "app/WindowMessages.h"
#include "ui/Frame.h"
#include "ui/Snapper.h"

namespace app {
class CPendulonApp;
}

namespace ui {

class CMainFrame;

class CWindowHost : public QObject, public app::IWindowHost, public IFrameHost {
    Q_OBJECT

public:
    explicit CWindowHost(app::CPendulonApp& app);
    ~CWindowHost() override;

    // The window system lets a program place its windows (not so on Wayland); "" when it
    // does, else why not, as the Options window says it.
    const QString& strNoSnap() const { return m_strNoSnap; }
    // For tests: as though the window system did not let the program place its windows.
    void vSetNoSnap(const QString& strWhy) { m_strNoSnap = strWhy; }

    CMainFrame* MainFrame() const { return m_pMain.get(); }
    CFrame* ToolFrame(app::EToolWindow eWindow) const;
    // Closes the main window as a person would; safe to call from any thread (a stop signal).
    void vRequestClose();
    // The main window has closed and the program ends.
    bool bClosed() const { return m_bClosed; }
    // When the kit was built, and when the main window was first painted after it.
    std::chrono::steady_clock::time_point KitBuilt() const { return m_KitBuilt; }

    // app::IWindowHost
    bool bMainPlacement(app::WindowPlacement& placement) override;
    void vSetMainPlacement(const app::WindowPlacement& placement) override;
    bool bToolPlacement(app::EToolWindow eWindow, app::WindowPlacement& placement) override;
    void vOpenToolWindow(app::EToolWindow eWindow, const app::WindowPlacement* pStored) override;
    void vCreateMainWindow() override;
    void vShowMainWindow() override;

    // IFrameHost
    bool bSnapOn() const override;
    CSnapper& Snapper() override { return m_Snapper; }
    std::vector<SnapRect> OtherFrames(const CFrame* pFrame) const override;
    void vFrameClosing(CFrame* pFrame) override;

signals:
    // The main window has been painted for the first time.
    void MainWindowOnScreen();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void vCloseMain();
    void vPlaceBesideMain(CFrame* pFrame);

    app::CPendulonApp& m_App;
    CSnapper m_Snapper;
    std::unique_ptr<CMainFrame> m_pMain;
    std::array<QPointer<CFrame>, app::TOOL_WINDOW_COUNT> m_apTools;
    QString m_strNoSnap;
    bool m_bClosed = false;
    bool m_bPainted = false;
    std::chrono::steady_clock::time_point m_KitBuilt;
};

}  // namespace ui
