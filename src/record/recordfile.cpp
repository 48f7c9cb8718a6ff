// The learning record's file: where it lies, opening it and bringing its
// schema up to date, checking it and setting aside a damaged one or one that
// is not Ollo's, and the German words for what went wrong. The writing of drills is in
// learningrecord.cpp.

#include "record/learningrecord.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QVariant>

#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/profile.h"

namespace {

using Record::Fault;

// SQLite's primary result codes, as the driver reports them.
constexpr int kBusy = 5;
constexpr int kLocked = 6;
constexpr int kReadOnly = 8;
constexpr int kIoError = 10;
constexpr int kCorrupt = 11;
constexpr int kFull = 13;
constexpr int kCantOpen = 14;
constexpr int kNotADatabase = 26;
// The extended code for a file with another program's unfinished
// transaction, which only that program's rollback may touch.
constexpr int kReadOnlyRollback = kReadOnly | (3 << 8);

// Longer than this no answer waits for another program's lock: what cannot
// be written then waits in memory for the next try.
constexpr int kBusyTimeoutMs = 100;

// Below this much free space an input/output error is taken for a full disk.
constexpr qint64 kNearlyFullBytes = 1024 * 1024;

// Each entry brings a file from version i to version i + 1, one statement
// each. Times are seconds since 1970-01-01 UTC, thinking times milliseconds.
const std::vector<std::vector<const char*>>& migrations() {
    static const std::vector<std::vector<const char*>> steps = {
        {
            // version 1
            "CREATE TABLE drill ("
            " id INTEGER PRIMARY KEY,"
            " started INTEGER NOT NULL,"
            " ended INTEGER,"               // NULL: running, or the program was ended
            " command INTEGER NOT NULL,"    // the menu command that started it
            " caption TEXT NOT NULL,"       // the drill window's caption
            " operation INTEGER NOT NULL,"  // Record::Operation
            " series INTEGER NOT NULL,"     // 0 until a "Beliebige Reihe" has its number
            " task_count INTEGER NOT NULL," // the tasks it was set to pose
            " how_ended INTEGER)",          // Record::DrillEnd, NULL while running
            "CREATE TABLE task ("
            " id INTEGER PRIMARY KEY,"
            " drill INTEGER NOT NULL REFERENCES drill(id) ON DELETE CASCADE,"
            " number INTEGER NOT NULL," // 1 for the drill's first task
            " posed INTEGER NOT NULL,"
            " operation INTEGER NOT NULL,"
            " factor INTEGER NOT NULL,"
            " series INTEGER NOT NULL,"
            " text TEXT NOT NULL,"                 // as shown, question marks included
            " expected TEXT NOT NULL,"             // the answer text compared with
            " outcome INTEGER NOT NULL DEFAULT 0," // Record::TaskOutcome
            " first_ms INTEGER)",                  // thinking time of the first answer
                                                   // Covering the per-fact figures, newest first.
            "CREATE INDEX task_fact ON task (operation, series, factor, id DESC, outcome, posed, first_ms)",
            "CREATE INDEX task_drill ON task (drill)",
            "CREATE INDEX task_posed ON task (posed, outcome)",
            "CREATE TABLE answer ("
            " id INTEGER PRIMARY KEY,"
            " task INTEGER NOT NULL REFERENCES task(id) ON DELETE CASCADE,"
            " attempt INTEGER NOT NULL," // 1 for the task's first answer
            " at INTEGER NOT NULL,"
            " typed TEXT NOT NULL,"
            " correct INTEGER NOT NULL,"
            " choice INTEGER NOT NULL," // after a wrong answer: 1 "NOCHMALS", 2 "LOESEN"; else 0
            " thinking_ms INTEGER NOT NULL)",
            "CREATE INDEX answer_task ON answer (task)",
        },
    };
    return steps;
}

// The keys to the codes above, for whoever opens the file with an SQLite
// tool: word tables for each code and views that use them, with times as
// local dates. They hang on no version: made where missing at every open, in
// the same transaction, so that a file stays readable to older Ollos, which
// pass over them.
const std::vector<const char*>& keys() {
    static const std::vector<const char*> statements = {
        "CREATE TABLE IF NOT EXISTS operation_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO operation_word VALUES (0, 'mal'), (1, 'geteilt')",
        "CREATE TABLE IF NOT EXISTS outcome_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO outcome_word VALUES (0, 'nicht beantwortet'), (1, 'auf Anhieb richtig'),"
        " (2, 'richtig nach NOCHMALS'), (3, 'mit LOESEN gelöst'), (4, 'falsch, dann Übung beendet')",
        "CREATE TABLE IF NOT EXISTS drill_end_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO drill_end_word VALUES (1, 'fertig'), (2, 'mit ENDE beendet'),"
        " (3, 'Fenster geschlossen'), (4, 'keine Reihe gewählt')",
        "CREATE TABLE IF NOT EXISTS choice_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO choice_word VALUES (0, ''), (1, 'NOCHMALS'), (2, 'LOESEN')",
        // The menu commands that start a drill (kit/commandids.h).
        "CREATE TABLE IF NOT EXISTS command_word (code INTEGER PRIMARY KEY, word TEXT NOT NULL)",
        "INSERT OR IGNORE INTO command_word"
        " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10)"
        " SELECT 32770 + i, i || '-er Reihe (mal)' FROM n"
        " UNION ALL SELECT 32780 + i, (10 + i) || '-er Reihe (mal)' FROM n"
        " UNION ALL SELECT 32793 + i, i || '-er Reihe (geteilt)' FROM n",
        "INSERT OR IGNORE INTO command_word VALUES (32791, 'Beliebige Reihe (mal)'),"
        " (32792, '100-er Reihe (mal)'), (32793, '1000-er Reihe (mal)'), (32804, 'Beliebige Reihe "
        "(geteilt)'),"
        " (32807, '100-er Reihe (geteilt)'), (32810, '1000-er Reihe (geteilt)'),"
        " (32871, 'Schwierige Aufgaben')",
        "CREATE VIEW IF NOT EXISTS uebungen AS SELECT d.id AS uebung,"
        " datetime(d.started, 'unixepoch', 'localtime') AS beginn,"
        " datetime(d.ended, 'unixepoch', 'localtime') AS ende, coalesce(c.word, d.command) AS befehl,"
        " d.caption AS titel, o.word AS rechenart, d.series AS reihe, d.task_count AS aufgaben,"
        " coalesce(e.word, 'unterbrochen') AS wie_beendet"
        " FROM drill d LEFT JOIN command_word c ON c.code = d.command"
        " LEFT JOIN operation_word o ON o.code = d.operation LEFT JOIN drill_end_word e ON e.code = "
        "d.how_ended",
        "CREATE VIEW IF NOT EXISTS aufgaben AS SELECT t.id AS aufgabe, t.drill AS uebung, t.number AS nummer,"
        " datetime(t.posed, 'unixepoch', 'localtime') AS gestellt, o.word AS rechenart, t.factor AS faktor,"
        " t.series AS reihe, t.text AS text, t.expected AS richtige_antwort, r.word AS ergebnis,"
        " round(t.first_ms / 1000.0, 1) AS sekunden"
        " FROM task t LEFT JOIN operation_word o ON o.code = t.operation"
        " LEFT JOIN outcome_word r ON r.code = t.outcome",
        "CREATE VIEW IF NOT EXISTS antworten AS SELECT a.id AS antwort, t.drill AS uebung, a.task AS aufgabe,"
        " a.attempt AS versuch, datetime(a.at, 'unixepoch', 'localtime') AS zeit, t.text AS text,"
        " t.expected AS richtige_antwort, a.typed AS eingabe,"
        " CASE a.correct WHEN 1 THEN 'richtig' ELSE 'falsch' END AS bewertung, w.word AS danach,"
        " round(a.thinking_ms / 1000.0, 1) AS sekunden"
        " FROM answer a JOIN task t ON t.id = a.task LEFT JOIN choice_word w ON w.code = a.choice",
    };
    return statements;
}

int primaryCode(const QSqlError& error) {
    return error.nativeErrorCode().toInt() & 0xff;
}

bool isWritableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

// Faults that may pass while Ollo runs.
bool passes(Fault fault) {
    return fault == Fault::Locked || fault == Fault::DiskFull;
}

// Every version of the schema has these tables; a file without Ollo's mark
// that has them was made by an Ollo from before the mark.
bool hasOllosTables(const QSqlDatabase& db) {
    const QStringList tables = db.tables(QSql::Tables);
    return tables.contains(QLatin1String("drill")) && tables.contains(QLatin1String("task")) &&
           tables.contains(QLatin1String("answer"));
}

} // namespace

QString CLearningRecord::PathFor(const QString& programBaseName) {
    QString folder = qEnvironmentVariable("XDG_DATA_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder)) {
        const QString home = CProfile::HomeFolder();
        if (home.isEmpty())
            return {};
        folder = home + QStringLiteral("/.local/share");
    }
    return folder + QStringLiteral("/ollo/") + programBaseName + QStringLiteral(".sqlite");
}

QSqlDatabase CLearningRecord::database() const {
    return QSqlDatabase::database(m_connectionName, false);
}

bool CLearningRecord::open() {
    disconnect();
    m_fault = Fault::None;
    m_detail.clear();
    m_faultUntold = false;
    m_faultTold = false;
    m_readable = false;
    m_writable = false;
    return openFile(true);
}

bool CLearningRecord::openFile(bool mayStartAgain) {
    disconnect();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        fail(Fault::Unavailable, QStringLiteral("Der SQLite-Treiber von Qt fehlt."),
             QStringLiteral("no QSQLITE driver"));
        return false;
    }
    if (m_filePath.isEmpty()) {
        fail(Fault::Unavailable,
             QStringLiteral("Ollo findet keinen persönlichen Ordner, in dem sie liegen könnte."),
             QStringLiteral("no home folder"));
        return false;
    }
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath())) {
        fail(Fault::ReadOnly, {}, QStringLiteral("its folder cannot be made"));
        return false;
    }
    // Written through a link, it would be another file: perhaps another child's record.
    if (QFileInfo(m_filePath).isSymLink()) {
        fail(Fault::Unavailable,
             QStringLiteral(
                 "Sie ist nur eine Verknüpfung mit einer anderen Datei. Ollo schreibt nur in eine "
                 "eigene Datei; löschen Sie die Verknüpfung, dann beginnt Ollo einen neuen Verlauf."),
             QStringLiteral("it is a symbolic link"));
        return false;
    }
    int version = 0;
    const Check check = checkFile(&version);
    if (check == Check::Damaged || check == Check::Foreign) {
        if (mayStartAgain && setFileAside(check))
            return openFile(false);
        const QString left = QStringLiteral("Ollo konnte sie nicht beiseitelegen; sie bleibt, wie sie ist.");
        if (check == Check::Damaged)
            fail(Fault::Corrupt, left, QStringLiteral("it is damaged and cannot be set aside"));
        else
            fail(Fault::Unavailable, QStringLiteral("Sie stammt nicht von Ollo. ") + left,
                 QStringLiteral("it is another program's file and cannot be set aside"));
        return false;
    }
    if (check == Check::Failed)
        return false;
    if (version > SchemaVersion) {
        fail(Fault::NewerSchema, {}, QStringLiteral("a newer Ollo made it"));
        return false;
    }
    if (!connect())
        return false;
    // A file that cannot be brought up to date can still be shown when it is.
    m_version = version;
    m_readable = version == SchemaVersion;
    if (!setUp(version))
        return false;
    m_readable = true;
    m_writable = true;
    return true;
}

// Through a connection that cannot write: a file that is not Ollo's keeps
// every byte, its journal mode, and the log of a program that has it open.
CLearningRecord::Check CLearningRecord::checkFile(int* version) {
    *version = 0;
    if (!QFileInfo::exists(m_filePath))
        return Check::Fine;
    const QString name = m_connectionName + QStringLiteral("-check");
    Check check = Check::Fine;
    QSqlError error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_filePath);
        db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (db.open()) {
            QSqlQuery query(db);
            const auto read = [&query, &error](const char* pragma) {
                if (query.exec(QLatin1String(pragma)) && query.next())
                    return query.value(0).toLongLong();
                error = query.lastError();
                return qint64(-1);
            };
            const qint64 mark = read("PRAGMA application_id");
            *version = int(read("PRAGMA user_version"));
            const qint64 objects = read("SELECT count(*) FROM sqlite_master");
            if (error.isValid()) {
                check = Check::Failed;
            } else if (mark == ApplicationId || (mark == 0 && *version == 0 && objects == 0)) {
                check = Check::Fine;
            } else if (mark == 0 && *version > 0 && hasOllosTables(db)) {
                check = Check::Fine;
            } else {
                check = Check::Foreign;
            }
            // A newer schema is left alone, checked or not.
            if (check == Check::Fine && *version <= SchemaVersion) {
                if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
                    error = query.lastError();
                    check = Check::Failed;
                } else if (query.value(0).toString() != QLatin1String("ok")) {
                    check = Check::Damaged;
                }
            }
        } else {
            error = db.lastError();
            check = Check::Failed;
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (check != Check::Failed)
        return check;
    if (primaryCode(error) == kCorrupt || primaryCode(error) == kNotADatabase)
        return Check::Damaged;
    if (error.nativeErrorCode().toInt() == kReadOnlyRollback)
        return Check::Foreign;
    fail(error);
    return Check::Failed;
}

bool CLearningRecord::connect() {
    QSqlError error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(m_filePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (db.open())
            return true;
        error = db.lastError();
    }
    disconnect();
    if (primaryCode(error) == kCantOpen || !error.isValid()) {
        const bool exists = QFileInfo::exists(m_filePath);
        const bool writable = exists ? QFileInfo(m_filePath).isWritable()
                                     : isWritableFolder(QFileInfo(m_filePath).absolutePath());
        fail(writable ? Fault::Unavailable : Fault::ReadOnly, {}, error.databaseText());
    } else {
        fail(error);
    }
    return false;
}

void CLearningRecord::disconnect() {
    m_setUp = false;
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

// Journal and durability first (a commit reaches the disk before the next
// task shows), then a write transaction that proves the file writable,
// migrates it and marks it as Ollo's.
bool CLearningRecord::setUp(int version) {
    QSqlQuery query(database());
    for (const char* statement :
         {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL", "PRAGMA foreign_keys = ON"}) {
        if (!query.exec(QLatin1String(statement))) {
            fail(query.lastError());
            return false;
        }
        query.finish();
    }
    if (m_pageLimit > 0)
        setPageLimit(m_pageLimit);
    m_setUp = inTransaction([this, version](QSqlQuery& q) {
        // Written even when unchanged: the write that proves the file writable.
        // The failing step runs on q, so its error is the one reported.
        return migrate(q, version) && q.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)) &&
               q.exec(QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId)) && addKeys();
    });
    if (m_setUp)
        m_version = SchemaVersion;
    return m_setUp;
}

bool CLearningRecord::migrate(QSqlQuery& query, int fromVersion) {
    for (int version = fromVersion; version < SchemaVersion; ++version)
        for (const char* statement : migrations()[size_t(version)])
            if (!query.exec(QLatin1String(statement)))
                return false;
    return true;
}

bool CLearningRecord::addKeys() {
    QSqlQuery query(database());
    for (const char* statement : keys())
        if (!query.exec(QString::fromUtf8(statement)))
            return false;
    return true;
}

// "<name>-beschaedigt-<date>.sqlite" (another program's file: "-fremd-")
// beside it, numbered when that is taken; its journal goes with it, under
// the matching name.
bool CLearningRecord::setFileAside(Check why) {
    disconnect();
    const QFileInfo info(m_filePath);
    const QString date =
        QDateTime::fromSecsSinceEpoch(Clock::NowSeconds()).date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString stem = info.dir().filePath(
        info.completeBaseName() +
        (why == Check::Foreign ? QStringLiteral("-fremd-") : QStringLiteral("-beschaedigt-")) + date);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString target = stem + suffix;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo::exists(target + QStringLiteral("-wal")); ++n)
        target = stem + QStringLiteral("-%1").arg(n) + suffix;
    if (!QFile::rename(m_filePath, target))
        return false;
    for (const char* companion : {"-wal", "-journal"}) {
        const QString from = m_filePath + QLatin1String(companion);
        if (QFileInfo::exists(from))
            QFile::rename(from, target + QLatin1String(companion));
    }
    QFile::remove(m_filePath + QStringLiteral("-shm"));
    m_setAsidePath = target;
    m_setAsideWhy = why;
    m_notice = stateText();
    return true;
}

void CLearningRecord::fail(const QSqlError& error) {
    Fault fault = Fault::Unavailable;
    switch (primaryCode(error)) {
    case kBusy:
    case kLocked:
        fault = Fault::Locked;
        break;
    case kReadOnly:
        fault = Fault::ReadOnly;
        break;
    case kFull:
        fault = Fault::DiskFull;
        break;
    case kCorrupt:
    case kNotADatabase:
        fault = Fault::Corrupt;
        break;
    case kCantOpen:
        fault = isWritableFolder(QFileInfo(m_filePath).absolutePath()) ? Fault::Unavailable : Fault::ReadOnly;
        break;
    case kIoError: {
        const QStorageInfo storage(QFileInfo(m_filePath).absolutePath());
        if (storage.isValid() && storage.bytesAvailable() < kNearlyFullBytes)
            fault = Fault::DiskFull;
        break;
    }
    default:
        break;
    }
    // The driver's words are English: standard error keeps them.
    fail(fault, {}, error.databaseText());
}

void CLearningRecord::fail(Fault fault, const QString& detail, const QString& cause) {
    m_writable = false;
    if (fault == Fault::Corrupt || fault == Fault::NewerSchema)
        m_readable = false;
    // The first fault is the one told, unless a lasting one follows a passing one.
    if (m_fault != Fault::None && (passes(fault) || !passes(m_fault)))
        return;
    m_fault = fault;
    m_detail = detail;
    m_faultUntold = true;
    m_faultTold = false;
    qWarning("Ollo: the learning record %s is not written: %s", qUtf8Printable(m_filePath),
             qUtf8Printable(cause));
}

bool CLearningRecord::keeping() const {
    return m_writable || passes(m_fault);
}

QString CLearningRecord::faultReason() const {
    QString why;
    switch (m_fault) {
    case Fault::None:
        return {};
    case Fault::Locked:
        why =
            QStringLiteral("Die Datei des Lernverlaufs wird gerade von einem anderen Programm benutzt, "
                           "vielleicht von einem zweiten Ollo. Ollo merkt sich die Ergebnisse und trägt sie "
                           "nach, sobald die Datei wieder frei ist; beenden Sie Ollo bis dahin bitte nicht.");
        break;
    case Fault::ReadOnly:
        why = QStringLiteral("Die Datei des Lernverlaufs oder ihr Ordner ist schreibgeschützt.");
        break;
    case Fault::Corrupt:
        why = QStringLiteral("Die Datei des Lernverlaufs ist beschädigt. ") +
              (m_detail.isEmpty()
                   ? QStringLiteral(
                         "Beim nächsten Start legt Ollo sie beiseite und beginnt einen neuen Verlauf.")
                   : m_detail);
        break;
    case Fault::DiskFull:
        why = QStringLiteral("Der Datenträger ist voll. Ollo merkt sich die Ergebnisse und trägt sie nach, "
                             "sobald wieder Platz ist; beenden Sie Ollo bis dahin bitte nicht.");
        break;
    case Fault::NewerSchema:
        why = QStringLiteral("Der Lernverlauf stammt von einer neueren Ollo-Version. Diese Version lässt ihn "
                             "unverändert.");
        break;
    case Fault::Unavailable:
        why = QStringLiteral("Die Datei des Lernverlaufs lässt sich nicht öffnen.");
        if (!m_detail.isEmpty())
            why += u' ' + m_detail;
        break;
    }
    why.prepend(QStringLiteral("Die Ergebnisse der Übungen werden zur Zeit nicht gespeichert. "));
    if (!m_filePath.isEmpty())
        why += QStringLiteral("\nDatei: %1").arg(QDir::toNativeSeparators(m_filePath));
    return why;
}

QString CLearningRecord::stateText() const {
    if (m_fault != Fault::None)
        return faultReason();
    if (m_setAsidePath.isEmpty())
        return {};
    if (m_setAsideWhy == Check::Foreign)
        return QStringLiteral(
                   "An der Stelle des Lernverlaufs lag eine Datei, die nicht von Ollo stammt. Ollo hat "
                   "sie unverändert als „%1“ beiseitegelegt und einen neuen Verlauf begonnen.")
            .arg(QDir::toNativeSeparators(m_setAsidePath));
    return QStringLiteral(
               "Der bisherige Lernverlauf war beschädigt. Ollo hat ihn als „%1“ beiseitegelegt und "
               "einen neuen Verlauf begonnen.")
        .arg(QDir::toNativeSeparators(m_setAsidePath));
}

QString CLearningRecord::takeNotice() {
    QString notice = std::exchange(m_notice, QString());
    if (m_faultUntold && m_fault != Fault::None) {
        // A damaged file set aside just before comes first.
        notice += (notice.isEmpty() ? QString() : QStringLiteral("\n\n")) + faultReason();
        m_faultUntold = false;
        m_faultTold = true;
    }
    return notice;
}

void CLearningRecord::setPageLimit(int pages) {
    m_pageLimit = pages;
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    QSqlQuery query(database());
    if (m_pageMaximum == 0 && query.exec(QStringLiteral("PRAGMA max_page_count")) && query.next())
        m_pageMaximum = query.value(0).toLongLong();
    query.finish();
    if (pages > 0 || m_pageMaximum > 0)
        query.exec(
            QStringLiteral("PRAGMA max_page_count = %1").arg(pages > 0 ? qint64(pages) : m_pageMaximum));
}
