#pragma once

// The record module's plugin object, and the record it opens.

#include <QObject>

#include "kit/recordmodule.h"
#include "record/learningrecord.h"

class RecordLog : public LearningLog {
public:
    explicit RecordLog(const QString& baseName);

    void beginDrill(int commandId, const QString& caption, Record::Operation operation, int series,
                    int taskCount) override;
    void addTask(int number, const Record::Fact& fact, const QString& text, const QString& expected) override;
    void addAnswer(const QString& typed, Record::Answer answer, qint64 thinkingMs) override;
    void endDrill(Record::DrillEnd how) override;
    QString takeNotice() override;
    bool canRead() const override;
    QString faultReason() const override;
    std::vector<Record::Fact> hardFacts(qint64 now, int count) const override;
    void showProgress(QWidget* owner, CChildList* children) override;

    CLearningRecord& record() { return m_record; }

private:
    CLearningRecord m_record;
};

class RecordPlugin : public QObject, public RecordModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.ollo.RecordModule/1")
    Q_INTERFACES(RecordModule)

public:
    std::unique_ptr<LearningLog> openLog(const QString& baseName) override;
};
