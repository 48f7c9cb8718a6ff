#include "shell/childchooser.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kSpacing = 12;
constexpr int kMargin = 24;
// What the window manager's frame and title bar may take, which is not known
// before the window is shown.
constexpr QSize kFrameAllowance{16, 48};
// A button is at least this many average characters wide; a longer name is
// cut short at twice that.
constexpr int kNarrowestButton = 16;
constexpr int kWidestName = 32;

QRect roomOn(const QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

} // namespace

CChildChooser::CChildChooser(const QStringList& names, QWidget* parent, int current)
    : QDialog(parent) {
    setObjectName(QStringLiteral("childChooser"));
    setWindowTitle(QStringLiteral("Ollo"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(kSpacing);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    // The button the keyboard is on stands out as the drill's focused faces
    // do: a thick blue frame on a light yellow face.
    setStyleSheet(QStringLiteral("QPushButton { border: 2px solid #8c8c8c; border-radius: 10px; background: "
                                 "#f6f6f6; padding: 6px 18px; outline: none; }"
                                 "QPushButton:hover { background: #eaf1ff; }"
                                 "QPushButton:focus { border: 5px solid #1f5fbf; background: #fff3b0; }"
                                 "QPushButton:pressed { background: #d4e3ff; }"
                                 "QPushButton[current=\"true\"] { border: 3px solid #2e7d32; }"
                                 "QPushButton[current=\"true\"]:focus { border: 5px solid #1f5fbf; }"));

    auto* question = new QLabel(QStringLiteral("Wer rechnet heute?"));
    QFont questionFont = question->font();
    questionFont.setPointSizeF(questionFont.pointSizeF() * 2);
    questionFont.setBold(true);
    question->setFont(questionFont);
    question->setAlignment(Qt::AlignCenter);
    layout->addWidget(question);
    if (current >= 0 && current < names.size()) {
        auto* now = new QLabel(QStringLiteral("Gerade rechnet: %1").arg(names[current]));
        now->setObjectName(QStringLiteral("current"));
        now->setAlignment(Qt::AlignCenter);
        now->setTextFormat(Qt::PlainText);
        layout->addWidget(now);
    }

    QFont buttonFont = font();
    buttonFont.setPointSizeF(buttonFont.pointSizeF() * 2.2);
    const QFontMetrics metrics(buttonFont);
    const int height = metrics.height() * 2;
    QSize cell(metrics.averageCharWidth() * kNarrowestButton, height);
    for (int i = 0; i < names.size(); ++i) {
        const QString shown =
            metrics.elidedText(names[i], Qt::ElideRight, metrics.averageCharWidth() * kWidestName);
        // "&" in a name is a letter, not a shortcut.
        auto* button = new QPushButton(QString(shown).replace(u'&', QStringLiteral("&&")));
        button->setObjectName(QStringLiteral("child%1").arg(i));
        button->setFont(buttonFont);
        button->setMinimumHeight(height);
        button->setMinimumWidth(cell.width());
        button->setAutoDefault(true);
        button->setAccessibleName(names[i]);
        if (i == current) {
            button->setProperty("current", true);
            button->setAccessibleDescription(QStringLiteral("rechnet gerade"));
        }
        if (shown != names[i])
            button->setToolTip(names[i]);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, i] {
            m_chosen = i;
            accept();
        });
        m_buttons << button;
    }
    // Sized with the style sheet applied, as they will be shown.
    for (QPushButton* button : std::as_const(m_buttons)) {
        button->ensurePolished();
        cell = cell.expandedTo(button->sizeHint());
    }

    // As many columns as the screen takes, then as many rows as fit below
    // the question; the rest scrolls.
    const QSize room = roomOn(parent).size() - kFrameAllowance - QSize(2 * kMargin, 2 * kMargin);
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + kSpacing;
    const int count = std::max(1, int(m_buttons.size()));
    const int rowsThatFit =
        std::max(1, (room.height() - question->sizeHint().height()) / (cell.height() + kSpacing));
    const int columnsThatFit = std::max(1, (room.width() - scrollBar + kSpacing) / (cell.width() + kSpacing));
    m_columns = std::clamp((count + rowsThatFit - 1) / rowsThatFit, 1, columnsThatFit);
    const int rows = (count + m_columns - 1) / m_columns;

    auto* grid = new QWidget;
    auto* gridLayout = new QGridLayout(grid);
    gridLayout->setSpacing(kSpacing);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < m_buttons.size(); ++i)
        gridLayout->addWidget(m_buttons[i], i / m_columns, i % m_columns);

    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("children"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(grid);
    // The room the buttons take, with a scroll bar beside them when they do not all fit.
    const int shownRows = std::min(rows, rowsThatFit);
    m_scroll->setFixedSize(m_columns * (cell.width() + kSpacing) - kSpacing +
                               (rows > shownRows ? scrollBar : 0),
                           shownRows * (cell.height() + kSpacing) - kSpacing);
    m_scroll->verticalScrollBar()->setSingleStep(cell.height() + kSpacing);
    layout->addWidget(m_scroll, 0, Qt::AlignHCenter);

    if (!m_buttons.isEmpty())
        m_buttons[current >= 0 && current < m_buttons.size() ? current : 0]->setFocus();
}

// The arrow keys move through the grid: up and down by a row, left and right
// to the neighbour, on into the next row.
bool CChildChooser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const qsizetype at = m_buttons.indexOf(qobject_cast<QPushButton*>(watched));
    if (at < 0)
        return QDialog::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Down:
        focusButton(at + m_columns);
        return true;
    case Qt::Key_Up:
        focusButton(at - m_columns);
        return true;
    case Qt::Key_Right:
        focusButton(at + 1);
        return true;
    case Qt::Key_Left:
        focusButton(at - 1);
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void CChildChooser::focusButton(qsizetype index) {
    if (index < 0 || index >= m_buttons.size())
        return;
    m_buttons[index]->setFocus(Qt::TabFocusReason);
    m_scroll->ensureWidgetVisible(m_buttons[index], 0, kSpacing);
}
