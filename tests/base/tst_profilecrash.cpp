// Kills a process at random moments while it writes settings, and checks
// after every kill that the file is whole: every key holds the value of the
// last write that finished or of the one that was under way, never less.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

#include "base/profile.h"

namespace {

constexpr int kKeys = 12;

QString keyName(int k) {
    return QStringLiteral("Key%1").arg(k);
}

// The writer: rewrites every key again and again with a growing number.
int runWriter(const QString& path) {
    CProfile profile(path);
    const int start = profile.GetInt("Run", "Round", 0);
    for (int round = start + 1;; ++round) {
        for (int k = 0; k < kKeys; ++k)
            profile.WriteText(QStringLiteral("S%1").arg(k % 3), keyName(k), QStringLiteral("v%1").arg(round));
        profile.WriteInt("Run", "Round", round);
        // Tell the test that writing is under way, so every kill lands amid writes.
        if (round == start + 1) {
            std::fputs("writing\n", stdout);
            std::fflush(stdout);
        }
    }
}

} // namespace

class TestProfileCrash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWritersNeverLeaveACutFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("ollo.INI");
        CProfile profile(path);
        for (int k = 0; k < kKeys; ++k)
            QVERIFY(profile.WriteText(QStringLiteral("S%1").arg(k % 3), keyName(k), "v0"));
        QVERIFY(profile.WriteText("Extra", "Untouched", QString::fromUtf8("bleibt, wie es ist – ä")));

        QList<int> lastSeen(kKeys, 0);
        const QRegularExpression valueForm("^v(\\d+)$");
        int kills = 0;
        for (; kills < 220; ++kills) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), {"--writer", path});
            QVERIFY(writer.waitForStarted());
            QVERIFY(writer.waitForReadyRead(30000));
            QTest::qWait(int(QRandomGenerator::global()->bounded(0, 20)));
            writer.kill();
            QVERIFY(writer.waitForFinished());

            const int round = profile.GetInt("Run", "Round", -1);
            QVERIFY(round >= 1);
            for (int k = 0; k < kKeys; ++k) {
                const QString value =
                    profile.GetText(QStringLiteral("S%1").arg(k % 3), keyName(k), "missing");
                const auto m = valueForm.match(value);
                QVERIFY2(m.hasMatch(), qPrintable(QStringLiteral("key %1 reads '%2'").arg(k).arg(value)));
                const int n = m.captured(1).toInt();
                QVERIFY2(n >= lastSeen[k], "a key went back to an older value");
                // At most the round under way is ahead of the finished one.
                QVERIFY(n <= round + 1);
                lastSeen[k] = n;
            }
            QCOMPARE(profile.GetText("Extra", "Untouched"), QString::fromUtf8("bleibt, wie es ist – ä"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().endsWith("\r\n"));
        }
        QVERIFY(kills >= 200);
        QVERIFY2(lastSeen[0] > 0, "the writer never got a write done");
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestProfileCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_profilecrash.moc"
