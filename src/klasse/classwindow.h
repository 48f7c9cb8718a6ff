#pragma once

#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "base/classconfig.h"
#include "klasse/classreport.h"
#include "klasse/classserver.h"

class ClassGridModel;
class DialogHost;
class QComboBox;
class QLabel;
class QModelIndex;
class QPushButton;
class QRadioButton;
class QSortFilterProxyModel;
class QTableView;
class RosterModel;

// "Klassenübersicht": the window of "ollo --klasse". The class's grid and
// roster, read when it opens and again whenever the server announces new
// answers of the class; a child's page in the family's progress window; the
// roster kept here; the class's answers as a workbook and children's pages printed
// or as PDF. Every statement runs on the server's thread, so the window
// stays with the teacher while the server thinks, and says so when it does
// not answer.
class ClassWindow : public QWidget {
    Q_OBJECT

public:
    // Given the window that asks, a title and a file name to suggest; the
    // chosen path, empty when declined. Tests name a file here.
    using FileChooser = std::function<QString(QWidget* owner, const QString& title, const QString& suggested,
                                              const QString& filter)>;

    ClassWindow(const ClassConfig& config, DialogHost* host, QWidget* parent = nullptr);
    ~ClassWindow() override;

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // What is on screen, for tests and the benchmark.
    const ClassGridModel& gridModel() const { return *m_grid; }
    const RosterModel& rosterModel() const { return *m_roster; }
    // How many times grid and roster were read and shown.
    int shown() const { return m_shown; }
    // The line at the top: empty when all is well.
    QString problem() const;

    // The pages of these children (roster ids) as a PDF at path; done is
    // called with an empty string or the German reason it failed.
    void savePdf(const QString& path, const QStringList& childIds, std::function<void(QString)> done);

Q_SIGNALS:
    // Grid and roster are on screen, read just now.
    void refreshed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Runs work on the server's thread, then done with its result here.
    template <class Result>
    void ask(std::function<Result(ClassServer&)> work, std::function<void(Result)> done);
    // The count of statements under way, and the "not answering" line with it.
    void beginAsking();
    void endAsking();
    void connectToServer();
    void refresh();
    void showProblem(const QString& text);
    void showFact(const QModelIndex& index);
    void chooseClass(int index);
    QStringList selectedChildren() const;
    void updateButtons();
    void onChildPage();
    void onAdd();
    void onRename();
    void onRemove();
    void onSaveTable();
    void onPrint();
    void onPdf();
    void onHelp();
    // The children's pages, read on the server's thread.
    void readPages(const QStringList& childIds, std::function<void(std::vector<ChildPage>, QString)> done);

    ClassConfig m_config;
    DialogHost* m_host = nullptr;
    QThread m_thread;
    ClassServer* m_server = nullptr; // lives on m_thread
    FileChooser m_chooseFile;
    ClassGridModel* m_grid = nullptr;
    RosterModel* m_roster = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QComboBox* m_classes = nullptr;
    QLabel* m_classLabel = nullptr;
    QLabel* m_banner = nullptr;
    QLabel* m_state = nullptr;
    QRadioButton* m_timesMode = nullptr;
    QTableView* m_gridView = nullptr;
    QLabel* m_details = nullptr;
    QTableView* m_rosterView = nullptr;
    QPushButton* m_page = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_table = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_pdf = nullptr;
    QTimer m_live;  // gathers a burst of announcements into one reading
    QTimer m_quiet; // a statement that takes this long: the server is said not to answer
    QTimer m_retry; // after a failed reading
    QTimer m_watch; // whether an idle connection still stands
    int m_pending = 0;
    bool m_connected = false;
    bool m_started = false;
    bool m_reading = false;
    bool m_readAgain = false;
    int m_shown = 0;
    QString m_problem;
};

template <class Result>
void ClassWindow::ask(std::function<Result(ClassServer&)> work, std::function<void(Result)> done) {
    beginAsking();
    QMetaObject::invokeMethod(m_server,
                              [this, server = m_server, work = std::move(work), done = std::move(done)] {
                                  Result result = work(*server);
                                  // Posted to the window: gone with it, should it close first.
                                  QMetaObject::invokeMethod(this, [this, done, result = std::move(result)] {
                                      endAsking();
                                      done(result);
                                  });
                              });
}
