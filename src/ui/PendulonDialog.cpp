// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/PendulonDialog.h"

#include "app/PendulonApp.h"
#include "kit/ORVEXSDK.h"
#include "ui/BmpButton.h"
#include "ui/DialogFont.h"
#include "ui/HyperLink.h"
#include "ui/WaitCursor.h"

#ifndef PENDULON_HOMEPAGE
#define PENDULON_HOMEPAGE ""
#endif

namespace ui {

namespace {

constexpr int TIMER_MS = 1000;

// The buttons: text, the window each opens, the messages it sends that window once it is
// open (under the kit lock) and where it sits in dialog units.
struct ButtonRow {
    const char* pszText;
    app::EToolWindow eWindow;
    std::array<uint32_t, 3> adwMessages;  // 0 ends the list
    int32_t x, y, nWidth, nHeight;
};

constexpr std::array<ButtonRow, MAIN_BUTTONS> BUTTONS = {{
    {"Clocks", app::TOOL_CLOCKS, {app::WM_CLOCKS_REFRESH, app::WM_PLL_CHANGED, app::WM_FIT_FRAME}, 7, 7, 127, 13},
    {"PLL Control", app::TOOL_SELECTION, {app::WM_CLOCKS_REFRESH, app::WM_PLL_CHANGED, 0}, 7, 22, 127, 13},
    {"PLL Setup", app::TOOL_SETUP, {app::WM_PLL_CHANGED, 0, 0}, 7, 38, 127, 13},
    {"Memory Buffer", app::TOOL_MEMORY_BUFFER, {app::WM_MEMBUF_CHANGED, 0, 0}, 7, 55, 127, 13},
    {"Options", app::TOOL_OPTION, {0, 0, 0}, 8, 72, 127, 13},
}};

constexpr int32_t PANEL_WIDTH = 141, PANEL_HEIGHT = 142;
constexpr int32_t VERSION_X = 7, VERSION_Y = 115, VERSION_WIDTH = 79, VERSION_HEIGHT = 9;
constexpr int32_t LINK_X = 9, LINK_Y = 126, LINK_WIDTH = 54, LINK_HEIGHT = 9;

}  // namespace

QSize CPendulonDialog::DialogSize()
{
    return DialogQRect(0, 0, PANEL_WIDTH, PANEL_HEIGHT, BaseUnits(DialogFont())).size();
}

CPendulonDialog::CPendulonDialog(app::CPendulonApp& app, QWidget* pParent) : QWidget(pParent), m_App(app)
{
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnits(font());
    resize(DialogSize());
    for (int i = 0; i < MAIN_BUTTONS; ++i) {
        const ButtonRow& row = BUTTONS[i];
        const auto eButton = static_cast<EMainButton>(i);
        m_apButtons[i] = new CBmpButton(QString::fromLatin1(row.pszText), eButton, this);
        m_apButtons[i]->setGeometry(DialogQRect(row.x, row.y, row.nWidth, row.nHeight, base));
        connect(m_apButtons[i], &QPushButton::clicked, this, [this, eButton] { vPress(eButton); });
    }
    m_nButtonHeight = DialogQRect(0, 0, BUTTONS[0].nWidth, BUTTONS[0].nHeight, base).height();

    m_pVersion = new QLabel(QStringLiteral("Version ") + QString::fromStdString(app.strVersion()), this);
    m_pVersion->setGeometry(DialogQRect(VERSION_X, VERSION_Y, VERSION_WIDTH, VERSION_HEIGHT, base));
    m_VersionSize = m_pVersion->size();
    m_pLink = new CHyperLink(this);
    m_pLink->setGeometry(DialogQRect(LINK_X, LINK_Y, LINK_WIDTH, LINK_HEIGHT, base));
    m_pLink->SetURL(QStringLiteral(PENDULON_HOMEPAGE));
    m_LinkSize = m_pLink->size();

    m_Timer.setInterval(TIMER_MS);
    connect(&m_Timer, &QTimer::timeout, this, &CPendulonDialog::vTick);
    m_Timer.start();
    vLayout();
}

void CPendulonDialog::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    vLayout();
}

void CPendulonDialog::vLayout()
{
    ORVEXSDK* pKit = m_App.Kit();
    MainPanelInput in;
    in.nWidth = width();
    in.nHeight = height();
    in.nButtonHeight = m_nButtonHeight;
    in.bClockGenerator = pKit && pKit->FindInterface(INTERFACE_PLL);
    in.bMemoryBuffer = pKit && pKit->FindInterface(INTERFACE_MEMORY_BUFFER);
    in.nLinkWidth = m_LinkSize.width();
    in.nLinkHeight = m_LinkSize.height();
    in.nVersionWidth = m_VersionSize.width();
    in.nVersionHeight = m_VersionSize.height();
    const MainPanelPlacement placed = PlaceMainPanel(in);
    for (int i = 0; i < MAIN_BUTTONS; ++i) {
        const PlacedControl& control = placed.buttons[i];
        m_apButtons[i]->setVisible(control.bShown);
        if (control.bShown)
            m_apButtons[i]->setGeometry(control.rect.x, control.rect.y, control.rect.nWidth, control.rect.nHeight);
    }
    m_pLink->setGeometry(placed.link.x, placed.link.y, placed.link.nWidth, placed.link.nHeight);
    m_pVersion->setGeometry(placed.version.x, placed.version.y, placed.version.nWidth, placed.version.nHeight);
}

void CPendulonDialog::vPress(EMainButton eButton)
{
    const ButtonRow& row = BUTTONS[eButton];
    m_App.OpenToolWindow(row.eWindow);
    if (row.adwMessages[0] == 0) return;
    CWaitCursor wait;
    ORVEXSDK* pKit = m_App.Kit();
    if (!pKit || !pKit->Lock(app::KIT_LOCK_MS)) return;  // the window is open; it shows nothing new
    for (uint32_t dwMessage : row.adwMessages)
        if (dwMessage != 0) m_App.Messages().bSend(row.eWindow, dwMessage);
    pKit->Unlock();
}

void CPendulonDialog::vTick()
{
    ORVEXSDK* pKit = m_App.Kit();
    if (!pKit || !pKit->Lock(app::KIT_LOCK_MS)) return;
    m_App.NotifyWindows(app::WM_CLOCKS_REFRESH);
    pKit->Unlock();
}

}  // namespace ui
