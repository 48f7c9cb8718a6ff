#pragma once

#include <QString>
#include <QtPlugin>

#include <functional>
#include <memory>

#include "kit/showhelp.h"

// One voice of the speech service: reads German text aloud, a new text
// replacing the one being read, and returns at once.
class SpeechVoice {
public:
    virtual ~SpeechVoice() = default;
    virtual void speak(const QString& text) = 0;
    virtual void stop() = 0;
    // Starts looking for the service, unless that was done.
    virtual void find() = 0;
    virtual SpeechStatus status() const = 0;
    // Called on the application's thread after every change of status.
    virtual void setStatusObserver(std::function<void()> changed) = 0;
};

// What the speech module (ollo-speech, built with Qt TextToSpeech) offers the
// program, which loads it when a dialog first asks for speech (LoadModule).
class SpeechModule {
public:
    virtual ~SpeechModule() = default;
    virtual std::unique_ptr<SpeechVoice> makeVoice() = 0;
};

Q_DECLARE_INTERFACE(SpeechModule, "org.example.ollo.SpeechModule/1")
