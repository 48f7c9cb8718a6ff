#pragma once

#include <QString>
#include <QtGlobal>

#include "drill/seriescatalogue.h"

// One task as the drill poses it.
struct PosedTask {
    int number = 0; // 1 for the drill's first task
    Operation operation = Operation::Multiplication;
    int factor = 0; // the random factor, 1 to 10
    int series = 0; // the series number: the fixed factor or the divisor
    QString text;   // as shown, question marks included
    QString answer; // the expected answer text
};

// What became of one press of OK while a task was asked. A wrong answer is
// told once the wrong-answer dialog has been answered.
enum class AnswerOutcome { Right, WrongThenAgain, WrongThenSolved };

// How a drill ended: after its last task, by the cancel button (or Escape),
// by the close box, or before its first task because the limit prompt was
// refused or gave a number below 2.
enum class DrillEnd { AllDone, EndButton, CloseBox, LimitRefused };

// Watches one drill without changing it: the drill dialog tells every step,
// on the user-interface thread, in this order: drillStarted, then per task
// taskPosed and one answerGiven per press of OK, then drillEnded once.
// A drill that never ends (the program is killed) never says drillEnded.
class DrillObserver {
public:
    virtual ~DrillObserver() = default;

    // Before the first task, so before a "Beliebige Reihe" asks for its number.
    virtual void drillStarted(int commandId, const QString& caption, int taskCount) = 0;
    virtual void taskPosed(const PosedTask& task) = 0;
    // typed: the field's text at OK. thinkingMs: from the task's showing (or
    // the emptied field after "NOCHMALS") to OK, the wrong-answer dialog not
    // included.
    virtual void answerGiven(const QString& typed, AnswerOutcome outcome, qint64 thinkingMs) = 0;
    virtual void drillEnded(DrillEnd how) = 0;
};
