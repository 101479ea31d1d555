// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The six windows of the program, each a frame with its panel: the main window with the
// launcher panel, and the tool windows Clocks, PLL Control, PLL Setup, Memory Buffer and
// Options. Each hands the window messages its row takes to its panel.
#include "ui/Frame.h"

namespace app {
class CPendulonApp;
}

namespace ui {

class CClocksDialog;
class COptionDialog;
class CPendulonDialog;
class CSelectionDialog;

class CMainFrame : public CFrame {
    Q_OBJECT
public:
    CMainFrame(app::CPendulonApp& app, IFrameHost& host);
    CPendulonDialog* Panel() const { return m_pPanel; }

private:
    CPendulonDialog* m_pPanel;
};

class CClocksFrame : public CFrame {
    Q_OBJECT
public:
    CClocksFrame(app::CPendulonApp& app, IFrameHost& host);
    void OnMessage(uint32_t dwMessage) override;
    CClocksDialog* Panel() const { return m_pPanel; }

private:
    CClocksDialog* m_pPanel;
};

class CSelectionFrame : public CFrame {
    Q_OBJECT
public:
    CSelectionFrame(app::CPendulonApp& app, IFrameHost& host);
    void OnMessage(uint32_t dwMessage) override;
    CSelectionDialog* Panel() const { return m_pPanel; }

private:
    CSelectionDialog* m_pPanel;
};

// PLL Setup and Memory Buffer: their frames, sizes and messages; the panels that fill them
// come with the register editor.

class CSetupFrame : public CFrame {
    Q_OBJECT
public:
    explicit CSetupFrame(IFrameHost& host);
};

class CMemoryBufferFrame : public CFrame {
    Q_OBJECT
public:
    explicit CMemoryBufferFrame(IFrameHost& host);
};

class COptionFrame : public CFrame {
    Q_OBJECT
public:
    COptionFrame(app::CPendulonApp& app, IFrameHost& host, const QString& strNoSnap);
    COptionDialog* Panel() const { return m_pPanel; }

private:
    COptionDialog* m_pPanel;
};

// The tool window's frame for its row.
CFrame* NewToolFrame(app::EToolWindow eWindow, app::CPendulonApp& app, IFrameHost& host, const QString& strNoSnap);

}  // namespace ui
