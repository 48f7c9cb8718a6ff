#include "kit/focusmark.h"

#include <QEvent>
#include <QWidget>

void FocusMark::ShowFromTheStart(QWidget* window) {
    window->installEventFilter(new FocusMark(window));
}

bool FocusMark::eventFilter(QObject* watched, QEvent* event) {
    // Each time the window comes to the front, after its focus was set.
    if (event->type() == QEvent::WindowActivate) {
        auto* window = static_cast<QWidget*>(watched);
        window->setAttribute(Qt::WA_KeyboardFocusChange);
        if (QWidget* focus = window->focusWidget())
            focus->update();
    }
    return QObject::eventFilter(watched, event);
}
