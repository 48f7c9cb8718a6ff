#pragma once

// The help window: the German help file (a Qt help file, <base>.qch) with its
// contents, its index and the topic; a context number finds its topic
// through the keyword id "ctx.<number>". HelpDesk decides which window shows.

#include <QPointer>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

#include <memory>

class QHelpEngine;
class QTabWidget;
class HelpBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(const QString& helpFile, QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows the topic of a context number; false (and nothing changed) when
    // the help file has none.
    bool showContext(int number);
    // Shows the first page with the contents and index beside it.
    bool showContents();

    QUrl currentTopic() const;
    HelpBrowser* browser() const { return m_browser; }
    QTabWidget* navigation() const { return m_navigation; }

    // Opened for a dialog, it stays open, where it is, when the dialog closes:
    // it goes over to nextOwner then.
    void keepAfter(QWidget* dialog, QWidget* nextOwner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTopic(const QUrl& url);
    void markInContents(const QUrl& url);
    void sortIndex();

    std::unique_ptr<QTemporaryDir> m_collectionDir;
    QHelpEngine* m_engine = nullptr;
    QTabWidget* m_navigation = nullptr;
    HelpBrowser* m_browser = nullptr;
    bool m_ready = false;
    QPointer<QWidget> m_dialog;
    QPointer<QWidget> m_nextOwner;
};
