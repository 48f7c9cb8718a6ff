#pragma once

// A display of its own for a test that needs a window manager, for the
// length of one test function: tests/x11/xsession.sh starts Xvfb and openbox
// and stops them when this object goes; xdotool finds windows and acts on them.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class XSession {
public:
    XSession() = default;
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
    // Closing the script's input ends it, and with it both servers.
    ~XSession() {
        if (m_session.state() == QProcess::NotRunning)
            return;
        m_session.closeWriteChannel();
        if (!m_session.waitForFinished(10000)) {
            m_session.kill();
            m_session.waitForFinished();
        }
    }

    // Empty when the session runs, else why it cannot (for QSKIP).
    QString start() {
        m_session.start(QStringLiteral(OLLO_XSESSION_SCRIPT),
                        {"sh", "-c", "echo \"$DISPLAY\"; exec cat >/dev/null"});
        while (!m_session.canReadLine())
            if (!m_session.waitForReadyRead(30000)) {
                const QString said = QString::fromLocal8Bit(m_session.readAllStandardError()).trimmed();
                return said.isEmpty() ? QStringLiteral("the X session did not start") : said;
            }
        const QString line = QString::fromLatin1(m_session.readLine().trimmed());
        if (line.startsWith(QLatin1String("SKIP:")))
            return line;
        m_display = line;
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
    QProcess m_session;
    QString m_display;
};
