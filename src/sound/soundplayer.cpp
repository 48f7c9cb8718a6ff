#include "sound/soundplayer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

#include "base/wavsound.h"

namespace {

// Larger files are refused unread, so a bad file cannot take all memory.
constexpr qint64 maxFileSize = 50 * 1024 * 1024;

// Silence played after every sound, so that the device's last period holds
// no part of the real sound when it stops.
constexpr int trailingSilenceMs = 200;

// The audio back end says on the console that it found no sound server; the
// program stays silent then, so that one remark is dropped.
QAudioDevice quietDefaultOutput() {
    static QtMessageHandler previous = nullptr;
    previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (previous && !text.startsWith(u"PulseAudioService:"))
                previous(type, context, text);
        });
    QAudioDevice device = QMediaDevices::defaultAudioOutput();
    qInstallMessageHandler(previous);
    return device;
}

QAudioFormat int16Format(int sampleRate, int channelCount) {
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channelCount);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

// The one sound output of the program; a child of the application object,
// so it goes before the audio back end does.
class SoundOutput : public QObject {
public:
    explicit SoundOutput(QObject* parent)
        : QObject(parent) {
        m_releaseTimer.setSingleShot(true);
        connect(&m_releaseTimer, &QTimer::timeout, this, &SoundOutput::release);
    }
    ~SoundOutput() override { release(); }

    bool isPlaying() const { return m_sink != nullptr; }

    void play(const WavSound& sound) {
        release();
        const QAudioDevice device = quietDefaultOutput();
        if (device.isNull())
            return;
        QAudioFormat format = int16Format(sound.sampleRate, sound.channelCount);
        std::optional<WavSound> converted;
        if (!device.isFormatSupported(format)) {
            const QAudioFormat preferred = device.preferredFormat();
            format = int16Format(preferred.sampleRate(), preferred.channelCount());
            if (!device.isFormatSupported(format))
                return;
            converted = ConvertWav(sound, format.sampleRate(), format.channelCount());
        }
        const int silentFrames = format.sampleRate() * trailingSilenceMs / 1000;
        m_buffer = std::make_unique<QBuffer>();
        m_buffer->setData((converted ? converted->samples : sound.samples) +
                          QByteArray(format.bytesForFrames(silentFrames), '\0'));
        m_buffer->open(QIODevice::ReadOnly);
        m_sink = std::make_unique<QAudioSink>(device, format);
        connect(m_sink.get(), &QAudioSink::stateChanged, this, &SoundOutput::onStateChanged);
        m_sink->start(m_buffer.get());
    }

private:
    // Idle with the whole sound read means it has all gone to the device,
    // which still holds up to one buffer of it: stopping at once would cut
    // that off. Idle before the end is an underrun the sink recovers from.
    void onStateChanged(QAudio::State state) {
        if (!m_sink || m_releaseTimer.isActive())
            return;
        if (state == QAudio::StoppedState) {
            m_releaseTimer.start(0);
        } else if (state == QAudio::IdleState && m_buffer->atEnd()) {
            const qint64 bufferedMs = m_sink->format().durationForBytes(m_sink->bufferSize()) / 1000;
            m_releaseTimer.start(std::chrono::milliseconds(bufferedMs + 100));
        }
    }

    void release() {
        m_releaseTimer.stop();
        if (m_sink) {
            m_sink->disconnect(this);
            m_sink->stop();
        }
        m_sink.reset();
        m_buffer.reset();
    }

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<QBuffer> m_buffer;
    QTimer m_releaseTimer;
};

QPointer<SoundOutput>& outputSlot() {
    static QPointer<SoundOutput> instance;
    return instance;
}

SoundOutput* output() {
    QPointer<SoundOutput>& instance = outputSlot();
    if (!instance && QCoreApplication::instance())
        instance = new SoundOutput(QCoreApplication::instance());
    return instance;
}

std::optional<WavSound> readSound(const QString& fileName) {
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > maxFileSize)
        return std::nullopt;
    return ParseWav(file.read(maxFileSize + 1));
}

} // namespace

void PrepareSound() {
    // Asking for the device sets up the audio back end and its connection.
    if (output() != nullptr)
        quietDefaultOutput();
}

bool SoundPlaying() {
    const SoundOutput* const player = outputSlot();
    return player != nullptr && player->isPlaying();
}

void PlaySound(const QString& fileName) {
    const std::optional<WavSound> sound = readSound(fileName);
    if (!sound)
        return;
    if (SoundOutput* const player = output())
        player->play(*sound);
}
