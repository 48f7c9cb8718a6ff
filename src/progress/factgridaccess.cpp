#include "progress/factgridaccess.h"

#include <QHeaderView>
#include <QPointer>
#include <QTableView>
#include <QWindow>

#include "progress/factgridmodel.h"

namespace {

// A cell, or a header when row or column is -1.
class GridItem : public QAccessibleInterface {
public:
    GridItem(QTableView* view, int row, int column)
        : m_view(view)
        , m_row(row)
        , m_column(column) {}

    bool isValid() const override { return m_view && m_view->model(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }

    QAccessible::Role role() const override {
        if (m_row < 0)
            return m_column < 0 ? QAccessible::Cell : QAccessible::ColumnHeader;
        return m_column < 0 ? QAccessible::RowHeader : QAccessible::Cell;
    }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid() || (m_row < 0 && m_column < 0))
            return {};
        const QAbstractItemModel* model = m_view->model();
        if (m_row < 0)
            return model->headerData(m_column, Qt::Horizontal, Qt::AccessibleTextRole).toString();
        if (m_column < 0)
            return model->headerData(m_row, Qt::Vertical, Qt::AccessibleTextRole).toString();
        return model->index(m_row, m_column).data(Qt::AccessibleTextRole).toString();
    }
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}

    QRect rect() const override {
        if (!isValid())
            return {};
        QRect area;
        const QWidget* on = m_view->viewport();
        if (m_row >= 0 && m_column >= 0) {
            area = m_view->visualRect(m_view->model()->index(m_row, m_column));
        } else if (m_row < 0 && m_column >= 0) {
            on = m_view->horizontalHeader();
            area = QRect(m_view->horizontalHeader()->sectionViewportPosition(m_column), 0,
                         m_view->horizontalHeader()->sectionSize(m_column), on->height());
        } else if (m_column < 0 && m_row >= 0) {
            on = m_view->verticalHeader();
            area = QRect(0, m_view->verticalHeader()->sectionViewportPosition(m_row), on->width(),
                         m_view->verticalHeader()->sectionSize(m_row));
        }
        return area.translated(on->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid() || !m_view->isVisible()) {
            s.invisible = true;
            return s;
        }
        if (m_row < 0 || m_column < 0)
            return s;
        const QModelIndex index = m_view->model()->index(m_row, m_column);
        s.focusable = true;
        s.selectable = true;
        s.focused = m_view->hasFocus() && m_view->currentIndex() == index;
        s.selected = m_view->selectionModel() && m_view->selectionModel()->isSelected(index);
        return s;
    }

private:
    QPointer<QTableView> m_view;
    int m_row = -1;
    int m_column = -1;
};

QAccessibleInterface* factGrids(const QString& className, QObject* object) {
    if (className != QLatin1String("QTableView"))
        return nullptr;
    auto* view = qobject_cast<QTableView*>(object);
    if (!view || !dynamic_cast<FactGridModel*>(view->model()))
        return nullptr;
    return new FactGridAccess(view);
}

} // namespace

FactGridAccess::FactGridAccess(QTableView* view)
    : QAccessibleWidget(view, QAccessible::Table) {
}

FactGridAccess::~FactGridAccess() {
    for (QAccessible::Id id : m_children)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
}

void FactGridAccess::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(&factGrids);
        return true;
    }();
    Q_UNUSED(installed);
}

QTableView* FactGridAccess::view() const {
    return static_cast<QTableView*>(widget());
}

int FactGridAccess::columns() const {
    return view()->model() ? view()->model()->columnCount() + 1 : 0;
}

QAccessible::Role FactGridAccess::role() const {
    return QAccessible::Table;
}

int FactGridAccess::childCount() const {
    return view()->model() ? (view()->model()->rowCount() + 1) * columns() : 0;
}

QAccessibleInterface* FactGridAccess::child(int index) const {
    if (index < 0 || index >= childCount())
        return nullptr;
    if (m_children.size() != size_t(childCount()))
        m_children.assign(size_t(childCount()), 0);
    QAccessible::Id& id = m_children[size_t(index)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(
            new GridItem(view(), index / columns() - 1, index % columns() - 1));
    return QAccessible::accessibleInterface(id);
}

int FactGridAccess::indexOfChild(const QAccessibleInterface* child) const {
    for (size_t i = 0; i < m_children.size(); ++i)
        if (m_children[i] != 0 && QAccessible::accessibleInterface(m_children[i]) == child)
            return int(i);
    return -1;
}

QAccessibleInterface* FactGridAccess::childAt(int x, int y) const {
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(at);
    if (!index.isValid())
        return nullptr;
    return child((index.row() + 1) * columns() + index.column() + 1);
}
