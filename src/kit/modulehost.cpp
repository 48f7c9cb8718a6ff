// The main window's host: help, sound and speech from their modules.

#include "kit/modulehost.h"

#include <utility>

#include "kit/helpmodule.h"
#include "kit/moduleloader.h"
#include "kit/soundmodule.h"
#include "kit/speechmodule.h"

ModuleHost::ModuleHost(QWidget* window, QString helpFile, QStringList moduleFolders)
    : m_window(window)
    , m_helpFile(std::move(helpFile))
    , m_moduleFolders(std::move(moduleFolders)) {
}

ModuleHost::~ModuleHost() = default;

bool ModuleHost::showHelp(int data, HelpCommand command) {
    if (m_helpHandler)
        return m_helpHandler(data, command);
    if (!m_helpViewer) {
        if (HelpModule* help = LoadModule<HelpModule>(QStringLiteral("ollo-helpviewer"), m_moduleFolders))
            m_helpViewer = help->makeViewer(m_helpFile, m_window);
    }
    if (m_helpViewer && m_helpViewer->open(data, command))
        return true;
    ReportHelpFailure();
    return false;
}

SoundModule* ModuleHost::soundModule() const {
    return LoadModule<SoundModule>(QStringLiteral("ollo-sound"), m_moduleFolders);
}

void ModuleHost::playSound(const QString& fileName) {
    if (m_soundPlayer)
        m_soundPlayer(fileName);
    else if (SoundModule* sound = soundModule())
        sound->playSound(fileName);
}

void ModuleHost::prepareSound() {
    if (m_soundPlayer || m_soundPrepared)
        return;
    m_soundPrepared = true;
    // Loading the module takes longer than connecting to the sound server,
    // so it goes to the background; the connection is made here once it is
    // loaded, while the child reads the first task.
    PreloadModule(QStringLiteral("ollo-sound"), m_moduleFolders, this, [this] {
        if (SoundModule* sound = soundModule())
            sound->prepare();
    });
}

QString ModuleHost::soundUnavailable() {
    if (m_soundPlayer || soundModule() != nullptr)
        return {};
    return QString::fromUtf8("Ein Teil des Programms (ollo-sound) fehlt oder lässt sich nicht laden.");
}

QWidget* ModuleHost::helpWindow() const {
    return m_helpViewer ? m_helpViewer->window() : nullptr;
}

bool ModuleHost::makeSpeaker() {
    if (m_speaker)
        return true;
    SpeechModule* speech = LoadModule<SpeechModule>(QStringLiteral("ollo-speech"), m_moduleFolders);
    if (speech == nullptr)
        return false;
    m_speaker = speech->makeVoice();
    m_speaker->setStatusObserver([this] { Q_EMIT speechChanged(); });
    return true;
}

void ModuleHost::speak(const QString& text) {
    if (m_speechOutput) {
        m_speechOutput(text);
        return;
    }
    if (makeSpeaker())
        m_speaker->speak(text);
}

void ModuleHost::stopSpeaking() {
    if (m_speechOutput)
        m_speechOutput({});
    else if (m_speaker)
        m_speaker->stop();
}

SpeechStatus ModuleHost::findSpeech(QObject* context, std::function<void(const SpeechStatus&)> changed) {
    if (m_speechOutput)
        return m_speechOutputStatus;
    if (!makeSpeaker())
        return {SpeechStatus::State::Unavailable,
                QString::fromUtf8("Ein Teil des Programms (ollo-speech) fehlt oder lässt sich nicht laden.")};
    m_speaker->find();
    connect(this, &ModuleHost::speechChanged, context,
            [speaker = m_speaker.get(), changed] { changed(speaker->status()); });
    return m_speaker->status();
}

void ModuleHost::setHelpHandler(std::function<bool(int data, HelpCommand command)> handler) {
    m_helpHandler = std::move(handler);
}

void ModuleHost::setSoundPlayer(std::function<void(const QString& fileName)> player) {
    m_soundPlayer = std::move(player);
}

void ModuleHost::setSpeechOutput(std::function<void(const QString& text)> speak, SpeechStatus status) {
    m_speechOutput = std::move(speak);
    m_speechOutputStatus = std::move(status);
}
