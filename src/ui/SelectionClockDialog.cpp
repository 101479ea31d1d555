// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/SelectionClockDialog.h"

#include "cpu/CPUInterface.h"
#include "discovery/ChipsetInterface.h"
#include "kit/ORVEXSDK.h"
#include "pll/ClockGenerator.h"
#include "ui/DialogFont.h"

namespace ui {

namespace {

const QColor LABEL_COLOUR(0x00, 0x00, 0x80);  // 0x00800000, dark blue

// Panel 218 × 58 dialog units: the group box (2, 1, 213, 56), gauges 34 × 31 at y 12 with
// their labels 34 × 8 at y 45, at the x of the Clocks panel.
constexpr int32_t PANEL_WIDTH = 218, PANEL_HEIGHT = 58;
constexpr int32_t GROUP_X = 2, GROUP_Y = 1, GROUP_WIDTH = 213, GROUP_HEIGHT = 56;
constexpr int32_t SELECTED_GAUGE_Y = 12, SELECTED_LABEL_Y = 45;
// The ranges of the selected clocks: the FSB and memory reach further than on the Clocks panel.
constexpr std::array<int32_t, CLOCKS_GAUGES> MAXIMA = {7000, 650, 650, 500, 500};

}  // namespace

CSelectionClockDialog::CSelectionClockDialog(ORVEXSDK* pKit, QWidget* pParent) : CDragPanel(pParent), m_pKit(pKit)
{
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnits(font());
    setFixedSize(DialogQRect(0, 0, PANEL_WIDTH, PANEL_HEIGHT, base).size());
    m_pGroup = new QGroupBox(QStringLiteral("Selected Clocks"), this);
    m_pGroup->setGeometry(DialogQRect(GROUP_X, GROUP_Y, GROUP_WIDTH, GROUP_HEIGHT, base));
    m_pGroup->setAttribute(Qt::WA_TransparentForMouseEvents);  // a press on it drags the window
    QPalette labelPalette = palette();
    labelPalette.setColor(QPalette::WindowText, LABEL_COLOUR);
    for (int i = 0; i < CLOCKS_GAUGES; ++i) {
        const GaugeRow& row = CLOCKS_GAUGE_ROWS[i];
        m_apGauges[i] = new CGaugeCtrl(this);
        m_apGauges[i]->setGeometry(DialogQRect(row.nX, SELECTED_GAUGE_Y, GAUGE_WIDTH, GAUGE_HEIGHT, base));
        m_apGauges[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_apLabels[i] = new QLabel(this);
        m_apLabels[i]->setGeometry(DialogQRect(row.nX, SELECTED_LABEL_Y, GAUGE_WIDTH, GAUGE_LABEL_HEIGHT, base));
        m_apLabels[i]->setAlignment(Qt::AlignCenter);
        m_apLabels[i]->setPalette(labelPalette);
        m_apLabels[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    bReset(nullptr);
}

bool CSelectionClockDialog::bReset(const CClockGenerator* pGenerator)
{
    for (int i = 0; i < CLOCKS_GAUGES; ++i) {
        m_apGauges[i]->Reset();
        m_apLabels[i]->clear();
    }
    m_Set.Clear();
    if (!pGenerator || pGenerator->m_dwPLLID == 0 || !pGenerator->m_Current.bIsValid()) return false;
    const CFrequencySet& current = pGenerator->m_Current;
    for (EClocksGauge eGauge : {GAUGE_CPU, GAUGE_FSB, GAUGE_RAM})
        m_apGauges[eGauge]->SetTitle(QString::fromLatin1(CLOCKS_GAUGE_ROWS[eGauge].pszTitle));
    if (current.m_fPCI > 0) m_apGauges[GAUGE_PCI]->SetTitle(QStringLiteral("PCI"));
    if (current.m_fGSB > 0) m_apGauges[GAUGE_GSB]->SetTitle(QString::fromLatin1(pszGSBTitle(pGenerator->m_nGSBType)));
    for (int i = 0; i < CLOCKS_GAUGES; ++i) m_apGauges[i]->SetRange(0, MAXIMA[i]);
    m_Set.Copy(current);
    vDraw();
    return true;
}

void CSelectionClockDialog::OnClocksRefresh()
{
    if (!m_pKit) return;
    if (CCPUInterface* pCPU = m_pKit->m_pCPUInterface) {
        if (CProcessor* pProcessor = pCPU->GetProcessor(0)) {
            const float fMultiplier = pProcessor->GetCoreMultiplier(0);
            if (fMultiplier > 0) m_fMultiplier = fMultiplier;
        }
    }
    if (CChipsetInterface* pChipset = m_pKit->m_pChipsetInterface; pChipset && pChipset->m_pMemoryInfo)
        m_Memory.CopyFrom(*pChipset->m_pMemoryInfo);
    if (m_Set.bIsValid()) vDraw();
}

void CSelectionClockDialog::OnSelectionChanged(const CFrequencySet& requested)
{
    m_Set.Copy(requested);
    vDraw();
}

void CSelectionClockDialog::vShow(EClocksGauge eGauge, float fMHz)
{
    if (fMHz > 0) {
        m_apGauges[eGauge]->SetValue(int32_t(fMHz));
        m_apLabels[eGauge]->setText(QString::asprintf("%.2f", double(fMHz)));
    } else {
        m_apLabels[eGauge]->clear();  // an unknown clock leaves its needle where it is
    }
}

void CSelectionClockDialog::vDraw()
{
    if (!m_Set.bIsValid()) return;
    vShow(GAUGE_CPU, m_fMultiplier > 0 && m_Set.m_fFSB > 0 ? m_fMultiplier * m_Set.m_fFSB : -1.0f);
    vShow(GAUGE_FSB, m_Set.m_fFSB);
    vShow(GAUGE_RAM, m_Memory.GetMemoryClock(m_Set.m_fFSB, m_fMultiplier));
    vShow(GAUGE_GSB, m_Set.m_fGSB);
    vShow(GAUGE_PCI, m_Set.m_fPCI);
}

}  // namespace ui
