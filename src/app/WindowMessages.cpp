// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/WindowMessages.h"

namespace app {

namespace {

// Which windows take which message.
struct MessageRow {
    uint32_t dwMessage;
    bool abTakes[TOOL_WINDOW_COUNT];  // Clocks, PLL Control, PLL Setup, Memory Buffer, Options
};

constexpr MessageRow MESSAGE_ROWS[] = {
    {WM_PLL_CHANGED, {true, true, true, false, false}},
    {WM_CLOCKS_REFRESH, {true, true, false, false, false}},
    {WM_SELECTION_CHANGED, {false, true, false, false, false}},
    {WM_MEMBUF_CHANGED, {false, false, false, true, false}},
    {WM_FIT_FRAME, {true, false, false, false, false}},
};

bool bValidWindow(EToolWindow eWindow)
{
    return eWindow >= 0 && eWindow < TOOL_WINDOW_COUNT;
}

}  // namespace

bool CWindowMessages::bTakes(EToolWindow eWindow, uint32_t dwMessage)
{
    if (!bValidWindow(eWindow)) return false;
    for (const MessageRow& row : MESSAGE_ROWS)
        if (row.dwMessage == dwMessage) return row.abTakes[eWindow];
    return false;
}

void CWindowMessages::vRegister(EToolWindow eWindow, WindowListener pfnListener)
{
    if (!bValidWindow(eWindow)) return;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Listeners[eWindow] = std::move(pfnListener);
}

void CWindowMessages::vUnregister(EToolWindow eWindow)
{
    if (!bValidWindow(eWindow)) return;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Listeners[eWindow] = nullptr;
}

bool CWindowMessages::bIsOpen(EToolWindow eWindow) const
{
    if (!bValidWindow(eWindow)) return false;
    std::lock_guard<std::mutex> lock(m_Mutex);
    return static_cast<bool>(m_Listeners[eWindow]);
}

bool CWindowMessages::bSend(EToolWindow eWindow, uint32_t dwMessage)
{
    if (!bTakes(eWindow, dwMessage)) return false;
    WindowListener pfnListener;
    {
        // The listener runs without the registry's lock, so that it may open or close windows.
        std::lock_guard<std::mutex> lock(m_Mutex);
        pfnListener = m_Listeners[eWindow];
    }
    if (!pfnListener) return false;
    pfnListener(dwMessage);
    return true;
}

int CWindowMessages::NotifyWindows(uint32_t dwMessage)
{
    int nReached = 0;
    for (int i = 0; i < TOOL_WINDOW_COUNT; ++i)
        if (bSend(static_cast<EToolWindow>(i), dwMessage)) ++nReached;
    return nReached;
}

}  // namespace app
