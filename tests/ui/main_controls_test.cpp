// SPDX-License-Identifier: GPL-2.0-or-later
// The main panel's own controls on the offscreen platform: the buttons' pictures, the
// self-drawn button that carries them, and the link.
#include <QDesktopServices>
#include <QSignalSpy>
#include <QtTest>
#include <vector>

#include "ui/BmpButton.h"
#include "ui/ButtonIcons.h"
#include "ui/HyperLink.h"

using ui::CBmpButton;
using ui::CHyperLink;
using ui::EMainButton;

namespace {

// Per button: its label, its picture's size, a pixel of the drawing that is the transparent
// key, one that is opaque with its colour, and an opaque one on the bottom row.
struct IconCase {
    EMainButton eButton;
    const char* pszLabel;
    QSize size;
    QPoint transparent;
    QPoint opaque;
    QRgb rgbOpaque;
    QPoint bottom;
    QRgb rgbBottom;
};

const IconCase ICON_CASES[] = {
    {ui::BUTTON_CLOCKS, "Clocks", {14, 16}, {0, 0}, {5, 9}, 0xE00000, {4, 15}, 0x000000},           // the red hand
    {ui::BUTTON_PLL_CONTROL, "PLL Control", {13, 16}, {2, 0}, {3, 9}, 0x0000C0, {0, 15}, 0x000000},  // the knob's mark
    {ui::BUTTON_PLL_SETUP, "PLL Setup", {16, 11}, {0, 0}, {3, 4}, 0xFFFFFF, {3, 10}, 0xC0C0C0},      // the pin-1 mark
    {ui::BUTTON_MEMORY_BUFFER, "Memory Buffer", {16, 13}, {9, 12}, {1, 9}, 0xE8B800, {1, 12}, 0x9C7800},  // notch, contact
    {ui::BUTTON_OPTIONS, "Options", {14, 14}, {6, 6}, {6, 1}, 0xC0C0C0, {5, 13}, 0x000000},          // the hole, a tooth
};

bool bNearBlack(const QColor& c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; }

}  // namespace

// Catches what the desktop is asked to open for the test's own scheme.
class CUrlCatcher : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> vOpened;

public slots:
    void Open(const QUrl& url) { vOpened.push_back(url); }
};

class CMainControlsTest : public QObject {
    Q_OBJECT

private slots:
    void eachPictureHasItsSizeAndIsTransparentOnlyWhereTheKeyIs()
    {
        for (const IconCase& test : ICON_CASES) {
            const QString strWhich = test.pszLabel;
            QCOMPARE(ui::ButtonIconSize(test.eButton), test.size);
            const QPixmap icon = ui::ButtonIcon(test.eButton);
            QCOMPARE(icon.size(), test.size);
            const QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(image.hasAlphaChannel(), qPrintable(strWhich));
            QCOMPARE(qAlpha(image.pixel(test.transparent)), 0);
            QCOMPARE(image.pixel(test.opaque), 0xFF000000u | test.rgbOpaque);
            QCOMPARE(image.pixel(test.bottom), 0xFF000000u | test.rgbBottom);
            // Every pixel is either clear or solid, and no magenta is left showing.
            int nClear = 0, nSolid = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb rgb = image.pixel(x, y);
                    if (qAlpha(rgb) == 0) {
                        ++nClear;
                        continue;
                    }
                    QVERIFY2(qAlpha(rgb) == 255, qPrintable(strWhich + QString(" %1,%2").arg(x).arg(y)));
                    QVERIFY2((rgb & 0xFFFFFF) != 0xFF00FF, qPrintable(strWhich + QString(" %1,%2").arg(x).arg(y)));
                    ++nSolid;
                }
            // A picture, not a blank or a filled box.
            QVERIFY2(nClear > 0 && nSolid > image.width() * image.height() / 4, qPrintable(strWhich));
        }
        QVERIFY(ui::ButtonIcon(ui::MAIN_BUTTONS).isNull());
        QCOMPARE(ui::ButtonIconSize(ui::MAIN_BUTTONS), QSize());
    }

    void theButtonDrawsItsPictureAndTextInPlace()
    {
        const QByteArray dir = qgetenv("PENDULON_SCREENSHOT_DIR");
        for (const IconCase& test : ICON_CASES) {
            // An even and an odd height: the picture's top is rounded down.
            for (const int nHeight : {26, 25}) {
                const QString strWhich = QString("%1 at %2").arg(test.pszLabel).arg(nHeight);
                CBmpButton button(test.pszLabel, test.eButton);
                QCOMPARE(button.eButton(), test.eButton);
                button.resize(130, nHeight);
                const QPoint at(5, (nHeight - test.size.height()) / 2);
                QCOMPARE(button.IconPos(), at);
                QCOMPARE(button.TextRect(), QRect(28, 0, 130 - 28, nHeight));
                const QImage image = button.grab().toImage();
                QCOMPARE(image.size(), QSize(130, nHeight));
                QVERIFY2(image.pixel(at + test.opaque) == (0xFF000000u | test.rgbOpaque), qPrintable(strWhich));
                // Where the picture is clear the face shows through, not the key colour.
                const QColor face = image.pixelColor(at + test.transparent);
                QVERIFY2(face.alpha() == 255 && face.rgb() != QColor(0xFF, 0x00, 0xFF).rgb(), qPrintable(strWhich));
                // The text is black and starts at 28: nothing dark between the picture and
                // there, and dark pixels just after it.
                int nFirstDark = image.width();
                for (int y = 4; y < nHeight - 4; ++y)
                    for (int x = at.x() + test.size.width() + 1; x < image.width() - 6; ++x)
                        if (bNearBlack(image.pixelColor(x, y))) nFirstDark = std::min(nFirstDark, x);
                QVERIFY2(nFirstDark >= 28 && nFirstDark <= 31, qPrintable(strWhich + " " + QString::number(nFirstDark)));
                if (!dir.isEmpty() && nHeight == 26)
                    button.grab()
                        .scaled(130 * 8, nHeight * 8, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                        .save(QString::fromLocal8Bit(dir) + "/button-" + QString::number(test.eButton) + ".png");
            }
        }
    }

    void theButtonClicksAndIsDrawnTheSameWithFocusOrDisabled()
    {
        CBmpButton button("Clocks", ui::BUTTON_CLOCKS);
        button.resize(120, 26);
        QCOMPARE(button.focusPolicy(), Qt::StrongFocus);
        QSignalSpy clicked(&button, &QPushButton::clicked);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);

        const QImage raised = button.grab().toImage();
        button.setDown(true);
        const QImage sunken = button.grab().toImage();
        button.setDown(false);
        QVERIFY2(sunken != raised, "the pressed face is drawn as the raised one");
        QCOMPARE(sunken.pixel(button.IconPos() + QPoint(5, 9)), 0xFFE00000u);  // the picture stays put

        button.setEnabled(false);
        QVERIFY2(button.grab().toImage() == raised, "the disabled button is drawn differently");
        button.setEnabled(true);

        button.show();
        button.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&button));
        button.setFocus(Qt::TabFocusReason);
        QVERIFY(button.hasFocus());
        QVERIFY2(button.grab().toImage() == raised, "the focused button is drawn differently");
    }

    void theLinkLooksLikeALinkAndOpensItsAddress()
    {
        CUrlCatcher catcher;
        QDesktopServices::setUrlHandler("pendulontest", &catcher, "Open");
        QWidget parent;
        parent.setAutoFillBackground(true);
        QPalette red = parent.palette();
        red.setColor(QPalette::Window, QColor(255, 0, 0));
        parent.setPalette(red);
        parent.resize(300, 40);
        CHyperLink link(&parent);
        QSignalSpy clicked(&link, &CHyperLink::Clicked);
        link.SetURL("pendulontest://x");
        QCOMPARE(link.strURL(), QString("pendulontest://x"));
        QCOMPARE(link.text(), QString("pendulontest://x"));
        QVERIFY(link.font().underline());
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(0, 0, 238));
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        link.setGeometry(10, 10, 250, 20);

        // Blue text (the underline is solid blue) on the parent's red: the link fills nothing.
        const QImage image = parent.grab().toImage();
        QCOMPARE(image.pixelColor(10 + 245, 10 + 2), QColor(255, 0, 0));
        bool bBlue = false;
        for (int y = 10; y < 30 && !bBlue; ++y)
            for (int x = 10; x < 260 && !bBlue; ++x) bBlue = image.pixelColor(x, y) == QColor(0, 0, 238);
        QVERIFY(bBlue);

        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(catcher.vOpened.size(), size_t(1));
        QCOMPARE(catcher.vOpened[0], QUrl("pendulontest://x"));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked[0][0].toUrl(), QUrl("pendulontest://x"));

        // Other buttons do not open it.
        QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(5, 10));
        QCOMPARE(catcher.vOpened.size(), size_t(1));

        // An address that looks like markup is shown as it is, not as rich text.
        link.SetURL("pendulontest://<b>x</b>");
        QVERIFY(link.sizeHint().width() >= QFontMetrics(link.font()).horizontalAdvance(link.strURL()));

        // Nothing shown, nothing opened.
        link.SetURL(QString());
        QVERIFY(link.text().isEmpty());
        QVERIFY(link.cursor().shape() != Qt::PointingHandCursor);
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(catcher.vOpened.size(), size_t(1));
        QCOMPARE(clicked.count(), 1);
        QDesktopServices::unsetUrlHandler("pendulontest");
    }
};

QTEST_MAIN(CMainControlsTest)
#include "main_controls_test.moc"
