#pragma once

#include <QString>

class QWidget;

// What the program around a dialog does for it: open help topics, play
// sounds and tell the user that changes could not be stored. The main window
// is the host; a dialog finds it through its chain of owners (HostOf), so a
// test gives the dialog an owner of its own. Help is asked for by context
// number (Help::forCommand, Help::forTemplate), Finder opens contents and
// index. When the help cannot be opened the user sees "Die Hilfe konnte nicht
// aufgerufen werden." and nothing else changes.

enum class HelpCommand { Context = 1, Finder = 11 };

class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Takes the request over entirely, the failure message included.
    virtual bool showHelp(int data, HelpCommand command) = 0;
    // Plays a WAV file of the content folder; callers check the "Sound" switch.
    virtual void playSound(const QString& fileName) = 0;
    // Shows the message over the dialog whose changes were refused.
    virtual void reportNotStored(QWidget* dialog, const QString& message);
};

// The nearest of widget and its owners that is a host; null when none is.
DialogHost* HostOf(const QWidget* widget);

// The help request of a window: closes open menus, then asks the host. With
// no host the help cannot be opened.
bool ShowHelp(const QWidget* from, int data, HelpCommand command = HelpCommand::Context);

// F1 in the window (a dialog, while it is the active window) opens the topic.
void AddHelpKey(QWidget* window, int data);

// A sound asked for by a window; silent without a host.
void PlaySoundFor(const QWidget* from, const QString& fileName);

// "Die Hilfe konnte nicht aufgerufen werden.", over the dialog that asked.
void ReportHelpFailure();

// Tells the user once, in German and with the reason (one sentence, as
// CProfile::WriteError gives it), that the dialog's changes could not be
// stored. The dialog stays open with its values, so nothing typed is lost.
void ReportNotStored(QWidget* dialog, const QString& reason);
