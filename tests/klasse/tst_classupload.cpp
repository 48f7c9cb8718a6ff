// A class computer's records reaching the school's server, against a private
// PostgreSQL per case (common/pgserver.h) with the shipped schema: what the
// server holds is read back with psql as its owner and compared with the
// rows of the records, whatever the server did in between.

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#include "base/classconfig.h"
#include "base/classroster.h"
#include "base/clock.h"
#include "common/pgserver.h"
#include "kit/commandids.h"
#include "record/classsync.h"
#include "record/classupload.h"
#include "record/learningrecord.h"
#include "record/answerrows.h"
#include "record/hardfacts.h"
#include "record/progressreading.h"
#include "record/recordlog.h"
#include "record/serverstore.h"

namespace {

const QString kService = QStringLiteral("ollo3b");
const QString kPassword = QStringLiteral("Kennwort-3b");

// Answers, tasks and drills of a record, one line each, as the server is
// read below: times in seconds, in a fixed order.
QStringList localRows(const QString& file) {
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(file);
        if (!db.open())
            return {QStringLiteral("cannot open %1").arg(file)};
        QSqlQuery q(db);
        q.exec(
            QStringLiteral("SELECT 'a', t.number, t.posed, a.attempt, a.at, a.typed, a.correct, a.choice,"
                           " a.thinking_ms FROM answer a JOIN task t ON t.id = a.task ORDER BY a.at, t.posed,"
                           " t.number, a.attempt"));
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < 9; ++i)
                fields << q.value(i).toString();
            rows << fields.join(u'|');
        }
        q.exec(QStringLiteral(
            "SELECT 'd', started, coalesce(ended, -1), how_ended, series, task_count FROM drill"
            " ORDER BY started, id"));
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < 6; ++i)
                fields << (q.value(i).isNull() ? QString() : q.value(i).toString());
            rows << fields.join(u'|');
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

// The figures of a report as one text, for comparing two.
QString describe(const ProgressReport& report) {
    QStringList lines;
    for (const auto* facts : {&report.times, &report.divide})
        for (const FactStanding& fact : *facts)
            lines << QStringLiteral("%1 %2/%3 %4 %5 %6")
                         .arg(int(fact.security))
                         .arg(fact.rightFirst)
                         .arg(fact.asked)
                         .arg(fact.lastAsked)
                         .arg(fact.recent.size())
                         .arg(fact.typicalMs);
    for (const DayCount& day : report.days)
        lines << QStringLiteral("%1 %2/%3")
                     .arg(day.day.toString(Qt::ISODate))
                     .arg(day.rightFirst)
                     .arg(day.tasks);
    for (const SeriesSummary& series : report.series)
        lines << QStringLiteral("series %1 %2 %3 %4 %5")
                     .arg(series.series)
                     .arg(series.drills)
                     .arg(series.tasks)
                     .arg(series.rightFirst)
                     .arg(series.lastPractised);
    for (const DrillSummary& drill : report.lastDrills)
        lines << QStringLiteral("drill %1 %2 %3 %4 %5 %6")
                     .arg(drill.started)
                     .arg(drill.caption)
                     .arg(drill.answered)
                     .arg(drill.rightFirst)
                     .arg(drill.solved)
                     .arg(drill.end ? int(*drill.end) : -1);
    const Totals& t = report.totals;
    lines << QStringLiteral("totals %1 %2 %3 %4 %5 %6")
                 .arg(t.drills)
                 .arg(t.tasks)
                 .arg(t.rightFirst)
                 .arg(t.daysPractised)
                 .arg(t.firstPractised)
                 .arg(t.lastPractised);
    return lines.join(u'\n');
}

} // namespace

class TestClassUpload : public QObject {
    Q_OBJECT

    enum class Server {
        Up,
        DownThenUp,
        KilledAfterCommit,
        Hung,
        WrongPassword,
        UnknownService,
        NoSchema,
        NewerSchema,
        UnknownClass,
        ChildRemoved,
        ClassModeOff
    };

    PgServer m_server;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_annaId;
    QString m_benId;

    void writeConfig(const QString& service, const QString& className) {
        QFile file(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("ollo-Klasse.conf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Klasse]\nDienst=%1\nKlasse=%2\n").arg(service, className).toUtf8());
    }

    QString recordOf(const QString& childId) const {
        const ClassConfig config = ClassConfig::Find(QStringLiteral("ollo"));
        return CLearningRecord::PathFor(
            ClassRoster(QStringLiteral("ollo"), config.className).recordBaseName(childId));
    }

    // drills of three tasks each, the last answered wrong, then solved; the
    // clock one minute on for every answer.
    static void practise(CLearningRecord& record, int drills, bool endLast = true) {
        static qint64 now = 1717430400;
        Clock::SetSource([] { return now; });
        for (int d = 0; d < drills; ++d) {
            now += 60;
            record.beginDrill(Cmd::SeriesSmallFirst + 6, QStringLiteral("7-er Reihe"),
                              Record::Operation::Multiplication, 7, 3);
            for (int n = 1; n <= 3; ++n) {
                now += 60;
                record.addTask(n, {Record::Operation::Multiplication, n + d % 7, 7},
                               QStringLiteral("%1 X 7").arg(n), QString::number(7 * (n + d % 7)));
                if (n == 3) {
                    record.addAnswer(QStringLiteral("1"), Record::Answer::WrongThenSolved, 9100);
                } else {
                    record.addAnswer(QString::number(7 * (n + d % 7)), Record::Answer::Right, 2000 + n);
                }
            }
            if (endLast || d + 1 < drills)
                record.endDrill(Record::DrillEnd::AllDone);
        }
    }

    // The server's rows of a child in localRows' form.
    QStringList serverRows(const QString& childId) {
        QString out;
        const QString sql =
            QStringLiteral(
                "SELECT 'a', t.number, t.posed / 1000, a.attempt, a.at / 1000, a.typed,"
                " CASE WHEN a.correct THEN 1 ELSE 0 END, a.choice, a.thinking_ms"
                " FROM ollo.answers a JOIN ollo.tasks t ON t.id = a.task_id AND t.child_id = a.child_id"
                " WHERE a.child_id = '%1' ORDER BY a.at, t.posed, t.number, a.attempt;"
                "SELECT 'd', started / 1000, coalesce(ended / 1000, -1), how_ended, series, task_count"
                " FROM ollo.drills WHERE child_id = '%1' ORDER BY started, id;")
                .arg(childId);
        if (!m_server.psql(QStringLiteral("ollo"), sql, &out))
            return {QStringLiteral("psql failed: %1").arg(out)};
        return out.isEmpty() ? QStringList() : out.split(u'\n');
    }

private Q_SLOTS:
    void init() {
        const QString started = m_server.start();
        if (started.startsWith(QLatin1String("SKIP:")))
            QSKIP(qPrintable(started));
        QVERIFY2(started.isEmpty(), qPrintable(started));
        QString out;
        QVERIFY2(m_server.psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ollo;"), &out),
                 qPrintable(out));
        QVERIFY2(m_server.psql(QStringLiteral("ollo"), {}, &out,
                               {QStringLiteral("-f"), QStringLiteral(OLLO_KLASSE_SQL)}),
                 qPrintable(out));
        QVERIFY2(
            m_server.psql(QStringLiteral("ollo"),
                          QStringLiteral("SELECT ollo.create_class('3b'), ollo.create_class('4a');"
                                         "SELECT ollo.create_class_computer('rechner_3b', '3b', '%1');"
                                         "INSERT INTO ollo.children (class_id, name) VALUES"
                                         " (ollo.class_named('3b'), 'Anna'), (ollo.class_named('3b'), 'Ben'),"
                                         " (ollo.class_named('4a'), 'Cem');"
                                         "SELECT id FROM ollo.children WHERE name = 'Anna';"
                                         "SELECT id FROM ollo.children WHERE name = 'Ben';")
                              .arg(kPassword),
                          &out),
            qPrintable(out));
        const QStringList ids = out.split(u'\n').mid(out.split(u'\n').size() - 2);
        m_annaId = ids.value(0);
        m_benId = ids.value(1);

        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        const QString config = m_home->filePath(QStringLiteral("config"));
        const QString data = m_home->filePath(QStringLiteral("data"));
        QDir().mkpath(config);
        QDir().mkpath(data + QStringLiteral("/ollo"));
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        qputenv("XDG_CONFIG_DIRS", m_home->filePath(QStringLiteral("nowhere")).toUtf8());
        qputenv("XDG_DATA_HOME", data.toUtf8());
        const QProcessEnvironment libpq = PgServer::Environment(m_home->path());
        for (const char* name : {"PGHOST", "PGHOSTADDR", "PGPORT", "PGDATABASE", "PGUSER", "PGPASSWORD",
                                 "PGSERVICE", "PGSYSCONFDIR"})
            qunsetenv(name);
        qputenv("PGSERVICEFILE", libpq.value(QStringLiteral("PGSERVICEFILE")).toUtf8());
        qputenv("PGPASSFILE", libpq.value(QStringLiteral("PGPASSFILE")).toUtf8());
    }

    void cleanup() {
        m_server.signalAll(SIGCONT);
        m_server.stop();
        m_home.reset();
    }

    void sending_data() {
        QTest::addColumn<Server>("server");
        QTest::addColumn<QString>("notice"); // part of what school IT is told; empty: nothing
        QTest::newRow("drills while the server is up") << Server::Up << QString();
        QTest::newRow("server down during drills, then up") << Server::DownThenUp << QString();
        QTest::newRow("killed between the server's commit and the record's note")
            << Server::KilledAfterCommit << QString();
        QTest::newRow("hung server, then going on") << Server::Hung << QString();
        QTest::newRow("wrong password")
            << Server::WrongPassword << QStringLiteral("hat die Anmeldung dieses Rechners abgelehnt");
        QTest::newRow("unknown service")
            << Server::UnknownService << QStringLiteral("Den Dienst „gibt-es-nicht“");
        QTest::newRow("schema missing") << Server::NoSchema << QStringLiteral("fehlt Ollos Schema „ollo“");
        QTest::newRow("schema newer") << Server::NewerSchema << QStringLiteral("hat Version 2");
        QTest::newRow("unknown class")
            << Server::UnknownClass << QStringLiteral("Die Klasse „9z“ gibt es auf dem Schulserver nicht");
        QTest::newRow("child removed on the server")
            << Server::ChildRemoved << QStringLiteral("„Ben“ ist auf dem Schulserver nicht mehr");
        QTest::newRow("class mode off") << Server::ClassModeOff << QString();
    }

    void sending() {
        QFETCH(Server, server);
        QFETCH(QString, notice);
        const QString password = server == Server::WrongPassword ? QStringLiteral("falsch") : kPassword;
        QVERIFY(m_server.writeLogin(m_home->path(), kService, QStringLiteral("ollo"),
                                    QStringLiteral("rechner_3b"), password));
        writeConfig(server == Server::UnknownService ? QStringLiteral("gibt-es-nicht") : kService,
                    server == Server::UnknownClass ? QStringLiteral("9z") : QStringLiteral("3b"));
        QString out;
        if (server == Server::NoSchema)
            QVERIFY(m_server.psql(QStringLiteral("ollo"), QStringLiteral("DROP SCHEMA ollo CASCADE;"), &out));
        if (server == Server::NewerSchema)
            QVERIFY(m_server.psql(QStringLiteral("ollo"),
                                  QStringLiteral("UPDATE ollo.schema_version SET version = 2;"), &out));

        if (server == Server::ClassModeOff) {
            QFile::remove(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("ollo-Klasse.conf"));
            QVERIFY(!ClassConfig::Find(QStringLiteral("ollo")).isOn());
            // A family's record is never touched by class mode's bookkeeping.
            CLearningRecord family(CLearningRecord::PathFor(QStringLiteral("ollo")));
            QVERIFY(family.open());
            practise(family, 2);
            QSqlQuery tables(family.database());
            QVERIFY(tables.exec(
                QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'class_upload'")));
            QVERIFY(tables.next());
            QCOMPARE(tables.value(0).toInt(), 0);
            return;
        }
        const ClassConfig config = ClassConfig::Find(QStringLiteral("ollo"));
        QVERIFY(config.isOn());

        CLearningRecord anna(recordOf(m_annaId));
        QVERIFY(anna.open());
        practise(anna, 3);

        if (server == Server::Up || !notice.isEmpty()) {
            std::unique_ptr<CLearningRecord> ben;
            if (server == Server::ChildRemoved) {
                ben = std::make_unique<CLearningRecord>(recordOf(m_benId));
                QVERIFY(ben->open());
                practise(*ben, 2);
                // The roster this computer kept knows Ben; the server no longer.
                ClassRoster roster(QStringLiteral("ollo"), QStringLiteral("3b"));
                QVERIFY(roster.save({{m_annaId, QStringLiteral("Anna")}, {m_benId, QStringLiteral("Ben")}}));
                QVERIFY(m_server.psql(QStringLiteral("ollo"),
                                      QStringLiteral("DELETE FROM ollo.children WHERE name = 'Ben';"), &out));
            }
            ClassUpload upload(config, QStringLiteral("ollo"));
            const ClassUpload::Outcome outcome = upload.run();
            const QString told = upload.takeNotice();
            if (notice.isEmpty()) {
                QCOMPARE(outcome, ClassUpload::Outcome::Done);
                QVERIFY2(told.isEmpty(), qPrintable(told));
            } else {
                QVERIFY2(told.contains(notice), qPrintable(told));
                // Told once: the same cause again says nothing new.
                upload.run();
                QCOMPARE(upload.takeNotice(), QString());
            }
            if (server == Server::ChildRemoved) {
                QCOMPARE(outcome, ClassUpload::Outcome::Done);
                QCOMPARE(serverRows(m_annaId), localRows(anna.filePath()));
                QCOMPARE(upload.waiting(), 0);
            } else if (server != Server::Up) {
                QCOMPARE(upload.waiting(), 9);
            }
            // The drills go on, whatever the server said.
            practise(anna, 1);
            QVERIFY(anna.canWrite());
            if (server == Server::Up) {
                QCOMPARE(upload.run(), ClassUpload::Outcome::Done);
                QCOMPARE(serverRows(m_annaId), localRows(anna.filePath()));
                QCOMPARE(upload.waiting(), 0);
                // The roster came along, for a start without the server.
                ClassRoster roster(QStringLiteral("ollo"), QStringLiteral("3b"));
                QVERIFY(roster.find(QStringLiteral("Anna")) && roster.find(QStringLiteral("ben")));
                QVERIFY(!roster.find(QStringLiteral("Cem")));
                // A teacher reads the same figures from the server as the record gives.
                QVERIFY(
                    m_server.psql(QStringLiteral("ollo"),
                                  QStringLiteral("SELECT ollo.create_teacher('lehrer_3b', '3b', 'Lehrer-3b');"
                                                 "SELECT id FROM ollo.classes WHERE name = '3b';"),
                                  &out));
                const QString classId = out.split(u'\n').last();
                QVERIFY(m_server.writeLogin(m_home->path(), QStringLiteral("lehrer3b"),
                                            QStringLiteral("ollo"), QStringLiteral("lehrer_3b"),
                                            QStringLiteral("Lehrer-3b")));
                {
                    QSqlDatabase teacher =
                        QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("teacher"));
                    teacher.setConnectOptions(QStringLiteral("service=lehrer3b"));
                    QVERIFY2(teacher.open(), qPrintable(teacher.lastError().text()));
                    const ServerStore store(QStringLiteral("teacher"), classId, m_annaId);
                    const QDate today = QDateTime::fromSecsSinceEpoch(Clock::NowSeconds()).date();
                    const ProgressReport fromServer = ProgressReading::Read(store, today);
                    const ProgressReport fromRecord = ProgressReading::Read(anna, today);
                    QVERIFY2(fromServer.unreadable.isEmpty(), qPrintable(fromServer.unreadable));
                    QCOMPARE(describe(fromServer), describe(fromRecord));
                    QVERIFY(fromServer.totals.tasks > 0);
                    std::vector<HardFacts::Answered> serverHistory;
                    std::vector<HardFacts::Answered> recordHistory;
                    QVERIFY(store.readHistory(serverHistory) && anna.readHistory(recordHistory));
                    QVERIFY(HardFacts::Sort(serverHistory) == HardFacts::Sort(recordHistory));
                    QCOMPARE(serverHistory.size(), recordHistory.size());
                    std::vector<AnswerRow> serverRows;
                    std::vector<AnswerRow> recordRows;
                    QVERIFY(ReadAnswers(store, &serverRows) && ReadAnswers(anna, &recordRows));
                    const auto rowsText = [](const std::vector<AnswerRow>& rows) {
                        QStringList lines;
                        for (const AnswerRow& row : rows)
                            lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                                             .arg(row.at)
                                             .arg(row.drill)
                                             .arg(row.series, row.task, row.expected, row.typed)
                                             .arg(row.attempt)
                                             .arg(row.right)
                                             .arg(row.choice) +
                                         QStringLiteral(" %1").arg(row.thinkingMs);
                        return lines;
                    };
                    QVERIFY(!recordRows.empty());
                    QCOMPARE(rowsText(serverRows), rowsText(recordRows));
                }
                QSqlDatabase::removeDatabase(QStringLiteral("teacher"));
            }
            return;
        }

        if (server == Server::DownThenUp) {
            QVERIFY(m_server.halt());
            ClassUpload upload(config, QStringLiteral("ollo"));
            QCOMPARE(upload.run(), ClassUpload::Outcome::Unreachable);
            QCOMPARE(upload.takeNotice(), QString());
            practise(anna, 2, false);
            QCOMPARE(upload.run(), ClassUpload::Outcome::Unreachable);
            QCOMPARE(upload.waiting(), 15);
            QVERIFY(m_server.resume());
            QCOMPARE(upload.run(), ClassUpload::Outcome::Done);
            QCOMPARE(upload.waiting(), 0);
            // The last drill ends after it was sent running.
            anna.endDrill(Record::DrillEnd::CloseBox);
            practise(anna, 1);
            QCOMPARE(upload.run(), ClassUpload::Outcome::Done);
            QCOMPARE(serverRows(m_annaId), localRows(anna.filePath()));
            return;
        }

        if (server == Server::KilledAfterCommit) {
            // More than one transaction's drills: the kill comes after the first.
            practise(anna, ClassUpload::DrillsPerCommit + 5, false);
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("OLLO_TEST_DIE_AFTER_COMMIT"), QStringLiteral("1"));
            child.setProcessEnvironment(environment);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForFinished(120000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
            const QStringList sentBeforeKill = serverRows(m_annaId);
            QVERIFY(!sentBeforeKill.isEmpty());
            QVERIFY(sentBeforeKill.size() < localRows(anna.filePath()).size());
            anna.endDrill(Record::DrillEnd::CloseBox);
            ClassUpload upload(config, QStringLiteral("ollo"));
            QCOMPARE(upload.run(), ClassUpload::Outcome::Done);
            // Nothing twice, nothing lost.
            QCOMPARE(serverRows(m_annaId), localRows(anna.filePath()));
            return;
        }

        // Hung: the sender's statement waits on a frozen server while the
        // drills go on; neither they nor the program's end wait for it.
        RecordLog log(anna);
        auto sync = std::make_unique<ClassSync>(config, QStringLiteral("ollo"));
        log.setOnWritten([&sync] { sync->sendSoon(); });
        QTRY_VERIFY_WITH_TIMEOUT(sync->lastRoundSentAll() && sync->waiting() == 0, 60000);
        QVERIFY(m_server.signalAll(SIGSTOP));
        const int rounds = sync->rounds();
        for (int d = 0; d < 5; ++d) {
            log.drillStarted(Cmd::SeriesSmallFirst + 2, QStringLiteral("3-er Reihe"),
                             Record::Operation::Multiplication, 3, 1);
            log.taskPosed({1, Record::Operation::Multiplication, d + 1, 3,
                           QStringLiteral("%1 X 3").arg(d + 1), QString::number(3 * (d + 1))});
            log.answerGiven(QString::number(3 * (d + 1)), Record::Answer::Right, 1500, 0);
            log.drillEnded(Record::DrillEnd::AllDone);
        }
        // Every answer is in the record while the server is frozen.
        QVERIFY(anna.canWrite());
        QCOMPARE(localRows(anna.filePath()).size(), 9 + 3 + 5 + 5);
        QCOMPARE(sync->rounds(), rounds);
        // The program ends with a statement hanging: bounded, no thread left running.
        sync.reset();
        QVERIFY(m_server.signalAll(SIGCONT));
        ClassUpload upload(config, QStringLiteral("ollo"));
        QTRY_COMPARE_WITH_TIMEOUT(upload.run(), ClassUpload::Outcome::Done, 60000);
        QCOMPARE(serverRows(m_annaId), localRows(anna.filePath()));
    }
};

// Started again by the test with OLLO_TEST_DIE_AFTER_COMMIT: sends, and is
// killed as soon as the server has committed the first transaction.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet("OLLO_TEST_DIE_AFTER_COMMIT")) {
        QCoreApplication application(argc, argv);
        ClassUpload upload(ClassConfig::Find(QStringLiteral("ollo")), QStringLiteral("ollo"));
        upload.afterServerCommit = [] {
            std::raise(SIGKILL);
        };
        upload.run();
        return 3;
    }
    QCoreApplication application(argc, argv);
    TestClassUpload test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_classupload.moc"
