// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A hardware action of the windows (an FSB walk, a register write) runs on the UI thread and
// lets the windows repaint between its steps. For its whole length the wait cursor is on and
// no window may close: a window closed meanwhile (by the user, or the main window by a stop
// signal) closes once the action is over, so that nothing the action works with goes away
// under it.
#include <QPointer>
#include <QWidget>
#include <vector>

#include "ui/WaitCursor.h"

namespace ui {

class CHardwareAction {
public:
    CHardwareAction();
    ~CHardwareAction();
    CHardwareAction(const CHardwareAction&) = delete;
    CHardwareAction& operator=(const CHardwareAction&) = delete;

    // An action runs now.
    static bool bRunning();
    // The window asked to close while an action runs: it closes when the last one ends.
    static void vCloseAfter(QWidget* pWindow);
    // Lets the windows repaint and the timers run, without the user's input.
    static void vRepaint();

private:
    CWaitCursor m_Cursor;
};

}  // namespace ui
