#include "helpviewer/helpdesk.h"

#include <QApplication>

#include <utility>

#include "helpviewer/helpwindow.h"

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
    if (created)
        window = new HelpWindow(m_helpFile, owner);

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
