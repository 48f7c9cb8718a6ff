#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "kit/recordtypes.h"

// What the progress window shows of a child's record, as plain figures: read
// from the learning record (record/progressreading.h) and shown by the
// progress window (progress/progresswindow.h), which is a module of its own.

// How secure a fact is, judged by the box it is in (record/hardfacts.h):
// Shaky in the first (the last answer was not right at the first try),
// Unsettled in the second (right, but on one day only), Secure or Slow
// (by its recent thinking times) from the third on.
enum class Security { NeverAsked, Secure, Slow, Shaky, Unsettled };

// One fact of the small tables: how often and how well it was answered.
struct FactStanding {
    Security security = Security::NeverAsked;
    int asked = 0;                           // tasks answered
    int rightFirst = 0;                      // of them right at the first try
    qint64 lastAsked = 0;                    // seconds since 1970; 0: never
    std::vector<Record::TaskOutcome> recent; // newest first, at most ProgressReport::RecentTasks
    qint64 typicalMs = 0;                    // median thinking time of the recent first answers
};

struct DayCount {
    QDate day;
    int tasks = 0;
    int rightFirst = 0;
    int seconds = 0; // in the drills begun that day, from their start to their end or last answer
};

// The drills of one series outside the small tables, or of a chosen one.
struct SeriesSummary {
    Record::Operation operation = Record::Operation::Multiplication;
    int series = 0;
    bool chosen = false; // drilled through "Beliebige Reihe"
    int drills = 0;
    int tasks = 0;
    int rightFirst = 0;
    qint64 lastPractised = 0;
};

struct DrillSummary {
    qint64 started = 0;
    QString caption;
    Record::Operation operation = Record::Operation::Multiplication;
    int series = 0;
    bool chosen = false;
    int taskCount = 0; // the tasks it was set to pose
    int answered = 0;
    int rightFirst = 0;
    int solved = 0;                      // shown with "LOESEN"
    std::optional<Record::DrillEnd> end; // none: the program ended during the drill
};

struct Totals {
    int drills = 0;
    int tasks = 0;
    int rightFirst = 0;
    int daysPractised = 0;
    qint64 firstPractised = 0;
    qint64 lastPractised = 0;
};

// One typed answer, as the export lists it.
struct AnswerRow {
    qint64 at = 0;    // seconds since 1970, as OK was pressed
    qint64 drill = 0; // the drill's number in the record
    QString series;   // "7-er Reihe (mal)", "Beliebige Reihe: 13 (geteilt)", "Schwierige Aufgaben"
    QString task;     // "8 X 7", "56 : 7"
    QString expected;
    QString typed;
    int attempt = 1; // 1 for the task's first answer
    bool right = false;
    int choice = 0; // after a wrong answer: 1 "NOCHMALS", 2 "LOESEN"; else 0
    qint64 thinkingMs = 0;
};

// Everything the progress window shows, read from the record in one go.
struct ProgressReport {
    // A fact's standing looks at its last tasks; one answered more slowly
    // than SlowMs (as the median of these) counts as slow.
    static constexpr int RecentTasks = 3;
    static constexpr qint64 SlowMs = 8000;
    static constexpr int ChartDays = 28;
    static constexpr int LastDrills = 20;

    // factor and series 1 to 10; others are taken as the nearest of them.
    const FactStanding& standing(Record::Operation operation, int factor, int series) const;
    FactStanding& standing(Record::Operation operation, int factor, int series);

    // "7-er Reihe (mal)", "Beliebige Reihe: 13 (geteilt)".
    static QString SeriesTitle(Record::Operation operation, int series, bool chosen);

    std::array<FactStanding, 100> times;
    std::array<FactStanding, 100> divide;
    std::vector<DayCount> days; // ChartDays of them, oldest first
    std::vector<SeriesSummary> series;
    std::vector<DrillSummary> lastDrills; // newest first
    Totals totals;
    // Why the record could not be read just now, in German; empty when it
    // was. The figures are then empty: they are not the child's.
    QString unreadable;
};
