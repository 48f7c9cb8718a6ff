#pragma once

#include <QString>

#include <functional>

// Plays a WAV file by name, asynchronously; a new sound replaces the one still
// playing. A missing or unreadable file, or no audio device, plays nothing and
// says nothing. Callers check the "Sound" switch themselves.
void PlaySound(const QString& fileName);

// Tests watch which files were asked for, in order; an empty observer stops it.
void SetSoundObserver(std::function<void(const QString& fileName)> observer);
