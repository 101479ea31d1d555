// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ClocksDialog.h"

#include "cpu/CPUInterface.h"
#include "discovery/ChipsetInterface.h"
#include "discovery/MemoryInfo.h"
#include "kit/ORVEXSDK.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "ui/DialogFont.h"

namespace ui {

namespace {

const QColor LABEL_COLOUR(0x00, 0x00, 0x80);  // 0x00800000, dark blue

}  // namespace

CClocksDialog::CClocksDialog(ORVEXSDK* pKit, QWidget* pParent) : CDragPanel(pParent), m_pKit(pKit)
{
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnits(font());
    setFixedSize(DialogQRect(0, 0, CLOCKS_PANEL_WIDTH, CLOCKS_PANEL_HEIGHT, base).size());
    QPalette labelPalette = palette();
    labelPalette.setColor(QPalette::WindowText, LABEL_COLOUR);
    for (int i = 0; i < CLOCKS_GAUGES; ++i) {
        const GaugeRow& row = CLOCKS_GAUGE_ROWS[i];
        m_apGauges[i] = new CGaugeCtrl(this);
        m_apGauges[i]->setGeometry(DialogQRect(row.nX, GAUGE_Y, GAUGE_WIDTH, GAUGE_HEIGHT, base));
        m_apGauges[i]->Reset();
        m_apGauges[i]->SetTitle(QString::fromLatin1(row.pszTitle));
        m_apGauges[i]->SetRange(row.nMinimum, row.nMaximum);
        m_apLabels[i] = new QLabel(this);
        m_apLabels[i]->setGeometry(DialogQRect(row.nX, GAUGE_LABEL_Y, GAUGE_WIDTH, GAUGE_LABEL_HEIGHT, base));
        m_apLabels[i]->setAlignment(Qt::AlignCenter);
        m_apLabels[i]->setPalette(labelPalette);
    }
}

void CClocksDialog::vShow(EClocksGauge eGauge, float fMHz)
{
    m_apGauges[eGauge]->SetValue(int32_t(fMHz));
    m_apLabels[eGauge]->setText(QString::asprintf("%.2f", double(fMHz)));
}

void CClocksDialog::OnClocksRefresh()
{
    for (EClocksGauge eGauge : {GAUGE_CPU, GAUGE_FSB, GAUGE_RAM}) m_apLabels[eGauge]->clear();
    if (!m_pKit) return;
    if (CCPUInterface* pCPU = m_pKit->m_pCPUInterface) {
        if (CProcessor* pProcessor = pCPU->GetProcessor(0)) {
            const float fCore = pProcessor->GetCoreClock(0);
            if (fCore > 0) vShow(GAUGE_CPU, fCore);
        }
        if (pCPU->m_fBusClock > 0) vShow(GAUGE_FSB, pCPU->m_fBusClock);
    }
    CChipsetInterface* pChipset = m_pKit->m_pChipsetInterface;
    if (pChipset && pChipset->m_pMemoryInfo && pChipset->m_pMemoryInfo->m_fMemoryClock > 0)
        vShow(GAUGE_RAM, pChipset->m_pMemoryInfo->m_fMemoryClock);
}

void CClocksDialog::OnPLLChanged()
{
    for (EClocksGauge eGauge : {GAUGE_GSB, GAUGE_PCI}) {
        m_apGauges[eGauge]->Reset();
        m_apLabels[eGauge]->clear();
    }
    CPLLInterface* pPLL = m_pKit ? m_pKit->m_pPLLInterface : nullptr;
    CClockGenerator* pGenerator = pPLL ? pPLL->m_pPLL : nullptr;
    if (!pGenerator || pGenerator->m_dwPLLID == 0) return;
    const CFrequencySet& current = pGenerator->m_Current;
    if (current.m_fPCI > 0) m_apGauges[GAUGE_PCI]->SetTitle(QStringLiteral("PCI"));
    if (current.m_fGSB > 0) m_apGauges[GAUGE_GSB]->SetTitle(QString::fromLatin1(pszGSBTitle(pGenerator->m_nGSBType)));
    for (EClocksGauge eGauge : {GAUGE_GSB, GAUGE_PCI})
        m_apGauges[eGauge]->SetRange(CLOCKS_GAUGE_ROWS[eGauge].nMinimum, CLOCKS_GAUGE_ROWS[eGauge].nMaximum);
    if (!current.bIsValid()) return;
    if (current.m_fGSB > 0) vShow(GAUGE_GSB, current.m_fGSB);
    if (current.m_fPCI > 0) vShow(GAUGE_PCI, current.m_fPCI);
}

}  // namespace ui
