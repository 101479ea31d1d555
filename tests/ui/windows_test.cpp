// SPDX-License-Identifier: GPL-2.0-or-later
// The program's windows on the offscreen platform, as a person uses them: the main panel on
// the demo board and on boards without a clock generator or with a memory buffer, the buttons
// opening their windows, snapping while a frame moves, the Options window, and placements that
// survive a restart. Each case runs the application core in this process on a simulated board.
#include <QCheckBox>
#include <QtTest>
#include <memory>

#include "BoardWorkDir.h"
#include "app/PendulonApp.h"
#include "kit/ORVEXSDK.h"
#include "ui/Automation.h"
#include "ui/BmpButton.h"
#include "ui/ClocksDialog.h"
#include "ui/Frames.h"
#include "ui/HyperLink.h"
#include "ui/OptionDialog.h"
#include "ui/PendulonDialog.h"
#include "ui/WindowHost.h"

using ui::CFrame;
using ui::SnapRect;

namespace {

// The core with its windows, started on a board.
struct CStarted {
    explicit CStarted(const std::string& strBoard)
    {
        app::AppOptions options;
        options.strBoard = strBoard;
        options.bStartMonitor = false;
        pApp = std::make_unique<app::CPendulonApp>(options);
        pHost = std::make_unique<ui::CWindowHost>(*pApp);
        pApp->vSetWindowHost(pHost.get());
        bStarted = pApp->InitInstance();
    }
    ~CStarted()
    {
        pHost.reset();
        pApp->vSetWindowHost(nullptr);
        pApp->ExitInstance();
    }
    ui::CPendulonDialog& Panel() const { return *pHost->MainFrame()->Panel(); }
    CFrame* Tool(app::EToolWindow eWindow) const { return pHost->ToolFrame(eWindow); }
    CFrame* Open(ui::EMainButton eButton, app::EToolWindow eWindow) const
    {
        QTest::mouseClick(Panel().Button(eButton), Qt::LeftButton);
        return Tool(eWindow);
    }
    std::unique_ptr<app::CPendulonApp> pApp;
    std::unique_ptr<ui::CWindowHost> pHost;
    bool bStarted = false;
};

bool bHasMaximise(const QWidget* pWindow)
{
    return pWindow->windowFlags() & Qt::WindowMaximizeButtonHint;
}

}  // namespace

class CWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void theMainPanelOpensEachWindowOnce()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        CStarted s("demo");
        QVERIFY(s.bStarted);
        ui::CMainFrame* pMain = s.pHost->MainFrame();
        QVERIFY(pMain && pMain->isVisible());  // shown at the end of the start
        QCOMPARE(pMain->windowTitle(), QStringLiteral("Pendulon"));
        QVERIFY(!bHasMaximise(pMain));
        const int h = s.Panel().Button(ui::BUTTON_CLOCKS)->height();
        QCOMPARE(s.Panel().Button(ui::BUTTON_CLOCKS)->y(), 4);
        QCOMPARE(s.Panel().Button(ui::BUTTON_PLL_CONTROL)->y(), h + 8);
        QCOMPARE(s.Panel().Button(ui::BUTTON_PLL_SETUP)->y(), 2 * h + 12);
        QVERIFY(s.Panel().Button(ui::BUTTON_MEMORY_BUFFER)->isHidden());  // the demo board has none
        QCOMPARE(s.Panel().Button(ui::BUTTON_OPTIONS)->y(), 3 * h + 16);
        QCOMPARE(s.Panel().Button(ui::BUTTON_CLOCKS)->width(), pMain->width() - 8);
        QCOMPARE(s.Panel().VersionLabel()->text(), QStringLiteral("Version 0.1"));
        // The version sits just above the link, the link at the bottom.
        QCOMPARE(s.Panel().VersionLabel()->geometry().bottom() + 1, s.Panel().Link()->y());
        QCOMPARE(s.Panel().Link()->geometry().bottom() + 1, s.Panel().height());

        const std::pair<ui::EMainButton, app::EToolWindow> buttons[] = {
            {ui::BUTTON_CLOCKS, app::TOOL_CLOCKS},
            {ui::BUTTON_PLL_CONTROL, app::TOOL_SELECTION},
            {ui::BUTTON_PLL_SETUP, app::TOOL_SETUP},
            {ui::BUTTON_OPTIONS, app::TOOL_OPTION}};
        const char* apszCaption[] = {"Clocks", "PLL Control", "PLL Setup", "MemoryBuffer", "Options"};
        for (auto [eButton, eWindow] : buttons) {
            CFrame* pFrame = s.Open(eButton, eWindow);
            QVERIFY(pFrame && pFrame->isVisible());
            QCOMPARE(pFrame->windowTitle(), QString::fromLatin1(apszCaption[eWindow]));
            QVERIFY(!bHasMaximise(pFrame));
            // A second press on an open window opens no second one.
            QCOMPARE(s.Open(eButton, eWindow), pFrame);
        }
        // Clocks and PLL Control cannot be sized; PLL Setup can, but not narrower than 335.
        for (app::EToolWindow eWindow : {app::TOOL_CLOCKS, app::TOOL_SELECTION})
            QCOMPARE(s.Tool(eWindow)->minimumSize(), s.Tool(eWindow)->maximumSize());
        QCOMPARE(s.Tool(app::TOOL_SETUP)->minimumWidth(), 335);
        QVERIFY(s.Tool(app::TOOL_SETUP)->maximumHeight() > s.Tool(app::TOOL_SETUP)->height());

        // The Clocks window shows the board's clocks and fits its panel.
        auto* pClocks = static_cast<ui::CClocksFrame*>(s.Tool(app::TOOL_CLOCKS));
        QCOMPARE(pClocks->Panel()->strLabel(ui::GAUGE_FSB), QStringLiteral("266.67"));
        QCOMPARE(pClocks->Panel()->strLabel(ui::GAUGE_GSB), QStringLiteral("100.00"));
        QCOMPARE(pClocks->Panel()->strLabel(ui::GAUGE_PCI), QStringLiteral("33.33"));
        QCOMPARE(pClocks->size(), pClocks->Panel()->size());
        // The timer's tick refreshes the measured clocks of the open windows.
        const_cast<QLabel*>(pClocks->Panel()->findChildren<QLabel*>().first())->setText(QString());
        s.Panel().vTick();
        QVERIFY(!pClocks->Panel()->strLabel(ui::GAUGE_CPU).isEmpty());
        // Closed by the user, the window is gone and its place is kept.
        const SnapRect where = pClocks->WindowRect();
        pClocks->close();
        QVERIFY(!s.Tool(app::TOOL_CLOCKS));
        QVERIFY(!s.pApp->Messages().bIsOpen(app::TOOL_CLOCKS));
        const app::WindowPlacement* pStored = s.pApp->pStoredPlacement(app::TOOL_CLOCKS);
        QVERIFY(pStored);
        QCOMPARE(pStored->nLeft, where.nLeft);
        QCOMPARE(pStored->nBottom, where.nBottom);
    }

    void withoutAClockGeneratorOptionsFollowsClocks()
    {
        CBoardWorkDir dir("pentium-m-855", "");
        CStarted s("pentium-m-855");
        QVERIFY(s.bStarted);
        QVERIFY(!s.pApp->Kit()->FindInterface(INTERFACE_PLL));
        const int h = s.Panel().Button(ui::BUTTON_CLOCKS)->height();
        for (ui::EMainButton eButton : {ui::BUTTON_PLL_CONTROL, ui::BUTTON_PLL_SETUP, ui::BUTTON_MEMORY_BUFFER})
            QVERIFY(s.Panel().Button(eButton)->isHidden());
        QCOMPARE(s.Panel().Button(ui::BUTTON_OPTIONS)->y(), h + 8);
        // The Clocks window opens all the same, with untitled bus gauges.
        auto* pClocks = static_cast<ui::CClocksFrame*>(s.Open(ui::BUTTON_CLOCKS, app::TOOL_CLOCKS));
        QVERIFY(pClocks);
        QVERIFY(pClocks->Panel()->Gauge(ui::GAUGE_PCI).strTitle().isEmpty());
    }

    void aMemoryBufferGetsItsButton()
    {
        CBoardWorkDir dir("i5000x-esb2", "");
        CStarted s("i5000x-esb2");
        QVERIFY(s.bStarted);
        QVERIFY(s.pApp->Kit()->FindInterface(INTERFACE_MEMORY_BUFFER));
        QVERIFY(!s.Panel().Button(ui::BUTTON_MEMORY_BUFFER)->isHidden());
        CFrame* pFrame = s.Open(ui::BUTTON_MEMORY_BUFFER, app::TOOL_MEMORY_BUFFER);
        QVERIFY(pFrame);
        QCOMPARE(pFrame->windowTitle(), QStringLiteral("MemoryBuffer"));
    }

    void aMovedFrameSnapsToAnotherAndPullsFree()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        CStarted s("demo");
        QVERIFY(s.bStarted);
        CFrame* pClocks = s.Open(ui::BUTTON_CLOCKS, app::TOOL_CLOCKS);
        CFrame* pOptions = s.Open(ui::BUTTON_OPTIONS, app::TOOL_OPTION);
        QVERIFY(pClocks && pOptions);
        pClocks->vMoveTo({40, 300, 40 + pClocks->WindowRect().nWidth(), 300 + pClocks->WindowRect().nHeight()});
        const SnapRect clocks = pClocks->WindowRect();
        // The window system moves Options to 5 pixels right of the Clocks window's right edge,
        // well away from any other line: it lands on the edge.
        pOptions->move(clocks.nRight + 5, 200);
        QTRY_COMPARE(pOptions->WindowRect().nLeft, clocks.nRight);
        QCOMPARE(pOptions->WindowRect().nTop, 200);
        // 20 pixels away it is left where it was put.
        pOptions->move(clocks.nRight + 20, 200);
        QTest::qWait(50);
        QCOMPARE(pOptions->WindowRect().nLeft, clocks.nRight + 20);
        // With "Frames Snap" off it moves freely.
        s.pApp->m_bSnap = 0;
        pOptions->move(clocks.nRight + 5, 200);
        QTest::qWait(50);
        QCOMPARE(pOptions->WindowRect().nLeft, clocks.nRight + 5);
        s.pApp->m_bSnap = 1;

        // The Clocks window dragged by its panel snaps too: its left edge to within 6 pixels of
        // Options' right edge lines up, and the mouse moving on by 30 frees it.
        const SnapRect options = pOptions->WindowRect();
        const SnapRect start = pClocks->WindowRect();
        const QPoint mouse(start.nLeft + 10, start.nTop + 10);
        const int dx = options.nRight + 6 - start.nLeft;
        pClocks->vPanelDragStart(mouse);
        pClocks->vPanelDragMove(mouse + QPoint(dx, 0));
        QCOMPARE(pClocks->WindowRect().nLeft, options.nRight);
        pClocks->vPanelDragMove(mouse + QPoint(dx - 30, 0));
        QCOMPARE(pClocks->WindowRect().nLeft, start.nLeft + dx - 30);
        pClocks->vPanelDragEnd();
        QVERIFY(!s.pHost->Snapper().pFrame());
    }

    void aFrameSizedNearTheScreenEdgeSnapsOnlyThatEdge()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        CStarted s("demo");
        CFrame* pSetup = s.Open(ui::BUTTON_PLL_SETUP, app::TOOL_SETUP);
        QVERIFY(pSetup);
        const QRect screen = pSetup->screen()->availableGeometry();
        pSetup->vMoveTo({screen.right() - 500, 300, screen.right() - 500 + 335, 600});
        pSetup->resize(screen.right() + 1 - (screen.right() - 500) - 6, pSetup->height());
        QTRY_COMPARE(pSetup->WindowRect().nRight, screen.right() + 1);
        QCOMPARE(pSetup->WindowRect().nLeft, screen.right() - 500);
    }

    void placementsAndOptionsSurviveARestart()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        SnapRect clocks, options;
        {
            CStarted s("demo");
            QVERIFY(s.bStarted);
            CFrame* pClocks = s.Open(ui::BUTTON_CLOCKS, app::TOOL_CLOCKS);
            const SnapRect r = pClocks->WindowRect();
            pClocks->vMoveTo({310, 220, 310 + r.nWidth(), 220 + r.nHeight()});
            clocks = pClocks->WindowRect();
            auto* pOptions = static_cast<ui::COptionFrame*>(s.Open(ui::BUTTON_OPTIONS, app::TOOL_OPTION));
            pOptions->vMoveTo({700, 500, 700 + 335, 500 + 140});
            options = pOptions->WindowRect();
            pOptions->Panel()->SnapBox()->click();  // "Frames Snap" off
            QCOMPARE(s.pApp->m_bSnap, 0u);
            pOptions->close();  // closed by the user first: stored, written as closed
            s.pHost->MainFrame()->close();
            QVERIFY(s.pHost->bClosed());
            QVERIFY(!s.Tool(app::TOOL_CLOCKS));
        }
        const QByteArray settings = dir.Read("pendulon.ini");
        QVERIFY2(settings.contains("SNAP=0"), settings.constData());
        QVERIFY2(settings.contains("CLOCKSWINDOW=1 0 1 310 " + QByteArray::number(clocks.nRight) + " 220 " +
                                              QByteArray::number(clocks.nBottom)),
                 settings.constData());
        QVERIFY2(settings.contains("OPTIONWINDOW=0 0 1 700 1035 500 640"), settings.constData());

        CStarted again("demo");
        QVERIFY(again.bStarted);
        QCOMPARE(again.pApp->m_bSnap, 0u);
        CFrame* pClocks = again.Tool(app::TOOL_CLOCKS);  // open at the start, where it was
        QVERIFY(pClocks && pClocks->isVisible());
        const SnapRect r = pClocks->WindowRect();
        QVERIFY2(r == clocks, qPrintable(QString::asprintf("%d %d %d %d", r.nLeft, r.nTop, r.nRight, r.nBottom)));
        QVERIFY(!again.Tool(app::TOOL_OPTION));
        // Options takes back its position only: the stored 335 × 140 does not size it.
        CFrame* pOptions = again.Open(ui::BUTTON_OPTIONS, app::TOOL_OPTION);
        QCOMPARE(pOptions->WindowRect().nLeft, 700);
        QCOMPARE(pOptions->WindowRect().nTop, 500);
        QCOMPARE(pOptions->height(), ui::Frame(app::TOOL_OPTION).nHeight);
        QVERIFY(!static_cast<ui::COptionFrame*>(pOptions)->Panel()->SnapBox()->isChecked());
    }

    void theBootOptionIsRefusedOnASimulatedBoard()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        CStarted s("demo");
        auto* pOptions = static_cast<ui::COptionFrame*>(s.Open(ui::BUTTON_OPTIONS, app::TOOL_OPTION));
        QString strSaid;
        pOptions->Panel()->vSetMessageBox([&](const QString& strText) { strSaid = strText; });
        pOptions->Panel()->StartupBox()->click();
        QVERIFY(strSaid.contains(QStringLiteral("simulated board")));
        QVERIFY(!pOptions->Panel()->StartupBox()->isChecked());
        QCOMPARE(s.pApp->m_bRunAtStartup, 0u);
        QVERIFY(dir.Read("cg0.cgp").isEmpty());  // no profile 0 written for it either
        // Where the window system places the windows itself, the window says why snapping is off.
        s.pHost->vSetNoSnap(QStringLiteral("(placed by the window system)"));
        pOptions->close();
        pOptions = static_cast<ui::COptionFrame*>(s.Open(ui::BUTTON_OPTIONS, app::TOOL_OPTION));
        QVERIFY(!pOptions->Panel()->SnapBox()->isEnabled());
        QVERIFY(!pOptions->Panel()->NoSnapNote()->isHidden());
        QVERIFY(!s.pHost->bSnapOn());
    }

    void theAutomationMethodShowsTheBox()
    {
        QString strText, strCaption;
        bool bRaised = false;
        ui::CAutomation automation(ui::strAutomationService("demo"), [&] { bRaised = true; });
        automation.vSetMessageBox([&](const QString& t, const QString& c) { strText = t; strCaption = c; });
        QCOMPARE(ui::strAutomationService(""), QStringLiteral("org.pendulon.Pendulon"));
        QCOMPARE(ui::strAutomationService("boards/my.board.json"), QStringLiteral("org.pendulon.Pendulon.board_my_board"));
        automation.vTestPendulon();
        automation.Raise();
        QTRY_COMPARE(strText, QStringLiteral("Pendulon"));
        QCOMPARE(strCaption, QStringLiteral("Pendulon"));
        QVERIFY(bRaised);
    }
};

QTEST_MAIN(CWindowsTest)
#include "windows_test.moc"
