// The application object's own part: the program's identity and content
// folder, settings that can be kept somewhere, the one running copy, the
// termination signals, and the start of the main window. The command table is
// in trainercommands.cpp, the child and their record in childsession.cpp.

#include "shell/trainerapp.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPalette>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "kit/recordmodule.h"
#include "shell/mainframe.h"
#include "shell/singleinstance.h"

namespace {

// The self-pipe that carries a termination signal into the event loop.
int g_signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

QString baseNameOf(const QString& programFile) {
    const QString name = QFileInfo(programFile).completeBaseName();
    return name.isEmpty() ? QStringLiteral("ollo") : name;
}

bool runsFromBuildTree(const QString& programFile) {
    QDir dir = QFileInfo(programFile).absoluteDir();
    for (int level = 0; level < 3; ++level) {
        if (dir.exists(QStringLiteral("CMakeCache.txt")))
            return true;
        if (!dir.cdUp())
            break;
    }
    return false;
}

// Made the current directory before anything reads a file.
QString enterContentFolder(const QString& programFile) {
    const QString folder = CTrainerApp::ContentFolder(programFile);
    if (!folder.isEmpty())
        QDir::setCurrent(folder);
    return QDir::currentPath();
}

QString helpFileFor(const QString& programFile, const QString& contentFolder) {
    const QString name = baseNameOf(programFile) + QStringLiteral(".qch");
    const QString besideProgram = QFileInfo(programFile).absoluteDir().filePath(name);
    const QString inContent = QDir(contentFolder).filePath(name);
    if (!QFileInfo::exists(besideProgram) && QFileInfo::exists(inContent))
        return inContent;
    return besideProgram;
}

} // namespace

CTrainerApp::CTrainerApp(const QString& programFile)
    : m_baseName(baseNameOf(programFile))
    , m_contentFolder(enterContentFolder(programFile))
    , m_helpFilePath(helpFileFor(programFile, m_contentFolder))
    , m_profile(CProfile::PathFor(m_baseName))
    , m_children(m_baseName, QDir(m_contentFolder).filePath(QStringLiteral("default.INI")))
    , m_recordBase(m_baseName)
    , m_class(ClassConfig::Find(m_baseName))
    , m_qtWords(std::make_unique<QTranslator>()) {
    // Another Ollo running for a child (in another window) keeps their files.
    m_children.setInUseCheck([this](const QString& baseName) {
        return baseName != m_recordBase && SingleInstance::IsRunning(CProfile::PathFor(baseName));
    });
    copyDefaultSettings();
    keepSettingsSomewhere();
    // The program ends when its main window closes, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    // Dialogs share the light grey that the pictures on them are painted on.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor(240, 240, 240));
    QApplication::setPalette(palette);
    // Qt's own dialogs and buttons (the file dialog, a message box's "Abbrechen")
    // speak German, in Qt's translations as Debian ships them; without those,
    // English.
    if (m_qtWords->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(m_qtWords.get());
    buildCommandTable();
}

CTrainerApp::~CTrainerApp() = default;

QString CTrainerApp::HelpFileFor(const QString& programFile) {
    return helpFileFor(programFile, ContentFolder(programFile));
}

// From the first window on, "Wer rechnet heute?" included, a termination
// signal ends the program at once: the main window closes like its close
// box; before it, the window open closes without a choice.
void CTrainerApp::watchTerminationSignals() {
    if (g_signalPipe[0] < 0 || m_terminationNotifier)
        return;
    m_terminationNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    connect(m_terminationNotifier.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        if (m_mainFrame) {
            m_mainFrame->close();
            return;
        }
        m_terminated = true;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
                dialog->reject();
    });
}

QString CTrainerApp::ContentFolder(const QString& programFile) {
    const QString fromEnvironment = qEnvironmentVariable("OLLO_DATA");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // Installed as <prefix>/bin/ollo: the content lies in <prefix>/share/ollo,
    // wherever the prefix was put.
    const QString besideProgram =
        QDir::cleanPath(QFileInfo(programFile).absolutePath() + QStringLiteral("/../share/ollo"));
    if (QFileInfo(besideProgram).isDir())
        return besideProgram;
    // A build tree uses the repository's content, even where a copy is installed.
    const QString source = QStringLiteral(OLLO_SOURCE_DATA_DIR);
    if (runsFromBuildTree(programFile) && QFileInfo(source).isDir())
        return source;
    const QString installed = QStringLiteral(OLLO_INSTALL_DATA_DIR);
    if (QFileInfo(installed).isDir())
        return installed;
    return {};
}

// A family's first start: the shipped settings become theirs. An existing
// file is never touched.
void CTrainerApp::copyDefaultSettings() const {
    const QString target = m_profile.filePath();
    const QString shipped = QDir(m_contentFolder).filePath(QStringLiteral("default.INI"));
    if (target.isEmpty() || QFileInfo::exists(target) || !QFileInfo::exists(shipped))
        return;
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (QFile::copy(shipped, target))
        QFile::setPermissions(target, QFile::permissions(target) | QFile::ReadOwner | QFile::WriteOwner);
}

// Without a home, with a settings folder that cannot be made or written, or
// with a folder where the settings file belongs, nothing would last: the
// program runs on the shipped defaults in memory.
void CTrainerApp::keepSettingsSomewhere() {
    const QString target = m_profile.filePath();
    const QFileInfo file(target);
    if (!target.isEmpty() && file.exists() && !file.isDir())
        return;
    if (!target.isEmpty() && !file.exists()) {
        // The folder itself, or the nearest one that exists, where the first
        // write will make it.
        QFileInfo place(QFileInfo(target).absolutePath());
        while (!place.exists() && !place.isRoot())
            place = QFileInfo(place.absolutePath());
        if (place.isDir() && place.permissions().testFlag(QFileDevice::WriteOwner))
            return;
    }
    QFile shipped(QDir(m_contentFolder).filePath(QStringLiteral("default.INI")));
    m_profile.KeepInMemory(shipped.open(QIODevice::ReadOnly) ? shipped.readAll() : QByteArray());
}

bool CTrainerApp::HandOverToRunningCopy() {
    m_instance = std::make_unique<SingleInstance>(m_profile.filePath());
    connect(m_instance.get(), &SingleInstance::showRequested, this, &CTrainerApp::bringToFront);
    return m_instance->HandOver();
}

// Asked by a later start: the window, and the dialog open on it, come to the front.
void CTrainerApp::bringToFront() {
    if (!m_mainFrame)
        return;
    m_mainFrame->setWindowState((m_mainFrame->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_mainFrame->show();
    m_mainFrame->raise();
    m_mainFrame->activateWindow();
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
    }
}

void CTrainerApp::CatchTerminationSignals() {
    if (g_signalPipe[0] >= 0 || ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    // Past a file size limit a write then fails and is reported, instead of
    // the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool CTrainerApp::InitInstance() {
    if (!m_childChosen && !ChooseChild())
        return false;
    if (m_terminated)
        return false;
    watchTerminationSignals();

    m_mainFrame = std::make_unique<CMainFrame>(m_profile, m_commands, m_helpFilePath);
    m_mainFrame->setChildName(m_childName);
    connect(m_mainFrame.get(), &CMainFrame::closed, this, [] { QCoreApplication::quit(); });
    // The record never holds up the start, nor costs memory before a drill
    // is in sight: it is loaded in the background as a menu first opens, and
    // opened by the first command that needs it, should that come first.
    connect(m_mainFrame.get(), &CMainFrame::menuOpened, this, &CTrainerApp::preloadRecord);

    // The frame was made 620 × 440, the size "restore" returns to.
    m_mainFrame->showMaximized();
    m_mainFrame->repaint();
    // A class computer sends what waits for the server from the start on.
    if (m_class.isOn())
        QTimer::singleShot(0, this, [this] {
            openClassLink();
            openRecord();
        });
    if (m_profile.InMemory()) {
        const QFileInfo file(m_profile.filePath());
        const QString where =
            m_profile.filePath().isEmpty()
                ? QString::fromUtf8("Es ist kein persönlicher Ordner bekannt, in dem sie liegen könnten.")
            : file.isDir() ? QString::fromUtf8("An der Stelle der Einstellungsdatei „%1“ steht ein Ordner.")
                                 .arg(file.absoluteFilePath())
                           : QString::fromUtf8("Der Ordner „%1“ lässt sich nicht anlegen oder beschreiben.")
                                 .arg(file.absolutePath());
        QMessageBox::information(m_mainFrame.get(), QStringLiteral("Ollo"),
                                 QString::fromUtf8("Ollo kann seine Einstellungen nicht speichern. %1\n\n"
                                                   "Es arbeitet mit den Voreinstellungen; Änderungen "
                                                   "gelten nur, bis Ollo beendet wird.")
                                     .arg(where));
    }
    tellSetAsideChildren(m_mainFrame.get());
    return true;
}

int CTrainerApp::Run() {
    return QApplication::exec();
}
