// Prints Ollo's resident set after start and after 100 drills (target: under
// 60 MB). Ollo is built as at start-up on the shipped content, sound off,
// rewards at random (picture or joke). The drills run through the menu
// commands and StartDrill with the real dialogs; a robot on a timer plays the
// child: it types the answers and presses OK and "Weiter", answers one task
// wrong in every third drill (then "NOCHMALS" or "LOESEN" by turns),
// cancels every tenth drill, and closes each reward once it is painted.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_memory [drills]

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "base/clock.h"
#include "base/profile.h"
#include "benchsupport.h"
#include "drill/drilldialog.h"
#include "drill/seriescatalogue.h"
#include "drill/wronganswerdlg.h"
#include "rewards/jokerewarddlg.h"
#include "rewards/picturerewarddlg.h"
#include "shell/mainframe.h"
#include "shell/trainerapp.h"

namespace {

constexpr int kDefaultDrills = 100;
constexpr double kTargetMb = 60;
constexpr int kStallMs = 20000;

// Answers whatever modal dialog is up. Each action is queued, so that a
// dialog it opens runs its own loop while the robot keeps ticking.
class Robot : public QObject {
public:
    int drillNumber = 0;
    int wrongAnswers = 0;
    int cancelled = 0;
    int pictures = 0;
    int jokes = 0;

    Robot() {
        QCoreApplication::instance()->installEventFilter(this);
        connect(&m_timer, &QTimer::timeout, this, &Robot::tick);
        m_timer.start(1);
        m_sinceAction.start();
    }

protected:
    // Notes which windows have painted since the robot last acted on them.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (event->type() == QEvent::Paint)
                m_painted.insert(widget->window());
            else if (event->type() == QEvent::Hide && widget->isWindow())
                m_painted.remove(widget);
        }
        return false;
    }

private:
    // Each step waits for the dialog to show its last change, as a child would.
    void act(QWidget* dialog, std::function<void()> action) {
        m_pending = true;
        m_painted.remove(dialog);
        QTimer::singleShot(0, this, [this, dialog = QPointer<QWidget>(dialog), action = std::move(action)] {
            m_pending = false;
            m_sinceAction.restart();
            if (dialog && dialog->isVisible())
                action();
        });
    }

    static void click(QWidget* dialog, const char* button) {
        if (auto* found = dialog->findChild<QPushButton*>(QLatin1String(button)))
            found->click();
        else
            qFatal("no button %s in %s", button, dialog->metaObject()->className());
    }

    void tick() {
        if (m_sinceAction.elapsed() > kStallMs) {
            QWidget* modal = QApplication::activeModalWidget();
            qFatal("nothing to do for %d s; on top: %s", kStallMs / 1000,
                   modal ? modal->metaObject()->className() : "no dialog");
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (m_pending || modal == nullptr || !modal->isVisible() || !m_painted.contains(modal))
            return;
        if (auto* drill = qobject_cast<CDrillDialog*>(modal))
            answer(drill);
        else if (qobject_cast<CWrongAnswerDlg*>(modal) != nullptr)
            act(modal, [modal, again = wrongAnswers % 2 == 0] {
                click(modal, again ? "againButton" : "solveButton");
            });
        else if (qobject_cast<CPictureRewardDlg*>(modal) != nullptr)
            act(modal, [this, modal] {
                ++pictures;
                click(modal, "okButton");
            });
        else if (qobject_cast<CJokeRewardDlg*>(modal) != nullptr)
            act(modal, [this, modal] {
                ++jokes;
                click(modal, "okButton");
            });
    }

    void answer(CDrillDialog* drill) {
        const CDrillState& state = drill->state();
        if (state.isAnswered()) {
            act(drill, [drill] { click(drill, "okButton"); });
            return;
        }
        if (drillNumber % 10 == 9 && state.tasksPosed() == 3) {
            act(drill, [this, drill] {
                ++cancelled;
                click(drill, "cancelButton");
            });
            return;
        }
        const int task = drillNumber * 1000 + state.tasksPosed();
        QString text = state.answerText();
        if (drillNumber % 3 == 1 && state.tasksPosed() == 2 && !m_answeredWrong.contains(task)) {
            m_answeredWrong.insert(task);
            ++wrongAnswers;
            text += u'1';
        }
        act(drill, [drill, text] {
            drill->findChild<QLineEdit*>(QStringLiteral("answer"))->setText(text);
            click(drill, "okButton");
        });
    }

    QTimer m_timer;
    QElapsedTimer m_sinceAction;
    QSet<int> m_answeredWrong;
    QSet<QWidget*> m_painted;
    bool m_pending = false;
};

} // namespace

int main(int argc, char** argv) {
    const int drills = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultDrills;
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", settings.filePath(QStringLiteral("data")).toLocal8Bit());
    QApplication application(argc, argv);
    bench::quietOffscreenWarnings();
    CTrainerApp app(QStringLiteral(OLLO_PROGRAM));
    app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 0);
    app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Belohnungsart"), 2);
    if (!app.InitInstance())
        return 1;
    QApplication::processEvents();
    const double afterStart = bench::statusMb("VmRSS");

    std::vector<int> commands;
    for (const SeriesInfo& series : SeriesCatalogue())
        if (!series.isAsked())
            commands.push_back(series.commandId);
    double afterFirst = 0;
    // Rewards are drawn with a seed from the clock's seconds: a second a
    // reading keeps the drills, which take less than a second each, from
    // all drawing the same kind.
    Clock::SetSource([now = Clock::NowSeconds()]() mutable { return now++; });
    Robot robot;
    QTimer::singleShot(0, &application, [&] {
        for (int drill = 0; drill < drills; ++drill) {
            robot.drillNumber = drill;
            app.mainWindow()->action(commands[size_t(drill) % commands.size()])->trigger();
            if (drill == 0)
                afterFirst = bench::statusMb("VmRSS");
        }
        QCoreApplication::quit();
    });
    QApplication::exec();
    const double afterDrills = bench::statusMb("VmRSS");

    std::printf("Resident memory (offscreen, shipped content)\n");
    std::printf("%-34s %8.1f MB  (target < %.0f MB%s)\n", "after start", afterStart, kTargetMb,
                afterStart < kTargetMb ? "" : ", ABOVE TARGET");
    std::printf("%-34s %8.1f MB\n", "after the first drill", afterFirst);
    const QByteArray label = "after " + QByteArray::number(drills) + " drills";
    std::printf("%-34s %8.1f MB  (target < %.0f MB%s)\n", label.constData(), afterDrills, kTargetMb,
                afterDrills < kTargetMb ? "" : ", ABOVE TARGET");
    std::printf("%-34s %8.1f MB\n", "peak", bench::statusMb("VmHWM"));
    std::printf("(the drills: %d wrong answers, %d cancelled, rewards: %d pictures, %d jokes)\n",
                robot.wrongAnswers, robot.cancelled, robot.pictures, robot.jokes);
    return 0;
}
