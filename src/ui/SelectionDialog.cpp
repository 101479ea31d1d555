// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/SelectionDialog.h"

#include "app/PendulonApp.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "pll/PLLModels.h"
#include "ui/HardwareAction.h"
#include "ui/SelectionClockDialog.h"

namespace ui {

namespace {

constexpr uint32_t REREAD_WAIT_MS = 200;  // after the walk, before the chip is read back

// What Apply writes, for the question before the first write on this machine.
std::string strWhatApplyWrites(const CClockGenerator& generator, const CFrequencySet& requested)
{
    const char* pszName = pszPLLName(generator.m_dwPLLID);
    const std::string strName = pszName ? pszName : "clock generator";
    char sz[256];
    if (!generator.m_bFSBAdjustable) {
        std::snprintf(sz, sizeof sz, "set the %s to its preset %d", strName.c_str(), int(requested.m_nPreset));
        return sz;
    }
    std::snprintf(sz, sizeof sz, "walk the FSB of the %s from %.2f to %.2f MHz in %d writes", strName.c_str(),
                  double(generator.m_Current.m_fFSB), double(requested.m_fFSB),
                  int(nWalkWrites(generator.m_Current.m_fFSB, requested.m_fFSB, generator.m_fFSBStep)));
    std::string str = sz;
    if (generator.m_bGSBEnabled && requested.m_fGSB > 0 && requested.m_fGSB != generator.m_Current.m_fGSB) {
        std::snprintf(sz, sizeof sz, ", then its GSB from %.2f to %.2f MHz", double(generator.m_Current.m_fGSB),
                      double(requested.m_fGSB));
        str += sz;
    }
    return str;
}

}  // namespace

CSelectionDialog::CSelectionDialog(app::CPendulonApp& app, QWidget* pParent) : QWidget(pParent), m_App(app)
{
    m_pClocks = new CSelectionClockDialog(app.Kit(), this);
    m_pFSBGSB = new CSelectionSliders(true, this);
    m_pFSB = new CSelectionSliders(false, this);
    m_pPresets = new CSelectionPresets(this);
    m_pApply = new CSelectionApply(this);
    for (CSelectionSliders* pPanel : {m_pFSBGSB, m_pFSB}) {
        connect(pPanel, &CSelectionSliders::FSBMoved, this, &CSelectionDialog::vMoveFSB);
        connect(pPanel, &CSelectionSliders::GSBMoved, this, &CSelectionDialog::vMoveGSB);
    }
    connect(m_pPresets, &CSelectionPresets::PresetMoved, this, &CSelectionDialog::vMovePreset);
    connect(m_pApply, &CSelectionApply::Apply, this, &CSelectionDialog::vApply);
    connect(m_pApply, &CSelectionApply::Reset, this, &CSelectionDialog::vReset);
    vLayout();
}

CPLLInterface* CSelectionDialog::PLL() const
{
    ORVEXSDK* pKit = m_App.Kit();
    return pKit ? pKit->m_pPLLInterface : nullptr;
}

void CSelectionDialog::OnPLLChanged()
{
    CPLLInterface* pPLL = PLL();
    const CClockGenerator* pGenerator = pPLL ? pPLL->m_pPLL : nullptr;
    m_pClocks->bReset(pGenerator);
    m_eMode = SelectionMode(pGenerator);
    switch (m_eMode) {
    case SELECTION_FSB_GSB:
        m_pFSBGSB->vInit(*pGenerator);
        break;
    case SELECTION_FSB:
        m_pFSB->vInit(*pGenerator);
        break;
    case SELECTION_PRESET:
        m_pPresets->vInit(*pGenerator);
        break;
    case SELECTION_NONE:
        break;
    }
    vLayout();
}

void CSelectionDialog::OnClocksRefresh() { m_pClocks->OnClocksRefresh(); }

void CSelectionDialog::OnSelectionChanged()
{
    CPLLInterface* pPLL = PLL();
    if (pPLL && pPLL->m_pPLL && pPLL->m_pPLL->m_dwPLLID != 0) m_pClocks->OnSelectionChanged(pPLL->m_Requested);
}

void CSelectionDialog::vPreview()
{
    CPLLInterface* pPLL = PLL();
    if (pPLL->m_pPLL->bPreviewClocks(pPLL->m_Requested)) m_App.NotifyWindows(app::WM_SELECTION_CHANGED);
}

void CSelectionDialog::vMoveFSB(float fMHz)
{
    CPLLInterface* pPLL = PLL();
    if (!pPLL || !pPLL->m_pPLL || pPLL->m_pPLL->m_dwPLLID == 0) return;
    pPLL->m_Requested.m_fFSB = fMHz;
    vPreview();
}

void CSelectionDialog::vMoveGSB(float fMHz)
{
    CPLLInterface* pPLL = PLL();
    if (!pPLL || !pPLL->m_pPLL || pPLL->m_pPLL->m_dwPLLID == 0) return;
    pPLL->m_Requested.m_fGSB = fMHz;
    vPreview();
}

void CSelectionDialog::vMovePreset(int32_t nPreset)
{
    CPLLInterface* pPLL = PLL();
    if (!pPLL || !pPLL->m_pPLL || pPLL->m_pPLL->m_dwPLLID == 0) return;
    pPLL->m_Requested.m_nPreset = nPreset;
    vPreview();
}

// The walk stays on this thread: the window messages run their listeners on the sending
// thread, and the kit lock is this thread's. Between its steps the windows repaint.
void CSelectionDialog::vApply()
{
    ORVEXSDK* pKit = m_App.Kit();
    CPLLInterface* pPLL = PLL();
    CDeviceDriver* pDriver = m_App.Driver();
    if (!pKit || !pPLL || !pDriver) return;
    if (pPLL->m_pPLL && !m_App.bMayWrite(strWhatApplyWrites(*pPLL->m_pPLL, pPLL->m_Requested))) return;
    CHardwareAction action;
    if (!pKit->Lock(app::KIT_LOCK_MS)) return;
    uint32_t dwError = 0;
    if (pDriver->bOpenDevice(dwError)) {
        CClockGenerator* pGenerator = pPLL->m_pPLL;
        if (pGenerator && pPLL->Lock(app::INTERFACE_LOCK_MS)) {
            const PLL_PROGRESS progress = [this](int32_t nStep, int32_t nTotal) {
                m_pApply->vProgress(nStep, nTotal);
                CHardwareAction::vRepaint();
            };
            if (pGenerator->bApplyClocks(pPLL->m_Requested, progress)) {
                platform::Sleep(REREAD_WAIT_MS);
                // Read back into a set of its own: a read that fails (the chip stopped
                // answering) leaves the clocks read last, not a window without any.
                CFrequencySet readBack;
                if (pGenerator->bReadClocks(readBack)) pGenerator->m_Current.Copy(readBack);
                pPLL->m_Requested.Copy(pGenerator->m_Current);
            }
            pPLL->Unlock();
        }
        pDriver->vCloseDevice();
    }
    m_pApply->vEndProgress();
    m_App.NotifyWindows(app::WM_PLL_CHANGED);  // also when nothing was applied
    pKit->Unlock();
}

void CSelectionDialog::vReset()
{
    CPLLInterface* pPLL = PLL();
    if (pPLL && pPLL->m_pPLL && pPLL->m_pPLL->m_dwPLLID != 0) pPLL->m_Requested.Copy(pPLL->m_pPLL->m_Current);
    ORVEXSDK* pKit = m_App.Kit();
    if (!pKit || !pKit->Lock(app::KIT_LOCK_MS)) return;
    m_App.Messages().bSend(app::TOOL_SELECTION, app::WM_PLL_CHANGED);
    pKit->Unlock();
}

void CSelectionDialog::vLayout()
{
    int32_t y = 0;
    m_pClocks->move(0, y);
    y += m_pClocks->height();
    QWidget* pShown = nullptr;
    switch (m_eMode) {
    case SELECTION_FSB_GSB: pShown = m_pFSBGSB; break;
    case SELECTION_FSB: pShown = m_pFSB; break;
    case SELECTION_PRESET: pShown = m_pPresets; break;
    case SELECTION_NONE: break;
    }
    for (QWidget* pPanel : {static_cast<QWidget*>(m_pFSBGSB), static_cast<QWidget*>(m_pFSB),
                            static_cast<QWidget*>(m_pPresets)})
        pPanel->setVisible(pPanel == pShown);
    if (pShown) {
        pShown->move(0, y);
        y += pShown->height();
    }
    m_pApply->setVisible(m_eMode != SELECTION_NONE);
    if (m_eMode != SELECTION_NONE) {
        m_pApply->move(0, y);
        y += m_pApply->height();
    }
    const QSize size(m_pClocks->width(), y);
    if (size != this->size()) {
        setFixedSize(size);
        emit LaidOut();
    }
}

}  // namespace ui
