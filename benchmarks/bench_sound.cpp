// Prints how soon sound and speech answer, each beside its target:
//  - the first sound of a fresh process, played through the sound module as
//    a drill plays it (the module loaded in the background and connected as
//    the drill opens), from the request to its first loud sample on a private
//    PulseAudio server's null sink (target: at most 50 ms);
//  - how long a request for a sound keeps its caller when no sound server
//    runs (target: under 1 s, so a drill never hangs on it);
//  - how long asking for a text to be read, and for silence, keeps the
//    caller while the speech service is still looked for (targets: under
//    200 and 100 ms).
// Each first-sound run is a process of its own, as the sound back end
// connects once per process, and loads Qt Multimedia with the module as the
// program does (a test that links Qt Multimedia itself hears it sooner). Without pulseaudio and parec that figure is
// left out, saying why.
//   bench_sound [runs]

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <optional>
#include <vector>

#include "benchsupport.h"
#include "common/nullsink.h"
#include "kit/moduleloader.h"
#include "kit/soundmodule.h"
#include "kit/speechmodule.h"

namespace {

constexpr int kDefaultRuns = 7;
constexpr double kFirstSoundTargetMs = 50;
constexpr double kNoServerTargetMs = 1000;
constexpr double kSpeakTargetMs = 200;
constexpr double kStopTargetMs = 100;

QStringList moduleFolders() {
    return {QStringLiteral(OLLO_MODULE_FOLDER)};
}

// 0.3 s of 440 Hz at half of full scale, 16-bit mono at 44.1 kHz.
QByteArray toneWav() {
    constexpr int rate = 44100;
    QByteArray samples;
    for (int frame = 0; frame < rate * 3 / 10; ++frame) {
        const auto value = qint16(std::lround(16383 * std::sin(2 * std::numbers::pi * 440.0 * frame / rate)));
        char bytes[2];
        qToLittleEndian(value, bytes);
        samples.append(bytes, 2);
    }
    const auto le32 = [](quint32 v) {
        QByteArray b(4, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    const auto le16 = [](quint16 v) {
        QByteArray b(2, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    const QByteArray format = le16(1) + le16(1) + le32(rate) + le32(rate * 2) + le16(2) + le16(16);
    const QByteArray chunks = "fmt " + le32(16) + format + "data" + le32(quint32(samples.size())) + samples;
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

// Seconds from the first loud sample to the end of what the capture holds
// so far (16-bit stereo at 44.1 kHz after its "data" tag).
double heardSoFar(const QString& captureFile) {
    QFile file(captureFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    const qsizetype data = bytes.indexOf("data");
    if (data < 0)
        return 0;
    const qsizetype frames = (bytes.size() - data - 8) / 4;
    for (qsizetype frame = 0; frame < frames; ++frame)
        if (std::abs(qFromLittleEndian<qint16>(bytes.constData() + data + 8 + frame * 4)) > 3277)
            return double(frames - frame) / 44100;
    return 0;
}

// One first sound, in this fresh process, on the server PULSE_SERVER names;
// prints "first-sound <ms>".
int firstSoundChild(const QString& folder) {
    QDir::setCurrent(folder);
    QFile wav(QStringLiteral("klang.wav"));
    if (!wav.open(QIODevice::WriteOnly) || wav.write(toneWav()) < 0)
        return 1;
    wav.close();
    SoundModule* sound = nullptr;
    QObject context;
    PreloadModule(QStringLiteral("ollo-sound"), moduleFolders(), &context, [&sound] {
        sound = LoadModule<SoundModule>(QStringLiteral("ollo-sound"), moduleFolders());
        if (sound != nullptr)
            sound->prepare();
    });
    if (!QTest::qWaitFor([&] { return sound != nullptr; }, 15000))
        return 1;
    // A fresh capture: the last run's would be heard at once.
    const QString captureFile = QDir(folder).filePath(QStringLiteral("capture.wav"));
    QFile::remove(captureFile);
    QProcess capture;
    capture.start(QStringLiteral("parec"),
                  {"-d", "probe.monitor", "--latency-msec=20", "--file-format=wav", captureFile});
    if (!capture.waitForStarted() ||
        !QTest::qWaitFor([&] { return QFileInfo(captureFile).size() > 20000; }, 10000))
        return 1;
    const qint64 askedNs = bench::nowNs();
    sound->playSound(QStringLiteral("klang.wav"));
    if (!QTest::qWaitFor([&] { return heardSoFar(captureFile) > 0; }, 10000))
        return 1;
    // What the capture holds since the sound began goes back from now to its
    // start; the capture's own lag only makes the start look later.
    const double startMs = bench::msBetween(askedNs, bench::nowNs()) - heardSoFar(captureFile) * 1000;
    capture.terminate();
    capture.waitForFinished(10000);
    std::printf("first-sound %.1f\n", startMs);
    return 0;
}

void printFigure(const char* what, double ms, double target) {
    std::printf("%-46s %8.1f ms  (target <= %.0f ms%s)\n", what, ms, target,
                ms <= target ? "" : ", ABOVE TARGET");
}

void firstSound(const QByteArray& self, int runs) {
    QTemporaryDir folder;
    NullSinkServer sink;
    const QString why = sink.start(folder.path(), QStringLiteral("the first sound"));
    if (!why.isEmpty()) {
        std::printf("(%s)\n", qPrintable(why));
        return;
    }
    std::vector<double> starts;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        // The program's own environment, its sound going to the private server.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"PULSE_SERVER", "PULSE_CLIENTCONFIG"})
            environment.insert(QLatin1String(name), sink.environment().value(QLatin1String(name)));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.start(QString::fromLocal8Bit(self), {QStringLiteral("--first-sound"), folder.path()});
        child.waitForFinished(60000);
        const QByteArray output = child.readAllStandardOutput();
        const qsizetype at = output.indexOf("first-sound ");
        if (child.exitCode() != 0 || at < 0) {
            std::printf("(a first-sound run failed: %s)\n",
                        (output + child.readAllStandardError()).constData());
            return;
        }
        starts.push_back(output.mid(at + 12).trimmed().toDouble());
    }
    printFigure(qPrintable(QStringLiteral("first sound starts, median of %1").arg(runs)),
                bench::median(starts), kFirstSoundTargetMs);
}

void withoutServer() {
    QTemporaryDir folder;
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(folder.filePath(QStringLiteral("none"))));
    QDir::setCurrent(folder.path());
    QFile wav(QStringLiteral("klang.wav"));
    if (wav.open(QIODevice::WriteOnly))
        wav.write(toneWav());
    wav.close();
    SoundModule* sound = LoadModule<SoundModule>(QStringLiteral("ollo-sound"), moduleFolders());
    if (sound == nullptr)
        return;
    const qint64 startNs = bench::nowNs();
    sound->playSound(QStringLiteral("klang.wav"));
    sound->playSound(QStringLiteral("fehlt.wav"));
    sound->playSound(QStringLiteral("klang.wav"));
    printFigure("three sounds asked for, no sound server", bench::msBetween(startNs, bench::nowNs()),
                kNoServerTargetMs);
}

void speech() {
    QTemporaryDir folder;
    qputenv("SPEECHD_ADDRESS",
            "unix_socket:" + QFile::encodeName(folder.filePath(QStringLiteral("nobody-here"))));
    SpeechModule* module = LoadModule<SpeechModule>(QStringLiteral("ollo-speech"), moduleFolders());
    if (module == nullptr)
        return;
    const std::unique_ptr<SpeechVoice> voice = module->makeVoice();
    qint64 startNs = bench::nowNs();
    voice->speak(QStringLiteral("zwei mal drei"));
    voice->speak(QStringLiteral("drei mal drei"));
    printFigure("two texts to read, service still looked for", bench::msBetween(startNs, bench::nowNs()),
                kSpeakTargetMs);
    startNs = bench::nowNs();
    voice->stop();
    printFigure("silence asked for", bench::msBetween(startNs, bench::nowNs()), kStopTargetMs);
    if (!QTest::qWaitFor([&] { return voice->status().state != SpeechStatus::State::Searching; }, 180000))
        std::printf("(the speech service was still looked for after 3 minutes)\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--first-sound") == 0) {
        QGuiApplication application(argc, argv);
        return firstSoundChild(QString::fromLocal8Bit(argv[2]));
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    QGuiApplication application(argc, argv);
    std::printf("Sound and speech, through their modules, as the program asks for them\n");
    firstSound(QCoreApplication::applicationFilePath().toLocal8Bit(), runs);
    withoutServer();
    speech();
    return 0;
}
