#include "helpviewer/helpwindow.h"

#include <QApplication>
#include <QCollator>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpEngineCore>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

#include "helpviewer/helpbrowser.h"

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_collectionDir(std::make_unique<QTemporaryDir>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8("Ollo-Hilfe"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ollo.svg")));
    resize(860, 620);

    // The engine records the registration in a collection file of its own;
    // the help file itself stays read-only wherever it is installed.
    // Registering goes through an engine without contents and index models:
    // setting those up twice starts their background readers twice, and Qt's
    // readers then race each other.
    const QString collection = m_collectionDir->filePath(QStringLiteral("ollo.qhc"));
    bool registered = false;
    if (m_collectionDir->isValid() && QFileInfo::exists(helpFile)) {
        QHelpEngineCore registrar(collection);
        registrar.setReadOnly(false);
        registered = registrar.setupData() && registrar.registerDocumentation(helpFile);
    }
    m_engine = new QHelpEngine(collection, this);
    m_ready = registered && m_engine->setupData();

    m_browser = new HelpBrowser(*m_engine);
    m_browser->setAccessibleName(QString::fromUtf8("Hilfetext"));
    m_navigation = new QTabWidget;

    QHelpContentWidget* contents = m_engine->contentWidget();
    contents->setAccessibleName(QString::fromUtf8("Inhalt"));
    m_navigation->addTab(contents, QString::fromUtf8("Inhalt"));
    connect(contents, &QHelpContentWidget::linkActivated, this, &HelpWindow::showTopic);
    // One click opens an entry, as a link does.
    connect(contents, &QHelpContentWidget::clicked, this, [this](const QModelIndex& entry) {
        if (const QHelpContentItem* item = m_engine->contentModel()->contentItemAt(entry))
            showTopic(item->url());
    });
    // The contents are read in the background; the chapters show once read.
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, contents, [this, contents] {
        contents->expandToDepth(0);
        markInContents(currentTopic());
    });

    auto* indexPage = new QWidget;
    auto* search = new QLineEdit;
    auto* searchLabel = new QLabel(QString::fromUtf8("&Suchen:"));
    searchLabel->setBuddy(search);
    QHelpIndexWidget* index = m_engine->indexWidget();
    index->setAccessibleName(QString::fromUtf8("Index"));
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->addWidget(searchLabel);
    indexLayout->addWidget(search);
    indexLayout->addWidget(index);
    m_navigation->addTab(indexPage, QString::fromUtf8("Index"));
    connect(m_engine->indexModel(), &QHelpIndexModel::indexCreated, this, &HelpWindow::sortIndex);
    connect(search, &QLineEdit::textChanged, index, [this, index](const QString& text) {
        index->filterIndices(text);
        sortIndex();
    });
    connect(search, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& document, const QString&) { showTopic(document.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& documents, const QString&) {
                if (!documents.isEmpty())
                    showTopic(documents.first().url);
            });

    connect(m_navigation, &QTabWidget::currentChanged, search, [search](int tab) {
        if (tab == 1)
            search->setFocus();
    });
    // Esc puts the help away, as it closes every other window of the program.
    auto* away = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(away, &QShortcut::activated, this, &QWidget::close);

    auto* splitter = new QSplitter;
    splitter->addWidget(m_navigation);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({240, 620});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

HelpWindow::~HelpWindow() {
    // Qt reads the contents and the index in threads of their own that use
    // the engine's data; the engine must not go while they still run.
    QDeadlineTimer deadline(5000);
    while ((m_engine->contentModel()->isCreatingContents() || m_engine->indexModel()->isCreatingIndex()) &&
           !deadline.hasExpired())
        QThread::msleep(2);
}

bool HelpWindow::showContext(int number) {
    if (!m_ready)
        return false;
    const QList<QHelpLink> links = m_engine->documentsForIdentifier(QStringLiteral("ctx.%1").arg(number));
    if (links.isEmpty())
        return false;
    showTopic(links.first().url);
    return true;
}

bool HelpWindow::showContents() {
    if (!m_ready)
        return false;
    const QStringList namespaces = m_engine->registeredDocumentations();
    if (namespaces.isEmpty())
        return false;
    const QList<QUrl> pages = m_engine->files(namespaces.first(), QString(), QStringLiteral("html"));
    if (pages.isEmpty())
        return false;
    QUrl first = pages.first();
    for (const QUrl& page : pages) {
        if (page.path().endsWith(QLatin1String("/index.html")))
            first = page;
    }
    m_navigation->setCurrentIndex(0);
    showTopic(first);
    return true;
}

// German order, numbers by their value: "2-er Reihe" before "10-er Reihe",
// "Übungen" among the "U". The model's own order is Qt's plain text order,
// restored whenever it filters; the entry chosen stays chosen.
void HelpWindow::sortIndex() {
    QHelpIndexModel* model = m_engine->indexModel();
    QHelpIndexWidget* view = m_engine->indexWidget();
    QStringList entries = model->stringList();
    QCollator german(QLocale(QLocale::German, QLocale::Germany));
    german.setCaseSensitivity(Qt::CaseInsensitive);
    german.setNumericMode(true);
    std::stable_sort(entries.begin(), entries.end(),
                     [&german](const QString& a, const QString& b) { return german.compare(a, b) < 0; });
    if (entries == model->stringList())
        return;
    const QString current = view->currentIndex().data().toString();
    model->setStringList(entries);
    if (!current.isEmpty())
        view->setCurrentIndex(model->index(int(entries.indexOf(current)), 0));
}

void HelpWindow::keepAfter(QWidget* dialog, QWidget* nextOwner) {
    if (m_dialog)
        m_dialog->removeEventFilter(this);
    m_dialog = dialog;
    m_nextOwner = nextOwner;
    dialog->installEventFilter(this);
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // The dialog hides as it closes, and takes its windows along when it goes.
    if (watched == m_dialog && event->type() == QEvent::Hide && !event->spontaneous()) {
        m_dialog->removeEventFilter(this);
        m_dialog = nullptr;
        if (isVisible()) {
            const QPoint at = pos();
            setParent(m_nextOwner, windowFlags());
            move(at);
            show();
        }
    }
    return QWidget::eventFilter(watched, event);
}

QUrl HelpWindow::currentTopic() const {
    return m_browser->source();
}

void HelpWindow::showTopic(const QUrl& url) {
    m_browser->setSource(url);
    markInContents(url);
}

void HelpWindow::markInContents(const QUrl& url) {
    QHelpContentWidget* contents = m_engine->contentWidget();
    const QModelIndex entry = contents->indexOf(url);
    if (entry.isValid())
        contents->setCurrentIndex(entry);
}
