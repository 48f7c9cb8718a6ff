#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "kit/progressreport.h"

class CChildList;
class DialogHost;
class FactGridModel;
class ProgressSource;
class QModelIndex;
namespace Ui {
class CProgressWindow;
}

// "Lernfortschritt": what the child has practised, for a parent. The small
// tables as a grid of facts coloured by how secure each is, the last four
// weeks as a chart, the other series summed up, the last drills as a list,
// and the whole record saved as a workbook (answersworkbook.h) or deleted
// (after a question that names the child). When the
// record cannot be kept, a line at the top says why. Read when the window
// opens, and again after deleting. The record comes from a ProgressSource
// (kit/progressmodule.h), so the window shows any keeper's records.
class CProgressWindow : public QDialog {
    Q_OBJECT

public:
    // Given the window that asks and a file name to suggest; returns the
    // chosen path, empty when the user declined.
    using SaveFileChooser = std::function<QString(QWidget* owner, const QString& suggested)>;

    // host: where help is asked for; null: help cannot be opened. children:
    // the family's list, managed in the window's "Kinder"; null: the window
    // has no such part.
    CProgressWindow(ProgressSource& source, DialogHost* host, QWidget* parent = nullptr,
                    CChildList* children = nullptr);
    ~CProgressWindow() override;

    // The real save dialog unless replaced (tests name a file here).
    void setSaveFileChooser(SaveFileChooser chooser);

    const ProgressReport& report() const { return m_report; }
    // The child whose record this is, for the title and the export, where
    // no list of children says it (a teacher's view of a child).
    void setChildName(const QString& name);

private:
    void refresh();
    // The record can be read and was read just now.
    bool readable() const;
    void fillSummary();
    void fillSeries();
    void fillDrills();
    void showFact(const QModelIndex& index);
    void onExport();
    void onClear();
    void onHelp();
    void fitGrid();

    std::unique_ptr<Ui::CProgressWindow> m_ui;
    ProgressSource& m_source;
    DialogHost* m_host = nullptr;
    FactGridModel* m_grid = nullptr;
    SaveFileChooser m_chooseFile;
    ProgressReport m_report;
    // The running child's name; empty for a family without children.
    QString m_childName;
};
