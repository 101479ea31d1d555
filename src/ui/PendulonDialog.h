// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main panel: a button for each tool window (the PLL buttons only when the kit has a
// clock generator, "Memory Buffer" only when it has a memory buffer), the version and the
// link at the bottom, and the one-second timer that shows the monitor's measurements in the
// open windows.
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>

#include "ui/MainPanelLayout.h"

namespace app {
class CPendulonApp;
}

namespace ui {

class CBmpButton;
class CHyperLink;

class CPendulonDialog : public QWidget {
    Q_OBJECT

public:
    explicit CPendulonDialog(app::CPendulonApp& app, QWidget* pParent = nullptr);

    CBmpButton* Button(EMainButton eButton) const { return m_apButtons[eButton]; }
    QLabel* VersionLabel() const { return m_pVersion; }
    CHyperLink* Link() const { return m_pLink; }
    // The panel's size at creation (141 × 142 dialog units).
    static QSize DialogSize();

    // A button's action: open its window, then tell it what to show under the kit lock.
    void vPress(EMainButton eButton);
    // One tick of the timer: the measured clocks refreshed in the open windows.
    void vTick();

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void vLayout();

    app::CPendulonApp& m_App;
    std::array<CBmpButton*, MAIN_BUTTONS> m_apButtons{};
    QLabel* m_pVersion;
    CHyperLink* m_pLink;
    QTimer m_Timer;
    int32_t m_nButtonHeight;
    QSize m_LinkSize, m_VersionSize;
};

}  // namespace ui
