#include "soundplayer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QPointer>

#include <memory>

#include "shell/wavsound.h"

namespace {

// Larger files are refused unread, so a bad file cannot take all memory.
constexpr qint64 maxFileSize = 50 * 1024 * 1024;

// Silence played after every sound: the device stops only once this has
// drained, so the end of the real sound is always heard.
constexpr int trailingSilenceMs = 300;

std::function<void(const QString&)>& observer() {
    static std::function<void(const QString&)> instance;
    return instance;
}

// The one sound output of the program; a child of the application object,
// so it goes before the audio back end does.
class SoundOutput : public QObject {
public:
    using QObject::QObject;
    ~SoundOutput() override { release(); }

    void play(const WavSound& sound) {
        release();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return;
        QAudioFormat format;
        format.setSampleRate(sound.sampleRate);
        format.setChannelCount(sound.channelCount);
        format.setSampleFormat(QAudioFormat::Int16);
        const qsizetype silence =
            qsizetype{2} * sound.channelCount * sound.sampleRate * trailingSilenceMs / 1000;
        m_buffer = std::make_unique<QBuffer>();
        m_buffer->setData(sound.samples + QByteArray(silence, '\0'));
        m_buffer->open(QIODevice::ReadOnly);
        m_sink = std::make_unique<QAudioSink>(device, format);
        connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::IdleState || state == QAudio::StoppedState)
                QMetaObject::invokeMethod(this, &SoundOutput::releaseIfDone, Qt::QueuedConnection);
        });
        m_sink->start(m_buffer.get());
    }

private:
    void releaseIfDone() {
        if (m_sink && m_sink->state() != QAudio::ActiveState)
            release();
    }

    void release() {
        if (m_sink)
            m_sink->stop();
        m_sink.reset();
        m_buffer.reset();
    }

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<QBuffer> m_buffer;
};

SoundOutput* output() {
    static QPointer<SoundOutput> instance;
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

void PlaySound(const QString& fileName) {
    if (observer())
        observer()(fileName);
    const std::optional<WavSound> sound = readSound(fileName);
    if (!sound)
        return;
    if (SoundOutput* const player = output())
        player->play(*sound);
}

void SetSoundObserver(std::function<void(const QString& fileName)> observer) {
    ::observer() = std::move(observer);
}
