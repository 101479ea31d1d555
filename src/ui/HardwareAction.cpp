// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/HardwareAction.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace ui {

namespace {

// The UI thread alone runs actions: no lock is needed.
int g_nRunning = 0;
std::vector<QPointer<QWidget>> g_PendingCloses;

}  // namespace

CHardwareAction::CHardwareAction() { ++g_nRunning; }

CHardwareAction::~CHardwareAction()
{
    if (--g_nRunning > 0) return;
    std::vector<QPointer<QWidget>> pending;
    pending.swap(g_PendingCloses);
    // From the event loop: the action's callers are still on the stack.
    for (const QPointer<QWidget>& pWindow : pending)
        if (pWindow) QMetaObject::invokeMethod(pWindow, &QWidget::close, Qt::QueuedConnection);
}

bool CHardwareAction::bRunning() { return g_nRunning > 0; }

void CHardwareAction::vCloseAfter(QWidget* pWindow)
{
    for (const QPointer<QWidget>& p : g_PendingCloses)
        if (p == pWindow) return;
    g_PendingCloses.emplace_back(pWindow);
}

void CHardwareAction::vRepaint() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

}  // namespace ui
