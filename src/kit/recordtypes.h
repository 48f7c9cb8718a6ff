#pragma once

#include <compare>

// The words of a drill and of the learning record, as its database stores
// them: the numbers are the values in its columns and must not change. The
// drill speaks them too (drillobserver.h), so a recorded field passes from the
// drill to the record without translation.
namespace Record {

enum class Operation { Multiplication = 0, Division = 1 };

// What became of one press of OK (see drillobserver.h).
enum class Answer { Right, WrongThenAgain, WrongThenSolved };

// A task's result as far as it went.
enum class TaskOutcome {
    Unanswered = 0,      // posed, then the drill ended before any answer
    RightFirstTry = 1,   // the first answer was right
    RightAfterAgain = 2, // right after one or more "NOCHMALS"
    Solved = 3,          // shown with "LOESEN"
    WrongUnfinished = 4, // wrong, then the drill ended before it was right or solved
};

enum class DrillEnd { AllDone = 1, EndButton = 2, CloseBox = 3, LimitRefused = 4 };

// Why the record is not kept: the file cannot be written because another
// program holds it, it is write-protected, damaged, the disk is full, a newer
// Ollo made it, or the database cannot be reached at all.
enum class Fault { None, Locked, ReadOnly, Corrupt, DiskFull, NewerSchema, Unavailable };

// One fact of the tables, the unit a child learns: "factor X series" or
// "factor·series : series". Key of every per-fact figure.
struct Fact {
    Operation operation = Operation::Multiplication;
    int factor = 0;
    int series = 0;

    auto operator<=>(const Fact&) const = default;
};

} // namespace Record
