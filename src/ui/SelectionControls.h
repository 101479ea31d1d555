// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The selection panels of the PLL Control window, one of which shows by what the clock
// generator can do: FSB and GSB sliders (mode 1), an FSB slider alone (mode 2) or a preset
// trackbar (mode 3); and the "Control" panel with "Apply Selection" and "Reset Selection",
// which shows the steps of a walk while it runs.
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

class CClockGenerator;

namespace ui {

class CSlider2;
class CUpDownCtrl;

enum ESelectionMode : int32_t {
    SELECTION_NONE = 0,     // no driver of a model whose clocks were read
    SELECTION_FSB_GSB = 1,  // both clocks adjustable, the GSB enabled
    SELECTION_FSB = 2,      // the FSB alone
    SELECTION_PRESET = 3,   // a chip of presets
};

// The mode for the driver in place (null: none).
ESelectionMode SelectionMode(const CClockGenerator* pGenerator);

// The FSB slider, and in mode 1 the GSB slider, each with its up-down; a click on an arrow
// moves its slider by a step and then acts like moving it.
class CSelectionSliders : public QWidget {
    Q_OBJECT

public:
    CSelectionSliders(bool bGSB, QWidget* pParent = nullptr);
    // Ranges from the model's limits, positions at what the chip holds.
    void vInit(const CClockGenerator& generator);
    CSlider2& FSB() const { return *m_pFSB; }
    CSlider2* GSB() const { return m_pGSB; }
    CUpDownCtrl& FSBUpDown() const { return *m_pFSBUpDown; }

signals:
    void FSBMoved(float fMHz);
    void GSBMoved(float fMHz);

private:
    CSlider2* m_pFSB;
    CUpDownCtrl* m_pFSBUpDown;
    CSlider2* m_pGSB = nullptr;
    CUpDownCtrl* m_pGSBUpDown = nullptr;
};

// The presets of a chip that cannot set its FSB freely.
class CSelectionPresets : public QWidget {
    Q_OBJECT

public:
    explicit CSelectionPresets(QWidget* pParent = nullptr);
    void vInit(const CClockGenerator& generator);
    QSlider& Trackbar() const { return *m_pTrackbar; }

signals:
    void PresetMoved(int nPreset);

private:
    QSlider* m_pTrackbar;
};

class CSelectionApply : public QWidget {
    Q_OBJECT

public:
    explicit CSelectionApply(QWidget* pParent = nullptr);
    QPushButton& ApplyButton() const { return *m_pApply; }
    QPushButton& ResetButton() const { return *m_pReset; }
    // The walk's progress in place of the buttons; vEndProgress brings them back.
    void vProgress(int32_t nStep, int32_t nTotal);
    void vEndProgress();

signals:
    void Apply();
    void Reset();

private:
    QPushButton* m_pApply;
    QPushButton* m_pReset;
    QProgressBar* m_pProgress;
};

}  // namespace ui
