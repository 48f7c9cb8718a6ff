#pragma once

// A year of a child's daily drills, written into a learning record through
// its own steps, as the drill dialog would tell them: about 20,000 answers.
// The child starts with the 2-, 5- and 10-er Reihe, takes on another series
// each month, divides from the fourth month, and now and then tries the
// large 1×1, the 100 and 1000 and a series of their own choosing. Every fact
// gets easier the more it is practised; 6, 7, 8 and 9 times each other stay
// hardest longest. Deterministic for a seed. The clock is set for every step
// and left on the last one.

#include <QDateTime>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "base/clock.h"
#include "kit/commandids.h"
#include "record/learningrecord.h"

namespace bench {

struct YearOfDrills {
    int drills = 0;
    int tasks = 0;
    int answers = 0;
};

inline YearOfDrills MakeYearOfDrills(CLearningRecord& record, QDate lastDay, quint32 seed = 20240603) {
    using Record::Operation;
    QRandomGenerator random(seed);
    const auto chance = [&random](double p) {
        return random.generateDouble() < p;
    };
    std::map<std::tuple<int, int, int>, int> practised;
    const int order[] = {2, 5, 10, 1, 3, 4, 6, 8, 9, 7};
    YearOfDrills made;

    for (int daysBack = 364; daysBack >= 0; --daysBack) {
        const QDate day = lastDay.addDays(-daysBack);
        const int month = (364 - daysBack) / 30;
        const bool weekend = day.dayOfWeek() >= Qt::Saturday;
        if (!chance(weekend ? 0.55 : 0.85))
            continue;
        qint64 now = QDateTime(day, QTime(15, 30)).toSecsSinceEpoch() + random.bounded(3600);
        const int drillsToday = 3 + int(random.bounded(8));
        for (int d = 0; d < drillsToday; ++d) {
            // Which series: mostly the small tables learnt so far.
            Operation operation = Operation::Multiplication;
            int series = order[random.bounded(std::min(10, 3 + month))];
            int command = Cmd::SeriesSmallFirst + series - 1;
            QString caption = QStringLiteral("%1-er Reihe").arg(series);
            const double pick = random.generateDouble();
            if (month >= 4 && pick < 0.3) {
                operation = Operation::Division;
                command = Cmd::DivisionFirst + series - 1;
            } else if (month >= 8 && pick < 0.4) {
                series = 11 + int(random.bounded(10));
                command = Cmd::SeriesLargeFirst + series - 11;
                caption = QStringLiteral("%1-er Reihe").arg(series);
            } else if (month >= 6 && pick < 0.45) {
                const bool thousand = chance(0.4);
                series = thousand ? 1000 : 100;
                operation = chance(0.5) ? Operation::Division : Operation::Multiplication;
                command = operation == Operation::Division
                              ? (thousand ? Cmd::Divide1000 : Cmd::Divide100)
                              : (thousand ? Cmd::Multiply1000 : Cmd::Multiply100);
                caption = QStringLiteral("%1-er Reihe").arg(series);
            } else if (month >= 9 && pick < 0.48) {
                const int chosen[] = {12, 15, 25};
                series = chosen[random.bounded(3)];
                command = Cmd::AnyMultiplication;
                caption = QStringLiteral("Beliebige Reihe");
            }

            const auto at = [&now](int seconds) {
                now += seconds;
                Clock::SetSource([now] { return std::int64_t(now); });
            };
            at(0);
            record.beginDrill(command, caption, operation, command == Cmd::AnyMultiplication ? 0 : series,
                              10);
            ++made.drills;
            const bool quitsEarly = chance(0.06);
            const int tasks = quitsEarly ? 1 + int(random.bounded(9)) : 10;
            for (int t = 1; t <= tasks; ++t) {
                const int factor = 1 + int(random.bounded(10));
                const Record::Fact fact{operation, factor, series};
                const qint64 product = qint64(factor) * series;
                const QString text = operation == Operation::Division
                                         ? QStringLiteral("%1 : %2 = ").arg(product).arg(series)
                                         : QStringLiteral("%1 X %2 = ").arg(factor).arg(series);
                const QString expected = QString::number(operation == Operation::Division ? factor : product);
                record.addTask(t, fact, text + QString(expected.size(), u'?'), expected);
                ++made.tasks;
                int& times = practised[{int(operation), series, factor}];
                const bool hard = factor >= 6 && series >= 6 && series <= 10;
                const double wrong =
                    (hard ? 0.45 : 0.22) * std::exp(-times / (hard ? 40.0 : 12.0)) + (hard ? 0.05 : 0.015);
                const double thinking = (hard ? 8000.0 : 5000.0) * std::exp(-times / (hard ? 90.0 : 30.0)) +
                                        (hard ? 4500.0 : 2000.0);
                ++times;
                const auto think = [&] {
                    return qint64(thinking * (0.6 + random.generateDouble()));
                };
                at(3);
                if (!chance(wrong)) {
                    const qint64 ms = think();
                    at(int(ms / 1000));
                    record.addAnswer(expected, Record::Answer::Right, ms);
                    ++made.answers;
                    continue;
                }
                const QString typo = QString::number(expected.toLongLong() + 1 + random.bounded(3));
                const bool solves = chance(0.3);
                record.addAnswer(
                    typo, solves ? Record::Answer::WrongThenSolved : Record::Answer::WrongThenAgain, think());
                ++made.answers;
                at(4);
                if (!solves) {
                    const bool againWrong = chance(0.2);
                    record.addAnswer(againWrong ? typo : expected,
                                     againWrong ? Record::Answer::WrongThenSolved : Record::Answer::Right,
                                     think());
                    ++made.answers;
                }
            }
            at(2);
            record.endDrill(quitsEarly
                                ? (chance(0.5) ? Record::DrillEnd::EndButton : Record::DrillEnd::CloseBox)
                                : Record::DrillEnd::AllDone);
            now += 600 + random.bounded(1800);
        }
    }
    return made;
}

} // namespace bench
