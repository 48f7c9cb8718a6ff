#pragma once

#include <QString>

#include <functional>

class QObject;
class QWidget;

// What the program around a dialog does for it: open help topics, play
// sounds, read texts aloud and tell the user that changes could not be
// stored. The main window names its host (SetDialogHost); a dialog finds it
// through its chain of owners (HostOf), so a test gives the dialog an owner
// of its own. The host is found by that name, never by the type of a window:
// a module carries its own copy of these types, and is handed the host
// explicitly where it needs one. Help is
// asked for by context number (Help::forCommand, Help::forTemplate), Finder
// opens contents and index. When the help cannot be opened the user sees
// "Die Hilfe konnte nicht aufgerufen werden." and nothing else changes.

enum class HelpCommand { Context = 1, Finder = 11 };

// Whether texts can be read aloud, for the "Aufgaben vorlesen" switch.
struct SpeechStatus {
    enum class State { Searching, Ready, Unavailable };
    State state = State::Unavailable;
    QString reason; // German, shown while not Ready
};

class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Takes the request over entirely, the failure message included.
    virtual bool showHelp(int data, HelpCommand command) = 0;
    // Plays a WAV file of the content folder; callers check the "Sound" switch.
    virtual void playSound(const QString& fileName) = 0;
    // Sounds will follow soon: get the player ready, so that the first one
    // starts without delay.
    virtual void prepareSound() {}
    // Why sounds cannot be played at all, in German; empty when they can, as
    // far as is known. May load the sound module to find out.
    virtual QString soundUnavailable() { return {}; }
    // Shows the message over the dialog whose changes were refused.
    virtual void reportNotStored(QWidget* dialog, const QString& message);
    // Reads German text aloud, replacing whatever is being read, and returns
    // at once; callers check the "Vorlesen" switch.
    virtual void speak(const QString& text) = 0;
    virtual void stopSpeaking() = 0;
    // Starts looking for the speech service unless it did, and says what is
    // known now; `changed` hears of every later change while `context` lives.
    virtual SpeechStatus findSpeech(QObject* context, std::function<void(const SpeechStatus&)> changed) = 0;
};

// Makes host serve window and every dialog it owns; null: none any more.
void SetDialogHost(QWidget* window, DialogHost* host);

// The host of the nearest of widget and its owners that has one; null when
// none has.
DialogHost* HostOf(const QWidget* widget);

// The help request of a window: closes open menus, then asks the host. With
// no host the help cannot be opened.
bool ShowHelp(const QWidget* from, int data, HelpCommand command = HelpCommand::Context);

// The same, for a window given its host explicitly (as a module's window is).
bool ShowHelp(DialogHost* host, int data, HelpCommand command = HelpCommand::Context);

// F1 in the window (a dialog, while it is the active window) opens the topic.
void AddHelpKey(QWidget* window, int data);

// A sound asked for by a window; silent without a host.
void PlaySoundFor(const QWidget* from, const QString& fileName);

// Asked for by a window that will soon play sounds, as it opens.
void PrepareSoundFor(const QWidget* from);

// Why the host cannot play sounds, in German; empty when it can, or without
// a host.
QString SoundUnavailableFor(const QWidget* from);

// Text read aloud for a window, and silence; both do nothing without a host.
void SpeakFor(const QWidget* from, const QString& text);
void StopSpeakingFor(const QWidget* from);

// The host's speech status for a window, changes reported while the window
// lives; without a host texts cannot be read.
SpeechStatus FindSpeechFor(QWidget* from, std::function<void(const SpeechStatus&)> changed);

// "Die Hilfe konnte nicht aufgerufen werden.", over the dialog that asked.
void ReportHelpFailure();

// Tells the user once, in German and with the reason (one sentence, as
// CProfile::WriteError gives it), that the dialog's changes could not be
// stored. The dialog stays open with its values, so nothing typed is lost.
void ReportNotStored(QWidget* dialog, const QString& reason);
