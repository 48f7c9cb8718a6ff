#pragma once

// One child's learning record as its readers meet it: the progress window's
// figures (progressreading.h), the facts still hard (hardfacts.h) and every
// answer for the export (answerrows.h). Two keep such records: the
// family's SQLite file (CLearningRecord) and the school's PostgreSQL server
// (ServerStore, one child's rows there). What the two SQL dialects do
// differently stays inside them: keys (the file's own row numbers against
// UUIDs the class computers make), counting (a sum of comparisons against
// count(*) FILTER), times (seconds against milliseconds), where the schema's
// version is kept (PRAGMA user_version against ollo.schema_version). What
// needs no SQL is done once, in C++, by the readers: local days, medians,
// judging a fact. A read that fails says so (false) and why (readError()):
// it never looks like a record without practice.

#include <QString>

#include <functional>
#include <vector>

class QSqlQuery;

#include "kit/progressreport.h"
#include "kit/recordtypes.h"
#include "record/hardfacts.h"

class RecordStore {
public:
    // A fact's answered tasks: how many, and its last ones.
    struct FactTasks {
        Record::Fact fact;
        int asked = 0;
        int rightFirst = 0;
        qint64 lastPosed = 0; // seconds since 1970
        // Newest first, at most ProgressReport::RecentTasks, with the
        // thinking time of each one's first answer.
        std::vector<Record::TaskOutcome> recent;
        std::vector<qint64> recentMs;
    };

    // An answered task's time and outcome.
    struct TaskTime {
        qint64 posed = 0; // seconds since 1970
        Record::TaskOutcome outcome = Record::TaskOutcome::RightFirstTry;
    };

    // A drill's start and its end, or its last answer where the program
    // was ended during it, or its start again without either.
    struct DrillSpan {
        qint64 started = 0; // seconds since 1970
        qint64 until = 0;
    };

    // One typed answer with its task and drill, as the export lists it.
    struct TypedAnswer {
        qint64 at = 0;    // seconds since 1970
        qint64 drill = 0; // the drill's number, counted in the order drills began
        int command = 0;  // the menu command that started the drill
        Record::Operation operation = Record::Operation::Multiplication;
        qint64 factor = 0;
        qint64 series = 0;
        bool chosen = false; // the drill was a "Beliebige Reihe"
        QString expected;
        QString typed;
        int attempt = 1;
        bool correct = false;
        int choice = 0; // 1 "NOCHMALS", 2 "LOESEN", else 0
        qint64 thinkingMs = 0;
    };

    virtual ~RecordStore() = default;

    // A drill summary from a row of started, caption, operation, series,
    // chosen, task count, how it ended, answered, right at once, solved.
    static DrillSummary DrillFromRow(const QSqlQuery& query);

    // False when nothing can be read at all (the reads then fail at once).
    virtual bool canRead() const = 0;
    // Why the last read failed, one German sentence for a parent or teacher.
    virtual QString readError() const = 0;

    // Every fact of the small tables (factor and series 1 to 10) that has an
    // answered task.
    virtual bool readFacts(std::vector<FactTasks>& facts) const = 0;
    // The answered tasks posed from `from` up to, not including, `to`.
    virtual bool readTaskTimes(qint64 from, qint64 to, std::vector<TaskTime>& tasks) const = 0;
    // The drills begun from `from` up to, not including, `to`.
    virtual bool readDrillSpans(qint64 from, qint64 to, std::vector<DrillSpan>& drills) const = 0;
    // The drills of the series beyond the small tables and of "Beliebige
    // Reihe", one summary per series, operation and kind; in no order.
    virtual bool readSeries(std::vector<SeriesSummary>& series) const = 0;
    // The last count drills, newest first, but those a refused limit prompt
    // ended before their first task.
    virtual bool readLastDrills(int count, std::vector<DrillSummary>& drills) const = 0;
    // The totals but the days practised, and the start of every drill that
    // has its series, from which the days are counted.
    virtual bool readTotals(Totals& totals, std::vector<qint64>& drillStarts) const = 0;
    // Every answered task, oldest first.
    virtual bool readHistory(std::vector<HardFacts::Answered>& history) const = 0;
    // Every answer, oldest first, handed to each in turn; false when the
    // read failed or each returned false.
    virtual bool readAnswers(const std::function<bool(const TypedAnswer& answer)>& each) const = 0;
};
