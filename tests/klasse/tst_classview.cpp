// The teacher's class view against a private PostgreSQL (common/pgserver.h)
// with the shipped schema and a class generated here: the grid's figures are
// checked against a model of the rule the help states (a fact's last three
// tasks: shaky when one was not right at the first try, slow when their
// median thinking time is over 8 s, else secure), worked out from the
// generated answers, not from the server's standings.

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <algorithm>
#include <map>
#include <memory>

#include "common/pgserver.h"
#include "common/spreadsheet.h"
#include "kit/commandids.h"
#include "klasse/classexport.h"
#include "klasse/classgridmodel.h"
#include "klasse/classserver.h"
#include "klasse/classwindow.h"
#include "klasse/rostermodel.h"
#include "record/serverstore.h"
#include "record/progressreading.h"
#include "record/recordstore.h"

namespace {

const QString kPassword = QStringLiteral("Tafel-3b");

struct Task {
    qint64 posed = 0; // ms
    int number = 0;
    bool right = true;
    qint64 ms = 0;
};

// child name → (operation, factor, series) → its tasks
using Answered = std::map<QString, std::map<std::tuple<int, int, int>, std::vector<Task>>>;

// 1 secure, 2 slow, 3 shaky, by the help's rule.
int judge(std::vector<Task> tasks) {
    std::sort(tasks.begin(), tasks.end(), [](const Task& a, const Task& b) {
        return std::tie(a.posed, a.number) > std::tie(b.posed, b.number);
    });
    tasks.resize(std::min<size_t>(tasks.size(), 3));
    std::vector<qint64> times;
    for (const Task& task : tasks) {
        if (!task.right)
            return 3;
        times.push_back(task.ms);
    }
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const qint64 median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    return median > 8000 ? 2 : 1;
}

} // namespace

class TestClassView : public QObject {
    Q_OBJECT

    PgServer m_server;
    std::unique_ptr<QTemporaryDir> m_home;
    QMap<QString, QString> m_ids; // child name → id
    QString m_class3b;
    QString m_class4a;
    Answered m_answered;
    int m_answers = 0;
    qint64 m_now = 0; // s

    bool sql(const QString& text, QString* out = nullptr) {
        QString said;
        const bool ok = m_server.psql(QStringLiteral("ollo"), text, &said);
        if (out)
            *out = said;
        if (!ok)
            qWarning("psql: %s", qPrintable(said));
        return ok;
    }

    // Sessions of ten tasks each, one a day for `days` days ending `daysAgo`
    // days before now; each task right at the first try with the chance
    // `right`, else shown with "LOESEN".
    void practise(const QString& child, int days, int daysAgo, double right, QRandomGenerator& random,
                  QStringList& rows) {
        const QString klass = child == QLatin1String("Zoe") ? m_class4a : m_class3b;
        const QString id = m_ids.value(child);
        for (int day = 0; day < days; ++day) {
            const qint64 started = (m_now - qint64(daysAgo + days - day) * 86400) * 1000;
            const int operation = random.bounded(3) == 0 ? 1 : 0;
            const int series = random.bounded(2) == 0 ? 3 : 7;
            const QString drill = QUuid::createUuid().toString(QUuid::WithoutBraces);
            rows << QStringLiteral(
                        "INSERT INTO ollo.drills VALUES ('%1','%2','%3',%4,%5,%6,'%7-er Reihe',%8,%7,10,1);")
                        .arg(klass, id, drill)
                        .arg(started)
                        .arg(started + 600000)
                        .arg(Cmd::SeriesSmallFirst + series - 1)
                        .arg(series)
                        .arg(operation);
            for (int number = 1; number <= 10; ++number) {
                const int factor = 1 + random.bounded(10);
                const bool isRight = random.generateDouble() < right;
                const qint64 ms = 1500 + random.bounded(10000);
                const qint64 posed = started + number * 30000;
                const QString task = QUuid::createUuid().toString(QUuid::WithoutBraces);
                rows << QStringLiteral(
                            "INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed,"
                            " operation, factor, series, text, expected) VALUES"
                            " ('%1','%2','%3','%4',%5,%6,%7,%8,%9,'?','%10');")
                            .arg(klass, id, task, drill)
                            .arg(number)
                            .arg(posed)
                            .arg(operation)
                            .arg(factor)
                            .arg(series)
                            .arg(factor * series);
                rows << QStringLiteral(
                            "INSERT INTO ollo.answers VALUES ('%1','%2','%3','%4',1,%5,'%6',%7,%8,%9);")
                            .arg(klass, id, QUuid::createUuid().toString(QUuid::WithoutBraces), task)
                            .arg(posed + ms)
                            .arg(isRight ? factor * series : 0)
                            .arg(isRight ? QStringLiteral("true") : QStringLiteral("false"))
                            .arg(isRight ? 0 : 2)
                            .arg(ms);
                m_answered[child][{operation, factor, series}].push_back({posed, number, isRight, ms});
                ++m_answers;
            }
        }
    }

    void useLogin(const QString& service, const QString& user) {
        QVERIFY(m_server.writeLogin(m_home->path(), service, QStringLiteral("ollo"), user, kPassword));
        QFile file(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("ollo-Klasse.conf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Klasse]\nDienst=%1\nKlasse=3b\n").arg(service).toUtf8());
    }

    // A right answer to factor × series, sent as the class computer sends it.
    void sendAnswer(const QString& child, int factor, int series, qint64 at) {
        const QString drill = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString task = QUuid::createUuid().toString(QUuid::WithoutBraces);
        qputenv("PGPASSWORD", kPassword.toUtf8());
        QString out;
        const bool sent = m_server.psql(
            QStringLiteral("ollo"),
            QStringLiteral(
                "INSERT INTO ollo.drills VALUES ('%1','%2','%3',%4,NULL,%5,'Reihe',0,%6,1,NULL);"
                "INSERT INTO ollo.tasks (class_id, child_id, id, drill_id, number, posed, operation,"
                " factor, series, text, expected) VALUES ('%1','%2','%7','%3',1,%4,0,%8,%6,'?','%9');"
                "INSERT INTO ollo.answers VALUES ('%1','%2','%10','%7',1,%4,'%9',true,0,2100);")
                .arg(m_class3b, child, drill)
                .arg(at)
                .arg(Cmd::SeriesSmallFirst + series - 1)
                .arg(series)
                .arg(task)
                .arg(factor)
                .arg(factor * series)
                .arg(QUuid::createUuid().toString(QUuid::WithoutBraces)),
            &out, {"-U", "rechner_3b"});
        qunsetenv("PGPASSWORD");
        QVERIFY2(sent, qPrintable(out));
    }

    ClassConfig config() const { return ClassConfig::Find(QStringLiteral("ollo")); }

private Q_SLOTS:
    void initTestCase() {
        const QString started = m_server.start();
        if (started.startsWith(QLatin1String("SKIP:")))
            QSKIP(qPrintable(started));
        QVERIFY2(started.isEmpty(), qPrintable(started));
        QString out;
        QVERIFY(m_server.psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ollo;"), &out));
        QVERIFY2(m_server.psql(QStringLiteral("ollo"), {}, &out, {"-f", QStringLiteral(OLLO_KLASSE_SQL)}),
                 qPrintable(out));
        QVERIFY(sql(QStringLiteral("SELECT ollo.create_class('3b'), ollo.create_class('4a');"
                                   "SELECT ollo.create_class_computer('rechner_3b', '3b', '%1');"
                                   "SELECT ollo.create_teacher('lehrer_3b', '3b', '%1');"
                                   "SELECT ollo.create_teacher('lehrer_beide', '4a', '%1');"
                                   "SELECT ollo.add_teacher('lehrer_beide', '3b');")
                        .arg(kPassword)));
        QVERIFY(sql(QStringLiteral("SELECT ollo.class_named('3b'), ollo.class_named('4a')"), &out));
        m_class3b = out.section(u'|', 0, 0);
        m_class4a = out.section(u'|', 1, 1);
        const QStringList names{"Anna", "Ben", "Cem", "Dila", "Emil", "Finn", "Gül"};
        QString insert;
        for (const QString& name : names)
            insert += QStringLiteral("INSERT INTO ollo.children (class_id, name) VALUES ('%1', '%2');")
                          .arg(m_class3b, name);
        insert +=
            QStringLiteral("INSERT INTO ollo.children (class_id, name) VALUES ('%1', 'Zoe');").arg(m_class4a);
        QVERIFY(sql(insert + QStringLiteral("SELECT name || '|' || id FROM ollo.children;"), &out));
        for (const QString& line : out.split(u'\n'))
            m_ids.insert(line.section(u'|', 0, 0), line.section(u'|', 1, 1));

        m_now = QDateTime::currentSecsSinceEpoch();
        QRandomGenerator random(2512);
        QStringList rows;
        practise(QStringLiteral("Anna"), 20, 0, 0.95, random, rows);
        practise(QStringLiteral("Ben"), 15, 1, 0.7, random, rows);
        practise(QStringLiteral("Cem"), 25, 0, 0.85, random, rows);
        practise(QStringLiteral("Dila"), 10, 2, 0.9, random, rows);
        practise(QStringLiteral("Emil"), 12, 9, 0.8, random, rows); // nothing for nine days
        practise(QStringLiteral("Finn"), 8, 0, 0.2, random, rows);  // many mistakes
        practise(QStringLiteral("Zoe"), 10, 0, 0.5, random, rows);  // of 4a
        // Gül has never practised.
        QVERIFY(sql(QStringLiteral("BEGIN;") + rows.join(u'\n') + QStringLiteral("COMMIT;")));

        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        const QString configFolder = m_home->filePath(QStringLiteral("config"));
        QDir().mkpath(configFolder);
        qputenv("XDG_CONFIG_HOME", configFolder.toUtf8());
        qputenv("XDG_CONFIG_DIRS", m_home->filePath(QStringLiteral("nowhere")).toUtf8());
        const QProcessEnvironment libpq = PgServer::Environment(m_home->path());
        for (const char* name : {"PGHOST", "PGHOSTADDR", "PGPORT", "PGDATABASE", "PGUSER", "PGPASSWORD",
                                 "PGSERVICE", "PGSYSCONFDIR"})
            qunsetenv(name);
        qputenv("PGSERVICEFILE", libpq.value(QStringLiteral("PGSERVICEFILE")).toUtf8());
        qputenv("PGPASSFILE", libpq.value(QStringLiteral("PGPASSFILE")).toUtf8());
        useLogin(QStringLiteral("lehrer3b"), QStringLiteral("lehrer_3b"));
        useLogin(QStringLiteral("beide"), QStringLiteral("lehrer_beide"));
        useLogin(QStringLiteral("rechner"), QStringLiteral("rechner_3b"));
        useLogin(QStringLiteral("lehrer3b"), QStringLiteral("lehrer_3b"));
    }

    void cleanupTestCase() {
        m_server.stop();
        m_home.reset();
    }

    // Every cell of both grids: the children secure on the fact and the
    // names of those still shaky; and the roster's marks.
    void gridAndRoster() {
        ClassServer server(QStringLiteral("grid"));
        QVERIFY2(server.open(config()), qPrintable(server.error()));
        QCOMPARE(server.currentClass().name, QStringLiteral("3b"));
        ClassGrid grid;
        QVERIFY2(server.readGrid(grid), qPrintable(server.error()));
        QCOMPARE(grid.children, 7);
        int checked = 0;
        for (int operation = 0; operation <= 1; ++operation)
            for (int factor = 1; factor <= 10; ++factor)
                for (int series = 1; series <= 10; ++series) {
                    int secure = 0;
                    int practised = 0;
                    QStringList shaky;
                    for (const auto& [child, facts] : m_answered) {
                        if (child == QLatin1String("Zoe"))
                            continue;
                        const auto found = facts.find({operation, factor, series});
                        if (found == facts.end())
                            continue;
                        ++practised;
                        const int judged = judge(found->second);
                        secure += judged == 1;
                        if (judged == 3)
                            shaky << child;
                    }
                    const ClassFact& fact = grid.fact(Record::Operation(operation), factor, series);
                    const QByteArray cell =
                        QStringLiteral("%1 %2 %3").arg(operation).arg(factor).arg(series).toUtf8();
                    QVERIFY2(fact.secure == secure, cell.constData());
                    QVERIFY2(fact.practised == practised, cell.constData());
                    shaky.sort(Qt::CaseInsensitive);
                    QVERIFY2(fact.shaky == shaky, cell + ": " + fact.shaky.join(u',').toUtf8());
                    checked += practised > 0;
                }
        QVERIFY(checked > 20);

        std::vector<RosterRow> roster;
        QVERIFY2(server.readRoster(m_now, roster), qPrintable(server.error()));
        QCOMPARE(int(roster.size()), 7);
        for (const RosterRow& row : roster) {
            const bool idle = row.name == QLatin1String("Emil") || row.name == QStringLiteral("Gül");
            QVERIFY2(row.idle == idle, qPrintable(row.name));
            // Many mistakes: 6 or more of the last 20 tasks not right at the first try.
            std::vector<Task> tasks;
            for (const auto& [fact, answered] : m_answered[row.name])
                tasks.insert(tasks.end(), answered.begin(), answered.end());
            std::sort(tasks.begin(), tasks.end(), [](const Task& a, const Task& b) {
                return std::tie(a.posed, a.number) > std::tie(b.posed, b.number);
            });
            tasks.resize(std::min<size_t>(tasks.size(), 20));
            const auto wrong =
                std::count_if(tasks.begin(), tasks.end(), [](const Task& t) { return !t.right; });
            QVERIFY2(row.manyMistakes == (wrong >= 6), qPrintable(row.name));
            QCOMPARE(row.recentMistakes, int(wrong));
        }
        const auto finn = std::find_if(roster.begin(), roster.end(), [](const RosterRow& row) {
            return row.name == QLatin1String("Finn");
        });
        QVERIFY(finn->manyMistakes);
        const auto gul = std::find_if(roster.begin(), roster.end(),
                                      [](const RosterRow& row) { return row.name == QStringLiteral("Gül"); });
        QCOMPARE(gul->lastPractised, 0);
        QCOMPARE(RosterModel::MarksOf(*gul), QStringLiteral("hat noch nicht geübt"));
    }

    // A teacher of 3b sees 3b alone; a teacher of both chooses.
    void onlyOwnClasses() {
        ClassServer server(QStringLiteral("own"));
        QVERIFY(server.open(config()));
        QCOMPARE(int(server.classes().size()), 1);
        QVERIFY(!server.chooseClass(m_class4a));
        const auto zoe =
            std::make_unique<ServerStore>(server.connectionName(), m_class4a, m_ids.value("Zoe"));
        Totals totals;
        std::vector<qint64> starts;
        QVERIFY(zoe->readTotals(totals, starts));
        QCOMPARE(totals.tasks, 0);
        QVERIFY(starts.empty());

        useLogin(QStringLiteral("beide"), QStringLiteral("lehrer_beide"));
        ClassServer both(QStringLiteral("both"));
        QVERIFY(both.open(config()));
        QCOMPARE(int(both.classes().size()), 2);
        QCOMPARE(both.currentClass().name, QStringLiteral("3b"));
        QVERIFY(both.chooseClass(m_class4a));
        ClassGrid grid;
        QVERIFY(both.readGrid(grid));
        QCOMPARE(grid.children, 1);

        // A class computer's login is no teacher's.
        useLogin(QStringLiteral("rechner"), QStringLiteral("rechner_3b"));
        ClassServer computer(QStringLiteral("computer"));
        QVERIFY(!computer.open(config()));
        QVERIFY2(computer.error().contains(QStringLiteral("keine Lehrkraft")), qPrintable(computer.error()));
        useLogin(QStringLiteral("lehrer3b"), QStringLiteral("lehrer_3b"));
    }

    // A class computer's answer is on the open view's screen within 2 s.
    void liveUpdate() {
        ClassWindow window(config(), nullptr);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.shown() > 0, 10000);
        QCOMPARE(window.problem(), QString());
        const ClassFact before = window.gridModel().grid().fact(Record::Operation::Multiplication, 9, 9);
        QCOMPARE(before.practised, 0);
        const QString anna = m_ids.value("Anna");
        const qint64 at = QDateTime::currentMSecsSinceEpoch();
        sendAnswer(anna, 9, 9, at);
        QTRY_COMPARE_WITH_TIMEOUT(
            window.gridModel().grid().fact(Record::Operation::Multiplication, 9, 9).secure, 1, 2000);
        const auto row =
            std::find_if(window.rosterModel().roster().begin(), window.rosterModel().roster().end(),
                         [&](const RosterRow& r) { return r.id == anna; });
        QVERIFY(row != window.rosterModel().roster().end());
        QCOMPARE(row->lastPractised, at / 1000);
    }

    // The server restarts while the view is open: the view connects again
    // and follows the class as before.
    void followsAfterRestart() {
        ClassWindow window(config(), nullptr);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.shown() > 0, 10000);
        QVERIFY(m_server.halt());
        QVERIFY(m_server.resume());
        sendAnswer(m_ids.value("Ben"), 8, 9, QDateTime::currentMSecsSinceEpoch());
        QTRY_COMPARE_WITH_TIMEOUT(
            window.gridModel().grid().fact(Record::Operation::Multiplication, 8, 9).practised, 1, 60000);
        QCOMPARE(window.problem(), QString());
    }

    // The PDF has a page per child asked for, each holding the child's name.
    void pdfPages() {
        ClassWindow window(config(), nullptr);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.shown() > 0, 10000);
        const QString path = m_home->filePath(QStringLiteral("bericht.pdf"));
        bool done = false;
        QString error;
        window.savePdf(path, {m_ids.value("Ben"), m_ids.value("Gül"), m_ids.value("Finn")},
                       [&](const QString& said) {
                           error = said;
                           done = true;
                       });
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {path});
        QVERIFY(info.waitForFinished(30000));
        QVERIFY(
            QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Pages:\\s+3\\n")));
        for (int page = 1; page <= 3; ++page) {
            QProcess text;
            text.start(QStringLiteral("pdftotext"),
                       {"-f", QString::number(page), "-l", QString::number(page), path, "-"});
            QVERIFY(text.waitForFinished(30000));
            const QString said = QString::fromUtf8(text.readAllStandardOutput());
            const QString name = QStringList{"Ben", "Finn", "Gül"}.at(page - 1);
            QVERIFY2(said.contains(QStringLiteral("Lernfortschritt – %1").arg(name)), qPrintable(said));
        }
    }

    // The class's workbook, opened in a spreadsheet program: the family's
    // columns, every answer of 3b with its child, none of 4a.
    void classWorkbook() {
        ClassServer server(QStringLiteral("table"));
        QVERIFY(server.open(config()));
        std::vector<RosterRow> roster;
        QVERIFY(server.readRoster(m_now, roster));
        const QString path = m_home->filePath(QStringLiteral("klasse.xlsx"));
        QString error;
        QVERIFY2(SaveClassWorkbook(server, roster, path, &error), qPrintable(error));
        const QHash<QString, SpreadsheetCell> cells = ReadSpreadsheet(path, &error);
        QVERIFY2(!cells.isEmpty(), qPrintable(error));
        QCOMPARE(cells.value(QStringLiteral("0,2")).shown, QStringLiteral("Kind"));
        QMap<QString, int> perChild;
        int rows = 0;
        while (cells.contains(QStringLiteral("%1,0").arg(rows + 1))) {
            ++rows;
            const SpreadsheetCell child = cells.value(QStringLiteral("%1,2").arg(rows));
            QCOMPARE(child.type, QStringLiteral("text"));
            ++perChild[child.shown];
        }
        // Every answer of 3b: the generated ones and the two sent live.
        QCOMPARE(rows, m_answers - 100 + 2);
        QVERIFY(!perChild.contains(QStringLiteral("Zoe")));
        int finn = 0;
        for (const auto& [fact, tasks] : m_answered[QStringLiteral("Finn")])
            finn += int(tasks.size());
        QCOMPARE(perChild.value(QStringLiteral("Finn")), finn);
    }

    // The roster kept from the view: what the server refuses is said in
    // German, and a child of another class cannot be reached.
    void roster_data() {
        QTest::addColumn<QString>("step"); // add, rename, remove
        QTest::addColumn<QString>("child");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusal"); // part of the message; empty: done
        QTest::newRow("add") << "add" << QString() << "Ida" << QString();
        QTest::newRow("add, blanks trimmed") << "add" << QString() << "  Jan  " << QString();
        QTest::newRow("add a name the class has")
            << "add" << QString() << "Anna" << QString::fromUtf8("schon ein Kind mit diesem Namen");
        QTest::newRow("add without a name")
            << "add" << QString() << "   " << QString::fromUtf8("Bitte geben Sie einen Namen ein");
        QTest::newRow("add a long name")
            << "add" << QString() << QString(41, u'x') << QString::fromUtf8("höchstens 40 Zeichen");
        QTest::newRow("rename") << "rename"
                                << "Dila"
                                << "Dilara" << QString();
        QTest::newRow("rename to a name the class has")
            << "rename"
            << "Cem"
            << "Ben" << QString::fromUtf8("schon ein Kind mit diesem Namen");
        QTest::newRow("rename a child of 4a") << "rename"
                                              << "Zoe"
                                              << "Zora" << QString::fromUtf8("nicht mehr in der Klasse");
        QTest::newRow("remove") << "remove"
                                << "Emil" << QString() << QString();
    }
    void roster() {
        QFETCH(QString, step);
        QFETCH(QString, child);
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        ClassServer server(QStringLiteral("roster"));
        QVERIFY(server.open(config()));
        const QString id = m_ids.value(child);
        const bool done = step == QLatin1String("add")      ? server.addChild(name)
                          : step == QLatin1String("rename") ? server.renameChild(id, name)
                                                            : server.removeChild(id);
        QCOMPARE(done, refusal.isEmpty());
        if (!done)
            QVERIFY2(server.error().contains(refusal), qPrintable(server.error()));
        // What the server holds, read as its owner.
        QString out;
        QVERIFY(sql(QStringLiteral("SELECT c.name FROM ollo.children c ORDER BY c.name;"
                                   "SELECT count(*) FROM ollo.answers WHERE child_id = '%1';")
                        .arg(m_ids.value("Emil")),
                    &out));
        const QStringList names = out.split(u'\n');
        if (step == QLatin1String("add") && done)
            QVERIFY2(names.contains(name.trimmed()), qPrintable(out));
        if (step == QLatin1String("rename")) {
            QCOMPARE(names.contains(child), !done);
            QVERIFY(names.contains(name) || !done);
        }
        if (child == QLatin1String("Zoe"))
            QVERIFY(names.contains(QStringLiteral("Zoe")));
        if (step == QLatin1String("remove")) {
            // The child goes with every answer.
            QVERIFY(!names.contains(child));
            QCOMPARE(names.last(), QStringLiteral("0"));
        }
    }
};

QTEST_MAIN(TestClassView)
#include "tst_classview.moc"
