// The learning record's writing: each step of a drill as it runs, in a
// transaction of its own (with what waited for a passing fault), and
// deleting the history. Opening and checking the
// file, and what is said when it fails, are in recordfile.cpp.

#include "record/learningrecord.h"

#include <QAbstractEventDispatcher>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QVariant>

#include <utility>

#include "base/clock.h"

namespace {

// How long a step that could not be written waits for its next try, unless
// an answer comes first.
constexpr int kRetryPauseMs = 2000;
// The last try as the program ends may wait this long for a lock.
constexpr int kLastTryBusyMs = 1000;

// Text columns hold no NULL: an empty text is stored as empty.
QVariant text(const QString& value) {
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

} // namespace

CLearningRecord::CLearningRecord(QString filePath)
    : m_filePath(std::move(filePath))
    , m_connectionName(QStringLiteral("ollo-record-%1").arg(quintptr(this))) {
}

CLearningRecord::~CLearningRecord() {
    // The program ends: one last try, with a longer wait for a lock than a
    // drill could bear.
    if (!m_pending.empty() && keeping()) {
        if (m_setUp)
            QSqlQuery(database()).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kLastTryBusyMs));
        flush();
    }
    disconnect();
}

bool CLearningRecord::inTransaction(const std::function<bool(QSqlQuery&)>& work) {
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        fail(query.lastError());
        return false;
    }
    if (work(query) && query.exec(QStringLiteral("COMMIT")))
        return true;
    const QSqlError error = query.lastError().isValid() ? query.lastError() : database().lastError();
    query.exec(QStringLiteral("ROLLBACK"));
    fail(error);
    return false;
}

void CLearningRecord::beginDrill(int commandId, const QString& caption, Record::Operation operation,
                                 int series, int taskCount) {
    m_drill = std::make_shared<DrillRow>(
        DrillRow{qint64(Clock::NowSeconds()), commandId, caption, operation, series, taskCount});
    m_task.reset();
}

void CLearningRecord::addTask(int number, const Record::Fact& fact, const QString& text,
                              const QString& expected) {
    if (!m_drill)
        return;
    m_task = std::make_shared<TaskRow>(TaskRow{qint64(Clock::NowSeconds()), number, fact, text, expected});
    m_attempt = 0;
    m_taskHadWrong = false;
}

// The drill's row, and the task's, are written with the first step that
// needs them: opening a drill costs no write, and a drill killed before its
// first answer leaves nothing. newIds collects the ids given in this
// transaction, to be taken back should it fail.
bool CLearningRecord::writeStep(QSqlQuery& q, Step& step, std::vector<qint64*>* newIds) {
    DrillRow& drill = *step.drill;
    if (drill.id == 0) {
        q.prepare(
            QStringLiteral("INSERT INTO drill (started, command, caption, operation, series, task_count) "
                           "VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QVariant& value :
             {QVariant(drill.started), QVariant(drill.commandId), text(drill.caption),
              QVariant(int(drill.operation)), QVariant(drill.series), QVariant(drill.taskCount)})
            q.addBindValue(value);
        if (!q.exec())
            return false;
        drill.id = q.lastInsertId().toLongLong();
        newIds->push_back(&drill.id);
    }
    if (step.task && step.task->id == 0) {
        TaskRow& task = *step.task;
        q.prepare(QStringLiteral("INSERT INTO task (drill, number, posed, operation, factor, series, text, "
                                 "expected) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const QVariant& value : {QVariant(drill.id), QVariant(task.number), QVariant(task.posed),
                                      QVariant(int(task.fact.operation)), QVariant(task.fact.factor),
                                      QVariant(task.fact.series), text(task.text), text(task.expected)})
            q.addBindValue(value);
        if (!q.exec())
            return false;
        task.id = q.lastInsertId().toLongLong();
        newIds->push_back(&task.id);
        // A "Beliebige Reihe" learns its number with its first task.
        q.prepare(QStringLiteral("UPDATE drill SET series = ? WHERE id = ? AND series = 0"));
        q.addBindValue(task.fact.series);
        q.addBindValue(drill.id);
        if (!q.exec())
            return false;
    }
    if (step.end) {
        q.prepare(QStringLiteral("UPDATE drill SET ended = ?, how_ended = ? WHERE id = ?"));
        q.addBindValue(step.at);
        q.addBindValue(int(*step.end));
        q.addBindValue(drill.id);
        return q.exec();
    }
    q.prepare(QStringLiteral("INSERT INTO answer (task, attempt, at, typed, correct, choice, thinking_ms) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& value :
         {QVariant(step.task->id), QVariant(step.attempt), QVariant(step.at), text(step.typed),
          QVariant(step.correct ? 1 : 0), QVariant(step.choice), QVariant(step.thinkingMs)})
        q.addBindValue(value);
    if (!q.exec())
        return false;
    q.prepare(QStringLiteral("UPDATE task SET outcome = ?, first_ms = coalesce(first_ms, ?) WHERE id = ?"));
    q.addBindValue(int(step.outcome));
    q.addBindValue(step.thinkingMs);
    q.addBindValue(step.task->id);
    return q.exec();
}

void CLearningRecord::addAnswer(const QString& typed, Record::Answer answer, qint64 thinkingMs,
                                qint64 answeredAt) {
    if (!keeping() || !m_drill || !m_task)
        return;
    using Record::Answer;
    using Record::TaskOutcome;
    Step step;
    step.drill = m_drill;
    step.task = m_task;
    step.at = answeredAt > 0 ? answeredAt : qint64(Clock::NowSeconds());
    step.typed = typed;
    step.attempt = ++m_attempt;
    step.correct = answer == Answer::Right;
    step.choice = answer == Answer::WrongThenAgain ? 1 : answer == Answer::WrongThenSolved ? 2 : 0;
    step.thinkingMs = qMax<qint64>(0, thinkingMs);
    step.outcome = TaskOutcome::WrongUnfinished;
    if (answer == Answer::Right)
        step.outcome = m_taskHadWrong ? TaskOutcome::RightAfterAgain : TaskOutcome::RightFirstTry;
    else if (answer == Answer::WrongThenSolved)
        step.outcome = TaskOutcome::Solved;
    m_taskHadWrong = m_taskHadWrong || answer != Answer::Right;
    m_pending.push_back(std::move(step));
    flush();
}

void CLearningRecord::endDrill(Record::DrillEnd how) {
    if (keeping() && m_drill) {
        Step step;
        step.drill = m_drill;
        step.task = m_task;
        step.end = how;
        step.at = qint64(Clock::NowSeconds());
        m_pending.push_back(std::move(step));
        flush();
    }
    m_drill.reset();
    m_task.reset();
}

bool CLearningRecord::flush() {
    if (m_pending.empty())
        return true;
    if (!keeping()) {
        // A lasting fault: nothing waiting will ever be written.
        m_pending.clear();
        return false;
    }
    // After a passing fault at the start, the file is set up, or opened, first.
    bool ready = m_setUp;
    if (!ready) {
        ready = QSqlDatabase::contains(m_connectionName) ? setUp(m_version) : openFile(true);
        m_readable = m_readable || ready;
    }
    std::vector<qint64*> newIds;
    const bool written = ready && inTransaction([this, &newIds](QSqlQuery& q) {
                             for (Step& step : m_pending)
                                 if (!writeStep(q, step, &newIds))
                                     return false;
                             return true;
                         });
    if (!written) {
        for (qint64* id : newIds)
            *id = 0;
        if (keeping())
            retryLater();
        else
            m_pending.clear();
        return false;
    }
    m_pending.clear();
    if (m_retry)
        m_retry->stop();
    m_writable = true;
    if (m_fault != Record::Fault::None) {
        qWarning("Ollo: the learning record %s is written again", qUtf8Printable(m_filePath));
        // Only a family that heard of the fault needs to hear of its end.
        if (m_faultTold)
            m_notice +=
                (m_notice.isEmpty() ? QString() : QStringLiteral("\n\n")) +
                QStringLiteral("Der Lernverlauf wird wieder gespeichert. Was in der Zwischenzeit geübt "
                               "wurde, hat Ollo nachgetragen.");
        m_fault = Record::Fault::None;
        m_detail.clear();
        m_faultUntold = false;
        m_faultTold = false;
    }
    return true;
}

void CLearningRecord::retryLater() {
    // Without an event loop (a command-line tool) the next step is the next try.
    if (QAbstractEventDispatcher::instance() == nullptr)
        return;
    if (!m_retry) {
        m_retry = std::make_unique<QTimer>();
        m_retry->setSingleShot(true);
        QObject::connect(m_retry.get(), &QTimer::timeout, m_retry.get(), [this] { flush(); });
    }
    if (!m_retry->isActive())
        m_retry->start(kRetryPauseMs);
}

bool CLearningRecord::clearHistory() {
    m_drill.reset();
    m_task.reset();
    // What waits to be written is history too.
    m_pending.clear();
    if (!m_writable)
        return false;
    // Deleted rows are overwritten with zeros where they lay, so that nothing
    // of them stays readable even where the compaction below cannot run.
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA secure_delete = ON"))) {
        fail(query.lastError());
        return false;
    }
    const bool done = inTransaction([](QSqlQuery& q) {
        return q.exec(QStringLiteral("DELETE FROM answer")) && q.exec(QStringLiteral("DELETE FROM task")) &&
               q.exec(QStringLiteral("DELETE FROM drill"));
    });
    if (!done)
        return false;
    // Older copies of the rows linger in the log until it is written into
    // the file and emptied; a reader holding it keeps them there.
    if (!query.exec(QStringLiteral("VACUUM")) ||
        !query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"))) {
        fail(query.lastError());
        return false;
    }
    if (!query.next() || query.value(0).toInt() != 0) {
        fail(Record::Fault::Locked, {}, QStringLiteral("a reader holds the log, where deleted rows remain"));
        return false;
    }
    return true;
}

bool CLearningRecord::copyTo(const QString& path) const {
    if (!m_readable)
        return false;
    QSqlQuery query(database());
    query.prepare(QStringLiteral("VACUUM INTO ?"));
    query.addBindValue(path);
    return query.exec();
}
