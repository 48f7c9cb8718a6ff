#pragma once

// A private PostgreSQL for a test, as a school's server but reachable only
// through a Unix socket in a temporary folder: tests/klasse/pgserver.sh makes
// the cluster there (run by Debian's postgres account when the test runs as
// root) and stops it when this object goes, or when the test process ends
// however it ends, since the script stops the server once its input closes.
// The superuser comes in without a password through psql(); a login gets
// libpq's own files with writeLogin(), and environment() points libpq at
// them, as a class computer is set up. Needs OLLO_PGSERVER_SCRIPT, the
// script's path, defined for the test.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include <signal.h>

class PgServer {
public:
    PgServer() = default;
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;
    ~PgServer() { stop(); }

    // Empty once the server accepts connections, else why it does not; a
    // reason beginning with "SKIP:" means PostgreSQL is not installed (for
    // QSKIP). settings are server settings for the new cluster, "name=value".
    QString start(const QStringList& settings = {}) {
        stop();
        // Directly in the temporary folder: the postgres account must reach it.
        m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ollo-pg-XXXXXX"));
        if (!m_folder->isValid())
            return QStringLiteral("no temporary folder for the server");
        m_server.start(QStringLiteral(OLLO_PGSERVER_SCRIPT),
                       QStringList{"serve", m_folder->path()} + settings);
        // initdb, then at most 60 s for the server to accept connections.
        const QDeadlineTimer deadline(120000);
        while (m_pid == 0) {
            while (m_pid == 0 && m_server.canReadLine()) {
                const QString line = QString::fromLocal8Bit(m_server.readLine()).trimmed();
                if (line.startsWith(QLatin1String("SKIP:")))
                    return line;
                const QString value = line.section(u'=', 1);
                if (line.startsWith(QLatin1String("PGHOST=")))
                    m_host = value;
                else if (line.startsWith(QLatin1String("PGPORT=")))
                    m_port = value;
                else if (line.startsWith(QLatin1String("PGUSER=")))
                    m_superuser = value;
                else if (line.startsWith(QLatin1String("PGPID=")))
                    m_pid = value.toLongLong();
            }
            if (m_pid != 0)
                break;
            if (!m_server.waitForReadyRead(1000) &&
                (m_server.state() == QProcess::NotRunning || deadline.hasExpired())) {
                const QString told = QString::fromLocal8Bit(m_server.readAllStandardOutput()).trimmed();
                if (told.startsWith(QLatin1String("SKIP:")))
                    return told;
                const QString said = QString::fromLocal8Bit(m_server.readAllStandardError()).trimmed();
                stop();
                return said.isEmpty() ? QStringLiteral("the PostgreSQL server did not start within 120 s")
                                      : said;
            }
        }
        return {};
    }

    // Closing the script's input stops the server; the folder goes after it.
    void stop() {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.closeWriteChannel();
            if (!m_server.waitForFinished(60000)) {
                m_server.kill();
                m_server.waitForFinished();
            }
        }
        m_pid = 0;
        m_folder.reset();
    }

    // The postmaster, for a test that freezes the server (SIGSTOP).
    qint64 pid() const { return m_pid; }

    // Sends signal to the postmaster and every process it started (its
    // connections' backends too): SIGSTOP freezes the whole server.
    bool signalAll(int signal) const {
        QProcess ps;
        ps.start(QStringLiteral("ps"), {QStringLiteral("-o"), QStringLiteral("pid="),
                                        QStringLiteral("--ppid"), QString::number(m_pid)});
        ps.waitForFinished();
        QStringList pids{QString::number(m_pid)};
        for (const QByteArray& line : ps.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                pids << QString::fromLatin1(line.trimmed());
        // A backend may have ended meanwhile: the postmaster is the one that counts.
        QProcess kill;
        kill.setStandardErrorFile(QProcess::nullDevice());
        kill.start(QStringLiteral("kill"), QStringList{QStringLiteral("-%1").arg(signal)} + pids);
        kill.waitForFinished();
        return ::kill(pid_t(m_pid), 0) == 0;
    }

    // Stops the server and starts it again on the same cluster, as a
    // school's server goes down and comes back.
    bool halt() const { return control(QStringLiteral("stop")); }
    bool resume() {
        QProcess script;
        script.start(QStringLiteral(OLLO_PGSERVER_SCRIPT), {QStringLiteral("start"), m_folder->path()});
        if (!script.waitForFinished(120000) || script.exitCode() != 0)
            return false;
        for (const QByteArray& line : script.readAllStandardOutput().split('\n'))
            if (line.startsWith("PGPID="))
                m_pid = line.mid(6).toLongLong();
        return true;
    }
    // The folder of the server's socket: libpq's "host".
    const QString& host() const { return m_host; }
    const QString& port() const { return m_port; }

    // Runs psql as the superuser on a database, stopping at the first error.
    // input is the SQL (and psql's commands); output gets what psql printed
    // (rows unaligned, without headers) or, when it failed, its error.
    bool psql(const QString& database, const QString& input, QString* output = nullptr,
              const QStringList& arguments = {}) const {
        QProcess psql;
        psql.setProcessEnvironment(clientEnvironment());
        psql.start(QStringLiteral("psql"),
                   QStringList{"-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h", m_host, "-p", m_port,
                               "-U", m_superuser, "-d", database} +
                       arguments);
        psql.write(input.toUtf8());
        psql.closeWriteChannel();
        if (!psql.waitForFinished(300000)) {
            psql.kill();
            psql.waitForFinished();
        }
        const bool ok = psql.exitStatus() == QProcess::NormalExit && psql.exitCode() == 0;
        if (output)
            *output =
                QString::fromUtf8(ok ? psql.readAllStandardOutput() : psql.readAllStandardError()).trimmed();
        return ok;
    }

    // Adds a service of this name for the login to folder's pg_service.conf,
    // and its password to folder's pgpass (readable by its owner only, or
    // libpq ignores it).
    bool writeLogin(const QString& folder, const QString& service, const QString& database,
                    const QString& user, const QString& password) const {
        QFile services(ServiceFile(folder));
        QFile passwords(PassFile(folder));
        if (!services.open(QIODevice::WriteOnly | QIODevice::Append) ||
            !passwords.open(QIODevice::WriteOnly | QIODevice::Append) ||
            !passwords.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return false;
        services.write(QStringLiteral("[%1]\nhost=%2\nport=%3\ndbname=%4\nuser=%5\n\n")
                           .arg(service, m_host, m_port, database, user)
                           .toUtf8());
        // ':' and '\' in a field are escaped with '\'.
        const auto field = [](QString text) {
            return text.replace(u'\\', QLatin1String("\\\\")).replace(u':', QLatin1String("\\:"));
        };
        passwords.write(QStringLiteral("%1:%2:%3:%4:%5\n")
                            .arg(field(m_host), m_port, field(database), field(user), field(password))
                            .toUtf8());
        return services.error() == QFileDevice::NoError && passwords.error() == QFileDevice::NoError;
    }

    static QString ServiceFile(const QString& folder) { return QDir(folder).filePath("pg_service.conf"); }
    static QString PassFile(const QString& folder) { return QDir(folder).filePath("pgpass"); }

    // An environment in which libpq finds host, user and password only in
    // folder's files, as on a class computer.
    static QProcessEnvironment
    Environment(const QString& folder, QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) {
        for (const char* name : {"PGHOST", "PGHOSTADDR", "PGPORT", "PGDATABASE", "PGUSER", "PGPASSWORD",
                                 "PGSERVICE", "PGSYSCONFDIR"})
            base.remove(QLatin1String(name));
        base.insert(QStringLiteral("PGSERVICEFILE"), ServiceFile(folder));
        base.insert(QStringLiteral("PGPASSFILE"), PassFile(folder));
        return base;
    }

private:
    bool control(const QString& command) const {
        QProcess script;
        script.start(QStringLiteral(OLLO_PGSERVER_SCRIPT), {command, m_folder->path()});
        return script.waitForFinished(120000) && script.exitCode() == 0;
    }

    static QProcessEnvironment clientEnvironment() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
        environment.remove(QStringLiteral("PGSERVICEFILE"));
        environment.remove(QStringLiteral("PGPASSFILE"));
        return environment;
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    QProcess m_server;
    QString m_host;
    QString m_port;
    QString m_superuser;
    qint64 m_pid = 0;
};
