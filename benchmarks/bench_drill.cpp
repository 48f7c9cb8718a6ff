// Prints how long the drill dialog takes from the menu command to the dialog
// painted (target: under 30 ms): Ollo's main window is built as at start-up
// on the shipped content; each run triggers the "7-er Reihe" menu item, which
// runs StartDrill; the dialog reads its fonts and settings, shows, and
// decodes and stretches "background.bmp" at its paint. When the first round
// of paints has ended the dialog is cancelled (a cancelled drill earns no
// reward). The first run, with fonts not yet loaded, is shown apart.
// With --settings-mb N the settings file is first blown up to N MB by a
// praise list ahead of the shipped settings (target: under 100 ms after the
// first run, which reads the file).
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_drill [runs] [--settings-mb N]

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/profile.h"
#include "benchsupport.h"
#include "drill/drilldialog.h"
#include "kit/commandids.h"
#include "shell/mainframe.h"
#include "shell/trainerapp.h"

namespace {

constexpr int kDefaultRuns = 20;
constexpr double kTargetMs = 30;
constexpr double kLargeFileTargetMs = 100;
constexpr int kSevenSeries = 32777;

CDrillDialog* drillDialogOf(QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    return widget ? qobject_cast<CDrillDialog*>(widget->window()) : nullptr;
}

// Follows one drill dialog: when it is shown, and when each paint of it or
// its children ends. After the first round of paints it cancels the dialog.
class DrillProbe : public QApplication {
public:
    using QApplication::QApplication;

    void arm() {
        m_shownNs = 0;
        m_lastPaintNs = 0;
        m_armed = true;
    }
    qint64 shownNs() const { return m_shownNs; }
    qint64 paintedNs() const { return m_lastPaintNs; }

    bool notify(QObject* receiver, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool result = QApplication::notify(receiver, event);
        if (!m_armed || (type != QEvent::Paint && type != QEvent::Show))
            return result;
        CDrillDialog* dialog = drillDialogOf(receiver);
        if (dialog == nullptr)
            return result;
        if (type == QEvent::Show && receiver == dialog && m_shownNs == 0) {
            m_shownNs = bench::nowNs();
        } else if (type == QEvent::Paint) {
            const bool first = m_lastPaintNs == 0;
            m_lastPaintNs = bench::nowNs();
            // Runs once the paints of this round (dialog, then children) are done.
            if (first)
                QTimer::singleShot(0, dialog, [this, dialog] {
                    m_armed = false;
                    dialog->reject();
                });
        }
        return result;
    }

private:
    bool m_armed = false;
    qint64 m_shownNs = 0;
    qint64 m_lastPaintNs = 0;
};

// The shipped settings behind a praise list of about megabytes MB.
bool writeLargeSettings(const QString& path, int megabytes) {
    QFile shipped(QDir(CTrainerApp::ContentFolder(QStringLiteral(OLLO_PROGRAM))).filePath("default.INI"));
    if (!shipped.open(QIODevice::ReadOnly))
        return false;
    const QByteArray rest = shipped.readAll();
    const qsizetype size = qsizetype(megabytes) << 20;
    QByteArray phrases;
    phrases.reserve(size + 64);
    int count = 0;
    while (phrases.size() < size) {
        ++count;
        phrases += "Lob" + QByteArray::number(count) + "=Super gemacht, weiter so! Nummer " +
                   QByteArray::number(count) + "\r\n";
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write("[Lobe]\r\nAnzahl=" + QByteArray::number(count) + "\r\n" + phrases + "\r\n" + rest) > 0;
}

} // namespace

int main(int argc, char** argv) {
    int runs = kDefaultRuns;
    int settingsMb = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--settings-mb") == 0 && i + 1 < argc)
            settingsMb = std::max(0, std::atoi(argv[++i]));
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    const QString settingsFile = settings.filePath(
        QFileInfo(QStringLiteral(OLLO_PROGRAM)).completeBaseName() + QStringLiteral(".INI"));
    if (settingsMb > 0 && !writeLargeSettings(settingsFile, settingsMb)) {
        std::printf("the large settings file could not be written\n");
        return 1;
    }
    qputenv("XDG_DATA_HOME", settings.filePath(QStringLiteral("data")).toLocal8Bit());
    DrillProbe application(argc, argv);
    bench::quietOffscreenWarnings();
    CTrainerApp app(QStringLiteral(OLLO_PROGRAM));
    app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 0);
    if (!app.InitInstance())
        return 1;
    // As for a family: the window is on screen (it takes its icon once its
    // backdrop has painted there), and the series is chosen from its menu,
    // which has the record loaded and opened while the child reads it.
    QDeadlineTimer settle(10000);
    while (app.mainWindow()->windowIcon().isNull() && !settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QMenu* menu = app.mainWindow()->menuBar()->actions().front()->menu();
    menu->popup(QPoint(0, 0));
    while (app.record() == nullptr && !settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    menu->close();
    QAction* command = app.mainWindow()->action(kSevenSeries);
    if (command == nullptr || !command->isEnabled()) {
        std::printf("the menu has no enabled 7-er Reihe\n");
        return 1;
    }

    std::vector<double> built;
    std::vector<double> painted;
    double coldBuilt = 0;
    double coldPainted = 0;
    bool failed = false;
    QTimer::singleShot(0, &application, [&] {
        for (int run = -1; run < runs && !failed; ++run) {
            application.arm();
            const qint64 startNs = bench::nowNs();
            command->trigger(); // returns when the drill (and its reward step) are over
            if (application.shownNs() == 0 || application.paintedNs() == 0) {
                failed = true;
                break;
            }
            const double toShown = bench::msBetween(startNs, application.shownNs());
            const double toPainted = bench::msBetween(startNs, application.paintedNs());
            if (run < 0) {
                coldBuilt = toShown;
                coldPainted = toPainted;
            } else {
                built.push_back(toShown);
                painted.push_back(toPainted);
            }
        }
        QCoreApplication::quit();
    });
    QApplication::exec();
    if (failed) {
        std::printf("the drill dialog did not show and paint\n");
        return 1;
    }

    std::printf("Drill dialog from the menu command (content: %s)\n", qPrintable(QDir::currentPath()));
    if (settingsMb > 0)
        std::printf("with a settings file of %.1f MB\n", double(QFileInfo(settingsFile).size()) / (1 << 20));
    const double target = settingsMb > 0 ? kLargeFileTargetMs : kTargetMs;
    const QByteArray medianTitle = "median of " + QByteArray::number(runs);
    std::printf("%-28s %14s %14s\n", "", "first run", medianTitle.constData());
    std::printf("%-28s %11.1f ms %11.1f ms\n", "built and shown", coldBuilt, bench::median(built));
    const double medianPainted = bench::median(painted);
    std::printf("%-28s %11.1f ms %11.1f ms  (target < %.0f ms%s)\n", "painted", coldPainted, medianPainted,
                target, medianPainted < target ? "" : ", ABOVE TARGET");
    return 0;
}
