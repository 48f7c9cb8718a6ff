#pragma once

#include <QString>
#include <QtPlugin>

// What the sound module (ollo-sound, built with Qt Multimedia) offers the
// program, which loads it when sounds are first about to be played
// (LoadModule, PreloadModule).
class SoundModule {
public:
    virtual ~SoundModule() = default;
    // Plays a WAV file by name, asynchronously; a new sound replaces the one
    // still playing. A missing or unreadable file, or no audio device, plays
    // nothing and says nothing.
    virtual void playSound(const QString& fileName) = 0;
    // Connects to the sound server ahead of the first sound, which then
    // starts without that delay.
    virtual void prepare() = 0;
};

Q_DECLARE_INTERFACE(SoundModule, "org.example.ollo.SoundModule/1")
