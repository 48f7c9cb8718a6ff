#include "helpviewer/helpdesk.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>

#include <utility>

#include "helpviewer/helpplacement.h"
#include "helpviewer/helpwindow.h"

namespace {

// Smaller than this, a help window is not worth placing beside a dialog.
constexpr QSize kSmallestBeside(480, 360);

// A child widget's place on the screen; empty where it is not shown.
QRect onScreen(const QWidget* widget) {
    if (widget == nullptr || !widget->isVisible())
        return {};
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

// Out of the way of the dialog that asked; else of its task line and answer
// (a drill's "task" and "answer") with its buttons, of those alone, or at
// least of its buttons.
void placeBeside(HelpWindow* window, const QWidget* dialog) {
    const QRect outer = dialog->frameGeometry();
    QRect buttons;
    for (const QPushButton* button : dialog->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
        buttons |= onScreen(button);
    const QRect task = onScreen(dialog->findChild<QWidget*>(QStringLiteral("task"))) |
                       onScreen(dialog->findChild<QWidget*>(QStringLiteral("answer")));
    const QScreen* screen = dialog->screen();
    if (screen == nullptr)
        return;
    // Framed as the dialog is, by the same window manager.
    const QSize frame = outer.size() - dialog->size();
    const QRect place = HelpPlacement(outer, task, buttons, screen->availableGeometry(),
                                      window->size() + frame, kSmallestBeside);
    if (place.isEmpty())
        return;
    window->resize(place.size() - frame);
    window->move(place.topLeft());
}

} // namespace

HelpDesk::HelpDesk(QString helpFile, QWidget* owner)
    : m_helpFile(std::move(helpFile))
    , m_owner(owner) {
}

HelpWindow* HelpDesk::current() const {
    return m_current;
}

QWidget* HelpDesk::window() const {
    return current();
}

bool HelpDesk::open(int data, HelpCommand command) {
    // A window that is not the running modal dialog's child could not be used
    // until the dialog closes.
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr)
        owner = m_owner;

    HelpWindow* window = m_current;
    if (window != nullptr && window->parentWidget() != owner) {
        window->close();
        window = nullptr;
    }
    const bool created = window == nullptr;
    if (created) {
        window = new HelpWindow(m_helpFile, owner);
        if (owner != m_owner && owner != nullptr) {
            window->keepAfter(owner, m_owner);
            placeBeside(window, owner);
        }
    }

    const bool shown = command == HelpCommand::Finder ? window->showContents() : window->showContext(data);
    if (!shown) {
        if (created)
            window->close();
        return false;
    }
    m_current = window;
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}
