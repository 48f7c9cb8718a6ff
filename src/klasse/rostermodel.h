#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "klasse/classserver.h"

// The roster as a table, one child a row: the day last practised, drills
// and tasks this week, facts secure of the hundred of each small table, and
// the marks "hat seit einer Woche nicht geübt" and "viele Fehler zuletzt".
// SortRole gives each column's value to sort by.
class RosterModel : public QAbstractTableModel {
public:
    enum Column { Name, LastPractised, Drills, Tasks, SecureTimes, SecureDivide, Marks, ColumnCount };
    static constexpr int SortRole = Qt::UserRole + 1;
    static constexpr int IdRole = Qt::UserRole + 2;

    explicit RosterModel(QObject* parent = nullptr);

    void setRoster(std::vector<RosterRow> roster);
    const std::vector<RosterRow>& roster() const { return m_roster; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "seit einer Woche nicht geübt; viele Fehler zuletzt"; empty without a mark.
    static QString MarksOf(const RosterRow& row);

private:
    std::vector<RosterRow> m_roster;
};
