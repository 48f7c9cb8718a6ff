#pragma once

#include "drill/drillobserver.h"

class LearningLog;

// Hands what a drill tells (drill/drillobserver.h) to the learning record in
// the record's own words. The two subsystems know nothing of each other;
// this is where they meet.
class CDrillRecording : public DrillObserver {
public:
    explicit CDrillRecording(LearningLog& record);

    void drillStarted(int commandId, const QString& caption, int taskCount) override;
    void taskPosed(const PosedTask& task) override;
    void answerGiven(const QString& typed, AnswerOutcome outcome, qint64 thinkingMs) override;
    void drillEnded(DrillEnd how) override;

private:
    LearningLog& m_record;
};
