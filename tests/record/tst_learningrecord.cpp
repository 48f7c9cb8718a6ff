// The learning record without windows: what it writes, how it judges a fact,
// which facts are due, what the progress figures say, and how it behaves when its
// file cannot be used.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <map>
#include <memory>
#include <pwd.h>
#include <set>
#include <sys/prctl.h>
#include <unistd.h>

#include "base/clock.h"
#include "common/filecontents.h"
#include "common/recordrows.h"
#include "record/hardfacts.h"
#include "record/learningrecord.h"
#include "record/progressreading.h"

using Record::Answer;
using Record::DrillEnd;
using Record::Fault;
using Record::Operation;
using Record::TaskOutcome;

namespace {

QString factText(const Record::Fact& fact) {
    return QStringLiteral("%1%2%3")
        .arg(fact.factor)
        .arg(fact.operation == Operation::Division ? QStringLiteral("d") : QStringLiteral("x"))
        .arg(fact.series);
}

// False while the test runs as root, for whom no file is write-protected.
bool g_permissionsHold = true;

// 2024-06-03 12:00 local time, a Monday.
qint64 noon() {
    return QDateTime(QDate(2024, 6, 3), QTime(12, 0)).toSecsSinceEpoch();
}

void setClock(qint64 seconds) {
    Clock::SetSource([seconds] { return std::int64_t(seconds); });
}

// One drill of one task, answered with typed.
void oneTaskDrill(CLearningRecord& record, const QString& typed) {
    record.beginDrill(32777, QStringLiteral("7-er Reihe"), Operation::Multiplication, 7, 1);
    record.addTask(1, {Operation::Multiplication, 8, 7}, QStringLiteral("8 X 7 = ??"), QStringLiteral("56"));
    record.addAnswer(typed, typed == u"56" ? Answer::Right : Answer::WrongThenSolved, 2500);
    record.endDrill(DrillEnd::AllDone);
}

// A second connection holding the write lock for as long as it lives.
class LockHolder {
public:
    explicit LockHolder(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (db.open())
            m_locked = QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~LockHolder() {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool locked() const { return m_locked; }

private:
    QString m_name = QStringLiteral("lock-holder");
    bool m_locked = false;
};

void execOn(const QString& path, const QString& sql) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("exec"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(sql));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("exec"));
}

} // namespace

class TestLearningRecord : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("ollo.sqlite"));
        setClock(noon());
    }
    void cleanup() {
        Clock::SetSource({});
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_dir.reset();
    }

    // Each kind of file the record cannot use: the drill's steps still run
    // through, the reason is given once, in German only, and nothing of the
    // family's is lost. A lock or a full disk may come and go: "locked 3..8"
    // holds the file from the fourth drill to the ninth, "..5" from before
    // the record opens, "..pause" until the twenty drills are over, when the
    // record must try again by itself.
    void faults_data() {
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<int>("fault");        // at the end
        QTest::addColumn<QStringList>("told"); // part of each notice, in order, one per notice
        QTest::addColumn<bool>("readable");    // the history can still be shown
        QTest::addColumn<bool>("keepsBytes");  // the file is left exactly as it was
        QTest::addColumn<QString>("aside");    // the name it was set aside under
        QTest::addColumn<QString>("drills");   // drills in the file afterwards: "n", "from..to", "" unread

        const QString damaged = QStringLiteral("ollo-beschaedigt-2024-06-03.sqlite");
        const QString foreign = QStringLiteral("ollo-fremd-2024-06-03.sqlite");
        const QString locked = QStringLiteral("von einem anderen Programm benutzt");
        const QString again = QStringLiteral("wieder gespeichert");
        QTest::newRow("locked by another program")
            << "locked" << int(Fault::Locked) << QStringList{locked} << true << true << ""
            << "1";
        QTest::newRow("locked for a while")
            << "locked 3..8" << int(Fault::None) << QStringList{locked, again} << true << false << ""
            << "21";
        QTest::newRow("locked at the start for a while")
            << "locked ..5" << int(Fault::None) << QStringList{locked, again} << true << false << ""
            << "21";
        QTest::newRow("locked until the drills are over")
            << "locked 3..pause" << int(Fault::None) << QStringList{locked, again} << true << false << ""
            << "21";
        QTest::newRow("read-only file") << "read-only file" << int(Fault::ReadOnly)
                                        << QStringList{"schreibgeschützt"} << true << true << ""
                                        << "1";
        QTest::newRow("read-only folder, no file yet")
            << "read-only folder" << int(Fault::ReadOnly) << QStringList{"schreibgeschützt"} << false << true
            << ""
            << "";
        QTest::newRow("a folder in its place")
            << "folder" << int(Fault::Unavailable) << QStringList{"lässt sich nicht öffnen."} << false << true
            << ""
            << "";
        QTest::newRow("a link to another child's record")
            << "link" << int(Fault::Unavailable) << QStringList{"Verknüpfung"} << false << true << ""
            << "1";
        QTest::newRow("not a database")
            << "garbage" << int(Fault::None) << QStringList{"beschädigt"} << true << false << damaged << "20";
        QTest::newRow("damaged pages")
            << "damaged" << int(Fault::None) << QStringList{"beschädigt"} << true << false << damaged << "20";
        QTest::newRow("another program's database")
            << "foreign" << int(Fault::None) << QStringList{"nicht von Ollo"} << true << false << foreign
            << "20";
        QTest::newRow("another program's mark on Ollo's tables")
            << "foreign mark" << int(Fault::None) << QStringList{"nicht von Ollo"} << true << false << foreign
            << "20";
        QTest::newRow("an Ollo's record from before the mark")
            << "unmarked" << int(Fault::None) << QStringList{} << true << false << ""
            << "21";
        QTest::newRow("empty file") << "empty" << int(Fault::None) << QStringList{} << true << false << ""
                                    << "20";
        QTest::newRow("disk full") << "full" << int(Fault::DiskFull) << QStringList{"Datenträger ist voll"}
                                   << true << false << ""
                                   << "1..20";
        QTest::newRow("disk full, then freed")
            << "full 5..10" << int(Fault::None) << QStringList{"Datenträger ist voll", again} << true << false
            << ""
            << "21";
        QTest::newRow("newer schema") << "newer" << int(Fault::NewerSchema)
                                      << QStringList{"neueren Ollo-Version"} << false << true << ""
                                      << "";
    }
    void faults() {
        QFETCH(QString, prepare);
        QFETCH(int, fault);
        QFETCH(QStringList, told);
        QFETCH(bool, readable);
        QFETCH(bool, keepsBytes);
        QFETCH(QString, aside);
        QFETCH(QString, drills);
        if (prepare.startsWith(u"read-only") && !g_permissionsHold)
            QSKIP("running as root, which no permission stops, and unable to leave it");
        const QString kind = prepare.section(u' ', 0, 0);
        const QString window = prepare.section(u' ', 1);
        const bool before = window.isEmpty() || window.startsWith(u"..");
        const int from = before ? -1 : window.section(QStringLiteral(".."), 0, 0).toInt();
        const QString until =
            window.isEmpty() ? QStringLiteral("never") : window.section(QStringLiteral(".."), 1);

        if (!QStringList{"read-only folder", "folder", "foreign", "foreign mark", "empty"}.contains(
                prepare)) {
            CLearningRecord seed(m_path);
            QVERIFY(seed.open());
            oneTaskDrill(seed, QStringLiteral("56"));
        }
        std::unique_ptr<LockHolder> holder;
        if (kind == u"locked" && before) {
            holder = std::make_unique<LockHolder>(m_path);
            QVERIFY(holder->locked());
        } else if (prepare == u"read-only file") {
            QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner));
        } else if (prepare == u"read-only folder") {
            QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        } else if (prepare == u"folder") {
            QVERIFY(QDir().mkdir(m_path));
        } else if (prepare == u"link") {
            const QString anna = m_dir->filePath(QStringLiteral("ollo-anna.sqlite"));
            QVERIFY(QFile::rename(m_path, anna));
            QVERIFY(QFile::link(anna, m_path));
        } else if (prepare == u"garbage") {
            writeAll(m_path, QByteArray("Kein Lernverlauf, sondern ein Einkaufszettel.\n").repeated(200));
        } else if (prepare == u"damaged") {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.size() > 8192);
            file.seek(4096);
            file.write(QByteArray(4096, '\xA5'));
        } else if (prepare == u"foreign") {
            execOn(m_path, QStringLiteral("CREATE TABLE kunde (name TEXT)"));
            execOn(m_path, QStringLiteral("INSERT INTO kunde VALUES ('Meier')"));
        } else if (prepare == u"foreign mark") {
            for (const char* sql :
                 {"PRAGMA application_id = 1", "PRAGMA user_version = 1", "CREATE TABLE drill (x)",
                  "CREATE TABLE task (x)", "CREATE TABLE answer (x)"})
                execOn(m_path, QLatin1String(sql));
        } else if (prepare == u"unmarked") {
            execOn(m_path, QStringLiteral("PRAGMA application_id = 0"));
        } else if (prepare == u"empty") {
            writeAll(m_path, {});
        } else if (prepare == u"newer") {
            execOn(m_path, QStringLiteral("PRAGMA user_version = 99"));
        }
        const QByteArray bytesBefore = readAll(m_path);

        {
            CLearningRecord record(m_path);
            const bool opened = record.open();
            QCOMPARE(record.canRead(), readable);
            QStringList notices;
            const auto takeNotice = [&record, &notices] {
                const QString notice = record.takeNotice();
                if (!notice.isEmpty())
                    notices << notice;
            };
            // Twenty drills, each followed by what the family is told; on a
            // full disk the first answer that needs a new page fails (a long
            // pasted answer needs them soon).
            for (int i = 0; i < 20; ++i) {
                if (i == from && kind == u"locked") {
                    holder = std::make_unique<LockHolder>(m_path);
                    QVERIFY(holder->locked());
                } else if (i == qMax(from, 0) && kind == u"full") {
                    QVERIFY(opened);
                    const QStringList pages = RecordRows(m_path, QStringLiteral("PRAGMA page_count"));
                    record.setPageLimit(pages.value(0).toInt());
                }
                oneTaskDrill(record, kind == u"full" ? QString(1500, u'5') : QStringLiteral("56"));
                takeNotice();
                if (QString::number(i) == until) {
                    holder.reset();
                    record.setPageLimit(0);
                }
            }
            if (until == u"pause") {
                holder.reset();
                QTRY_VERIFY_WITH_TIMEOUT(record.canWrite(), 10000);
                takeNotice();
            }
            QCOMPARE(int(record.fault()), fault);
            QCOMPARE(record.canWrite(), fault == int(Fault::None));
            QCOMPARE(notices.size(), told.size());
            for (qsizetype i = 0; i < told.size(); ++i)
                QVERIFY2(notices[i].contains(told[i]), qPrintable(notices[i]));
            // The progress window goes on saying it.
            QCOMPARE(record.stateText().isEmpty(), fault == int(Fault::None) && aside.isEmpty());
            // SQLite's words are English: they go to standard error only.
            static const QRegularExpression english(QStringLiteral("\\b(database|disk|unable|error|file)\\b"),
                                                    QRegularExpression::CaseInsensitiveOption);
            for (const QString& text : notices + QStringList{record.stateText()})
                QVERIFY2(!text.section(QStringLiteral("\nDatei: "), 0, 0).contains(english),
                         qPrintable(text));

            if (!aside.isEmpty()) {
                // Kept aside under its date, byte for byte; a new record took its place.
                QCOMPARE(QFileInfo(record.setAsidePath()).fileName(), aside);
                QCOMPARE(readAll(record.setAsidePath()), bytesBefore);
                QVERIFY(notices.value(0).contains(aside));
            }
        }
        holder.reset();
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (keepsBytes)
            QCOMPARE(readAll(m_path), bytesBefore);
        if (prepare == u"link")
            QVERIFY(QFileInfo(m_path).isSymLink());
        if (drills.isEmpty())
            return;
        const QStringList counts =
            RecordRows(m_path, QStringLiteral("SELECT count(*), (SELECT count(*) FROM answer) FROM drill"))
                .value(0)
                .split(u'|');
        const int count = counts.value(0).toInt();
        const QStringList range = drills.split(QStringLiteral(".."));
        QVERIFY2(count >= range.first().toInt() && count <= range.last().toInt(),
                 qPrintable(QString::number(count)));
        // Each drill with its one answer, none twice.
        QCOMPARE(counts.value(1).toInt(), count);
        if (fault == int(Fault::None))
            QCOMPARE(RecordRows(m_path, QStringLiteral("PRAGMA application_id")),
                     QStringList{QString::number(CLearningRecord::ApplicationId)});
    }

    // Without HOME, the record lies in the account's home, where the settings are.
    void homeOfTheAccount() {
        const QByteArray home = qgetenv("HOME");
        const QByteArray data = qgetenv("XDG_DATA_HOME");
        qunsetenv("HOME");
        qunsetenv("XDG_DATA_HOME");
        const QString path = CLearningRecord::PathFor(QStringLiteral("ollo"));
        qputenv("HOME", home);
        if (!data.isNull())
            qputenv("XDG_DATA_HOME", data);
        const passwd* account = getpwuid(getuid());
        QVERIFY(account != nullptr);
        QCOMPARE(path, QDir::cleanPath(QFile::decodeName(account->pw_dir)) +
                           QStringLiteral("/.local/share/ollo/ollo.sqlite"));
    }

    // A second damaged file on the same day never replaces the first one set aside.
    void damagedFilesNeverOverwriteEachOther() {
        const QByteArray first("erstes kaputtes");
        const QByteArray second("zweites kaputtes");
        writeAll(m_path, first.repeated(300));
        {
            CLearningRecord record(m_path);
            QVERIFY(record.open());
        }
        writeAll(m_path, second.repeated(300));
        CLearningRecord record(m_path);
        QVERIFY(record.open());
        QCOMPARE(QFileInfo(record.setAsidePath()).fileName(),
                 QStringLiteral("ollo-beschaedigt-2024-06-03-2.sqlite"));
        QCOMPARE(readAll(m_dir->filePath(QStringLiteral("ollo-beschaedigt-2024-06-03.sqlite"))),
                 first.repeated(300));
        QCOMPARE(readAll(record.setAsidePath()), second.repeated(300));
    }

    void judge_data() {
        QTest::addColumn<int>("box"); // 0: never answered
        QTest::addColumn<QList<qint64>>("thinkingMs");
        QTest::addColumn<int>("security");
        QTest::newRow("never asked") << 0 << QList<qint64>{} << int(Security::NeverAsked);
        QTest::newRow("box 1 is shaky, however quick") << 1 << QList<qint64>{1000} << int(Security::Shaky);
        QTest::newRow("one day right is not yet secure")
            << 2 << QList<qint64>{1000, 1000} << int(Security::Unsettled);
        QTest::newRow("right on two days, quick")
            << 3 << QList<qint64>{3000, 4000, 2000} << int(Security::Secure);
        QTest::newRow("right at exactly the slow mark") << 3 << QList<qint64>{8000} << int(Security::Secure);
        QTest::newRow("right, slow") << 3 << QList<qint64>{8001} << int(Security::Slow);
        QTest::newRow("one slow of three is the exception")
            << 4 << QList<qint64>{20000, 3000, 4000} << int(Security::Secure);
        QTest::newRow("two slow of three") << 5 << QList<qint64>{20000, 3000, 9000} << int(Security::Slow);
        QTest::newRow("two, median between") << 3 << QList<qint64>{3000, 14000} << int(Security::Slow);
    }
    void judge() {
        QFETCH(int, box);
        QFETCH(QList<qint64>, thinkingMs);
        QTEST(int(ProgressReading::Judge(box, std::vector<qint64>(thinkingMs.begin(), thinkingMs.end()))),
              "security");
    }

    // The boxes over a history of tasks: "8x7" is 8 X 7, "8d7" is 56 : 7;
    // after the fact, the day (from noon on the first) and the outcome:
    // r right at once, a right after NOCHMALS, s solved, w wrong and ended,
    // u unanswered. now is in hours after the first noon; comesBack the day
    // and count of the next facts not yet due.
    void hardFacts_data() {
        QTest::addColumn<QString>("history");
        QTest::addColumn<int>("nowHours");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("comesBack");
        QTest::newRow("no history") << "" << 0 << 5 << ""
                                    << "";
        QTest::newRow("right today waits for tomorrow") << "8x7 0 r, 6x7 0 w" << 1 << 2 << "6x7"
                                                        << "1 1";
        QTest::newRow("right after NOCHMALS is box 1") << "8x7 0 r, 6x7 0 a" << 1 << 2 << "6x7"
                                                       << "1 1";
        QTest::newRow("solved is box 1") << "6x7 0 s, 8x7 0 r" << 1 << 2 << "6x7"
                                         << "1 1";
        QTest::newRow("unanswered leaves no trace") << "3x4 0 u, 6x7 0 w" << 1 << 5 << "6x7"
                                                    << "";
        QTest::newRow("box 2 due after a day") << "8x7 0 r, 6x7 0 r, 6x7 1 r" << 25 << 1 << "8x7"
                                               << "4 1";
        QTest::newRow("box 3 waits three days") << "8x7 0 r, 8x7 1 r, 6x7 3 r" << 24 * 4 - 13 << 1 << ""
                                                << "4 2";
        QTest::newRow("box 3 due after three days") << "8x7 0 r, 8x7 1 r, 6x7 4 r" << 24 * 4 + 1 << 2 << "8x7"
                                                    << "5 1";
        QTest::newRow("due from the day's start") << "8x7 0 r, 8x7 1 r" << 24 * 4 - 11 << 1 << "8x7"
                                                  << "";
        QTest::newRow("wrong after three right falls back")
            << "8x7 0 r, 8x7 1 r, 8x7 4 r, 8x7 5 w, 6x7 5 r" << 24 * 5 + 1 << 1 << "8x7"
            << "6 1";
        QTest::newRow("due: lower box first") << "8x7 0 r, 8x7 1 r, 6x7 2 r" << 24 * 10 << 2 << "6x7 8x7"
                                              << "";
        QTest::newRow("due, same box: longest due first") << "6x7 2 r, 8x7 0 r" << 24 * 5 << 2 << "8x7 6x7"
                                                          << "";
        QTest::newRow("nothing due before its day") << "8x7 0 r, 8x7 1 r, 6x7 0 r" << 11 << 3 << ""
                                                    << "1 1";
        QTest::newRow("times and divided apart") << "8d7 0 w, 8x7 0 r" << 1 << 1 << "8d7"
                                                 << "1 1";
        QTest::newRow("ties by fact: times, factor, series")
            << "9d3 0 w, 2x9 0 w, 9x2 0 w, 2x10 0 w" << 1 << 4 << "2x9 2x10 9x2 9d3"
            << "";
        QTest::newRow("count cuts the least secure") << "9x2 0 w, 2x9 0 w, 4x4 0 r" << 1 << 2 << "2x9 9x2"
                                                     << "1 1";
        QTest::newRow("other series too") << "7x13 0 w, 3x1000 0 r, 5d100 0 s" << 1 << 3 << "7x13 5d100"
                                          << "1 1";
        QTest::newRow("fifth box is the last: 14 days")
            << "4x4 0 r, 4x4 1 r, 4x4 4 r, 4x4 11 r, 4x4 25 r, 4x4 39 r, 3x3 53 r" << 24 * 53 + 1 << 2
            << "4x4"
            << "54 1";
        QTest::newRow("a perfect drill leaves nothing due") << "6x7 0 r, 8x7 0 r" << 1 << 5 << ""
                                                            << "1 2";
        QTest::newRow("twice on one day climbs one box")
            << "6x7 0 r, 6x7 0 r, 8x7 0 r" << 25 << 2 << "6x7 8x7"
            << "";
        QTest::newRow("wrong, then right twice: back tomorrow") << "6x7 0 w, 6x7 0 r, 6x7 0 r" << 2 << 5 << ""
                                                                << "1 1";
    }
    void hardFacts() {
        QFETCH(QString, history);
        QFETCH(int, nowHours);
        QFETCH(int, count);
        const auto factOf = [](const QString& text) {
            const bool divided = text.contains(u'd');
            const QStringList parts = text.split(divided ? u'd' : u'x');
            return Record::Fact{divided ? Operation::Division : Operation::Multiplication, parts[0].toInt(),
                                parts[1].toInt()};
        };
        const QList<std::pair<char, TaskOutcome>> outcomes = {{'r', TaskOutcome::RightFirstTry},
                                                              {'a', TaskOutcome::RightAfterAgain},
                                                              {'s', TaskOutcome::Solved},
                                                              {'w', TaskOutcome::WrongUnfinished},
                                                              {'u', TaskOutcome::Unanswered}};
        std::vector<HardFacts::Answered> answered;
        for (const QString& entry : history.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
            const QStringList parts = entry.split(u' ');
            TaskOutcome outcome{};
            for (const auto& [letter, value] : outcomes)
                if (parts[2] == QLatin1Char(letter))
                    outcome = value;
            answered.push_back({factOf(parts[0]), noon() + parts[1].toInt() * 24 * 3600, outcome});
        }
        QStringList chosen;
        const HardFacts::Due due = HardFacts::Choose(answered, noon() + qint64(nowHours) * 3600, count);
        for (const Record::Fact& fact : due.facts)
            chosen << factText(fact);
        QTEST(chosen.join(u' '), "chosen");
        QTEST(due.nextDay.isValid()
                  ? QStringLiteral("%1 %2").arg(QDate(2024, 6, 3).daysTo(due.nextDay)).arg(due.nextCount)
                  : QString(),
              "comesBack");
    }

    // Two weeks of a child's practice, day by day through the clock, against
    // the rule as the help tells it: a fact answered right at the first try
    // moves up one box, at most one a day; any other answer puts it back in
    // the first; it comes back at once from the first box, and after 1, 3, 7
    // and 14 days from the others. "Schwierige Aufgaben" (drilled each
    // afternoon) poses the due facts only; mornings the 7-er Reihe is
    // practised on some days.
    void spacedPracticeOverDays() {
        struct Box {
            int box = 1;
            QDate last;
            QDate climbed;
        };
        std::map<Record::Fact, Box> model;
        const auto dueIn = [&model](QDate today) {
            static constexpr int waits[] = {0, 0, 1, 3, 7, 14};
            std::set<Record::Fact> due;
            for (const auto& [fact, box] : model)
                if (box.box == 1 || box.last.addDays(waits[box.box]) <= today)
                    due.insert(fact);
            return due;
        };
        const auto answer = [&model](const Record::Fact& fact, bool right, QDate today) {
            Box& box = model[fact];
            if (!right) {
                box.box = 1;
                box.climbed = {};
            } else if (box.climbed != today) {
                box.box = std::min(box.box + 1, 5);
                box.climbed = today;
            }
            box.last = today;
        };
        // Which answers go wrong: a fixed, uneven pattern.
        const auto slips = [](int day, const Record::Fact& fact) {
            return (day * 7 + fact.factor * 3) % 11 == 0;
        };

        CLearningRecord record(m_path);
        QVERIFY(record.open());
        const QDate first(2024, 6, 3);
        for (int day = 0; day < 16; ++day) {
            const QDate today = first.addDays(day);
            if (day % 3 != 2) {
                setClock(QDateTime(today, QTime(9, 30)).toSecsSinceEpoch());
                record.beginDrill(32777, QStringLiteral("7-er Reihe"), Operation::Multiplication, 7, 4);
                for (int task = 0; task < 4; ++task) {
                    const Record::Fact fact{Operation::Multiplication, (day + task * 3) % 10 + 1, 7};
                    record.addTask(task + 1, fact, QStringLiteral("x"), QStringLiteral("1"));
                    const bool right = !slips(day, fact);
                    record.addAnswer(QStringLiteral("1"), right ? Answer::Right : Answer::WrongThenSolved,
                                     900);
                    answer(fact, right, today);
                }
                record.endDrill(DrillEnd::AllDone);
            }
            const qint64 afternoon = QDateTime(today, QTime(16, 45)).toSecsSinceEpoch();
            setClock(afternoon);
            const std::set<Record::Fact> expected = dueIn(today);
            const HardFacts::Due due = HardFacts::Choose(*HardFacts::ReadHistory(record), afternoon, 100);
            const std::set<Record::Fact> chosen(due.facts.begin(), due.facts.end());
            QVERIFY2(chosen == expected, qPrintable(QStringLiteral("day %1: %2 chosen, %3 due")
                                                        .arg(day)
                                                        .arg(chosen.size())
                                                        .arg(expected.size())));
            QCOMPARE(chosen.size(), due.facts.size());
            if (expected.empty() && !model.empty()) {
                // The next day any of them comes back, and how many then.
                QDate next;
                for (int ahead = 1; ahead <= 14 && !next.isValid(); ++ahead)
                    if (!dueIn(today.addDays(ahead)).empty())
                        next = today.addDays(ahead);
                QCOMPARE(due.nextDay, next);
                QCOMPARE(size_t(due.nextCount), dueIn(next).size());
            }
            // The afternoon drill: each due fact once, answered as the pattern says.
            record.beginDrill(32871, QStringLiteral("Schwierige Aufgaben"), Operation::Multiplication, -1,
                              int(due.facts.size()));
            int number = 0;
            for (const Record::Fact& fact : due.facts) {
                record.addTask(++number, fact, QStringLiteral("x"), QStringLiteral("1"));
                const bool right = !slips(day + 1, fact);
                record.addAnswer(QStringLiteral("1"), right ? Answer::Right : Answer::WrongThenSolved, 900);
                answer(fact, right, today);
            }
            record.endDrill(DrillEnd::AllDone);
            // Right after it, only what it got wrong is due.
            setClock(afternoon + 600);
            std::set<Record::Fact> wrong;
            for (const Record::Fact& fact : due.facts)
                if (slips(day + 1, fact))
                    wrong.insert(fact);
            const HardFacts::Due after =
                HardFacts::Choose(*HardFacts::ReadHistory(record), afternoon + 600, 100);
            QCOMPARE(std::set<Record::Fact>(after.facts.begin(), after.facts.end()), wrong);
            QCOMPARE(wrong, dueIn(today));
        }
    }

    // A small known history, read back as the progress window gets it.
    void report() {
        CLearningRecord record(m_path);
        QVERIFY(record.open());
        const qint64 late = QDateTime(QDate(2024, 6, 2), QTime(23, 59, 50)).toSecsSinceEpoch();
        // Sunday just before midnight: 8 X 7 wrong, NOCHMALS, right; 3 X 7 solved.
        setClock(late);
        record.beginDrill(32777, QStringLiteral("7-er Reihe"), Operation::Multiplication, 7, 3);
        record.addTask(1, {Operation::Multiplication, 8, 7}, QStringLiteral("8 X 7 = ??"),
                       QStringLiteral("56"));
        record.addAnswer(QStringLiteral("54"), Answer::WrongThenAgain, 4000);
        record.addAnswer(QStringLiteral("56"), Answer::Right, 3000);
        record.addTask(2, {Operation::Multiplication, 3, 7}, QStringLiteral("3 X 7 = ??"),
                       QStringLiteral("21"));
        record.addAnswer(QStringLiteral("12"), Answer::WrongThenSolved, 6000);
        // The third task was posed after midnight and never answered.
        setClock(late + 20);
        record.addTask(3, {Operation::Multiplication, 5, 7}, QStringLiteral("5 X 7 = ??"),
                       QStringLiteral("35"));
        record.endDrill(DrillEnd::EndButton);
        // Monday: 8 X 7 right twice, slowly; 56 : 7 right; a chosen 13 and a fixed 13.
        setClock(noon());
        record.beginDrill(32777, QStringLiteral("7-er Reihe"), Operation::Multiplication, 7, 2);
        record.addTask(1, {Operation::Multiplication, 8, 7}, QStringLiteral("8 X 7 = ??"),
                       QStringLiteral("56"));
        record.addAnswer(QStringLiteral("56"), Answer::Right, 9000);
        record.addTask(2, {Operation::Multiplication, 8, 7}, QStringLiteral("8 X 7 = ??"),
                       QStringLiteral("56"));
        record.addAnswer(QStringLiteral("56"), Answer::Right, 12000);
        record.endDrill(DrillEnd::AllDone);
        record.beginDrill(32800, QStringLiteral("7-er Reihe"), Operation::Division, 7, 1);
        record.addTask(1, {Operation::Division, 8, 7}, QStringLiteral("56 : 7 = ?"), QStringLiteral("8"));
        record.addAnswer(QStringLiteral("8"), Answer::Right, 2000);
        record.endDrill(DrillEnd::CloseBox);
        record.beginDrill(32791, QStringLiteral("Beliebige Reihe"), Operation::Multiplication, 0, 1);
        record.addTask(1, {Operation::Multiplication, 2, 13}, QStringLiteral("2 X 13 = ??"),
                       QStringLiteral("26"));
        record.addAnswer(QStringLiteral("26"), Answer::Right, 2000);
        record.endDrill(DrillEnd::AllDone);
        record.beginDrill(32783, QStringLiteral("13-er Reihe"), Operation::Multiplication, 13, 1);
        record.addTask(1, {Operation::Multiplication, 4, 13}, QStringLiteral("4 X 13 = ??"),
                       QStringLiteral("52"));
        record.addAnswer(QStringLiteral("50"), Answer::WrongThenSolved, 5000);
        record.endDrill(DrillEnd::AllDone);
        record.beginDrill(32804, QStringLiteral("Beliebige Reihe"), Operation::Division, 0, 5);
        record.endDrill(DrillEnd::LimitRefused);

        const ProgressReport report = ProgressReading::Read(record, QDate(2024, 6, 3));
        const FactStanding& eightSevens = report.standing(Operation::Multiplication, 8, 7);
        QCOMPARE(eightSevens.asked, 3);
        QCOMPARE(eightSevens.rightFirst, 2);
        QCOMPARE(eightSevens.recent,
                 (std::vector<TaskOutcome>{TaskOutcome::RightFirstTry, TaskOutcome::RightFirstTry,
                                           TaskOutcome::RightAfterAgain}));
        QCOMPARE(eightSevens.lastAsked, noon());
        // Wrong on Sunday, right twice on Monday: one box up, not two.
        QCOMPARE(eightSevens.security, Security::Unsettled);
        QCOMPARE(eightSevens.typicalMs, qint64(10500));
        QCOMPARE(report.standing(Operation::Multiplication, 3, 7).security, Security::Shaky);
        QCOMPARE(report.standing(Operation::Multiplication, 5, 7).security, Security::NeverAsked);
        QCOMPARE(report.standing(Operation::Division, 8, 7).security, Security::Unsettled);
        QCOMPARE(report.standing(Operation::Division, 7, 8).security, Security::NeverAsked);

        QCOMPARE(report.days.size(), size_t(ProgressReport::ChartDays));
        QCOMPARE(report.days.back().day, QDate(2024, 6, 3));
        QCOMPARE(report.days.back().tasks, 5);
        QCOMPARE(report.days.back().rightFirst, 4);
        QCOMPARE(report.days[report.days.size() - 2].tasks, 2);
        QCOMPARE(report.days[report.days.size() - 2].rightFirst, 0);

        QCOMPARE(report.series.size(), size_t(2));
        QCOMPARE(ProgressReport::SeriesTitle(report.series[0].operation, report.series[0].series,
                                             report.series[0].chosen),
                 QStringLiteral("13-er Reihe (mal)"));
        QCOMPARE(report.series[0].rightFirst, 0);
        QVERIFY(report.series[1].chosen);
        QCOMPARE(report.series[1].series, 13);
        QCOMPARE(report.series[1].tasks, 1);

        // The refused limit prompt is no drill to list.
        QCOMPARE(report.lastDrills.size(), size_t(5));
        QCOMPARE(report.lastDrills[0].series, 13);
        QCOMPARE(RecordRows(m_path, QStringLiteral("SELECT count(*) FROM drill WHERE how_ended = 4")),
                 QStringList{QStringLiteral("1")});
        const DrillSummary& first = report.lastDrills.back();
        QCOMPARE(first.answered, 2);
        QCOMPARE(first.rightFirst, 0);
        QCOMPARE(first.solved, 1);
        QCOMPARE(first.end, std::optional<DrillEnd>(DrillEnd::EndButton));
        QCOMPARE(report.totals.tasks, 7);
        QCOMPARE(report.totals.rightFirst, 4);
        QCOMPARE(report.totals.drills, 5);
        QCOMPARE(report.totals.daysPractised, 2);
        QCOMPARE(RecordRows(m_path, QStringLiteral("SELECT outcome FROM task WHERE number = 3")),
                 QStringList{QStringLiteral("0")});
        // Opened with an SQLite tool, the codes come with their words and the times readable.
        QCOMPARE(
            RecordRows(m_path, QStringLiteral("SELECT beginn, befehl, rechenart, wie_beendet FROM uebungen"
                                              " WHERE uebung IN (1, 6) ORDER BY uebung")),
            QStringList({QStringLiteral("2024-06-02 23:59:50|7-er Reihe (mal)|mal|mit ENDE beendet"),
                         QString::fromUtf8("2024-06-03 12:00:00|Beliebige Reihe (geteilt)|geteilt|keine "
                                           "Reihe gewählt")}));
        QCOMPARE(
            RecordRows(m_path, QStringLiteral("SELECT nummer, ergebnis FROM aufgaben WHERE uebung = 1")),
            QStringList({QStringLiteral("1|richtig nach NOCHMALS"), QString::fromUtf8("2|mit LOESEN gelöst"),
                         QStringLiteral("3|nicht beantwortet")}));
        QCOMPARE(RecordRows(m_path,
                            QStringLiteral("SELECT zeit, eingabe, bewertung, danach, sekunden FROM antworten"
                                           " WHERE uebung = 1 ORDER BY antwort LIMIT 1")),
                 QStringList{QStringLiteral("2024-06-02 23:59:50|54|falsch|NOCHMALS|4")});
    }

    // Deleting leaves nothing of the answers in the file, nor in its log.
    void clearHistory() {
        {
            CLearningRecord record(m_path);
            QVERIFY(record.open());
            for (int i = 0; i < 50; ++i)
                oneTaskDrill(record, QStringLiteral("4711"));
            QVERIFY(record.clearHistory());
            QCOMPARE(RecordRows(m_path, QStringLiteral("SELECT count(*) FROM answer")), QStringList{"0"});
            QVERIFY(!(readAll(m_path) + readAll(m_path + QStringLiteral("-wal"))).contains("4711"));
            // And the record goes on.
            oneTaskDrill(record, QStringLiteral("56"));
        }
        QCOMPARE(RecordRows(m_path, QStringLiteral("SELECT count(*) FROM answer")), QStringList{"1"});
    }
};

// File permissions do not hold for root; the faults are met as a family's
// account meets them.
int main(int argc, char* argv[]) {
    if (geteuid() == 0) {
        constexpr gid_t nogroup = 65534;
        constexpr uid_t nobody = 65534;
        g_permissionsHold = setgroups(0, nullptr) == 0 && setgid(nogroup) == 0 && setuid(nobody) == 0;
        // Sanitizers still look at the process after the change of user.
        prctl(PR_SET_DUMPABLE, 1);
    }
    QCoreApplication app(argc, argv);
    TestLearningRecord test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_learningrecord.moc"
