#pragma once

// A display of its own for a test that needs a window manager: Xvfb on a
// free display number (Xvfb picks it and tells it), openbox on it, and
// xdotool to find windows and act on them. Both stop with the object.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <memory>

class XSession {
public:
    XSession() = default;
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
    ~XSession() {
        for (QProcess* process : {m_windowManager.get(), m_server.get()})
            if (process && process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000)) {
                    process->kill();
                    process->waitForFinished();
                }
            }
    }

    // Empty when the session runs, else why it cannot (for QSKIP).
    QString start() {
        for (const char* tool : {"Xvfb", "openbox", "xdotool"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                return QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
        m_server = std::make_unique<QProcess>();
        m_server->start(QStringLiteral("Xvfb"),
                        {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        // The number comes once the server takes clients.
        while (!m_server->canReadLine())
            if (!m_server->waitForReadyRead(20000))
                return QStringLiteral("Xvfb did not start");
        m_display = u':' + QString::fromLatin1(m_server->readLine().trimmed());
        // Openbox runs its start-up command once it manages the screen: a
        // window mapped before that may be lost.
        m_windowManager = std::make_unique<QProcess>();
        m_windowManager->setProcessEnvironment(environment());
        m_windowManager->start(QStringLiteral("openbox"), {"--startup", "echo ready"});
        while (!m_windowManager->canReadLine())
            if (!m_windowManager->waitForReadyRead(20000))
                return QStringLiteral("openbox did not start");
        return {};
    }

    QProcessEnvironment
    environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const {
        base.insert(QStringLiteral("DISPLAY"), m_display);
        base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return base;
    }

    // What xdotool prints, a line each; nothing when it fails.
    QStringList xdotool(const QStringList& arguments, int timeoutMs = 20000) const {
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(QStringLiteral("xdotool"), arguments);
        if (!tool.waitForFinished(timeoutMs)) {
            tool.kill();
            tool.waitForFinished();
            return {};
        }
        return QString::fromLatin1(tool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }

    // The mapped windows of a process.
    QStringList visibleWindows(qint64 pid) const {
        return xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)});
    }
    // Its first mapped window, once there is one.
    QString waitForWindow(qint64 pid) const {
        return xdotool({"search", "--sync", "--onlyvisible", "--pid", QString::number(pid)}).value(0);
    }
    QString activeWindow() const { return xdotool({"getactivewindow"}).value(0); }

private:
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
    QString m_display;
};
