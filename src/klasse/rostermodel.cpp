#include "klasse/rostermodel.h"

#include <QBrush>
#include <QColor>
#include <QStringList>

#include "progress/progresstext.h"

RosterModel::RosterModel(QObject* parent)
    : QAbstractTableModel(parent) {
}

void RosterModel::setRoster(std::vector<RosterRow> roster) {
    // The same children: the rows stay, so selection and sorting stay too.
    bool same = roster.size() == m_roster.size();
    for (size_t i = 0; same && i < roster.size(); ++i)
        same = roster[i].id == m_roster[i].id;
    if (same) {
        m_roster = std::move(roster);
        if (!m_roster.empty())
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
        return;
    }
    beginResetModel();
    m_roster = std::move(roster);
    endResetModel();
}

int RosterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_roster.size());
}

int RosterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString RosterModel::MarksOf(const RosterRow& row) {
    QStringList marks;
    if (row.idle)
        marks << (row.lastPractised == 0 ? QStringLiteral("hat noch nicht geübt")
                                         : QStringLiteral("hat seit einer Woche nicht geübt"));
    if (row.manyMistakes)
        marks << QStringLiteral("viele Fehler zuletzt");
    return marks.join(QStringLiteral("; "));
}

QVariant RosterModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_roster.size())
        return {};
    const RosterRow& row = m_roster[size_t(index.row())];
    if (role == IdRole)
        return row.id;
    if (role == Qt::TextAlignmentRole)
        return int(index.column() == Name || index.column() == Marks || index.column() == LastPractised
                       ? Qt::AlignLeft | Qt::AlignVCenter
                       : Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::BackgroundRole && index.column() == Marks && (row.idle || row.manyMistakes))
        return QBrush(QColor(0xff, 0xe8, 0xb0));
    if (role == SortRole) {
        switch (Column(index.column())) {
        case Name:
            return row.name.toLower();
        case LastPractised:
            return row.lastPractised;
        case Drills:
            return row.drillsThisWeek;
        case Tasks:
            return row.tasksThisWeek;
        case SecureTimes:
            return row.secureTimes;
        case SecureDivide:
            return row.secureDivide;
        case Marks:
            return int(row.idle) * 2 + int(row.manyMistakes);
        case ColumnCount:
            break;
        }
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole)
        return {};
    switch (Column(index.column())) {
    case Name:
        return row.name;
    case LastPractised:
        return row.lastPractised == 0 ? QStringLiteral("noch nie")
                                      : ProgressText::whenText(row.lastPractised);
    case Drills:
        return row.drillsThisWeek;
    case Tasks:
        return row.tasksThisWeek;
    case SecureTimes:
        return role == Qt::DisplayRole
                   ? QVariant(row.secureTimes)
                   : QVariant(QStringLiteral("%1 von 100 Malaufgaben sicher").arg(row.secureTimes));
    case SecureDivide:
        return role == Qt::DisplayRole
                   ? QVariant(row.secureDivide)
                   : QVariant(QStringLiteral("%1 von 100 Geteiltaufgaben sicher").arg(row.secureDivide));
    case Marks:
        if (role == Qt::ToolTipRole && row.manyMistakes)
            return QStringLiteral("%1 (%2 der letzten %3 Aufgaben nicht auf Anhieb richtig)")
                .arg(MarksOf(row))
                .arg(row.recentMistakes)
                .arg(row.recentTasks);
        return MarksOf(row);
    case ColumnCount:
        break;
    }
    return {};
}

QVariant RosterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    static const char* const titles[ColumnCount] = {"Kind",
                                                    "Zuletzt geübt",
                                                    "Übungen\ndiese Woche",
                                                    "Aufgaben\ndiese Woche",
                                                    "× sicher\n(von 100)",
                                                    ": sicher\n(von 100)",
                                                    "Hinweis"};
    return QString::fromUtf8(titles[section]);
}
