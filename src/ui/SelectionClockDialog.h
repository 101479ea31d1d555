// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PLL Control window's "Selected Clocks": five gauges showing the clocks a selection
// would give (the CPU clock from the measured multiplier, the FSB, the memory clock the
// chipset would run at, the second bus clock and the PCI clock), drawn from a set of its own.
// Dragging the panel drags its window.
#include <QGroupBox>
#include <QLabel>
#include <array>

#include "discovery/MemoryInfo.h"
#include "pll/FrequencySet.h"
#include "ui/ClocksPanel.h"
#include "ui/DragPanel.h"
#include "ui/GaugeCtrl.h"

class ORVEXSDK;
class CClockGenerator;

namespace ui {

class CSelectionClockDialog : public CDragPanel {
    Q_OBJECT

public:
    explicit CSelectionClockDialog(ORVEXSDK* pKit, QWidget* pParent = nullptr);

    // The rebuild: gauges reset; with a driver of a model whose clocks were read, titled,
    // ranged and showing what the chip holds. True when there was such a driver.
    bool bReset(const CClockGenerator* pGenerator);
    // WM_CLOCKS_REFRESH: the measured multiplier and the chipset's memory record; kit lock held.
    void OnClocksRefresh();
    // WM_SELECTION_CHANGED: the requested clocks.
    void OnSelectionChanged(const CFrequencySet& requested);

    const CGaugeCtrl& Gauge(EClocksGauge eGauge) const { return *m_apGauges[eGauge]; }
    QString strLabel(EClocksGauge eGauge) const { return m_apLabels[eGauge]->text(); }
    const CFrequencySet& Shown() const { return m_Set; }

private:
    void vDraw();
    void vShow(EClocksGauge eGauge, float fMHz);

    ORVEXSDK* m_pKit;
    CFrequencySet m_Set;
    float m_fMultiplier = -1.0f;
    CMemoryInfo m_Memory;  // the chipset's record as of the last refresh
    QGroupBox* m_pGroup;
    std::array<CGaugeCtrl*, CLOCKS_GAUGES> m_apGauges{};
    std::array<QLabel*, CLOCKS_GAUGES> m_apLabels{};
};

}  // namespace ui
