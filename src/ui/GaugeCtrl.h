// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A round gauge: a dial face, a needle that sweeps 260 degrees over the gauge's range and a
// title under the dial. Drawn entirely by itself, in one pass over an opaque background, so
// that nothing is erased before it paints.
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace ui {

class CGaugeCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CGaugeCtrl(QWidget* pParent = nullptr);

    // Title empty, needle at the start, range 0 to 100; repaints.
    void Reset();
    void SetRange(int32_t nMinimum, int32_t nMaximum);
    // The needle for the value within the range; repaints.
    void SetValue(int32_t nValue);
    void SetTitle(const QString& strTitle);

    float fAngle() const { return m_fAngle; }
    const QString& strTitle() const { return m_strTitle; }
    int32_t nMinimum() const { return m_nMinimum; }
    int32_t nMaximum() const { return m_nMaximum; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    QPixmap m_Face;  // the dial, drawn once, with a transparent background
    int32_t m_nMaximum = 100;
    int32_t m_nMinimum = 0;
    float m_fAngle;
    QString m_strTitle;
};

}  // namespace ui
