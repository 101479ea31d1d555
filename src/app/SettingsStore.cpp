// SPDX-License-Identifier: GPL-2.0-or-later
// The application's side of the settings file: what each line changes when it is read at
// start, and what is written when the main window closes.
#include <unistd.h>

#include <cstdio>

#include "app/AtomicFile.h"
#include "app/PendulonApp.h"
#include "app/ProfileFile.h"
#include "app/SettingsFile.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"

namespace app {

void CPendulonApp::LoadSettings()
{
    const std::string strPath = strWorkFile(SETTINGS_FILE_NAME);
    std::string strText, strWhy;
    if (strPath.empty()) return;
    if (!bReadTextFile(strPath, strText, strWhy)) {
        // A missing file is the normal first start; one that is refused is said.
        if (!strWhy.empty()) vMessageBox("the settings are not read: " + strWhy, CAPTION_ERROR);
        return;
    }
    if (m_bReset) {
        // unlink, not remove: a directory of that name is not taken away.
        unlink(strPath.c_str());
        unlink(strWorkFile(strProfileFileName(0)).c_str());
        return;
    }
    for (const SettingsLine& line : ParseSettings(strText)) {
        switch (line.eKey) {
        case SettingsKey::PLL: {
            // Only while no model is selected: a chipset PLL found at start is kept.
            CPLLInterface* pPLL = PLLInterface();
            if (pPLL && !pPLL->m_pPLL && pPLL->Lock(INTERFACE_LOCK_MS)) {
                pPLL->SelectPLL(line.dwPLLID);
                pPLL->Unlock();
            }
            break;
        }
        case SettingsKey::GSB:
            if (CClockGenerator* pGenerator = ClockGenerator()) pGenerator->m_bGSBEnabled = uint32_t(line.nValue);
            break;
        case SettingsKey::SNAP:
            m_bSnap = line.nValue != 0 ? 1 : 0;
            break;
        case SettingsKey::AskWrite:
            m_bAskWrite = line.nValue != 0 ? 1 : 0;
            break;
        case SettingsKey::MainWindow:
            if (m_pHost) m_pHost->vSetMainPlacement(line.placement);
            else m_MainPlacement = line.placement;
            break;
        case SettingsKey::ToolWindow:
            m_apPlacement[line.eWindow] = std::make_unique<WindowPlacement>(line.placement);
            m_abOpenAtStart[line.eWindow] = false;
            if (line.nValue != 0) OpenToolWindow(line.eWindow);
            break;
        }
    }
}

bool CPendulonApp::SaveSettings()
{
    const std::string strPath = strWorkFile(SETTINGS_FILE_NAME);
    if (m_bReset || strPath.empty()) return false;
    SettingsContent content;
    if (CClockGenerator* pGenerator = ClockGenerator()) {
        content.dwPLLID = pGenerator->m_dwPLLID;
        content.nGSB = pGenerator->m_bGSBEnabled ? 1 : 0;
    }
    content.nSnap = m_bSnap ? 1 : 0;
    content.nAskWrite = m_bAskWrite ? 1 : 0;
    WindowPlacement main;
    if (m_pHost) {
        if (m_pHost->bMainPlacement(main)) content.main = main;
    } else {
        content.main = m_MainPlacement;
    }
    for (int i = 0; i < TOOL_WINDOW_COUNT; ++i) {
        SettingsContent::Tool& tool = content.tools[i];
        const EToolWindow eWindow = static_cast<EToolWindow>(i);
        if (m_pHost && m_pHost->bToolPlacement(eWindow, tool.placement)) {
            tool.bPresent = true;
            tool.nOpen = 1;
        } else if (m_apPlacement[i]) {
            tool.bPresent = true;
            tool.nOpen = !m_pHost && m_abOpenAtStart[i] ? 1 : 0;
            tool.placement = *m_apPlacement[i];
        }
    }
    std::string strWhy;
    return bWriteFileAtomically(strPath, strFormatSettings(content), strWhy);
}

}  // namespace app
