#pragma once

#include <QDate>
#include <QtGlobal>

#include <optional>
#include <vector>

#include "kit/recordmodule.h"
#include "kit/recordtypes.h"

class RecordStore;

// Which facts are still hard: every fact the child was ever asked, in any
// series, sits in one of five boxes. Its first right answer at the first try
// puts a fact in the second box, each later one moves it up one more (to the
// fifth at most), but never more than one box on one calendar day; any other
// answered task puts it back in the first, from where it may climb again the
// same day. A fact is due again at once from box 1, and from the others on
// the first, third, seventh and fourteenth day after the day it was last
// asked. "Schwierige Aufgaben" drills the due facts only, and the progress
// window colours a fact by its box (progressreading.h).
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
    // Seconds since 1970: the moment it was last asked in box 1, local
    // midnight of the day it comes back in the others.
    qint64 due = 0;
    // The local day it last moved up; none since it last fell to box 1.
    QDate climbedOn;

    bool operator==(const Standing&) const = default;
};

// Days a fact waits in this box (1 to BoxCount) after the day it was last asked.
int WaitDaysOf(int box);

// The facts' boxes after these tasks, taken in the order given (oldest
// first); unanswered tasks leave a fact where it was. Sorted by fact.
std::vector<Standing> Sort(const std::vector<Answered>& history);

// What "Schwierige Aufgaben" drills at now: at most count of the due facts,
// lower boxes before higher, longer due before more recently due, ties by
// fact; and, for a child with nothing due, when the next ones come back.
using Due = DueFacts;
Due Choose(const std::vector<Answered>& history, qint64 now, int count);

// Every answered task of the record, oldest first; nothing when it cannot be read.
std::optional<std::vector<Answered>> ReadHistory(const RecordStore& store);

} // namespace HardFacts
