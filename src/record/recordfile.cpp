// The learning record's file: where it lies, opening it and bringing its
// schema up to date, checking it and setting a damaged one aside, and the
// German words for what went wrong. The writing of drills is in
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

// A second Ollo may hold the file for a moment; longer than this, and the
// record gives up rather than keep the child waiting.
constexpr int kBusyTimeoutMs = 1000;

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

} // namespace

QString CLearningRecord::PathFor(const QString& programBaseName) {
    QString folder = qEnvironmentVariable("XDG_DATA_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.local/share");
    return folder + QStringLiteral("/ollo/") + programBaseName + QStringLiteral(".sqlite");
}

QSqlDatabase CLearningRecord::database() const {
    return QSqlDatabase::database(m_connectionName, false);
}

bool CLearningRecord::open() {
    disconnect();
    m_fault = Fault::None;
    m_detail.clear();
    m_readable = false;
    m_writable = false;
    return openFile(true);
}

bool CLearningRecord::openFile(bool mayStartAgain) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        fail(Fault::Unavailable, QStringLiteral("der SQLite-Treiber von Qt fehlt"));
        return false;
    }
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath())) {
        fail(Fault::ReadOnly);
        return false;
    }
    if (!connect())
        return false;
    int version = 0;
    const Check check = checkFile(&version);
    if (check == Check::Damaged) {
        if (mayStartAgain && setFileAside())
            return openFile(false);
        disconnect();
        fail(Fault::Corrupt, QStringLiteral("Ollo konnte sie nicht beiseitelegen; sie bleibt, wie sie ist."));
        return false;
    }
    if (check == Check::Failed) {
        disconnect();
        return false;
    }
    if (version > SchemaVersion) {
        disconnect();
        fail(Fault::NewerSchema);
        return false;
    }
    // A file that cannot be brought up to date can still be shown when it is.
    m_readable = version == SchemaVersion;
    if (!setUp(version))
        return false;
    m_readable = true;
    m_writable = true;
    return true;
}

CLearningRecord::Check CLearningRecord::checkFile(int* version) {
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        const QSqlError error = query.lastError();
        if (primaryCode(error) == kCorrupt || primaryCode(error) == kNotADatabase)
            return Check::Damaged;
        fail(error);
        return Check::Failed;
    }
    *version = query.value(0).toInt();
    if (*version > SchemaVersion)
        return Check::Fine;
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
        const QSqlError error = query.lastError();
        if (primaryCode(error) == kCorrupt || primaryCode(error) == kNotADatabase)
            return Check::Damaged;
        fail(error);
        return Check::Failed;
    }
    return query.value(0).toString() == QLatin1String("ok") ? Check::Fine : Check::Damaged;
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
    if (primaryCode(error) == kCantOpen || !error.isValid()) {
        const bool exists = QFileInfo::exists(m_filePath);
        const bool writable = exists ? QFileInfo(m_filePath).isWritable()
                                     : isWritableFolder(QFileInfo(m_filePath).absolutePath());
        fail(writable ? Fault::Unavailable : Fault::ReadOnly, error.databaseText());
    } else {
        fail(error);
    }
    disconnect();
    return false;
}

void CLearningRecord::disconnect() {
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

// Journal and durability first (a commit reaches the disk before the next
// task shows), then a write transaction that proves the file writable and
// migrates it.
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
    return inTransaction([this, version](QSqlQuery& q) {
        // Written even when unchanged: the write that proves the file writable.
        return migrate(version) && q.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)) &&
               addKeys();
    });
}

bool CLearningRecord::migrate(int fromVersion) {
    QSqlQuery query(database());
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

// "<name>-beschaedigt-<date>.sqlite" beside it, numbered when that is taken;
// its write-ahead log goes with it, under the matching name.
bool CLearningRecord::setFileAside() {
    disconnect();
    const QFileInfo info(m_filePath);
    const QString date =
        QDateTime::fromSecsSinceEpoch(Clock::NowSeconds()).date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString stem =
        info.dir().filePath(info.completeBaseName() + QStringLiteral("-beschaedigt-") + date);
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
    // The driver's own words help only where no German reason says more.
    fail(fault, fault == Fault::Unavailable ? error.databaseText() : QString());
}

void CLearningRecord::fail(Fault fault, const QString& detail) {
    m_writable = false;
    if (fault == Fault::Corrupt || fault == Fault::NewerSchema)
        m_readable = false;
    if (m_fault != Fault::None)
        return;
    m_fault = fault;
    m_detail = detail;
    // A damaged file set aside just before stays in the notice.
    m_notice = m_notice.isEmpty() ? faultReason() : m_notice + QStringLiteral("\n\n") + faultReason();
}

QString CLearningRecord::faultReason() const {
    QString why;
    switch (m_fault) {
    case Fault::None:
        return {};
    case Fault::Locked:
        why =
            QStringLiteral("Die Datei des Lernverlaufs wird gerade von einem anderen Programm benutzt, "
                           "vielleicht von einem zweiten Ollo. Nach einem Neustart von Ollo geht es wieder.");
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
        why = QStringLiteral("Der Datenträger ist voll. Schaffen Sie Platz, und starten Sie Ollo dann neu.");
        break;
    case Fault::NewerSchema:
        why = QStringLiteral("Der Lernverlauf stammt von einer neueren Ollo-Version. Diese Version lässt ihn "
                             "unverändert.");
        break;
    case Fault::Unavailable:
        why = QStringLiteral("Die Datei des Lernverlaufs lässt sich nicht öffnen");
        why += m_detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(" (%1).").arg(m_detail);
        break;
    }
    return QStringLiteral("Die Ergebnisse der Übungen werden zur Zeit nicht gespeichert. ") + why +
           QStringLiteral("\nDatei: %1").arg(QDir::toNativeSeparators(m_filePath));
}

QString CLearningRecord::stateText() const {
    if (m_fault != Fault::None)
        return faultReason();
    if (m_setAsidePath.isEmpty())
        return {};
    return QStringLiteral(
               "Der bisherige Lernverlauf war beschädigt. Ollo hat ihn als „%1“ beiseitegelegt und "
               "einen neuen Verlauf begonnen.")
        .arg(QDir::toNativeSeparators(m_setAsidePath));
}

QString CLearningRecord::takeNotice() {
    return std::exchange(m_notice, QString());
}

void CLearningRecord::setPageLimit(int pages) {
    m_pageLimit = pages;
    if (!QSqlDatabase::contains(m_connectionName) || pages <= 0)
        return;
    QSqlQuery query(database());
    query.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
}
