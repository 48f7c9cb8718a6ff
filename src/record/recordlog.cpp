// The learning record as the drills and the progress window meet it.

#include "record/recordlog.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include "record/answerrows.h"
#include "record/hardfacts.h"
#include "record/progressreading.h"

RecordLog::RecordLog(const QString& baseName)
    : m_owned(std::make_unique<CLearningRecord>(CLearningRecord::PathFor(baseName)))
    , m_record(*m_owned) {
    m_record.open();
}

RecordLog::RecordLog(CLearningRecord& record)
    : m_record(record) {
}

void RecordLog::drillStarted(int commandId, const QString& caption, Record::Operation operation, int series,
                             int taskCount) {
    m_record.beginDrill(commandId, caption, operation, series, taskCount);
}

void RecordLog::taskPosed(const PosedTask& task) {
    m_record.addTask(task.number, {task.operation, task.factor, task.series}, task.text, task.answer);
}

void RecordLog::answerGiven(const QString& typed, Record::Answer answer, qint64 thinkingMs,
                            qint64 answeredAt) {
    m_record.addAnswer(typed, answer, thinkingMs, answeredAt);
    if (m_written)
        m_written();
}

void RecordLog::drillEnded(Record::DrillEnd how) {
    m_record.endDrill(how);
    if (m_written)
        m_written();
}

ProgressReport RecordLog::report(QDate today) const {
    return ProgressReading::Read(m_record, today);
}

bool RecordLog::canRead() const {
    return m_record.canRead();
}

bool RecordLog::canWrite() const {
    return m_record.canWrite();
}

QString RecordLog::faultReason() const {
    return m_record.faultReason();
}

QString RecordLog::stateText() const {
    return m_record.stateText();
}

QString RecordLog::takeNotice() {
    return m_record.takeNotice();
}

QString RecordLog::baseName() const {
    // The record's file is named like the settings it belongs to.
    return QFileInfo(m_record.filePath()).completeBaseName();
}

bool RecordLog::readAnswers(std::vector<AnswerRow>* rows) const {
    return ReadAnswers(m_record, rows);
}

bool RecordLog::clearHistory() {
    // A class's history is the school's as well: it is not deleted here.
    if (historyIsShared())
        return false;
    return m_record.clearHistory();
}

void RecordLog::removeRecordOf(const QString& baseName) {
    const QString record = CLearningRecord::PathFor(baseName);
    if (record.isEmpty())
        return;
    for (const QString& suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(record + suffix);
}

std::optional<DueFacts> RecordLog::hardFacts(qint64 now, int count) const {
    const std::optional<std::vector<HardFacts::Answered>> history = HardFacts::ReadHistory(m_record);
    if (!history)
        return std::nullopt;
    return HardFacts::Choose(*history, now, count);
}

int RecordLog::answeredTasksOf(const QString& baseName) const {
    const QString path = CLearningRecord::PathFor(baseName);
    if (!QFileInfo::exists(path))
        return 0;
    const QString name = QStringLiteral("ollo-count-%1").arg(quintptr(this));
    int count = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT count(*) FROM task WHERE outcome > 0")) && query.next())
                count = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return count;
}

bool RecordLog::giveHistoryTo(const QString& baseName, QString* error) {
    const QString target = CLearningRecord::PathFor(baseName);
    // A first child's record holds nothing that could be lost.
    bool given = answeredTasksOf(baseName) == 0;
    if (given) {
        removeRecordOf(baseName);
        given = !QFileInfo::exists(target) && m_record.copyTo(target) && m_record.clearHistory();
    }
    if (given)
        m_givenTo = baseName;
    else if (error != nullptr)
        *error = QString::fromUtf8("Ollo konnte den bisherigen Lernverlauf nicht übergeben. Er bleibt, wo er "
                                   "war.\n\n") +
                 m_record.faultReason();
    return given;
}
