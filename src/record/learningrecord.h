#pragma once

// The learning record: every drill, task and typed answer, kept in one SQLite
// file in $XDG_DATA_HOME/ollo/.
//  - CLearningRecord opens the file (after the main window has first painted),
//    brings its schema up to date and writes each step of a running drill in
//    a transaction of its own, so a kill loses at most the task under way.
//    A file it cannot write turns it quiet: the drill runs on, and the record
//    says once, in German, why nothing is kept.
//  - ProgressReading reads the figures of the progress window, AnswersCsv
//    writes one line per answer; RecordLog (recordplugin.h) hands both, and
//    the drills' steps, between the record and the rest of the program.
// The record only listens: nothing in it changes what a drill does. Its
// writing is in learningrecord.cpp; opening, checking and setting aside its
// file, and the words for its faults, in recordfile.cpp.

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

#include "kit/recordtypes.h"

class QSqlError;
class QSqlQuery;

class CLearningRecord {
public:
    // The schema this program writes. A file with a higher user_version is
    // left untouched; a lower one is migrated step by step.
    static constexpr int SchemaVersion = 1;

    explicit CLearningRecord(QString filePath);
    ~CLearningRecord();
    CLearningRecord(const CLearningRecord&) = delete;
    CLearningRecord& operator=(const CLearningRecord&) = delete;

    // $XDG_DATA_HOME/ollo/<base>.sqlite, by default ~/.local/share/ollo/<base>.sqlite.
    static QString PathFor(const QString& programBaseName);

    // Opens the file, creating it and its folder as needed. A damaged file is
    // first renamed aside (with the date, never over another file) and a new
    // one begun. True when the record can be written; otherwise fault() says
    // why, and canRead() whether the history can still be shown.
    bool open();

    bool canRead() const { return m_readable; }
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
    // they are not yet written. Without a writable record, or outside a
    // drill, they do nothing.
    void beginDrill(int commandId, const QString& caption, Record::Operation operation, int series,
                    int taskCount);
    void addTask(int number, const Record::Fact& fact, const QString& text, const QString& expected);
    // answeredAt: when OK was pressed, seconds since 1970; 0: now.
    void addAnswer(const QString& typed, Record::Answer answer, qint64 thinkingMs, qint64 answeredAt = 0);
    void endDrill(Record::DrillEnd how);

    // Deletes every drill, task and answer, and compacts the file so that
    // nothing of them remains in it. False (with the fault set) when it failed.
    bool clearHistory();
    // Writes a compacted copy of the whole record to path, where no file may
    // be yet; false when it could not.
    bool copyTo(const QString& path) const;

    // The connection for readers (ProgressReading, AnswersCsv); valid while canRead().
    QSqlDatabase database() const;
    const QString& filePath() const { return m_filePath; }

private:
    enum class Check { Fine, Damaged, Failed };

    bool openFile(bool mayStartAgain);
    // Reads the schema version and checks the file's structure.
    Check checkFile(int* version);
    bool connect();
    void disconnect();
    bool setUp(int version);
    bool migrate(int fromVersion);
    // The word tables and views that explain the codes (recordfile.cpp).
    bool addKeys();
    bool setFileAside();
    // Runs statements in one immediate transaction; on failure rolls back and
    // turns the record quiet with the fault the error shows.
    bool inTransaction(const std::function<bool(QSqlQuery&)>& work);
    void fail(const QSqlError& error);
    void fail(Record::Fault fault, const QString& detail = {});
    bool writePending(QSqlQuery& query, qint64* drillId, qint64* taskId);

    struct PendingDrill {
        qint64 started = 0;
        int commandId = 0;
        QString caption;
        Record::Operation operation = Record::Operation::Multiplication;
        int series = 0;
        int taskCount = 0;
    };
    struct PendingTask {
        qint64 posed = 0;
        int number = 0;
        Record::Fact fact;
        QString text;
        QString expected;
    };

    QString m_filePath;
    QString m_connectionName;
    QString m_setAsidePath;
    QString m_detail;
    QString m_notice;
    Record::Fault m_fault = Record::Fault::None;
    bool m_readable = false;
    bool m_writable = false;
    int m_pageLimit = 0;

    // The drill under way and its current task; an id of 0: not yet written.
    std::optional<PendingDrill> m_drill;
    std::optional<PendingTask> m_task;
    qint64 m_drillId = 0;
    qint64 m_taskId = 0;
    int m_attempt = 0;
    bool m_taskHadWrong = false;
};
