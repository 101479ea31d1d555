// SPDX-License-Identifier: GPL-2.0-or-later
// The hex view on the offscreen platform: a click and the arrow keys select bytes and say so,
// the selected byte is drawn on the highlight, the scroll bar appears only when the rows do
// not all fit and scrolls them, and the context menu asks for the output to be saved.
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>
#include <array>

#include "ui/HexEdit.h"

using ui::CHexEdit;

namespace {

// A 32-byte image: byte i holds i, but 0x1A holds 0xC2.
std::array<uint8_t, 32> Image()
{
    std::array<uint8_t, 32> aby{};
    for (size_t i = 0; i < aby.size(); ++i) aby[i] = uint8_t(i);
    aby[0x1A] = 0xC2;
    return aby;
}

QPoint CentreOf(const CHexEdit& view, int32_t nElement)
{
    const ui::HexBox box = ui::ElementBox(view.Layout(), nElement);
    return {(box.nLeft + box.nRight) / 2, (box.nTop + box.nBottom) / 2};
}

}  // namespace

class CHexEditTest : public QObject {
    Q_OBJECT

private slots:
    void aClickAndTheArrowKeysSelectBytes()
    {
        CHexEdit view;
        view.resize(400, 200);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        const auto aby = Image();
        view.SetData(aby.data(), int32_t(aby.size()));
        int32_t nOffset = -1;
        uint32_t dwValue = 0;
        QVERIFY(!view.bGetCursorOffset(nOffset));  // nothing selected until a click
        QVERIFY(!view.bGetCursorValue(dwValue));
        QSignalSpy selection(&view, &CHexEdit::SelectionMayHaveChanged);

        QTest::mouseClick(&view, Qt::LeftButton, {}, CentreOf(view, 0x1A));
        QCOMPARE(selection.count(), 1);
        QVERIFY(view.hasFocus());
        QVERIFY(view.bGetCursorOffset(nOffset));
        QCOMPARE(nOffset, 0x1A);
        QVERIFY(view.bGetCursorValue(dwValue));
        QCOMPARE(dwValue, 0xC2u);
        // Drawn on the highlight, its digits only: the blank after them and the next byte are not.
        const QImage image = view.grab().toImage();
        const QColor highlight = view.palette().color(QPalette::Active, QPalette::Highlight);
        const ui::HexBox box = ui::ElementBox(view.Layout(), 0x1A), next = ui::ElementBox(view.Layout(), 0x1B);
        QCOMPARE(image.pixelColor(box.nLeft, box.nTop), highlight);
        QCOMPARE(image.pixelColor(box.nRight - 1, box.nBottom - 1), highlight);
        QCOMPARE(image.pixelColor(box.nRight + 1, box.nTop), QColor(Qt::white));
        QVERIFY(image.pixelColor(next.nLeft, next.nTop) != highlight);
        if (const QByteArray path = qgetenv("PENDULON_SCREENSHOT_DIR"); !path.isEmpty())
            image.save(QString::fromLocal8Bit(path) + "/hex-view.png");
        // A click beside the data selects nothing new, but is still reported.
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(selection.count(), 2);
        QCOMPARE(view.nCursor(), 0x1A);

        QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(view.nCursor(), 0x1B);
        QTest::keyClick(&view, Qt::Key_Down);  // no row below: the last byte
        QCOMPARE(view.nCursor(), 31);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(view.nCursor(), 31 - view.Layout().nPerRow);
        QTest::keyClick(&view, Qt::Key_A);  // typed characters change nothing, but are reported
        QCOMPARE(view.nCursor(), 31 - view.Layout().nPerRow);
        QCOMPARE(selection.count(), 6);

        // A byte changed in the copy; new data keeps the cursor while it is inside.
        QVERIFY(view.bGetCursorOffset(nOffset));
        QVERIFY(view.SetByte(nOffset, 0x5A) && !view.SetByte(32, 0) && !view.SetByte(-1, 0));
        QVERIFY(view.bGetCursorValue(dwValue));
        QCOMPARE(dwValue, 0x5Au);
        view.SetData(aby.data(), nOffset + 1);
        QCOMPARE(view.nCursor(), nOffset);
        view.SetData(aby.data(), nOffset);
        QVERIFY(!view.bGetCursorOffset(nOffset));

        // A disabled view takes no clicks.
        view.setEnabled(false);
        QTest::mouseClick(&view, Qt::LeftButton, {}, CentreOf(view, 3));
        QCOMPARE(view.nCursor(), ui::HEX_NO_CURSOR);
        QCOMPARE(selection.count(), 6);
    }

    void theScrollBarAppearsOnlyWhenTheRowsDoNotFit()
    {
        CHexEdit view;
        view.resize(300, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        std::array<uint8_t, 256> aby{};
        view.SetData(aby.data(), 32);
        QVERIFY(!view.pScrollBar()->isVisible());

        view.SetData(aby.data(), int32_t(aby.size()));
        view.resize(300, 100);
        const ui::HexEditLayout l = view.Layout();  // before scrolling
        QVERIFY(l.nScrollRange >= 2);
        QScrollBar* pBar = view.pScrollBar();
        QVERIFY(pBar->isVisible());
        QCOMPARE(pBar->maximum(), l.nScrollRange);
        QCOMPARE(pBar->pageStep(), l.nVisibleRows);
        QVERIFY(pBar->geometry().left() >= l.area.nRight);  // the rows make room for it

        // The wheel and the bar scroll the rows and keep each other in step.
        QWheelEvent wheel(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), {}, QPoint(0, -120), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
        QCOMPARE(view.nFirstRow(), 1);
        QCOMPARE(pBar->value(), 1);
        pBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(view.nFirstRow(), std::min(1 + l.nVisibleRows, l.nScrollRange));
        pBar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(view.nFirstRow(), l.nScrollRange);
        // A click on the top row selects in the rows now shown.
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(l.data.nLeft + 1, l.data.nTop + 1));
        QCOMPARE(view.nCursor(), l.nScrollRange * l.nPerRow);

        view.resize(300, 2000);
        QVERIFY(!pBar->isVisible());
        QCOMPARE(view.nFirstRow(), 0);
    }

    void theContextMenuAsksForTheOutputToBeSaved()
    {
        CHexEdit view;
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy save(&view, &CHexEdit::SaveOutputRequested);
        // The right button opens the menu where it is let go.
        QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(40, 40));
        QMenu* pMenu = view.findChild<QMenu*>();
        QVERIFY(pMenu);
        QTRY_VERIFY(pMenu->isVisible());
        QCOMPARE(pMenu->actions().size(), 1);
        QCOMPARE(pMenu->actions().first()->text(), QStringLiteral("Save Output"));
        pMenu->actions().first()->trigger();
        QCOMPARE(save.count(), 1);
        pMenu->close();
    }
};

QTEST_MAIN(CHexEditTest)
#include "hexedit_test.moc"
