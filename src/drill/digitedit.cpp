#include "drill/digitedit.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>

namespace {

enum class KeyUse { Field, Dialog, Drop };

bool isEditShortcut(QKeyEvent* event) {
    for (const auto key :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo, QKeySequence::Redo})
        if (event->matches(key))
            return true;
    return false;
}

KeyUse useOf(QKeyEvent* event) {
    if (isEditShortcut(event))
        return KeyUse::Drop;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return KeyUse::Dialog;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Delete:
        return KeyUse::Field;
    case Qt::Key_Backspace:
        // Ctrl+Backspace would delete a whole word: not a plain backspace.
        return (mods & ~Qt::ShiftModifier) ? KeyUse::Drop : KeyUse::Field;
    default:
        break;
    }
    const QString text = event->text();
    const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
    const bool plain = !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    return digit && plain ? KeyUse::Field : KeyUse::Drop;
}

} // namespace

CDigitEdit::CDigitEdit(QWidget* parent)
    : QLineEdit(parent) {
    setContextMenuPolicy(Qt::PreventContextMenu);
    setAcceptDrops(false);
    setDragEnabled(false);
    // Composed input would bypass the key filter.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void CDigitEdit::keyPressEvent(QKeyEvent* event) {
    switch (useOf(event)) {
    case KeyUse::Field:
        QLineEdit::keyPressEvent(event);
        break;
    case KeyUse::Dialog:
        event->ignore();
        break;
    case KeyUse::Drop:
        event->accept();
        break;
    }
}

void CDigitEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection clipboard on X11.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}
