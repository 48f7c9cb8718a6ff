#include "progress/factgridmodel.h"

#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <QImage>

namespace {

QString when(qint64 seconds) {
    return QLocale(QLocale::German, QLocale::Germany)
        .toString(QDateTime::fromSecsSinceEpoch(seconds).date(), QStringLiteral("d. MMMM yyyy"));
}

} // namespace

FactGridModel::FactGridModel(QObject* parent)
    : QAbstractTableModel(parent) {
}

void FactGridModel::setReport(const ProgressReport& report) {
    beginResetModel();
    m_times = report.times;
    m_divide = report.divide;
    endResetModel();
}

void FactGridModel::setOperation(Record::Operation operation) {
    if (operation == m_operation)
        return;
    m_operation = operation;
    Q_EMIT dataChanged(index(0, 0), index(9, 9));
    Q_EMIT headerDataChanged(Qt::Vertical, 0, 9);
}

int FactGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 10;
}

int FactGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 10;
}

const FactStanding& FactGridModel::standingAt(const QModelIndex& index) const {
    return (m_operation == Record::Operation::Division ? m_divide
                                                       : m_times)[size_t(index.row() * 10 + index.column())];
}

QColor FactGridModel::ColourOf(Security security) {
    switch (security) {
    case Security::Secure:
        return QColor(0x8f, 0xd1, 0x8a);
    case Security::Slow:
        return QColor(0xff, 0xdc, 0x6e);
    case Security::Shaky:
        return QColor(0xf0, 0x8c, 0x84);
    case Security::Unsettled:
        return QColor(0xcf, 0xec, 0xf7);
    case Security::NeverAsked:
        break;
    }
    return QColor(0xee, 0xee, 0xee);
}

QBrush FactGridModel::BrushOf(Security security) {
    const QColor colour = ColourOf(security);
    if (security != Security::Shaky)
        return QBrush(colour);
    // Darker stripes across the colour, seamless as tiles.
    static const QImage hatch = [colour] {
        QImage tile(8, 8, QImage::Format_RGB32);
        tile.fill(colour);
        QPainter painter(&tile);
        painter.setPen(QPen(colour.darker(170), 1.5));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawLine(QPointF(-1, 9), QPointF(9, -1));
        painter.drawLine(QPointF(-1, 1), QPointF(1, -1));
        painter.drawLine(QPointF(7, 9), QPointF(9, 7));
        return tile;
    }();
    QBrush brush(hatch);
    brush.setColor(colour);
    return brush;
}

QString FactGridModel::LegendOf(Security security) {
    return security == Security::Shaky ? QStringLiteral("noch unsicher (schraffiert)") : NameOf(security);
}

QString FactGridModel::NameOf(Security security) {
    switch (security) {
    case Security::Secure:
        return QStringLiteral("sicher");
    case Security::Slow:
        return QStringLiteral("richtig, aber langsam");
    case Security::Shaky:
        return QStringLiteral("noch unsicher");
    case Security::Unsettled:
        return QStringLiteral("richtig, noch nicht gefestigt");
    case Security::NeverAsked:
        break;
    }
    return QStringLiteral("noch nicht geübt");
}

QString FactGridModel::factText(const QModelIndex& index, bool spoken) const {
    const int factor = index.row() + 1;
    const int series = index.column() + 1;
    if (m_operation == Record::Operation::Division)
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(factor * series)
            .arg(spoken ? QStringLiteral("geteilt durch") : QStringLiteral(":"))
            .arg(series)
            .arg(spoken ? QStringLiteral("gleich") : QStringLiteral("="))
            .arg(factor);
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(factor)
        .arg(spoken ? QStringLiteral("mal") : QStringLiteral("×"))
        .arg(series)
        .arg(spoken ? QStringLiteral("gleich") : QStringLiteral("="))
        .arg(factor * series);
}

QString FactGridModel::describe(const QModelIndex& index) const {
    if (!index.isValid())
        return {};
    const FactStanding& standing = standingAt(index);
    QString text = factText(index, false) + QStringLiteral(": ") + NameOf(standing.security) + u'.';
    if (standing.asked == 0)
        return text;
    text += QStringLiteral(" %1-mal geübt, davon %2-mal auf Anhieb richtig; zuletzt am %3.")
                .arg(standing.asked)
                .arg(standing.rightFirst)
                .arg(when(standing.lastAsked));
    if (standing.typicalMs > 0)
        text += QStringLiteral(" Meist %1 Sekunden bis zur Antwort.")
                    .arg(QLocale(QLocale::German).toString(double(standing.typicalMs) / 1000.0, 'f', 0));
    return text;
}

QVariant FactGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::number((index.row() + 1) * (index.column() + 1));
    case Qt::BackgroundRole:
        return BrushOf(standingAt(index).security);
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ToolTipRole:
        return describe(index);
    case Qt::AccessibleTextRole: {
        const FactStanding& standing = standingAt(index);
        QString text = factText(index, true) + QStringLiteral(", ") + NameOf(standing.security);
        if (standing.asked > 0)
            text += QStringLiteral(", %1-mal geübt, %2-mal auf Anhieb richtig")
                        .arg(standing.asked)
                        .arg(standing.rightFirst);
        return text;
    }
    default:
        return {};
    }
}

QVariant FactGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section < 0 || section > 9)
        return {};
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? QStringLiteral("%1er").arg(section + 1)
                                             : QString::number(section + 1);
    if (role == Qt::AccessibleTextRole || role == Qt::ToolTipRole) {
        if (orientation == Qt::Horizontal)
            return QStringLiteral("%1-er Reihe").arg(section + 1);
        return m_operation == Record::Operation::Division ? QStringLiteral("Ergebnis %1").arg(section + 1)
                                                          : QStringLiteral("%1 mal").arg(section + 1);
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}
