#include "klasse/classserver.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <dlfcn.h>
#include <sys/socket.h>

#include <algorithm>

#include "record/serverstore.h"

namespace {

// The schema version this view reads.
constexpr int kSchema = 1;

// libpq's connection string: a value in single quotes, ' and \ escaped.
QString quoted(QString value) {
    return u'\'' + value.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'")) + u'\'';
}

// PQsocket of the libpq Qt's driver has loaded: the connection's socket, to
// be shut when the server hangs.
int socketOf(const QSqlDatabase& db) {
    using Socket = int (*)(const void*);
    static const Socket socket = [] {
        void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
        return library ? reinterpret_cast<Socket>(dlsym(library, "PQsocket")) : Socket(nullptr);
    }();
    const QVariant handle = db.driver()->handle();
    if (socket == nullptr || !handle.isValid())
        return -1;
    return socket(*static_cast<void* const*>(handle.constData()));
}

// A name as the roster takes it: trimmed, 1 to 40 characters.
QString rosterName(const QString& name, QString* problem) {
    const QString trimmed = name.simplified();
    if (trimmed.isEmpty())
        *problem = QStringLiteral("Bitte geben Sie einen Namen ein.");
    else if (trimmed.size() > 40)
        *problem = QStringLiteral("Der Name ist zu lang; er darf höchstens 40 Zeichen haben.");
    return trimmed;
}

qint64 mondayOf(qint64 now) {
    const QDate today = QDateTime::fromSecsSinceEpoch(now).date();
    return QDateTime(today.addDays(1 - today.dayOfWeek()), QTime(0, 0)).toMSecsSinceEpoch();
}

} // namespace

ClassServer::ClassServer(QString connectionName, QObject* parent)
    : QObject(parent)
    , m_connection(std::move(connectionName)) {
}

ClassServer::~ClassServer() {
    close();
}

void ClassServer::close() {
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_socket = -1;
    m_listening = false;
}

bool ClassServer::isOpen() const {
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

bool ClassServer::fail(const QSqlError& error) {
    const QString state = error.nativeErrorCode();
    if (state == QLatin1String("42501"))
        m_error = QStringLiteral("Diese Anmeldung darf das nicht. Nur die Lehrkraft der Klasse darf ihre "
                                 "Kinder sehen und verwalten.");
    else if (state == QLatin1String("23505"))
        m_error = QStringLiteral("In der Klasse gibt es schon ein Kind mit diesem Namen.");
    else if (state == QLatin1String("57014"))
        m_error = QStringLiteral("Der Schulserver hat zu lange nicht geantwortet.");
    else
        m_error = QStringLiteral("Der Schulserver hat die Anfrage nicht beantwortet (%1).")
                      .arg(error.text().trimmed());
    return false;
}

bool ClassServer::open(const ClassConfig& config) {
    close();
    m_config = config;
    m_classes.clear();
    m_current = {};
    if (!config.problem().isEmpty()) {
        m_error = config.problem();
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    if (!db.isValid()) {
        m_error =
            QStringLiteral("Ollo kann den Schulserver nicht erreichen, weil der PostgreSQL-Treiber von Qt "
                           "fehlt (Debian-Paket „libqt6sql6-psql“).");
        return false;
    }
    // Where the server is and who logs in: libpq's own files alone. A
    // statement that takes longer than 20 s is given up.
    db.setConnectOptions(QStringLiteral("service=%1;connect_timeout=5;application_name=ollo-klasse;"
                                        "options='-c statement_timeout=20000'")
                             .arg(quoted(config.service)));
    if (!db.open()) {
        m_error =
            QStringLiteral("Ollo kann den Schulserver nicht erreichen (Dienst „%1“ aus „%2“). Läuft der "
                           "Server, und stimmen der Dienst in pg_service.conf und das Passwort in "
                           ".pgpass? Siehe die Hilfe, „Klassenübersicht für Lehrkräfte“.\n(%3)")
                .arg(config.service, QDir::toNativeSeparators(config.filePath),
                     db.lastError().text().trimmed());
        return false;
    }
    m_socket = socketOf(db);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT max(version) FROM ollo.schema_version")) || !query.next()) {
        m_error = QStringLiteral("Auf dem Schulserver fehlt Ollos Schema „ollo“, oder diese Anmeldung darf "
                                 "es nicht lesen. Richten Sie es mit ollo-klasse.sql ein (siehe die Hilfe, "
                                 "„Klassenübersicht für Lehrkräfte“).\n(%1)")
                      .arg(query.lastError().databaseText().trimmed());
        return false;
    }
    if (query.value(0).toInt() > kSchema) {
        m_error =
            QStringLiteral("Das Schema „ollo“ auf dem Schulserver hat Version %1; dieses Ollo kennt nur "
                           "Version %2. Bitte installieren Sie die Ollo-Version, die zum Server passt.")
                .arg(query.value(0).toInt())
                .arg(kSchema);
        return false;
    }
    // The classes this login teaches: its own memberships are all it sees.
    if (!query.exec(QStringLiteral("SELECT c.id, c.name FROM ollo.classes c JOIN ollo.members m"
                                   " ON m.class_id = c.id AND m.kind = 'teacher'"
                                   " WHERE m.login::oid = to_regrole(quote_ident(current_user))::oid"
                                   " ORDER BY c.name")))
        return fail(query.lastError());
    while (query.next())
        m_classes.push_back({query.value(0).toString(), query.value(1).toString()});
    if (m_classes.empty()) {
        m_error = QStringLiteral("Die Anmeldung des Dienstes „%1“ ist keine Lehrkraft einer Klasse. Die "
                                 "Klassenübersicht braucht die Anmeldung einer Lehrkraft (siehe die Hilfe, "
                                 "„Klassenübersicht für Lehrkräfte“).")
                      .arg(config.service);
        return false;
    }
    const auto named = std::find_if(m_classes.begin(), m_classes.end(),
                                    [&](const ClassInfo& c) { return c.name == config.className; });
    m_current = named != m_classes.end() ? *named : m_classes.front();
    m_error.clear();
    return true;
}

bool ClassServer::reconnect() {
    const QString chosen = m_current.id;
    const bool listening = m_listening;
    if (!open(m_config))
        return false;
    chooseClass(chosen);
    return !listening || listen();
}

bool ClassServer::answers() {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    return query.exec(QStringLiteral("SELECT 1"));
}

bool ClassServer::chooseClass(const QString& classId) {
    for (const ClassInfo& klass : m_classes)
        if (klass.id == classId) {
            m_current = klass;
            return true;
        }
    return false;
}

bool ClassServer::readGrid(ClassGrid& grid) {
    grid = {};
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, name FROM ollo.children WHERE class_id = ?"));
    query.addBindValue(m_current.id);
    if (!query.exec())
        return fail(query.lastError());
    QHash<QString, QString> names;
    while (query.next())
        names.insert(query.value(0).toString(), query.value(1).toString());
    grid.children = int(names.size());
    // One row per fact practised in the class, from the standings the
    // server keeps as answers arrive: no task or answer is read.
    query.prepare(QStringLiteral(
        "SELECT operation, factor, series, count(*) FILTER (WHERE security = 1),"
        " count(*) FILTER (WHERE security = 2), count(*),"
        " coalesce(string_agg(child_id::text, ',') FILTER (WHERE security = 3), '')"
        " FROM ollo.fact_standing WHERE class_id = ? AND series BETWEEN 1 AND 10 AND factor BETWEEN 1 AND 10"
        " GROUP BY operation, factor, series"));
    query.addBindValue(m_current.id);
    if (!query.exec())
        return fail(query.lastError());
    while (query.next()) {
        const int operation = query.value(0).toInt();
        if (operation != int(Record::Operation::Multiplication) &&
            operation != int(Record::Operation::Division))
            continue;
        ClassFact& fact =
            (operation == int(Record::Operation::Division)
                 ? grid.divide
                 : grid.times)[size_t((query.value(1).toInt() - 1) * 10 + query.value(2).toInt() - 1)];
        fact.secure = query.value(3).toInt();
        fact.slow = query.value(4).toInt();
        fact.practised = query.value(5).toInt();
        for (const QString& id : query.value(6).toString().split(u',', Qt::SkipEmptyParts))
            fact.shaky << names.value(id);
        fact.shaky.sort(Qt::CaseInsensitive);
    }
    return true;
}

bool ClassServer::readRoster(qint64 now, std::vector<RosterRow>& roster) {
    roster.clear();
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    // Each child's figures through its own index ranges: the last drill, the
    // week's drills and tasks, the last tasks and the facts' standings.
    query.prepare(QStringLiteral(
        "SELECT c.id, c.name,"
        " (SELECT max(d.started) FROM ollo.drills d WHERE d.child_id = c.id AND d.class_id = c.class_id),"
        " (SELECT count(*) FROM ollo.drills d WHERE d.child_id = c.id AND d.class_id = c.class_id"
        "   AND d.started >= :week AND d.series <> 0),"
        " (SELECT count(*) FROM ollo.tasks t WHERE t.child_id = c.id AND t.class_id = c.class_id"
        "   AND t.posed >= :week AND t.outcome > 0),"
        " s.times, s.divide, r.asked, r.wrong"
        " FROM ollo.children c"
        " LEFT JOIN LATERAL (SELECT count(*) FILTER (WHERE f.operation = 0) AS times,"
        "   count(*) FILTER (WHERE f.operation = 1) AS divide FROM ollo.fact_standing f"
        "   WHERE f.class_id = c.class_id AND f.child_id = c.id AND f.security = 1"
        "   AND f.series BETWEEN 1 AND 10 AND f.factor BETWEEN 1 AND 10) s ON true"
        " LEFT JOIN LATERAL (SELECT count(*) AS asked, count(*) FILTER (WHERE l.outcome <> 1) AS wrong"
        "   FROM (SELECT t.outcome FROM ollo.tasks t WHERE t.child_id = c.id AND t.class_id = c.class_id"
        "   AND t.outcome > 0 ORDER BY t.posed DESC LIMIT :recent) l) r ON true"
        " WHERE c.class_id = :class"));
    query.bindValue(QStringLiteral(":week"), mondayOf(now));
    query.bindValue(QStringLiteral(":recent"), RosterRow::RecentTasks);
    query.bindValue(QStringLiteral(":class"), m_current.id);
    if (!query.exec())
        return fail(query.lastError());
    while (query.next()) {
        RosterRow row;
        row.id = query.value(0).toString();
        row.name = query.value(1).toString();
        row.lastPractised = query.value(2).isNull() ? 0 : query.value(2).toLongLong() / 1000;
        row.drillsThisWeek = query.value(3).toInt();
        row.tasksThisWeek = query.value(4).toInt();
        row.secureTimes = query.value(5).toInt();
        row.secureDivide = query.value(6).toInt();
        row.recentTasks = query.value(7).toInt();
        row.recentMistakes = query.value(8).toInt();
        row.idle = row.lastPractised <= now - qint64(RosterRow::IdleDays) * 86400;
        row.manyMistakes = row.recentMistakes >= RosterRow::ManyMistakes;
        roster.push_back(row);
    }
    std::sort(roster.begin(), roster.end(), [](const RosterRow& a, const RosterRow& b) {
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    return true;
}

bool ClassServer::addChild(const QString& name) {
    QString problem;
    const QString clean = rosterName(name, &problem);
    if (!problem.isEmpty()) {
        m_error = problem;
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("INSERT INTO ollo.children (class_id, name) VALUES (?, ?)"));
    query.addBindValue(m_current.id);
    query.addBindValue(clean);
    return query.exec() || fail(query.lastError());
}

bool ClassServer::renameChild(const QString& childId, const QString& name) {
    QString problem;
    const QString clean = rosterName(name, &problem);
    if (!problem.isEmpty()) {
        m_error = problem;
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE ollo.children SET name = ? WHERE class_id = ? AND id = ?"));
    query.addBindValue(clean);
    query.addBindValue(m_current.id);
    query.addBindValue(childId);
    if (!query.exec())
        return fail(query.lastError());
    if (query.numRowsAffected() == 1)
        return true;
    m_error = QStringLiteral("Dieses Kind ist nicht mehr in der Klasse.");
    return false;
}

bool ClassServer::removeChild(const QString& childId) {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("DELETE FROM ollo.children WHERE class_id = ? AND id = ?"));
    query.addBindValue(m_current.id);
    query.addBindValue(childId);
    return query.exec() || fail(query.lastError());
}

std::unique_ptr<RecordStore> ClassServer::childStore(const QString& childId) const {
    return std::make_unique<ServerStore>(m_connection, m_current.id, childId);
}

bool ClassServer::listen() {
    if (m_listening)
        return true;
    QSqlDriver* driver = QSqlDatabase::database(m_connection, false).driver();
    if (driver == nullptr || !driver->subscribeToNotification(QStringLiteral("ollo_answers")))
        return false;
    connect(driver, &QSqlDriver::notification, this,
            [this](const QString& name, QSqlDriver::NotificationSource, const QVariant& payload) {
                if (name == QLatin1String("ollo_answers") && payload.toString() == m_current.id)
                    Q_EMIT answersArrived();
            });
    m_listening = true;
    return true;
}

void ClassServer::interrupt() {
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
}
