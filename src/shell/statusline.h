#pragma once

#include <QStatusBar>

#include <array>

class QLabel;
class QTimer;

// The main window's status bar: the message line, the lock indicators "UF",
// "NUM" and "RF", the date and the time. The indicators follow the keyboard
// as soon as the X server reports a change; a one-second timer (child
// "clock") refreshes the date and time. Both keep going while dialogs are
// open and while the bar is hidden.
class StatusLine : public QStatusBar {
    Q_OBJECT

public:
    enum Pane { Message = 0, CapsLock, NumLock, ScrollLock, Date, Time, PaneCount };

    explicit StatusLine(QWidget* parent = nullptr);

    void setMessage(const QString& text);
    QString message() const;

    // While a menu is open the message line takes the whole bar, so that long
    // prompts are shown in full; the other panes are out of sight meanwhile.
    void setWidened(bool widened);
    bool isWidened() const { return m_widened; }

    // Reads the lock keys and the clock (Clock::NowSeconds) and sizes the date
    // and time panes to their text.
    void refresh();
    void refreshLockKeys();
    void refreshClock();

    QLabel* pane(Pane pane) const { return m_panes[pane]; }

private:
    std::array<QLabel*, PaneCount> m_panes{};
    QTimer* m_clock = nullptr;
    bool m_widened = false;
};
