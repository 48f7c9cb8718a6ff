#pragma once

#include <QLineEdit>

// An entry field that takes only the digits 0 to 9 and backspace from the
// keyboard. Every other typed character, the copy, cut, paste and undo
// shortcuts, the context menu, middle-button pasting and dropped text change
// nothing, silently. Cursor keys, Home, End and Delete keep working; Enter and
// Escape are left to the dialog. Text set by the program is not filtered.
//
// A single-line field: the answers are one line of digits, Qt centres a line
// edit's text vertically and horizontally, and it hands Enter on to the
// dialog's default button, which a multi-line editor would keep for itself.
class CDigitEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CDigitEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
