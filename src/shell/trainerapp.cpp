#include "shell/trainerapp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPalette>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <utility>
#include <fcntl.h>
#include <unistd.h>

#include "base/clock.h"
#include "base/settingskeys.h"
#include "base/textstyle.h"
#include "drill/drilllauncher.h"
#include "drill/seriescatalogue.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/moduleloader.h"
#include "kit/recordmodule.h"
#include "kit/showhelp.h"
#include "rewards/praiselistdlg.h"
#include "rewards/showreward.h"
#include "settings/fontchooser.h"
#include "settings/optionssheet.h"
#include "settings/sounddlg.h"
#include "shell/bitmapokdlg.h"
#include "shell/childchooser.h"
#include "shell/drillrecording.h"
#include "shell/infodlg.h"
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
    , m_recordBase(m_baseName) {
    copyDefaultSettings();
    keepSettingsSomewhere();
    // The program ends when its main window closes, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    // Dialogs share the light grey that the pictures on them are painted on.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor(240, 240, 240));
    QApplication::setPalette(palette);
    buildCommandTable();
}

CTrainerApp::~CTrainerApp() = default;

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

bool CTrainerApp::ChooseChild(const QString& child) {
    m_childChosen = true;
    m_children.load();
    if (!child.isEmpty()) {
        const CChildList::Child* named = m_children.find(child);
        return named != nullptr && runFor(*named);
    }
    if (m_children.children().size() == 1)
        return runFor(m_children.children().front());
    return m_children.children().size() < 2 || chooseChild(nullptr);
}

bool CTrainerApp::InitInstance() {
    if (!m_childChosen && !ChooseChild())
        return false;

    m_mainFrame = std::make_unique<CMainFrame>(m_profile, m_commands, m_helpFilePath);
    m_mainFrame->setChildName(m_childName);
    connect(m_mainFrame.get(), &CMainFrame::closed, this, [] { QCoreApplication::quit(); });
    // The record never holds up the start.
    connect(m_mainFrame.get(), &CMainFrame::firstPainted, this, &CTrainerApp::preloadRecord);

    if (g_signalPipe[0] >= 0) {
        m_terminationNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        connect(m_terminationNotifier.get(), &QSocketNotifier::activated, this, [this] {
            char bytes[16];
            while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            m_mainFrame->close();
        });
    }

    // The frame was made 620 × 440, the size "restore" returns to.
    m_mainFrame->showMaximized();
    m_mainFrame->repaint();
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

bool CTrainerApp::runFor(const CChildList::Child& child) {
    if (m_instance && m_recordBase != child.baseName) {
        // One running copy per settings file, whichever child it is for.
        auto instance = std::make_unique<SingleInstance>(CProfile::PathFor(child.baseName));
        if (instance->HandOver()) {
            QMessageBox::information(m_mainFrame.get(), QStringLiteral("Kind wechseln"),
                                     QString::fromUtf8("Für %1 ist Ollo schon in einem anderen Fenster "
                                                       "offen. Es kommt jetzt nach vorn.")
                                         .arg(child.name));
            return false;
        }
        connect(instance.get(), &SingleInstance::showRequested, this, &CTrainerApp::bringToFront);
        m_instance = std::move(instance);
    }
    m_childName = child.name;
    if (m_recordBase != child.baseName) {
        m_recordBase = child.baseName;
        m_profile = CProfile(CProfile::PathFor(child.baseName));
        // The next record is opened when it is first needed.
        m_recording.reset();
        m_record.reset();
    }
    copyDefaultSettings();
    if (m_mainFrame) {
        m_mainFrame->setChildName(m_childName);
        m_mainFrame->repaintBackdrop();
        openRecord();
    }
    return true;
}

bool CTrainerApp::chooseChild(QWidget* owner) {
    QStringList names;
    for (const CChildList::Child& child : m_children.children())
        names << child.name;
    CChildChooser chooser(names, owner);
    chooser.exec();
    if (chooser.chosen() < 0)
        return false;
    // Copied: runFor may read the list again.
    const CChildList::Child chosen = m_children.children()[size_t(chooser.chosen())];
    return runFor(chosen);
}

void CTrainerApp::tellSetAsideChildren(QWidget* owner) {
    const QString notice = m_children.setAsideNotice();
    if (notice.isEmpty() || std::exchange(m_setAsideTold, true))
        return;
    QMessageBox::information(owner, QStringLiteral("Ollo"), notice);
}

void CTrainerApp::switchChild() {
    m_children.load();
    tellSetAsideChildren(m_mainFrame.get());
    if (m_children.children().empty()) {
        QMessageBox::information(
            m_mainFrame.get(), QStringLiteral("Kind wechseln"),
            QStringLiteral(
                "Es ist noch kein Kind eingerichtet. Im Fenster „Lernfortschritt“ (Menü Optionen) "
                "richten Sie mit „Kind hinzufügen...“ für jedes Kind eigene Einstellungen und einen "
                "eigenen Lernverlauf ein."));
        return;
    }
    chooseChild(m_mainFrame.get());
}

void CTrainerApp::preloadRecord() {
    PreloadModule(QStringLiteral("ollo-record"), ProgramModuleFolders(), this, [this] { openRecord(); });
}

bool CTrainerApp::openRecord() {
    if (m_record)
        return true;
    RecordModule* module = LoadModule<RecordModule>(QStringLiteral("ollo-record"), ProgramModuleFolders());
    if (module == nullptr)
        return false;
    m_record = module->openLog(m_recordBase);
    m_recording = std::make_unique<CDrillRecording>(*m_record);
    return true;
}

QString CTrainerApp::noRecordText() {
    return QString::fromUtf8("Ollo kann den Lernverlauf nicht führen: Ein Teil des Programms (ollo-record) "
                             "fehlt oder lässt sich nicht laden. Üben geht trotzdem, es wird nur nichts "
                             "aufgezeichnet. Installieren Sie Ollo bitte neu.");
}

void CTrainerApp::reportNoRecord(const QString& title) {
    QMessageBox::information(m_mainFrame.get(), title, noRecordText());
}

void CTrainerApp::reportRecordNotice(QWidget* owner) {
    if (!m_record && !m_noRecordTold) {
        m_noRecordTold = true;
        QMessageBox::warning(owner, QStringLiteral("Ollo"), noRecordText());
        return;
    }
    const QString notice = m_record ? m_record->takeNotice() : QString();
    if (!notice.isEmpty())
        QMessageBox::warning(owner, QStringLiteral("Ollo"), notice);
}

// "Schwierige Aufgaben": as many of the hardest facts as a drill has tasks,
// in the drill dialog of every series, with its reward step.
void CTrainerApp::startHardFacts() {
    if (!openRecord()) {
        reportNoRecord(QStringLiteral("Schwierige Aufgaben"));
        return;
    }
    const int count = std::max(1, m_profile.GetInt(Section::Parameter, Key::TaskCount, 0));
    const std::vector<Record::Fact> facts = m_record->hardFacts(Clock::NowSeconds(), count);
    if (facts.empty()) {
        const QString why =
            m_record->canRead()
                ? QStringLiteral("Du hast noch keine Aufgaben geübt, aus denen Ollo die schwierigen "
                                 "heraussuchen könnte. Übe zuerst ein paar Reihen – dann weiß Ollo, "
                                 "welche Aufgaben du noch üben solltest.")
                : QStringLiteral("Ollo kann den Lernverlauf gerade nicht lesen: %1")
                      .arg(m_record->faultReason());
        QMessageBox::information(m_mainFrame.get(), QStringLiteral("Schwierige Aufgaben"), why);
        return;
    }
    std::vector<PlannedTask> plan;
    for (const Record::Fact& fact : facts)
        plan.push_back(
            {fact.operation == Record::Operation::Division ? Operation::Division : Operation::Multiplication,
             fact.factor, fact.series});
    StartDrill(
        Cmd::HardFacts, QStringLiteral("Schwierige Aufgaben"), std::move(plan), m_profile, m_mainFrame.get(),
        [this](CProfile& profile, QWidget* owner, int earned) {
            ShowReward(profile, owner, earned);
            reportRecordNotice(owner);
        },
        m_recording.get());
}

// The application's commands. Each subsystem adds its handlers here; a menu
// item lights up as soon as its command has one.
void CTrainerApp::buildCommandTable() {
    // The 36 series of the four drill menus: each runs one drill.
    for (const SeriesInfo& series : SeriesCatalogue())
        m_commands.add(series.commandId, [this, id = int(series.commandId)] {
            // The record may still be loading; the drill waits for it.
            openRecord();
            // However the drill ended: its own result decides the reward.
            StartDrill(
                id, m_profile, m_mainFrame.get(),
                [this](CProfile& profile, QWidget* owner, int earned) {
                    ShowReward(profile, owner, earned);
                    reportRecordNotice(owner);
                },
                m_recording.get());
        });

    m_commands.add(Cmd::HardFacts, [this] { startHardFacts(); });

    // "Optionen": the settings dialogs, owned by the main window.
    m_commands.add(Cmd::Options, [this] {
        COptionsSheet::Run(m_profile, m_mainFrame.get(), [this] {
            if (m_mainFrame)
                m_mainFrame->repaintBackdrop();
        });
    });
    for (const auto& [command, style] :
         {std::pair{Cmd::BigFont, BigFontSection()}, {Cmd::SmallFont, SmallFontSection()}})
        m_commands.add(command, [this, section = style] {
            ChooseTextStyle(m_profile, section.section, section.defaultHeight, section.largestSize,
                            m_mainFrame.get());
        });
    m_commands.add(Cmd::PraiseList, [this] {
        CPraiseListDlg dialog(m_profile, m_mainFrame.get());
        dialog.exec();
    });
    m_commands.add(Cmd::Sound, [this] {
        CSoundDlg dialog(m_profile, m_mainFrame.get());
        dialog.exec();
    });
    m_commands.add(Cmd::Progress, [this] {
        if (!openRecord()) {
            reportNoRecord(QStringLiteral("Lernfortschritt"));
            return;
        }
        m_record->showProgress(m_mainFrame.get(), &m_children);
        // The running child may have a new name.
        m_children.load();
        for (const CChildList::Child& child : m_children.children())
            if (child.baseName == m_recordBase && m_mainFrame) {
                m_childName = child.name;
                m_mainFrame->setChildName(m_childName);
            }
    });
    m_commands.add(Cmd::SwitchChild, [this] { switchChild(); });

    // Information and help (the help items open their topics, nothing else).
    m_commands.add(Cmd::About, [this] {
        CInfoDlg dialog(m_mainFrame.get());
        dialog.exec();
    });
    m_commands.add(Cmd::Contact, [this] {
        CBitmapOkDlg dialog(CBitmapOkDlg::ContactTemplate, m_mainFrame.get());
        dialog.exec();
    });
    m_commands.add(Cmd::Internet, [this] { ShowHelp(m_mainFrame.get(), Help::forCommand(Cmd::Internet)); });
    m_commands.add(Cmd::OwnExercises,
                   [this] { ShowHelp(m_mainFrame.get(), Help::forCommand(Cmd::OwnExercises)); });
    m_commands.add(Cmd::Publisher, [this] { ShowHelp(m_mainFrame.get(), Help::forCommand(Cmd::Publisher)); });

    // Shut-down: the same road as the close box.
    m_commands.add(Cmd::Exit, [this] {
        if (m_mainFrame)
            m_mainFrame->close();
    });
}
