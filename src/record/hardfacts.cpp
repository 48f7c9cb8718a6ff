#include "record/hardfacts.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

#include "record/recordstore.h"

namespace HardFacts {

qint64 WaitOf(int box) {
    static constexpr std::array<qint64, BoxCount> days = {0, 1, 3, 7, 14};
    return days[size_t(std::clamp(box, 1, BoxCount) - 1)] * 24 * 60 * 60;
}

std::vector<Standing> Sort(const std::vector<Answered>& history) {
    std::map<Record::Fact, Standing> boxes;
    for (const Answered& task : history) {
        if (task.outcome == Record::TaskOutcome::Unanswered)
            continue;
        auto [at, added] = boxes.try_emplace(task.fact, Standing{task.fact, 1, 0, 0});
        Standing& standing = at->second;
        if (task.outcome == Record::TaskOutcome::RightFirstTry)
            standing.box = added ? 2 : std::min(standing.box + 1, BoxCount);
        else
            standing.box = 1;
        standing.lastAsked = task.posed;
        standing.due = task.posed + WaitOf(standing.box);
    }
    std::vector<Standing> sorted;
    sorted.reserve(boxes.size());
    for (const auto& [fact, standing] : boxes)
        sorted.push_back(standing);
    return sorted;
}

std::vector<Record::Fact> Choose(const std::vector<Answered>& history, qint64 now, int count) {
    std::vector<Standing> standings = Sort(history);
    const auto rank = [now](const Standing& s) {
        const bool due = s.due <= now;
        return std::tuple(!due, due ? s.box : 0, s.due, s.fact);
    };
    std::sort(standings.begin(), standings.end(),
              [&rank](const Standing& a, const Standing& b) { return rank(a) < rank(b); });
    std::vector<Record::Fact> chosen;
    for (const Standing& standing : standings) {
        if (int(chosen.size()) >= count)
            break;
        chosen.push_back(standing.fact);
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
