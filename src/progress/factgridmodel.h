#pragma once

#include <QAbstractTableModel>
#include <QBrush>
#include <QColor>

#include <array>

#include "kit/progressreport.h"

// The small tables as a 10 × 10 grid for one operation: row r is the factor
// r + 1, column c the series c + 1 ("7er"), and every cell shows the product,
// so the grid reads like the 1×1 on a classroom wall. In the division grid
// the same cell stands for product : series. A cell's colour is the fact's
// security, and a fact still shaky is hatched too, so that it differs from a
// secure one by more than its hue; its tooltip and its text for screen
// readers say it in words.
class FactGridModel : public QAbstractTableModel {
public:
    explicit FactGridModel(QObject* parent = nullptr);

    void setReport(const ProgressReport& report);
    void setOperation(Record::Operation operation);
    Record::Operation operation() const { return m_operation; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The cell's story in a sentence or three, for the line under the grid.
    QString describe(const QModelIndex& index) const;

    static QColor ColourOf(Security security);
    // The colour, hatched for Security::Shaky: a cell's background.
    static QBrush BrushOf(Security security);
    // "sicher", "richtig, aber langsam", "noch unsicher", "noch nicht geübt".
    static QString NameOf(Security security);
    // The name as the legend beside the swatch has it, the hatching said.
    static QString LegendOf(Security security);

private:
    const FactStanding& standingAt(const QModelIndex& index) const;
    // "8 × 7 = 56" (spoken: "8 mal 7 gleich 56").
    QString factText(const QModelIndex& index, bool spoken) const;

    std::array<FactStanding, 100> m_times;
    std::array<FactStanding, 100> m_divide;
    Record::Operation m_operation = Record::Operation::Multiplication;
};
