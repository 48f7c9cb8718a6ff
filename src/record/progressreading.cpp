// The progress window's figures, read from a record (RecordStore): days and
// medians worked out here, for every keeper of records alike.

#include "record/progressreading.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>

#include "record/hardfacts.h"
#include "record/recordstore.h"

namespace {

using Record::Operation;
using Record::TaskOutcome;

qint64 median(std::vector<qint64> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

qint64 startOfDay(QDate day) {
    return QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
}

bool readStandings(const RecordStore& store, ProgressReport& report) {
    std::vector<RecordStore::FactTasks> facts;
    if (!store.readFacts(facts))
        return false;
    for (const RecordStore::FactTasks& fact : facts) {
        FactStanding& standing = report.standing(fact.fact.operation, fact.fact.factor, fact.fact.series);
        standing.asked = fact.asked;
        standing.rightFirst = fact.rightFirst;
        standing.lastAsked = fact.lastPosed;
        standing.recent = fact.recent;
        // How long the recent right answers took.
        std::vector<qint64> thinking;
        for (size_t i = 0; i < fact.recent.size() && i < fact.recentMs.size(); ++i)
            if (fact.recent[i] == TaskOutcome::RightFirstTry)
                thinking.push_back(fact.recentMs[i]);
        if (!thinking.empty())
            standing.typicalMs = median(thinking);
    }
    return true;
}

// The colours by the boxes "Schwierige Aufgaben" drills by.
bool judgeStandings(const RecordStore& store, ProgressReport& report) {
    const std::optional<std::vector<HardFacts::Answered>> history = HardFacts::ReadHistory(store);
    if (!history)
        return false;
    for (const HardFacts::Standing& box : HardFacts::Sort(*history)) {
        const Record::Fact& fact = box.fact;
        if (fact.series < 1 || fact.series > 10 || fact.factor < 1 || fact.factor > 10)
            continue;
        FactStanding& standing = report.standing(fact.operation, fact.factor, fact.series);
        standing.security =
            ProgressReading::Judge(box.box, standing.typicalMs > 0 ? std::vector<qint64>{standing.typicalMs}
                                                                   : std::vector<qint64>{});
    }
    return true;
}

bool readDays(const RecordStore& store, QDate today, ProgressReport& report) {
    // Where each day begins, and the next day after the last: local midnights,
    // worked out once rather than for every task.
    std::vector<qint64> starts;
    for (QDate day = today.addDays(1 - ProgressReport::ChartDays); day <= today.addDays(1);
         day = day.addDays(1))
        starts.push_back(startOfDay(day));
    std::vector<RecordStore::TaskTime> tasks;
    if (!store.readTaskTimes(starts.front(), starts.back(), tasks))
        return false;
    for (const RecordStore::TaskTime& task : tasks) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), task.posed);
        const auto index = std::distance(starts.begin(), next) - 1;
        if (index < 0 || index >= qsizetype(report.days.size()))
            continue;
        DayCount& day = report.days[size_t(index)];
        ++day.tasks;
        if (task.outcome == TaskOutcome::RightFirstTry)
            ++day.rightFirst;
    }
    // The time practised: each drill from its start to its end, or to its
    // last answer where the program was ended during it; at most three hours
    // of a drill left open count.
    std::vector<RecordStore::DrillSpan> drills;
    if (!store.readDrillSpans(starts.front(), starts.back(), drills))
        return false;
    for (const RecordStore::DrillSpan& drill : drills) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), drill.started);
        const auto index = std::distance(starts.begin(), next) - 1;
        if (index < 0 || index >= qsizetype(report.days.size()))
            continue;
        report.days[size_t(index)].seconds +=
            int(std::clamp(drill.until - drill.started, qint64(0), qint64(3 * 60 * 60)));
    }
    return true;
}

bool readSeries(const RecordStore& store, ProgressReport& report) {
    if (!store.readSeries(report.series))
        return false;
    // The menus' order: the fixed series, multiplication first, then the chosen ones.
    std::sort(report.series.begin(), report.series.end(), [](const SeriesSummary& a, const SeriesSummary& b) {
        return std::tuple(a.chosen, int(a.operation), a.series) <
               std::tuple(b.chosen, int(b.operation), b.series);
    });
    return true;
}

// The days are local calendar days, wherever the record is kept.
bool readTotals(const RecordStore& store, Totals& totals) {
    std::vector<qint64> starts;
    if (!store.readTotals(totals, starts))
        return false;
    std::sort(starts.begin(), starts.end());
    QSet<qint64> days;
    qint64 dayBegins = 0;
    qint64 dayEnds = 0;
    for (const qint64 started : starts) {
        // Most drills of a day follow each other: the day is worked out once.
        if (started >= dayBegins && started < dayEnds)
            continue;
        const QDate day = QDateTime::fromSecsSinceEpoch(started).date();
        dayBegins = startOfDay(day);
        dayEnds = startOfDay(day.addDays(1));
        days.insert(day.toJulianDay());
    }
    totals.daysPractised = int(days.size());
    return true;
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

ProgressReport ProgressReading::Read(const RecordStore& store, QDate today) {
    const auto emptyDays = [today](ProgressReport& report) {
        report.days.clear();
        for (QDate day = today.addDays(1 - ProgressReport::ChartDays); day <= today; day = day.addDays(1))
            report.days.push_back({day, 0, 0, 0});
    };
    ProgressReport report;
    emptyDays(report);
    if (!store.canRead())
        return report;
    if (readStandings(store, report) && judgeStandings(store, report) && readDays(store, today, report) &&
        readSeries(store, report) && store.readLastDrills(ProgressReport::LastDrills, report.lastDrills) &&
        readTotals(store, report.totals))
        return report;
    // Half a report would pass for a record with less practice than it holds.
    ProgressReport unread;
    emptyDays(unread);
    unread.unreadable = store.readError();
    return unread;
}
