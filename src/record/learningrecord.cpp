// The learning record's writing: each step of a drill as it runs, in a
// transaction of its own, and deleting the history. Opening and checking the
// file, and what is said when it fails, are in recordfile.cpp.

#include "record/learningrecord.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <utility>

#include "base/clock.h"

namespace {

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
    m_drill = PendingDrill{qint64(Clock::NowSeconds()), commandId, caption, operation, series, taskCount};
    m_drillId = 0;
    m_task.reset();
    m_taskId = 0;
}

void CLearningRecord::addTask(int number, const Record::Fact& fact, const QString& text,
                              const QString& expected) {
    if (!m_drill)
        return;
    m_task = PendingTask{qint64(Clock::NowSeconds()), number, fact, text, expected};
    m_taskId = 0;
    m_attempt = 0;
    m_taskHadWrong = false;
}

// The drill's row, and the task's, are written with the first answer that
// needs them: opening a drill costs no write, and a drill killed before its
// first answer leaves nothing.
bool CLearningRecord::writePending(QSqlQuery& q, qint64* drillId, qint64* taskId) {
    *drillId = m_drillId;
    *taskId = m_taskId;
    if (*drillId == 0) {
        q.prepare(
            QStringLiteral("INSERT INTO drill (started, command, caption, operation, series, task_count) "
                           "VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QVariant& value :
             {QVariant(m_drill->started), QVariant(m_drill->commandId), text(m_drill->caption),
              QVariant(int(m_drill->operation)), QVariant(m_drill->series), QVariant(m_drill->taskCount)})
            q.addBindValue(value);
        if (!q.exec())
            return false;
        *drillId = q.lastInsertId().toLongLong();
    }
    if (*taskId == 0 && m_task) {
        q.prepare(QStringLiteral("INSERT INTO task (drill, number, posed, operation, factor, series, text, "
                                 "expected) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const QVariant& value :
             {QVariant(*drillId), QVariant(m_task->number), QVariant(m_task->posed),
              QVariant(int(m_task->fact.operation)), QVariant(m_task->fact.factor),
              QVariant(m_task->fact.series), text(m_task->text), text(m_task->expected)})
            q.addBindValue(value);
        if (!q.exec())
            return false;
        *taskId = q.lastInsertId().toLongLong();
        // A "Beliebige Reihe" learns its number with its first task.
        q.prepare(QStringLiteral("UPDATE drill SET series = ? WHERE id = ? AND series = 0"));
        q.addBindValue(m_task->fact.series);
        q.addBindValue(*drillId);
        if (!q.exec())
            return false;
    }
    return true;
}

void CLearningRecord::addAnswer(const QString& typed, Record::Answer answer, qint64 thinkingMs,
                                qint64 answeredAt) {
    if (!m_writable || !m_drill || !m_task)
        return;
    using Record::Answer;
    using Record::TaskOutcome;
    const int attempt = m_attempt + 1;
    TaskOutcome outcome = TaskOutcome::WrongUnfinished;
    if (answer == Answer::Right)
        outcome = m_taskHadWrong ? TaskOutcome::RightAfterAgain : TaskOutcome::RightFirstTry;
    else if (answer == Answer::WrongThenSolved)
        outcome = TaskOutcome::Solved;
    const int choice = answer == Answer::WrongThenAgain ? 1 : answer == Answer::WrongThenSolved ? 2 : 0;
    const qint64 ms = qMax<qint64>(0, thinkingMs);
    qint64 drillId = 0;
    qint64 taskId = 0;
    const bool done = inTransaction([&](QSqlQuery& q) {
        if (!writePending(q, &drillId, &taskId))
            return false;
        q.prepare(
            QStringLiteral("INSERT INTO answer (task, attempt, at, typed, correct, choice, thinking_ms) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?)"));
        for (const QVariant& value :
             {QVariant(taskId), QVariant(attempt),
              QVariant(answeredAt > 0 ? answeredAt : qint64(Clock::NowSeconds())), text(typed),
              QVariant(answer == Answer::Right ? 1 : 0), QVariant(choice), QVariant(ms)})
            q.addBindValue(value);
        if (!q.exec())
            return false;
        q.prepare(
            QStringLiteral("UPDATE task SET outcome = ?, first_ms = coalesce(first_ms, ?) WHERE id = ?"));
        q.addBindValue(int(outcome));
        q.addBindValue(ms);
        q.addBindValue(taskId);
        return q.exec();
    });
    if (!done)
        return;
    m_drillId = drillId;
    m_taskId = taskId;
    m_attempt = attempt;
    m_taskHadWrong = m_taskHadWrong || answer != Answer::Right;
}

void CLearningRecord::endDrill(Record::DrillEnd how) {
    if (m_writable && m_drill) {
        qint64 drillId = 0;
        qint64 taskId = 0;
        inTransaction([&](QSqlQuery& q) {
            if (!writePending(q, &drillId, &taskId))
                return false;
            q.prepare(QStringLiteral("UPDATE drill SET ended = ?, how_ended = ? WHERE id = ?"));
            q.addBindValue(qint64(Clock::NowSeconds()));
            q.addBindValue(int(how));
            q.addBindValue(drillId);
            return q.exec();
        });
    }
    m_drill.reset();
    m_task.reset();
    m_drillId = 0;
    m_taskId = 0;
}

bool CLearningRecord::clearHistory() {
    m_drill.reset();
    m_task.reset();
    m_drillId = 0;
    m_taskId = 0;
    if (!m_writable)
        return false;
    const bool done = inTransaction([](QSqlQuery& q) {
        return q.exec(QStringLiteral("DELETE FROM answer")) && q.exec(QStringLiteral("DELETE FROM task")) &&
               q.exec(QStringLiteral("DELETE FROM drill"));
    });
    if (!done)
        return false;
    // Deleted rows linger in free pages and in the log until both are rewritten.
    QSqlQuery query(database());
    query.exec(QStringLiteral("VACUUM"));
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
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
