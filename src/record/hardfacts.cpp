#include "record/hardfacts.h"

#include <QDateTime>

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

#include "record/recordstore.h"

namespace HardFacts {

namespace {

QDate dayOf(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).date();
}

qint64 startOf(QDate day) {
    return QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
}

} // namespace

int WaitDaysOf(int box) {
    static constexpr std::array<int, BoxCount> days = {0, 1, 3, 7, 14};
    return days[size_t(std::clamp(box, 1, BoxCount) - 1)];
}

std::vector<Standing> Sort(const std::vector<Answered>& history) {
    std::map<Record::Fact, Standing> boxes;
    for (const Answered& task : history) {
        if (task.outcome == Record::TaskOutcome::Unanswered)
            continue;
        auto [at, added] = boxes.try_emplace(task.fact, Standing{task.fact, 1, 0, 0, {}});
        Standing& standing = at->second;
        const QDate day = dayOf(task.posed);
        if (task.outcome != Record::TaskOutcome::RightFirstTry) {
            standing.box = 1;
            standing.climbedOn = {};
        } else if (standing.climbedOn != day) {
            standing.box = std::min(standing.box + 1, BoxCount);
            standing.climbedOn = day;
        }
        standing.lastAsked = task.posed;
        standing.due = standing.box == 1 ? task.posed : startOf(day.addDays(WaitDaysOf(standing.box)));
    }
    std::vector<Standing> sorted;
    sorted.reserve(boxes.size());
    for (const auto& [fact, standing] : boxes)
        sorted.push_back(standing);
    return sorted;
}

Due Choose(const std::vector<Answered>& history, qint64 now, int count) {
    std::vector<Standing> due;
    Due chosen;
    for (const Standing& standing : Sort(history)) {
        if (standing.due <= now) {
            due.push_back(standing);
            continue;
        }
        const QDate day = dayOf(standing.due);
        if (!chosen.nextDay.isValid() || day < chosen.nextDay) {
            chosen.nextDay = day;
            chosen.nextCount = 0;
        }
        if (day == chosen.nextDay)
            ++chosen.nextCount;
    }
    std::sort(due.begin(), due.end(), [](const Standing& a, const Standing& b) {
        return std::tuple(a.box, a.due, a.fact) < std::tuple(b.box, b.due, b.fact);
    });
    for (const Standing& standing : due) {
        if (int(chosen.facts.size()) >= count)
            break;
        chosen.facts.push_back(standing.fact);
    }
    return chosen;
}

std::optional<std::vector<Answered>> ReadHistory(const RecordStore& store) {
    std::vector<Answered> history;
    if (!store.readHistory(history))
        return std::nullopt;
    return history;
}

} // namespace HardFacts
