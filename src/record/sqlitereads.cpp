// The learning record's reading (RecordStore) in SQLite's words: rows are
// kept in the order they were written, so a row's number orders them in
// time; times are seconds.

#include "record/learningrecord.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "kit/commandids.h"

namespace {

using Record::Operation;
using Record::TaskOutcome;

// The two "Beliebige Reihe" commands, in SQL.
const QString kChosen = QStringLiteral("(%1, %2)").arg(Cmd::AnyMultiplication).arg(Cmd::AnyDivision);

bool isOperation(int value) {
    return value == int(Operation::Multiplication) || value == int(Operation::Division);
}

} // namespace

QString CLearningRecord::readError() const {
    return m_readError;
}

// Runs a query for reading: false, with the reason kept, when the record
// cannot be read or the query fails.
bool CLearningRecord::runRead(QSqlQuery& query, const QString& sql, const QVariantList& values) const {
    if (!m_readable) {
        m_readError = m_fault != Record::Fault::None
                          ? faultReason()
                          : QStringLiteral("Die Datei des Lernverlaufs ist nicht geöffnet.");
        return false;
    }
    query.setForwardOnly(true);
    bool done = false;
    if (values.isEmpty()) {
        done = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        done = query.exec();
    }
    if (!done)
        keepReadError(query);
    return done;
}

// A query's rows can fail part way, on a damaged page: next() then ends them early.
bool CLearningRecord::readEnded(const QSqlQuery& query) const {
    if (!query.lastError().isValid())
        return true;
    keepReadError(query);
    return false;
}

void CLearningRecord::keepReadError(const QSqlQuery& query) const {
    m_readError = QStringLiteral("Der Lernverlauf ließ sich nicht lesen (%1).\nDatei: %2")
                      .arg(query.lastError().text(), QDir::toNativeSeparators(m_filePath));
}

// Per fact: its counts, and its last tasks looked up through the index.
bool CLearningRecord::readFacts(std::vector<FactTasks>& facts) const {
    QSqlQuery query(database());
    if (!runRead(
            query,
            QStringLiteral(
                "SELECT a.operation, a.series, a.factor, a.asked, a.right_first, a.last, t.outcome, "
                "t.first_ms"
                " FROM (SELECT operation, series, factor, count(*) AS asked, sum(outcome = 1) AS right_first,"
                "  max(posed) AS last FROM task"
                "  WHERE outcome > 0 AND series BETWEEN 1 AND 10 AND factor BETWEEN 1 AND 10"
                "  GROUP BY operation, series, factor) a"
                " JOIN task t ON t.id IN (SELECT id FROM task WHERE operation = a.operation AND series = "
                "a.series"
                "  AND factor = a.factor AND outcome > 0 ORDER BY id DESC LIMIT %1)"
                " ORDER BY a.operation, a.series, a.factor, t.id DESC")
                .arg(ProgressReport::RecentTasks)))
        return false;
    while (query.next()) {
        const int operation = query.value(0).toInt();
        if (!isOperation(operation))
            continue;
        const Record::Fact fact{Operation(operation), query.value(2).toInt(), query.value(1).toInt()};
        if (facts.empty() || facts.back().fact != fact)
            facts.push_back(
                {fact, query.value(3).toInt(), query.value(4).toInt(), query.value(5).toLongLong(), {}, {}});
        facts.back().recent.push_back(TaskOutcome(query.value(6).toInt()));
        facts.back().recentMs.push_back(query.value(7).toLongLong());
    }
    return readEnded(query);
}

bool CLearningRecord::readTaskTimes(qint64 from, qint64 to, std::vector<TaskTime>& tasks) const {
    QSqlQuery query(database());
    if (!runRead(
            query,
            QStringLiteral("SELECT posed, outcome FROM task WHERE posed >= ? AND posed < ? AND outcome > 0"),
            {from, to}))
        return false;
    while (query.next())
        tasks.push_back({query.value(0).toLongLong(), TaskOutcome(query.value(1).toInt())});
    return readEnded(query);
}

bool CLearningRecord::readDrillSpans(qint64 from, qint64 to, std::vector<DrillSpan>& drills) const {
    QSqlQuery query(database());
    if (!runRead(
            query,
            QStringLiteral("SELECT d.started, coalesce(d.ended, (SELECT max(a.at) FROM answer a JOIN task t"
                           " ON t.id = a.task WHERE t.drill = d.id), d.started)"
                           " FROM drill d WHERE d.started >= ? AND d.started < ?"),
            {from, to}))
        return false;
    while (query.next())
        drills.push_back({query.value(0).toLongLong(), query.value(1).toLongLong()});
    return readEnded(query);
}

bool CLearningRecord::readSeries(std::vector<SeriesSummary>& series) const {
    QSqlQuery query(database());
    if (!runRead(query, QStringLiteral(
                            "SELECT d.operation, d.series, d.command IN %1 AS chosen, count(DISTINCT d.id),"
                            " count(t.id), coalesce(sum(t.outcome = 1), 0), max(d.started)"
                            " FROM drill d LEFT JOIN task t ON t.drill = d.id AND t.outcome > 0"
                            " WHERE d.series > 0 AND (d.series > 10 OR d.command IN %1)"
                            " GROUP BY d.operation, d.series, chosen")
                            .arg(kChosen)))
        return false;
    while (query.next())
        series.push_back({Operation(query.value(0).toInt()), query.value(1).toInt(), query.value(2).toBool(),
                          query.value(3).toInt(), query.value(4).toInt(), query.value(5).toInt(),
                          query.value(6).toLongLong()});
    return readEnded(query);
}

// Both stores select a drill's columns in this order.
DrillSummary RecordStore::DrillFromRow(const QSqlQuery& query) {
    DrillSummary drill;
    drill.started = query.value(0).toLongLong();
    drill.caption = query.value(1).toString();
    drill.operation = Record::Operation(query.value(2).toInt());
    drill.series = query.value(3).toInt();
    drill.chosen = query.value(4).toBool();
    drill.taskCount = query.value(5).toInt();
    const int end = query.value(6).toInt();
    if (end >= int(Record::DrillEnd::AllDone) && end <= int(Record::DrillEnd::LimitRefused))
        drill.end = Record::DrillEnd(end);
    drill.answered = query.value(7).toInt();
    drill.rightFirst = query.value(8).toInt();
    drill.solved = query.value(9).toInt();
    return drill;
}

bool CLearningRecord::readLastDrills(int count, std::vector<DrillSummary>& drills) const {
    QSqlQuery query(database());
    if (!runRead(query,
                 QStringLiteral(
                     "SELECT d.started, d.caption, d.operation, d.series, d.command IN %1, d.task_count,"
                     " d.how_ended, count(t.id), coalesce(sum(t.outcome = 1), 0),"
                     " coalesce(sum(t.outcome = 3), 0)"
                     // A refused limit prompt posed nothing: its row stays, out of the list.
                     " FROM (SELECT * FROM drill WHERE how_ended IS NOT %3 ORDER BY id DESC LIMIT %2) d"
                     " LEFT JOIN task t ON t.drill = d.id AND t.outcome > 0"
                     " GROUP BY d.id ORDER BY d.id DESC")
                     .arg(kChosen)
                     .arg(count)
                     .arg(int(Record::DrillEnd::LimitRefused))))
        return false;
    while (query.next()) {
        drills.push_back(RecordStore::DrillFromRow(query));
    }
    return readEnded(query);
}

bool CLearningRecord::readTotals(Totals& totals, std::vector<qint64>& drillStarts) const {
    QSqlQuery query(database());
    if (!runRead(query,
                 QStringLiteral("SELECT count(*), coalesce(sum(outcome = 1), 0), coalesce(min(posed), 0),"
                                " coalesce(max(posed), 0) FROM task WHERE outcome > 0")))
        return false;
    if (query.next()) {
        totals.tasks = query.value(0).toInt();
        totals.rightFirst = query.value(1).toInt();
        totals.firstPractised = query.value(2).toLongLong();
        totals.lastPractised = query.value(3).toLongLong();
    } else if (!readEnded(query)) {
        return false;
    }
    // A drill of series 0 never had a task; -1 marks one over several series.
    if (!runRead(query, QStringLiteral("SELECT started FROM drill WHERE series <> 0")))
        return false;
    while (query.next())
        drillStarts.push_back(query.value(0).toLongLong());
    totals.drills = int(drillStarts.size());
    return readEnded(query);
}

bool CLearningRecord::readHistory(std::vector<HardFacts::Answered>& history) const {
    QSqlQuery query(database());
    if (!runRead(query, QStringLiteral("SELECT operation, factor, series, posed, outcome FROM task"
                                       " WHERE outcome > 0 ORDER BY id")))
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
    return readEnded(query);
}

bool CLearningRecord::readAnswers(const std::function<bool(const TypedAnswer& answer)>& each) const {
    QSqlQuery query(database());
    if (!runRead(query,
                 QStringLiteral("SELECT a.at, d.id, d.command, t.operation, t.factor, t.series,"
                                " d.command IN %1, t.expected, a.typed, a.attempt, a.correct, a.choice,"
                                " a.thinking_ms"
                                " FROM answer a JOIN task t ON t.id = a.task JOIN drill d ON d.id = t.drill"
                                " ORDER BY a.id")
                     .arg(kChosen)))
        return false;
    while (query.next()) {
        const TypedAnswer answer{query.value(0).toLongLong(), query.value(1).toLongLong(),
                                 query.value(2).toInt(),      Operation(query.value(3).toInt()),
                                 query.value(4).toLongLong(), query.value(5).toLongLong(),
                                 query.value(6).toBool(),     query.value(7).toString(),
                                 query.value(8).toString(),   query.value(9).toInt(),
                                 query.value(10).toBool(),    query.value(11).toInt(),
                                 query.value(12).toLongLong()};
        if (!each(answer))
            return false;
    }
    return readEnded(query);
}
