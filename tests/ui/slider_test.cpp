// SPDX-License-Identifier: GPL-2.0-or-later
// The slider and the horizontal up-down on the offscreen platform: dragging announces the
// value on the step grid and setting it announces nothing, the slider is drawn with its
// groove and thumb, and the up-down's arrows report their deltas, repeating while held.
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "ui/Slider2.h"
#include "ui/SliderGeometry.h"
#include "ui/SliderThumb.h"
#include "ui/UpDownCtrl.h"

using ui::CSlider2;
using ui::CUpDownCtrl;

namespace {

QToolButton* pArrow(CUpDownCtrl& upDown, Qt::ArrowType eArrow)
{
    for (QToolButton* pButton : upDown.findChildren<QToolButton*>())
        if (pButton->arrowType() == eArrow) return pButton;
    return nullptr;
}

}  // namespace

class CSliderTest : public QObject {
    Q_OBJECT

private slots:
    void draggingAnnouncesTheValueAndSettingItDoesNot()
    {
        CSlider2 slider;
        slider.resize(301, 20);
        slider.show();
        QVERIFY(QTest::qWaitForWindowExposed(&slider));
        QSignalSpy moved(&slider, &CSlider2::Moved);
        slider.SetRange(100, 400);
        slider.SetPos(200.3f);
        QCOMPARE(slider.fValue(), 200.3f);
        slider.SetPos(999);
        QCOMPARE(slider.fValue(), 400.0f);
        QCOMPARE(slider.nThumbX(), 289);
        QCOMPARE(moved.count(), 0);

        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(150, 10));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toFloat(), 250.0f);
        QCOMPARE(slider.fValue(), 250.0f);
        QCOMPARE(slider.nThumbX(), 150);
        QTest::mouseMove(&slider, QPoint(151, 10));
        QCOMPARE(moved.count(), 2);
        QCOMPARE(moved.at(1).at(0).toFloat(), 251.0f);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(151, 10));
        // Once the button is up, moving over the slider changes nothing.
        QTest::mouseMove(&slider, QPoint(40, 10));
        QCOMPARE(moved.count(), 2);
        QCOMPARE(slider.fValue(), 251.0f);
        // A right-button press is not a drag.
        QTest::mousePress(&slider, Qt::RightButton, {}, QPoint(40, 10));
        QCOMPARE(moved.count(), 2);
        QTest::mouseRelease(&slider, Qt::RightButton, {}, QPoint(40, 10));
        // A new range takes the value from where the thumb stands.
        slider.SetRange(0, 300);
        QCOMPARE(slider.fValue(), 151.0f);
        QCOMPARE(moved.count(), 2);
    }

    void theGrooveAndTheThumbAreDrawn()
    {
        CSlider2 slider;
        slider.resize(301, 20);
        slider.SetRange(100, 400);
        slider.SetPos(250);
        QImage image(slider.size(), QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        slider.render(&image);
        const QRgb rgbGroove = qRgb(0xBD, 0xB6, 0xAC);
        // The groove in rows 7 to 12, black on top, white below, away from the thumb.
        QCOMPARE(image.pixel(50, 10), rgbGroove);
        QCOMPARE(image.pixel(250, 10), rgbGroove);
        QCOMPARE(image.pixel(50, 7), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(50, 12), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(50, 3), slider.palette().color(QPalette::Button).rgb());
        // The thumb covers the groove around its centre (row 10 is its sixth, 19 pixels
        // wide), its middle line at x 150.
        int nFace = 0;
        for (int x = 141; x <= 159; ++x) {
            QVERIFY2(image.pixel(x, 10) != rgbGroove, qPrintable(QString::number(x)));
            if (image.pixel(x, 10) == (0xFF000000u | ui::SLIDER_THUMB_FACE)) ++nFace;
        }
        QVERIFY(nFace > 10);
        QCOMPARE(image.pixel(150, 10), qRgb(0x80, 0x80, 0x80));
        // Beside the thumb's tip the picture is transparent: the background shows.
        QCOMPARE(image.pixel(139, 14), slider.palette().color(QPalette::Button).rgb());
        if (const QByteArray path = qgetenv("PENDULON_SCREENSHOT_DIR"); !path.isEmpty())
            image.save(QString::fromLocal8Bit(path) + "/slider.png");
    }

    void theUpDownsArrowsMoveTheSliderByAStep()
    {
        CUpDownCtrl upDown;
        upDown.resize(35, 13);
        upDown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&upDown));
        CSlider2 slider;
        slider.resize(301, 20);
        slider.SetRange(100, 400);
        slider.SetPos(200);
        // The panels' wiring: the slider moves against the delta.
        connect(&upDown, &CUpDownCtrl::DeltaPos, &slider,
                [&slider](int nDelta) { slider.SetPos(ui::fUpDownValue(slider.fValue(), slider.fStep(), nDelta)); });
        QSignalSpy deltas(&upDown, &CUpDownCtrl::DeltaPos);
        QToolButton* pRight = pArrow(upDown, Qt::RightArrow);
        QToolButton* pLeft = pArrow(upDown, Qt::LeftArrow);
        QVERIFY(pRight && pLeft);
        QVERIFY(pRight->geometry().left() >= pLeft->geometry().right());

        QTest::mouseClick(pRight, Qt::LeftButton);
        QCOMPARE(deltas.count(), 1);
        QCOMPARE(deltas.at(0).at(0).toInt(), -1);
        QTest::mouseClick(pRight, Qt::LeftButton);
        QCOMPARE(slider.fValue(), 201.0f);
        QTest::mouseClick(pLeft, Qt::LeftButton);
        QCOMPARE(deltas.at(2).at(0).toInt(), +1);
        QCOMPARE(slider.fValue(), 200.5f);

        // Held down, the arrow repeats.
        deltas.clear();
        QTest::mousePress(pLeft, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(deltas.count() >= 2, 5000);
        QTest::mouseRelease(pLeft, Qt::LeftButton);
        for (const QList<QVariant>& args : deltas) QCOMPARE(args.at(0).toInt(), +1);
    }
};

QTEST_MAIN(CSliderTest)
#include "slider_test.moc"
