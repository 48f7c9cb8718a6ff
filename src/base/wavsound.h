#pragma once

#include <QByteArray>

#include <optional>

// The samples of a PCM WAV file, ready for the sound device: signed 16-bit
// integers in host byte order, channels interleaved, at the file's own rate.
struct WavSound {
    int sampleRate = 0;
    int channelCount = 0;
    QByteArray samples;

    qsizetype frameCount() const { return samples.size() / (2 * channelCount); }
};

// Reads a RIFF WAVE file held in memory. Takes PCM with 8, 16, 24 or 32 bits
// per sample and IEEE float with 32 or 64 bits, plain or in the extensible
// header, mono or stereo. Data cut short plays as far as its whole frames go.
// Anything else, and a file without a single frame, gives nothing.
std::optional<WavSound> ParseWav(const QByteArray& file);

// The same sound at another rate, by linear interpolation, and with another
// channel count: channels are averaged to mono first, then copied to each
// channel. For a device that cannot take the file's own format.
WavSound ConvertWav(const WavSound& sound, int sampleRate, int channelCount);
