// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A horizontal slider for clocks in MHz, drawn by itself: a sunken groove across the control
// and a pointer-shaped thumb. The user drags the thumb with the left mouse button; a dragged
// value lies on the step grid from the minimum, a value set by the program is kept as given.
// Only the user's input is announced (Moved); SetPos and SetRange are silent.
#include <QPixmap>
#include <QRect>
#include <QWidget>

#include "ui/SliderGeometry.h"

namespace ui {

class CSlider2 : public QWidget {
    Q_OBJECT

public:
    explicit CSlider2(QWidget* pParent = nullptr);

    // Measures the control, takes the thumb and starts from range 0 to 100, value 0, step 0.5.
    void InitSlider();
    // Stores the range and takes the value from where the thumb stands now.
    void SetRange(float fMinimum, float fMaximum);
    // The value clamped to the range (not put on the grid) and the thumb moved to it.
    void SetPos(float fValue);
    void SetStep(float fStep) { m_fStep = fStep; }

    float fValue() const { return m_fValue; }
    float fStep() const { return m_fStep; }
    float fMinimum() const { return m_fMinimum; }
    float fMaximum() const { return m_fMaximum; }
    // The thumb centre's x in client pixels, and how far it may go.
    int32_t nThumbX() const { return m_nX; }
    SliderTravel Travel() const { return {m_nXMin, m_nXMax}; }

    QSize sizeHint() const override;

signals:
    // The user pressed or dragged the thumb to this value.
    void Moved(float fValue);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void vMeasure();
    void vPlaceThumb();
    void vTrack(double dMouseX);  // the thumb to the mouse, the value from it, announced

    float m_fMinimum = 0.0f;
    float m_fMaximum = 100.0f;
    float m_fValue = 0.0f;
    float m_fStep = 0.5f;
    QRect m_rcClient;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_nThumbLeft = 0;  // where the thumb picture is drawn
    int32_t m_nThumbTop = 0;
    QPixmap m_Thumb;
    int32_t m_nThumbWidth = 0;
    int32_t m_nThumbHeight = 0;
    int32_t m_nX = 0;  // the thumb centre
    int32_t m_nXMin = 0;
    int32_t m_nXMax = 0;
};

}  // namespace ui
