#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include "klasse/classserver.h"

// The class's small tables as a 10 × 10 grid for one operation, laid out as
// the family's "Lernfortschritt" grid (row: factor, column: series). A cell
// shows how many children are secure on the fact, its colour the share of
// the class that is (red none, yellow half, green all; grey: nobody has
// practised it), and its tooltip and text for a screen reader say it in
// words, with the children still shaky on it.
class ClassGridModel : public QAbstractTableModel {
public:
    explicit ClassGridModel(QObject* parent = nullptr);

    void setGrid(const ClassGrid& grid);
    void setOperation(Record::Operation operation);
    Record::Operation operation() const { return m_operation; }
    const ClassGrid& grid() const { return m_grid; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const ClassFact& factAt(const QModelIndex& index) const;
    // "8 × 7 = 56: 18 von 25 Kindern sicher (72 %). Noch unsicher: Anna, Ben."
    QString describe(const QModelIndex& index) const;
    // The share's colour: 0 to 1, or below 0 for a fact nobody practised.
    static QColor ColourOf(double share);

private:
    QString factText(const QModelIndex& index, bool spoken) const;

    ClassGrid m_grid;
    Record::Operation m_operation = Record::Operation::Multiplication;
};
