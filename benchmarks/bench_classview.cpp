// The teacher's class view over a class of 30 children with a year of daily
// drills each (the year generator, one seed per child: about 580,000
// answers) on a private PostgreSQL (tests/common/pgserver.h), sent there as
// the class computers would have: the view opened and painted, a child's
// page, and a new answer on screen.
//   bench_classview [children]      (default 30)
//   bench_classview --serve FOLDER [children]
// The second form fills the server, writes a teacher's ollo-Klasse.conf,
// pg_service.conf and pgpass into FOLDER, prints "READY" and keeps the server
// until its input closes: scripts/screenshots.sh shows the view over it.

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <map>
#include <cstdio>
#include <vector>

#include "common/pgserver.h"
#include "klasse/classgridmodel.h"
#include "klasse/classserver.h"
#include "klasse/classwindow.h"
#include "kit/progressmodule.h"
#include "klasse/rostermodel.h"
#include "progress/progresstext.h"
#include "progress/progresswindow.h"
#include "record/progressreading.h"
#include "record/recordstore.h"
#include "yearofdrills.h"

namespace {

const QString kPassword = QStringLiteral("Tafel");

const char* const kNames[] = {"Anna",   "Ben",   "Cem",   "Dila",  "Emil",  "Finn", "Greta", "Hannes",
                              "Ida",    "Jonas", "Kira",  "Leon",  "Mia",   "Noah", "Ole",   "Paula",
                              "Quirin", "Rosa",  "Samir", "Tara",  "Umut",  "Vera", "Wanda", "Xaver",
                              "Yara",   "Zoe",   "Aylin", "Bruno", "Clara", "David"};

void say(const char* what, double ms, double target) {
    std::printf("%-52s %8.1f ms   (target < %.0f ms)%s\n", what, ms, target, ms < target ? "" : "   MISSED");
    std::fflush(stdout);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString uuidOf(const QString& child, const char* kind, qint64 id) {
    return QUuid::createUuidV5(QUuid(child), QStringLiteral("%1-%2").arg(QLatin1String(kind)).arg(id))
        .toString(QUuid::WithoutBraces);
}

QString text(const QVariant& value) {
    QString s = value.toString();
    return s.replace(u'\\', QLatin1String("\\\\"))
        .replace(u'\t', QLatin1String("\\t"))
        .replace(u'\n', QLatin1String("\\n"));
}

// A child's year, written into a learning record of its own, then copied to
// the server as the class computer would have sent it.
QString yearFor(const QString& folder, const QString& classId, const QString& childId, quint32 seed,
                QDate lastDay, int* answers) {
    // Each seed's year is made once and sent for every child that has it.
    static std::map<QString, int> made;
    const QString file =
        QDir(folder).filePath(QStringLiteral("%1-%2.sqlite").arg(seed).arg(lastDay.toString(Qt::ISODate)));
    const bool fresh = made.find(file) == made.end();
    CLearningRecord record(file);
    if (!record.open())
        return QStringLiteral("cannot open %1").arg(file);
    if (fresh) {
        // Written for a benchmark: nothing needs to survive a crash.
        QSqlQuery(record.database()).exec(QStringLiteral("PRAGMA synchronous = OFF"));
        made[file] = bench::MakeYearOfDrills(record, lastDay, seed).answers;
    }
    *answers += made[file];
    QString copy =
        QStringLiteral("COPY ollo.drills (class_id, child_id, id, started, ended, command, caption,"
                       " operation, series, task_count, how_ended) FROM STDIN;\n");
    QSqlQuery q(record.database());
    q.exec(
        QStringLiteral("SELECT id, started, ended, command, caption, operation, series, task_count, how_ended"
                       " FROM drill"));
    const auto orNull = [](const QVariant& v) {
        return v.isNull() ? QStringLiteral("\\N") : v.toString();
    };
    while (q.next())
        copy += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\t%9\t%10\t%11\n")
                    .arg(classId, childId, uuidOf(childId, "d", q.value(0).toLongLong()))
                    .arg(q.value(1).toLongLong() * 1000)
                    .arg(q.value(2).isNull() ? QStringLiteral("\\N")
                                             : QString::number(q.value(2).toLongLong() * 1000))
                    .arg(q.value(3).toString(), text(q.value(4)), q.value(5).toString(),
                         q.value(6).toString(), q.value(7).toString(), orNull(q.value(8)));
    copy += QStringLiteral(
        "\\.\nCOPY ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation, factor,"
        " series, text, expected) FROM STDIN;\n");
    q.exec(QStringLiteral(
        "SELECT id, drill, number, posed, operation, factor, series, text, expected FROM task"));
    while (q.next())
        copy += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\t%9\t%10\t%11\n")
                    .arg(classId, childId, uuidOf(childId, "t", q.value(0).toLongLong()),
                         uuidOf(childId, "d", q.value(1).toLongLong()), q.value(2).toString())
                    .arg(q.value(3).toLongLong() * 1000)
                    .arg(q.value(4).toString(), q.value(5).toString(), q.value(6).toString(),
                         text(q.value(7)), text(q.value(8)));
    copy +=
        QStringLiteral("\\.\nCOPY ollo.answers (class_id, child_id, id, task_id, attempt, at, typed, correct,"
                       " choice, thinking_ms) FROM STDIN;\n");
    q.exec(QStringLiteral(
        "SELECT id, task, attempt, at, typed, correct, choice, thinking_ms FROM answer ORDER BY id"));
    while (q.next())
        copy += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\t%9\t%10\n")
                    .arg(classId, childId, uuidOf(childId, "a", q.value(0).toLongLong()),
                         uuidOf(childId, "t", q.value(1).toLongLong()), q.value(2).toString())
                    .arg(q.value(3).toLongLong() * 1000)
                    .arg(text(q.value(4)), q.value(5).toBool() ? QStringLiteral("t") : QStringLiteral("f"),
                         q.value(6).toString(), q.value(7).toString());
    return copy + QStringLiteral("\\.\n");
}

// How often each index of the schema was scanned, and each table read
// whole, as the server counts them: what the view's statements took. A
// connection's counts reach these figures when it closes, as each view's
// does after its run.
QMap<QString, qint64> scans(const PgServer& server) {
    QString out;
    server.psql(QStringLiteral("ollo"),
                QStringLiteral("SELECT pg_stat_force_next_flush();"
                               "SELECT 'index ' || indexrelname || '|' || idx_scan FROM pg_stat_user_indexes"
                               " WHERE schemaname = 'ollo' UNION ALL"
                               " SELECT 'whole ' || relname || '|' || seq_scan FROM pg_stat_user_tables"
                               " WHERE schemaname = 'ollo'"),
                &out);
    QMap<QString, qint64> counts;
    for (const QString& line : out.split(u'\n'))
        if (line.contains(u'|'))
            counts.insert(line.section(u'|', 0, 0), line.section(u'|', 1, 1).toLongLong());
    return counts;
}

void sayScans(const QMap<QString, qint64>& before, const QMap<QString, qint64>& after, int runs) {
    QStringList used;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (const qint64 more = it.value() - before.value(it.key()); more > 0)
            used << QStringLiteral("%1 %2×").arg(it.key()).arg(double(more) / runs, 0, 'f', 1);
    std::printf("  (per run: %s)\n", qPrintable(used.join(QStringLiteral(", "))));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool serve = argc > 2 && QByteArray(argv[1]) == "--serve";
    const QString serveFolder = serve ? QString::fromLocal8Bit(argv[2]) : QString();
    const int countArgument = serve ? 3 : 1;
    const int children = std::min(30, argc > countArgument ? std::max(1, atoi(argv[countArgument])) : 30);
    PgServer server;
    const QString started = server.start();
    if (!started.isEmpty()) {
        std::printf("(no PostgreSQL server: %s)\n", qPrintable(started));
        return 0;
    }
    QString out;
    server.psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ollo;"), &out);
    if (!server.psql(QStringLiteral("ollo"), {}, &out, {"-f", QStringLiteral(OLLO_KLASSE_SQL)}) ||
        !server.psql(QStringLiteral("ollo"),
                     QStringLiteral("SELECT ollo.create_class('3b');"
                                    "SELECT ollo.create_teacher('lehrer_3b', '3b', '%1');"
                                    "SELECT ollo.create_class('4a');")
                         .arg(kPassword),
                     &out)) {
        std::printf("(schema not set up: %s)\n", qPrintable(out));
        return 1;
    }
    QTemporaryDir home;
    QString insert;
    for (int i = 1; i <= children; ++i)
        insert +=
            QStringLiteral(
                "INSERT INTO ollo.children (class_id, name) VALUES (ollo.class_named('3b'), '%1');"
                "INSERT INTO ollo.children (class_id, name) VALUES (ollo.class_named('4a'), '%1');")
                .arg(QLatin1String(kNames[i - 1]));
    server.psql(QStringLiteral("ollo"), insert, &out);
    server.psql(QStringLiteral("ollo"),
                QStringLiteral("SELECT c.class_id || '|' || c.id FROM ollo.children c JOIN ollo.classes k"
                               " ON k.id = c.class_id ORDER BY k.name, c.name"),
                &out);
    const QStringList ids = out.split(u'\n');
    QElapsedTimer filling;
    filling.start();
    int answers = 0;
    // Both classes get the years, the teacher of 3b reading past 4a's rows; for the screenshots 3b alone.
    for (int i = 0; i < (serve ? children : int(ids.size())); ++i) {
        const QString copy = yearFor(
            home.path(), ids[i].section(u'|', 0, 0), ids[i].section(u'|', 1, 1),
            quint32(20240603 + i % children),
            // Two children have not practised for ten days, as in any class.
            QDate::currentDate().addDays(i % children == 4 || i % children == 16 ? -10 : 0), &answers);
        if (!server.psql(QStringLiteral("ollo"), copy, &out)) {
            std::printf("(filling failed: %s)\n", qPrintable(out.left(400)));
            return 1;
        }
    }
    server.psql(QStringLiteral("ollo"), QStringLiteral("VACUUM ANALYZE;"), &out);
    std::printf("2 classes of %d children, %d answers on the server (filled in %.0f s)\n", children, answers,
                filling.elapsed() / 1000.0);

    if (serve) {
        server.writeLogin(serveFolder, QStringLiteral("lehrer"), QStringLiteral("ollo"),
                          QStringLiteral("lehrer_3b"), kPassword);
        QFile file(QDir(serveFolder).filePath(QStringLiteral("ollo-Klasse.conf")));
        file.open(QIODevice::WriteOnly);
        file.write("[Klasse]\nDienst=lehrer\nKlasse=3b\n");
        file.close();
        std::printf("READY\n");
        std::fflush(stdout);
        // Until the input closes.
        QFile input;
        input.open(stdin, QIODevice::ReadOnly);
        input.readAll();
        return 0;
    }
    server.writeLogin(home.path(), QStringLiteral("lehrer"), QStringLiteral("ollo"),
                      QStringLiteral("lehrer_3b"), kPassword);
    const QString configFolder = home.filePath(QStringLiteral("config"));
    QDir().mkpath(configFolder);
    qputenv("XDG_CONFIG_HOME", configFolder.toUtf8());
    qputenv("XDG_CONFIG_DIRS", home.filePath(QStringLiteral("nowhere")).toUtf8());
    qputenv("PGSERVICEFILE", PgServer::ServiceFile(home.path()).toUtf8());
    qputenv("PGPASSFILE", PgServer::PassFile(home.path()).toUtf8());
    {
        QFile file(QDir(configFolder).filePath(QStringLiteral("ollo-Klasse.conf")));
        file.open(QIODevice::WriteOnly);
        file.write("[Klasse]\nDienst=lehrer\nKlasse=3b\n");
    }
    const ClassConfig config = ClassConfig::Find(QStringLiteral("ollo"));

    // The view: from the window's making until the class is painted.
    const QMap<QString, qint64> beforeViews = scans(server);
    std::vector<double> opened;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        ClassWindow window(config, nullptr);
        bool shown = false;
        QObject::connect(&window, &ClassWindow::refreshed, &window, [&] { shown = true; });
        window.show();
        while (!shown)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        window.grab();
        opened.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    say("Class view opened and painted, median of 5", median(opened), 500);
    sayScans(beforeViews, scans(server), 5);

    // A child's page: read from the server and the progress window painted.
    ClassServer reader(QStringLiteral("bench"));
    if (!reader.open(config)) {
        std::printf("(%s)\n", qPrintable(reader.error()));
        return 1;
    }
    std::vector<RosterRow> roster;
    reader.readRoster(QDateTime::currentSecsSinceEpoch(), roster);
    std::vector<double> pages;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto store = reader.childStore(roster[size_t(run) % roster.size()].id);
        const ProgressReport report = ProgressReading::Read(*store, ProgressText::today());
        struct Source : ProgressSource {
            ProgressReport shown;
            ProgressReport report(QDate) const override { return shown; }
            bool canRead() const override { return true; }
            bool canWrite() const override { return false; }
            QString faultReason() const override { return {}; }
            QString stateText() const override { return {}; }
            QString takeNotice() override { return {}; }
            QString baseName() const override { return {}; }
            bool readAnswers(std::vector<AnswerRow>*) const override { return false; }
            bool clearHistory() override { return false; }
            bool historyIsShared() const override { return true; }
            void removeRecordOf(const QString&) override {}
            int answeredTasksOf(const QString&) const override { return 0; }
            bool giveHistoryTo(const QString&, QString*) override { return false; }
        } source;
        source.shown = report;
        CProgressWindow page(source, nullptr);
        page.show();
        page.grab();
        pages.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (run == 0)
            std::printf("  (a child's page: %d tasks in the record)\n", report.totals.tasks);
    }
    say("A child's page read and painted, median of 5", median(pages), 300);

    // A new answer: from the class computer's commit until the grid shows it.
    ClassWindow window(config, nullptr);
    int shownTimes = 0;
    QObject::connect(&window, &ClassWindow::refreshed, &window, [&] { ++shownTimes; });
    window.show();
    while (shownTimes == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QSqlDatabase computer = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("computer"));
    computer.setConnectOptions(
        QStringLiteral("host=%1;port=%2;user=postgres;dbname=ollo").arg(server.host(), server.port()));
    if (!computer.open()) {
        std::printf("(no second connection)\n");
        return 1;
    }
    const QString classId = ids.first().section(u'|', 0, 0);
    std::vector<double> live;
    for (int run = 0; run < 10; ++run) {
        const QString child = roster[size_t(run) % roster.size()].id;
        const QString drill = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString task = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const qint64 at = QDateTime::currentMSecsSinceEpoch();
        QSqlQuery q(computer);
        q.exec(QStringLiteral("BEGIN"));
        q.exec(QStringLiteral(
                   "INSERT INTO ollo.drills VALUES ('%1','%2','%3',%4,NULL,32777,'7-er Reihe',0,7,1,NULL)")
                   .arg(classId, child, drill)
                   .arg(at));
        q.exec(QStringLiteral(
                   "INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation,"
                   " factor, series, text, expected) VALUES ('%1','%2','%3','%4',1,%5,0,7,7,'7 X 7','49')")
                   .arg(classId, child, task, drill)
                   .arg(at));
        q.exec(QStringLiteral("INSERT INTO ollo.answers VALUES ('%1','%2','%3','%4',1,%5,'49',true,0,1800)")
                   .arg(classId, child, QUuid::createUuid().toString(QUuid::WithoutBraces), task)
                   .arg(at));
        const int before = shownTimes;
        QElapsedTimer timer;
        timer.start();
        q.exec(QStringLiteral("COMMIT"));
        while (shownTimes == before && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        window.grab();
        live.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    say("New answer on screen after its commit, median of 10", median(live), 1000);
    std::printf("  (slowest of the 10: %.1f ms)\n", *std::max_element(live.begin(), live.end()));
    return 0;
}
