#pragma once

#include <QPointer>
#include <QString>

#include "kit/helpmodule.h"

class QWidget;
class HelpWindow;

// Opens help topics in one help window at a time. The window belongs to the
// window that asked for help (a running modal dialog, else the owner given
// here, the main window), so it stays usable while a dialog is open; a
// request from another owner closes the old window and opens a new one.
// Opened for a dialog, the window goes beside it, clear of its buttons, and
// stays open when the dialog closes (the main window owns it then).
class HelpDesk : public HelpViewer {
public:
    HelpDesk(QString helpFile, QWidget* owner);

    // False, with nothing changed, when the file or the topic is missing.
    bool open(int data, HelpCommand command) override;
    HelpWindow* current() const;
    QWidget* window() const override;
    const QString& helpFile() const { return m_helpFile; }

private:
    QString m_helpFile;
    QPointer<QWidget> m_owner;
    QPointer<HelpWindow> m_current;
};
