#include "record/classupload.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>
#include <QUuid>
#include <QVariant>

#include <dlfcn.h>
#include <sys/socket.h>

#include <cstdio>
#include <vector>

#include "base/classroster.h"

namespace {

// The few calls of libpq that Qt's driver does not make: the connection's
// socket (to shut it when the server hangs) and what a refused connection
// was refused for. Taken from the libpq the driver has loaded.
struct LibPq {
    using Conn = void*;
    int (*socket)(const void*) = nullptr;
    Conn (*connectdb)(const char*) = nullptr;
    int (*status)(const void*) = nullptr;
    char* (*errorMessage)(const void*) = nullptr;
    int (*needsPassword)(const void*) = nullptr;
    int (*usedPassword)(const void*) = nullptr;
    void (*finish)(Conn) = nullptr;

    static const LibPq* Get() {
        static const LibPq pq = [] {
            LibPq found;
            void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
            if (library == nullptr)
                return found;
            const auto take = [library](auto& function, const char* name) {
                function =
                    reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            };
            take(found.socket, "PQsocket");
            take(found.connectdb, "PQconnectdb");
            take(found.status, "PQstatus");
            take(found.errorMessage, "PQerrorMessage");
            take(found.needsPassword, "PQconnectionNeedsPassword");
            take(found.usedPassword, "PQconnectionUsedPassword");
            take(found.finish, "PQfinish");
            return found;
        }();
        return pq.socket && pq.connectdb && pq.status && pq.errorMessage && pq.needsPassword &&
                       pq.usedPassword && pq.finish
                   ? &pq
                   : nullptr;
    }
};

constexpr int kConnectionBad = 1; // libpq's CONNECTION_BAD

// libpq's connection string: a value in single quotes, ' and \ escaped.
QString quoted(QString value) {
    return u'\'' + value.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'")) + u'\'';
}

QString sqlState(const QSqlError& error) {
    return error.nativeErrorCode();
}

// Rows as one multi-row VALUES list, each value written by the driver.
class ValuesList {
public:
    explicit ValuesList(const QSqlDriver* driver)
        : m_driver(driver) {}
    void row(const QVariantList& values) {
        QString row = m_rows.isEmpty() ? QStringLiteral("(") : QStringLiteral(",(");
        for (qsizetype i = 0; i < values.size(); ++i) {
            QSqlField field(QString(), values[i].metaType());
            field.setValue(values[i]);
            if (i > 0)
                row += u',';
            row += m_driver->formatValue(field);
        }
        m_rows += row + u')';
    }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const QString& text() const { return m_rows; }

private:
    const QSqlDriver* m_driver;
    QString m_rows;
};

struct Marks {
    QUuid space;
    qint64 drill = 0;
    qint64 task = 0;
    qint64 answer = 0;
    qint64 openDrill = 0;
    bool setAside = false;
};

// A class computer's record, opened for the uploader beside the program's
// own connection; the program's writing wins any wait for the file.
class LocalRecord {
public:
    explicit LocalRecord(const QString& filePath)
        : m_name(QStringLiteral("ollo-class-record-%1").arg(quintptr(this))) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(filePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!QFileInfo(filePath).isFile() || !db.open())
            return;
        QSqlQuery query(db);
        // A record the program is still setting up is left for the next run.
        if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next() || query.value(0).toInt() < 1)
            return;
        m_open = query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS class_upload ("
                                           " single INTEGER PRIMARY KEY CHECK (single = 1),"
                                           " namespace TEXT NOT NULL,"
                                           " drill INTEGER NOT NULL DEFAULT 0,"
                                           " task INTEGER NOT NULL DEFAULT 0,"
                                           " answer INTEGER NOT NULL DEFAULT 0,"
                                           " open_drill INTEGER NOT NULL DEFAULT 0,"
                                           " set_aside INTEGER NOT NULL DEFAULT 0)")) &&
                 query.prepare(
                     QStringLiteral("INSERT OR IGNORE INTO class_upload (single, namespace) VALUES (1, ?)"));
        if (m_open) {
            query.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
            m_open = query.exec();
        }
    }
    ~LocalRecord() {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    LocalRecord(const LocalRecord&) = delete;
    LocalRecord& operator=(const LocalRecord&) = delete;

    bool isOpen() const { return m_open; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    bool readMarks(Marks& marks) const {
        QSqlQuery query(db());
        if (!query.exec(QStringLiteral(
                "SELECT namespace, drill, task, answer, open_drill, set_aside FROM class_upload")) ||
            !query.next())
            return false;
        marks = {QUuid::fromString(query.value(0).toString()),
                 query.value(1).toLongLong(),
                 query.value(2).toLongLong(),
                 query.value(3).toLongLong(),
                 query.value(4).toLongLong(),
                 query.value(5).toBool()};
        return !marks.space.isNull();
    }

    bool writeMarks(const Marks& marks) const {
        QSqlQuery query(db());
        query.prepare(
            QStringLiteral("UPDATE class_upload SET drill = ?, task = ?, answer = ?, open_drill = ?,"
                           " set_aside = ?"));
        for (const QVariant& value : {QVariant(marks.drill), QVariant(marks.task), QVariant(marks.answer),
                                      QVariant(marks.openDrill), QVariant(int(marks.setAside))})
            query.addBindValue(value);
        return query.exec();
    }

    int waiting(const Marks& marks) const {
        if (marks.setAside)
            return 0;
        QSqlQuery query(db());
        query.prepare(QStringLiteral("SELECT count(*) FROM answer WHERE id > ?"));
        query.addBindValue(marks.answer);
        return query.exec() && query.next() ? query.value(0).toInt() : 0;
    }

private:
    QString m_name;
    bool m_open = false;
};

QString rowId(const QUuid& space, const char* table, qint64 id) {
    return QUuid::createUuidV5(space, QStringLiteral("%1/%2").arg(QLatin1String(table)).arg(id))
        .toString(QUuid::WithoutBraces);
}

// This computer's records of the class: the child's id from each name.
std::vector<std::pair<QString, QString>> classRecords(const ClassRoster& roster) {
    std::vector<std::pair<QString, QString>> records;
    const QString prefix = roster.recordBaseName(QString());
    const QDir folder(ClassRoster::DataFolder());
    for (const QString& name :
         folder.entryList({prefix + QStringLiteral("*.sqlite")}, QDir::Files, QDir::Name)) {
        const QString id = name.mid(prefix.size()).chopped(int(qstrlen(".sqlite")));
        const QUuid uuid = QUuid::fromString(id);
        if (!uuid.isNull() && uuid.toString(QUuid::WithoutBraces) == id)
            records.emplace_back(folder.filePath(name), id);
    }
    return records;
}

} // namespace

ClassUpload::ClassUpload(ClassConfig config, QString programBaseName)
    : m_config(std::move(config))
    , m_programBaseName(std::move(programBaseName))
    , m_serverConnection(QStringLiteral("ollo-class-server-%1").arg(quintptr(this))) {
}

ClassUpload::~ClassUpload() {
    disconnect();
    closeConnection();
    QSqlDatabase::removeDatabase(m_serverConnection);
}

QString ClassUpload::takeNotice() {
    return std::exchange(m_notice, QString());
}

void ClassUpload::tell(const QString& notice) {
    // Each cause once; the same cause again after another is told again.
    if (notice == m_told)
        return;
    m_told = notice;
    m_notice = notice;
}

ClassUpload::Outcome ClassUpload::refuse(const QString& notice) {
    tell(notice);
    disconnect();
    return Outcome::Refused;
}

ClassUpload::Outcome ClassUpload::lost(const QSqlError& error) {
    m_unreachable = error.text();
    disconnect();
    return Outcome::Unreachable;
}

void ClassUpload::abortConnection() {
    const QMutexLocker locker(&m_socketLock);
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
}

void ClassUpload::disconnect() {
    {
        const QMutexLocker locker(&m_socketLock);
        m_socket = -1;
    }
    m_classId.clear();
    m_closePending = true;
}

// Closed only once no statement of it is left, at the next connection.
void ClassUpload::closeConnection() {
    if (std::exchange(m_closePending, false) && QSqlDatabase::contains(m_serverConnection)) {
        QSqlDatabase db = QSqlDatabase::database(m_serverConnection, false);
        db.close();
    }
}

bool ClassUpload::connect() {
    if (!m_classId.isEmpty() && QSqlDatabase::database(m_serverConnection, false).isOpen())
        return true;
    closeConnection();
    const QString klass = QStringLiteral("Klasse %1").arg(m_config.className);
    if (!m_config.problem().isEmpty()) {
        refuse(m_config.problem());
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(m_serverConnection)
                          ? QSqlDatabase::database(m_serverConnection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_serverConnection);
    const LibPq* pq = db.isValid() ? LibPq::Get() : nullptr;
    if (pq == nullptr) {
        refuse(
            QStringLiteral("%1: Ollo kann den Schulserver nicht erreichen, weil der PostgreSQL-Treiber von "
                           "Qt fehlt (Debian-Paket „libqt6sql6-psql“). Die Kinder üben trotzdem; ihre "
                           "Antworten bleiben auf diesem Rechner, bis der Treiber installiert ist.")
                .arg(klass));
        return false;
    }
    // Where the server is, who logs in and how: libpq's own files alone.
    const QString options =
        QStringLiteral("service=%1;connect_timeout=5;application_name=ollo").arg(quoted(m_config.service));
    db.setConnectOptions(options);
    if (!db.open()) {
        // Asked once more, of libpq itself: what was it refused for?
        void* conn = pq->connectdb(QString(options).replace(u';', u' ').toUtf8().constData());
        const QString said = QString::fromUtf8(pq->errorMessage(conn)).trimmed();
        const bool bad = pq->status(conn) == kConnectionBad;
        const bool password = pq->needsPassword(conn) != 0 || pq->usedPassword(conn) != 0;
        pq->finish(conn);
        if (bad && (said.contains(u'"' + m_config.service + u'"') ||
                    said.contains(QStringLiteral("»%1«").arg(m_config.service)))) {
            refuse(QStringLiteral("%1: Den Dienst „%2“, den „%3“ nennt, kennt libpq nicht. Tragen Sie ihn in "
                                  "pg_service.conf ein (siehe README, „In der Schule“).\n(%4)")
                       .arg(klass, m_config.service, QDir::toNativeSeparators(m_config.filePath), said));
            return false;
        }
        if (bad && password) {
            refuse(
                QStringLiteral("%1: Der Schulserver hat die Anmeldung dieses Rechners abgelehnt. Stimmt das "
                               "Passwort in .pgpass (Dienst „%2“)?\n(%3)")
                    .arg(klass, m_config.service, said));
            return false;
        }
        m_unreachable = said.isEmpty() ? db.lastError().text() : said;
        disconnect();
        return false;
    }
    {
        const QMutexLocker locker(&m_socketLock);
        const QVariant handle = db.driver()->handle();
        m_socket = handle.isValid() ? pq->socket(*static_cast<void* const*>(handle.constData())) : -1;
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT max(version) FROM ollo.schema_version")) || !query.next()) {
        const QString state = sqlState(query.lastError());
        if (state == QLatin1String("42P01") || state == QLatin1String("3F000") ||
            state == QLatin1String("42501")) {
            refuse(
                QStringLiteral("%1: Auf dem Schulserver (Dienst „%2“) fehlt Ollos Schema „ollo“, oder "
                               "diese Anmeldung darf es nicht lesen. Richten Sie es mit ollo-klasse.sql ein "
                               "(siehe README, „In der Schule“).\n(%3)")
                    .arg(klass, m_config.service, query.lastError().databaseText()));
        } else {
            lost(query.lastError());
        }
        return false;
    }
    const int version = query.value(0).toInt();
    if (version > ServerSchema) {
        refuse(QStringLiteral("%1: Das Schema „ollo“ auf dem Schulserver hat Version %2; dieses Ollo kennt "
                              "nur Version %3. Bitte installieren Sie auf diesem Rechner die Ollo-Version, "
                              "die zum Server passt. Bis dahin bleiben die Antworten hier.")
                   .arg(klass)
                   .arg(version)
                   .arg(ServerSchema));
        return false;
    }
    query.prepare(QStringLiteral("SELECT id FROM ollo.classes WHERE name = ?"));
    query.addBindValue(m_config.className);
    if (!query.exec()) {
        lost(query.lastError());
        return false;
    }
    if (!query.next()) {
        refuse(QStringLiteral("%1: Die Klasse „%2“ gibt es auf dem Schulserver nicht, oder die Anmeldung des "
                              "Dienstes „%3“ gehört nicht zu ihr. Prüfen Sie „Klasse=“ in „%4“.")
                   .arg(klass, m_config.className, m_config.service,
                        QDir::toNativeSeparators(m_config.filePath)));
        return false;
    }
    m_classId = query.value(0).toString();

    // The roster, kept here for a start without the server.
    query.prepare(QStringLiteral("SELECT id, name FROM ollo.children WHERE class_id = ?"));
    query.addBindValue(m_classId);
    if (!query.exec()) {
        lost(query.lastError());
        return false;
    }
    std::vector<ClassRoster::Child> children;
    while (query.next())
        children.push_back({query.value(0).toString(), query.value(1).toString()});
    ClassRoster roster(m_programBaseName, m_config.className);
    const std::vector<ClassRoster::Child> before = roster.children();
    for (const ClassRoster::Child& child : before)
        m_names[child.id] = child.name;
    roster.save(std::move(children));
    for (const ClassRoster::Child& child : roster.children())
        m_names[child.id] = child.name;
    if (roster.children() != before)
        m_rosterChanged = true;
    m_told.clear();
    return true;
}

ClassUpload::Outcome ClassUpload::run() {
    if (!connect()) {
        countWaiting();
        return m_classId.isEmpty() && !m_notice.isEmpty() ? Outcome::Refused : Outcome::Unreachable;
    }
    Outcome outcome = Outcome::Done;
    const ClassRoster roster(m_programBaseName, m_config.className);
    for (const auto& [file, childId] : classRecords(roster))
        if (!sendRecord(file, childId, &outcome))
            break;
    countWaiting();
    return outcome;
}

void ClassUpload::countWaiting() {
    int waiting = 0;
    const ClassRoster roster(m_programBaseName, m_config.className);
    for (const auto& [file, childId] : classRecords(roster)) {
        const LocalRecord record(file);
        Marks marks;
        if (record.isOpen() && record.readMarks(marks))
            waiting += record.waiting(marks);
    }
    m_waiting = waiting;
}

QString ClassUpload::childName(const QString& childId) const {
    const auto known = m_names.find(childId);
    return known == m_names.end() ? QString() : known->second;
}

bool ClassUpload::sendRecord(const QString& filePath, const QString& childId, Outcome* outcome) {
    const LocalRecord record(filePath);
    Marks marks;
    if (!record.isOpen() || !record.readMarks(marks) || marks.setAside)
        return true;
    QSqlDatabase server = QSqlDatabase::database(m_serverConnection, false);
    const QSqlDriver* driver = server.driver();
    QSqlQuery local(record.db());
    local.setForwardOnly(true);
    QSqlQuery remote(server);
    const QVariant klass(m_classId);
    const QVariant child(childId);

    while (!QThread::currentThread()->isInterruptionRequested()) {
        // The next drills, their tasks and their tasks' answers: rows are
        // numbered in the order they were written, so each is a run of
        // numbers after the last one sent.
        Marks next = marks;
        ValuesList drills(driver);
        ValuesList ends(driver);
        local.prepare(
            QStringLiteral("SELECT id, started, ended, command, caption, operation, series, task_count,"
                           " how_ended FROM drill WHERE id > ? OR id = ? ORDER BY id LIMIT ?"));
        local.addBindValue(marks.drill);
        local.addBindValue(marks.openDrill);
        local.addBindValue(DrillsPerCommit + 1);
        if (!local.exec())
            return true;
        bool newDrills = false;
        bool openEnded = false;
        while (local.next()) {
            const qint64 id = local.value(0).toLongLong();
            const bool ended = !local.value(2).isNull();
            const QString uuid = rowId(marks.space, "drill", id);
            const QVariant endedAt = ended ? QVariant(local.value(2).toLongLong() * 1000)
                                           : QVariant(QMetaType::fromType<qlonglong>());
            const QVariant howEnded =
                ended ? QVariant(local.value(8).toInt()) : QVariant(QMetaType::fromType<int>());
            if (id > marks.drill) {
                newDrills = true;
                next.drill = id;
                // Only the last drill can still be running.
                next.openDrill = ended ? 0 : id;
                drills.row({klass, child, uuid, local.value(1).toLongLong() * 1000, endedAt,
                            local.value(3).toInt(), local.value(4).toString(), local.value(5).toInt(),
                            local.value(6).toInt(), local.value(7).toInt(), howEnded});
            } else {
                openEnded = ended;
            }
            // An end the server may not have yet: of a drill sent while it
            // ran, or sent again after a run that stopped before noting it.
            if (ended)
                ends.row({uuid, endedAt, howEnded});
        }
        // A drill sent while it ran and still running keeps waiting for its
        // end; once later drills follow, it was left unended for good.
        if (!newDrills && openEnded)
            next.openDrill = 0;

        ValuesList tasks(driver);
        local.prepare(
            QStringLiteral("SELECT id, drill, number, posed, operation, factor, series, text, expected"
                           " FROM task WHERE id > ? AND drill <= ? ORDER BY id"));
        local.addBindValue(marks.task);
        local.addBindValue(next.drill);
        if (!local.exec())
            return true;
        while (local.next()) {
            next.task = local.value(0).toLongLong();
            tasks.row({klass, child, rowId(marks.space, "task", next.task),
                       rowId(marks.space, "drill", local.value(1).toLongLong()), local.value(2).toInt(),
                       local.value(3).toLongLong() * 1000, local.value(4).toInt(), local.value(5).toInt(),
                       local.value(6).toInt(), local.value(7).toString(), local.value(8).toString()});
        }
        ValuesList answers(driver);
        local.prepare(QStringLiteral("SELECT id, task, attempt, at, typed, correct, choice, thinking_ms"
                                     " FROM answer WHERE id > ? AND task <= ? ORDER BY id"));
        local.addBindValue(marks.answer);
        local.addBindValue(next.task);
        if (!local.exec())
            return true;
        while (local.next()) {
            next.answer = local.value(0).toLongLong();
            answers.row({klass, child, rowId(marks.space, "answer", next.answer),
                         rowId(marks.space, "task", local.value(1).toLongLong()), local.value(2).toInt(),
                         local.value(3).toLongLong() * 1000, local.value(4).toString(),
                         local.value(5).toBool(), local.value(6).toInt(), local.value(7).toLongLong()});
        }
        local.finish();
        if (drills.isEmpty() && tasks.isEmpty() && answers.isEmpty() && ends.isEmpty())
            return true;

        const bool sent =
            server.transaction() &&
            (drills.isEmpty() ||
             remote.exec(
                 QStringLiteral("INSERT INTO ollo.drills (class_id, child_id, id, started, ended, command,"
                                " caption, operation, series, task_count, how_ended) VALUES %1"
                                " ON CONFLICT DO NOTHING")
                     .arg(drills.text()))) &&
            (ends.isEmpty() ||
             remote.exec(QStringLiteral("UPDATE ollo.drills d SET ended = e.ended, how_ended = e.how_ended"
                                        " FROM (VALUES %1) e (id, ended, how_ended)"
                                        " WHERE d.class_id = '%2' AND d.child_id = '%3' AND d.id = e.id::uuid"
                                        " AND d.ended IS NULL")
                             .arg(ends.text(), m_classId, childId))) &&
            (tasks.isEmpty() ||
             remote.exec(
                 QStringLiteral("INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed,"
                                " operation, factor, series, text, expected) VALUES %1"
                                " ON CONFLICT DO NOTHING")
                     .arg(tasks.text()))) &&
            (answers.isEmpty() ||
             remote.exec(
                 QStringLiteral("INSERT INTO ollo.answers (class_id, child_id, id, task_id, attempt, at,"
                                " typed, correct, choice, thinking_ms) VALUES %1"
                                " ON CONFLICT DO NOTHING")
                     .arg(answers.text()))) &&
            server.commit();
        if (!sent) {
            const QSqlError error = remote.lastError().isValid() ? remote.lastError() : server.lastError();
            remote.finish();
            if (server.isOpen())
                server.rollback();
            const LibPq* pq = LibPq::Get();
            const QVariant handle = server.driver()->handle();
            const bool connectionBad =
                !server.isOpen() || !handle.isValid() ||
                pq->status(*static_cast<void* const*>(handle.constData())) == kConnectionBad ||
                sqlState(error).startsWith(QLatin1String("08")) ||
                sqlState(error).startsWith(QLatin1String("57"));
            if (connectionBad) {
                *outcome = lost(error);
                return false;
            }
            if (sqlState(error) == QLatin1String("23503")) {
                // The child was taken off the class on the server: its rows
                // stay here, and the others go on.
                marks.setAside = true;
                record.writeMarks(marks);
                const QString name = childName(childId);
                tell(
                    QStringLiteral("Klasse %1: %2 ist auf dem Schulserver nicht mehr in der Klasse. Die "
                                   "Antworten, die hier noch für %3 warten, bleiben nur auf diesem Rechner "
                                   "und werden nicht mehr gesendet.")
                        .arg(m_config.className,
                             name.isEmpty() ? QStringLiteral("Ein Kind dieses Rechners") : u'„' + name + u'“',
                             name.isEmpty() ? QStringLiteral("es") : name));
                return true;
            }
            *outcome =
                refuse(QStringLiteral("Klasse %1: Der Schulserver nimmt die Antworten dieses Rechners "
                                      "nicht an. Sie bleiben hier und werden später erneut gesendet.\n(%2)")
                           .arg(m_config.className, error.text()));
            return false;
        }
        if (afterServerCommit)
            afterServerCommit();
        if (!record.writeMarks(next))
            return true;
        marks = next;
    }
    return false;
}
