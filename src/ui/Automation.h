// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program on the session bus: the service "org.pendulon.Pendulon" (a simulated board's
// instance adds ".board_NAME", so that it is not taken for this machine's), object
// "/Pendulon", with the automation method vTestPendulon (the "Pendulon" message box) and Raise
// (the main window comes to the front; what a second start asks of the first). Where there is
// no session bus the program runs without it.
#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace ui {

inline constexpr const char* AUTOMATION_PATH = "/Pendulon";
inline constexpr const char* AUTOMATION_INTERFACE = "org.pendulon.Pendulon";

// The service name of the instance that runs on strBoard ("" for this machine).
QString strAutomationService(const std::string& strBoard);

class CAutomation : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.pendulon.Pendulon")

public:
    // pfnRaise brings the main window to the front.
    CAutomation(QString strService, std::function<void()> pfnRaise, QObject* pParent = nullptr);
    ~CAutomation() override;

    // Takes the service name on the session bus; false (with strWhy) when there is no bus or
    // the name is taken.
    bool bRegister(QString& strWhy);
    // The message box (tests catch it here).
    void vSetMessageBox(std::function<void(const QString&, const QString&)> pfnBox) { m_pfnBox = std::move(pfnBox); }

    // A second start: asks the running instance to raise its main window. False with strWhy
    // when there is no session bus or no instance answers.
    static bool bRaiseRunning(const QString& strService, QString& strWhy);

public slots:
    Q_SCRIPTABLE void vTestPendulon();
    Q_SCRIPTABLE void Raise();

private:
    QString m_strService;
    std::function<void()> m_pfnRaise;
    std::function<void(const QString&, const QString&)> m_pfnBox;
    bool m_bRegistered = false;
};

}  // namespace ui
