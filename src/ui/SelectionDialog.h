// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PLL Control panel: the selected clocks on top, the selection panel of the clock
// generator's mode under them, then "Apply Selection" and "Reset Selection". Moving a control
// changes the requested clocks and previews them through the driver, touching nothing; Apply
// walks the chip there and reads it back.
#include <QWidget>

#include "ui/SelectionControls.h"

namespace app {
class CPendulonApp;
}
class CPLLInterface;

namespace ui {

class CSelectionClockDialog;

class CSelectionDialog : public QWidget {
    Q_OBJECT

public:
    explicit CSelectionDialog(app::CPendulonApp& app, QWidget* pParent = nullptr);

    // WM_PLL_CHANGED: the mode chosen again for the driver, its control set to what the chip
    // holds, the panels laid out (the frame then fits them).
    void OnPLLChanged();
    void OnClocksRefresh();
    void OnSelectionChanged();

    // The controls' actions, as the panels call them.
    void vMoveFSB(float fMHz);
    void vMoveGSB(float fMHz);
    void vMovePreset(int32_t nPreset);
    void vApply();
    void vReset();

    ESelectionMode Mode() const { return m_eMode; }
    CSelectionClockDialog& Clocks() const { return *m_pClocks; }
    CSelectionSliders& FSBGSBPanel() const { return *m_pFSBGSB; }
    CSelectionSliders& FSBPanel() const { return *m_pFSB; }
    CSelectionPresets& PresetPanel() const { return *m_pPresets; }
    CSelectionApply& ApplyPanel() const { return *m_pApply; }

signals:
    // The panels were laid out again at a new size.
    void LaidOut();

private:
    CPLLInterface* PLL() const;
    // The requested clocks previewed; the windows told when the preview worked.
    void vPreview();
    void vLayout();

    app::CPendulonApp& m_App;
    ESelectionMode m_eMode = SELECTION_NONE;
    CSelectionClockDialog* m_pClocks;
    CSelectionSliders* m_pFSBGSB;
    CSelectionSliders* m_pFSB;
    CSelectionPresets* m_pPresets;
    CSelectionApply* m_pApply;
};

}  // namespace ui
