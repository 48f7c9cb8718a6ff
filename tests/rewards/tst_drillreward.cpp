#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "base/clock.h"
#include "base/profile.h"
#include "common/filecontents.h"
#include "drill/drilldialog.h"
#include "drill/limitdialog.h"
#include "drill/wronganswerdlg.h"
#include "rewards/jokerewarddlg.h"
#include "rewards/picturerewarddlg.h"
#include "rewardseeds.h"
#include "shell/mainframe.h"
#include "shell/trainerapp.h"

// The road of a drill as a child takes it: a series from the menu, the drill
// answered, cancelled or refused, and the reward dialog, if any, closed.

namespace {

// What the child does in a drill.
enum class Plan { AnswerAll, SolveFirst, CancelAfterOne };

// Acts on whatever modal dialog is on top, one step per tick, and notes what
// it saw. The next tick is armed before acting, since an action may open a
// dialog whose modal loop runs inside it.
class Child : public QObject {
public:
    Plan plan = Plan::AnswerAll;
    QString limitAnswer; // empty: refuse the limit prompt

    QStringList seen;       // "drill", "limit", "wrong", "picture", "joke" in order
    QStringList captions;   // of the drill dialogs
    QStringList firstTasks; // of each drill
    QList<int> tasksPosed;  // by each drill, when it was last seen
    QColor pictureCentre;
    QString jokeFirstLine;

    void start() {
        m_running = true;
        tick();
    }
    void stop() { m_running = false; }

private:
    void tick() {
        if (!m_running)
            return;
        QTimer::singleShot(5, this, [this] { tick(); });
        QWidget* top = QApplication::activeModalWidget();
        if (auto* drill = qobject_cast<CDrillDialog*>(top))
            onDrill(drill);
        else if (auto* limit = qobject_cast<CLimitDialog*>(top))
            onLimit(limit);
        else if (auto* wrong = qobject_cast<CWrongAnswerDlg*>(top))
            onWrong(wrong);
        else if (auto* picture = qobject_cast<CPictureRewardDlg*>(top))
            onPicture(picture);
        else if (auto* joke = qobject_cast<CJokeRewardDlg*>(top))
            onJoke(joke);
    }

    void onDrill(CDrillDialog* drill) {
        if (drill != m_drill) {
            m_drill = drill;
            seen << "drill";
            captions << drill->windowTitle();
            firstTasks << drill->findChild<QLabel*>("task")->text();
            tasksPosed << 0;
            m_wrongGiven = false;
        }
        tasksPosed.last() = drill->state().tasksPosed();
        QWidget* answer = drill->findChild<QWidget*>("answer");
        if (drill->state().isAnswered()) {
            QTest::keyClick(answer, Qt::Key_Return); // "Weiter"
            return;
        }
        if (plan == Plan::CancelAfterOne && drill->state().correctCount() >= 1) {
            QTest::mouseClick(drill->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
            return;
        }
        if (plan == Plan::SolveFirst && !m_wrongGiven) {
            m_wrongGiven = true;
            QTest::keyClicks(answer, "0");
        } else {
            // Worked out from the task the child reads: "7 X 3 = ??", "56 : 7 = ?".
            const QStringList parts = drill->findChild<QLabel*>("task")->text().split(u' ');
            const int a = parts.value(0).toInt(), b = parts.value(2).toInt();
            QTest::keyClicks(answer, QString::number(parts.value(1) == u"X" ? a * b : a / b));
        }
        QTest::keyClick(answer, Qt::Key_Return);
    }

    void onLimit(CLimitDialog* limit) {
        seen << "limit";
        if (limitAnswer.isEmpty()) {
            QTest::keyClick(limit->focusWidget(), Qt::Key_Escape);
            return;
        }
        auto* field = limit->findChild<QWidget*>("field");
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, limitAnswer);
        QTest::mouseClick(limit->findChild<QPushButton*>("okButton"), Qt::LeftButton);
    }

    void onWrong(CWrongAnswerDlg* wrong) {
        seen << "wrong";
        QTest::mouseClick(wrong->findChild<QPushButton*>("solveButton"), Qt::LeftButton);
    }

    void onPicture(CPictureRewardDlg* picture) {
        seen << "picture";
        const QImage shot = picture->grab().toImage();
        pictureCentre = shot.pixelColor(shot.width() / 2, shot.height() / 2);
        QTest::mouseClick(picture->findChild<QPushButton*>("okButton"), Qt::LeftButton);
    }

    void onJoke(CJokeRewardDlg* joke) {
        seen << "joke";
        jokeFirstLine = joke->jokeLines().value(0);
        QTest::keyClick(joke->focusWidget(), Qt::Key_Return);
    }

    bool m_running = false;
    QPointer<CDrillDialog> m_drill;
    bool m_wrongGiven = false;
};

} // namespace

class TestDrillReward : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
    QByteArray m_oldConfig;
    QStringList m_sounds;

    QString settingsPath() const { return m_dir->filePath("config/ollo.INI"); }

    // The program with this settings file, its main window shown.
    std::unique_ptr<CTrainerApp> startProgram(const QByteArray& settings) {
        writeAll(settingsPath(), settings);
        auto app = std::make_unique<CTrainerApp>(m_dir->filePath("bin/ollo"));
        if (!app->InitInstance())
            return {};
        app->mainWindow()->setSoundPlayer([this](const QString& name) { m_sounds << name; });
        return app;
    }

    // The menu item, as the child chooses it.
    static void choose(CTrainerApp& app, int commandId) {
        QAction* item = app.mainWindow()->action(commandId);
        QVERIFY(item);
        QVERIFY(item->isEnabled());
        item->trigger();
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_oldCurrent = QDir::currentPath();
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        QVERIFY(QDir(m_dir->path()).mkpath("content"));
        QVERIFY(QDir(m_dir->path()).mkpath("config"));
        QVERIFY(QDir(m_dir->path()).mkpath("bin"));
        qputenv("OLLO_DATA", m_dir->filePath("content").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir->filePath("config").toLocal8Bit());

        const QDir content(m_dir->filePath("content"));
        QImage picture(200, 100, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(content.filePath("bild.bmp"), "BMP"));
        QImage backdrop(620, 400, QImage::Format_RGB32);
        backdrop.fill(Qt::white);
        QVERIFY(backdrop.save(content.filePath("joke.bmp"), "BMP"));
        writeAll(content.filePath("witz1.txt"), "Was ist gelb und kann rechnen?\r\nEine Rechenbanane!\r\n");

        m_sounds.clear();
    }
    void cleanup() {
        Clock::SetSource({});
        QDir::setCurrent(m_oldCurrent);
        qunsetenv("OLLO_DATA");
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
        m_dir.reset();
    }

    void oneDrill_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("parameter");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<int>("plan");
        QTest::addColumn<QString>("limitAnswer");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QStringList>("rewardSounds");
        QTest::addColumn<int>("flagAfter"); // -1: never written
        // The settings file is read-only (a parent "locked" it): nothing is written.
        QTest::addColumn<bool>("readOnly");

        const qint64 picture = SecondsForDraw(1, 0);
        const qint64 joke = SecondsForDraw(1, 1);
        const int all = int(Plan::AnswerAll), solve = int(Plan::SolveFirst);
        const int cancel = int(Plan::CancelAfterOne);
        const QStringList applause{"applaus.wav"}, laughter{"lachen.wav"}, silence;
        QTest::newRow("picture") << 32777 << QByteArray("Belohnungsart=0") << joke << all << ""
                                 << QStringList{"drill", "picture"} << applause << 0 << false;
        QTest::newRow("joke") << 32777 << QByteArray("Belohnungsart=1") << picture << all << ""
                              << QStringList{"drill", "joke"} << laughter << 0 << false;
        QTest::newRow("random, picture") << 32794 << QByteArray("Belohnungsart=2") << picture << all << ""
                                         << QStringList{"drill", "picture"} << applause << 0 << false;
        QTest::newRow("random, joke") << 32794 << QByteArray("Belohnungsart=2") << joke << all << ""
                                      << QStringList{"drill", "joke"} << laughter << 0 << false;
        QTest::newRow("none") << 32777 << QByteArray("Belohnungsart=3") << picture << all << ""
                              << QStringList{"drill"} << silence << 0 << false;
        QTest::newRow("type missing is none")
            << 32777 << QByteArray() << picture << all << "" << QStringList{"drill"} << silence << 0 << false;
        QTest::newRow("cancelled") << 32777 << QByteArray("Belohnungsart=0") << picture << cancel << ""
                                   << QStringList{"drill"} << silence << -1 << false;
        QTest::newRow("a shown solution earns nothing")
            << 32777 << QByteArray("Belohnungsart=0") << picture << solve << ""
            << QStringList{"drill", "wrong"} << silence << 0 << false;
        // A flag left at 1 must not give a reward for a drill that never ran.
        QTest::newRow("limit prompt refused") << 32804 << QByteArray("Belohnungsart=0\r\nLobe=1") << picture
                                              << all << "" << QStringList{"limit"} << silence << 0 << false;
        QTest::newRow("any series, then a joke")
            << 32791 << QByteArray("Belohnungsart=1") << picture << all << "13"
            << QStringList{"limit", "drill", "joke"} << laughter << 0 << false;
        // The reward follows this drill's own result, whatever the file holds.
        QTest::newRow("read-only settings: the reward comes all the same")
            << 32777 << QByteArray("Belohnungsart=1") << picture << all << "" << QStringList{"drill", "joke"}
            << laughter << -1 << true;
        QTest::newRow("a flag left at 1 by a killed reward: nothing for ENDE")
            << 32777 << QByteArray("Belohnungsart=0\r\nLobe=1") << picture << cancel << ""
            << QStringList{"drill"} << silence << 0 << false;
        QTest::newRow("read-only settings, a flag left at 1: nothing for ENDE")
            << 32777 << QByteArray("Belohnungsart=0\r\nLobe=1") << picture << cancel << ""
            << QStringList{"drill"} << silence << 1 << true;
    }
    void oneDrill() {
        QFETCH(int, command);
        QFETCH(QByteArray, parameter);
        QFETCH(qint64, seconds);
        QFETCH(int, plan);
        QFETCH(QString, limitAnswer);
        QFETCH(QStringList, seen);
        QFETCH(bool, readOnly);
        Clock::SetSource([seconds] { return seconds; });
        auto app = startProgram("[Parameter]\r\nAufgaben=2\r\nSound=1\r\nWitze=1\r\n" + parameter +
                                "\r\n[Bilder]\r\nAnzahl=1\r\nBild0=bild.bmp\r\n");
        QVERIFY(app);
        if (readOnly)
            QVERIFY(QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::ReadUser));

        Child child;
        child.plan = Plan(plan);
        child.limitAnswer = limitAnswer;
        child.start();
        choose(*app, command);
        child.stop();

        QCOMPARE(child.seen, seen);
        if (seen.contains("picture"))
            QCOMPARE(child.pictureCentre, QColor(Qt::red));
        if (seen.contains("joke"))
            QCOMPARE(child.jokeFirstLine, QString("Was ist gelb und kann rechnen?"));
        QStringList rewardSounds;
        for (const QString& sound : std::as_const(m_sounds))
            if (sound == "applaus.wav" || sound == "lachen.wav")
                rewardSounds << sound;
        QTEST(rewardSounds, "rewardSounds");
        QTEST(CProfile(settingsPath()).GetInt("Parameter", "Lobe", -1), "flagAfter");
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(app->mainWindow()->findChildren<QDialog*>().isEmpty());
    }

    void captionIsTheMenuItem() {
        auto app = startProgram("[Parameter]\r\nAufgaben=1\r\nBelohnungsart=3\r\n");
        QVERIFY(app);
        Child child;
        child.start();
        choose(*app, 32777);
        choose(*app, 32810);
        child.stop();
        QCOMPARE(child.captions, (QStringList{"7-er Reihe", "1000-er Reihe"}));
    }

    // The second drill starts from a fresh seed and reads its
    // settings anew; cancelling it gives no second reward for the
    // first.
    void twoDrillsInARow() {
        Clock::SetSource([] { return std::int64_t(123456); });
        auto app = startProgram("[Parameter]\r\nAufgaben=1\r\nBelohnungsart="
                                "1\r\nWitze=1\r\n");
        QVERIFY(app);
        Child child;
        child.start();
        choose(*app, 32777);
        CProfile(settingsPath()).WriteInt("Parameter", "Aufgaben", 3);
        child.plan = Plan::CancelAfterOne;
        choose(*app, 32777);
        child.stop();

        QCOMPARE(child.seen, (QStringList{"drill", "joke", "drill"}));
        QCOMPARE(child.firstTasks.size(), 2);
        QCOMPARE(child.firstTasks[1], child.firstTasks[0]);
        QCOMPARE(child.tasksPosed, (QList<int>{1, 2}));
        QCOMPARE(CProfile(settingsPath()).GetInt("Parameter", "Lobe", -1), 0);
    }
};

QTEST_MAIN(TestDrillReward)
#include "tst_drillreward.moc"
