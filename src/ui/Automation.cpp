// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/Automation.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QMessageBox>
#include <QTimer>

#include "app/RunNamespace.h"

namespace ui {

QString strAutomationService(const std::string& strBoard)
{
    QString strService = QString::fromLatin1(AUTOMATION_INTERFACE);
    if (strBoard.empty()) return strService;
    // A bus name's elements are letters, digits, "_" and "-"; the board's namespace is already so.
    return strService + QStringLiteral(".board_") + QString::fromStdString(app::strBoardNamespace(strBoard));
}

CAutomation::CAutomation(QString strService, std::function<void()> pfnRaise, QObject* pParent)
    : QObject(pParent), m_strService(std::move(strService)), m_pfnRaise(std::move(pfnRaise))
{
    m_pfnBox = [](const QString& strText, const QString& strCaption) {
        QMessageBox::information(nullptr, strCaption, strText);
    };
}

CAutomation::~CAutomation()
{
    if (!m_bRegistered) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QString::fromLatin1(AUTOMATION_PATH));
    bus.unregisterService(m_strService);
}

bool CAutomation::bRegister(QString& strWhy)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        strWhy = QStringLiteral("no session bus (") + bus.lastError().message() + QStringLiteral(")");
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(AUTOMATION_PATH), this, QDBusConnection::ExportScriptableSlots)) {
        strWhy = QStringLiteral("the object ") + AUTOMATION_PATH + QStringLiteral(" is taken on the session bus");
        return false;
    }
    if (!bus.registerService(m_strService)) {
        bus.unregisterObject(QString::fromLatin1(AUTOMATION_PATH));
        strWhy = QStringLiteral("the name ") + m_strService + QStringLiteral(" is taken on the session bus");
        return false;
    }
    m_bRegistered = true;
    return true;
}

void CAutomation::vTestPendulon()
{
    // The call is answered at once; the box shows from the event loop.
    QTimer::singleShot(0, this, [this] { m_pfnBox(QStringLiteral("Pendulon"), QStringLiteral("Pendulon")); });
}

void CAutomation::Raise()
{
    QTimer::singleShot(0, this, [this] { if (m_pfnRaise) m_pfnRaise(); });
}

bool CAutomation::bRaiseRunning(const QString& strService, QString& strWhy)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        strWhy = QStringLiteral("there is no session bus to ask it to show its window");
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(strService, QString::fromLatin1(AUTOMATION_PATH),
                                                       QString::fromLatin1(AUTOMATION_INTERFACE), QStringLiteral("Raise"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        strWhy = QStringLiteral("it did not answer on the session bus (") + reply.errorMessage() + QStringLiteral(")");
        return false;
    }
    return true;
}

}  // namespace ui
