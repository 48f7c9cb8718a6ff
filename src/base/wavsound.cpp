#include "base/wavsound.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr quint16 formatPcm = 0x0001;
constexpr quint16 formatFloat = 0x0003;
constexpr quint16 formatExtensible = 0xFFFE;

// The sub-format GUID of the extensible header ends in these 14 bytes; its
// first two bytes hold the plain format code.
constexpr unsigned char guidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct Format {
    quint16 code = 0;
    int channelCount = 0;
    int sampleRate = 0;
    int blockAlign = 0;
    int bitsPerSample = 0;
};

quint16 u16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}

std::optional<Format> readFormat(const char* p, quint32 size) {
    if (size < 16)
        return std::nullopt;
    Format format;
    format.code = u16(p);
    format.channelCount = u16(p + 2);
    format.sampleRate = static_cast<int>(std::min<quint32>(u32(p + 4), 1'000'000));
    format.blockAlign = u16(p + 12);
    format.bitsPerSample = u16(p + 14);
    if (format.code == formatExtensible) {
        if (size < 40 || std::memcmp(p + 26, guidTail, sizeof guidTail) != 0)
            return std::nullopt;
        format.code = u16(p + 24);
    }
    return format;
}

bool isPlayable(const Format& format) {
    if (format.channelCount < 1 || format.channelCount > 2)
        return false;
    if (format.sampleRate < 1000 || format.sampleRate > 384000)
        return false;
    const bool pcm = format.code == formatPcm && format.bitsPerSample >= 8 && format.bitsPerSample <= 32 &&
                     format.bitsPerSample % 8 == 0;
    const bool ieee =
        format.code == formatFloat && (format.bitsPerSample == 32 || format.bitsPerSample == 64);
    return (pcm || ieee) && format.blockAlign == format.channelCount * format.bitsPerSample / 8;
}

qint16 toInt16(const Format& format, const char* p) {
    switch (format.bitsPerSample) {
    case 8:
        return static_cast<qint16>((static_cast<int>(static_cast<unsigned char>(*p)) - 128) * 256);
    case 16:
        return qFromLittleEndian<qint16>(p);
    case 24:
        return qFromLittleEndian<qint16>(p + 1);
    case 32:
        if (format.code == formatPcm)
            return qFromLittleEndian<qint16>(p + 2);
        return static_cast<qint16>(
            std::lround(std::clamp(qFromLittleEndian<float>(p), -1.0f, 1.0f) * 32767.0f));
    default: {
        const double value = qFromLittleEndian<double>(p);
        return static_cast<qint16>(
            std::lround(std::clamp(std::isnan(value) ? 0.0 : value, -1.0, 1.0) * 32767.0));
    }
    }
}

} // namespace

std::optional<WavSound> ParseWav(const QByteArray& file) {
    const char* const begin = file.constData();
    const qsizetype size = file.size();
    if (size < 12 || std::memcmp(begin, "RIFF", 4) != 0 || std::memcmp(begin + 8, "WAVE", 4) != 0)
        return std::nullopt;

    std::optional<Format> format;
    qsizetype offset = 12;
    while (offset + 8 <= size) {
        const char* const chunk = begin + offset;
        const qsizetype available = size - offset - 8;
        const qsizetype chunkSize = u32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize > available)
                return std::nullopt;
            format = readFormat(chunk + 8, static_cast<quint32>(chunkSize));
            if (!format || !isPlayable(*format))
                return std::nullopt;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!format)
                return std::nullopt;
            const qsizetype frames = std::min(chunkSize, available) / format->blockAlign;
            if (frames == 0)
                return std::nullopt;
            const int bytesPerSample = format->bitsPerSample / 8;
            const qsizetype sampleCount = frames * format->channelCount;
            WavSound sound{format->sampleRate, format->channelCount,
                           QByteArray(sampleCount * 2, Qt::Uninitialized)};
            char* const out = sound.samples.data();
            for (qsizetype i = 0; i < sampleCount; ++i) {
                const qint16 sample = toInt16(*format, chunk + 8 + i * bytesPerSample);
                std::memcpy(out + 2 * i, &sample, sizeof sample);
            }
            return sound;
        }
        // Chunks are padded to an even length.
        offset += 8 + chunkSize + (chunkSize & 1);
    }
    return std::nullopt;
}

WavSound ConvertWav(const WavSound& sound, int sampleRate, int channelCount) {
    const qsizetype frames = sound.frameCount();
    if (frames == 0)
        return {sampleRate, channelCount, {}};
    const auto sampleAt = [&sound](qsizetype frame, int channel) {
        qint16 sample = 0;
        std::memcpy(&sample, sound.samples.constData() + 2 * (frame * sound.channelCount + channel), 2);
        return sample;
    };
    // Keeps every channel when the count stays, else mixes to mono.
    const bool keepChannels = channelCount == sound.channelCount;
    const auto valueAt = [&](qsizetype frame, int channel) -> double {
        if (keepChannels)
            return sampleAt(frame, channel);
        double sum = 0;
        for (int c = 0; c < sound.channelCount; ++c)
            sum += sampleAt(frame, c);
        return sum / sound.channelCount;
    };
    const qsizetype outFrames = std::max<qsizetype>(1, frames * sampleRate / sound.sampleRate);
    WavSound out{sampleRate, channelCount, QByteArray(outFrames * channelCount * 2, Qt::Uninitialized)};
    const double step = double(sound.sampleRate) / sampleRate;
    for (qsizetype frame = 0; frame < outFrames; ++frame) {
        const double position = frame * step;
        const auto before = std::min(static_cast<qsizetype>(position), frames - 1);
        const qsizetype after = std::min(before + 1, frames - 1);
        const double weight = position - before;
        for (int channel = 0; channel < channelCount; ++channel) {
            const double value = valueAt(before, channel) * (1 - weight) + valueAt(after, channel) * weight;
            const auto sample = static_cast<qint16>(std::lround(std::clamp(value, -32768.0, 32767.0)));
            std::memcpy(out.samples.data() + 2 * (frame * channelCount + channel), &sample, 2);
        }
    }
    return out;
}
