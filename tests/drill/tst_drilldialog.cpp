#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>
#include <optional>

#include "base/clock.h"
#include "base/profile.h"
#include "common/fakehost.h"
#include "drill/digitedit.h"
#include "drill/drilldialog.h"
#include "drill/limitdialog.h"
#include "drill/wronganswerdlg.h"
#include "kit/bitmapbutton.h"
#include "kit/drillobserver.h"
#include "kit/showhelp.h"

namespace {

constexpr int kSeven = 32777;     // "7-er Reihe"
constexpr int kAnyTimes = 32791;  // "Beliebige Reihe", multiplication
constexpr int kAnyDivide = 32804; // "Beliebige Reihe", division

const QString kParameter = QStringLiteral("Parameter");
const QString kPraise = QStringLiteral("Lobe");

// What a child works out from the task line: "8 X 7 = ??" → "56".
QString answerFor(const QString& task) {
    static const QRegularExpression form(QStringLiteral("^(\\d+) ([X:]) (\\d+) = \\?+$"));
    const QRegularExpressionMatch m = form.match(task);
    if (!m.hasMatch())
        return QStringLiteral("no task: ") + task;
    const int a = m.captured(1).toInt();
    const int b = m.captured(3).toInt();
    return QString::number(m.captured(2) == u"X" ? a * b : a / b);
}

QImage face(const char* name) {
    return QImage(QStringLiteral(":/bitmaps/%1.bmp").arg(QLatin1String(name)))
        .convertToFormat(QImage::Format_RGB32);
}

QImage shown(const CBitmapButton* button) {
    return button->currentFace().convertToFormat(QImage::Format_RGB32);
}

// Ends a dialog that a failed check left open.
auto closeIfOpen(QDialog& dialog) {
    return qScopeGuard([&dialog] {
        if (dialog.isVisible())
            dialog.done(98);
    });
}

template <typename T> T* child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QLatin1String(name));
}

// Writes what a drill tells as one line of words: "start 3", "task 1 56",
// "right", "again", "solved", "end done|ende|closed|refused".
class TraceObserver : public DrillObserver {
public:
    QStringList trace;
    QList<qint64> thinking;
    QList<qint64> answeredAts;

    void drillStarted(int, const QString& caption, Record::Operation, int, int taskCount) override {
        trace << QStringLiteral("start %1 %2").arg(caption).arg(taskCount);
    }
    void taskPosed(const PosedTask& task) override {
        // The parts must make the text the child saw.
        const bool times = task.operation == Record::Operation::Multiplication;
        const QString made =
            times ? QStringLiteral("%1 X %2 = ").arg(task.factor).arg(task.series)
                  : QStringLiteral("%1 : %2 = ").arg(task.factor * task.series).arg(task.series);
        trace << QStringLiteral("task %1%2")
                     .arg(task.number)
                     .arg(task.text.startsWith(made) ? "" : " mismatch");
        if (answerFor(task.text) != task.answer)
            trace << QStringLiteral("wrong expected answer");
    }
    void answerGiven(const QString&, Record::Answer outcome, qint64 thinkingMs, qint64 answeredAt) override {
        answeredAts << answeredAt;
        static const char* const words[] = {"right", "again", "solved"};
        trace << QLatin1String(words[int(outcome)]);
        thinking << thinkingMs;
    }
    void drillEnded(Record::DrillEnd how) override {
        static const char* const words[] = {"done", "ende", "closed", "refused"};
        trace << QStringLiteral("end ") + QLatin1String(words[int(how) - int(Record::DrillEnd::AllDone)]);
    }
};

} // namespace

class TestDrillDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void captionIsTheMenuItem_data();
    void captionIsTheMenuItem();
    void wholeDrills_data();
    void wholeDrills();
    void realWrongAnswerDialog_data();
    void realWrongAnswerDialog();
    void sounds_data();
    void sounds();
    void readAloud_data();
    void readAloud();
    void faces();
    void praiseLine();
    void praiseCountReadOnceAtOpening();
    void limitPrompt_data();
    void limitPrompt();
    void realLimitPrompt();
    void fonts_data();
    void fonts();
    void fontSizeAndWidth();
    void colours();
    void backdrop();
    void answerFieldKeepsTheFocus();
    void helpButton();

private:
    // Runs the drill: each character of the script is one task: '=' answered
    // correctly, '!' answered wrong, "NOCHMALS", then correctly, '?'
    // answered wrong and solved with "LOESEN", '~' typed with the keyboard
    // on ENDE and confirmed with Enter. After the last answer the drill
    // is left by `ending`: "ok" (OK once more), "close" (the close box),
    // "cancel" (the cancel button) or "escape". Keys go where the focus is.
    int play(CDrillDialog& dialog, const QString& script, const QString& ending, bool mouse);
    void confirm(CDrillDialog& dialog, bool mouse);
    void typeAnswer(CDrillDialog& dialog, const QString& text);
    void writeSettings(const QString& section, const QStringList& keyValues);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProfile> m_profile;
    std::unique_ptr<QObject> m_watchdog;
    QString m_oldDir;
    std::unique_ptr<FakeHost> m_host;
    QList<int> m_choices; // answers of the wrong-answer seam, in order
    // The program's clock; the child takes a minute over each "Oh! Oooooh!".
    qint64 m_clock = 1;
};

void TestDrillDialog::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_profile = std::make_unique<CProfile>(m_dir->filePath(QStringLiteral("OLLO.INI")));
    m_clock = 1;
    Clock::SetSource([this] { return std::int64_t(m_clock); });
    m_choices.clear();
    m_host = std::make_unique<FakeHost>();
    // A test that goes wrong inside a modal dialog must not hang the run.
    m_watchdog = std::make_unique<QObject>();
    QTimer::singleShot(20000, m_watchdog.get(), [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
                dialog->done(99);
    });
}

void TestDrillDialog::cleanup() {
    m_watchdog.reset();
    m_host.reset();
    Clock::SetSource({});
    QDir::setCurrent(m_oldDir);
    m_profile.reset();
    m_dir.reset();
}

void TestDrillDialog::writeSettings(const QString& section, const QStringList& keyValues) {
    for (qsizetype i = 0; i + 1 < keyValues.size(); i += 2)
        m_profile->WriteText(section, keyValues[i], keyValues[i + 1]);
}

void TestDrillDialog::confirm(CDrillDialog& dialog, bool mouse) {
    if (mouse)
        QTest::mouseClick(child<CBitmapButton>(dialog, "okButton"), Qt::LeftButton);
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

void TestDrillDialog::typeAnswer(CDrillDialog& dialog, const QString& text) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY2(focus == child<CDigitEdit>(dialog, "answer"),
             focus ? focus->objectName().toLatin1().constData() : "none");
    QTest::keyClicks(QApplication::focusWidget(), text);
}

int TestDrillDialog::play(CDrillDialog& dialog, const QString& script, const QString& ending, bool mouse) {
    dialog.setWrongAnswerChoice([this](QWidget*) {
        m_clock += 60;
        return m_choices.isEmpty() ? 0 : m_choices.takeFirst();
    });
    QTimer::singleShot(0, &dialog, [&, this] {
        const auto finish = closeIfOpen(dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* task = child<QLabel>(dialog, "task");
        auto* answer = child<CDigitEdit>(dialog, "answer");
        auto* ok = child<CBitmapButton>(dialog, "okButton");
        for (qsizetype i = 0; i < script.size(); ++i) {
            QCOMPARE(shown(ok), face("OKU"));
            QVERIFY(answer->text().isEmpty());
            const QString expected = answerFor(task->text());
            if (script[i] == u'!') {
                m_choices << CWrongAnswerDlg::TryAgain;
                typeAnswer(dialog, u'0' + expected); // a leading zero is wrong
                confirm(dialog, mouse);
                QVERIFY(answer->text().isEmpty());
                QCOMPARE(shown(ok), face("OKU"));
            }
            if (script[i] == u'?') {
                m_choices << CWrongAnswerDlg::Solve;
                typeAnswer(dialog, expected + u'0');
                confirm(dialog, mouse);
                QCOMPARE(answer->text(), expected);
            } else if (script[i] == u'~') {
                // Tab slipped twice, onto ENDE: the digits still go to the answer.
                QTest::keyClick(answer, Qt::Key_Tab);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), child<QWidget>(dialog, "cancelButton"));
                QTest::keyClicks(QApplication::focusWidget(), expected);
                QCOMPARE(answer->text(), expected);
                confirm(dialog, mouse);
            } else {
                typeAnswer(dialog, expected);
                confirm(dialog, mouse);
            }
            // A click leaves the focus on the button, which then shows it.
            QCOMPARE(shown(ok), face(mouse ? "NEXTF" : "NEXTU"));
            if (i + 1 < script.size() || ending == u"ok")
                confirm(dialog, mouse);
        }
        if (ending == u"close")
            dialog.windowHandle()->close();
        else if (ending == u"cancel")
            QTest::mouseClick(child<CBitmapButton>(dialog, "cancelButton"), Qt::LeftButton);
        else if (ending == u"escape")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    return dialog.exec();
}

void TestDrillDialog::captionIsTheMenuItem_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("caption");
    QTest::newRow("7-er Reihe") << kSeven << "7-er Reihe";
    QTest::newRow("division by 100") << 32807 << "100-er Reihe";
    QTest::newRow("any series") << kAnyTimes << "Beliebige Reihe";
}

void TestDrillDialog::captionIsTheMenuItem() {
    QFETCH(int, id);
    QFETCH(QString, caption);
    CDrillDialog dialog(*m_profile, id, m_host.get());
    QCOMPARE(dialog.windowTitle(), caption);
    QCOMPARE(dialog.size(), QSize(633, 400));
    for (const char* name : {"okButton", "cancelButton", "helpButton"})
        QCOMPARE(child<CBitmapButton>(dialog, name)->size(), QSize(79, 44));
}

void TestDrillDialog::wholeDrills_data() {
    QTest::addColumn<QString>("tasks"); // "Aufgaben" as stored; "-" leaves it out
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("mouse");
    QTest::addColumn<int>("lobe"); // 7: left as it was
    QTest::addColumn<int>("posed");

    QTest::newRow("all correct") << "3"
                                 << "==="
                                 << "ok" << false << 1 << 3;
    QTest::newRow("all correct, by mouse") << "3"
                                           << "==="
                                           << "ok" << true << 1 << 3;
    QTest::newRow("one solved") << "3"
                                << "=?="
                                << "ok" << false << 0 << 3;
    QTest::newRow("again, then correct") << "3"
                                         << "!=!"
                                         << "ok" << false << 1 << 3;
    QTest::newRow("again and solved, by mouse") << "2"
                                                << "!?"
                                                << "ok" << true << 0 << 2;
    QTest::newRow("close box after the last answer") << "2"
                                                     << "=="
                                                     << "close" << false << 1 << 2;
    QTest::newRow("close box midway") << "3"
                                      << "="
                                      << "close" << false << 0 << 1;
    QTest::newRow("cancel after the last answer") << "2"
                                                  << "=="
                                                  << "cancel" << true << 7 << 2;
    QTest::newRow("escape after the last answer") << "2"
                                                  << "=="
                                                  << "escape" << false << 7 << 2;
    QTest::newRow("digits typed on ENDE") << "2"
                                          << "~="
                                          << "ok" << false << 1 << 2;
    QTest::newRow("no task count") << "-"
                                   << "="
                                   << "ok" << false << 0 << 1;
    QTest::newRow("task count 0") << "0"
                                  << "="
                                  << "ok" << false << 0 << 1;
    QTest::newRow("task count typed as 2x") << "2x"
                                            << "=="
                                            << "ok" << false << 1 << 2;
}

void TestDrillDialog::wholeDrills() {
    QFETCH(QString, tasks);
    QFETCH(QString, script);
    QFETCH(QString, ending);
    QFETCH(bool, mouse);
    QFETCH(int, lobe);
    QFETCH(int, posed);

    if (tasks != u"-")
        writeSettings(kParameter, {QStringLiteral("Aufgaben"), tasks});
    m_profile->WriteInt(kParameter, QStringLiteral("Lobe"), 7);
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    TraceObserver observer;
    dialog.setObserver(&observer);
    QCOMPARE(play(dialog, script, ending, mouse), 2);
    QVERIFY(m_choices.isEmpty());
    QCOMPARE(dialog.state().tasksPosed(), posed);
    QCOMPARE(m_profile->GetInt(kParameter, QStringLiteral("Lobe"), -1), lobe);

    // The observer heard every task and answer once, and how the drill ended.
    // Each answer bears the time OK was pressed, a wrong one too, whose
    // "Oh! Oooooh!" took its minute after it.
    QStringList expected{QStringLiteral("start 7-er Reihe %1")
                             .arg(m_profile->GetInt(kParameter, QStringLiteral("Aufgaben"), 0))};
    QList<qint64> answeredAts;
    qint64 clock = 1;
    for (qsizetype i = 0; i < script.size(); ++i) {
        expected << QStringLiteral("task %1").arg(i + 1);
        answeredAts << clock;
        if (script[i] == u'!') {
            expected << QStringLiteral("again") << QStringLiteral("right");
            answeredAts << clock + 60;
        } else {
            expected << QLatin1String(script[i] == u'?' ? "solved" : "right");
        }
        if (script[i] == u'!' || script[i] == u'?')
            clock += 60;
    }
    const char* end = ending == u"ok" ? "done" : ending == u"close" ? "closed" : "ende";
    expected << QStringLiteral("end ") + QLatin1String(end);
    QCOMPARE(observer.trace, expected);
    QCOMPARE(observer.answeredAts, answeredAts);
    for (const qint64 ms : observer.thinking)
        QVERIFY(ms >= 0 && ms < 20000);
}

void TestDrillDialog::realWrongAnswerDialog_data() {
    QTest::addColumn<QString>("how"); // "again", "solve", "escape", "enter", "close"
    QTest::addColumn<bool>("solved");
    QTest::newRow("NOCHMALS") << "again" << false;
    QTest::newRow("LOESEN") << "solve" << true;
    QTest::newRow("escape") << "escape" << false;
    QTest::newRow("enter at once") << "enter" << true;
    QTest::newRow("close box") << "close" << false;
}

void TestDrillDialog::realWrongAnswerDialog() {
    QFETCH(QString, how);
    QFETCH(bool, solved);

    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("1")});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    bool seen = false;
    QTimer::singleShot(0, &dialog, [&] {
        const auto finish = closeIfOpen(dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* answer = child<CDigitEdit>(dialog, "answer");
        const QString expected = answerFor(child<QLabel>(dialog, "task")->text());
        QTimer::singleShot(0, &dialog, [&] {
            auto* wrong = qobject_cast<CWrongAnswerDlg*>(QApplication::activeModalWidget());
            if (!wrong)
                return;
            seen = true;
            QVERIFY(QTest::qWaitForWindowActive(wrong));
            // Beside or below the task and the typed answer, not over them.
            for (const char* name : {"task", "answer"}) {
                const QWidget* field = child<QWidget>(dialog, name);
                QVERIFY2(!wrong->frameGeometry().intersects(
                             QRect(field->mapToGlobal(QPoint(0, 0)), field->size())),
                         name);
            }
            QCOMPARE(wrong->focusWidget(), child<QWidget>(*wrong, "solveButton"));
            if (how == u"again")
                QTest::mouseClick(child<CBitmapButton>(*wrong, "againButton"), Qt::LeftButton);
            else if (how == u"solve")
                QTest::mouseClick(child<CBitmapButton>(*wrong, "solveButton"), Qt::LeftButton);
            else if (how == u"escape")
                QTest::keyClick(wrong->focusWidget(), Qt::Key_Escape);
            else if (how == u"enter")
                QTest::keyClick(wrong->focusWidget(), Qt::Key_Return);
            else
                wrong->windowHandle()->close();
        });
        QTest::keyClicks(answer, QStringLiteral("0") + expected);
        QTest::keyClick(answer, Qt::Key_Return);
        QVERIFY(seen);
        QCOMPARE(dialog.state().isAnswered(), solved);
        QCOMPARE(answer->text(), solved ? expected : QString());
        QCOMPARE(shown(child<CBitmapButton>(dialog, "okButton")), face(solved ? "NEXTU" : "OKU"));
    });
    dialog.exec();
    QVERIFY(seen);
}

void TestDrillDialog::sounds_data() {
    QTest::addColumn<QString>("sound"); // "-" leaves the key out
    QTest::addColumn<QStringList>("played");
    const QStringList both = {QStringLiteral("gemein.wav"), QStringLiteral("drum.wav"),
                              QStringLiteral("drum.wav"), QStringLiteral("gemein.wav")};
    QTest::newRow("on") << "1" << both;
    QTest::newRow("any non-zero value is on") << "2" << both;
    QTest::newRow("off") << "0" << QStringList();
    QTest::newRow("missing") << "-" << QStringList();
}

void TestDrillDialog::sounds() {
    QFETCH(QString, sound);
    QFETCH(QStringList, played);
    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("5")});
    if (sound != u"-")
        writeSettings(kParameter, {QStringLiteral("Sound"), sound});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    // Switching the sound during the drill changes nothing: it was read at opening.
    QTimer::singleShot(0, &dialog, [&] {
        m_profile->WriteInt(kParameter, QStringLiteral("Sound"), 1 - (sound == u"1" || sound == u"2"));
    });
    play(dialog, QStringLiteral("!?=?!"), QStringLiteral("ok"), false);
    QCOMPARE(m_host->sounds, played);
}

void TestDrillDialog::readAloud_data() {
    QTest::addColumn<QString>("setting"); // "-" leaves the key out
    QTest::addColumn<bool>("heard");
    QTest::newRow("on") << "1" << true;
    QTest::newRow("any non-zero value is on") << "3" << true;
    QTest::newRow("off") << "0" << false;
    QTest::newRow("missing") << "-" << false;
}

void TestDrillDialog::readAloud() {
    QFETCH(QString, setting);
    QFETCH(bool, heard);
    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("3")});
    writeSettings(kPraise, {QStringLiteral("Anzahl"), QStringLiteral("1"), QStringLiteral("Lob1"),
                            QStringLiteral("Super")});
    if (setting != u"-")
        writeSettings(kParameter, {QStringLiteral("Vorlesen"), setting});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    play(dialog, QStringLiteral("!?="), QStringLiteral("ok"), false);

    // What a screen reader finds, whatever the setting.
    QCOMPARE(child<QWidget>(dialog, "answer")->accessibleName(), QStringLiteral("Antwort"));
    QCOMPARE(child<QWidget>(dialog, "message")->accessibleName(), QStringLiteral("Super"));
    const QString lastTask = child<QWidget>(dialog, "task")->accessibleName();
    QVERIFY2(QRegularExpression(QString::fromUtf8("^(eins|zwei|drei|vier|fünf|sechs|sieben|acht|neun|zehn)"
                                                  " mal sieben$"))
                 .match(lastTask)
                 .hasMatch(),
             qPrintable(lastTask));
    if (!heard) {
        QCOMPARE(m_host->spoken, QStringList());
        return;
    }
    // Task 1 wrong, "NOCHMALS", right; task 2 wrong and solved; task 3 right;
    // closing silences the rest ("").
    const QStringList& spoken = m_host->spoken;
    QCOMPARE(spoken.size(), 10);
    const QString question = CWrongAnswerDlg::Question();
    QCOMPARE(spoken.mid(1, 3), QStringList({question, spoken[0], QStringLiteral("Super")}));
    QCOMPARE(spoken[5], question);
    QVERIFY2(spoken[6].startsWith(spoken[4] + QStringLiteral(" ist ")), qPrintable(spoken[6]));
    QCOMPARE(spoken.mid(7), QStringList({lastTask, QStringLiteral("Super"), QString()}));
}

void TestDrillDialog::faces() {
    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("2")});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    // play() checks OKU before every answer and NEXTU (NEXTF after a click) after it.
    play(dialog, QStringLiteral("=?"), QStringLiteral("ok"), true);
    QCOMPARE(dialog.state().tasksPosed(), 2);
}

void TestDrillDialog::praiseLine() {
    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("3")});
    writeSettings(kPraise, {QStringLiteral("Anzahl"), QStringLiteral("1"), QStringLiteral("Lob1"),
                            QString::fromUtf8("Prima gemacht, Spaß!")});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    dialog.setWrongAnswerChoice([](QWidget*) { return int(CWrongAnswerDlg::Solve); });
    QStringList seen;
    QTimer::singleShot(0, &dialog, [&] {
        const auto finish = closeIfOpen(dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* message = child<QLabel>(dialog, "message");
        auto* answer = child<CDigitEdit>(dialog, "answer");
        seen << message->text();
        QTest::keyClicks(answer, answerFor(child<QLabel>(dialog, "task")->text()));
        QTest::keyClick(answer, Qt::Key_Return);
        seen << message->text();
        QTest::keyClick(answer, Qt::Key_Return);
        seen << message->text();
        QTest::keyClick(answer, Qt::Key_Return); // wrong: empty, then solved
        seen << message->text();
    });
    dialog.exec();
    const QString ask = QString::fromUtf8("Löse obige Aufgabe !");
    QCOMPARE(seen, QStringList({ask, QString::fromUtf8("Prima gemacht, Spaß!"), ask, ask}));
}

void TestDrillDialog::praiseCountReadOnceAtOpening() {
    // Counted 1 at opening, a correct answer always shows Lob1; phrases added
    // while the drill runs are not drawn from.
    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("6")});
    writeSettings(kPraise, {QStringLiteral("Anzahl"), QStringLiteral("1"), QStringLiteral("Lob1"),
                            QStringLiteral("Super")});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    QStringList seen;
    QTimer::singleShot(0, &dialog, [&] {
        const auto finish = closeIfOpen(dialog);
        m_profile->WriteInt(kPraise, QStringLiteral("Anzahl"), 30);
        for (int i = 2; i <= 30; ++i)
            m_profile->WriteText(kPraise, QStringLiteral("Lob%1").arg(i), QStringLiteral("falsch"));
        auto* answer = child<CDigitEdit>(dialog, "answer");
        for (int i = 0; i < 6; ++i) {
            QTest::keyClicks(answer, answerFor(child<QLabel>(dialog, "task")->text()));
            QTest::keyClick(answer, Qt::Key_Return);
            seen << child<QLabel>(dialog, "message")->text();
            QTest::keyClick(answer, Qt::Key_Return);
        }
    });
    dialog.exec();
    QCOMPARE(seen, QStringList(6, QStringLiteral("Super")));
}

void TestDrillDialog::limitPrompt_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<std::optional<QString>>("reply");
    QTest::addColumn<QString>("taskPattern"); // empty: the drill ends before it shows

    QTest::newRow("unchanged") << kAnyTimes << std::optional<QString>(QStringLiteral("20"))
                               << "^\\d+ X 20 = \\?+$";
    QTest::newRow("13, division") << kAnyDivide << std::optional<QString>(QStringLiteral("13"))
                                  << "^\\d+ : 13 = \\?+$";
    QTest::newRow("2, the smallest") << kAnyTimes << std::optional<QString>(QStringLiteral("2"))
                                     << "^\\d+ X 2 = \\?+$";
    QTest::newRow("9999, the largest")
        << kAnyTimes << std::optional<QString>(QStringLiteral("9999")) << "^\\d+ X 9999 = \\?+$";
    QTest::newRow("1") << kAnyTimes << std::optional<QString>(QStringLiteral("1")) << "";
    QTest::newRow("0") << kAnyDivide << std::optional<QString>(QStringLiteral("0")) << "";
    QTest::newRow("empty") << kAnyTimes << std::optional<QString>(QString()) << "";
    QTest::newRow("refused") << kAnyTimes << std::optional<QString>() << "";
}

void TestDrillDialog::limitPrompt() {
    QFETCH(int, id);
    QFETCH(std::optional<QString>, reply);
    QFETCH(QString, taskPattern);

    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("3")});
    m_profile->WriteInt(kParameter, QStringLiteral("Lobe"), 7);
    CDrillDialog dialog(*m_profile, id, m_host.get());
    TraceObserver observer;
    dialog.setObserver(&observer);
    QStringList presets;
    bool askedWhileVisible = false;
    dialog.setLimitPrompt([&](const QString& preset) {
        presets << preset;
        askedWhileVisible = askedWhileVisible || dialog.isVisible();
        return reply;
    });
    bool shown = false;
    QStringList tasks;
    QTimer::singleShot(0, &dialog, [&] {
        shown = true;
        const auto finish = closeIfOpen(dialog);
        auto* answer = child<CDigitEdit>(dialog, "answer");
        for (int i = 0; i < 3; ++i) {
            tasks << child<QLabel>(dialog, "task")->text();
            QTest::keyClicks(answer, answerFor(tasks.last()));
            QTest::keyClick(answer, Qt::Key_Return);
            QTest::keyClick(answer, Qt::Key_Return);
        }
    });
    const int result = dialog.exec();
    QCOMPARE(presets, QStringList{QStringLiteral("20")});
    QVERIFY(!askedWhileVisible);
    QCOMPARE(result, 2);
    if (taskPattern.isEmpty()) {
        QVERIFY(!shown);
        QCOMPARE(m_profile->GetInt(kParameter, QStringLiteral("Lobe"), -1), 0);
        QCOMPARE(dialog.state().tasksPosed(), 0);
        QCOMPARE(observer.trace,
                 QStringList({QStringLiteral("start Beliebige Reihe 3"), QStringLiteral("end refused")}));
        return;
    }
    QVERIFY2(!observer.trace.join(u' ').contains(QLatin1String("mismatch")),
             qPrintable(observer.trace.join(u',')));
    QVERIFY(shown);
    QCOMPARE(tasks.size(), 3);
    for (const QString& task : tasks)
        QVERIFY2(QRegularExpression(taskPattern).match(task).hasMatch(), qPrintable(task));
    QCOMPARE(m_profile->GetInt(kParameter, QStringLiteral("Lobe"), -1), 1);
}

void TestDrillDialog::realLimitPrompt() {
    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("1")});
    CDrillDialog dialog(*m_profile, kAnyTimes, m_host.get());
    QString task;
    QTimer::singleShot(0, &dialog, [&] {
        auto* prompt = qobject_cast<CLimitDialog*>(QApplication::activeModalWidget());
        QVERIFY(prompt);
        QVERIFY(!dialog.isVisible());
        QTimer::singleShot(0, &dialog, [&] {
            const auto finish = closeIfOpen(dialog);
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            task = child<QLabel>(dialog, "task")->text();
        });
        QCOMPARE(prompt->focusWidget(), child<QWidget>(*prompt, "field"));
        QTest::keyClick(prompt->focusWidget(), Qt::Key_Return);
    });
    dialog.exec();
    QVERIFY2(task.contains(QStringLiteral(" X 20 = ")), qPrintable(task));
}

void TestDrillDialog::fonts_data() {
    QTest::addColumn<QStringList>("big"); // keys and values of BigFont
    QTest::addColumn<int>("cell");        // the character cell asked for
    QTest::addColumn<QString>("family");  // "<sans>": the system's plain sans-serif face
    QTest::addColumn<int>("weight");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strikeOut");

    const QString arial = QStringLiteral("Arial");
    QTest::newRow("defaults") << QStringList() << 35 << arial << int(QFont::Normal) << false << false
                              << false;
    QTest::newRow("height 36") << QStringList{"FontHeight", "36"} << 36 << arial << int(QFont::Normal)
                               << false << false << false;
    QTest::newRow("height 60") << QStringList{"FontHeight", "60"} << 60 << arial << int(QFont::Normal)
                               << false << false << false;
    QTest::newRow("bold") << QStringList{"FontWeight", "700"} << 35 << arial << int(QFont::Bold) << false
                          << false << false;
    QTest::newRow("thin") << QStringList{"FontWeight", "100"} << 35 << arial << int(QFont::Thin) << false
                          << false << false;
    QTest::newRow("weight 0 is normal")
        << QStringList{"FontWeight", "0"} << 35 << arial << int(QFont::Normal) << false << false << false;
    QTest::newRow("effects") << QStringList{"Italic", "1", "Underline", "1", "StrikeOut", "1"} << 35 << arial
                             << int(QFont::Normal) << true << true << true;
    QTest::newRow("effects count by their low byte")
        << QStringList{"Italic", "256", "Underline", "512", "StrikeOut", "257"} << 35 << arial
        << int(QFont::Normal) << false << false << true;
    QTest::newRow("other face") << QStringList{"Name", "Liberation Serif"} << 35 << "Liberation Serif"
                                << int(QFont::Normal) << false << false << false;
    // A face that is not installed is drawn in the plain sans face, not in
    // what the font system would guess for the name (a script face for this one).
    QTest::newRow("face not installed") << QStringList{"Name", "Comic Sans MS"} << 35 << "<sans>"
                                        << int(QFont::Normal) << false << false << false;
    QTest::newRow("long face name not installed")
        << QStringList{"Name", "Abcdefghijklmnopqrstuvwxyz0123456789"} << 35 << "<sans>" << int(QFont::Normal)
        << false << false << false;
    // Hand-edited sizes far outside the font dialog's: the nearest readable size.
    QTest::newRow("far too high: the largest offered")
        << QStringList{"FontHeight", "2000000000"} << 60 << arial << int(QFont::Normal) << false << false
        << false;
    QTest::newRow("far too low: still readable")
        << QStringList{"FontHeight", "1"} << 10 << arial << int(QFont::Normal) << false << false << false;
}

void TestDrillDialog::fonts() {
    QFETCH(QStringList, big);
    QFETCH(int, cell);
    QFETCH(QString, family);
    QFETCH(int, weight);
    QFETCH(bool, italic);
    QFETCH(bool, underline);
    QFETCH(bool, strikeOut);

    writeSettings(QStringLiteral("BigFont"), big);
    writeSettings(QStringLiteral("SmallFont"), {QStringLiteral("FontHeight"), QStringLiteral("20")});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    for (const char* name : {"task", "answer"}) {
        const QFont font = child<QWidget>(dialog, name)->font();
        if (family == u"<sans>")
            QCOMPARE(QFontInfo(font).family(), QFontInfo(QFont(QStringLiteral("sans-serif"))).family());
        else
            QCOMPARE(font.family(), family);
        QCOMPARE(int(font.weight()), weight);
        QCOMPARE(font.italic(), italic);
        QCOMPARE(font.underline(), underline);
        QCOMPARE(font.strikeOut(), strikeOut);
        // The largest font whose cell fits: one pixel more would not.
        QVERIFY2(QFontMetrics(font).height() <= cell,
                 qPrintable(QString::number(QFontMetrics(font).height())));
        QFont larger = font;
        larger.setPixelSize(font.pixelSize() + 1);
        QVERIFY(QFontMetrics(larger).height() > cell);
        QVERIFY(QFontMetrics(font).height() >= cell - 1);
        // Its field is tall enough for it: nothing is cut at the bottom.
        QVERIFY2(child<QWidget>(dialog, name)->contentsRect().height() >= QFontMetrics(font).height() + 2,
                 name);
    }
    const QFont small = child<QLabel>(dialog, "message")->font();
    QCOMPARE(small.family(), QStringLiteral("Arial"));
    QVERIFY(QFontMetrics(small).height() <= 20 && QFontMetrics(small).height() >= 19);
}

void TestDrillDialog::fontSizeAndWidth() {
    const auto taskFont = [this](const QStringList& keys) {
        QFile::remove(m_profile->filePath());
        writeSettings(QStringLiteral("BigFont"), keys);
        CDrillDialog dialog(*m_profile, kSeven, m_host.get());
        return child<QLabel>(dialog, "task")->font();
    };
    // A negative height is the em height, as Qt's pixel size.
    QCOMPARE(taskFont({"FontHeight", "-30"}).pixelSize(), 30);
    // Absurd heights are bounded, not refused.
    QVERIFY(QFontMetrics(taskFont({"FontHeight", "2000000000"})).height() <= 1000);
    QVERIFY(taskFont({"FontHeight", "-2147483648"}).pixelSize() <= 1000);
    // A stored width stretches the characters towards it.
    const QString digits = QStringLiteral("0123456789");
    const int natural = QFontMetrics(taskFont({})).horizontalAdvance(digits);
    const QFont wide = taskFont({"FontWidth", "40"});
    QVERIFY(wide.stretch() > 100);
    QVERIFY(QFontMetrics(wide).horizontalAdvance(digits) > natural);
    QVERIFY(taskFont({"FontWidth", "8"}).stretch() < 100);
    // Absurd widths neither smear nor squeeze the digits out of sight.
    QCOMPARE(taskFont({"FontWidth", "2000000000"}).stretch(), 200);
    QCOMPARE(taskFont({"FontWidth", "1"}).stretch(), 50);
}

void TestDrillDialog::colours() {
    writeSettings(QStringLiteral("BigFont"), {"Rot", "300", "Gruen", "128", "Blau", "1"});
    writeSettings(QStringLiteral("SmallFont"), {"Rot", "255", "Gruen", "255", "Blau", "-1"});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    const QColor blue(0, 0, 255);
    auto* task = child<QLabel>(dialog, "task");
    auto* message = child<QLabel>(dialog, "message");
    auto* answer = child<CDigitEdit>(dialog, "answer");
    QCOMPARE(task->palette().color(QPalette::WindowText), QColor(44, 128, 1));
    QCOMPARE(answer->palette().color(QPalette::Text), QColor(44, 128, 1));
    QCOMPARE(message->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    for (QWidget* w :
         {static_cast<QWidget*>(task), static_cast<QWidget*>(message), static_cast<QWidget*>(answer)}) {
        QVERIFY(w->autoFillBackground());
        QCOMPARE(w->palette().color(w->backgroundRole()), blue);
    }

    // Without settings the texts are black.
    QFile::remove(m_profile->filePath());
    CDrillDialog plain(*m_profile, kSeven);
    QCOMPARE(child<QLabel>(plain, "task")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QCOMPARE(child<QLabel>(plain, "message")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
}

void TestDrillDialog::backdrop() {
    const auto saveBackdrop = [this](const QColor& colour, const char* format) {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(m_dir->filePath(QStringLiteral("background.bmp")), format));
    };
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    const QPoint corner(3, 3);    // outside every control
    const QPoint inTask(316, 40); // on the task line
    const QColor ordinary = dialog.grab().toImage().pixelColor(corner);

    saveBackdrop(Qt::red, "BMP");
    QImage shot = dialog.grab().toImage();
    QCOMPARE(shot.pixelColor(corner), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(QPoint(dialog.width() - 3, dialog.height() - 3)), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(inTask), QColor(0, 0, 255));

    // Read again at every paint.
    saveBackdrop(Qt::green, "BMP");
    QCOMPARE(dialog.grab().toImage().pixelColor(corner), QColor(Qt::green));

    // Only a BMP file counts.
    saveBackdrop(Qt::yellow, "PNG");
    QCOMPARE(dialog.grab().toImage().pixelColor(corner), ordinary);
}

void TestDrillDialog::answerFieldKeepsTheFocus() {
    writeSettings(kParameter, {QStringLiteral("Aufgaben"), QStringLiteral("2")});
    CDrillDialog dialog(*m_profile, kSeven, m_host.get());
    QTimer::singleShot(0, &dialog, [&] {
        const auto finish = closeIfOpen(dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* answer = child<CDigitEdit>(dialog, "answer");
        QCOMPARE(QApplication::focusWidget(), answer);
        // Tab goes the way the eye does: the field, then the buttons from
        // left to right, and round again.
        for (const char* next : {"okButton", "cancelButton", "helpButton", "answer"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), child<QWidget>(dialog, next));
        }
        // The focused OK button shows its focus face, as "OK" and as "Weiter";
        // the space bar presses it.
        auto* ok = child<CBitmapButton>(dialog, "okButton");
        QTest::keyClick(answer, Qt::Key_Tab);
        QCOMPARE(shown(ok), face("OKF"));
        QTest::keyClick(ok, Qt::Key_Tab, Qt::ShiftModifier);
        QTest::keyClicks(answer, answerFor(child<QLabel>(dialog, "task")->text()));
        QTest::keyClick(answer, Qt::Key_Return);
        QTest::keyClick(answer, Qt::Key_Tab);
        QCOMPARE(shown(ok), face("NEXTF"));
        QTest::keyClick(ok, Qt::Key_Space);
        QCOMPARE(dialog.state().tasksPosed(), 2);
        QCOMPARE(QApplication::focusWidget(), answer);
        QTest::keyClick(answer, Qt::Key_Tab);
        QCOMPARE(shown(ok), face("OKF"));
        // The next paint of the dialog takes the focus back to the answer field.
        dialog.repaint();
        QCOMPARE(QApplication::focusWidget(), answer);
    });
    dialog.exec();
}

void TestDrillDialog::helpButton() {
    CDrillDialog dialog(*m_profile, 32800, m_host.get());
    QTimer::singleShot(0, &dialog, [&] {
        const auto finish = closeIfOpen(dialog);
        QTest::mouseClick(child<CBitmapButton>(dialog, "helpButton"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
    });
    dialog.exec();
    QCOMPARE(m_host->helps, QList<int>{65536 + 32800});
}

QTEST_MAIN(TestDrillDialog)
#include "tst_drilldialog.moc"
