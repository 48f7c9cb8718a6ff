// Prints how long Ollo takes from process start to its first painted main
// window with the backdrop, against a bare Qt main window with a menu bar and
// a status bar (barewindow.h), and the ratio of the two (targets: at most
// 1.3 in one process, at most 1.15 as a whole process, which is what a user
// waits for), and the resident memory of both whole processes then and
// once settled, a second later, when what follows the first paint (the
// window's icon) is done (target: at most 1.10 each).
//
//   bench_startup --in-process [runs]     no display needed (offscreen)
//   bench_startup --whole-process [runs]  needs a display (Xvfb)
//
// In-process: each run starts this program again as a child that builds Ollo
// (CTrainerApp, InitInstance) or the bare window itself and times its steps
// up to the end of the first backdrop paint on an exposed window. Both
// children are the same binary, so they carry the same libraries.
// Whole process: each run starts the real ollo or barewindow program with
// OLLO_BENCH_FIRST_PAINT=1; the program prints the clock and its resident
// set once its first paint is on screen, and its resident set a second later
// (shell/firstpaintprobe.h), and ends.
// Loading the libraries counts here.
// Runs alternate between the programs after one unmeasured warm-up each;
// the figures are medians. Every run gets the same fresh settings folder.

#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "barewindow.h"
#include "benchsupport.h"
#include "shell/trainerapp.h"

extern char** environ;

namespace {

constexpr int kDefaultRuns = 21;
constexpr double kInProcessTarget = 1.3;
constexpr double kWholeProcessTarget = 1.15;
constexpr double kMemoryTarget = 1.10;
// After the first paint, until the memory is taken again: what follows the
// first paint is done by then.
constexpr int kSettleMs = 1000;
constexpr int kChildTimeoutMs = 30000;
const char* const kSpawnVariable = "OLLO_BENCH_SPAWN_NS";

// ---- the child of an in-process run ----------------------------------------

// Notes the end of the first paint of the widget named "backdrop" while its
// window is exposed, then ends the event loop.
class ProbeApplication : public QApplication {
public:
    using QApplication::QApplication;

    qint64 paintedNs = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool result = QApplication::notify(receiver, event);
        if (paintedNs == 0 && type == QEvent::Paint && receiver->objectName() == QLatin1String("backdrop")) {
            const QWindow* window = static_cast<QWidget*>(receiver)->window()->windowHandle();
            if (window != nullptr && window->isExposed()) {
                paintedNs = bench::nowNs();
                QTimer::singleShot(0, this, &QCoreApplication::quit);
            }
        }
        return result;
    }
};

// Prints "steps <name>=<ms since spawn> ..." for the parent.
int runChild(int argc, char** argv, const QByteArray& which) {
    const qint64 mainNs = bench::nowNs();
    const qint64 spawnNs = qEnvironmentVariable(kSpawnVariable).toLongLong();
    ProbeApplication application(argc, argv);
    const qint64 applicationNs = bench::nowNs();
    qint64 builtNs = 0;
    qint64 shownNs = 0;
    int code = 0;
    if (which == "ollo") {
        CTrainerApp app(QStringLiteral(OLLO_PROGRAM));
        builtNs = bench::nowNs();
        if (!app.InitInstance())
            return 1;
        shownNs = bench::nowNs();
        code = app.Run();
    } else {
        const auto window = MakeBareWindow();
        builtNs = bench::nowNs();
        window->showMaximized();
        shownNs = bench::nowNs();
        code = QApplication::exec();
    }
    if (code != 0 || application.paintedNs == 0)
        return 1;
    std::printf("steps main=%.3f application=%.3f built=%.3f shown=%.3f painted=%.3f\n",
                bench::msBetween(spawnNs, mainNs), bench::msBetween(spawnNs, applicationNs),
                bench::msBetween(spawnNs, builtNs), bench::msBetween(spawnNs, shownNs),
                bench::msBetween(spawnNs, application.paintedNs));
    return 0;
}

// ---- the parent -----------------------------------------------------------

struct ChildRun {
    qint64 spawnNs = 0;
    QByteArray output; // standard output and error together
    bool ok = false;
};

// Starts program with the extra environment, collects its output until it
// ends, and stops it (by its own pid) if it takes longer than the timeout.
ChildRun spawnAndWait(const QByteArray& program, const std::vector<QByteArray>& arguments,
                      const std::vector<QByteArray>& extraEnvironment) {
    ChildRun run;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);

    std::vector<QByteArray> arguments0{program};
    arguments0.insert(arguments0.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (QByteArray& argument : arguments0)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> environment0 = extraEnvironment;
    run.spawnNs = bench::nowNs();
    environment0.push_back(QByteArray(kSpawnVariable) + '=' + QByteArray::number(run.spawnNs));
    std::vector<char*> envp;
    for (QByteArray& entry : environment0)
        envp.push_back(entry.data());
    for (char** entry = environ; *entry != nullptr; ++entry)
        envp.push_back(*entry);
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        run.output = QByteArray("cannot start ") + program + ": " + std::strerror(spawned);
        return run;
    }
    const qint64 deadline = run.spawnNs + qint64(kChildTimeoutMs) * 1000000;
    for (;;) {
        const qint64 left = (deadline - bench::nowNs()) / 1000000;
        if (left <= 0) {
            run.output += "\n(timed out)";
            kill(pid, SIGKILL);
            break;
        }
        pollfd readable{pipeEnds[0], POLLIN, 0};
        if (poll(&readable, 1, int(left)) <= 0)
            continue;
        std::array<char, 4096> buffer;
        const ssize_t got = read(pipeEnds[0], buffer.data(), buffer.size());
        if (got <= 0)
            break;
        run.output.append(buffer.data(), got);
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// "key=value key=value" after the prefix on the first line that has it.
std::optional<std::map<QByteArray, double>> parseSteps(const QByteArray& output, const QByteArray& prefix) {
    for (const QByteArray& line : output.split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        std::map<QByteArray, double> steps;
        for (const QByteArray& field : line.mid(prefix.size()).trimmed().split(' ')) {
            const qsizetype equals = field.indexOf('=');
            if (equals > 0)
                steps[field.left(equals)] = field.mid(equals + 1).toDouble();
        }
        return steps;
    }
    return std::nullopt;
}

struct FirstPaint {
    qint64 atNs = 0;
    double residentMb = 0;
    double settledMb = 0;
};

// What the probe printed: the clock and the resident set, then the resident
// set once settled.
std::optional<FirstPaint> firstPaintOf(const QByteArray& output) {
    const QByteArray prefix = "first-paint ";
    const QByteArray settled = "settled ";
    std::optional<FirstPaint> painted;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith(prefix)) {
            const QList<QByteArray> fields = line.mid(prefix.size()).trimmed().split(' ');
            if (fields.size() != 2)
                return std::nullopt;
            painted = FirstPaint{fields[0].toLongLong(), fields[1].toDouble() / 1024, 0};
        } else if (line.startsWith(settled) && painted) {
            painted->settledMb = line.mid(settled.size()).trimmed().toDouble() / 1024;
        }
    }
    if (painted && painted->settledMb <= 0)
        return std::nullopt;
    return painted;
}

void failed(const char* what, const ChildRun& run) {
    std::printf("%s failed:\n%s\n", what, run.output.constData());
}

// Settings and the learning record in the run's own folder.
std::vector<QByteArray> childEnvironment(const QTemporaryDir& settings) {
    return {"XDG_CONFIG_HOME=" + settings.path().toLocal8Bit(),
            "XDG_DATA_HOME=" + settings.filePath(QStringLiteral("data")).toLocal8Bit()};
}

void printRatio(const char* what, double ollo, double bare, const char* unit, double target) {
    const double ratio = bare > 0 ? ollo / bare : 0;
    std::printf("%-34s %8.1f %s %8.1f %s   %5.2f x  (target <= %.2f x%s)\n", what, ollo, unit, bare, unit,
                ratio, target, ratio <= target ? "" : ", ABOVE TARGET");
}

int inProcess(const QByteArray& self, int runs) {
    QTemporaryDir settings;
    const std::vector<QByteArray> environment = childEnvironment(settings);
    const std::vector<QByteArray> names{"main", "application", "built", "shown", "painted"};
    std::map<QByteArray, std::map<QByteArray, std::vector<double>>> figures;
    for (int run = -1; run < runs; ++run) {
        for (const QByteArray which : {"ollo", "bare"}) {
            const ChildRun child = spawnAndWait(self, {"--child", which}, environment);
            const auto steps = parseSteps(child.output, "steps ");
            if (!child.ok || !steps) {
                failed(which.constData(), child);
                return 1;
            }
            if (run < 0)
                continue; // warm-up: caches, and Ollo's first-start settings copy
            for (const QByteArray& name : names)
                figures[which][name].push_back(steps->at(name));
        }
    }
    std::printf("Start-up in one process (%s), from process start, median of %d runs\n",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default platform"
                                                     : qgetenv("QT_QPA_PLATFORM").constData(),
                runs);
    std::printf("%-34s %11s %11s\n", "step reached", "Ollo", "bare");
    const std::map<QByteArray, const char*> labels{
        {"main", "main() entered"},
        {"application", "QApplication made"},
        {"built", "CTrainerApp / window made"},
        {"shown", "InitInstance / show returned"},
        {"painted", "first backdrop paint done"},
    };
    for (const QByteArray& name : names) {
        const double ollo = bench::median(figures["ollo"][name]);
        const double bare = bench::median(figures["bare"][name]);
        if (name == "painted")
            printRatio(labels.at(name), ollo, bare, "ms", kInProcessTarget);
        else
            std::printf("%-34s %8.1f ms %8.1f ms\n", labels.at(name), ollo, bare);
    }
    return 0;
}

int wholeProcess(int runs) {
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" ||
        (qgetenv("DISPLAY").isEmpty() && qgetenv("WAYLAND_DISPLAY").isEmpty()))
        std::printf("(no display: run under Xvfb, e.g. scripts/bench.sh, for the whole-process figure)\n");
    QTemporaryDir settings;
    std::vector<QByteArray> environment = childEnvironment(settings);
    environment.push_back("OLLO_BENCH_FIRST_PAINT=1");
    environment.push_back("OLLO_BENCH_SETTLE_MS=" + QByteArray::number(kSettleMs));
    const std::map<QByteArray, QByteArray> programs{{"ollo", OLLO_PROGRAM}, {"bare", BARE_WINDOW_PROGRAM}};
    std::map<QByteArray, std::vector<double>> times;
    std::map<QByteArray, std::vector<double>> memory;
    std::map<QByteArray, std::vector<double>> settledMemory;
    for (int run = -1; run < runs; ++run) {
        for (const QByteArray which : {"ollo", "bare"}) {
            const ChildRun child = spawnAndWait(programs.at(which), {}, environment);
            const std::optional<FirstPaint> painted = firstPaintOf(child.output);
            if (!child.ok || !painted) {
                failed(programs.at(which).constData(), child);
                return 1;
            }
            if (run < 0)
                continue; // warm-up: caches, and Ollo's first-start settings copy
            times[which].push_back(bench::msBetween(child.spawnNs, painted->atNs));
            memory[which].push_back(painted->residentMb);
            settledMemory[which].push_back(painted->settledMb);
        }
    }
    std::printf(
        "Start-up as a whole process (%s), start until the backdrop is on screen, median of %d runs\n",
        qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default platform" : qgetenv("QT_QPA_PLATFORM").constData(),
        runs);
    std::printf("%-34s %11s %11s\n", "", "ollo", "barewindow");
    printRatio("ready", bench::median(times["ollo"]), bench::median(times["bare"]), "ms",
               kWholeProcessTarget);
    printRatio("resident memory then", bench::median(memory["ollo"]), bench::median(memory["bare"]), "MB",
               kMemoryTarget);
    printRatio("resident memory 1 s later", bench::median(settledMemory["ollo"]),
               bench::median(settledMemory["bare"]), "MB", kMemoryTarget);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv, argv[2]);

    const QByteArray mode = argc > 1 ? argv[1] : "";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultRuns;
    QCoreApplication application(argc, argv);
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    if (mode == "--in-process")
        return inProcess(self, runs);
    if (mode == "--whole-process")
        return wholeProcess(runs);
    if (mode.isEmpty())
        return inProcess(self, runs) | wholeProcess(runs);
    std::fprintf(stderr, "usage: bench_startup [--in-process | --whole-process] [runs]\n");
    return 2;
}
