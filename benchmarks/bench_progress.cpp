// Prints how long the progress window "Lernfortschritt" takes to open with a
// year of daily drills in the learning record (target: under 100 ms): from
// building the window (which reads the record) to its first round of paints,
// the record being open already and a window on screen, as in the running
// program. The first run, with the chart and the record's pages not yet
// loaded, is shown apart; reading the figures alone is shown too. Beside the time on the clock, the processor
// time the program spent, which a busy machine does not stretch.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_progress [runs]
//
// bench_progress --write <file>  writes the year of drills into a record
// file and ends (for the README's screenshots).

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/clock.h"
#include "benchsupport.h"
#include "progress/progresswindow.h"
#include "record/learningrecord.h"
#include "record/progressreading.h"
#include "record/recordlog.h"
#include "yearofdrills.h"

namespace {

// CLOCK_PROCESS_CPUTIME_ID in nanoseconds.
qint64 cpuNs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

constexpr int kDefaultRuns = 15;
constexpr double kTargetMs = 100;

// Notes the end of each paint of the progress window or its children.
class PaintProbe : public QApplication {
public:
    using QApplication::QApplication;

    qint64 lastPaintNs = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        const bool result = QApplication::notify(receiver, event);
        if (event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(receiver);
            if (widget != nullptr && qobject_cast<CProgressWindow*>(widget->window()) != nullptr)
                lastPaintNs = bench::nowNs();
        }
        return result;
    }
};

bench::YearOfDrills writeYear(const QString& path, QDate lastDay) {
    CLearningRecord record(path);
    if (!record.open())
        return {};
    return bench::MakeYearOfDrills(record, lastDay);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        QCoreApplication application(argc, argv);
        const bench::YearOfDrills made = writeYear(QString::fromLocal8Bit(argv[2]), QDate::currentDate());
        std::printf("%d drills, %d tasks, %d answers written\n", made.drills, made.tasks, made.answers);
        return made.answers > 0 ? 0 : 1;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    PaintProbe application(argc, argv);
    bench::quietOffscreenWarnings();

    // Written where writing is cheapest; the figures read it back alike.
    const QString shm = QStringLiteral("/dev/shm");
    QTemporaryDir folder(QDir(shm).exists() ? shm + QStringLiteral("/ollo-bench-XXXXXX") : QString());
    const QString path = folder.filePath(QStringLiteral("ollo.sqlite"));
    const QDate lastDay(2024, 6, 3);
    const bench::YearOfDrills made = writeYear(path, lastDay);
    if (made.answers == 0) {
        std::printf("the record could not be written\n");
        return 1;
    }
    CLearningRecord record(path);
    if (!record.open())
        return 1;
    // The main window stands for the program that is already up: its fonts
    // and style are loaded when a parent opens the progress window.
    QMainWindow main;
    main.menuBar()->addMenu(QStringLiteral("Optionen"));
    main.statusBar()->showMessage(QStringLiteral("Drücken Sie F1, um Hilfe zu erhalten."));
    main.setCentralWidget(new QLabel(QStringLiteral("8 X 7 = ??")));
    main.show();
    while (!main.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();

    std::vector<double> reads;
    std::vector<double> readsCpu;
    for (int run = 0; run < runs; ++run) {
        const qint64 startNs = bench::nowNs();
        const qint64 startCpu = cpuNs();
        const ProgressReport report = ProgressReading::Read(record, lastDay);
        reads.push_back(bench::msBetween(startNs, bench::nowNs()));
        readsCpu.push_back(bench::msBetween(startCpu, cpuNs()));
    }

    std::vector<double> opened;
    std::vector<double> openedCpu;
    double coldOpened = 0;
    double coldCpu = 0;
    for (int run = -1; run < runs; ++run) {
        application.lastPaintNs = 0;
        const qint64 startNs = bench::nowNs();
        const qint64 startCpu = cpuNs();
        RecordLog source(record);
        CProgressWindow window(source, nullptr);
        window.show();
        // The first round of paints is over once the loop comes round idle.
        while (application.lastPaintNs == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        const double ms = bench::msBetween(startNs, application.lastPaintNs);
        const double cpu = bench::msBetween(startCpu, cpuNs());
        if (run < 0) {
            coldOpened = ms;
            coldCpu = cpu;
        } else {
            opened.push_back(ms);
            openedCpu.push_back(cpu);
        }
    }

    std::printf("Progress window with a year of drills: %d drills, %d tasks, %d answers\n", made.drills,
                made.tasks, made.answers);
    const QByteArray medianTitle = "median of " + QByteArray::number(runs);
    std::printf("%-28s %14s %14s\n", "", "first run", medianTitle.constData());
    std::printf("%-28s %14s %11.1f ms\n", "figures read", "", bench::median(reads));
    std::printf("%-28s %14s %11.1f ms\n", "  processor time", "", bench::median(readsCpu));
    const double medianOpened = bench::median(opened);
    std::printf("%-28s %11.1f ms %11.1f ms  (target < %.0f ms%s)\n", "opened and painted", coldOpened,
                medianOpened, kTargetMs, medianOpened < kTargetMs ? "" : ", ABOVE TARGET");
    std::printf("%-28s %11.1f ms %11.1f ms\n", "  processor time", coldCpu, bench::median(openedCpu));
    return 0;
}
