#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

#include "kit/recordtypes.h"

class RecordStore;

// Which facts are still hard: every fact the child was ever asked, in any
// series, sits in one of five boxes. A task answered right at the first try
// moves its fact up one box (at most to the fifth), any other answered task
// puts it back in the first. A fact comes again this many days after it was
// last asked: box 1 at once, then 1, 3, 7 and 14 days.
namespace HardFacts {

inline constexpr int BoxCount = 5;

// One answered task of the record, as the boxes need it.
struct Answered {
    Record::Fact fact;
    qint64 posed = 0; // seconds since 1970
    Record::TaskOutcome outcome = Record::TaskOutcome::RightFirstTry;
};

struct Standing {
    Record::Fact fact;
    int box = 1;
    qint64 lastAsked = 0;
    qint64 due = 0; // seconds since 1970

    bool operator==(const Standing&) const = default;
};

// Seconds a fact waits in this box (1 to BoxCount) before it is due.
qint64 WaitOf(int box);

// The facts' boxes after these tasks, taken in the order given (oldest
// first); unanswered tasks leave a fact where it was. Sorted by fact.
std::vector<Standing> Sort(const std::vector<Answered>& history);

// The count least secure facts at now: the due ones first, lower boxes
// before higher, longer due before more recently due; then those not yet due,
// the soonest first. Ties go by fact. Fewer when fewer facts are known.
std::vector<Record::Fact> Choose(const std::vector<Answered>& history, qint64 now, int count);

// Every answered task of the record, oldest first; nothing when it cannot be read.
std::optional<std::vector<Answered>> ReadHistory(const RecordStore& store);

} // namespace HardFacts
