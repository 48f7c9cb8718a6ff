#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>

#include "base/clock.h"
#include "base/profile.h"
#include "drill/drilldialog.h"
#include "drill/limitdialog.h"
#include "drill/seriescatalogue.h"
#include "drill/wronganswerdlg.h"
#include "kit/commandids.h"
#include "rewards/jokerewarddlg.h"
#include "rewards/picturerewarddlg.h"
#include "rewards/praiselistdlg.h"
#include "settings/fontchooser.h"
#include "settings/optionssheet.h"
#include "settings/sounddlg.h"
#include "shell/mainframe.h"
#include "shell/trainerapp.h"

// One long session of the program, as a child gives it: drill after drill
// from the menus, answered right and wrong, tried again, solved, cancelled
// and closed, with every kind of reward and now and then the settings
// dialogs, all through the real windows and in one process. Nothing may stay
// behind: no dialog, no leak (run it under AddressSanitizer), and resident
// memory settles after the first hundred drills.
//
// OLLO_SOAK_DRILLS sets the number of drills (1000 when unset).

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr int kFullSoak = 1000;
constexpr int kSettledAfter = 100;
constexpr qint64 kAllowedGrowthKb = 5 * 1024;
constexpr int kSettingsEvery = 50;

int drillCount() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("OLLO_SOAK_DRILLS", &ok);
    return ok && n > 0 ? n : kFullSoak;
}

// VmRSS of this process in kB, 0 when unknown.
qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// The answer a child works out from the task it reads: "7 X 3 = ??", "56 : 7 = ?".
int answerOf(const QString& task) {
    const QStringList parts = task.split(u' ');
    const int a = parts.value(0).toInt(), b = parts.value(2).toInt();
    return parts.value(1) == u"X" ? a * b : (b == 0 ? 0 : a / b);
}

// How one drill goes.
struct DrillPlan {
    int number = 0;          // picks each task's way of being answered
    int endAtTask = 0;       // the drill is left when this task is posed; 0: never
    bool byCloseBox = false; // left by the close box rather than "ENDE"
};

// Typed into "Aufgaben bis ?" in turn, or how it is refused. A number below
// 2 ends the drill before it shows.
const QStringList kLimitAnswers{"13", "<Esc>", "2", "<Abbruch>", "1", "20", "0", "7"};

// Acts on whatever modal dialog is on top, one step per tick, and counts
// what it did. The next tick is armed before acting, since an action may
// open a dialog whose modal loop runs inside it; the chain runs from start()
// to stop() across all drills.
class Child : public QObject {
public:
    DrillPlan plan;
    bool confirmSettings = false; // OK rather than Abbruch in the settings dialogs
    QMap<QString, int> done;      // what was done, by name
    int misfires = 0;             // a key or click that did not do what it should

    void start() {
        m_running = true;
        QTimer::singleShot(0, this, [this] { tick(); });
    }
    void stop() { m_running = false; }

private:
    void tick() {
        if (!m_running)
            return;
        QTimer::singleShot(0, this, [this] { tick(); });
        QWidget* top = QApplication::activeModalWidget();
        if (!top || !top->isVisible())
            return;
        if (auto* drill = qobject_cast<CDrillDialog*>(top))
            onDrill(drill);
        else if (auto* wrong = qobject_cast<CWrongAnswerDlg*>(top))
            onWrong(wrong);
        else if (auto* limit = qobject_cast<CLimitDialog*>(top))
            onLimit(limit);
        else if (auto* picture = qobject_cast<CPictureRewardDlg*>(top))
            onReward(picture, QStringLiteral("picture"));
        else if (auto* joke = qobject_cast<CJokeRewardDlg*>(top))
            onReward(joke, QStringLiteral("joke"));
        else if (auto* sheet = qobject_cast<COptionsSheet*>(top))
            onOptions(sheet);
        else if (auto* sound = qobject_cast<CSoundDlg*>(top))
            onSound(sound);
        else if (auto* praise = qobject_cast<CPraiseListDlg*>(top))
            onPraise(praise);
        else if (auto* font = qobject_cast<CFontChooser*>(top))
            press(font, font->findChild<QPushButton*>(confirmSettings ? "okButton" : "cancelButton"),
                  QStringLiteral("font chooser"));
        else
            ++misfires;
    }

    void press(QDialog* dialog, QPushButton* button, const QString& what) {
        ++done[what];
        QTest::mouseClick(button, Qt::LeftButton);
        if (dialog->isVisible())
            ++misfires;
    }

    void onDrill(CDrillDialog* drill) {
        const CDrillState& state = drill->state();
        if (drill != m_drill) {
            m_drill = drill;
            m_task = 0;
            ++done[QStringLiteral("drill")];
            drill->grab(); // painted as the child sees it: the backdrop read and stretched
        }
        auto* answer = drill->findChild<QLineEdit*>("answer");
        if (state.isAnswered()) {
            QTest::keyClick(answer, Qt::Key_Return); // "Weiter"
            return;
        }
        if (state.tasksPosed() != m_task) {
            m_task = state.tasksPosed();
            m_wrongGiven = false;
        }
        if (m_task == plan.endAtTask) {
            if (plan.byCloseBox) {
                ++done[QStringLiteral("drill close box")];
                drill->close();
            } else {
                press(drill, drill->findChild<QPushButton*>("cancelButton"), QStringLiteral("drill ENDE"));
            }
            return;
        }
        const int right = answerOf(drill->findChild<QLabel*>("task")->text());
        m_way = (plan.number + m_task) % 7;
        if (m_way >= 3 && !m_wrongGiven) {
            m_wrongGiven = true;
            ++done[QStringLiteral("wrong answer")];
            QTest::keyClicks(answer, right == 0 ? QStringLiteral("1") : QStringLiteral("0"));
        } else {
            ++done[QStringLiteral("right answer")];
            QTest::keyClicks(answer, QString::number(right));
        }
        QTest::keyClick(answer, Qt::Key_Return);
    }

    // Ways 3 to 6: "NOCHMALS" by Esc, by its button, by the close box; "LOESEN" by Enter.
    void onWrong(CWrongAnswerDlg* wrong) {
        switch (m_way) {
        case 3:
            ++done[QStringLiteral("NOCHMALS by Esc")];
            QTest::keyClick(wrong, Qt::Key_Escape);
            break;
        case 4:
            press(wrong, wrong->findChild<QPushButton*>("againButton"), QStringLiteral("NOCHMALS by button"));
            break;
        case 5:
            ++done[QStringLiteral("NOCHMALS by close box")];
            wrong->close();
            break;
        default:
            ++done[QStringLiteral("LOESEN by Enter")];
            QTest::keyClick(wrong->focusWidget() ? wrong->focusWidget() : wrong, Qt::Key_Return);
            break;
        }
        if (wrong->isVisible())
            ++misfires;
    }

    void onLimit(CLimitDialog* limit) {
        const QString answer = kLimitAnswers[m_limitPrompts++ % kLimitAnswers.size()];
        if (answer == u"<Esc>") {
            ++done[QStringLiteral("limit refused by Esc")];
            QTest::keyClick(limit, Qt::Key_Escape);
            if (limit->isVisible())
                ++misfires;
            return;
        }
        if (answer == u"<Abbruch>") {
            press(limit, limit->findChild<QPushButton*>("cancelButton"),
                  QStringLiteral("limit refused by Abbruch"));
            return;
        }
        auto* field = limit->findChild<QLineEdit*>("field");
        field->selectAll();
        QTest::keyClicks(field, answer);
        press(limit, limit->findChild<QPushButton*>("okButton"), QStringLiteral("limit answered"));
    }

    void onReward(QDialog* reward, const QString& what) {
        reward->grab(); // the picture or the joke read, decoded and drawn
        switch (done[what]++ % 3) {
        case 0:
            QTest::mouseClick(reward->findChild<QPushButton*>("okButton"), Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(reward->focusWidget() ? reward->focusWidget() : reward, Qt::Key_Return);
            break;
        default:
            reward->close();
            break;
        }
        if (reward->isVisible())
            ++misfires;
    }

    // Every page shown, so that OK stores all three.
    void onOptions(COptionsSheet* sheet) {
        QTabBar* bar = sheet->findChild<QTabWidget*>("pages")->tabBar();
        for (int index : {1, 2, 0})
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        press(sheet, sheet->findChild<QPushButton*>(confirmSettings ? "ok" : "cancel"),
              QStringLiteral("options sheet"));
    }

    void onSound(CSoundDlg* sound) {
        sound->findChild<QCheckBox*>("soundCheck")->click();
        press(sound, sound->findChild<QPushButton*>(confirmSettings ? "button1" : "button2"),
              QStringLiteral("sound switch"));
    }

    // A phrase added and deleted again; OK then writes the list unchanged.
    void onPraise(CPraiseListDlg* praise) {
        QTest::keyClicks(praise->findChild<QLineEdit*>("phraseEdit"), "Soak");
        QTest::mouseClick(praise->findChild<QPushButton*>("addButton"), Qt::LeftButton);
        QTest::mouseClick(praise->findChild<QPushButton*>("deleteButton"), Qt::LeftButton);
        press(praise, praise->findChild<QPushButton*>(confirmSettings ? "okButton" : "cancelButton"),
              QStringLiteral("praise editor"));
    }

    bool m_running = false;
    QPointer<CDrillDialog> m_drill;
    int m_task = 0;
    int m_way = 0;
    bool m_wrongGiven = false;
    int m_limitPrompts = 0;
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
    QByteArray m_oldConfig;
    std::int64_t m_now = 0;

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_oldCurrent = QDir::currentPath();
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        QVERIFY(QDir(m_dir->path()).mkpath("config"));
        // The content a family gets; the shipped settings become the first settings file.
        qputenv("OLLO_DATA", QByteArray(OLLO_SOURCE_DATA_DIR));
        qputenv("XDG_CONFIG_HOME", m_dir->filePath("config").toLocal8Bit());
        Clock::SetSource([this] { return m_now; });
    }
    void cleanup() {
        Clock::SetSource({});
        QDir::setCurrent(m_oldCurrent);
        qunsetenv("OLLO_DATA");
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
        m_dir.reset();
    }

    void manyDrills() {
        const int drills = drillCount();
        auto app = std::make_unique<CTrainerApp>(m_dir->filePath("bin/ollo"));
        QVERIFY(app->InitInstance());
        QCOMPARE(QDir::currentPath(), QDir(OLLO_SOURCE_DATA_DIR).absolutePath());
        CMainFrame* frame = app->mainWindow();
        CProfile& profile = app->profile();
        QMap<QString, int> sounds;
        frame->setSoundPlayer([&sounds](const QString& name) { ++sounds[name]; });
        frame->setSpeechOutput([](const QString&) {}, {SpeechStatus::State::Unavailable, {}});

        const std::span<const SeriesInfo> series = SeriesCatalogue();
        const QList<int> settingsCommands{Cmd::Options, Cmd::Sound, Cmd::PraiseList, Cmd::BigFont,
                                          Cmd::SmallFont};
        Child child;
        child.start();
        QElapsedTimer clock;
        clock.start();
        qint64 settledKb = 0;
        for (int i = 0; i < drills; ++i) {
            if (i % kSettingsEvery == 0) {
                child.confirmSettings = (i / kSettingsEvery) % 2 == 1;
                for (const int command : settingsCommands) {
                    frame->action(command)->trigger();
                    QVERIFY2(!QApplication::activeModalWidget(), qPrintable(QString::number(command)));
                }
            }
            // The settings dialogs may have changed these; each drill sets its own.
            profile.WriteInt("Parameter", "Belohnungsart", (i + i / 4) % 4);
            profile.WriteInt("Parameter", "Aufgaben", 1 + i % 4);
            profile.WriteInt("Parameter", "Sound", 1);
            m_now = 1'000'000 + std::int64_t(i) * 7919;

            DrillPlan plan;
            plan.number = i;
            if (i % 5 == 1)
                plan.endAtTask = 1 + i / 5 % 3;
            plan.byCloseBox = i % 10 == 1;
            child.plan = plan;

            // Every sixth drill a "Beliebige Reihe", which asks for its number first.
            const int command = i % 6 == 5 ? (i % 12 == 5 ? Cmd::AnyMultiplication : Cmd::AnyDivision)
                                           : series[std::size_t(i * 7 % int(series.size()))].commandId;
            QAction* item = frame->action(command);
            QVERIFY(item && item->isEnabled());
            item->trigger();
            // What the main loop does between two menu commands.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();

            QVERIFY2(!QApplication::activeModalWidget(), qPrintable(QString::number(i)));
            QVERIFY2(frame->findChildren<QDialog*>().isEmpty(), qPrintable(QString::number(i)));
            if (i + 1 == std::min(drills, kSettledAfter))
                settledKb = residentKb();
        }
        child.stop();
        const qint64 finalKb = residentKb();
        const qint64 elapsed = clock.elapsed();

        qInfo("%d drills in %.1f s%s", drills, elapsed / 1000.0, kSanitized ? " (AddressSanitizer)" : "");
        qInfo("resident memory after drill %d: %lld kB, after drill %d: %lld kB, growth %lld kB",
              std::min(drills, kSettledAfter), settledKb, drills, finalKb, finalKb - settledKb);
        for (auto it = child.done.cbegin(); it != child.done.cend(); ++it)
            qInfo("%5d × %s", it.value(), qPrintable(it.key()));
        for (auto it = sounds.cbegin(); it != sounds.cend(); ++it)
            qInfo("%5d × sound %s", it.value(), qPrintable(it.key()));

        QCOMPARE(child.misfires, 0);
        // From 60 drills on, every road has been taken.
        if (drills >= 60) {
            for (const char* what :
                 {"right answer", "wrong answer", "NOCHMALS by Esc", "NOCHMALS by button",
                  "NOCHMALS by close box", "LOESEN by Enter", "drill ENDE", "drill close box",
                  "limit answered", "limit refused by Esc", "limit refused by Abbruch", "picture", "joke",
                  "options sheet", "sound switch", "praise editor", "font chooser"})
                QVERIFY2(child.done.value(what) > 0, what);
            QVERIFY(sounds.value("applaus.wav") > 0);
            QVERIFY(sounds.value("lachen.wav") > 0);
        }
        if (drills >= kFullSoak && !kSanitized)
            QVERIFY2(finalKb - settledKb <= kAllowedGrowthKb, "resident memory kept growing");
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
