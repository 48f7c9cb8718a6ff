#include "shell/showhelp.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <utility>

#include "shell/helpwindow.h"

namespace {

HelpHandler& handlerSlot() {
    static HelpHandler handler;
    return handler;
}

// The owner of the failure message: the dialog that asked, else the main window.
QWidget* messageOwner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// An open menu would swallow the help window's first click.
void endMenuMode() {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (!popup->close())
            break;
    }
}

} // namespace

void SetHelpHandler(HelpHandler handler) {
    handlerSlot() = std::move(handler);
}

bool ShowHelp(int data, HelpCommand command) {
    endMenuMode();
    // A handler takes the request over entirely, failure included.
    if (handlerSlot())
        return handlerSlot()(data, command);
    if (HelpWindow::Open(data, command))
        return true;
    QMessageBox::warning(messageOwner(), QStringLiteral("Ollo"),
                         QString::fromUtf8("Die Hilfe konnte nicht aufgerufen werden."));
    return false;
}
