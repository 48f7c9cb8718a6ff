#include "shell/statusline.h"

#include <QFontMetrics>
#include <QLabel>
#include <QSizePolicy>
#include <QTimer>

#include "base/clock.h"
#include "shell/clocktext.h"
#include "shell/lockkeys.h"
#include "shell/lockkeywatcher.h"

namespace {

constexpr int kPaneMargin = 3;

QLabel* makePane(const QString& text, bool framed) {
    auto* label = new QLabel(text);
    label->setMargin(kPaneMargin - 1);
    if (framed)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

// The width a pane needs to show its text in the bar's font.
int paneWidth(const QLabel* pane, const QString& text) {
    return QFontMetrics(pane->font()).horizontalAdvance(text) + 2 * (pane->frameWidth() + pane->margin()) + 2;
}

void showIndicator(QLabel* pane, const char* text, bool on) {
    pane->setText(on ? QString::fromLatin1(text) : QString());
}

} // namespace

StatusLine::StatusLine(QWidget* parent)
    : QStatusBar(parent) {
    setObjectName(QStringLiteral("statusLine"));
    setSizeGripEnabled(false);
    // The panes draw their own frames; the message line has none.
    setStyleSheet(QStringLiteral("QStatusBar::item { border: 0px; }"));

    m_panes[Message] = makePane({}, false);
    // A long prompt is cut, never widening the window.
    m_panes[Message]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(m_panes[Message], 1);

    const std::array<const char*, 5> initial = {"UF", "NUM", "RF", "Date", "Time"};
    for (int i = CapsLock; i < PaneCount; ++i) {
        m_panes[i] = makePane(QString::fromLatin1(initial[i - 1]), true);
        m_panes[i]->setAlignment(Qt::AlignCenter);
        m_panes[i]->setFixedWidth(paneWidth(m_panes[i], m_panes[i]->text()));
        addPermanentWidget(m_panes[i]);
    }

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("clock"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &StatusLine::refreshClock);
    m_clock->start();
    connect(new LockKeyWatcher(this), &LockKeyWatcher::changed, this, &StatusLine::refreshLockKeys);
    refresh();
}

void StatusLine::setMessage(const QString& text) {
    m_panes[Message]->setText(text);
}

QString StatusLine::message() const {
    return m_panes[Message]->text();
}

void StatusLine::setWidened(bool widened) {
    m_widened = widened;
    for (int i = CapsLock; i < PaneCount; ++i)
        m_panes[i]->setVisible(!widened);
}

void StatusLine::refresh() {
    refreshLockKeys();
    refreshClock();
}

void StatusLine::refreshLockKeys() {
    const LockKeyState keys = ReadLockKeys();
    showIndicator(m_panes[CapsLock], "UF", keys.known && keys.capsLock);
    showIndicator(m_panes[NumLock], "NUM", keys.known && keys.numLock);
    showIndicator(m_panes[ScrollLock], "RF", keys.known && keys.scrollLock);
}

void StatusLine::refreshClock() {
    const std::int64_t now = Clock::NowSeconds();
    const std::array<std::pair<Pane, QString>, 2> clock = {{
        {Date, ClockText::Date(now)},
        {Time, ClockText::Time(now)},
    }};
    for (const auto& [index, text] : clock) {
        QLabel* label = m_panes[index];
        label->setFixedWidth(paneWidth(label, text));
        label->setText(text);
    }
}
