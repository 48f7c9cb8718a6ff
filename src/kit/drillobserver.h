#pragma once

#include <QString>
#include <QtGlobal>

#include "kit/recordtypes.h"

// What a drill tells as it runs, in the words of the learning record
// (recordtypes.h), which listens: the drill and the record share these types,
// and nothing translates between them.

// One task as the drill poses it.
struct PosedTask {
    int number = 0; // 1 for the drill's first task
    Record::Operation operation = Record::Operation::Multiplication;
    int factor = 0; // the random factor, 1 to 10
    int series = 0; // the series number: the fixed factor or the divisor
    QString text;   // as shown, question marks included
    QString answer; // the expected answer text
};

// Watches one drill without changing it: the drill dialog tells every step,
// on the user-interface thread, in this order: drillStarted, then per task
// taskPosed and one answerGiven per press of OK, then drillEnded once.
// A drill that never ends (the program is killed) never says drillEnded.
class DrillObserver {
public:
    virtual ~DrillObserver() = default;

    // Before the first task, so before a "Beliebige Reihe" asks for its
    // number: series is then 0. A drill outside the series catalogue mixes
    // series: its series is -1, so that no single task's series is taken for
    // the drill's.
    virtual void drillStarted(int commandId, const QString& caption, Record::Operation operation, int series,
                              int taskCount) = 0;
    virtual void taskPosed(const PosedTask& task) = 0;
    // typed: the field's text at OK. A wrong answer is told once the
    // wrong-answer dialog has been answered. thinkingMs: from the task's
    // showing (or the emptied field after "NOCHMALS") to OK, the wrong-answer
    // dialog not included; answeredAt: the program's clock (seconds since
    // 1970) as OK was pressed.
    virtual void answerGiven(const QString& typed, Record::Answer answer, qint64 thinkingMs,
                             qint64 answeredAt) = 0;
    // How it ended: after its last task, by the cancel button (or Escape), by
    // the close box, or before its first task because the limit prompt was
    // refused or gave a number below 2.
    virtual void drillEnded(Record::DrillEnd how) = 0;
};
