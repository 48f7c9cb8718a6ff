#include "kit/spokenname.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QVariant>

namespace {

constexpr char kSpokenName[] = "ollo.spokenName";

// What Qt's own interface of a menu item tells, with the name replaced.
class SpokenMenuItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit SpokenMenuItem(QAction* action)
        : m_action(action) {}

    bool isValid() const override { return m_action && menu(); }
    QObject* object() const override { return m_action; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(menu()); }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QAccessible::Role role() const override {
        return m_action->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return m_action->property(kSpokenName).toString();
        if (t == QAccessible::Accelerator)
            return m_action->shortcut().toString(QKeySequence::NativeText);
        return {};
    }
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}

    QRect rect() const override {
        const QMenu* owner = menu();
        if (!owner)
            return {};
        return owner->actionGeometry(m_action).translated(owner->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        const QMenu* owner = menu();
        if (!owner || !owner->isVisible() || !m_action->isVisible())
            s.invisible = true;
        if (owner && owner->activeAction() == m_action)
            s.focused = true;
        if (owner && owner->style()->styleHint(QStyle::SH_Menu_MouseTracking))
            s.hotTracked = true;
        if (m_action->isSeparator() || !m_action->isEnabled())
            s.disabled = true;
        if (m_action->isCheckable())
            s.checkable = true;
        if (m_action->isChecked())
            s.checked = true;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        return m_action->isSeparator() ? QStringList() : QStringList{pressAction()};
    }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction() && m_action->isEnabled())
            m_action->trigger();
    }
    QStringList keyBindingsForAction(const QString& /*actionName*/) const override { return {}; }

private:
    QMenu* menu() const {
        if (!m_action)
            return nullptr;
        for (QObject* owner : m_action->associatedObjects())
            if (auto* found = qobject_cast<QMenu*>(owner))
                return found;
        return nullptr;
    }

    QPointer<QAction> m_action;
};

QAccessibleInterface* spokenMenuItems(const QString& /*className*/, QObject* object) {
    auto* action = qobject_cast<QAction*>(object);
    if (!action || action->property(kSpokenName).toString().isEmpty())
        return nullptr;
    return new SpokenMenuItem(action);
}

} // namespace

void SetSpokenName(QAction* action, const QString& name) {
    static const bool installed = [] {
        QAccessible::installFactory(&spokenMenuItems);
        return true;
    }();
    Q_UNUSED(installed);
    action->setProperty(kSpokenName, name);
}
