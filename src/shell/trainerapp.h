#pragma once

// The application object: fixes the program's identity (base name, help
// file, settings file) from the program file, makes the content folder the
// current directory, creates and shows the main frame and runs the loop.
// Its command table holds every command the main frame does not handle
// itself: the series, the settings dialogs, the information and help items,
// and "&Beenden". Created once, after the QApplication. Where no folder for
// the settings can be had, it runs on the shipped defaults in memory and
// says so once. It keeps the learning record, loaded as a menu first opens
// (or when a command first needs it), and lets it listen to every drill. With children set up
// (base/childlist.h) it runs for one child at a time: their settings file and
// record instead of the family's <base>.INI and record, chosen at the start
// and with "Kind wechseln". Choosing and switching the child, and opening
// their record, are in childsession.cpp; the command table and its handlers
// in trainercommands.cpp.

#include <QObject>
#include <QString>

#include <memory>

#include "base/childlist.h"
#include "base/classconfig.h"
#include "base/profile.h"
#include "shell/commandtable.h"

class ClassLink;
class LearningLog;
class CMainFrame;
class QSocketNotifier;
class QTranslator;
class SingleInstance;

class CTrainerApp : public QObject {
    Q_OBJECT

public:
    // programFile: the running program's path; its base name names the help
    // file and the settings file.
    explicit CTrainerApp(const QString& programFile);
    ~CTrainerApp() override;

    // True when a copy already runs on the same settings: it was asked to
    // bring its window to the front, and this one should end (with 0).
    bool HandOverToRunningCopy();
    // Settles whose settings this run uses: the named child's when one is
    // given, else the one child set up, or the child picked in "Wer rechnet
    // heute?" when there are more; the family's without children. False when
    // that window was closed without a choice or the named child is not on
    // the list.
    bool ChooseChild(const QString& child = {});
    // Creates the main frame, gives it its restore size, shows it maximised
    // and paints it, after ChooseChild unless that was called. False (and no
    // window) when no child was chosen.
    bool InitInstance();
    // The message loop; the exit code (0 after a normal close).
    int Run();

    const QString& baseName() const { return m_baseName; }
    // The child the program runs for; empty: the family's settings, no child.
    const QString& childName() const { return m_childName; }
    CChildList& children() { return m_children; }
    const QString& helpFilePath() const { return m_helpFilePath; }
    CProfile& profile() { return m_profile; }
    // The owner of every dialog the program opens.
    CMainFrame* mainWindow() const { return m_mainFrame.get(); }
    // Null until a menu has first opened or a command first needed it.
    LearningLog* record() const { return m_record.get(); }

    // Where the program's pictures, jokes and sounds are: $OLLO_DATA if set,
    // else the installed data folder if it exists, else the repository's
    // data folder when the program runs from a build tree; empty when none.
    static QString ContentFolder(const QString& programFile);
    // The help file of the program at programFile: beside it, else in its
    // content folder.
    static QString HelpFileFor(const QString& programFile);

    // "ollo --klasse": the teacher's class view alone, from the class module,
    // until its window closes; the exit code. Needs the QApplication.
    static int RunClassView(const QString& programFile);

    // SIGTERM, SIGINT and SIGHUP close the main window like its close box, so
    // the program ends as usual; SIGXFSZ is ignored. Call before the
    // QApplication is made.
    static void CatchTerminationSignals();

private:
    void buildCommandTable();
    void watchTerminationSignals();
    void copyDefaultSettings() const;
    void keepSettingsSomewhere();
    void bringToFront();
    // False, having said why on standard error, when the record module
    // cannot be loaded.
    bool openRecord();
    // Loads the record module in the background, then opens the record;
    // nothing when it is open.
    void preloadRecord();
    void startHardFacts();
    // The child's settings and record from now on; the main window shows
    // their name and backdrop.
    // False, with the family told why, when another copy already runs for
    // that child: it is brought to the front instead.
    bool runFor(const CChildList::Child& child);
    // Back to the family's own settings and record, once no child is left.
    bool runForFamily();
    // After "Lernfortschritt": the child the family's history was given to,
    // or the family's own files when the running child was removed.
    void followChildrenChanges();
    // Asks "Wer rechnet heute?" over owner; false when nobody was picked.
    bool chooseChild(QWidget* owner);
    void switchChild();
    // Tells the family, once a run, which lines of the list of children
    // were set aside.
    void tellSetAsideChildren(QWidget* owner);
    // Tells the family, once, that the record is not kept (or was set aside).
    void reportRecordNotice(QWidget* owner);
    // The record module is missing: said on asking for what needs it, and
    // once after a drill.
    static QString noRecordText();
    void reportNoRecord(const QString& title);

    // Class mode (classsession.cpp): the children are the class's roster,
    // as this computer last fetched it from the school's server; "Wer
    // rechnet heute?" offers them, or child names one. False when nobody was
    // picked or named.
    bool chooseFromClass(const QString& child, QWidget* owner);
    // Starts sending the class's records to the server; the status bar
    // shows how far that is.
    void openClassLink();
    void showClassState();

    QString m_baseName;
    QString m_contentFolder;
    QString m_helpFilePath;
    CProfile m_profile;
    CChildList m_children;
    QString m_childName;
    bool m_childChosen = false;
    // A termination signal came before the main window.
    bool m_terminated = false;
    bool m_setAsideTold = false;
    // The base name of the running settings file and record: <base>, or the child's.
    QString m_recordBase;
    CommandTable m_commands;
    // Found at the start; off without ollo-Klasse.conf.
    ClassConfig m_class;
    std::unique_ptr<ClassLink> m_classLink;
    // Before the main frame, so it outlives it and any drill still open in it.
    std::unique_ptr<LearningLog> m_record;
    bool m_noRecordTold = false;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<QSocketNotifier> m_terminationNotifier;
    std::unique_ptr<SingleInstance> m_instance;
    // Qt's German words, for as long as the program runs.
    std::unique_ptr<QTranslator> m_qtWords;
};
