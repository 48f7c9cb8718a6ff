// The teacher's class view: the class's grid and roster read from the school's
// server on a thread of its own, kept live through the server's announcements.

#include "klasse/classwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTime>
#include <QVBoxLayout>

#include "base/clock.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/progressmodule.h"
#include "kit/radiostop.h"
#include "kit/showhelp.h"
#include "klasse/classgridmodel.h"
#include "klasse/rostermodel.h"
#include "progress/progresstext.h"
#include "record/progressreading.h"
#include "record/recordstore.h"

namespace {

// A statement that has not come back after this long: the window says the
// server does not answer (it goes on waiting).
constexpr int kQuietMs = 4000;
// Announcements of a burst of answers are read together, this soon after the first.
constexpr int kGatherMs = 150;
// After a failed reading, the next try.
constexpr int kRetryMs = 10000;
// How often an idle connection is asked whether it still stands.
constexpr int kWatchMs = 15000;

QString chooseFile(QWidget* owner, const QString& title, const QString& suggested, const QString& filter) {
    QFileDialog dialog(owner, title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

struct Snapshot {
    bool ok = false;
    QString error;
    ClassGrid grid;
    std::vector<RosterRow> roster;
};

} // namespace

ClassWindow::ClassWindow(const ClassConfig& config, DialogHost* host, QWidget* parent)
    : QWidget(parent)
    , m_config(config)
    , m_host(host)
    , m_server(new ClassServer(QStringLiteral("ollo-klasse-%1").arg(quintptr(this), 0, 16)))
    , m_chooseFile(&chooseFile) {
    setWindowTitle(QStringLiteral("Ollo – Klassenübersicht"));
    m_server->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
    connect(m_server, &ClassServer::answersArrived, this, [this] {
        if (!m_live.isActive())
            m_live.start();
    });
    m_live.setSingleShot(true);
    m_live.setInterval(kGatherMs);
    connect(&m_live, &QTimer::timeout, this, &ClassWindow::refresh);
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] { m_connected ? refresh() : connectToServer(); });
    // A connection lost without a word (the server restarted) would keep the
    // announcements away: asked after now and then, and made again.
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, [this] {
        if (m_pending == 0 && m_connected)
            ask<bool>([](ClassServer& server) { return server.answers(); },
                      [this](bool alive) {
                          if (!alive)
                              refresh();
                      });
    });
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        m_state->setText(QStringLiteral("Der Schulserver antwortet gerade nicht. Ollo wartet weiter."));
    });

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_classLabel = new QLabel(QStringLiteral("&Klasse:"));
    m_classes = new QComboBox;
    m_classes->setAccessibleName(QStringLiteral("Klasse"));
    m_classLabel->setBuddy(m_classes);
    m_classLabel->hide();
    m_classes->hide();
    m_state = new QLabel(QStringLiteral("Verbinde mit dem Schulserver …"));
    m_state->setAccessibleName(QStringLiteral("Stand"));
    top->addWidget(m_classLabel);
    top->addWidget(m_classes);
    top->addWidget(m_state, 1);
    layout->addLayout(top);

    m_banner = new QLabel;
    m_banner->setWordWrap(true);
    m_banner->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_banner->setStyleSheet(
        QStringLiteral("QLabel { background-color: #fff4c2; border: 1px solid #d8b20a; padding: 6px; }"));
    m_banner->hide();
    layout->addWidget(m_banner);

    auto* middle = new QHBoxLayout;
    auto* gridBox = new QGroupBox(QStringLiteral("Die Klasse auf einen Blick"));
    auto* gridLayout = new QVBoxLayout(gridBox);
    auto* modes = new QHBoxLayout;
    m_timesMode = new QRadioButton(QStringLiteral("&mal"));
    auto* divideMode = new QRadioButton(QStringLiteral("&geteilt"));
    m_timesMode->setChecked(true);
    MakeOneTabStop({m_timesMode, divideMode});
    modes->addWidget(m_timesMode);
    modes->addWidget(divideMode);
    modes->addStretch();
    gridLayout->addLayout(modes);
    auto* explain = new QLabel(QStringLiteral("In jedem Feld: wie viele Kinder die Aufgabe sicher können. "
                                              "Grün: die ganze Klasse, gelb: die Hälfte, rot: niemand, "
                                              "grau: noch nicht geübt."));
    explain->setWordWrap(true);
    gridLayout->addWidget(explain);
    m_grid = new ClassGridModel(this);
    m_gridView = new QTableView;
    m_gridView->setModel(m_grid);
    m_gridView->setMouseTracking(true);
    m_gridView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_gridView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gridView->setAccessibleName(QStringLiteral("Kleines Einmaleins der Klasse"));
    m_gridView->setAccessibleDescription(explain->text());
    // A little smaller than the family's grid: the roster beside it needs the room.
    const int side = qMax(fontMetrics().height() * 8 / 5 + 4,
                          fontMetrics().horizontalAdvance(QStringLiteral("10er")) + 10);
    for (QHeaderView* header : {m_gridView->horizontalHeader(), m_gridView->verticalHeader()}) {
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setDefaultSectionSize(side);
        header->setMinimumSectionSize(side);
        header->setHighlightSections(false);
    }
    m_gridView->setFixedSize(
        m_gridView->verticalHeader()->sizeHint().width() + 10 * side + 2 * m_gridView->frameWidth(),
        m_gridView->horizontalHeader()->sizeHint().height() + 10 * side + 2 * m_gridView->frameWidth());
    gridLayout->addWidget(m_gridView);
    m_details = new QLabel;
    m_details->setWordWrap(true);
    m_details->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_details->setMinimumHeight(m_details->fontMetrics().lineSpacing() * 3);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    gridLayout->addWidget(m_details);
    gridLayout->addStretch();
    middle->addWidget(gridBox);

    auto* rosterBox = new QGroupBox(QStringLiteral("Kinder"));
    auto* rosterLayout = new QVBoxLayout(rosterBox);
    m_roster = new RosterModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_roster);
    m_sorted->setSortRole(RosterModel::SortRole);
    m_rosterView = new QTableView;
    m_rosterView->setModel(m_sorted);
    m_rosterView->setSortingEnabled(true);
    m_rosterView->sortByColumn(RosterModel::Name, Qt::AscendingOrder);
    m_rosterView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rosterView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_rosterView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rosterView->setAlternatingRowColors(true);
    m_rosterView->verticalHeader()->hide();
    m_rosterView->horizontalHeader()->setStretchLastSection(true);
    m_rosterView->setAccessibleName(QStringLiteral("Kinder der Klasse"));
    m_rosterView->setAccessibleDescription(
        QStringLiteral("Eine Zeile je Kind. Mit einem Klick auf eine Spaltenüberschrift sortieren; "
                       "Eingabetaste öffnet die Seite des Kindes."));
    m_rosterView->setMinimumWidth(fontMetrics().averageCharWidth() * 80);
    rosterLayout->addWidget(m_rosterView, 1);
    auto* rosterButtons = new QHBoxLayout;
    m_page = new QPushButton(QStringLiteral("&Seite des Kindes..."));
    m_add = new QPushButton(QStringLiteral("Kind &hinzufügen..."));
    m_rename = new QPushButton(QStringLiteral("&Umbenennen..."));
    m_remove = new QPushButton(QStringLiteral("&Entfernen..."));
    for (QPushButton* button : {m_page, m_add, m_rename, m_remove})
        rosterButtons->addWidget(button);
    rosterButtons->addStretch();
    rosterLayout->addLayout(rosterButtons);
    middle->addWidget(rosterBox, 1);
    layout->addLayout(middle, 1);

    auto* bottom = new QHBoxLayout;
    m_table = new QPushButton(QStringLiteral("Als &Tabelle speichern..."));
    m_print = new QPushButton(QStringLiteral("Bericht &drucken..."));
    m_pdf = new QPushButton(QStringLiteral("Als &PDF speichern..."));
    auto* help = new QPushButton(QStringLiteral("&Hilfe"));
    help->setObjectName(QStringLiteral("helpButton"));
    auto* close = new QPushButton(QStringLiteral("S&chließen"));
    for (QPushButton* button : {m_table, m_print, m_pdf})
        bottom->addWidget(button);
    bottom->addStretch();
    bottom->addWidget(help);
    bottom->addWidget(close);
    layout->addLayout(bottom);
    m_table->setToolTip(
        QStringLiteral("Jede Antwort der Klasse für eine Tabellenkalkulation, eine Zeile je Antwort"));
    m_print->setToolTip(QStringLiteral("Die Seite jedes gewählten Kindes, eine Seite je Kind"));
    m_pdf->setToolTip(m_print->toolTip());

    connect(m_timesMode, &QRadioButton::toggled, this, [this](bool times) {
        m_grid->setOperation(times ? Record::Operation::Multiplication : Record::Operation::Division);
        showFact(m_gridView->currentIndex());
    });
    connect(m_gridView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { showFact(current); });
    connect(m_gridView, &QTableView::entered, this, &ClassWindow::showFact);
    connect(m_classes, &QComboBox::activated, this, &ClassWindow::chooseClass);
    connect(m_rosterView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ClassWindow::updateButtons);
    connect(m_rosterView, &QTableView::activated, this, &ClassWindow::onChildPage);
    connect(m_page, &QPushButton::clicked, this, &ClassWindow::onChildPage);
    connect(m_add, &QPushButton::clicked, this, &ClassWindow::onAdd);
    connect(m_rename, &QPushButton::clicked, this, &ClassWindow::onRename);
    connect(m_remove, &QPushButton::clicked, this, &ClassWindow::onRemove);
    connect(m_table, &QPushButton::clicked, this, &ClassWindow::onSaveTable);
    connect(m_print, &QPushButton::clicked, this, &ClassWindow::onPrint);
    connect(m_pdf, &QPushButton::clicked, this, &ClassWindow::onPdf);
    connect(help, &QPushButton::clicked, this, &ClassWindow::onHelp);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, &ClassWindow::onHelp);

    updateButtons();
    showFact({});
    const QScreen* screen = QApplication::primaryScreen();
    const QSize wanted = sizeHint();
    resize(screen ? wanted.boundedTo(screen->availableGeometry().size() * 0.95) : wanted);
}

ClassWindow::~ClassWindow() {
    // A statement waiting on a hung server ends at once.
    if (m_pending > 0)
        m_server->interrupt();
    m_thread.quit();
    m_thread.wait();
}

void ClassWindow::beginAsking() {
    if (m_pending++ == 0)
        m_quiet.start();
}

void ClassWindow::endAsking() {
    if (--m_pending != 0)
        return;
    m_quiet.stop();
    if (m_state->text().startsWith(QStringLiteral("Der Schulserver antwortet")))
        m_state->setText(
            m_connected
                ? QStringLiteral("Stand %1").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")))
                : QString());
}

void ClassWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_started) {
        m_started = true;
        connectToServer();
    }
}

QString ClassWindow::problem() const {
    return m_problem;
}

void ClassWindow::showProblem(const QString& text) {
    m_problem = text;
    m_banner->setText(text);
    m_banner->setVisible(!text.isEmpty());
}

void ClassWindow::connectToServer() {
    struct Opened {
        bool ok = false;
        QString error;
        std::vector<ClassInfo> classes;
        QString current;
    };
    ask<Opened>(
        [config = m_config](ClassServer& server) {
            Opened opened;
            opened.ok = server.open(config) && server.listen();
            opened.error = server.error();
            opened.classes = server.classes();
            opened.current = server.currentClass().id;
            return opened;
        },
        [this](Opened opened) {
            if (!opened.ok) {
                m_state->setText(QStringLiteral("Ollo versucht es gleich noch einmal."));
                m_retry.start();
                showProblem(opened.error.isEmpty() ? QStringLiteral("Der Schulserver nimmt keine "
                                                                    "Benachrichtigungen an.")
                                                   : opened.error);
                updateButtons();
                return;
            }
            m_connected = true;
            m_watch.start();
            m_classes->clear();
            for (const ClassInfo& klass : opened.classes) {
                m_classes->addItem(klass.name, klass.id);
                if (klass.id == opened.current)
                    m_classes->setCurrentIndex(m_classes->count() - 1);
            }
            // A teacher of one class has nothing to choose.
            m_classLabel->setVisible(opened.classes.size() > 1);
            m_classes->setVisible(opened.classes.size() > 1);
            setWindowTitle(QStringLiteral("Ollo – Klassenübersicht %1").arg(m_classes->currentText()));
            refresh();
        });
}

void ClassWindow::chooseClass(int index) {
    const QString id = m_classes->itemData(index).toString();
    setWindowTitle(QStringLiteral("Ollo – Klassenübersicht %1").arg(m_classes->itemText(index)));
    ask<bool>([id](ClassServer& server) { return server.chooseClass(id); }, [this](bool) { refresh(); });
}

void ClassWindow::refresh() {
    if (!m_connected)
        return;
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    m_reading = true;
    ask<Snapshot>(
        [](ClassServer& server) {
            Snapshot snapshot;
            const auto read = [&] {
                return server.readGrid(snapshot.grid) &&
                       server.readRoster(Clock::NowSeconds(), snapshot.roster);
            };
            // A connection lost since (the server restarted) is made again once.
            snapshot.ok = read() || (server.reconnect() && read());
            snapshot.error = server.error();
            return snapshot;
        },
        [this](Snapshot snapshot) {
            m_reading = false;
            if (snapshot.ok) {
                showProblem(QString());
                m_grid->setGrid(snapshot.grid);
                m_roster->setRoster(std::move(snapshot.roster));
                showFact(m_gridView->currentIndex());
                m_state->setText(QStringLiteral("Stand %1; neue Antworten erscheinen von selbst.")
                                     .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
                ++m_shown;
                updateButtons();
                Q_EMIT refreshed();
            } else {
                showProblem(snapshot.error);
                m_state->setText(QStringLiteral("Ollo versucht es gleich noch einmal."));
                // Tried again until the server answers; announcements need the connection.
                m_retry.start();
            }
            if (m_readAgain) {
                m_readAgain = false;
                refresh();
            }
        });
}

void ClassWindow::showFact(const QModelIndex& index) {
    if (index.isValid()) {
        m_details->setText(m_grid->describe(index));
        return;
    }
    m_details->setText(QStringLiteral("Zeigen Sie auf ein Feld oder wählen Sie es mit den Pfeiltasten: "
                                      "darunter steht, welche Kinder darin noch unsicher sind."));
}

QStringList ClassWindow::selectedChildren() const {
    QStringList ids;
    for (const QModelIndex& row : m_rosterView->selectionModel()->selectedRows())
        ids << row.data(RosterModel::IdRole).toString();
    return ids;
}

void ClassWindow::updateButtons() {
    const qsizetype selected = selectedChildren().size();
    m_page->setEnabled(m_connected && selected == 1);
    m_rename->setEnabled(m_connected && selected == 1);
    m_remove->setEnabled(m_connected && selected == 1);
    m_add->setEnabled(m_connected);
    m_table->setEnabled(m_connected && m_roster->rowCount() > 0);
    m_print->setEnabled(m_connected && selected > 0);
    m_pdf->setEnabled(m_connected && selected > 0);
}

void ClassWindow::readPages(const QStringList& childIds,
                            std::function<void(std::vector<ChildPage>, QString)> done) {
    std::vector<std::pair<QString, QString>> children;
    for (const RosterRow& row : m_roster->roster())
        if (childIds.contains(row.id))
            children.emplace_back(row.id, row.name);
    struct Pages {
        std::vector<ChildPage> pages;
        QString error;
    };
    ask<Pages>(
        [children](ClassServer& server) {
            Pages pages;
            for (const auto& [id, name] : children) {
                const std::unique_ptr<RecordStore> store = server.childStore(id);
                ProgressReport report = ProgressReading::Read(*store, ProgressText::today());
                if (!report.unreadable.isEmpty()) {
                    pages.error = report.unreadable;
                    return pages;
                }
                pages.pages.push_back({name, std::move(report)});
            }
            return pages;
        },
        [done](Pages pages) { done(std::move(pages.pages), pages.error); });
}

void ClassWindow::onHelp() {
    ShowHelp(m_host, Help::forCommand(Cmd::ClassView));
}
