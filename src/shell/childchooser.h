#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

// "Wer rechnet heute?": one big button per child, in the list's order. A
// click, or Enter on the button with the focus (Tab and the arrow keys move
// it), picks that child; Esc or the close box picks nobody.
class CChildChooser : public QDialog {
    Q_OBJECT

public:
    CChildChooser(const QStringList& names, QWidget* parent = nullptr);

    // The chosen child's place in the list; -1 until one was chosen.
    int chosen() const { return m_chosen; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_chosen = -1;
};
