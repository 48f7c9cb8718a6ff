// Kills a process at random moments while it writes settings, and checks
// after every kill that the file is whole: every key holds the value of the
// last write that finished or of the one that was under way, never less.
// Fills the disk under a write, and checks that the old file stays whole and
// the write says it failed.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include "base/profile.h"
#include "common/filecontents.h"

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

const QByteArray kOldSettings = "[Parameter]\r\nSound=1\r\n[Lobe]\r\nAnzahl=1\r\nLob1=Prima\r\n";

// A list of praise far longer than the old file, in one write.
CProfile::Changes longList() {
    CProfile::Changes changes;
    for (int i = 1; i <= 2000; ++i)
        changes.WriteText("Lobe", QStringLiteral("Lob%1").arg(i),
                          QStringLiteral("Ein langer Satz zum Loben, Nummer %1").arg(i));
    changes.WriteInt("Lobe", "Anzahl", 2000);
    return changes;
}

// The child of the file size rows: its files may grow to limit bytes; past
// that a write fails, or the process is killed unless it ignores the signal.
int runLimited(const QString& path, rlim_t limit, bool ignoreSignal) {
    if (ignoreSignal)
        std::signal(SIGXFSZ, SIG_IGN);
    const rlimit fileSize{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
        return 3;
    CProfile profile(path);
    const bool stored = profile.Write(longList());
    std::printf("%s %s\n", stored ? "stored" : "refused", qUtf8Printable(profile.WriteError()));
    return 0;
}

// Fills the file system that holds folder to the last byte.
void fill(const QString& folder) {
    const int fd = ::open(qPrintable(QDir(folder).filePath("filler")), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    const QByteArray block(4096, 'x');
    while (::write(fd, block.constData(), std::size_t(block.size())) > 0) {
    }
    const int error = errno;
    ::close(fd);
    QCOMPARE(error, ENOSPC);
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

    void fullDiskKeepsTheOldFile_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("file size limit: the write fails") << "limit";
        QTest::newRow("file size limit: the writer is killed") << "limit, killed";
        QTest::newRow("full tmpfs (as root)") << "tmpfs";
    }
    void fullDiskKeepsTheOldFile() {
        QFETCH(QString, how);
        QTemporaryDir dir;
        QString folder = dir.path();
        bool mounted = false;
        const auto unmount = qScopeGuard([&] {
            if (mounted)
                ::umount2(qPrintable(folder), MNT_DETACH);
        });
        if (how == "tmpfs") {
            if (::geteuid() != 0)
                QSKIP("only root can mount a small tmpfs to fill up");
            folder = dir.filePath("disk");
            QVERIFY(QDir().mkpath(folder));
            if (::mount("tmpfs", qPrintable(folder), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
                QSKIP(qPrintable(QStringLiteral("no tmpfs could be mounted: %1").arg(std::strerror(errno))));
            mounted = true;
        }
        const QString path = QDir(folder).filePath("ollo.INI");
        writeAll(path, kOldSettings);

        QString answer;
        if (how == "tmpfs") {
            fill(folder);
            CProfile profile(path);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not write the settings file"));
            answer = profile.Write(longList()) ? QStringLiteral("stored") : "refused " + profile.WriteError();
        } else {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {"--limited", path, QString::number(4 * kOldSettings.size()),
                         how == "limit" ? "ignore" : "die"});
            QVERIFY(child.waitForFinished(30000));
            answer = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
            if (how == "limit")
                QCOMPARE(child.exitCode(), 0);
            else
                QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        }
        QCOMPARE(readAll(path), kOldSettings);
        if (how != "limit, killed") {
            QVERIFY2(answer.startsWith("refused") && answer.contains(QString::fromUtf8("kein Platz")),
                     qPrintable(answer));
            QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
            left.removeAll("filler");
            QCOMPARE(left, QStringList{"ollo.INI"});
        }
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]));
    if (argc == 5 && std::strcmp(argv[1], "--limited") == 0)
        return runLimited(QString::fromLocal8Bit(argv[2]), rlim_t(std::atol(argv[3])),
                          std::strcmp(argv[4], "ignore") == 0);
    QCoreApplication app(argc, argv);
    TestProfileCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_profilecrash.moc"
