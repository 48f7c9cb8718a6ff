#pragma once

// The learning record as the rest of the program meets it (LearningLog,
// kit/recordmodule.h): what the drills tell, handed to CLearningRecord, and
// what the progress window shows and does, read from it.

#include <functional>
#include <memory>
#include <utility>

#include "kit/recordmodule.h"
#include "record/learningrecord.h"

class RecordLog : public LearningLog {
public:
    // The record of the settings <baseName>.INI, opened and kept here.
    explicit RecordLog(const QString& baseName);
    // A record opened by someone else, who keeps it longer than this.
    explicit RecordLog(CLearningRecord& record);

    void drillStarted(int commandId, const QString& caption, Record::Operation operation, int series,
                      int taskCount) override;
    void taskPosed(const PosedTask& task) override;
    void answerGiven(const QString& typed, Record::Answer answer, qint64 thinkingMs,
                     qint64 answeredAt) override;
    void drillEnded(Record::DrillEnd how) override;

    ProgressReport report(QDate today) const override;
    bool canRead() const override;
    bool canWrite() const override;
    QString faultReason() const override;
    QString stateText() const override;
    QString takeNotice() override;
    QString baseName() const override;
    bool readAnswers(std::vector<AnswerRow>* rows) const override;
    bool clearHistory() override;
    bool historyIsShared() const override { return static_cast<bool>(m_written); }
    void removeRecordOf(const QString& baseName) override;
    int answeredTasksOf(const QString& baseName) const override;
    bool giveHistoryTo(const QString& baseName, QString* error) override;
    QString historyGivenTo() const override { return m_givenTo; }

    std::optional<DueFacts> hardFacts(qint64 now, int count) const override;

    CLearningRecord& record() { return m_record; }
    // Called after each answer and each drill's end has been written, to
    // send them on (class mode: the history is then the school's too).
    void setOnWritten(std::function<void()> written) { m_written = std::move(written); }

private:
    std::unique_ptr<CLearningRecord> m_owned;
    CLearningRecord& m_record;
    std::function<void()> m_written;
    QString m_givenTo;
};
