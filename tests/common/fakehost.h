#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <utility>

#include "kit/showhelp.h"

// An owner window for the dialogs under test, standing in for the main
// window: it keeps the sounds, help topics and spoken texts they ask for, in
// order ("" for each stop), and the messages about changes not stored, and
// answers help requests with answerHelp (true when unset). Its speech service
// is `speech`; announceSpeech tells the windows that asked of a change.
class FakeHost : public QWidget, public DialogHost {
public:
    FakeHost() { SetDialogHost(this, this); }

    QStringList sounds;
    QList<int> helps;
    QStringList notStored;
    QStringList spoken;
    std::function<bool(int data, HelpCommand command)> answerHelp;
    SpeechStatus speech{SpeechStatus::State::Ready, {}};

    bool showHelp(int data, HelpCommand command) override {
        helps << data;
        return answerHelp ? answerHelp(data, command) : true;
    }
    void playSound(const QString& fileName) override { sounds << fileName; }
    void reportNotStored(QWidget*, const QString& message) override { notStored << message; }
    void speak(const QString& text) override { spoken << text; }
    void stopSpeaking() override { spoken << QString(); }
    SpeechStatus findSpeech(QObject* context, std::function<void(const SpeechStatus&)> changed) override {
        m_listeners.append({context, std::move(changed)});
        return speech;
    }
    void announceSpeech(const SpeechStatus& status) {
        speech = status;
        for (const auto& [context, changed] : m_listeners)
            if (context)
                changed(status);
    }

private:
    QList<std::pair<QPointer<QObject>, std::function<void(const SpeechStatus&)>>> m_listeners;
};
