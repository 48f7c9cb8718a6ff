#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QPushButton;
class QScrollArea;

// "Wer rechnet heute?": one big button per child, in the list's order, row by
// row in as many columns as the screen has room for; a class that does not
// fit scrolls, so the window never grows past the screen nor squeezes its
// buttons. A click, or Enter on the button with the focus (Tab and the arrow
// keys move it, the view following), picks that child; Esc or the close box
// picks nobody. A name too long for its button is cut short there and kept
// whole for screen readers and the tooltip. The child who practises now,
// when there is one, is named under the question, marked on their button,
// and has the keyboard first.
class CChildChooser : public QDialog {
    Q_OBJECT

public:
    // current: the place of the child who practises now; -1: nobody yet.
    CChildChooser(const QStringList& names, QWidget* parent = nullptr, int current = -1);

    // The chosen child's place in the list; -1 until one was chosen.
    int chosen() const { return m_chosen; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusButton(qsizetype index);

    QScrollArea* m_scroll = nullptr;
    QList<QPushButton*> m_buttons;
    int m_columns = 1;
    int m_chosen = -1;
};
