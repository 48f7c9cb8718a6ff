#include "record/recordplugin.h"

#include "record/hardfacts.h"
#include "record/progresswindow.h"

RecordLog::RecordLog(const QString& baseName)
    : m_record(CLearningRecord::PathFor(baseName)) {
    m_record.open();
}

void RecordLog::beginDrill(int commandId, const QString& caption, Record::Operation operation, int series,
                           int taskCount) {
    m_record.beginDrill(commandId, caption, operation, series, taskCount);
}

void RecordLog::addTask(int number, const Record::Fact& fact, const QString& text, const QString& expected) {
    m_record.addTask(number, fact, text, expected);
}

void RecordLog::addAnswer(const QString& typed, Record::Answer answer, qint64 thinkingMs) {
    m_record.addAnswer(typed, answer, thinkingMs);
}

void RecordLog::endDrill(Record::DrillEnd how) {
    m_record.endDrill(how);
}

QString RecordLog::takeNotice() {
    return m_record.takeNotice();
}

bool RecordLog::canRead() const {
    return m_record.canRead();
}

QString RecordLog::faultReason() const {
    return m_record.faultReason();
}

std::vector<Record::Fact> RecordLog::hardFacts(qint64 now, int count) const {
    return HardFacts::Choose(HardFacts::ReadHistory(m_record), now, count);
}

void RecordLog::showProgress(QWidget* owner, CChildList* children) {
    CProgressWindow window(m_record, owner, children);
    window.exec();
}

std::unique_ptr<LearningLog> RecordPlugin::openLog(const QString& baseName) {
    return std::make_unique<RecordLog>(baseName);
}
