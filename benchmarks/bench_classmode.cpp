// Prints what class mode costs and carries, each beside its target, against
// a private PostgreSQL (tests/common/pgserver.h) with the shipped schema:
//  - Enter to the next task painted in a drill dialog, median of 100, with
//    class mode off, on with the server reachable and on with the server
//    frozen (SIGSTOP): the three within 5 ms of each other;
//  - a backlog of a year of one child's drills (the year generator, about
//    19,000 answers) reaching the server: under 10 s;
//  - 25 class computers (processes) drilling at once against one server: no
//    error, no row lost, and how many rows per second the server takes.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_classmode

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/classconfig.h"
#include "base/classroster.h"
#include "base/clock.h"
#include "base/profile.h"
#include "benchsupport.h"
#include "common/pgserver.h"
#include "drill/drilldialog.h"
#include "drill/taskgenerator.h"
#include "kit/commandids.h"
#include "record/classsync.h"
#include "record/classupload.h"
#include "record/learningrecord.h"
#include "record/recordlog.h"
#include "yearofdrills.h"

namespace {

constexpr int kPresses = 100;
constexpr double kSpreadTargetMs = 5;
constexpr double kBacklogTargetS = 10;
constexpr int kComputers = 25;
constexpr int kDrillsPerComputer = 40;
constexpr int kTasksPerDrill = 10;
const QString kPassword = QStringLiteral("Kennwort-3b");

// Hands every step to the record and keeps the answer of the task shown.
class Answering : public DrillObserver {
public:
    explicit Answering(DrillObserver& record)
        : m_record(record) {}
    void drillStarted(int id, const QString& caption, Record::Operation operation, int series,
                      int tasks) override {
        m_record.drillStarted(id, caption, operation, series, tasks);
    }
    void taskPosed(const PosedTask& task) override {
        answer = task.answer;
        m_record.taskPosed(task);
    }
    void answerGiven(const QString& typed, Record::Answer given, qint64 ms, qint64 at) override {
        m_record.answerGiven(typed, given, ms, at);
    }
    void drillEnded(Record::DrillEnd how) override { m_record.drillEnded(how); }
    QString answer;

private:
    DrillObserver& m_record;
};

// Notes the first paint in a window after it is armed.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint && object->isWidgetType())
            painted = true;
        return false;
    }
};

// The median from Enter to the next task painted, over kPresses answers.
double enterToNextTask(CProfile& profile, DrillObserver& record) {
    Answering answering(record);
    CDrillDialog dialog(profile, Cmd::SeriesSmallFirst + 6);
    std::vector<PlannedTask> plan;
    for (int i = 0; i < kPresses + 10; ++i)
        plan.push_back({Record::Operation::Multiplication, 1 + i % 10, 7});
    dialog.setPlan(QStringLiteral("7-er Reihe"), std::move(plan));
    dialog.setObserver(&answering);
    std::vector<double> times;
    PaintWatch watch;
    QTimer::singleShot(0, &dialog, [&] {
        QCoreApplication::instance()->installEventFilter(&watch);
        for (int i = 0; i < kPresses + 5 && dialog.isVisible(); ++i) {
            QWidget* field = dialog.findChild<QWidget*>(QStringLiteral("answer"));
            QTest::keyClicks(field, answering.answer);
            QCoreApplication::processEvents();
            watch.painted = false;
            const qint64 start = bench::nowNs();
            QTest::keyClick(field, Qt::Key_Return);
            while (!watch.painted)
                QCoreApplication::processEvents();
            const qint64 end = bench::nowNs();
            if (i >= 5)
                times.push_back(bench::msBetween(start, end));
        }
        QCoreApplication::instance()->removeEventFilter(&watch);
        dialog.reject();
    });
    dialog.exec();
    return bench::median(times);
}

struct Server {
    PgServer pg;
    QTemporaryDir home;
    std::vector<QString> children;

    bool start() {
        QString out;
        const QString started = pg.start();
        if (!started.isEmpty()) {
            std::fprintf(stderr, "bench_classmode: %s\n", qPrintable(started));
            return false;
        }
        QString insert;
        for (int i = 1; i <= kComputers; ++i)
            insert += QStringLiteral("%1(ollo.class_named('3b'), 'Kind %2')").arg(i > 1 ? "," : "").arg(i);
        if (!pg.psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ollo;"), &out) ||
            !pg.psql(QStringLiteral("ollo"), {}, &out,
                     {QStringLiteral("-f"), QStringLiteral(OLLO_KLASSE_SQL)}) ||
            !pg.psql(QStringLiteral("ollo"),
                     QStringLiteral("SELECT ollo.create_class('3b');"
                                    "SELECT ollo.create_class_computer('rechner_3b', '3b', '%1');"
                                    "INSERT INTO ollo.children (class_id, name) VALUES %2;"
                                    "SELECT 'child ' || id FROM ollo.children ORDER BY name COLLATE \"C\";")
                         .arg(kPassword, insert),
                     &out)) {
            std::fprintf(stderr, "bench_classmode: %s\n", qPrintable(out));
            return false;
        }
        for (const QString& line : out.split(u'\n'))
            if (line.startsWith(QLatin1String("child ")))
                children.push_back(line.mid(6));
        const QProcessEnvironment libpq = PgServer::Environment(home.path());
        qputenv("PGSERVICEFILE", libpq.value(QStringLiteral("PGSERVICEFILE")).toUtf8());
        qputenv("PGPASSFILE", libpq.value(QStringLiteral("PGPASSFILE")).toUtf8());
        return pg.writeLogin(home.path(), QStringLiteral("ollo3b"), QStringLiteral("ollo"),
                             QStringLiteral("rechner_3b"), kPassword);
    }

    int count(const QString& sql) {
        QString out;
        return pg.psql(QStringLiteral("ollo"), sql, &out) ? out.toInt() : -1;
    }
};

// A class computer of its own: its own data folder and configuration.
void becomeComputer(const QString& folder) {
    QDir().mkpath(folder + QStringLiteral("/config"));
    QDir().mkpath(folder + QStringLiteral("/data/ollo"));
    qputenv("XDG_CONFIG_HOME", (folder + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (folder + QStringLiteral("/none")).toUtf8());
    qputenv("XDG_DATA_HOME", (folder + QStringLiteral("/data")).toUtf8());
    QFile config(folder + QStringLiteral("/config/ollo-Klasse.conf"));
    if (config.open(QIODevice::WriteOnly))
        config.write("[Klasse]\nDienst=ollo3b\nKlasse=3b\n");
}

QString recordPath(const QString& childId) {
    return CLearningRecord::PathFor(
        ClassRoster(QStringLiteral("ollo"), QStringLiteral("3b")).recordBaseName(childId));
}

// One of the 25: drills of kTasksPerDrill tasks, each sent as it ends.
int runComputer(const QString& folder, const QString& childId) {
    becomeComputer(folder);
    CLearningRecord record(recordPath(childId));
    if (!record.open())
        return 2;
    ClassUpload upload(ClassConfig::Find(QStringLiteral("ollo")), QStringLiteral("ollo"));
    int failed = 0;
    for (int d = 0; d < kDrillsPerComputer; ++d) {
        record.beginDrill(Cmd::SeriesSmallFirst + 6, QStringLiteral("7-er Reihe"),
                          Record::Operation::Multiplication, 7, kTasksPerDrill);
        for (int n = 1; n <= kTasksPerDrill; ++n) {
            record.addTask(n, {Record::Operation::Multiplication, n, 7}, QStringLiteral("%1 X 7").arg(n),
                           QString::number(7 * n));
            record.addAnswer(QString::number(7 * n), Record::Answer::Right, 1500);
            // The sender runs after every answer, as in the program.
            if (upload.run() != ClassUpload::Outcome::Done)
                ++failed;
        }
        record.endDrill(Record::DrillEnd::AllDone);
        if (upload.run() != ClassUpload::Outcome::Done)
            ++failed;
    }
    if (failed > 0)
        std::fprintf(stderr, "computer %s: %d rounds failed: %s\n", qPrintable(childId), failed,
                     qPrintable(upload.takeNotice() + upload.unreachableReason()));
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--computer") == 0) {
        QCoreApplication application(argc, argv);
        return runComputer(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QApplication application(argc, argv);
    Server server;
    if (!server.start())
        return 1;
    QTemporaryDir scratch;
    becomeComputer(scratch.filePath(QStringLiteral("bench")));
    // The drill dialog's settings and pictures: the shipped ones.
    QDir::setCurrent(QStringLiteral(OLLO_SOURCE_DATA_DIR));
    QFile::copy(QStringLiteral(OLLO_SOURCE_DATA_DIR "/default.INI"),
                scratch.filePath(QStringLiteral("bench.INI")));
    QFile::setPermissions(scratch.filePath(QStringLiteral("bench.INI")),
                          QFile::ReadOwner | QFile::WriteOwner);
    CProfile profile(scratch.filePath(QStringLiteral("bench.INI")));

    std::printf("== Class mode: Enter to the next task painted, median of %d ==\n", kPresses);
    double off = 0;
    {
        CLearningRecord family(CLearningRecord::PathFor(QStringLiteral("ollo")));
        family.open();
        RecordLog log(family);
        off = enterToNextTask(profile, log);
    }
    const ClassConfig config = ClassConfig::Find(QStringLiteral("ollo"));
    CLearningRecord child(recordPath(server.children.at(0)));
    child.open();
    RecordLog log(child);
    auto sync = std::make_unique<ClassSync>(config, QStringLiteral("ollo"));
    log.setOnWritten([&sync] { sync->sendSoon(); });
    const double reachable = enterToNextTask(profile, log);
    const QDeadlineTimer settle(30000);
    while (sync->waiting() > 0 && !settle.hasExpired())
        QTest::qWait(50);
    const bool allArrived = sync->waiting() == 0;
    server.pg.signalAll(SIGSTOP);
    const double hung = enterToNextTask(profile, log);
    const qint64 exitStart = bench::nowNs();
    sync.reset();
    const double exitMs = bench::msBetween(exitStart, bench::nowNs());
    server.pg.signalAll(SIGCONT);
    const double spread = std::max({off, reachable, hung}) - std::min({off, reachable, hung});
    std::printf("  class mode off            %7.2f ms\n", off);
    std::printf("  on, server reachable      %7.2f ms%s\n", reachable,
                allArrived ? "" : "   (answers still waiting after 30 s)");
    std::printf("  on, server frozen         %7.2f ms\n", hung);
    std::printf("  spread                    %7.2f ms   target: within %.0f ms%s\n", spread, kSpreadTargetMs,
                spread <= kSpreadTargetMs ? "" : "   MISSED");
    std::printf("  program's end, server frozen: sender stopped after %.0f ms (bound %d ms)\n", exitMs,
                ClassSync::ExitWaitMs);

    std::printf("\n== Class mode: a year of one child's drills reaching the server ==\n");
    {
        becomeComputer(scratch.filePath(QStringLiteral("year")));
        CLearningRecord year(recordPath(server.children.at(1)));
        year.open();
        const bench::YearOfDrills made = bench::MakeYearOfDrills(year, QDate(2024, 6, 3));
        Clock::SetSource({});
        ClassUpload upload(ClassConfig::Find(QStringLiteral("ollo")), QStringLiteral("ollo"));
        const qint64 start = bench::nowNs();
        const ClassUpload::Outcome outcome = upload.run();
        const double seconds = bench::msBetween(start, bench::nowNs()) / 1000;
        const int arrived =
            server.count(QStringLiteral("SELECT count(*) FROM ollo.answers WHERE child_id = '%1'")
                             .arg(server.children.at(1)));
        std::printf("  %d drills, %d tasks, %d answers: %.2f s   target: under %.0f s%s\n", made.drills,
                    made.tasks, made.answers, seconds, kBacklogTargetS,
                    seconds < kBacklogTargetS && outcome == ClassUpload::Outcome::Done ? "" : "   MISSED");
        std::printf("  answers on the server: %d of %d%s\n", arrived, made.answers,
                    arrived == made.answers ? "" : "   LOST ROWS");
    }

    std::printf("\n== Class mode: %d class computers drilling at once ==\n", kComputers);
    {
        std::vector<std::unique_ptr<QProcess>> computers;
        const int before = server.count(QStringLiteral("SELECT count(*) FROM ollo.answers"));
        const qint64 start = bench::nowNs();
        for (int i = 0; i < kComputers; ++i) {
            auto process = std::make_unique<QProcess>();
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process->start(QCoreApplication::applicationFilePath(),
                           {QStringLiteral("--computer"),
                            scratch.filePath(QStringLiteral("computer-%1").arg(i)),
                            server.children.at(size_t(i))});
            computers.push_back(std::move(process));
        }
        int failed = 0;
        for (auto& process : computers)
            if (!process->waitForFinished(600000) || process->exitStatus() != QProcess::NormalExit ||
                process->exitCode() != 0)
                ++failed;
        const double seconds = bench::msBetween(start, bench::nowNs()) / 1000;
        const int answers = server.count(QStringLiteral("SELECT count(*) FROM ollo.answers")) - before;
        const int expected = kComputers * kDrillsPerComputer * kTasksPerDrill;
        const int rows = answers * 2 + kComputers * kDrillsPerComputer;
        std::printf("  %d answers expected, %d on the server; computers with errors: %d%s\n", expected,
                    answers, failed, answers == expected && failed == 0 ? "" : "   LOST ROWS OR ERRORS");
        std::printf(
            "  %.1f s, %.0f rows per second (drills, tasks and answers, each sent as it was written)\n",
            seconds, rows / seconds);
    }
    return 0;
}
