#pragma once

// The learning record: every drill, task and typed answer, kept in one SQLite
// file in $XDG_DATA_HOME/ollo/.
//  - CLearningRecord opens the file (after the main window has first painted),
//    brings its schema up to date and writes each step of a running drill in
//    a transaction of its own, so a kill loses at most the task under way.
//    A file it cannot write turns it quiet: the drill runs on, and the record
//    says once, in German, why nothing is kept. Where the cause passes (a lock
//    of another program, a full disk), it keeps what was given in memory,
//    tries again with the next answer or after a pause, and says once that
//    it writes again. It opens only its own files: empty, or marked as Ollo's.
//  - ProgressReading reads the figures of the progress window, AnswerRows
//    lists every answer for the export, both through the record's reading
//    (RecordStore, recordstore.h, in sqlitereads.cpp); RecordLog
//    (recordplugin.h) hands them, and the drills' steps, between the record
//    and the rest of the program.
// The record only listens: nothing in it changes what a drill does. Its
// writing is in learningrecord.cpp; opening, checking and setting aside its
// file, and the words for its faults, in recordfile.cpp.

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "kit/recordtypes.h"
#include "record/recordstore.h"

class QSqlError;
class QSqlQuery;
class QTimer;

class CLearningRecord : public RecordStore {
public:
    // The schema this program writes. A file with a higher user_version is
    // left untouched; a lower one is migrated step by step.
    static constexpr int SchemaVersion = 1;
    // Ollo's mark in the file's header (PRAGMA application_id), "Ollo" in
    // ASCII. Files of Ollos before it are known by their tables.
    static constexpr int ApplicationId = 0x4F6C6C6F;

    explicit CLearningRecord(QString filePath);
    ~CLearningRecord() override;
    CLearningRecord(const CLearningRecord&) = delete;
    CLearningRecord& operator=(const CLearningRecord&) = delete;

    // $XDG_DATA_HOME/ollo/<base>.sqlite, by default <home>/.local/share/ollo/<base>.sqlite,
    // the home the settings use (CProfile::HomeFolder). Empty without any home.
    static QString PathFor(const QString& programBaseName);

    // Opens the file, creating it and its folder as needed. A damaged file,
    // or one that is not Ollo's, is first renamed aside (with the date, never
    // over another file, its bytes untouched) and a new one begun; a symbolic
    // link is refused. True when the record can be written; otherwise fault()
    // says why, and canRead() whether the history can still be shown.
    bool open();

    bool canRead() const override { return m_readable; }
    // True while every step given so far is in the file.
    bool canWrite() const { return m_writable; }
    Record::Fault fault() const { return m_fault; }
    // Why nothing is kept, in German for a parent; empty without a fault.
    QString faultReason() const;
    // What the family should be told, once: the fault's reason, or that a
    // damaged file was set aside. Empty once taken, until something new happens.
    QString takeNotice();
    // Where a damaged file was put; empty when none was.
    const QString& setAsidePath() const { return m_setAsidePath; }
    // What the progress window says about the file: the fault's reason, or
    // that a damaged file was set aside; empty when all is well.
    QString stateText() const;

    // Caps the file at this many pages of the database; a write beyond fails
    // exactly as on a full disk. 0: no cap but the disk's. Takes effect on an
    // open record.
    void setPageLimit(int pages);

    // The steps of one drill, as it runs. Each answer, and the end, is
    // committed before it returns, with the drill's and the task's rows if
    // they are not yet written. While a passing fault holds the file, they
    // wait in memory, in order, and go in with the first write that succeeds.
    // After a lasting fault, or outside a drill, they do nothing.
    void beginDrill(int commandId, const QString& caption, Record::Operation operation, int series,
                    int taskCount);
    void addTask(int number, const Record::Fact& fact, const QString& text, const QString& expected);
    // answeredAt: when OK was pressed, seconds since 1970; 0: now.
    void addAnswer(const QString& typed, Record::Answer answer, qint64 thinkingMs, qint64 answeredAt = 0);
    void endDrill(Record::DrillEnd how);

    // Deletes every drill, task and answer, and compacts the file so that
    // nothing of them remains in it or in its log. False (with the fault set)
    // when that failed, the compaction too.
    bool clearHistory();
    // Writes a compacted copy of the whole record to path, where no file may
    // be yet; false when it could not.
    bool copyTo(const QString& path) const;

    // Reading, for ProgressReading, HardFacts and AnswerRows (recordstore.h).
    QString readError() const override;
    bool readFacts(std::vector<FactTasks>& facts) const override;
    bool readTaskTimes(qint64 from, qint64 to, std::vector<TaskTime>& tasks) const override;
    bool readDrillSpans(qint64 from, qint64 to, std::vector<DrillSpan>& drills) const override;
    bool readSeries(std::vector<SeriesSummary>& series) const override;
    bool readLastDrills(int count, std::vector<DrillSummary>& drills) const override;
    bool readTotals(Totals& totals, std::vector<qint64>& drillStarts) const override;
    bool readHistory(std::vector<HardFacts::Answered>& history) const override;
    bool readAnswers(const std::function<bool(const TypedAnswer& answer)>& each) const override;

    // The file's connection; valid while canRead().
    QSqlDatabase database() const;
    const QString& filePath() const { return m_filePath; }

private:
    // What the file turns out to be: Ollo's (or empty), damaged, another
    // program's, or unknown because it could not be read.
    enum class Check { Fine, Damaged, Foreign, Failed };

    bool openFile(bool mayStartAgain);
    // Reads the file's mark, schema version and structure through a
    // connection of its own that cannot write.
    Check checkFile(int* version);
    bool connect();
    void disconnect();
    bool setUp(int version);
    bool migrate(QSqlQuery& query, int fromVersion);
    // The word tables and views that explain the codes (recordfile.cpp).
    bool addKeys();
    bool setFileAside(Check why);
    // Runs statements in one immediate transaction; on failure rolls back and
    // turns the record quiet with the fault the error shows.
    bool inTransaction(const std::function<bool(QSqlQuery&)>& work);
    void fail(const QSqlError& error);
    // detail: German, for the parent; cause: for standard error.
    void fail(Record::Fault fault, const QString& detail, const QString& cause);
    // A fault that may pass while Ollo runs: what is given meanwhile is kept.
    bool keeping() const;
    bool runRead(QSqlQuery& query, const QString& sql, const QVariantList& values = {}) const;
    bool readEnded(const QSqlQuery& query) const;
    void keepReadError(const QSqlQuery& query) const;

    struct DrillRow {
        qint64 started = 0;
        int commandId = 0;
        QString caption;
        Record::Operation operation = Record::Operation::Multiplication;
        int series = 0;
        int taskCount = 0;
        qint64 id = 0; // 0: not yet in the file
    };
    struct TaskRow {
        qint64 posed = 0;
        int number = 0;
        Record::Fact fact;
        QString text;
        QString expected;
        qint64 id = 0;
    };
    // One answer, or a drill's end, as it was given.
    struct Step {
        std::shared_ptr<DrillRow> drill;
        std::shared_ptr<TaskRow> task;       // null: a drill ended before its first task
        std::optional<Record::DrillEnd> end; // set: the drill's end; else an answer
        qint64 at = 0;
        QString typed;
        int attempt = 0;
        bool correct = false;
        int choice = 0;
        qint64 thinkingMs = 0;
        Record::TaskOutcome outcome = Record::TaskOutcome::Unanswered;
    };

    // Writes every waiting step in one transaction, opening the file again
    // first where a passing fault kept it from opening. Tries again after a
    // pause when it fails for a passing reason.
    bool flush();
    bool writeStep(QSqlQuery& query, Step& step, std::vector<qint64*>* newIds);
    void retryLater();

    QString m_filePath;
    QString m_connectionName;
    QString m_setAsidePath;
    Check m_setAsideWhy = Check::Damaged;
    QString m_detail;
    QString m_notice;
    mutable QString m_readError;
    Record::Fault m_fault = Record::Fault::None;
    // The fault's reason is yet to be told; it was told.
    bool m_faultUntold = false;
    bool m_faultTold = false;
    bool m_readable = false;
    bool m_writable = false;
    // The open connection's file has its journal set and its schema current.
    bool m_setUp = false;
    int m_version = 0;
    int m_pageLimit = 0;
    qint64 m_pageMaximum = 0; // SQLite's own cap, from before the first limit

    // The drill under way and its current task.
    std::shared_ptr<DrillRow> m_drill;
    std::shared_ptr<TaskRow> m_task;
    int m_attempt = 0;
    bool m_taskHadWrong = false;
    // Given, not yet in the file, oldest first.
    std::deque<Step> m_pending;
    std::unique_ptr<QTimer> m_retry;
};
