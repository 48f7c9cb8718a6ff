// Kills a process at random moments while it records drills, and checks
// after every kill that the record opens as it is (nothing set aside as
// damaged), passes SQLite's integrity check, and holds every answer the
// process had reported as written, and at most the one under way besides.

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

#include "common/recordrows.h"
#include "record/learningrecord.h"

namespace {

// The writer: drills of ten tasks without end, each answer typed as
// "<run>-<n>", and "<n>" printed once that answer has been committed.
int runWriter(const QString& path, const QString& run) {
    CLearningRecord record(path);
    if (!record.open())
        return 1;
    for (int n = 1;;) {
        record.beginDrill(32777, QStringLiteral("7-er Reihe"), Record::Operation::Multiplication, 7, 10);
        for (int task = 1; task <= 10; ++task, ++n) {
            record.addTask(task, {Record::Operation::Multiplication, task, 7},
                           QStringLiteral("%1 X 7 = ??").arg(task), QString::number(task * 7));
            record.addAnswer(QStringLiteral("%1-%2").arg(run).arg(n), Record::Answer::Right, 1000);
            if (!record.canWrite())
                return 2;
            std::printf("%d\n", n);
            std::fflush(stdout);
        }
        record.endDrill(Record::DrillEnd::AllDone);
    }
}

} // namespace

class TestRecordCrash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWritersLeaveEveryReportedAnswer() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ollo.sqlite"));
        int total = 0;
        for (int run = 1; run <= 40; ++run) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--writer"), path, QString::number(run)});
            QVERIFY(writer.waitForStarted());
            QVERIFY(writer.waitForReadyRead(30000));
            QTest::qWait(int(QRandomGenerator::global()->bounded(0, 150)));
            writer.kill();
            QVERIFY(writer.waitForFinished());
            const QList<QByteArray> lines = writer.readAllStandardOutput().trimmed().split('\n');
            const int reported = lines.last().toInt();
            QVERIFY(reported >= 1);

            {
                CLearningRecord record(path);
                QVERIFY(record.open());
                QVERIFY(record.setAsidePath().isEmpty());
            }
            QCOMPARE(RecordRows(path, QStringLiteral("PRAGMA integrity_check")),
                     QStringList{QStringLiteral("ok")});
            const QStringList written = RecordRows(
                path, QStringLiteral(
                          "SELECT count(*), coalesce(max(CAST(substr(typed, %1) AS INTEGER)), 0) FROM answer"
                          " WHERE typed LIKE '%2-%'")
                          .arg(QString::number(run).size() + 2)
                          .arg(run));
            const QStringList counts = written.value(0).split(u'|');
            const int count = counts.value(0).toInt();
            QVERIFY2(
                count >= reported && count <= reported + 1,
                qPrintable(
                    QStringLiteral("run %1: %2 reported, %3 written").arg(run).arg(reported).arg(count)));
            // Without a gap: the highest number written is the count.
            QCOMPARE(counts.value(1).toInt(), count);
            total += count;
        }
        QCOMPARE(RecordRows(path, QStringLiteral("SELECT count(*) FROM answer")).value(0).toInt(), total);
    }
};

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        return runWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestRecordCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordcrash.moc"
