// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The wait cursor while a hardware action runs: on for the life of the object, restored on
// every path out of the action.
#include <QGuiApplication>

namespace ui {

class CWaitCursor {
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace ui
