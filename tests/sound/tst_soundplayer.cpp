#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <memory>
#include <numbers>
#include <optional>

#include "base/wavsound.h"
#include "common/fakehost.h"
#include "common/nullsink.h"
#include "kit/moduleloader.h"
#include "kit/soundmodule.h"
#include "sound/soundplayer.h"

namespace {

QByteArray le16(int value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian<quint16>(static_cast<quint16>(value), bytes.data());
    return bytes;
}

QByteArray le32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

QByteArray chunkClaiming(const char* id, const QByteArray& body, quint32 claimedSize) {
    QByteArray chunk = QByteArray(id, 4) + le32(claimedSize) + body;
    if (body.size() % 2 != 0)
        chunk += '\0';
    return chunk;
}

QByteArray chunk(const char* id, const QByteArray& body) {
    return chunkClaiming(id, body, static_cast<quint32>(body.size()));
}

QByteArray riff(const QByteArray& chunks) {
    return "RIFF" + le32(static_cast<quint32>(4 + chunks.size())) + "WAVE" + chunks;
}

constexpr int pcm = 1;
constexpr int ieeeFloat = 3;

QByteArray fmtBody(int tag, int channels, int rate, int bits, int blockAlign) {
    return le16(tag) + le16(channels) + le32(static_cast<quint32>(rate)) +
           le32(static_cast<quint32>(rate * blockAlign)) + le16(blockAlign) + le16(bits);
}

QByteArray fmtChunk(int tag, int channels, int rate, int bits) {
    return chunk("fmt ", fmtBody(tag, channels, rate, bits, channels * bits / 8));
}

const QByteArray guidTail = QByteArray::fromHex("000000001000800000aa00389b71");

QByteArray extensibleChunk(int subTag, int channels, int rate, int bits, const QByteArray& tail = guidTail) {
    const QByteArray extension =
        le16(22) + le16(bits) + le32(channels == 1 ? 0x4 : 0x3) + le16(subTag) + tail;
    return chunk("fmt ", fmtBody(0xFFFE, channels, rate, bits, channels * bits / 8) + extension);
}

// A sample from -1..1 in the file's own encoding.
QByteArray encodeSample(double value, int bits, bool isFloat) {
    if (isFloat) {
        QByteArray bytes(bits / 8, '\0');
        if (bits == 32)
            qToLittleEndian<float>(static_cast<float>(value), bytes.data());
        else
            qToLittleEndian<double>(value, bytes.data());
        return bytes;
    }
    const auto full = static_cast<qint64>(std::lround(value * (std::pow(2.0, bits - 1) - 1)));
    if (bits == 8)
        return QByteArray(1, static_cast<char>(full + 128));
    QByteArray bytes;
    for (int i = 0; i < bits / 8; ++i)
        bytes += static_cast<char>((full >> (8 * i)) & 0xFF);
    return bytes;
}

// A 440 Hz tone at half of full scale.
QByteArray toneWav(double seconds, int rate, int channels, int bits, bool isFloat, bool extensible = false) {
    const int tag = isFloat ? ieeeFloat : pcm;
    QByteArray data;
    const auto frames = static_cast<int>(std::lround(seconds * rate));
    for (int frame = 0; frame < frames; ++frame) {
        const double value = 0.5 * std::sin(2 * std::numbers::pi * 440.0 * frame / rate);
        for (int channel = 0; channel < channels; ++channel)
            data += encodeSample(value, bits, isFloat);
    }
    const QByteArray format =
        extensible ? extensibleChunk(tag, channels, rate, bits) : fmtChunk(tag, channels, rate, bits);
    return riff(format + chunk("data", data));
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

WavSound soundOf(int rate, int channels, const QList<qint16>& samples) {
    WavSound sound{rate, channels, {}};
    for (const qint16 sample : samples)
        sound.samples.append(reinterpret_cast<const char*>(&sample), sizeof sample);
    return sound;
}

QList<qint16> samplesOf(const WavSound& sound) {
    QList<qint16> samples;
    for (qsizetype i = 0; i + 1 < sound.samples.size(); i += 2)
        samples.append(qFromUnaligned<qint16>(sound.samples.constData() + i));
    return samples;
}

// What a capture held: the time from the first to the last loud sample, and
// the time covered by 5 ms windows that hold a loud sample (gaps excluded).
struct Heard {
    double span = 0;
    double loud = 0;
};

Heard measure(const WavSound& capture) {
    constexpr int threshold = 3277; // a tenth of full scale; the tones peak at a half
    const int window = capture.sampleRate / 200;
    qsizetype first = -1;
    qsizetype last = -1;
    qsizetype loudWindows = 0;
    bool windowLoud = false;
    const QList<qint16> samples = samplesOf(capture);
    for (qsizetype frame = 0; frame < capture.frameCount(); ++frame) {
        if (frame % window == 0) {
            loudWindows += windowLoud ? 1 : 0;
            windowLoud = false;
        }
        if (std::abs(samples[frame * capture.channelCount]) > threshold) {
            first = first < 0 ? frame : first;
            last = frame;
            windowLoud = true;
        }
    }
    loudWindows += windowLoud ? 1 : 0;
    if (first < 0)
        return {};
    return {double(last - first + 1) / capture.sampleRate, double(loudWindows) * window / capture.sampleRate};
}

const char* const childVariable = "OLLO_SOUND_TEST_CHILD";

} // namespace

class TestSoundPlayer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    // First: it needs a process whose sound back end has not played yet.
    void firstSoundStartsAtOnce();

    void parsesPlayableFiles_data();
    void parsesPlayableFiles();
    void refusesOtherFiles_data();
    void refusesOtherFiles();
    void convertsForDevice_data();
    void convertsForDevice();
    void hostHearsEveryRequest();
    void playsWithoutServer();

    void playsWholeSound_data();
    void playsWholeSound();
    void playsProgramSounds_data();
    void playsProgramSounds();
    void newSoundReplacesOld();
    void serverGoneWhilePlaying();

private:
    bool startServer();
    void stopServer();
    void startCapture();
    Heard stopCapture();
    // Bytes in the capture file so far; the capture records 16-bit stereo at 44.1 kHz.
    qint64 captured() const;
    static constexpr qint64 kCaptureBytesPerSecond = 44100 * 2 * 2;
    // Until the player has let go of the device and the capture holds a
    // fifth of a second more, so the sound's end is in the file.
    void waitForSoundToEnd();
    bool serverHasStream() const;
    // Seconds from the first loud sample to the end of the capture so far,
    // read from the growing file (16-bit stereo after its "data" tag).
    double heardSoFar() const;

    QTemporaryDir m_serverDir;
    QString m_skipReason;
    NullSinkServer m_sink;
    std::unique_ptr<QProcess> m_capture;

    std::unique_ptr<QTemporaryDir> m_soundDir;
    QString m_previousDir;
};

void TestSoundPlayer::initTestCase() {
    QVERIFY(m_serverDir.isValid());
    // Never play into the speakers of whoever runs the tests: without a
    // private server of our own every sound goes nowhere.
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(m_serverDir.filePath("none")));
    const QString clientConfig = m_serverDir.filePath("client.conf");
    QVERIFY(writeFile(clientConfig, "autospawn = no\n"));
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(clientConfig));
    if (qEnvironmentVariableIsSet(childVariable))
        return;
    if (!startServer()) {
        stopServer();
        return;
    }
    qputenv("PULSE_SERVER", m_sink.environment().value("PULSE_SERVER").toLocal8Bit());
}

bool TestSoundPlayer::startServer() {
    m_skipReason = m_sink.start(m_serverDir.path(), QStringLiteral("playback"));
    return m_skipReason.isEmpty();
}

void TestSoundPlayer::stopServer() {
    StopHelper(m_capture);
    m_sink.stop();
}

void TestSoundPlayer::cleanupTestCase() {
    stopServer();
}

void TestSoundPlayer::init() {
    m_soundDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_soundDir->isValid());
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_soundDir->path()));
}

void TestSoundPlayer::cleanup() {
    QDir::setCurrent(m_previousDir);
    m_soundDir.reset();
}

// As the program plays its first sound: a drill that opens with sound on
// has the module loaded in the background and the player connected, and the
// first answer's sound then starts, whole. How soon it starts is measured by
// scripts/bench.sh (bench_sound), against its target.
void TestSoundPlayer::firstSoundStartsAtOnce() {
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QVERIFY(writeFile("klang.wav", toneWav(0.3, 44100, 1, 16, false)));
    const QStringList folders{QStringLiteral(OLLO_MODULE_FOLDER)};
    SoundModule* sound = nullptr;
    PreloadModule(QStringLiteral("ollo-sound"), folders, this, [&] {
        sound = LoadModule<SoundModule>(QStringLiteral("ollo-sound"), folders);
        if (sound != nullptr)
            sound->prepare();
    });
    QTRY_VERIFY_WITH_TIMEOUT(sound != nullptr, 15000);

    startCapture();
    QElapsedTimer sinceAnswer;
    sinceAnswer.start();
    sound->playSound(QStringLiteral("klang.wav"));
    QTRY_VERIFY_WITH_TIMEOUT(heardSoFar() > 0, 10000);
    // What the capture holds since the sound began goes back from now to
    // its start; the capture's own lag only makes the start look later.
    const double startMs = double(sinceAnswer.elapsed()) - heardSoFar() * 1000;
    QTRY_VERIFY_WITH_TIMEOUT(heardSoFar() > 0.6, 10000);
    const Heard heard = stopCapture();
    qInfo("first sound started %.0f ms after it was asked for; heard %.3f s of 0.3 s", startMs, heard.span);
    QVERIFY2(heard.span > 0.29 && heard.span < 0.4, qPrintable(QString::number(heard.span)));
}

void TestSoundPlayer::parsesPlayableFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QList<qint16>>("samples");

    QTest::newRow("8 bit, unsigned around 128")
        << riff(fmtChunk(pcm, 1, 11025, 8) + chunk("data", QByteArray::fromHex("80ff0001"))) << 11025 << 1
        << QList<qint16>{0, 32512, -32768, -32512};
    QTest::newRow("16 bit stereo") << riff(
                                          fmtChunk(pcm, 2, 44100, 16) +
                                          chunk("data", le16(0x1234) + le16(-2) + le16(32767) + le16(-32768)))
                                   << 44100 << 2 << QList<qint16>{0x1234, -2, 32767, -32768};
    QTest::newRow("24 bit keeps the top 16 bits")
        << riff(fmtChunk(pcm, 1, 48000, 24) + chunk("data", QByteArray::fromHex("563412ffffff000080")))
        << 48000 << 1 << QList<qint16>{0x1234, -1, -32768};
    QTest::newRow("32 bit integer") << riff(fmtChunk(pcm, 1, 96000, 32) +
                                            chunk("data",
                                                  le32(0x7fffffff) + le32(0x80000000) + le32(0x00010000)))
                                    << 96000 << 1 << QList<qint16>{32767, -32768, 1};
    QTest::newRow("32 bit float, clipped to full scale")
        << riff(fmtChunk(ieeeFloat, 1, 22050, 32) +
                chunk("data", encodeSample(0.5, 32, true) + encodeSample(-1.0, 32, true) +
                                  encodeSample(2.0, 32, true) + encodeSample(-3.0, 32, true)))
        << 22050 << 1 << QList<qint16>{16384, -32767, 32767, -32767};
    QTest::newRow("64 bit float") << riff(fmtChunk(ieeeFloat, 1, 8000, 64) +
                                          chunk("data",
                                                encodeSample(0.25, 64, true) + encodeSample(-0.25, 64, true)))
                                  << 8000 << 1 << QList<qint16>{8192, -8192};
    QTest::newRow("extensible 24 bit stereo")
        << riff(extensibleChunk(pcm, 2, 48000, 24) + chunk("data", QByteArray::fromHex("000040000080")))
        << 48000 << 2 << QList<qint16>{0x4000, -32768};
    QTest::newRow("extensible float")
        << riff(extensibleChunk(ieeeFloat, 1, 44100, 32) + chunk("data", encodeSample(-0.5, 32, true)))
        << 44100 << 1 << QList<qint16>{-16384};
    QTest::newRow("other chunks of odd length are skipped")
        << riff(chunk("LIST", "abc") + fmtChunk(pcm, 1, 8000, 16) + chunk("fact", le32(1)) +
                chunk("data", le16(7)))
        << 8000 << 1 << QList<qint16>{7};
    QTest::newRow("data cut short plays its whole frames")
        << riff(fmtChunk(pcm, 2, 8000, 16))
               .append(QByteArray("data") + le32(400) + le16(1) + le16(2) + le16(3))
        << 8000 << 2 << QList<qint16>{1, 2};
    QTest::newRow("data claiming 4 GB plays what is there")
        << riff(fmtChunk(pcm, 1, 8000, 8) + chunkClaiming("data", QByteArray::fromHex("c040"), 0xffffffff))
        << 8000 << 1 << QList<qint16>{0x4000, -0x4000};
    QTest::newRow("fmt longer than 16 bytes")
        << riff(chunk("fmt ", fmtBody(pcm, 1, 8000, 16, 2) + le16(0)) + chunk("data", le16(-5))) << 8000 << 1
        << QList<qint16>{-5};
}

void TestSoundPlayer::parsesPlayableFiles() {
    QFETCH(QByteArray, file);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(QList<qint16>, samples);

    const std::optional<WavSound> sound = ParseWav(file);
    QVERIFY(sound);
    QCOMPARE(sound->sampleRate, rate);
    QCOMPARE(sound->channelCount, channels);
    QCOMPARE(samplesOf(*sound), samples);
    QCOMPARE(sound->frameCount(), samples.size() / channels);
}

void TestSoundPlayer::refusesOtherFiles_data() {
    QTest::addColumn<QByteArray>("file");

    const QByteArray data = chunk("data", le16(1) + le16(2));
    const QByteArray good = riff(fmtChunk(pcm, 1, 8000, 16) + data);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("Hallo, hier spricht kein Klang.");
    QTest::newRow("big-endian RIFX") << QByteArray(good).replace(0, 4, "RIFX");
    QTest::newRow("not WAVE") << QByteArray(good).replace(8, 4, "AVI ");
    QTest::newRow("header cut inside fmt") << good.left(30);
    QTest::newRow("header only") << riff({});
    QTest::newRow("no data chunk") << riff(fmtChunk(pcm, 1, 8000, 16));
    QTest::newRow("data before fmt") << riff(data + fmtChunk(pcm, 1, 8000, 16));
    QTest::newRow("zero-length data") << riff(fmtChunk(pcm, 1, 8000, 16) + chunk("data", {}));
    QTest::newRow("less than one frame") << riff(fmtChunk(pcm, 2, 8000, 16) + chunk("data", le16(1)));
    QTest::newRow("fmt shorter than 16 bytes")
        << riff(chunk("fmt ", fmtBody(pcm, 1, 8000, 16, 2).left(14)) + data);
    QTest::newRow("fmt claiming more than the file")
        << riff(chunkClaiming("fmt ", fmtBody(pcm, 1, 8000, 16, 2), 1000) + data);
    QTest::newRow("ADPCM") << riff(fmtChunk(2, 1, 8000, 4) + data);
    QTest::newRow("mu-law") << riff(fmtChunk(7, 1, 8000, 8) + data);
    QTest::newRow("12 bit") << riff(chunk("fmt ", fmtBody(pcm, 1, 8000, 12, 2)) + data);
    QTest::newRow("16 bit float") << riff(fmtChunk(ieeeFloat, 1, 8000, 16) + data);
    QTest::newRow("no channels") << riff(chunk("fmt ", fmtBody(pcm, 0, 8000, 16, 2)) + data);
    QTest::newRow("three channels") << riff(fmtChunk(pcm, 3, 8000, 16) + chunk("data", QByteArray(12, '\1')));
    QTest::newRow("rate 0") << riff(fmtChunk(pcm, 1, 0, 16) + data);
    QTest::newRow("rate 4 GHz") << riff(fmtChunk(pcm, 1, -1, 16) + data);
    QTest::newRow("block align disagrees") << riff(chunk("fmt ", fmtBody(pcm, 1, 8000, 16, 4)) + data);
    QTest::newRow("extensible, foreign GUID")
        << riff(extensibleChunk(pcm, 1, 8000, 16, QByteArray(14, '\x55')) + data);
    QTest::newRow("extensible, cut short")
        << riff(chunk("fmt ", fmtBody(0xFFFE, 1, 8000, 16, 2) + le16(22) + le16(16)) + data);
}

void TestSoundPlayer::refusesOtherFiles() {
    QFETCH(QByteArray, file);
    QVERIFY(!ParseWav(file));
}

void TestSoundPlayer::convertsForDevice_data() {
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QList<qint16>>("samples");
    QTest::addColumn<int>("toRate");
    QTest::addColumn<int>("toChannels");
    QTest::addColumn<QList<qint16>>("expected");

    QTest::newRow("same format") << 8000 << 1 << QList<qint16>{1, -2, 3} << 8000 << 1
                                 << QList<qint16>{1, -2, 3};
    QTest::newRow("mono to stereo") << 8000 << 1 << QList<qint16>{100, -200} << 8000 << 2
                                    << QList<qint16>{100, 100, -200, -200};
    QTest::newRow("stereo to mono averages")
        << 8000 << 2 << QList<qint16>{100, 300, -32768, -32768} << 8000 << 1 << QList<qint16>{200, -32768};
    QTest::newRow("double rate interpolates")
        << 8000 << 1 << QList<qint16>{0, 1000} << 16000 << 1 << QList<qint16>{0, 500, 1000, 1000};
    QTest::newRow("half rate") << 16000 << 2 << QList<qint16>{0, 1, 10, 11, 20, 21, 30, 31} << 8000 << 2
                               << QList<qint16>{0, 1, 20, 21};
    QTest::newRow("rate and channels") << 8000 << 2 << QList<qint16>{0, 100, 32767, 32767} << 16000 << 1
                                       << QList<qint16>{50, 16409, 32767, 32767};
}

void TestSoundPlayer::convertsForDevice() {
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(QList<qint16>, samples);
    QFETCH(int, toRate);
    QFETCH(int, toChannels);
    QFETCH(QList<qint16>, expected);

    const WavSound converted = ConvertWav(soundOf(rate, channels, samples), toRate, toChannels);
    QCOMPARE(converted.sampleRate, toRate);
    QCOMPARE(converted.channelCount, toChannels);
    QCOMPARE(samplesOf(converted), expected);
}

void TestSoundPlayer::hostHearsEveryRequest() {
    // A window's sounds reach the host of its owner chain, file or no file.
    FakeHost host;
    QWidget dialog(&host);
    QLabel inside(&dialog);
    PlaySoundFor(&inside, "kurz.wav");
    PlaySoundFor(&dialog, "fehlt.wav");
    PlaySoundFor(&host, "");
    QCOMPARE(host.sounds, (QStringList{"kurz.wav", "fehlt.wav", ""}));
    // Without a host nothing plays and nothing breaks.
    QWidget alone;
    PlaySoundFor(&alone, "kurz.wav");
    PlaySoundFor(nullptr, "kurz.wav");
    QCOMPARE(host.sounds.size(), 3);
}

// Runs in a child process, as the audio back end connects once per process.
void TestSoundPlayer::playsWithoutServer() {
    if (qEnvironmentVariableIsSet(childVariable)) {
        QVERIFY(writeFile("lang.wav", toneWav(2.0, 8000, 1, 16, false)));
        PlaySound("lang.wav");
        PlaySound("fehlt.wav");
        PlaySound("lang.wav");
        QTRY_VERIFY_WITH_TIMEOUT(!SoundPlaying(), 10000);
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(childVariable, "1");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {"playsWithoutServer"});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray output = child.readAllStandardOutput() + child.readAllStandardError();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(child.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("PASS   : TestSoundPlayer::playsWithoutServer()"), output.constData());
    QVERIFY2(!output.contains("QWARN"), output.constData());
}

void TestSoundPlayer::startCapture() {
    const QString captureFile = m_soundDir->filePath("capture.wav");
    m_capture = HelperProcess(m_sink.environment());
    m_capture->start("parec", {"-d", "probe.monitor", "--latency-msec=20", "--file-format=wav", captureFile});
    QVERIFY(m_capture->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(captureFile).size() > 20000, 10000);
}

qint64 TestSoundPlayer::captured() const {
    return QFileInfo(m_soundDir->filePath("capture.wav")).size();
}

void TestSoundPlayer::waitForSoundToEnd() {
    QTRY_VERIFY_WITH_TIMEOUT(!SoundPlaying(), 15000);
    const qint64 atEnd = captured();
    QTRY_VERIFY_WITH_TIMEOUT(captured() > atEnd + kCaptureBytesPerSecond / 5, 10000);
}

bool TestSoundPlayer::serverHasStream() const {
    QProcess list;
    list.setProcessEnvironment(m_sink.environment());
    list.start("pactl", {"list", "short", "sink-inputs"});
    // The feeder that keeps the null sink's clock running is one stream already.
    return list.waitForFinished() && list.readAllStandardOutput().trimmed().split('\n').size() > 1;
}

double TestSoundPlayer::heardSoFar() const {
    QFile file(m_soundDir->filePath("capture.wav"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    const qsizetype data = bytes.indexOf("data");
    if (data < 0)
        return 0;
    const qsizetype frames = (bytes.size() - data - 8) / 4;
    for (qsizetype frame = 0; frame < frames; ++frame) {
        const qint16 left = qFromLittleEndian<qint16>(bytes.constData() + data + 8 + frame * 4);
        if (std::abs(left) > 3277)
            return double(frames - frame) / 44100;
    }
    return 0;
}

Heard TestSoundPlayer::stopCapture() {
    m_capture->terminate();
    m_capture->waitForFinished(10000);
    m_capture.reset();
    QFile file(m_soundDir->filePath("capture.wav"));
    if (!file.open(QIODevice::ReadOnly))
        return {-1, -1};
    const std::optional<WavSound> capture = ParseWav(file.readAll());
    return capture ? measure(*capture) : Heard{-1, -1};
}

void TestSoundPlayer::playsWholeSound_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<double>("seconds");

    QTest::newRow("0.1 s, 16 bit mono") << toneWav(0.1, 44100, 1, 16, false) << qint64{0} << 0.1;
    QTest::newRow("1.0 s, 16 bit stereo") << toneWav(1.0, 22050, 2, 16, false) << qint64{0} << 1.0;
    QTest::newRow("0.3 s, 24 bit") << toneWav(0.3, 48000, 1, 24, false) << qint64{0} << 0.3;
    QTest::newRow("0.2 s, 8 bit") << toneWav(0.2, 11025, 1, 8, false) << qint64{0} << 0.2;
    QTest::newRow("0.25 s, 32 bit integer stereo") << toneWav(0.25, 44100, 2, 32, false) << qint64{0} << 0.25;
    QTest::newRow("0.25 s, float in extensible header")
        << toneWav(0.25, 32000, 1, 32, true, true) << qint64{0} << 0.25;
    QTest::newRow("missing file plays nothing") << QByteArray() << qint64{0} << 0.0;
    QTest::newRow("broken file plays nothing") << QByteArray("RIFF....WAVEfmt ") << qint64{0} << 0.0;
    QTest::newRow("0.1 s in a 49 MB file")
        << toneWav(0.1, 8000, 1, 16, false) << qint64{49} * 1024 * 1024 << 0.1;
    QTest::newRow("file over 50 MB plays nothing")
        << toneWav(0.1, 8000, 1, 16, false) << qint64{50} * 1024 * 1024 + 1 << 0.0;
}

void TestSoundPlayer::playsWholeSound() {
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QFETCH(QByteArray, file);
    QFETCH(qint64, fileSize);
    QFETCH(double, seconds);
    if (!file.isEmpty())
        QVERIFY(writeFile("klang.wav", file));
    if (fileSize > 0)
        QVERIFY(QFile::resize("klang.wav", fileSize));

    startCapture();
    PlaySound("klang.wav");
    // Still playing when PlaySound returns: it never waits for the sound.
    QVERIFY2(SoundPlaying() == (seconds > 0), "PlaySound waited for the sound");
    waitForSoundToEnd();
    const Heard heard = stopCapture();

    qInfo("file %.3f s, heard %.3f s from first to last sound, %.3f s loud", seconds, heard.span, heard.loud);
    if (seconds == 0) {
        QCOMPARE(heard.span, 0.0);
        return;
    }
    // Whole: nothing cut at either end. Nothing more: no stale sound, no long
    // stall in the middle.
    QVERIFY2(heard.span > seconds - 0.01 && heard.loud > seconds - 0.01,
             qPrintable(QString::number(heard.loud)));
    QVERIFY2(heard.span < seconds + 0.1, qPrintable(QString::number(heard.span)));
}

void TestSoundPlayer::playsProgramSounds_data() {
    QTest::addColumn<QString>("fileName");
    for (const char* name : {"drum.wav", "gemein.wav", "applaus.wav", "lachen.wav"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The sounds the program ships are heard from their first to their last loud
// sample, as the file holds them.
void TestSoundPlayer::playsProgramSounds() {
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QFETCH(QString, fileName);
    QFile file(QStringLiteral(OLLO_SOURCE_DATA_DIR "/") + fileName);
    if (!file.open(QIODevice::ReadOnly))
        QSKIP("the program's sounds are not there");
    const QByteArray bytes = file.readAll();
    const std::optional<WavSound> sound = ParseWav(bytes);
    QVERIFY(sound);
    const Heard inFile = measure(*sound);
    QVERIFY(writeFile(fileName, bytes));

    startCapture();
    PlaySound(fileName);
    waitForSoundToEnd();
    const Heard heard = stopCapture();

    qInfo("file %.3f s, loud in the file %.3f s, heard %.3f s",
          double(sound->frameCount()) / sound->sampleRate, inFile.span, heard.span);
    QVERIFY2(std::abs(heard.span - inFile.span) < 0.01, qPrintable(QString::number(heard.span)));
}

void TestSoundPlayer::newSoundReplacesOld() {
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QVERIFY(writeFile("lang.wav", toneWav(2.0, 44100, 1, 16, false)));
    QVERIFY(writeFile("kurz.wav", toneWav(0.2, 44100, 1, 16, false)));

    startCapture();
    PlaySound("lang.wav");
    // Half a second of the long sound has been heard.
    QTRY_VERIFY_WITH_TIMEOUT(heardSoFar() > 0.5, 10000);
    PlaySound("kurz.wav");
    waitForSoundToEnd();
    const Heard heard = stopCapture();

    // The long sound stops where the short one begins: 0.5 s of the one,
    // 0.2 s of the other, and nothing of the remaining 1.5 s.
    qInfo("heard %.3f s from first to last sound, %.3f s loud", heard.span, heard.loud);
    QVERIFY2(heard.span > 0.6 && heard.span < 1.2, qPrintable(QString::number(heard.span)));
}

// Last, as it ends the server: the sounds after it go nowhere, at once.
void TestSoundPlayer::serverGoneWhilePlaying() {
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QVERIFY(writeFile("lang.wav", toneWav(2.0, 44100, 1, 16, false)));
    PlaySound("lang.wav");
    QTRY_VERIFY_WITH_TIMEOUT(serverHasStream(), 10000);
    stopServer();
    QTRY_VERIFY_WITH_TIMEOUT(!SoundPlaying(), 10000);
    for (int i = 0; i < 2; ++i) {
        PlaySound("lang.wav");
        QTRY_VERIFY_WITH_TIMEOUT(!SoundPlaying(), 10000);
    }
}

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
