// The class view's buttons: a child's page, the roster kept on the server,
// the class's answers as a workbook, and reports printed or saved as PDF.

#include "klasse/classwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTime>
#include <QVBoxLayout>

#include "base/clock.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/progressmodule.h"
#include "kit/radiostop.h"
#include "kit/showhelp.h"
#include "klasse/classexport.h"
#include "klasse/classgridmodel.h"
#include "klasse/rostermodel.h"
#include "progress/progresstext.h"
#include "progress/progresswindow.h"
#include "record/answerrows.h"
#include "record/progressreading.h"
#include "record/recordstore.h"

namespace {

// One child's record on the server, as the progress window reads it. The
// figures were read on the server's thread before the window opened; the
// export's rows are read there too, the window waiting for them.
class ServerChild : public ProgressSource {
public:
    using Rows = std::function<bool(std::vector<AnswerRow>* rows)>;
    ServerChild(QString name, ProgressReport report, Rows rows)
        : m_name(std::move(name))
        , m_report(std::move(report))
        , m_rows(std::move(rows)) {}

    ProgressReport report(QDate) const override { return m_report; }
    bool canRead() const override { return true; }
    bool canWrite() const override { return false; }
    QString faultReason() const override { return {}; }
    QString stateText() const override { return {}; }
    QString takeNotice() override { return {}; }
    QString baseName() const override { return m_name; }
    bool readAnswers(std::vector<AnswerRow>* rows) const override { return m_rows(rows); }
    bool clearHistory() override { return false; }
    bool historyIsShared() const override { return true; }
    void removeRecordOf(const QString&) override {}
    int answeredTasksOf(const QString&) const override { return 0; }
    bool giveHistoryTo(const QString&, QString* error) override {
        if (error)
            *error = QStringLiteral("Der Lernverlauf liegt auf dem Schulserver.");
        return false;
    }

private:
    QString m_name;
    ProgressReport m_report;
    Rows m_rows;
};

struct Done {
    bool ok = false;
    QString error;
};

QString fileStem(const QString& text) {
    QString stem = text;
    for (QChar& c : stem)
        if (!c.isLetterOrNumber() && c != u'-')
            c = u'-';
    return stem;
}

} // namespace

void ClassWindow::onChildPage() {
    const QStringList ids = selectedChildren();
    if (ids.size() != 1)
        return;
    m_page->setEnabled(false);
    readPages(ids, [this, id = ids.first()](std::vector<ChildPage> pages, QString error) {
        updateButtons();
        if (pages.empty()) {
            QMessageBox::warning(this, QStringLiteral("Ollo"), error);
            return;
        }
        // The export waits for the server's thread; the window stays responsive meanwhile.
        ServerChild child(pages.front().name, pages.front().report, [this, id](std::vector<AnswerRow>* rows) {
            QEventLoop loop;
            struct Read {
                bool ok = false;
                std::vector<AnswerRow> rows;
            } result;
            ask<Read>(
                [id](ClassServer& server) {
                    Read read;
                    read.ok = ReadAnswers(*server.childStore(id), &read.rows);
                    return read;
                },
                [&loop, &result](Read read) {
                    result = std::move(read);
                    loop.quit();
                });
            loop.exec();
            *rows = std::move(result.rows);
            return result.ok;
        });
        CProgressWindow window(child, m_host, this);
        window.setChildName(pages.front().name);
        window.exec();
    });
}

void ClassWindow::onAdd() {
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("Kind hinzufügen"), QStringLiteral("&Name des Kindes:"),
                              QLineEdit::Normal, {}, &ok);
    if (!ok)
        return;
    ask<Done>(
        [name](ClassServer& server) {
            return Done{server.addChild(name), server.error()};
        },
        [this](Done done) {
            if (!done.ok)
                QMessageBox::warning(this, QStringLiteral("Ollo"), done.error);
            refresh();
        });
}

void ClassWindow::onRename() {
    const QStringList ids = selectedChildren();
    if (ids.size() != 1)
        return;
    const QString old = m_rosterView->selectionModel()->selectedRows().value(0).data().toString();
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("Kind umbenennen"),
                              QStringLiteral("Neuer &Name für „%1“:").arg(old), QLineEdit::Normal, old, &ok);
    if (!ok || name == old)
        return;
    ask<Done>(
        [id = ids.first(), name](ClassServer& server) {
            return Done{server.renameChild(id, name), server.error()};
        },
        [this](Done done) {
            if (!done.ok)
                QMessageBox::warning(this, QStringLiteral("Ollo"), done.error);
            refresh();
        });
}

void ClassWindow::onRemove() {
    const QStringList ids = selectedChildren();
    if (ids.size() != 1)
        return;
    const QString name = m_rosterView->selectionModel()->selectedRows().value(0).data().toString();
    QMessageBox question(QMessageBox::Question, QStringLiteral("Ollo"),
                         QStringLiteral("Soll „%1“ aus der Klasse entfernt werden?").arg(name),
                         QMessageBox::NoButton, this);
    question.setInformativeText(
        QStringLiteral("Alle Übungen, Aufgaben und Antworten des Kindes werden auf dem "
                       "Schulserver gelöscht. Das lässt sich nicht rückgängig machen."));
    QPushButton* remove = question.addButton(QStringLiteral("&Entfernen"), QMessageBox::DestructiveRole);
    QPushButton* keep = question.addButton(QStringLiteral("&Behalten"), QMessageBox::RejectRole);
    question.setDefaultButton(keep);
    question.setEscapeButton(keep);
    question.exec();
    if (question.clickedButton() != remove)
        return;
    ask<Done>(
        [id = ids.first()](ClassServer& server) {
            return Done{server.removeChild(id), server.error()};
        },
        [this](Done done) {
            if (!done.ok)
                QMessageBox::warning(this, QStringLiteral("Ollo"), done.error);
            refresh();
        });
}

void ClassWindow::onSaveTable() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(
        QStringLiteral("Lernverlauf-Klasse-%1-%2.xlsx")
            .arg(fileStem(m_classes->currentText()), ProgressText::today().toString(Qt::ISODate)));
    const QString path = m_chooseFile(this, QStringLiteral("Antworten der Klasse als Tabelle speichern"),
                                      suggested, QStringLiteral("Tabellen (*.xlsx)"));
    if (path.isEmpty())
        return;
    m_table->setEnabled(false);
    ask<Done>(
        [path, children = m_roster->roster()](ClassServer& server) {
            Done saved;
            saved.ok = SaveClassWorkbook(server, children, path, &saved.error);
            return saved;
        },
        [this](Done saved) {
            updateButtons();
            if (!saved.ok)
                QMessageBox::warning(this, QStringLiteral("Ollo"), saved.error);
        });
}

void ClassWindow::savePdf(const QString& path, const QStringList& childIds,
                          std::function<void(QString)> done) {
    readPages(childIds, [this, path, done](std::vector<ChildPage> pages, QString error) {
        if (pages.empty()) {
            done(error);
            return;
        }
        QPdfWriter writer(path);
        writer.setTitle(QStringLiteral("Lernfortschritt, Klasse %1").arg(m_classes->currentText()));
        writer.setCreator(QStringLiteral("Ollo"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        if (!PaintChildPages(writer, m_classes->currentText(), pages))
            done(QStringLiteral(
                     "Die Datei „%1“ konnte nicht geschrieben werden. Bitte wählen Sie einen anderen "
                     "Ort.")
                     .arg(QDir::toNativeSeparators(path)));
        else
            done(QString());
    });
}

void ClassWindow::onPdf() {
    const QStringList ids = selectedChildren();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString single = ids.size() == 1
                               ? m_rosterView->selectionModel()->selectedRows().value(0).data().toString()
                               : QStringLiteral("Klasse-%1").arg(m_classes->currentText());
    const QString path =
        m_chooseFile(this, QStringLiteral("Bericht als PDF speichern"),
                     QDir(folder).filePath(QStringLiteral("Lernfortschritt-%1.pdf").arg(fileStem(single))),
                     QStringLiteral("PDF-Dateien (*.pdf)"));
    if (path.isEmpty())
        return;
    savePdf(path, ids, [this](const QString& error) {
        if (!error.isEmpty())
            QMessageBox::warning(this, QStringLiteral("Ollo"), error);
    });
}

void ClassWindow::onPrint() {
    readPages(selectedChildren(), [this](std::vector<ChildPage> pages, QString error) {
        if (pages.empty()) {
            QMessageBox::warning(this, QStringLiteral("Ollo"), error);
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QStringLiteral("Lernfortschritt"));
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Bericht drucken"));
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (!PaintChildPages(printer, m_classes->currentText(), pages))
            QMessageBox::warning(this, QStringLiteral("Ollo"),
                                 QStringLiteral("Der Bericht konnte nicht gedruckt werden. Ist ein Drucker "
                                                "eingerichtet?"));
    });
}
