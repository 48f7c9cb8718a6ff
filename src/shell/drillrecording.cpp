#include "shell/drillrecording.h"

#include "drill/seriescatalogue.h"
#include "kit/recordmodule.h"

namespace {

Record::Operation recordOperation(Operation operation) {
    return operation == Operation::Division ? Record::Operation::Division : Record::Operation::Multiplication;
}

} // namespace

CDrillRecording::CDrillRecording(LearningLog& record)
    : m_record(record) {
}

void CDrillRecording::drillStarted(int commandId, const QString& caption, int taskCount) {
    // A drill outside the catalogue mixes series: its series stays -1, so
    // that no single task's series is taken for the drill's.
    const SeriesInfo* series = FindSeries(commandId);
    m_record.beginDrill(commandId, caption,
                        recordOperation(series ? series->operation : Operation::Multiplication),
                        series ? series->number : -1, taskCount);
}

void CDrillRecording::taskPosed(const PosedTask& task) {
    m_record.addTask(task.number, {recordOperation(task.operation), task.factor, task.series}, task.text,
                     task.answer);
}

void CDrillRecording::answerGiven(const QString& typed, AnswerOutcome outcome, qint64 thinkingMs) {
    const Record::Answer answer = outcome == AnswerOutcome::Right ? Record::Answer::Right
                                  : outcome == AnswerOutcome::WrongThenAgain
                                      ? Record::Answer::WrongThenAgain
                                      : Record::Answer::WrongThenSolved;
    m_record.addAnswer(typed, answer, thinkingMs);
}

void CDrillRecording::drillEnded(DrillEnd how) {
    switch (how) {
    case DrillEnd::AllDone:
        m_record.endDrill(Record::DrillEnd::AllDone);
        return;
    case DrillEnd::EndButton:
        m_record.endDrill(Record::DrillEnd::EndButton);
        return;
    case DrillEnd::CloseBox:
        m_record.endDrill(Record::DrillEnd::CloseBox);
        return;
    case DrillEnd::LimitRefused:
        m_record.endDrill(Record::DrillEnd::LimitRefused);
        return;
    }
}
