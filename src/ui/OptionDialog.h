// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Options panel: "Frames Snap" turns the snapping of the frames on and off at once, and
// "Apply current settings at startup" saves profile 0 and enables the boot unit, or removes
// it; the box then shows whether the unit is there. On a simulated board the boot option is
// refused: a boot unit always applies this machine's own profile 0.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>
#include <functional>

namespace app {
class CPendulonApp;
}

namespace ui {

class COptionDialog : public QWidget {
    Q_OBJECT

public:
    // strNoSnap: why the window system does not let the frames snap ("" when it does).
    COptionDialog(app::CPendulonApp& app, const QString& strNoSnap, QWidget* pParent = nullptr);

    QCheckBox* SnapBox() const { return m_pSnap; }
    QCheckBox* StartupBox() const { return m_pStartup; }
    QLabel* NoSnapNote() const { return m_pNoSnap; }

    // The check boxes clicked (also what a test drives).
    void OnSnapClicked(bool bChecked);
    void OnStartupClicked(bool bChecked);

    // Where refusals go (a message box by default).
    void vSetMessageBox(std::function<void(const QString&)> pfnMessage) { m_pfnMessage = std::move(pfnMessage); }

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    app::CPendulonApp& m_App;
    QGroupBox* m_pGeneral;
    QGroupBox* m_pProfiles;
    QCheckBox* m_pSnap;
    QCheckBox* m_pStartup;
    QLabel* m_pNoSnap;
    std::function<void(const QString&)> m_pfnMessage;
};

}  // namespace ui
