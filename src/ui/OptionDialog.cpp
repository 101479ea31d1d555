// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/OptionDialog.h"

#include <QMessageBox>

#include "app/PendulonApp.h"
#include "ui/DialogFont.h"
#include "ui/WaitCursor.h"

namespace ui {

namespace {

// In dialog units: the two groups and their boxes.
constexpr int32_t GENERAL[4] = {3, 1, 212, 29};
constexpr int32_t SNAP[4] = {14, 14, 62, 10};
constexpr int32_t PROFILES[4] = {3, 32, 212, 29};
constexpr int32_t STARTUP[4] = {14, 45, 131, 10};
constexpr int32_t PANEL_WIDTH = 218, PANEL_HEIGHT = 66;

QRect Place(const int32_t (&r)[4], const DialogBaseUnits& base)
{
    return DialogQRect(r[0], r[1], r[2], r[3], base);
}

}  // namespace

COptionDialog::COptionDialog(app::CPendulonApp& app, const QString& strNoSnap, QWidget* pParent)
    : QWidget(pParent), m_App(app)
{
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnits(font());
    resize(DialogQRect(0, 0, PANEL_WIDTH, PANEL_HEIGHT, base).size());
    // The boxes are children of the panel (not of the groups), placed in its coordinates.
    m_pGeneral = new QGroupBox(QStringLiteral("General"), this);
    m_pGeneral->setGeometry(Place(GENERAL, base));
    m_pProfiles = new QGroupBox(QStringLiteral("Profiles Management"), this);
    m_pProfiles->setGeometry(Place(PROFILES, base));
    m_pSnap = new QCheckBox(QStringLiteral("Frames Snap"), this);
    m_pSnap->setGeometry(Place(SNAP, base));
    m_pStartup = new QCheckBox(QStringLiteral("Apply current settings at startup"), this);
    m_pStartup->setGeometry(Place(STARTUP, base));
    // Where the window system places the windows itself, the option cannot work: say so.
    m_pNoSnap = new QLabel(strNoSnap, this);
    const QRect snap = m_pSnap->geometry();
    m_pNoSnap->setGeometry(snap.right() + 8, snap.top(), width() - snap.right() - 16, snap.height());
    m_pNoSnap->setVisible(!strNoSnap.isEmpty());
    m_pNoSnap->setToolTip(strNoSnap);
    m_pSnap->setEnabled(strNoSnap.isEmpty());

    m_pSnap->setChecked(app.m_bSnap != 0);
    m_pStartup->setChecked(app.m_bRunAtStartup != 0);
    connect(m_pSnap, &QCheckBox::clicked, this, &COptionDialog::OnSnapClicked);
    connect(m_pStartup, &QCheckBox::clicked, this, &COptionDialog::OnStartupClicked);
    m_pfnMessage = [this](const QString& strText) { QMessageBox::warning(this, QStringLiteral("Pendulon"), strText); };
}

void COptionDialog::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    QRect general = m_pGeneral->geometry();
    general.setWidth(width() - 6);
    m_pGeneral->setGeometry(general);
    QRect profiles = m_pProfiles->geometry();
    profiles.setWidth(width() - 6);
    profiles.setHeight(height() - profiles.top() - 4);
    m_pProfiles->setGeometry(profiles);
}

void COptionDialog::OnSnapClicked(bool bChecked)
{
    m_App.m_bSnap = bChecked ? 1 : 0;
}

void COptionDialog::OnStartupClicked(bool bChecked)
{
    if (m_App.bSimulatedBoard()) {
        m_pStartup->setChecked(m_App.m_bRunAtStartup != 0);
        m_pfnMessage(QStringLiteral("Apply current settings at startup is not for a simulated board: a boot unit "
                                    "always applies this machine's own profile 0, never a simulated board's "
                                    "(start Pendulon without --board to change it)."));
        return;
    }
    {
        CWaitCursor wait;
        if (bChecked) {
            m_App.SaveProfile(0);  // the present register image and clocks, whatever the unit does
            m_App.SetRunAtStartup();
        } else {
            m_App.RemoveRunAtStartup();
        }
        m_App.m_bRunAtStartup = m_App.IsRunAtStartup() ? 1 : 0;
    }
    // The box shows what is there: unchecked again when the unit could not be written.
    m_pStartup->setChecked(m_App.m_bRunAtStartup != 0);
}

}  // namespace ui
