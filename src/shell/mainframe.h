#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QMargins>

#include <functional>
#include <map>
#include <memory>

#include "kit/showhelp.h"
#include "shell/commandtable.h"

class QAction;
class QMenu;
class Announcer;
class CProfile;
class Backdrop;
class StatusLine;
class ModuleHost;
class SpeechVoice;

// The program's one top-level window: the menu bar of the series and options,
// the accelerators, the status bar with prompts, lock keys and a live clock,
// and the backdrop picture. F10, and Alt pressed alone, lead the keyboard
// into the menu bar; a screen reader hears a menu's name as the arrows lead
// into it, and the items of "Division" and "Sonderreihen" by names that tell
// them from their twins. Its own table handles the status bar, help
// contents and context help; every other command goes to the application's
// table. A menu item is enabled when either table has its command, decided
// each time the menu opens. Its host (kit/modulehost.h) serves every dialog
// it owns: their help requests, sounds and texts to read aloud go there.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // helpFile: the program's help file, opened when help is first asked for.
    CMainFrame(CProfile& profile, const CommandTable& appCommands, const QString& helpFile = {},
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    CommandTable& commands() { return m_commands; }

    // Routes a command: in context-help mode it opens the command's topic
    // instead; otherwise the frame's table, then the application's. False
    // when nobody handles it.
    bool runCommand(int commandId);
    bool hasHandler(int commandId) const;

    // The program's icon, for the main window and the windows before it.
    static QIcon ProgramIcon();

    // The child the program runs for, shown on the message line while no
    // prompt is and in the title; empty: nobody's name.
    void setChildName(const QString& name);

    // The options sheet calls this after a new background has been stored.
    void repaintBackdrop();

    bool inContextHelpMode() const { return m_contextHelp; }

    StatusLine* statusLine() const { return m_statusLine; }
    Backdrop* backdrop() const { return m_backdrop; }
    QAction* action(int commandId) const;
    // The help window open now; null when none is.
    QWidget* helpWindow() const;

    // The host of its dialogs, handed to the modules that open windows.
    ModuleHost& host() const { return *m_host; }
    // Null until a dialog first asked for speech.
    SpeechVoice* speaker() const;
    // Where its own and its dialogs' help requests and sounds go: the help
    // desk and the sound device unless replaced (tests watch them here).
    void setHelpHandler(std::function<bool(int data, HelpCommand command)> handler);
    void setSoundPlayer(std::function<void(const QString& fileName)> player);
    // Replaces the speech service, which is then never started: texts to
    // read go to `speak` ("" to fall silent), and the status is `status`.
    void setSpeechOutput(std::function<void(const QString& text)> speak, SpeechStatus status);

Q_SIGNALS:
    // The window has closed; the application ends.
    void closed();
    // A menu of the menu bar opens: a command may follow soon.
    void menuOpened();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildMenuKeys();
    void buildAccelerators();
    void buildCommandTable();

    void menuOpening(QMenu* menu);
    void menuClosing();
    void showIdlePrompt();
    void toggleStatusBar();

    void enterContextHelp();
    void leaveContextHelp();
    void fitRestoreSize();

    CProfile& m_profile;
    const CommandTable& m_appCommands;
    CommandTable m_commands;
    std::map<int, QAction*> m_actions;
    Backdrop* m_backdrop = nullptr;
    StatusLine* m_statusLine = nullptr;
    std::unique_ptr<ModuleHost> m_host;
    // Names the menu a screen reader moves into from another one.
    Announcer* m_menuNews = nullptr;
    // A popup closed in this very turn of the event loop.
    bool m_menuJustClosed = false;
    QString m_childName;
    bool m_contextHelp = false;
    // The icon is set once the backdrop has first been painted.
    bool m_iconSet = false;
    // The first restore from the start's maximised state gives the window its
    // outer size of 620 × 440, frame included.
    bool m_restorePending = true;
    bool m_fittingRestore = false;
    QMargins m_restoreFrame{-1, -1, -1, -1}; // the frame the size was last fitted to
};
