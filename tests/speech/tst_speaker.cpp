#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextToSpeech>
#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "common/nullsink.h"
#include "speech/speaker.h"

namespace {

constexpr int kRate = 16000;
// Speech is heard where a 10 ms window peaks above 3 % of full scale.
constexpr int kLoud = 1000;
constexpr int kWindow = kRate / 100;
// Finding the service and listing its voices takes many seconds on a busy machine.
constexpr int kServiceTimeout = 180000;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The 10 ms windows of a recording so far: true where speech is heard.
QList<bool> loudWindows(const QString& wavFile) {
    QFile file(wavFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    // Written as the recorder goes, so the data chunk's size is not to be trusted.
    const qsizetype data = bytes.indexOf("data");
    QList<bool> windows;
    for (qsizetype at = data < 0 ? bytes.size() : data + 8; at + 2 * kWindow <= bytes.size();
         at += 2 * kWindow) {
        bool loud = false;
        for (int i = 0; i < kWindow && !loud; ++i)
            loud = std::abs(qFromLittleEndian<qint16>(bytes.constData() + at + 2 * i)) > kLoud;
        windows << loud;
    }
    return windows;
}

// Seconds of speech heard in windows [from, to).
double loudSeconds(const QList<bool>& windows, qsizetype from = 0, qsizetype to = -1) {
    to = to < 0 ? windows.size() : std::min(to, windows.size());
    return double(std::count(windows.begin() + std::min(from, to), windows.begin() + to, true)) / 100;
}

qsizetype windowsIn(double seconds) {
    return qsizetype(seconds * 100);
}

const char* const kLongText = "acht mal sieben ist sechsundfünfzig, neun mal sieben ist dreiundsechzig, "
                              "zehn mal sieben ist siebzig, sechs mal sieben ist zweiundvierzig, "
                              "fünf mal sieben ist fünfunddreißig, vier mal sieben ist achtundzwanzig";

} // namespace

// Speech through a private speech service that plays into a private sound
// server, recorded there: never into the speakers of whoever runs the tests.
class TestSpeaker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void speaksWithoutKeepingAnyoneWaiting();
    void laterTextCutsTheEarlierOff_data();
    void laterTextCutsTheEarlierOff();
    void withoutServiceSaysWhy();

private:
    bool startServers();
    void startCapture();
    QString capturePath() const { return m_dir.filePath(QStringLiteral("capture.wav")); }

    QTemporaryDir m_dir;
    QString m_skipReason;
    QProcessEnvironment m_environment;
    NullSinkServer m_sink;
    std::unique_ptr<QProcess> m_speech;
    std::unique_ptr<QProcess> m_capture;
};

void TestSpeaker::initTestCase() {
    QVERIFY(m_dir.isValid());
    // Whatever happens, nothing reaches a sound or speech server of the user's.
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(m_dir.filePath("no-sound")));
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + QFile::encodeName(m_dir.filePath("no-speech")));
    if (!startServers())
        return;
    for (const char* name : {"PULSE_SERVER", "SPEECHD_ADDRESS", "PULSE_CLIENTCONFIG"})
        qputenv(name, m_environment.value(QString::fromLatin1(name)).toLocal8Bit());
}

bool TestSpeaker::startServers() {
#ifdef __SANITIZE_ADDRESS__
    // The speech library reads the ~7000 voices of espeak-ng from one long
    // reply with strstr; checked by AddressSanitizer, that takes many minutes.
    m_skipReason =
        QStringLiteral("under AddressSanitizer the speech service takes minutes to list its voices");
    return false;
#endif
    if (QStandardPaths::findExecutable("speech-dispatcher").isEmpty()) {
        m_skipReason = QStringLiteral("speech-dispatcher is not installed; speech is not measured");
        return false;
    }
    if (QTextToSpeech::availableEngines().isEmpty()) {
        m_skipReason =
            QStringLiteral("Qt has no speech plugin (qt6-speech-speechd-plugin); speech is not measured");
        return false;
    }
    const QString modules = QStringLiteral("/etc/speech-dispatcher/modules/espeak-ng.conf");
    if (!QFileInfo::exists(modules)) {
        m_skipReason =
            QStringLiteral("espeak-ng for speech-dispatcher is not installed; speech is not measured");
        return false;
    }

    m_skipReason = m_sink.start(m_dir.path(), QStringLiteral("speech"));
    if (!m_skipReason.isEmpty())
        return false;
    const QString speechSocket = m_dir.filePath("speech");
    m_environment = m_sink.environment();
    m_environment.insert("SPEECHD_ADDRESS", "unix_socket:" + speechSocket);

    // The speech service with the German voice only, and quiet logs: that is
    // what makes it start in seconds rather than half a minute.
    const QDir config(m_dir.filePath("speech-config"));
    if (!QDir().mkpath(config.filePath("modules")) ||
        !writeFile(config.filePath("speechd.conf"),
                   "LogLevel 1\n"
                   "AudioOutputMethod \"pulse\"\n"
                   "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
                   "DefaultModule espeak-ng\n"
                   "DefaultLanguage \"de\"\n") ||
        !QFile::copy(modules, config.filePath("modules/espeak-ng.conf")))
        return false;
    m_speech = HelperProcess(m_environment);
    m_speech->setStandardOutputFile(m_dir.filePath("speech.log"));
    m_speech->setStandardErrorFile(m_dir.filePath("speech.log"), QIODevice::Append);
    m_speech->start("speech-dispatcher",
                    {"--run-single", "--communication-method", "unix_socket", "--socket-path", speechSocket,
                     "--timeout", "0", "--config-dir", config.path(), "--log-dir", m_dir.path(), "--pid-file",
                     m_dir.filePath("speech.pid")});
    if (!m_speech->waitForStarted()) {
        m_skipReason = QStringLiteral("speech-dispatcher does not start; speech is not measured");
        return false;
    }
    // Started by hand, the service is not spawned by the speech library, which
    // would wait for it: a connection before the socket is there fails at once.
    if (!QTest::qWaitFor(
            [&] { return QFileInfo::exists(speechSocket) || m_speech->state() != QProcess::Running; },
            30000) ||
        !QFileInfo::exists(speechSocket)) {
        m_skipReason = QStringLiteral("speech-dispatcher does not listen; speech is not measured");
        return false;
    }
    return true;
}

void TestSpeaker::cleanupTestCase() {
    StopHelper(m_capture);
    StopHelper(m_speech);
    m_sink.stop();
}

void TestSpeaker::cleanup() {
    if (m_capture) {
        m_capture->terminate();
        m_capture->waitForFinished(10000);
        m_capture.reset();
    }
}

void TestSpeaker::startCapture() {
    QFile::remove(capturePath());
    m_capture = HelperProcess(m_environment);
    m_capture->start("parec", {"-d", "probe.monitor", "--latency-msec=20", "--format=s16le",
                               QStringLiteral("--rate=%1").arg(kRate), "--channels=1", "--file-format=wav",
                               capturePath()});
    QVERIFY(m_capture->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(loudWindows(capturePath()).size() > 20, 10000);
}

// The first text waits for the service and is then read; the call itself
// returns while the service is still being looked for (how soon:
// scripts/bench.sh, bench_sound).
void TestSpeaker::speaksWithoutKeepingAnyoneWaiting() {
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    startCapture();
    Speaker speaker;
    QSignalSpy changes(&speaker, &Speaker::stateChanged);
    speaker.speak(QString::fromUtf8("acht mal sieben"));
    QCOMPARE(speaker.state(), Speaker::State::Searching);

    QTRY_VERIFY_WITH_TIMEOUT(speaker.state() != Speaker::State::Searching, kServiceTimeout);
    QVERIFY2(speaker.state() == Speaker::State::Ready, qPrintable(speaker.reason()));
    QVERIFY(speaker.reason().isEmpty());
    // Heard, and over: half a second of silence after the words.
    QTRY_VERIFY_WITH_TIMEOUT(loudSeconds(loudWindows(capturePath())) > 0.3, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(
        loudSeconds(loudWindows(capturePath()), loudWindows(capturePath()).size() - 50) == 0, 30000);
    const double heard = loudSeconds(loudWindows(capturePath()));
    qInfo("\"acht mal sieben\": %.2f s of speech heard", heard);
    QVERIFY2(heard < 3.0, qPrintable(QString::number(heard)));
    QCOMPARE(changes.size(), 2); // searching, ready
}

void TestSpeaker::laterTextCutsTheEarlierOff_data() {
    QTest::addColumn<QString>("next"); // empty: stop()
    QTest::newRow("stop") << QString();
    QTest::newRow("next task") << QStringLiteral("eins");
}

// A drill speaks each task as it comes and falls silent when it closes: what
// was being read stops at once, within the recorder's latency.
void TestSpeaker::laterTextCutsTheEarlierOff() {
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QFETCH(QString, next);
    Speaker speaker;
    speaker.find();
    QTRY_VERIFY_WITH_TIMEOUT(speaker.state() != Speaker::State::Searching, kServiceTimeout);
    QVERIFY2(speaker.state() == Speaker::State::Ready, qPrintable(speaker.reason()));

    startCapture();
    speaker.speak(QString::fromUtf8(kLongText));
    QTRY_VERIFY_WITH_TIMEOUT(loudSeconds(loudWindows(capturePath())) > 0.5, 30000);
    if (next.isEmpty())
        speaker.stop();
    else
        speaker.speak(next);
    const qsizetype cut = loudWindows(capturePath()).size();
    QTRY_VERIFY_WITH_TIMEOUT(loudWindows(capturePath()).size() > cut + windowsIn(3.0), 30000);

    const QList<bool> windows = loudWindows(capturePath());
    const double before = loudSeconds(windows, 0, cut);
    // The old words fade within the latency; "eins" alone takes under a second.
    const double after = loudSeconds(windows, cut + windowsIn(0.3));
    qInfo("%.2f s heard before the cut, %.2f s after it", before, after);
    QVERIFY2(after < (next.isEmpty() ? 0.01 : 1.0), qPrintable(QString::number(after)));
    if (!next.isEmpty())
        QVERIFY2(after > 0.1, "the next text was not read");
}

// With nowhere to connect to, the speaker says so in German; asking it to
// speak returns before the service is given up on.
void TestSpeaker::withoutServiceSaysWhy() {
    const QByteArray address = qgetenv("SPEECHD_ADDRESS");
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + QFile::encodeName(m_dir.filePath("nobody-here")));
    const auto restore = qScopeGuard([&address] { qputenv("SPEECHD_ADDRESS", address); });
    Speaker speaker;
    speaker.speak(QStringLiteral("zwei mal drei"));
    speaker.speak(QStringLiteral("drei mal drei"));
    QCOMPARE(speaker.state(), Speaker::State::Searching);
    QTRY_VERIFY_WITH_TIMEOUT(speaker.state() != Speaker::State::Searching, kServiceTimeout);
    QCOMPARE(speaker.state(), Speaker::State::Unavailable);
    QVERIFY2(speaker.reason().contains(QString::fromUtf8("Sprachausgabe")), qPrintable(speaker.reason()));
}

QTEST_GUILESS_MAIN(TestSpeaker)
#include "tst_speaker.moc"
