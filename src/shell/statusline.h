#pragma once

#include <QStatusBar>
#include <QTimer>

#include <array>

class QLabel;

// The main window's status bar: the message line, the lock indicators "UF",
// "NUM" and "RF", the date and the time. A one-second timer refreshes the
// indicators and the clock; it keeps running while dialogs are open and
// while the bar is hidden. Asking the X server for the lock keys waits for
// its answers, so a new bar shows the clock at once and the indicators from
// the first refresh on.
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

    QLabel* pane(Pane pane) const { return m_panes[pane]; }

private:
    void showClock();

    std::array<QLabel*, PaneCount> m_panes{};
    QTimer m_clock;
    bool m_widened = false;
};
