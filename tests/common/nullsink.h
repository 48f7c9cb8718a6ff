#pragma once

// A private PulseAudio server whose default sink "probe" plays into nothing,
// for tests that record what the program plays (parec -d probe.monitor),
// without ever reaching a sound server of the user's.

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QTest>

#include <csignal>
#include <memory>

#include <sys/prctl.h>

// A server or recorder of ours, ended with the test even when the test itself is killed.
inline std::unique_ptr<QProcess> HelperProcess(const QProcessEnvironment& environment) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    return process;
}

inline void StopHelper(std::unique_ptr<QProcess>& process) {
    if (process && process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(5000))
            process->kill();
        process->waitForFinished(5000);
    }
    process.reset();
}

class NullSinkServer {
public:
    NullSinkServer() = default;
    NullSinkServer(const NullSinkServer&) = delete;
    NullSinkServer& operator=(const NullSinkServer&) = delete;
    ~NullSinkServer() { stop(); }

    // Starts the server with its socket, log and runtime files in folder.
    // Empty when it runs, else why not, naming what is then not measured.
    QString start(const QString& folder, const QString& unmeasured) {
        for (const char* tool : {"pulseaudio", "pactl", "pacat", "parec"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                return QStringLiteral("%1 is not installed; %2 is not measured").arg(tool, unmeasured);
        const QString socket = folder + QStringLiteral("/native");
        const QString clientConfig = folder + QStringLiteral("/client.conf");
        QFile config(clientConfig);
        if (!config.open(QIODevice::WriteOnly) || config.write("autospawn = no\n") < 0)
            return QStringLiteral("the client configuration cannot be written");
        config.close();
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert("XDG_RUNTIME_DIR", folder);
        m_environment.insert("HOME", folder);
        m_environment.insert("PULSE_SERVER", "unix:" + socket);
        m_environment.insert("PULSE_CLIENTCONFIG", clientConfig);

        m_server = HelperProcess(m_environment);
        m_server->setStandardOutputFile(folder + QStringLiteral("/pulseaudio.log"));
        m_server->setStandardErrorFile(folder + QStringLiteral("/pulseaudio.log"), QIODevice::Append);
        m_server->start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                                       "--log-level=error", "-L",
                                       "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                                       "module-null-sink sink_name=probe norewinds=1"});
        if (!m_server->waitForStarted())
            return QStringLiteral("pulseaudio does not start; %1 is not measured").arg(unmeasured);
        const auto answers = [this] {
            QProcess info;
            info.setProcessEnvironment(m_environment);
            info.start("pactl", {"set-default-sink", "probe"});
            return info.waitForFinished() && info.exitStatus() == QProcess::NormalExit &&
                   info.exitCode() == 0;
        };
        if (!QTest::qWaitFor([&] { return m_server->state() != QProcess::Running || answers(); }, 10000) ||
            m_server->state() != QProcess::Running)
            return QStringLiteral("the private pulseaudio server does not answer; %1 is not measured")
                .arg(unmeasured);
        // The null sink runs on its own clock only while something plays into it.
        m_feeder = HelperProcess(m_environment);
        m_feeder->setStandardInputFile("/dev/zero");
        m_feeder->start("pacat", {"-p", "--raw"});
        if (!m_feeder->waitForStarted())
            return QStringLiteral("pacat does not start; %1 is not measured").arg(unmeasured);
        return {};
    }

    void stop() {
        StopHelper(m_feeder);
        StopHelper(m_server);
    }

    // What a client of this server runs with.
    const QProcessEnvironment& environment() const { return m_environment; }

private:
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_feeder;
};
