// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window tests' work directory: one of their own per case, with the board's settings
// file; and the application core started on a board in it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>

#include "app/PendulonApp.h"

// A work directory of its own, with the board's settings file, in force while it lives.
class CBoardWorkDir {
public:
    CBoardWorkDir(const QString& strBoard, const QByteArray& settings)
    {
        qputenv("PENDULON_WORKDIR", m_Work.path().toLocal8Bit());
        qputenv("PENDULON_RUNTIME_DIR", m_Run.path().toLocal8Bit());
        m_strBoardDir = m_Work.path() + "/boards/" + strBoard;
        QDir().mkpath(m_strBoardDir);
        if (!settings.isEmpty()) vWrite("pendulon.ini", settings);
    }
    ~CBoardWorkDir()
    {
        qunsetenv("PENDULON_WORKDIR");
        qunsetenv("PENDULON_RUNTIME_DIR");
    }
    QString strBoardDir() const { return m_strBoardDir; }
    QByteArray Read(const QString& strName) const
    {
        QFile file(m_strBoardDir + "/" + strName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void vWrite(const QString& strName, const QByteArray& text) const
    {
        QFile file(m_strBoardDir + "/" + strName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private:
    QTemporaryDir m_Work;
    QTemporaryDir m_Run;
    QString m_strBoardDir;
};

// The core started on the board, without the monitor thread (the cases measure when they
// want to); null when the start failed.
inline std::unique_ptr<app::CPendulonApp> StartedApp(const std::string& strBoard)
{
    app::AppOptions options;
    options.strBoard = strBoard;
    options.bStartMonitor = false;
    auto pApp = std::make_unique<app::CPendulonApp>(options);
    if (!pApp->InitInstance()) return nullptr;
    return pApp;
}
