#include "record/serverstore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <utility>

#include "kit/commandids.h"

namespace {

using Record::Operation;
using Record::TaskOutcome;

// The two "Beliebige Reihe" commands, in SQL.
const QString kChosen = QStringLiteral("(%1, %2)").arg(Cmd::AnyMultiplication).arg(Cmd::AnyDivision);

// A PostgreSQL array of numbers as the driver hands it: "{1,3,1}".
std::vector<qint64> numbers(const QVariant& value) {
    std::vector<qint64> list;
    QString text = value.toString();
    text.remove(u'{').remove(u'}');
    for (const QString& item : text.split(u',', Qt::SkipEmptyParts))
        list.push_back(item.trimmed().toLongLong());
    return list;
}

bool isOperation(int value) {
    return value == int(Operation::Multiplication) || value == int(Operation::Division);
}

} // namespace

ServerStore::ServerStore(QString connectionName, QString classId, QString childId)
    : m_connectionName(std::move(connectionName))
    , m_classId(std::move(classId))
    , m_childId(std::move(childId)) {
}

bool ServerStore::canRead() const {
    return QSqlDatabase::database(m_connectionName, false).isOpen();
}

bool ServerStore::run(QSqlQuery& query, const QString& sql, const QVariantList& more) const {
    query.setForwardOnly(true);
    bool done = query.prepare(sql);
    if (done) {
        query.addBindValue(m_classId);
        query.addBindValue(m_childId);
        for (const QVariant& value : more)
            query.addBindValue(value);
        done = query.exec();
    }
    if (!done)
        m_readError = QStringLiteral("Der Lernverlauf ließ sich vom Schulserver nicht lesen (%1).")
                          .arg(query.lastError().text());
    return done;
}

bool ServerStore::ended(const QSqlQuery& query) const {
    if (!query.lastError().isValid())
        return true;
    m_readError = QStringLiteral("Der Lernverlauf ließ sich vom Schulserver nicht lesen (%1).")
                      .arg(query.lastError().text());
    return false;
}

bool ServerStore::readFacts(std::vector<FactTasks>& facts) const {
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!run(query, QStringLiteral("SELECT operation, series, factor, asked, right_first, last_posed / 1000,"
                                   " recent_outcomes, recent_ms FROM ollo.fact_standing"
                                   " WHERE class_id = ? AND child_id = ? AND asked > 0"
                                   " AND series BETWEEN 1 AND 10 AND factor BETWEEN 1 AND 10"
                                   " ORDER BY operation, series, factor")))
        return false;
    while (query.next()) {
        if (!isOperation(query.value(0).toInt()))
            continue;
        FactTasks fact{{Operation(query.value(0).toInt()), query.value(2).toInt(), query.value(1).toInt()},
                       query.value(3).toInt(),
                       query.value(4).toInt(),
                       query.value(5).toLongLong(),
                       {},
                       numbers(query.value(7))};
        for (const qint64 outcome : numbers(query.value(6)))
            fact.recent.push_back(TaskOutcome(outcome));
        facts.push_back(std::move(fact));
    }
    return ended(query);
}

bool ServerStore::readTaskTimes(qint64 from, qint64 to, std::vector<TaskTime>& tasks) const {
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!run(query,
             QStringLiteral("SELECT posed / 1000, outcome FROM ollo.tasks WHERE class_id = ? AND child_id = ?"
                            " AND posed >= ? AND posed < ? AND outcome > 0"),
             {from * 1000, to * 1000}))
        return false;
    while (query.next())
        tasks.push_back({query.value(0).toLongLong(), TaskOutcome(query.value(1).toInt())});
    return ended(query);
}

bool ServerStore::readDrillSpans(qint64 from, qint64 to, std::vector<DrillSpan>& drills) const {
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!run(query,
             QStringLiteral(
                 "SELECT d.started / 1000, coalesce(d.ended, (SELECT max(a.at) FROM ollo.answers a"
                 "  JOIN ollo.tasks t ON t.class_id = a.class_id AND t.child_id = a.child_id"
                 "  AND t.id = a.task_id"
                 "  WHERE t.class_id = d.class_id AND t.child_id = d.child_id AND t.drill_id = d.id),"
                 " d.started) / 1000"
                 " FROM ollo.drills d WHERE d.class_id = ? AND d.child_id = ?"
                 " AND d.started >= ? AND d.started < ?"),
             {from * 1000, to * 1000}))
        return false;
    while (query.next())
        drills.push_back({query.value(0).toLongLong(), query.value(1).toLongLong()});
    return ended(query);
}

bool ServerStore::readSeries(std::vector<SeriesSummary>& series) const {
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!run(query,
             QStringLiteral("SELECT d.operation, d.series, d.command IN %1 AS chosen, count(DISTINCT d.id),"
                            " count(t.id), count(t.id) FILTER (WHERE t.outcome = 1), max(d.started) / 1000"
                            " FROM ollo.drills d LEFT JOIN ollo.tasks t ON t.class_id = d.class_id"
                            "  AND t.child_id = d.child_id AND t.drill_id = d.id AND t.outcome > 0"
                            " WHERE d.class_id = ? AND d.child_id = ? AND d.series > 0"
                            "  AND (d.series > 10 OR d.command IN %1)"
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
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!run(query,
             QStringLiteral(
                 "SELECT d.started / 1000, d.caption, d.operation, d.series, d.command IN %1,"
                 " d.task_count, d.how_ended, count(t.id), count(t.id) FILTER (WHERE t.outcome = 1),"
                 " count(t.id) FILTER (WHERE t.outcome = 3)"
                 // A refused limit prompt posed nothing: its row stays, out of the list.
                 " FROM (SELECT * FROM ollo.drills WHERE class_id = ? AND child_id = ?"
                 "  AND how_ended IS DISTINCT FROM %2 ORDER BY started DESC, id LIMIT ?) d"
                 " LEFT JOIN ollo.tasks t ON t.class_id = d.class_id AND t.child_id = d.child_id"
                 "  AND t.drill_id = d.id AND t.outcome > 0"
                 " GROUP BY d.class_id, d.child_id, d.id, d.started, d.caption, d.operation, d.series,"
                 "  d.command, d.task_count, d.how_ended"
                 " ORDER BY d.started DESC, d.id")
                 .arg(kChosen)
                 .arg(int(Record::DrillEnd::LimitRefused)),
             {count}))
        return false;
    while (query.next()) {
        drills.push_back(RecordStore::DrillFromRow(query));
    }
    return ended(query);
}

bool ServerStore::readTotals(Totals& totals, std::vector<qint64>& drillStarts) const {
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!run(query, QStringLiteral("SELECT count(*), count(*) FILTER (WHERE outcome = 1),"
                                   " coalesce(min(posed), 0) / 1000, coalesce(max(posed), 0) / 1000"
                                   " FROM ollo.tasks WHERE class_id = ? AND child_id = ? AND outcome > 0")))
        return false;
    if (query.next()) {
        totals.tasks = query.value(0).toInt();
        totals.rightFirst = query.value(1).toInt();
        totals.firstPractised = query.value(2).toLongLong();
        totals.lastPractised = query.value(3).toLongLong();
    } else if (!ended(query)) {
        return false;
    }
    if (!run(query, QStringLiteral("SELECT started / 1000 FROM ollo.drills"
                                   " WHERE class_id = ? AND child_id = ? AND series <> 0")))
        return false;
    while (query.next())
        drillStarts.push_back(query.value(0).toLongLong());
    totals.drills = int(drillStarts.size());
    return ended(query);
}

bool ServerStore::readHistory(std::vector<HardFacts::Answered>& history) const {
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!run(query,
             QStringLiteral("SELECT operation, factor, series, posed / 1000, outcome FROM ollo.tasks"
                            " WHERE class_id = ? AND child_id = ? AND outcome > 0 ORDER BY posed, number")))
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

bool ServerStore::readAnswers(const std::function<bool(const TypedAnswer& answer)>& each) const {
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!run(query,
             QStringLiteral(
                 "SELECT a.at / 1000, dense_rank() OVER (ORDER BY d.started, d.id), d.command,"
                 " t.operation, t.factor, t.series, d.command IN %1, t.expected,"
                 " a.typed, a.attempt, a.correct, a.choice, a.thinking_ms"
                 " FROM ollo.answers a"
                 " JOIN ollo.tasks t ON t.class_id = a.class_id AND t.child_id = a.child_id"
                 "  AND t.id = a.task_id"
                 " JOIN ollo.drills d ON d.class_id = t.class_id AND d.child_id = t.child_id"
                 "  AND d.id = t.drill_id"
                 " WHERE a.class_id = ? AND a.child_id = ? ORDER BY a.at, t.posed, t.number, a.attempt")
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
    return ended(query);
}
