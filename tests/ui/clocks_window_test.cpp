// SPDX-License-Identifier: GPL-2.0-or-later
// The Clocks panel on the offscreen platform, on the demo board: the gauges and labels show
// the board's clocks, move when the simulated clocks change, and stay at their start where
// there is no clock generator. Each case runs the application core in this process, on a
// simulated board of its own.
#include <QtTest>
#include <memory>

#include "app/Monitor.h"
#include "app/PendulonApp.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "ui/ClocksDialog.h"
#include "ui/GaugeGeometry.h"
#include "BoardWorkDir.h"

using ui::CClocksDialog;

class CClocksWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theGaugesShowTheDemoBoardsClocks()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        auto pApp = StartedApp("demo");
        QVERIFY(pApp);
        CClocksDialog dialog(pApp->Kit());
        dialog.OnClocksRefresh();
        dialog.OnPLLChanged();
        // The core clock is measured against the board's reference: within a few hundredths.
        QVERIFY2(std::abs(dialog.strLabel(ui::GAUGE_CPU).toDouble() - 2400.0) < 0.5,
                 qPrintable(dialog.strLabel(ui::GAUGE_CPU)));
        QCOMPARE(dialog.strLabel(ui::GAUGE_FSB), QStringLiteral("266.67"));
        QVERIFY(dialog.strLabel(ui::GAUGE_RAM).toDouble() > 0);
        QCOMPARE(dialog.strLabel(ui::GAUGE_GSB), QStringLiteral("100.00"));
        QCOMPARE(dialog.strLabel(ui::GAUGE_PCI), QStringLiteral("33.33"));
        QCOMPARE(dialog.Gauge(ui::GAUGE_GSB).strTitle(), QStringLiteral("PCIE"));
        QCOMPARE(dialog.Gauge(ui::GAUGE_PCI).strTitle(), QStringLiteral("PCI"));
        QCOMPARE(dialog.Gauge(ui::GAUGE_CPU).strTitle(), QStringLiteral("CPU"));
        // The needle of each stands where the formula puts it: 2400 of 7000, 266 of 600.
        QCOMPARE(dialog.Gauge(ui::GAUGE_CPU).fAngle(), ui::fGaugeAngle(2400, 0, 7000));
        QCOMPARE(dialog.Gauge(ui::GAUGE_FSB).fAngle(), ui::fGaugeAngle(266, 0, 600));
        QCOMPARE(dialog.Gauge(ui::GAUGE_PCI).fAngle(), ui::fGaugeAngle(33, 0, 500));
        pApp->ExitInstance();
    }

    void theGaugesMoveWhenTheClocksChange()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        dir.vWrite("cg1.cgp", "[Pendulon Profile]\nPLLFSB=280.00\n");
        auto pApp = StartedApp("demo");
        QVERIFY(pApp);
        CClocksDialog dialog(pApp->Kit());
        dialog.OnClocksRefresh();
        const float fBefore = dialog.Gauge(ui::GAUGE_FSB).fAngle();
        // A profile walks the FSB to 280 MHz; the monitor measures again.
        ORVEXSDK* pKit = pApp->Kit();
        QVERIFY(pKit->Lock(2000));
        uint32_t dwError = 0;
        QVERIFY(pApp->Driver()->bOpenDevice(dwError));
        QVERIFY(pApp->LoadProfile(1));
        pApp->Driver()->vCloseDevice();
        pKit->Unlock();
        QVERIFY(app::RefreshMeasurements(pKit));
        dialog.OnClocksRefresh();
        QVERIFY2(std::abs(dialog.strLabel(ui::GAUGE_FSB).toDouble() - 280.0) < 1.0,
                 qPrintable(dialog.strLabel(ui::GAUGE_FSB)));
        QVERIFY(dialog.Gauge(ui::GAUGE_FSB).fAngle() > fBefore);
        pApp->ExitInstance();
    }

    void withoutAClockGeneratorTheBusGaugesStayAtTheirStart()
    {
        CBoardWorkDir dir("demo", "");
        auto pApp = StartedApp("demo");  // no model chosen: the chip cannot name itself
        QVERIFY(pApp);
        CClocksDialog dialog(pApp->Kit());
        dialog.OnClocksRefresh();
        dialog.OnPLLChanged();
        for (ui::EClocksGauge eGauge : {ui::GAUGE_GSB, ui::GAUGE_PCI}) {
            QVERIFY(dialog.strLabel(eGauge).isEmpty());
            QVERIFY(dialog.Gauge(eGauge).strTitle().isEmpty());
            QCOMPARE(dialog.Gauge(eGauge).fAngle(), ui::GAUGE_START_ANGLE);
        }
        QVERIFY(std::abs(dialog.strLabel(ui::GAUGE_CPU).toDouble() - 2400.0) < 0.5);
        // Without a kit nothing is shown at all.
        CClocksDialog empty(nullptr);
        empty.OnClocksRefresh();
        empty.OnPLLChanged();
        QVERIFY(empty.strLabel(ui::GAUGE_CPU).isEmpty());
        pApp->ExitInstance();
    }

    void thePanelIsDrawnWithItsGauges()
    {
        CBoardWorkDir dir("demo", "[Pendulon]\nPLL=01951462\n");
        auto pApp = StartedApp("demo");
        QVERIFY(pApp);
        CClocksDialog dialog(pApp->Kit());
        dialog.OnClocksRefresh();
        dialog.OnPLLChanged();
        const QImage image = dialog.grab().toImage();
        QVERIFY(!image.isNull());
        // The needles are blue: the CPU gauge's area holds blue pixels.
        const QRect cpu = dialog.Gauge(ui::GAUGE_CPU).geometry();
        int nBlue = 0;
        for (int y = cpu.top(); y <= cpu.bottom(); ++y)
            for (int x = cpu.left(); x <= cpu.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.blue() > 200 && c.red() < 80 && c.green() < 80) ++nBlue;
            }
        QVERIFY2(nBlue > 10, qPrintable(QString::number(nBlue)));
        if (const QByteArray path = qgetenv("PENDULON_SCREENSHOT_DIR"); !path.isEmpty())
            image.save(QString::fromLocal8Bit(path) + "/clocks-panel.png");
        pApp->ExitInstance();
    }
};

QTEST_MAIN(CClocksWindowTest)
#include "clocks_window_test.moc"
