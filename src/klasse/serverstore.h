#pragma once

#include <QString>

#include "record/recordstore.h"

class QSqlQuery;

// One child's record on the school's server, read through the teacher's
// connection: the same figures a family's file gives, so that the family's
// progress window and CSV export show it. The server keeps times in
// milliseconds and its keys as UUIDs; a fact's counts and last tasks come
// from the standings it keeps as answers arrive.
class ServerStore : public RecordStore {
public:
    ServerStore(QString connectionName, QString classId, QString childId);

    bool canRead() const override;
    QString readError() const override;
    bool readFacts(std::vector<FactTasks>& facts) const override;
    bool readTaskTimes(qint64 from, qint64 to, std::vector<TaskTime>& tasks) const override;
    bool readSeries(std::vector<SeriesSummary>& series) const override;
    bool readLastDrills(int count, std::vector<DrillSummary>& drills) const override;
    bool readTotals(Totals& totals, std::vector<qint64>& drillStarts) const override;
    bool readHistory(std::vector<HardFacts::Answered>& history) const override;
    bool readAnswers(const std::function<bool(const AnswerRow& answer)>& each) const override;

private:
    // Runs sql with the class and child bound first, then values; false,
    // with the reason kept, when it fails.
    bool run(QSqlQuery& query, const QString& sql, const QVariantList& values = {}) const;
    bool ended(const QSqlQuery& query) const;

    QString m_connection;
    QString m_classId;
    QString m_childId;
    mutable QString m_readError;
};
