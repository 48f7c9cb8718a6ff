// The progress window's widgets: the grid, legend, tables and chart filled
// from the report, and its buttons. Its words are in progresstext.cpp.

#include "progress/progresswindow.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QTabBar>
#include <QTableWidget>

#include <utility>

#include "base/childlist.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/progressmodule.h"
#include "kit/showhelp.h"
#include "progress/answersworkbook.h"
#include "progress/childrenbox.h"
#include "progress/factgridaccess.h"
#include "progress/factgridmodel.h"
#include "progress/progresstext.h"
#include "ui_progresswindow.h"

namespace {

using namespace ProgressText;

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    return item;
}

QTableWidgetItem* number(const QString& text) {
    return cell(text, Qt::AlignRight | Qt::AlignVCenter);
}

void setUpTable(QTableWidget* table, const QStringList& headers) {
    table->setColumnCount(int(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setHighlightSections(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
}

void finishTable(QTableWidget* table, int visibleRows) {
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    const int rows = table->horizontalHeader()->sizeHint().height() +
                     visibleRows * table->verticalHeader()->defaultSectionSize() + 2 * table->frameWidth();
    table->setMinimumHeight(rows);
    int width = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < table->columnCount(); ++column)
        width += table->horizontalHeader()->sectionSize(column);
    table->setMinimumWidth(width);
}

QString chooseSaveFile(QWidget* owner, const QString& suggested) {
    QFileDialog dialog(owner, QStringLiteral("Lernverlauf als Tabelle speichern"), suggested,
                       QStringLiteral("Tabellen (*.xlsx)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    // German whether or not Qt's own translations are installed.
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Suchen in:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Dateiname:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Dateityp:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Speichern"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

// The documents folder where there is one, else the home folder.
QString saveFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// A swatch of each colour with its name, two by two.
void fillLegend(QWidget* legend) {
    auto* grid = new QGridLayout(legend);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(4, 1);
    const int side = legend->fontMetrics().height();
    int place = 0;
    for (const Security security :
         {Security::Secure, Security::Slow, Security::Unsettled, Security::Shaky, Security::NeverAsked}) {
        QPixmap swatch(side, side);
        swatch.fill(Qt::white);
        QPainter painter(&swatch);
        painter.fillRect(swatch.rect(), FactGridModel::BrushOf(security));
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        painter.end();
        auto* mark = new QLabel;
        mark->setPixmap(swatch);
        mark->setAccessibleName(QString::fromUtf8("Farbe für „%1“").arg(FactGridModel::NameOf(security)));
        auto* name = new QLabel(FactGridModel::LegendOf(security));
        // The name belongs to its swatch; a screen reader does not read it
        // out of place as the window opens.
        name->setBuddy(mark);
        grid->addWidget(mark, place / 2, place % 2 * 2);
        grid->addWidget(name, place / 2, place % 2 * 2 + 1);
        ++place;
    }
    grid->setColumnMinimumWidth(1, 10 * side);
    legend->setAccessibleName(
        QStringLiteral("Farben: grün sicher, gelb richtig, aber langsam, hellblau richtig, noch nicht "
                       "gefestigt, rot und schraffiert noch unsicher, grau noch nicht geübt"));
}

} // namespace

CProgressWindow::CProgressWindow(ProgressSource& source, DialogHost* host, QWidget* parent,
                                 CChildList* children)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CProgressWindow>())
    , m_source(source)
    , m_host(host)
    , m_chooseFile(&chooseSaveFile) {
    m_ui->setupUi(this);
    // Sizes below are worked out from fonts and styles as they will be shown.
    ensurePolished();

    m_ui->faultBanner->setStyleSheet(
        QStringLiteral("QLabel { background-color: #fff4c2; border: 1px solid #d8b20a; padding: 6px; }"));
    QFont summaryFont = m_ui->summary->font();
    summaryFont.setPointSizeF(summaryFont.pointSizeF() * 1.15);
    m_ui->summary->setFont(summaryFont);

    m_grid = new FactGridModel(this);
    FactGridAccess::Install();
    QTableView* grid = m_ui->factGrid;
    grid->setModel(m_grid);
    grid->setMouseTracking(true);
    grid->setAccessibleName(QStringLiteral("Kleines Einmaleins"));
    for (QHeaderView* header : {grid->horizontalHeader(), grid->verticalHeader()}) {
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setHighlightSections(false);
    }
    fillLegend(m_ui->legend);
    fitGrid();
    // The details take the width the grid gives them, and room for their
    // longest story, so the window neither widens nor jumps while hovering.
    m_ui->factDetails->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_ui->factDetails->setMinimumHeight(m_ui->factDetails->fontMetrics().lineSpacing() * 4);

    setUpTable(m_ui->seriesTable,
               {QStringLiteral("Reihe"), QStringLiteral("Übungen"), QStringLiteral("Aufgaben"),
                QStringLiteral("auf Anhieb\nrichtig"), QStringLiteral("zuletzt\ngeübt")});
    // The tab says it short; the table, to a screen reader, in full.
    m_ui->seriesTable->setAccessibleName(QStringLiteral("Großes 1×1, Sonderreihen und beliebige Reihen"));
    setUpTable(m_ui->drillsTable, {QStringLiteral("Wann"), QStringLiteral("Reihe"),
                                   QStringLiteral("Aufgaben"), QStringLiteral("auf Anhieb\nrichtig"),
                                   QStringLiteral("mit\nLOESEN"), QStringLiteral("Ende")});
    m_ui->drillsTable->setAccessibleName(QStringLiteral("Die letzten Übungen"));
    // Tab in reading order: the tabs after the grid, before the tables on
    // them. The form cannot name the tab bar itself.
    QTabBar* tabs = m_ui->panelTabs->tabBar();
    tabs->setObjectName(QStringLiteral("panelTabBar"));
    // The bar takes the focus itself; the tab widget handing it on would
    // bring Tab back to the bar from the last button.
    m_ui->panelTabs->setFocusProxy(nullptr);
    m_ui->panelTabs->setFocusPolicy(Qt::NoFocus);
    const QList<QWidget*> order{m_ui->timesMode,   m_ui->factGrid,    tabs,
                                m_ui->seriesTable, m_ui->drillsTable, m_ui->exportButton,
                                m_ui->clearButton, m_ui->helpButton,  m_ui->closeButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_ui->timesMode, &QRadioButton::toggled, this, [this](bool times) {
        m_grid->setOperation(times ? Record::Operation::Multiplication : Record::Operation::Division);
        showFact(m_ui->factGrid->currentIndex());
    });
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { showFact(current); });
    connect(grid, &QTableView::entered, this, &CProgressWindow::showFact);
    connect(m_ui->exportButton, &QPushButton::clicked, this, &CProgressWindow::onExport);
    connect(m_ui->clearButton, &QPushButton::clicked, this, &CProgressWindow::onClear);
    connect(m_ui->helpButton, &QPushButton::clicked, this, &CProgressWindow::onHelp);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &CProgressWindow::onHelp);

    if (children != nullptr) {
        const QString activeBaseName = m_source.baseName();
        auto* box = new CChildrenBox(*children, activeBaseName, m_source);
        // The tab names it; a title inside would say it twice.
        box->setTitle(QString());
        box->setFlat(true);
        m_ui->panelTabs->addTab(box, QStringLiteral("Ki&nder"));
        // Tab follows the reading order: the box's stops after the tables,
        // in their own order, before the buttons under the page.
        QList<QWidget*> stops;
        for (QWidget* stop = box->nextInFocusChain(); stop != box; stop = stop->nextInFocusChain())
            if (box->isAncestorOf(stop) && (stop->focusPolicy() & Qt::TabFocus))
                stops << stop;
        QWidget* previous = m_ui->drillsTable;
        for (QWidget* stop : stops) {
            setTabOrder(previous, stop);
            previous = stop;
        }
        for (const CChildList::Child& child : children->children())
            if (child.baseName == activeBaseName)
                m_childName = child.name;
    }

    if (!m_childName.isEmpty())
        setWindowTitle(QStringLiteral("Lernfortschritt – %1").arg(m_childName));
    refresh();
    // Said here, so the main window need not say it again.
    m_source.takeNotice();

    // As large as the content wants, within the screen; the page scrolls
    // beyond. The filled tables changed what the layouts had worked out.
    for (QWidget* widget : m_ui->page->findChildren<QWidget*>())
        widget->updateGeometry();
    for (QLayout* layout : m_ui->page->findChildren<QLayout*>())
        layout->invalidate();
    const QMargins margins = m_ui->windowLayout->contentsMargins();
    // The scroll area's frame too, or a page that fits gets scroll bars.
    const int frame = 2 * m_ui->scrollArea->frameWidth();
    const QSize wanted = m_ui->page->sizeHint().expandedTo(m_ui->page->minimumSizeHint()) +
                         QSize(frame, frame) +
                         QSize(margins.left() + margins.right(), margins.top() + margins.bottom() +
                                                                     m_ui->windowLayout->spacing() +
                                                                     m_ui->buttonRow->sizeHint().height());
    const QScreen* screen = parent ? parent->screen() : QApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() * 0.95 : wanted;
    // Taller than the screen, the page scrolls up and down; its scroll bar
    // then takes width that the right column would otherwise lose.
    QSize size = wanted;
    if (wanted.height() > room.height())
        size.rwidth() += m_ui->scrollArea->verticalScrollBar()->sizeHint().width();
    resize(size.boundedTo(room));
    // The keyboard starts at the top; Enter closes from there too.
    m_ui->timesMode->setFocus();
    // Wherever the keyboard goes on the page, the page scrolls to show it,
    // also when it comes from the buttons below.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) {
        if (now && m_ui->page->isAncestorOf(now))
            m_ui->scrollArea->ensureWidgetVisible(now, 10, 10);
    });
}

CProgressWindow::~CProgressWindow() = default;

void CProgressWindow::setChildName(const QString& name) {
    m_childName = name;
    setWindowTitle(QStringLiteral("Lernfortschritt – %1").arg(name));
}

void CProgressWindow::setSaveFileChooser(SaveFileChooser chooser) {
    m_chooseFile = std::move(chooser);
}

void CProgressWindow::fitGrid() {
    QTableView* grid = m_ui->factGrid;
    const int side = grid->fontMetrics().height() * 2 + 4;
    grid->horizontalHeader()->setDefaultSectionSize(side);
    grid->verticalHeader()->setDefaultSectionSize(side);
    grid->horizontalHeader()->setMinimumSectionSize(side);
    grid->verticalHeader()->setMinimumSectionSize(side);
    const int width = grid->verticalHeader()->sizeHint().width() + 10 * side + 2 * grid->frameWidth();
    const int height = grid->horizontalHeader()->sizeHint().height() + 10 * side + 2 * grid->frameWidth();
    grid->setFixedSize(width, height);
}

void CProgressWindow::refresh() {
    m_report = m_source.report(today());

    // A record that could not be read says so; its empty figures are not the child's.
    QString state = m_source.stateText();
    if (!m_report.unreadable.isEmpty())
        state = state.isEmpty() ? m_report.unreadable : state + QStringLiteral("\n\n") + m_report.unreadable;
    m_ui->faultBanner->setText(state);
    m_ui->faultBanner->setVisible(!state.isEmpty());

    fillSummary();
    m_grid->setReport(m_report);
    showFact(m_ui->factGrid->currentIndex());
    m_ui->chart->setDays(m_report.days);
    fillSeries();
    fillDrills();

    m_ui->exportButton->setEnabled(readable() && m_report.totals.tasks > 0);
    m_ui->clearButton->setEnabled(m_source.canWrite() && !m_report.lastDrills.empty());
    m_ui->clearButton->setVisible(!m_source.historyIsShared());
}

bool CProgressWindow::readable() const {
    return m_source.canRead() && m_report.unreadable.isEmpty();
}

void CProgressWindow::fillSummary() {
    m_ui->summary->setText(summaryText(m_report.totals, readable()));
}

void CProgressWindow::showFact(const QModelIndex& index) {
    // Without a cell chosen: the facts that still need practice, by name.
    m_ui->factDetails->setText(index.isValid() ? m_grid->describe(index)
                                               : shakyText(m_report, m_grid->operation()));
}

void CProgressWindow::fillSeries() {
    QTableWidget* table = m_ui->seriesTable;
    table->clearSpans();
    table->setRowCount(0);
    if (m_report.series.empty()) {
        table->setRowCount(1);
        table->setItem(0, 0, cell(QStringLiteral("Noch keine Übungen in diesen Reihen.")));
        table->setSpan(0, 0, 1, table->columnCount());
    }
    for (const SeriesSummary& series : m_report.series) {
        const int row = table->rowCount();
        table->insertRow(row);
        table->setItem(row, 0,
                       cell(ProgressReport::SeriesTitle(series.operation, series.series, series.chosen)));
        table->setItem(row, 1, number(german().toString(series.drills)));
        table->setItem(row, 2, number(german().toString(series.tasks)));
        table->setItem(row, 3, number(percent(series.rightFirst, series.tasks)));
        table->setItem(row, 4, cell(local(series.lastPractised).toString(QStringLiteral("dd.MM.yyyy"))));
    }
    finishTable(table, 4);
}

void CProgressWindow::fillDrills() {
    QTableWidget* table = m_ui->drillsTable;
    table->clearSpans();
    table->setRowCount(0);
    if (m_report.lastDrills.empty()) {
        table->setRowCount(1);
        table->setItem(0, 0, cell(QStringLiteral("Noch keine Übungen.")));
        table->setSpan(0, 0, 1, table->columnCount());
    }
    for (const DrillSummary& drill : m_report.lastDrills) {
        const int row = table->rowCount();
        table->insertRow(row);
        const QString series = drill.series > 0
                                   ? ProgressReport::SeriesTitle(drill.operation, drill.series, drill.chosen)
                                   : drill.caption;
        table->setItem(row, 0, cell(whenText(drill.started)));
        table->setItem(row, 1, cell(series));
        table->setItem(row, 2,
                       number(QStringLiteral("%1 von %2").arg(drill.answered).arg(qMax(drill.taskCount, 1))));
        table->setItem(row, 3, number(QString::number(drill.rightFirst)));
        table->setItem(row, 4,
                       number(drill.solved > 0 ? QString::number(drill.solved) : QStringLiteral("–")));
        table->setItem(row, 5, cell(endText(drill.end)));
    }
    finishTable(table, 4);
}

void CProgressWindow::onExport() {
    // "Lernverlauf-Anna-2024-06-03.xlsx"; a name that holds a slash keeps the file in its folder.
    const QString child = m_childName.isEmpty() ? QString() : QString(m_childName).replace(u'/', u'-') + u'-';
    const QString suggested = QDir(saveFolder())
                                  .filePath(QStringLiteral("Lernverlauf-%1%2.xlsx")
                                                .arg(child, today().toString(QStringLiteral("yyyy-MM-dd"))));
    const QString path = m_chooseFile(this, suggested);
    if (path.isEmpty())
        return;
    std::vector<AnswerRow> rows;
    QString error;
    if (!m_source.readAnswers(&rows))
        error = QString::fromUtf8("Der Lernverlauf lässt sich nicht lesen.\n\n") + m_source.faultReason();
    else
        SaveAnswersWorkbook(rows, m_childName, path, &error);
    if (!error.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Ollo"), error);
}

void CProgressWindow::onClear() {
    QMessageBox question(
        QMessageBox::Question, QStringLiteral("Ollo"),
        m_childName.isEmpty()
            ? QStringLiteral("Soll der ganze Lernverlauf gelöscht werden?")
            : QStringLiteral("Soll der ganze Lernverlauf von %1 gelöscht werden?").arg(m_childName),
        QMessageBox::NoButton, this);
    question.setInformativeText(QStringLiteral("Alle aufgezeichneten Übungen, Aufgaben und Antworten gehen "
                                               "verloren. Das lässt sich nicht rückgängig machen."));
    QPushButton* erase = question.addButton(QStringLiteral("Verlauf &löschen"), QMessageBox::DestructiveRole);
    QPushButton* keep = question.addButton(QStringLiteral("&Behalten"), QMessageBox::RejectRole);
    question.setDefaultButton(keep);
    question.setEscapeButton(keep);
    question.exec();
    if (question.clickedButton() != erase)
        return;
    if (!m_source.clearHistory())
        QMessageBox::warning(this, QStringLiteral("Ollo"),
                             QStringLiteral("Der Lernverlauf konnte nicht gelöscht werden.\n\n") +
                                 m_source.faultReason());
    refresh();
}

void CProgressWindow::onHelp() {
    ShowHelp(m_host, Help::forCommand(Cmd::Progress));
}
