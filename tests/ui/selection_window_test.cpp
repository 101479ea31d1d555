// SPDX-License-Identifier: GPL-2.0-or-later
// The PLL Control window on the offscreen platform, on simulated boards run in this process:
// the mode follows the clock generator, moving the FSB slider previews without touching the
// board, Apply walks the emulated chip and the gauges show where it went, a failed write
// leaves what the chip holds, and a preset chip gets its trackbar.
#include <QtTest>
#include <memory>
#include <mutex>

#include "app/Monitor.h"
#include "app/PendulonApp.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "sim/SMBusBus.h"
#include "sim/SMBusTargets.h"
#include "sim/SimAccessDevice.h"
#include "sim/SimBoard.h"
#include "ui/ClocksDialog.h"
#include "ui/SelectionClockDialog.h"
#include "ui/SelectionDialog.h"
#include "ui/Slider2.h"
#include "ui/SliderGeometry.h"
#include "BoardWorkDir.h"

using ui::CSelectionDialog;

namespace {

sim::CSimBoard& Board(app::CPendulonApp& app)
{
    return static_cast<sim::CSimAccessDevice*>(app.Driver()->pAccessDevice())->Board();
}

CClockGenerator& Generator(app::CPendulonApp& app) { return *app.Kit()->m_pPLLInterface->m_pPLL; }

// A press on the slider where the value lies, as a person drags the thumb there.
void vDragTo(ui::CSlider2& slider, float fMHz)
{
    const int32_t x = ui::nSliderX(fMHz, slider.Travel(), slider.fMinimum(), slider.fMaximum());
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(x, slider.height() / 2));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(x, slider.height() / 2));
}

// The window hears its messages as the window host would pass them.
void vListen(app::CPendulonApp& app, CSelectionDialog& dialog)
{
    app.Messages().vRegister(app::TOOL_SELECTION, [&dialog](uint32_t dw) {
        if (dw == app::WM_PLL_CHANGED) dialog.OnPLLChanged();
        if (dw == app::WM_SELECTION_CHANGED) dialog.OnSelectionChanged();
    });
}

}  // namespace

class CSelectionWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theSliderPreviewsAndApplyWalksTheChip()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        auto pApp = StartedApp("demo");
        QVERIFY(pApp);
        CSelectionDialog dialog(*pApp);
        ui::CClocksDialog clocks(pApp->Kit());
        vListen(*pApp, dialog);
        dialog.OnPLLChanged();
        QCOMPARE(dialog.Mode(), ui::SELECTION_FSB_GSB);  // the ICS 951462 sets FSB and PCI-E
        QVERIFY(dialog.FSBGSBPanel().isVisibleTo(&dialog) && !dialog.FSBPanel().isVisibleTo(&dialog));
        QCOMPARE(dialog.Clocks().strLabel(ui::GAUGE_FSB), QStringLiteral("266.68"));
        ui::CSlider2& fsb = dialog.FSBGSBPanel().FSB();
        QCOMPARE(fsb.fMinimum(), Generator(*pApp).m_Min.m_fFSB);

        // A move previews: the gauges show 300 MHz, and the board was not touched at all.
        Board(*pApp).Log().vClear();
        vDragTo(fsb, 300.0f);
        // The slider's value lies on its grid within a pixel of 300; the preview makes it the
        // clock the chip's PLL would give.
        const float fRequested = pApp->Kit()->m_pPLLInterface->m_Requested.m_fFSB;
        QVERIFY2(std::abs(fRequested - 300.0f) < 2.0f, qPrintable(QString::number(fRequested)));
        QCOMPARE(dialog.Clocks().strLabel(ui::GAUGE_FSB), QString::asprintf("%.2f", double(fRequested)));
        QVERIFY(Board(*pApp).Log().Records().empty());
        QVERIFY(std::abs(Generator(*pApp).m_Current.m_fFSB - 266.67f) < 0.1f);

        // Apply walks there; the chip reads back 300, and so does the measured bus clock.
        QTest::mouseClick(&dialog.ApplyPanel().ApplyButton(), Qt::LeftButton);
        QVERIFY2(std::abs(Generator(*pApp).m_Current.m_fFSB - fRequested) < 0.1f,
                 qPrintable(QString::number(Generator(*pApp).m_Current.m_fFSB)));
        QCOMPARE(pApp->Kit()->m_pPLLInterface->m_Requested.m_fFSB, Generator(*pApp).m_Current.m_fFSB);
        QCOMPARE(dialog.Clocks().strLabel(ui::GAUGE_FSB), QString::asprintf("%.2f", double(fRequested)));
        QVERIFY(dialog.ApplyPanel().ApplyButton().isVisibleTo(&dialog.ApplyPanel()));  // progress gone
        QVERIFY(app::RefreshMeasurements(pApp->Kit()));
        clocks.OnClocksRefresh();
        QVERIFY2(std::abs(clocks.strLabel(ui::GAUGE_FSB).toDouble() - fRequested) < 0.5,
                 qPrintable(clocks.strLabel(ui::GAUGE_FSB)));

        // Reset takes the selection back to what the chip holds.
        vDragTo(fsb, 250.0f);
        QTest::mouseClick(&dialog.ApplyPanel().ResetButton(), Qt::LeftButton);
        QCOMPARE(pApp->Kit()->m_pPLLInterface->m_Requested.m_fFSB, Generator(*pApp).m_Current.m_fFSB);
        QCOMPARE(fsb.fValue(), Generator(*pApp).m_Current.m_fFSB);
        pApp->Messages().vUnregister(app::TOOL_SELECTION);
        pApp->ExitInstance();
    }

    void aFailedWriteLeavesWhatTheChipHolds()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        auto pApp = StartedApp("demo");
        QVERIFY(pApp);
        CSelectionDialog dialog(*pApp);
        dialog.OnPLLChanged();
        const float fHeld = Generator(*pApp).m_Current.m_fFSB;
        vDragTo(dialog.FSBGSBPanel().FSB(), 300.0f);
        {
            sim::CSimBoard& board = Board(*pApp);
            std::lock_guard<std::mutex> lock(board.AccessMutex());
            board.pSMBus(0)->pTarget(0, 0x69)->m_eFault = sim::SMBusFault::NoAnswer;
        }
        dialog.vApply();
        // Nothing read back: the chip's clocks stay those read last, and the windows show them.
        QCOMPARE(Generator(*pApp).m_Current.m_fFSB, fHeld);
        dialog.OnPLLChanged();
        QCOMPARE(dialog.Clocks().strLabel(ui::GAUGE_FSB), QStringLiteral("266.68"));
        pApp->ExitInstance();
    }

    void aPresetChipGetsItsTrackbarAndNoChipNothing()
    {
        {
            CBoardWorkDir dir("demo", "[Pendulon]\nPLL=00000000\n");
            auto pApp = StartedApp("demo");
            QVERIFY(pApp);
            CSelectionDialog dialog(*pApp);
            dialog.OnPLLChanged();
            // "Not specified": no clocks are known, only the empty gauges show.
            QCOMPARE(dialog.Mode(), ui::SELECTION_NONE);
            QVERIFY(!dialog.ApplyPanel().isVisibleTo(&dialog));
            QCOMPARE(dialog.height(), dialog.Clocks().height());
            pApp->ExitInstance();
        }
        // The demo board's chip read as an ICS 951412, a chip of presets: the trackbar runs
        // over its rows and stands at the row its registers name.
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951412\n");
        auto pApp = StartedApp("demo");
        QVERIFY(pApp);
        CSelectionDialog dialog(*pApp);
        vListen(*pApp, dialog);
        dialog.OnPLLChanged();
        QCOMPARE(dialog.Mode(), ui::SELECTION_PRESET);
        QVERIFY(dialog.PresetPanel().isVisibleTo(&dialog));
        QCOMPARE(dialog.PresetPanel().Trackbar().maximum(), Generator(*pApp).m_nPresetCount - 1);
        QCOMPARE(dialog.PresetPanel().Trackbar().value(), 22);
        Board(*pApp).Log().vClear();
        dialog.PresetPanel().Trackbar().setValue(21);  // as a click on the trackbar moves it
        QCOMPARE(pApp->Kit()->m_pPLLInterface->m_Requested.m_nPreset, 21);
        QCOMPARE(dialog.Clocks().strLabel(ui::GAUGE_FSB), QStringLiteral("200.00"));
        QVERIFY(Board(*pApp).Log().Records().empty());
        pApp->Messages().vUnregister(app::TOOL_SELECTION);
        pApp->ExitInstance();
    }
};

QTEST_MAIN(CSelectionWindowTest)
#include "selection_window_test.moc"
