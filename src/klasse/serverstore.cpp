// The record's reading (RecordStore) in PostgreSQL's words: times are
// milliseconds, turned into the seconds the readers count in; rows are
// ordered by their times, since UUIDs carry no order.

#include "klasse/serverstore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "kit/commandids.h"

namespace {

using Record::Operation;
using Record::TaskOutcome;

// The two "Beliebige Reihe" commands, in SQL.
const QString kChosen = QStringLiteral("(%1, %2)").arg(Cmd::AnyMultiplication).arg(Cmd::AnyDivision);
// A child's rows: every key begins with class and child.
const QString kChild = QStringLiteral("class_id = ?::uuid AND child_id = ?::uuid");

bool isOperation(int value) {
    return value == int(Operation::Multiplication) || value == int(Operation::Division);
}

template <class T> std::vector<T> numbers(const QVariant& joined) {
    std::vector<T> values;
    for (const QString& text : joined.toString().split(u',', Qt::SkipEmptyParts))
        values.push_back(T(text.toLongLong()));
    return values;
}

} // namespace

ServerStore::ServerStore(QString connectionName, QString classId, QString childId)
    : m_connection(std::move(connectionName))
    , m_classId(std::move(classId))
    , m_childId(std::move(childId)) {
}

bool ServerStore::canRead() const {
    return QSqlDatabase::database(m_connection, false).isOpen();
}

QString ServerStore::readError() const {
    return m_readError;
}

bool ServerStore::run(QSqlQuery& query, const QString& sql, const QVariantList& values) const {
    if (!canRead()) {
        m_readError = QStringLiteral("Die Verbindung zum Schulserver ist unterbrochen.");
        return false;
    }
    query.setForwardOnly(true);
    if (query.prepare(sql)) {
        query.addBindValue(m_classId);
        query.addBindValue(m_childId);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (query.exec())
            return true;
    }
    return ended(query);
}

bool ServerStore::ended(const QSqlQuery& query) const {
    if (!query.lastError().isValid())
        return true;
    m_readError = QStringLiteral("Der Lernverlauf ließ sich vom Schulserver nicht lesen (%1).")
                      .arg(query.lastError().text().trimmed());
    return false;
}

bool ServerStore::readFacts(std::vector<FactTasks>& facts) const {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!run(query, QStringLiteral("SELECT operation, series, factor, asked, right_first, last_posed / 1000,"
                                   " array_to_string(recent_outcomes, ','), array_to_string(recent_ms, ',')"
                                   " FROM ollo.fact_standing WHERE %1 AND series BETWEEN 1 AND 10"
                                   " AND factor BETWEEN 1 AND 10 AND asked > 0")
                        .arg(kChild)))
        return false;
    while (query.next()) {
        const int operation = query.value(0).toInt();
        if (!isOperation(operation))
            continue;
        FactTasks fact{{Operation(operation), query.value(2).toInt(), query.value(1).toInt()},
                       query.value(3).toInt(),
                       query.value(4).toInt(),
                       query.value(5).toLongLong(),
                       numbers<TaskOutcome>(query.value(6)),
                       numbers<qint64>(query.value(7))};
        // A task still unanswered at the first try has no outcome yet.
        for (size_t i = fact.recent.size(); i-- > 0;)
            if (int(fact.recent[i]) < int(TaskOutcome::RightFirstTry) ||
                int(fact.recent[i]) > int(TaskOutcome::WrongUnfinished)) {
                fact.recent.erase(fact.recent.begin() + qsizetype(i));
                if (i < fact.recentMs.size())
                    fact.recentMs.erase(fact.recentMs.begin() + qsizetype(i));
            }
        facts.push_back(std::move(fact));
    }
    return ended(query);
}

bool ServerStore::readTaskTimes(qint64 from, qint64 to, std::vector<TaskTime>& tasks) const {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!run(query,
             QStringLiteral(
                 "SELECT posed / 1000, outcome FROM ollo.tasks WHERE %1 AND posed >= ? AND posed < ?"
                 " AND outcome > 0")
                 .arg(kChild),
             {from * 1000, to * 1000}))
        return false;
    while (query.next())
        tasks.push_back({query.value(0).toLongLong(), TaskOutcome(query.value(1).toInt())});
    return ended(query);
}

bool ServerStore::readSeries(std::vector<SeriesSummary>& series) const {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!run(query,
             QStringLiteral("SELECT d.operation, d.series, d.command IN %1 AS chosen, count(DISTINCT d.id),"
                            " count(t.id), count(*) FILTER (WHERE t.outcome = 1), max(d.started) / 1000"
                            " FROM ollo.drills d LEFT JOIN ollo.tasks t ON t.class_id = d.class_id"
                            " AND t.child_id = d.child_id AND t.drill_id = d.id AND t.outcome > 0"
                            " WHERE d.class_id = ?::uuid AND d.child_id = ?::uuid AND d.series > 0"
                            " AND (d.series > 10 OR d.command IN %1)"
                            " GROUP BY d.operation, d.series, chosen")
                 .arg(kChosen)))
        return false;
    while (query.next())
        series.push_back({Operation(query.value(0).toInt()), query.value(1).toInt(), query.value(2).toBool(),
                          query.value(3).toInt(), query.value(4).toInt(), query.value(5).toInt(),
                          query.value(6).toLongLong()});
    return ended(query);
}

bool ServerStore::readLastDrills(int count, std::vector<DrillSummary>& drills) const {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!run(query,
             QStringLiteral("SELECT d.started / 1000, d.caption, d.operation, d.series, d.command IN %1,"
                            " d.task_count, d.how_ended, count(t.id), count(*) FILTER (WHERE t.outcome = 1),"
                            " count(*) FILTER (WHERE t.outcome = 3)"
                            " FROM (SELECT * FROM ollo.drills WHERE %2 ORDER BY started DESC, id LIMIT %3) d"
                            " LEFT JOIN ollo.tasks t ON t.class_id = d.class_id AND t.child_id = d.child_id"
                            " AND t.drill_id = d.id AND t.outcome > 0"
                            " GROUP BY d.id, d.started, d.caption, d.operation, d.series, d.command,"
                            " d.task_count, d.how_ended ORDER BY d.started DESC, d.id")
                 .arg(kChosen, kChild)
                 .arg(count)))
        return false;
    while (query.next()) {
        DrillSummary drill;
        drill.started = query.value(0).toLongLong();
        drill.caption = query.value(1).toString();
        drill.operation = Operation(query.value(2).toInt());
        drill.series = query.value(3).toInt();
        drill.chosen = query.value(4).toBool();
        drill.taskCount = query.value(5).toInt();
        const int end = query.value(6).toInt();
        if (end >= int(Record::DrillEnd::AllDone) && end <= int(Record::DrillEnd::LimitRefused))
            drill.end = Record::DrillEnd(end);
        drill.answered = query.value(7).toInt();
        drill.rightFirst = query.value(8).toInt();
        drill.solved = query.value(9).toInt();
        drills.push_back(drill);
    }
    return ended(query);
}

bool ServerStore::readTotals(Totals& totals, std::vector<qint64>& drillStarts) const {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!run(query, QStringLiteral("SELECT count(*), count(*) FILTER (WHERE outcome = 1),"
                                   " coalesce(min(posed), 0) / 1000, coalesce(max(posed), 0) / 1000"
                                   " FROM ollo.tasks WHERE %1 AND outcome > 0")
                        .arg(kChild)))
        return false;
    if (query.next()) {
        totals.tasks = query.value(0).toInt();
        totals.rightFirst = query.value(1).toInt();
        totals.firstPractised = query.value(2).toLongLong();
        totals.lastPractised = query.value(3).toLongLong();
    } else if (!ended(query)) {
        return false;
    }
    // A drill of series 0 never had a task; -1 marks one over several series.
    if (!run(query,
             QStringLiteral("SELECT started / 1000 FROM ollo.drills WHERE %1 AND series <> 0").arg(kChild)))
        return false;
    while (query.next())
        drillStarts.push_back(query.value(0).toLongLong());
    totals.drills = int(drillStarts.size());
    return ended(query);
}

bool ServerStore::readHistory(std::vector<HardFacts::Answered>& history) const {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!run(query, QStringLiteral("SELECT operation, factor, series, posed / 1000, outcome FROM ollo.tasks"
                                   " WHERE %1 AND outcome > 0 ORDER BY posed, number")
                        .arg(kChild)))
        return false;
    while (query.next()) {
        const int operation = query.value(0).toInt();
        const int outcome = query.value(4).toInt();
        if (!isOperation(operation) || outcome < int(TaskOutcome::RightFirstTry) ||
            outcome > int(TaskOutcome::WrongUnfinished))
            continue;
        history.push_back({{Operation(operation), query.value(1).toInt(), query.value(2).toInt()},
                           query.value(3).toLongLong(),
                           TaskOutcome(outcome)});
    }
    return ended(query);
}

bool ServerStore::readAnswers(const std::function<bool(const AnswerRow& answer)>& each) const {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!run(query, QStringLiteral(
                        "SELECT a.at / 1000, t.operation, t.factor, t.series, d.command IN %1, t.expected,"
                        " a.typed, a.attempt, a.correct, a.choice, a.thinking_ms"
                        " FROM ollo.answers a"
                        " JOIN ollo.tasks t ON t.class_id = a.class_id AND t.child_id = a.child_id"
                        " AND t.id = a.task_id"
                        " JOIN ollo.drills d ON d.class_id = t.class_id AND d.child_id = t.child_id"
                        " AND d.id = t.drill_id"
                        " WHERE a.class_id = ?::uuid AND a.child_id = ?::uuid"
                        " ORDER BY a.at, t.posed, t.number, a.attempt")
                        .arg(kChosen)))
        return false;
    while (query.next()) {
        AnswerRow answer;
        answer.at = query.value(0).toLongLong();
        answer.operation = Operation(query.value(1).toInt());
        answer.factor = query.value(2).toLongLong();
        answer.series = query.value(3).toLongLong();
        answer.chosen = query.value(4).toBool();
        answer.expected = query.value(5).toString();
        answer.typed = query.value(6).toString();
        answer.attempt = query.value(7).toInt();
        answer.correct = query.value(8).toBool();
        answer.choice = query.value(9).toInt();
        answer.thinkingMs = query.value(10).toLongLong();
        if (!each(answer))
            return false;
    }
    return ended(query);
}
