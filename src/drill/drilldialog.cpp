#include "drill/drilldialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QPalette>
#include <QShortcut>

#include <algorithm>
#include <optional>
#include <utility>

#include "base/clock.h"
#include "base/profile.h"
#include "base/settingskeys.h"
#include "base/textstyle.h"
#include "drill/limitdialog.h"
#include "drill/praisepick.h"
#include "drill/seriescatalogue.h"
#include "drill/wronganswerdlg.h"
#include "kit/announcer.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "kit/typefaces.h"
#include "ui_drilldialog.h"

namespace {

const QColor kBackground(0, 0, 255);
constexpr int kDefaultFontHeight = 35;

// What a child can still read. A hand-edited size outside it is drawn at the
// nearest size that is, up to the height of its field (or the largest the
// font dialog offers); the stored value is left as it is.
constexpr int kSmallestCell = 10;
constexpr int kNarrowestStretch = 50; // percent of the typeface's own width
constexpr int kWidestStretch = 200;

// The cell height is FontHeight in pixels (negative: the em height), the
// average character width FontWidth (0: the typeface's own), the weight on
// the 100..900 scale; face names hold at most 31 characters.
QFont fontOf(const TextStyle& style, int largestCell) {
    QFont font(DrillFamily(style.name.left(31)));
    font.setWeight(style.weight <= 0 ? QFont::Normal : QFont::Weight(std::min(style.weight, 1000)));
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    font.setStrikeOut(style.strikeOut);
    if (style.height > 0)
        font.setPixelSize(PixelSizeForCellHeight(font, std::clamp(style.height, kSmallestCell, largestCell)));
    else if (style.height < 0)
        font.setPixelSize(int(std::clamp(-qint64(style.height), qint64(kSmallestCell), qint64(largestCell))));
    if (style.width > 0) {
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0)
            font.setStretch(int(std::clamp(qint64(style.width) * 100 / natural, qint64(kNarrowestStretch),
                                           qint64(kWidestStretch))));
    }
    return font;
}

QFont readFont(const CProfile& profile, const TextStyleSection& style, const QWidget* field) {
    return fontOf(ReadTextStyle(profile, style.section, kDefaultFontHeight),
                  std::max(field->height(), style.largestSize));
}

QColor readColour(const CProfile& profile, const QString& section) {
    const TextStyle style = ReadTextStyle(profile, section, kDefaultFontHeight);
    return QColor(style.red, style.green, style.blue);
}

// Changes the palette only when it differs, so that a paint may call it.
void setColours(QWidget* widget, QPalette::ColorRole backgroundRole, QPalette::ColorRole textRole,
                const QColor& text) {
    QPalette palette = widget->palette();
    if (palette.color(backgroundRole) == kBackground && palette.color(textRole) == text)
        return;
    palette.setColor(backgroundRole, kBackground);
    palette.setColor(textRole, text);
    widget->setPalette(palette);
}

// Room a window frame takes below and above a window's own area.
constexpr int kFrameAllowance = 40;

int runWrongAnswerDialog(QWidget* owner) {
    CWrongAnswerDlg dialog(owner);
    // Below the answer where the screen has room, not over the task and what
    // the child typed; elsewhere where the window system puts it.
    if (const auto* answer = owner->findChild<QWidget*>(QStringLiteral("answer"));
        answer != nullptr && owner->screen() != nullptr) {
        dialog.adjustSize();
        const QRect typed(answer->mapToGlobal(QPoint(0, 0)), answer->size());
        const QRect place(QPoint(typed.center().x() - dialog.width() / 2, typed.bottom() + 12),
                          dialog.size());
        if (owner->screen()->availableGeometry().contains(place.adjusted(0, 0, 0, kFrameAllowance)))
            dialog.move(place.topLeft());
    }
    return dialog.exec();
}

} // namespace

CDrillDialog::CDrillDialog(CProfile& profile, int commandId, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CDrillDialog>())
    , m_profile(profile)
    , m_commandId(commandId)
    , m_wrongAnswerChoice(&runWrongAnswerDialog)
    , m_limitPrompt([this](const QString& preset) -> std::optional<QString> {
        QString value = preset;
        CLimitDialog dialog(value, parentWidget());
        AddHelpKey(&dialog, Help::forCommand(m_commandId));
        if (dialog.exec() != Cmd::IdOk)
            return std::nullopt;
        return value;
    })
    , m_state([this](const QString& preset) { return m_limitPrompt(preset); }) {
    m_ui->setupUi(this);
    setFixedSize(size());

    const SeriesInfo* series = FindSeries(commandId);
    setWindowTitle(series ? QString::fromUtf8(series->menuText) : QString());
    m_messageText = QStringLiteral(u"Löse obige Aufgabe !");

    for (CBitmapButton* button : {m_ui->okButton, m_ui->cancelButton, m_ui->helpButton}) {
        button->AttachByCaption();
        button->installEventFilter(this);
    }

    const QFont big = readFont(m_profile, BigFontSection(), m_ui->task);
    m_ui->task->setFont(big);
    m_ui->message->setFont(readFont(m_profile, SmallFontSection(), m_ui->message));
    m_ui->answer->setFont(big);
    // The largest sizes are taller than the template's fields: those grow
    // around their middle, so that question marks and digits keep their feet.
    const int cell = QFontMetrics(big).height() + 4;
    for (QWidget* field : {static_cast<QWidget*>(m_ui->task), static_cast<QWidget*>(m_ui->answer)})
        if (field->height() < cell)
            field->setGeometry(field->x(), field->y() - (cell - field->height()) / 2, field->width(), cell);
    applyColours();
    m_ui->answer->setFocus();

    m_praiseCount = m_profile.GetInt(Section::Praise, Key::Count, 0);
    m_taskCount = m_profile.GetInt(Section::Parameter, Key::TaskCount, 0);
    m_soundOn = m_profile.GetInt(Section::Parameter, Key::Sound, 0) != 0;
    m_readAloud = m_profile.GetInt(Section::Parameter, Key::ReadAloud, 0) != 0;
    m_ui->answer->setAccessibleName(QStringLiteral("Antwort"));
    m_announcer = new Announcer(this);
    m_ui->answer->clear();
    m_ui->task->clear();
    m_ui->message->clear();

    connect(m_ui->okButton, &QPushButton::clicked, this, &CDrillDialog::onOk);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CDrillDialog::reject);
    connect(m_ui->helpButton, &QPushButton::clicked, this, &CDrillDialog::onHelp);
    new QShortcut(QKeySequence(Qt::Key_F1), this, this, &CDrillDialog::onHelp);
}

CDrillDialog::~CDrillDialog() = default;

void CDrillDialog::setWrongAnswerChoice(WrongAnswerChoice choice) {
    m_wrongAnswerChoice = std::move(choice);
}

void CDrillDialog::setLimitPrompt(CDrillState::LimitPrompt prompt) {
    m_limitPrompt = std::move(prompt);
}

void CDrillDialog::setObserver(DrillObserver* observer) {
    m_observer = observer;
}

void CDrillDialog::setPlan(const QString& caption, std::vector<PlannedTask> plan) {
    setWindowTitle(caption);
    m_taskCount = int(plan.size());
    m_state.SetPlan(std::move(plan));
}

int CDrillDialog::exec() {
    if (m_observer) {
        const SeriesInfo* series = FindSeries(m_commandId);
        m_observer->drillStarted(m_commandId, windowTitle(),
                                 series ? series->operation : Record::Operation::Multiplication,
                                 series ? series->number : -1, m_taskCount);
    }
    if (!m_state.Begin(m_commandId, m_taskCount)) {
        // Ended before the first task: closes without ever showing.
        writeCompletionFlag();
        reportEnd(Record::DrillEnd::LimitRefused);
        setResult(Cmd::IdCancel);
        return Cmd::IdCancel;
    }
    showTask(News::WithWindow);
    return QDialog::exec();
}

void CDrillDialog::showTask(News how) {
    m_ui->task->setText(m_state.taskText());
    m_ui->task->setAccessibleName(m_state.spokenTask());
    setMessage(m_messageText);
    // The task's label is read with the window; the field says nothing more.
    if (!m_ui->answer->accessibleDescription().isEmpty())
        m_ui->answer->setAccessibleDescription(QString());
    tell(m_state.spokenTask(), how);
    if (m_observer)
        m_observer->taskPosed({m_state.tasksPosed(), m_state.operation(), m_state.factor(),
                               m_state.seriesNumber(), m_state.taskText(), m_state.answerText()});
    m_thinking.start();
}

void CDrillDialog::setMessage(const QString& text) {
    m_ui->message->setText(text);
    // Renaming tells a screen reader that the line changed.
    m_ui->message->setAccessibleName(text);
}

void CDrillDialog::tell(const QString& news, News how) {
    if (how == News::InPlace)
        m_announcer->announce(news);
    if (m_readAloud)
        SpeakFor(this, news);
}

void CDrillDialog::done(int result) {
    if (m_readAloud)
        StopSpeakingFor(this);
    QDialog::done(result);
}

void CDrillDialog::reject() {
    reportEnd(Record::DrillEnd::EndButton);
    done(Cmd::IdCancel);
}

void CDrillDialog::closeEvent(QCloseEvent* event) {
    // Only a running drill is closed; a stray close after a cancel writes nothing.
    if (isVisible()) {
        writeCompletionFlag();
        reportEnd(m_allDone ? Record::DrillEnd::AllDone : Record::DrillEnd::CloseBox);
    }
    QDialog::closeEvent(event);
}

void CDrillDialog::reportEnd(Record::DrillEnd how) {
    if (m_endReported)
        return;
    m_endReported = true;
    if (m_observer)
        m_observer->drillEnded(how);
}

void CDrillDialog::writeCompletionFlag() {
    m_completionFlag = m_state.CompletionFlag();
    m_profile.WriteInt(Section::Parameter, Key::Completed, m_completionFlag);
}

void CDrillDialog::onOk() {
    if (m_state.isAnswered()) {
        advance();
        return;
    }
    m_typedText = m_ui->answer->text();
    const qint64 thinkingMs = m_thinking.elapsed();
    // A wrong answer is told after the "Oh! Oooooh!" choice, but happened now.
    const qint64 answeredAt = Clock::NowSeconds();
    const auto report = [this, thinkingMs, answeredAt](Record::Answer outcome) {
        if (m_observer)
            m_observer->answerGiven(m_typedText, outcome, thinkingMs, answeredAt);
    };
    if (m_state.Submit(m_typedText) == CDrillState::Verdict::Correct) {
        showNextFaces(true);
        const QString praise = PickPraise(m_praiseCount, m_profile);
        setMessage(praise);
        // Without phrases the line stays empty; a listener still hears it.
        tell(praise.isEmpty() ? QStringLiteral("Richtig!") : praise, News::InPlace);
        report(Record::Answer::Right);
        return;
    }
    if (m_readAloud)
        SpeakFor(this, CWrongAnswerDlg::Question());
    if (m_wrongAnswerChoice(this) == CWrongAnswerDlg::TryAgain) {
        m_ui->answer->clear();
        m_ui->answer->setFocus();
        if (m_soundOn)
            PlaySoundFor(this, QStringLiteral("gemein.wav"));
        tell(m_state.spokenTask(), News::WithWindow);
        report(Record::Answer::WrongThenAgain);
        m_thinking.start();
    } else {
        m_state.Solve();
        m_ui->answer->setText(m_state.answerText());
        if (m_soundOn)
            PlaySoundFor(this, QStringLiteral("drum.wav"));
        showNextFaces(true);
        // Read after the field's name as the window gets the keyboard back.
        m_ui->answer->setAccessibleDescription(m_state.spokenSolution());
        tell(m_state.spokenSolution(), News::WithWindow);
        report(Record::Answer::WrongThenSolved);
    }
}

void CDrillDialog::advance() {
    if (m_state.Advance() == CDrillState::Step::End) {
        m_allDone = true;
        close();
        return;
    }
    showNextFaces(false);
    m_ui->answer->clear();
    m_ui->answer->setFocus();
    showTask(News::InPlace);
}

void CDrillDialog::showNextFaces(bool next) {
    // With the focus faces, so that a keyboard user sees the button either way.
    if (next)
        m_ui->okButton->LoadFaces(QStringLiteral("NEXTU"), QStringLiteral("NEXTD"), QStringLiteral("NEXTF"));
    else
        m_ui->okButton->LoadFaces(QStringLiteral("OKU"), QStringLiteral("OKD"), QStringLiteral("OKF"));
    m_ui->okButton->update();
}

void CDrillDialog::onHelp() {
    ShowHelp(this, Help::forCommand(m_commandId));
}

void CDrillDialog::applyColours() {
    const QColor big = readColour(m_profile, Section::BigFont);
    setColours(m_ui->task, QPalette::Window, QPalette::WindowText, big);
    setColours(m_ui->message, QPalette::Window, QPalette::WindowText,
               readColour(m_profile, Section::SmallFont));
    setColours(m_ui->answer, QPalette::Base, QPalette::Text, big);
}

// The answer field holds the keyboard: Tab may reach the buttons, but digits
// typed there go to the field, and with them the keyboard, so that Enter
// then answers rather than pressing the button Tab or a slipped click left
// it on.
bool CDrillDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched != m_ui->answer) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].isDigit() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            m_ui->answer->setFocus(Qt::OtherFocusReason);
            QKeyEvent forwarded(QEvent::KeyPress, key->key(), key->modifiers(), text, key->isAutoRepeat());
            QCoreApplication::sendEvent(m_ui->answer, &forwarded);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDrillDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Whatever covered the dialog (the help window, a message, another
    // program), the child types on into the answer field when it is back.
    // Uncovering a window does not always repaint it, so the paint alone
    // cannot be relied on for this.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_ui->answer->setFocus(Qt::ActiveWindowFocusReason);
}

void CDrillDialog::paintEvent(QPaintEvent* event) {
    {
        // A picture changed on disk shows at the next paint.
        QPainter painter(this);
        m_backdrop.draw(painter, QStringLiteral("background.bmp"), rect());
    }
    applyColours();
    // A button repainting itself (pressed, focused) repaints the dialog behind
    // it too; only other paints take the focus back, or a button could never
    // be pressed with the mouse nor reached with Tab.
    QRegion buttons;
    for (const CBitmapButton* button : {m_ui->okButton, m_ui->cancelButton, m_ui->helpButton})
        buttons += button->geometry();
    if (!(event->region() - buttons).isEmpty())
        m_ui->answer->setFocus();
    // The answers bring sounds: the player gets ready while the child reads
    // the first task, so the first sound does not wait for it; not before
    // the first paint, which the child would wait for instead.
    if (m_soundOn && !m_soundPrepared) {
        m_soundPrepared = true;
        QTimer::singleShot(0, this, [this] { PrepareSoundFor(this); });
    }
}
