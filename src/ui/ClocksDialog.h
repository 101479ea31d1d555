// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Clocks panel: five gauges with their labels under them, the CPU clock and the bus clock
// the processors measure, the memory clock the chipset works out, and the second bus clock
// and the PCI clock the clock generator reports. Dragging the panel drags its window.
#include <QLabel>
#include <array>

#include "ui/ClocksPanel.h"
#include "ui/DragPanel.h"
#include "ui/GaugeCtrl.h"

class ORVEXSDK;

namespace ui {

class CClocksDialog : public CDragPanel {
    Q_OBJECT

public:
    // The kit the values come from (null: the gauges stay at their start).
    explicit CClocksDialog(ORVEXSDK* pKit, QWidget* pParent = nullptr);

    // WM_PLL_CHANGED: the GSB and PCI gauges rebuilt from the clock generator.
    void OnPLLChanged();
    // WM_CLOCKS_REFRESH: the CPU, FSB and RAM gauges from the measurements.
    void OnClocksRefresh();

    const CGaugeCtrl& Gauge(EClocksGauge eGauge) const { return *m_apGauges[eGauge]; }
    QString strLabel(EClocksGauge eGauge) const { return m_apLabels[eGauge]->text(); }

private:
    void vShow(EClocksGauge eGauge, float fMHz);

    ORVEXSDK* m_pKit;
    std::array<CGaugeCtrl*, CLOCKS_GAUGES> m_apGauges{};
    std::array<QLabel*, CLOCKS_GAUGES> m_apLabels{};
};

}  // namespace ui
