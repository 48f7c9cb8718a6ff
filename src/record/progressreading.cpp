// The progress window's figures, read from the learning record's tables.

#include "record/progressreading.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <iterator>
#include <map>
#include <tuple>

#include "kit/commandids.h"
#include "record/hardfacts.h"
#include "record/learningrecord.h"

namespace {

using Record::Operation;
using Record::TaskOutcome;

// The two "Beliebige Reihe" commands, in SQL.
const QString kChosen = QStringLiteral("(%1, %2)").arg(Cmd::AnyMultiplication).arg(Cmd::AnyDivision);

qint64 median(std::vector<qint64> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

qint64 startOfDay(QDate day) {
    return QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
}

// Per fact: its counts, and its last tasks looked up through the index.
void readStandings(const QSqlDatabase& db, ProgressReport& report) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.exec(
        QStringLiteral(
            "SELECT a.operation, a.series, a.factor, a.asked, a.right_first, a.last, t.outcome, t.first_ms"
            " FROM (SELECT operation, series, factor, count(*) AS asked, sum(outcome = 1) AS right_first,"
            "  max(posed) AS last FROM task"
            "  WHERE outcome > 0 AND series BETWEEN 1 AND 10 AND factor BETWEEN 1 AND 10"
            "  GROUP BY operation, series, factor) a"
            " JOIN task t ON t.id IN (SELECT id FROM task WHERE operation = a.operation AND series = a.series"
            "  AND factor = a.factor AND outcome > 0 ORDER BY id DESC LIMIT %1)"
            " ORDER BY a.operation, a.series, a.factor, t.id DESC")
            .arg(ProgressReport::RecentTasks));
    std::map<std::tuple<int, int, int>, std::vector<qint64>> thinking;
    while (query.next()) {
        const int operation = query.value(0).toInt();
        const int series = query.value(1).toInt();
        const int factor = query.value(2).toInt();
        if (operation != int(Operation::Multiplication) && operation != int(Operation::Division))
            continue;
        FactStanding& standing = report.standing(Operation(operation), factor, series);
        standing.asked = query.value(3).toInt();
        standing.rightFirst = query.value(4).toInt();
        standing.lastAsked = query.value(5).toLongLong();
        const auto outcome = TaskOutcome(query.value(6).toInt());
        standing.recent.push_back(outcome);
        if (outcome == TaskOutcome::RightFirstTry)
            thinking[{operation, series, factor}].push_back(query.value(7).toLongLong());
    }
    for (const auto& [key, ms] : thinking) {
        const auto& [operation, series, factor] = key;
        report.standing(Operation(operation), factor, series).typicalMs = median(ms);
    }
}

// The colours by the boxes "Schwierige Aufgaben" drills by.
void judgeStandings(const CLearningRecord& record, ProgressReport& report) {
    for (const HardFacts::Standing& box : HardFacts::Sort(HardFacts::ReadHistory(record))) {
        const Record::Fact& fact = box.fact;
        if (fact.series < 1 || fact.series > 10 || fact.factor < 1 || fact.factor > 10)
            continue;
        FactStanding& standing = report.standing(fact.operation, fact.factor, fact.series);
        standing.security =
            ProgressReading::Judge(box.box, standing.typicalMs > 0 ? std::vector<qint64>{standing.typicalMs}
                                                                   : std::vector<qint64>{});
    }
}

void readDays(const QSqlDatabase& db, QDate today, ProgressReport& report) {
    const QDate first = today.addDays(1 - ProgressReport::ChartDays);
    // Where each day begins, and the next day after the last: local midnights,
    // worked out once rather than for every task.
    std::vector<qint64> starts;
    for (QDate day = first; day <= today.addDays(1); day = day.addDays(1)) {
        starts.push_back(startOfDay(day));
        if (day <= today)
            report.days.push_back({day, 0, 0, 0});
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT posed, outcome FROM task WHERE posed >= ? AND posed < ? AND outcome > 0"));
    query.addBindValue(starts.front());
    query.addBindValue(starts.back());
    query.exec();
    while (query.next()) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), query.value(0).toLongLong());
        const auto index = std::distance(starts.begin(), next) - 1;
        if (index < 0 || index >= qsizetype(report.days.size()))
            continue;
        DayCount& day = report.days[size_t(index)];
        ++day.tasks;
        if (query.value(1).toInt() == int(TaskOutcome::RightFirstTry))
            ++day.rightFirst;
    }
    // The time practised: each drill from its start to its end, or to its
    // last answer where the program was ended during it; at most three hours
    // of a drill left open count.
    query.prepare(
        QStringLiteral("SELECT d.started, coalesce(d.ended, (SELECT max(a.at) FROM answer a JOIN task t"
                       " ON t.id = a.task WHERE t.drill = d.id), d.started)"
                       " FROM drill d WHERE d.started >= ? AND d.started < ?"));
    query.addBindValue(starts.front());
    query.addBindValue(starts.back());
    query.exec();
    while (query.next()) {
        const qint64 started = query.value(0).toLongLong();
        const auto next = std::upper_bound(starts.begin(), starts.end(), started);
        const auto index = std::distance(starts.begin(), next) - 1;
        if (index < 0 || index >= qsizetype(report.days.size()))
            continue;
        report.days[size_t(index)].seconds +=
            int(std::clamp(query.value(1).toLongLong() - started, qint64(0), qint64(3 * 60 * 60)));
    }
}

void readSeries(const QSqlDatabase& db, ProgressReport& report) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT d.operation, d.series, d.command IN %1 AS chosen, count(DISTINCT d.id),"
                              " count(t.id), coalesce(sum(t.outcome = 1), 0), max(d.started)"
                              " FROM drill d LEFT JOIN task t ON t.drill = d.id AND t.outcome > 0"
                              " WHERE d.series > 0 AND (d.series > 10 OR d.command IN %1)"
                              " GROUP BY d.operation, d.series, chosen")
                   .arg(kChosen));
    while (query.next())
        report.series.push_back({Operation(query.value(0).toInt()), query.value(1).toInt(),
                                 query.value(2).toBool(), query.value(3).toInt(), query.value(4).toInt(),
                                 query.value(5).toInt(), query.value(6).toLongLong()});
    // The menus' order: the fixed series, multiplication first, then the chosen ones.
    std::sort(report.series.begin(), report.series.end(), [](const SeriesSummary& a, const SeriesSummary& b) {
        return std::tuple(a.chosen, int(a.operation), a.series) <
               std::tuple(b.chosen, int(b.operation), b.series);
    });
}

void readLastDrills(const QSqlDatabase& db, ProgressReport& report) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.exec(
        QStringLiteral("SELECT d.started, d.caption, d.operation, d.series, d.command IN %1, d.task_count,"
                       " d.how_ended, count(t.id), coalesce(sum(t.outcome = 1), 0),"
                       " coalesce(sum(t.outcome = 3), 0)"
                       // A refused limit prompt posed nothing: its row stays, out of the list.
                       " FROM (SELECT * FROM drill WHERE how_ended IS NOT %3 ORDER BY id DESC LIMIT %2) d"
                       " LEFT JOIN task t ON t.drill = d.id AND t.outcome > 0"
                       " GROUP BY d.id ORDER BY d.id DESC")
            .arg(kChosen)
            .arg(ProgressReport::LastDrills)
            .arg(int(Record::DrillEnd::LimitRefused)));
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
        report.lastDrills.push_back(drill);
    }
}

void readTotals(const QSqlDatabase& db, Totals& totals) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT count(*), coalesce(sum(outcome = 1), 0), coalesce(min(posed), 0),"
                                  " coalesce(max(posed), 0) FROM task WHERE outcome > 0")) &&
        query.next()) {
        totals.tasks = query.value(0).toInt();
        totals.rightFirst = query.value(1).toInt();
        totals.firstPractised = query.value(2).toLongLong();
        totals.lastPractised = query.value(3).toLongLong();
    }
    // Days counted by the drills' starts: far fewer rows than the tasks. A
    // drill of series 0 never had a task; -1 marks one over several series.
    if (query.exec(QStringLiteral("SELECT count(*), count(DISTINCT date(started, 'unixepoch', 'localtime'))"
                                  " FROM drill WHERE series <> 0")) &&
        query.next()) {
        totals.drills = query.value(0).toInt();
        totals.daysPractised = query.value(1).toInt();
    }
}

} // namespace

Security ProgressReading::Judge(int box, std::vector<qint64> thinkingMs) {
    if (box <= 0)
        return Security::NeverAsked;
    if (box == 1)
        return Security::Shaky;
    if (box == 2)
        return Security::Unsettled;
    if (!thinkingMs.empty() && median(std::move(thinkingMs)) > ProgressReport::SlowMs)
        return Security::Slow;
    return Security::Secure;
}

ProgressReport ProgressReading::Read(const CLearningRecord& record, QDate today) {
    ProgressReport report;
    const QSqlDatabase db = record.canRead() ? record.database() : QSqlDatabase();
    if (!db.isOpen()) {
        for (QDate day = today.addDays(1 - ProgressReport::ChartDays); day <= today; day = day.addDays(1))
            report.days.push_back({day, 0, 0, 0});
        return report;
    }
    readStandings(db, report);
    judgeStandings(record, report);
    readDays(db, today, report);
    readSeries(db, report);
    readLastDrills(db, report);
    readTotals(db, report.totals);
    return report;
}
