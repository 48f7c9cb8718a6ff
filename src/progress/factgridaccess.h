#pragma once

#include <QAccessibleWidget>

#include <vector>

class QTableView;

// The fact grid as a screen reader meets it: a hundred cells, each named by
// its fact and how secure it is ("8 mal 7 gleich 56, noch unsicher"), read
// alone as the arrows reach it. Qt offers the grid as a table, and Orca then
// reads the whole row at every Up and Down, ten facts at a time; this grid
// offers no table to walk, so only the cell is read. Installed for views
// showing a FactGridModel by Install().
class FactGridAccess : public QAccessibleWidget {
public:
    explicit FactGridAccess(QTableView* view);
    ~FactGridAccess() override;

    static void Install();

    QAccessible::Role role() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    QTableView* view() const;
    // Qt numbers a table view's children row by row, the header row and the
    // header column first; a focus event names its cell so.
    int columns() const;

    mutable std::vector<QAccessible::Id> m_children;
};
