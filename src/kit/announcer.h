#pragma once

#include <QString>
#include <QWidget>

// News for a screen reader while the keyboard stays where it is: a line that
// is read once each time it is given a text, without the focus moving.
//
// A change of a focused control's name or description does not reach the
// screen reader (Qt 6.4 sends such a change without the new text, and Orca
// drops it), so the news is shown as a notification instead: an invisible
// item that appears with the text as its name. It sits in a status bar, so
// it is read without the word "Benachrichtigung", and that bar in a pane of
// its own, so the screen reader does not repeat the window's title and
// labels before it. Nothing of it is drawn.
class Announcer : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget* window);
    ~Announcer() override;

    // Reads text at once; the same text again is read again. Empty, or while
    // the window is not on screen: nothing is read.
    void announce(const QString& text);

private:
    QWidget* m_item = nullptr;
};
