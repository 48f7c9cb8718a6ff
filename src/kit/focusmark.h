#pragma once

#include <QObject>

class QWidget;

// The focus mark of a dialog's first stop, shown as the dialog opens. Qt
// styles draw a focused control's mark only after the keyboard has moved the
// focus once, so a keyboard user would not see where the dialog starts. The
// dialog's push buttons also draw a dotted frame inside while they have the
// keyboard: the style outlines the default button and a focused one alike.
class FocusMark : public QObject {
    Q_OBJECT

public:
    // Owned by window.
    static void ShowFromTheStart(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
