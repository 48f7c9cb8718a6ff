#pragma once

// The main window's host (showhelp.h), owned by it: what the program gives
// its dialogs from the modules. Help, sound and speech are modules, each
// loaded when first asked for (sound already when a dialog says sounds will
// follow); the speech service is first looked for when a dialog asks for it.
// Tests replace the help desk, the sound device and the speech service here,
// and watch what reaches them.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "kit/showhelp.h"

class HelpViewer;
class SoundModule;
class SpeechVoice;
class QWidget;

class ModuleHost : public QObject, public DialogHost {
    Q_OBJECT

public:
    // window: the owner of the help window. helpFile: the program's help
    // file, opened when help is first asked for. moduleFolders: where the
    // modules are looked for (ModuleFolders).
    ModuleHost(QWidget* window, QString helpFile, QStringList moduleFolders);
    ~ModuleHost() override;

    bool showHelp(int data, HelpCommand command) override;
    void playSound(const QString& fileName) override;
    void prepareSound() override;
    QString soundUnavailable() override;
    void speak(const QString& text) override;
    void stopSpeaking() override;
    SpeechStatus findSpeech(QObject* context, std::function<void(const SpeechStatus&)> changed) override;

    // The help window open now; null when none is.
    QWidget* helpWindow() const;
    // Null until a dialog first asked for speech.
    SpeechVoice* speaker() const { return m_speaker.get(); }
    // Where help requests and sounds go: the help desk and the sound device
    // unless replaced.
    void setHelpHandler(std::function<bool(int data, HelpCommand command)> handler);
    void setSoundPlayer(std::function<void(const QString& fileName)> player);
    // Replaces the speech service, which is then never started: texts to
    // read go to `speak` ("" to fall silent), and the status is `status`.
    void setSpeechOutput(std::function<void(const QString& text)> speak, SpeechStatus status);

Q_SIGNALS:
    // The speech service's status changed.
    void speechChanged();

private:
    SoundModule* soundModule() const;
    // False when the speech module cannot be loaded.
    bool makeSpeaker();

    QWidget* m_window = nullptr;
    QString m_helpFile;
    QStringList m_moduleFolders;
    std::unique_ptr<HelpViewer> m_helpViewer;
    std::function<bool(int, HelpCommand)> m_helpHandler;
    std::function<void(const QString&)> m_soundPlayer;
    bool m_soundPrepared = false;
    std::unique_ptr<SpeechVoice> m_speaker;
    std::function<void(const QString&)> m_speechOutput;
    SpeechStatus m_speechOutputStatus;
};
