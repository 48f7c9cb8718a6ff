// Damaged files of every kind the program reads: each must give its
// documented result (defaults, no picture, no joke, no sound) and nothing
// else — no crash, no hang, no setting lost.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "base/profile.h"
#include "base/wavsound.h"
#include "common/filecontents.h"
#include "sound/soundplayer.h"
#include "rewards/jokefile.h"

namespace {

QString corpus(const QString& folder) {
    return QStringLiteral(OLLO_CORPUS_DIR "/") + folder;
}

} // namespace

class TestBrokenInputs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingsFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sound");
        QTest::newRow("binary") << "binary.ini" << -7;
        QTest::newRow("NUL bytes") << "nul-bytes.ini" << 1;
        QTest::newRow("odd lines: only the first [Parameter] counts") << "odd-lines.ini" << -7;
        QTest::newRow("CR line ends") << "cr-only.ini" << 1;
        QTest::newRow("LF and no last line end") << "lf-only-no-end.ini" << 1;
        QTest::newRow("UTF-8 with byte order mark") << "utf8-with-bom.ini" << -7;
        QTest::newRow("UTF-8 without byte order mark") << "utf8-no-bom.ini" << 1;
        QTest::newRow("UTF-16") << "utf16.ini" << -7;
        QTest::newRow("empty") << "empty.ini" << -7;
        QTest::newRow("3000 sections") << "many-sections.ini" << -7;
    }
    void settingsFiles() {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ollo.INI"));
        QVERIFY(QFile::copy(corpus("settings/") + file, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        CProfile profile(path);
        QTEST(profile.GetInt("Parameter", "Sound", -7), "sound");

        // A write keeps every other value the file held.
        const QStringList probes = {"Parameter/Aufgaben",
                                    "Parameter/Witze",
                                    "Parameter/Belohnungsart",
                                    "Lobe/Anzahl",
                                    "Lobe/Lob1",
                                    "S2999/k",
                                    "a]b/k",
                                    "Parameter/Hintergrundbild"};
        QStringList before;
        for (const QString& probe : probes)
            before << profile.GetText(probe.section('/', 0, 0), probe.section('/', 1), "-");
        QVERIFY(profile.WriteInt("Parameter", "Sound", 1));
        QCOMPARE(profile.GetInt("Parameter", "Sound", 0), 1);
        for (qsizetype i = 0; i < probes.size(); ++i)
            QCOMPARE(profile.GetText(probes[i].section('/', 0, 0), probes[i].section('/', 1), "-"),
                     before[i]);
    }

    // A file a parent saved from a current editor: read as UTF-8, written
    // back in UTF-8, its byte order mark kept or left out as found.
    void utf8SettingsStayUtf8_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("byteOrderMark");
        QTest::newRow("with byte order mark") << "utf8-with-bom.ini" << true;
        QTest::newRow("without byte order mark") << "utf8-no-bom.ini" << false;
    }
    void utf8SettingsStayUtf8() {
        QFETCH(QString, file);
        QFETCH(bool, byteOrderMark);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ollo.INI"));
        QVERIFY(QFile::copy(corpus("settings/") + file, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        CProfile profile(path);
        QCOMPARE(profile.GetInt("Lobe", "Anzahl", 0), 1);
        QCOMPARE(profile.GetText("Lobe", "Lob1"), QString::fromUtf8("Schön"));
        QVERIFY(profile.WriteText("Lobe", "Lob2", QString::fromUtf8("Grüße Ω")));
        const QByteArray after = readAll(path);
        QCOMPARE(after.startsWith("\xEF\xBB\xBF"), byteOrderMark);
        QVERIFY(after.contains("Lob1=Sch\xc3\xb6n\r\nLob2=Gr\xc3\xbc\xc3\x9f"
                               "e \xce\xa9\r\n"));
        QCOMPARE(profile.GetText("Lobe", "Lob2"), QString::fromUtf8("Grüße Ω"));
    }

    void jokeFiles_data() {
        QTest::addColumn<QString>("file");
        const QDir dir(corpus("jokes"));
        for (const QString& name : dir.entryList(QDir::Files))
            QTest::newRow(qPrintable(name)) << name;
    }
    void jokeFiles() {
        QFETCH(QString, file);
        const std::optional<QStringList> lines = ReadJokeFile(corpus("jokes/") + file);
        QVERIFY(lines);
        QVERIFY(!lines->isEmpty());
        const qsizetype bytes = QFileInfo(corpus("jokes/") + file).size();
        QVERIFY(lines->size() <= bytes / 1 + 1);
        for (const QString& line : *lines) {
            QVERIFY(line.size() <= 58);
            QVERIFY(!line.contains(u'\r'));
            QVERIFY(!line.endsWith(u'\n'));
        }
    }

    void missingJokeFile() {
        QVERIFY(!ReadJokeFile(corpus("jokes/does-not-exist.txt")));
        QVERIFY(!ReadJokeFile(corpus("jokes")));
    }

    void wavFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qsizetype>("frames"); // 0 = nothing to play
        QTest::newRow("truncated header") << "truncated-header.wav" << qsizetype(0);
        QTest::newRow("cut before the samples") << "truncated-before-data.wav" << qsizetype(0);
        QTest::newRow("ADPCM") << "adpcm.wav" << qsizetype(0);
        QTest::newRow("MP3 in a WAV") << "mp3-in-wav.wav" << qsizetype(0);
        QTest::newRow("no channels") << "zero-channels.wav" << qsizetype(0);
        QTest::newRow("rate 0") << "zero-rate.wav" << qsizetype(0);
        QTest::newRow("12 bits") << "bits-12.wav" << qsizetype(0);
        QTest::newRow("0 bits") << "bits-0.wav" << qsizetype(0);
        QTest::newRow("data size lies: what is there plays") << "huge-data-size.wav" << qsizetype(2000);
        QTest::newRow("RIFF size lies, no samples") << "huge-riff-size.wav" << qsizetype(0);
        QTest::newRow("format chunk too short") << "fmt-too-short.wav" << qsizetype(0);
        QTest::newRow("no format chunk") << "no-fmt-chunk.wav" << qsizetype(0);
        QTest::newRow("not a RIFF file") << "not-riff.wav" << qsizetype(0);
        QTest::newRow("empty file") << "empty.wav" << qsizetype(0);
        QTest::newRow("no samples") << "empty-data.wav" << qsizetype(0);
    }
    void wavFiles() {
        QFETCH(QString, file);
        QFETCH(qsizetype, frames);
        const std::optional<WavSound> sound = ParseWav(readAll(corpus("wav/") + file));
        QCOMPARE(sound.has_value(), frames > 0);
        if (sound)
            QCOMPARE(sound->frameCount(), frames);
        // Playing it is silent and quick, whatever the file holds.
        const QString oldDir = QDir::currentPath();
        QDir::setCurrent(corpus("wav"));
        PlaySound(file);
        QDir::setCurrent(oldDir);
    }
};

QTEST_MAIN(TestBrokenInputs)
#include "tst_brokeninputs.moc"
