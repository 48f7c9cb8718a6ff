#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

#include "base/clock.h"
#include "base/cp1252.h"
#include "base/profile.h"
#include "common/filecontents.h"
#include "pictures/picturefile.h"
#include "rewards/jokefile.h"
#include "rewards/jokerewarddlg.h"
#include "rewards/picturerewarddlg.h"
#include "rewardseeds.h"

// The content a family gets, as shipped in data/: every joke within the
// limits of the joke reward, every listed picture readable, every sound a
// plain PCM WAV, and both rewards drawn from it as a child would see them.
// With OLLO_SCREENSHOT_DIR set, the rendered rewards are saved there as PNG.

namespace {

const QString kDataDir = QStringLiteral(OLLO_SOURCE_DATA_DIR);

QStringList jokeFiles() {
    return QDir(kDataDir).entryList({"witz*.txt"}, QDir::Files, QDir::Name);
}

// What is wrong with a RIFF WAVE file for a plain PCM player, or empty.
QString wavFault(const QByteArray& file, double* seconds) {
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return "no RIFF WAVE header";
    if (qFromLittleEndian<quint32>(file.constData() + 4) + 8 != quint32(file.size()))
        return "RIFF size does not match the file";
    qsizetype at = 12;
    int channels = 0, rate = 0, bits = 0, blockAlign = 0;
    quint32 dataBytes = 0;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + at + 4);
        if (at + 8 + qint64(size) > file.size())
            return "chunk " + QString::fromLatin1(id) + " runs past the end";
        const char* body = file.constData() + at + 8;
        if (id == "fmt ") {
            if (size < 16)
                return "short fmt chunk";
            if (qFromLittleEndian<quint16>(body) != 1)
                return "not PCM";
            channels = qFromLittleEndian<quint16>(body + 2);
            rate = int(qFromLittleEndian<quint32>(body + 4));
            blockAlign = qFromLittleEndian<quint16>(body + 12);
            bits = qFromLittleEndian<quint16>(body + 14);
        } else if (id == "data") {
            if (channels == 0)
                return "data before fmt";
            dataBytes = size;
        }
        at += 8 + size + (size & 1);
    }
    if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 8000 || rate > 48000)
        return QStringLiteral("unusual format: %1 channels, %2 bits, %3 Hz")
            .arg(channels)
            .arg(bits)
            .arg(rate);
    if (blockAlign != channels * bits / 8 || dataBytes == 0 || dataBytes % blockAlign != 0)
        return "no whole frames";
    *seconds = double(dataBytes) / blockAlign / rate;
    return {};
}

} // namespace

class TestRewardContent : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProfile> m_profile;
    QString m_oldCurrent;

    void save(const QImage& shot, const QString& name) {
        const QString folder = qEnvironmentVariable("OLLO_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(shot.save(QDir(folder).filePath(name)));
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::copy(kDataDir + "/default.INI", m_dir->filePath("ollo.INI")));
        QFile::setPermissions(m_dir->filePath("ollo.INI"), QFile::ReadOwner | QFile::WriteOwner);
        m_profile = std::make_unique<CProfile>(m_dir->filePath("ollo.INI"));
        m_oldCurrent = QDir::currentPath();
        // The program finds its content in the working directory.
        QVERIFY(QDir::setCurrent(kDataDir));
        m_profile->WriteInt("Parameter", "Sound", 0);
        Clock::SetSource([] { return std::int64_t(1000); });
    }
    void cleanup() {
        Clock::SetSource({});
        QDir::setCurrent(m_oldCurrent);
        m_profile.reset();
        m_dir.reset();
    }

    void jokeCountMatchesTheFiles() {
        const QStringList files = jokeFiles();
        QVERIFY(files.size() >= 15);
        QCOMPARE(m_profile->GetInt("Parameter", "Witze", 0), files.size());
        for (int j = 1; j <= files.size(); ++j)
            QVERIFY2(files.contains(JokeFileName(j)), qPrintable(JokeFileName(j)));
    }

    void jokesWithinLimits_data() {
        QTest::addColumn<QString>("file");
        for (const QString& file : jokeFiles())
            QTest::newRow(qPrintable(file)) << file;
    }
    void jokesWithinLimits() {
        QFETCH(QString, file);
        const QByteArray bytes = readAll(file);
        QVERIFY(bytes.endsWith("\r\n"));
        QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());
        QVERIFY2(lines.size() >= 1 && lines.size() <= 8, qPrintable(QString::number(lines.size())));
        for (QByteArray line : std::as_const(lines)) {
            QVERIFY(line.endsWith('\r'));
            line.chop(1);
            QVERIFY2(line.size() <= 56, line.constData());
            for (const char c : std::as_const(line)) {
                const auto b = static_cast<unsigned char>(c);
                // Printable Windows-1252 only: no control bytes, no unassigned ones.
                QVERIFY2(b >= 0x20 && b != 0x7f && b != 0x81 && b != 0x8d && b != 0x8f && b != 0x90 &&
                             b != 0x9d,
                         line.constData());
            }
            QVERIFY2(!FromCp1252(line).trimmed().isEmpty() || line.isEmpty(), line.constData());
        }
        // Read as the joke reward reads it: one entry per line and the empty
        // one after the last line end.
        const std::optional<QStringList> entries = ReadJokeFile(file);
        QVERIFY(entries);
        QCOMPARE(entries->size(), lines.size() + 1);
    }

    void picturesReadable_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("reward");
        const CProfile defaults(kDataDir + "/default.INI");
        const int rewards = defaults.GetInt("Bilder", "Anzahl", 0);
        const int backdrops = defaults.GetInt("Bilder", "AnzahlHinter", 0);
        for (int k = 0; k <= std::max(rewards - 1, backdrops); ++k)
            QTest::newRow(qPrintable(QStringLiteral("Bild%1").arg(k))) << k << (k < rewards);
    }
    void picturesReadable() {
        QFETCH(int, number);
        QFETCH(bool, reward);
        QVERIFY(m_profile->GetInt("Bilder", "Anzahl", 0) >= 12);
        const QString name = m_profile->GetText("Bilder", QStringLiteral("Bild%1").arg(number));
        QVERIFY(!name.isEmpty());
        QVERIFY2(QFileInfo(name).isRelative() && QFile::exists(name), qPrintable(name));
        const PictureHandle picture = ReadBmpOrGif(name);
        QVERIFY2(picture, qPrintable(name));
        if (reward)
            QVERIFY2(GetDIBWidth(picture) <= 600 && GetDIBHeight(picture) <= 400, qPrintable(name));
    }

    void backdropsAreBmp_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("covers"); // drawn unscaled: covers every client area this size
        // The joke window's client area is its outer size less the frame.
        QTest::newRow("joke") << "joke.bmp" << CJokeRewardDlg::kOuterSize;
        QTest::newRow("drill") << "background.bmp" << QSize();
        QTest::newRow("main window")
            << CProfile(kDataDir + "/default.INI").GetText("Parameter", "Hintergrundbild", "maus.bmp")
            << QSize();
    }
    void backdropsAreBmp() {
        QFETCH(QString, file);
        QFETCH(QSize, covers);
        QVERIFY(IsBMPFile(file));
        const PictureHandle picture = ReadDIB(file);
        QVERIFY(picture);
        QVERIFY(GetDIBWidth(picture) >= covers.width() && GetDIBHeight(picture) >= covers.height());
    }

    void soundsArePcmWav_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("shortest");
        QTest::addColumn<double>("longest");
        const QStringList wavs = QDir(kDataDir).entryList({"*.wav"}, QDir::Files, QDir::Name);
        for (const char* needed : {"drum.wav", "gemein.wav", "applaus.wav", "lachen.wav"})
            QVERIFY2(wavs.contains(needed), needed);
        for (const QString& wav : wavs) {
            const bool long_ = wav == "applaus.wav" || wav == "lachen.wav";
            QTest::newRow(qPrintable(wav)) << wav << (long_ ? 1.5 : 0.3) << (long_ ? 3.0 : 2.5);
        }
    }
    void soundsArePcmWav() {
        QFETCH(QString, file);
        double seconds = 0;
        const QString fault = wavFault(readAll(file), &seconds);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QFETCH(double, shortest);
        QFETCH(double, longest);
        QVERIFY2(seconds >= shortest && seconds <= longest, qPrintable(QString::number(seconds)));
    }

    // Every shipped picture as the reward shows it.
    void pictureRewards() {
        const int count = m_profile->GetInt("Bilder", "Anzahl", 0);
        for (int k = 0; k < count; ++k) {
            Clock::SetSource([s = SecondsForDraw(count, k)] { return s; });
            CPictureRewardDlg dialog(*m_profile);
            const QImage shot = dialog.grab().toImage();
            const QColor background = dialog.palette().color(QPalette::Window);
            QVERIFY(shot.pixelColor(shot.width() / 2, shot.height() / 2) != background);
            save(shot, QStringLiteral("picture-reward-%1.png").arg(k));
        }
    }

    // Every shipped joke as the reward shows it: the text stays on the
    // backdrop and above the button row.
    void jokeRewards() {
        const int count = m_profile->GetInt("Parameter", "Witze", 0);
        m_profile->WriteInt("Parameter", "Witze", 0);
        const QImage backdrop = CJokeRewardDlg(*m_profile).grab().toImage();
        m_profile->WriteInt("Parameter", "Witze", count);
        const QImage picture = ReadDIB("joke.bmp").image();
        for (int j = 1; j <= count; ++j) {
            Clock::SetSource([s = SecondsForDraw(count, j)] { return s; });
            CJokeRewardDlg dialog(*m_profile);
            QVERIFY(!dialog.jokeLines().isEmpty());
            const QImage shot = dialog.grab().toImage();
            QCOMPARE(shot.size(), backdrop.size());
            int right = 0, bottom = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (shot.pixel(x, y) != backdrop.pixel(x, y)) {
                        right = std::max(right, x);
                        bottom = std::max(bottom, y);
                    }
            QVERIFY2(right > 0, "no text drawn");
            QVERIFY2(right < std::min(shot.width(), picture.width()) - 10,
                     qPrintable(QString::number(right)));
            QVERIFY2(bottom < CJokeRewardDlg::kButtonRowY, qPrintable(QString::number(bottom)));
            save(shot, QStringLiteral("joke-reward-%1.png").arg(j));
        }
    }
};

QTEST_MAIN(TestRewardContent)
#include "tst_rewardcontent.moc"
