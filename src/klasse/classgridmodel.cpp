#include "klasse/classgridmodel.h"

#include <QBrush>

#include "progress/progresstext.h"

ClassGridModel::ClassGridModel(QObject* parent)
    : QAbstractTableModel(parent) {
}

void ClassGridModel::setGrid(const ClassGrid& grid) {
    m_grid = grid;
    Q_EMIT dataChanged(index(0, 0), index(9, 9));
}

void ClassGridModel::setOperation(Record::Operation operation) {
    m_operation = operation;
    Q_EMIT dataChanged(index(0, 0), index(9, 9));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 9);
}

int ClassGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 10;
}

int ClassGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 10;
}

const ClassFact& ClassGridModel::factAt(const QModelIndex& index) const {
    return m_grid.fact(m_operation, index.row() + 1, index.column() + 1);
}

QColor ClassGridModel::ColourOf(double share) {
    if (share < 0)
        return QColor(0xee, 0xee, 0xee);
    // From the family grid's red through its yellow to its green.
    const QColor red(0xf0, 0x8c, 0x84);
    const QColor yellow(0xff, 0xdc, 0x6e);
    const QColor green(0x8f, 0xd1, 0x8a);
    const auto mix = [](const QColor& a, const QColor& b, double t) {
        return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                                float(a.greenF() + (b.greenF() - a.greenF()) * t),
                                float(a.blueF() + (b.blueF() - a.blueF()) * t));
    };
    return share < 0.5 ? mix(red, yellow, share * 2) : mix(yellow, green, (share - 0.5) * 2);
}

QString ClassGridModel::factText(const QModelIndex& index, bool spoken) const {
    const int factor = index.row() + 1;
    const int series = index.column() + 1;
    if (m_operation == Record::Operation::Division)
        return spoken ? QStringLiteral("%1 geteilt durch %2 gleich %3")
                            .arg(factor * series)
                            .arg(series)
                            .arg(factor)
                      : QStringLiteral("%1 : %2 = %3").arg(factor * series).arg(series).arg(factor);
    return spoken ? QStringLiteral("%1 mal %2 gleich %3").arg(factor).arg(series).arg(factor * series)
                  : QStringLiteral("%1 × %2 = %3").arg(factor).arg(series).arg(factor * series);
}

QString ClassGridModel::describe(const QModelIndex& index) const {
    if (!index.isValid())
        return {};
    const ClassFact& fact = factAt(index);
    QString text = QStringLiteral("%1: ").arg(factText(index, false));
    if (fact.practised == 0)
        return text + QStringLiteral("noch von keinem Kind geübt.");
    text += QStringLiteral("%1 von %2 Kindern sicher (%3)")
                .arg(fact.secure)
                .arg(m_grid.children)
                .arg(ProgressText::percent(fact.secure, m_grid.children));
    if (fact.slow > 0)
        text += QStringLiteral(", %1 richtig, aber langsam").arg(fact.slow);
    text += fact.shaky.isEmpty()
                ? QStringLiteral(". Niemand ist darin noch unsicher.")
                : QStringLiteral(". Noch unsicher: %1.").arg(fact.shaky.join(QStringLiteral(", ")));
    if (const int never = m_grid.children - fact.practised; never > 0)
        text += never == 1 ? QStringLiteral(" Ein Kind hat es noch nicht geübt.")
                           : QStringLiteral(" %1 Kinder haben es noch nicht geübt.").arg(never);
    return text;
}

QVariant ClassGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const ClassFact& fact = factAt(index);
    switch (role) {
    case Qt::DisplayRole:
        return fact.practised > 0 ? QVariant(fact.secure) : QVariant(QStringLiteral("–"));
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        return QBrush(ColourOf(fact.practised == 0 || m_grid.children == 0
                                   ? -1.0
                                   : double(fact.secure) / double(m_grid.children)));
    case Qt::ForegroundRole:
        return QBrush(Qt::black);
    case Qt::ToolTipRole:
        return describe(index);
    case Qt::AccessibleTextRole: {
        QString spoken = describe(index);
        return spoken.replace(factText(index, false), factText(index, true));
    }
    default:
        return {};
    }
}

QVariant ClassGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    return m_operation == Record::Operation::Division ? QStringLiteral(": %1").arg(section + 1)
                                                      : QStringLiteral("%1er").arg(section + 1);
}
