#pragma once

// The help window: the German help file (a Qt help file, <base>.qch) with its
// contents, its index and the topic. ShowHelp reaches it through Open(); a
// context number finds its topic through the keyword id "ctx.<number>".
// The window belongs to the window that asked for help (a running modal
// dialog, else the main window), so it stays usable while a dialog is open.

#include <QPointer>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

#include <memory>

#include "shell/showhelp.h"

class QHelpEngine;
class QTabWidget;
class HelpBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(const QString& helpFile, QWidget* parent = nullptr);
    ~HelpWindow() override;

    // False when the help file could not be opened.
    bool isReady() const { return m_ready; }

    // Shows the topic of a context number; false (and nothing changed) when
    // the help file has none.
    bool showContext(int number);
    // Shows the first page with the contents and index beside it.
    bool showContents();

    QUrl currentTopic() const;
    HelpBrowser* browser() const { return m_browser; }
    QTabWidget* navigation() const { return m_navigation; }

    // The help file the program opens, and the window that owns the help
    // window while no modal dialog runs.
    static void SetHelpFile(const QString& path);
    static QString HelpFile();
    static void SetOwner(QWidget* owner);

    // ShowHelp's road: opens (or reuses) the help window and shows the topic.
    static bool Open(int data, HelpCommand command);
    static HelpWindow* Current();

private:
    void showTopic(const QUrl& url);
    void markInContents(const QUrl& url);

    std::unique_ptr<QTemporaryDir> m_collectionDir;
    QHelpEngine* m_engine = nullptr;
    QTabWidget* m_navigation = nullptr;
    HelpBrowser* m_browser = nullptr;
    bool m_ready = false;
};
