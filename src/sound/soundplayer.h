#pragma once

#include <QString>

// Plays a WAV file by name, asynchronously; a new sound replaces the one still
// playing. A missing or unreadable file, or no audio device, plays nothing and
// says nothing. Windows ask through their host (PlaySoundFor), which loads
// the sound module to play here.
void PlaySound(const QString& fileName);

// True from a sound's start until the device has been let go after its end.
bool SoundPlaying();

// Connects to the sound server ahead of the first sound, which then starts
// without that delay. Call on the application's thread.
void PrepareSound();
