#pragma once

// One child's learning record as the school's server keeps it (RecordStore,
// recordstore.h), read through a connection the caller opened with a
// teacher's login: the same figures as the family's file, in PostgreSQL's
// words. Keys are UUIDs, times milliseconds, a drill's tasks found by its key
// and the child's; each fact's last tasks and counts come from the
// standings the server keeps as answers arrive (ollo.fact_standing), so the
// progress window needs no scan of a child's tasks for its grid.

#include <QString>

#include "record/recordstore.h"

class QSqlQuery;

class ServerStore : public RecordStore {
public:
    // connectionName: an open QPSQL connection (QSqlDatabase::database).
    ServerStore(QString connectionName, QString classId, QString childId);

    bool canRead() const override;
    QString readError() const override { return m_readError; }
    bool readFacts(std::vector<FactTasks>& facts) const override;
    bool readTaskTimes(qint64 from, qint64 to, std::vector<TaskTime>& tasks) const override;
    bool readDrillSpans(qint64 from, qint64 to, std::vector<DrillSpan>& drills) const override;
    bool readSeries(std::vector<SeriesSummary>& series) const override;
    bool readLastDrills(int count, std::vector<DrillSummary>& drills) const override;
    bool readTotals(Totals& totals, std::vector<qint64>& drillStarts) const override;
    bool readHistory(std::vector<HardFacts::Answered>& history) const override;
    bool readAnswers(const std::function<bool(const TypedAnswer& answer)>& each) const override;

private:
    // Runs sql with the class and the child as its first two values.
    bool run(QSqlQuery& query, const QString& sql, const QVariantList& more = {}) const;
    bool ended(const QSqlQuery& query) const;

    QString m_connectionName;
    QString m_classId;
    QString m_childId;
    mutable QString m_readError;
};
