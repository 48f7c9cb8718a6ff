#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <deque>
#include <functional>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "common/xsession.h"
#include "base/clock.h"
#include "base/childlist.h"
#include "common/recordrows.h"
#include "common/windowwait.h"
#include "drill/drilldialog.h"
#include "drill/wronganswerdlg.h"
#include "kit/bitmapbutton.h"
#include "kit/commandids.h"
#include "kit/showhelp.h"
#include "record/hardfacts.h"
#include "record/learningrecord.h"
#include "progress/progresswindow.h"
#include "record/progressreading.h"
#include "record/recordlog.h"
#include "settings/optionssheet.h"
#include "shell/bitmapokdlg.h"
#include "shell/infodlg.h"
#include "shell/mainframe.h"
#include "shell/statusline.h"
#include "shell/trainerapp.h"

namespace {

const QByteArray kShipped = "[Parameter]\r\nSound=1\r\nHintergrundbild=maus.bmp\r\n";
const QByteArray kFamily = "[Parameter]\r\nSound=0\r\nAufgaben=5\r\n";

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Everything a folder holds, with the bytes of each file.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        files.insert(name, readAll(dir.filePath(name)));
    return files;
}

// A client of a running copy's socket that connects and then says nothing.
class SilentClient {
public:
    explicit SilentClient(const QString& path)
        : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (m_fd < 0 || std::size_t(name.size()) >= sizeof address.sun_path)
            return;
        std::copy(name.begin(), name.end(), address.sun_path);
        m_connected = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~SilentClient() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentClient(const SilentClient&) = delete;
    SilentClient& operator=(const SilentClient&) = delete;

    bool connected() const { return m_connected; }

private:
    int m_fd;
    bool m_connected = false;
};

// Another local user who got to a socket's place first: listens there and
// never answers, so that a start which connects ends without a window. Where
// the place lies in a folder, that folder is theirs: a link to a folder of
// theirs, or (made as root) a folder another account owns.
class Squatter {
public:
    enum class Folder { Link, OtherAccount };

    Squatter(const QString& root, const QString& relativePath, Folder folder)
        : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        const qsizetype slash = relativePath.indexOf(u'/');
        QString path = QDir(root).filePath(relativePath);
        if (slash > 0) {
            const QString first = QDir(root).filePath(relativePath.left(slash));
            QDir(first).removeRecursively();
            QFile::remove(first);
            if (folder == Folder::Link) {
                if (!QFile::link(m_theirs.path(), first))
                    return;
                path = QDir(m_theirs.path()).filePath(relativePath.mid(slash + 1));
            } else if (!QDir().mkpath(first) ||
                       ::chown(QFile::encodeName(first).constData(), kNobody, kNobody) != 0) {
                return;
            }
            if (!QDir().mkpath(QFileInfo(path).absolutePath()))
                return;
        }
        QFile::remove(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (m_fd < 0 || std::size_t(name.size()) >= sizeof address.sun_path)
            return;
        std::copy(name.begin(), name.end(), address.sun_path);
        m_listening = ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                      ::chmod(name.constData(), 0777) == 0 && ::listen(m_fd, 8) == 0;
        if (folder == Folder::OtherAccount)
            m_listening = m_listening && ::chown(name.constData(), kNobody, kNobody) == 0;
    }
    ~Squatter() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Squatter(const Squatter&) = delete;
    Squatter& operator=(const Squatter&) = delete;

    bool listening() const { return m_listening; }

private:
    static constexpr uid_t kNobody = 65534;
    QTemporaryDir m_theirs;
    int m_fd;
    bool m_listening = false;
};

// What a child works out from the task line: "8 X 7 = ??" → "56".
QString answerFor(const QString& task) {
    const QStringList parts = task.split(u' ');
    const int a = parts.value(0).toInt();
    const int b = parts.value(2).toInt();
    return QString::number(parts.value(1) == u"X" ? a * b : a / std::max(b, 1));
}

// Presses the wrong-answer dialog's button once it is up.
void pressInWrongAnswerDialog(const char* button,
                              QDeadlineTimer deadline = QDeadlineTimer(kWindowOpensWithinMs)) {
    QTimer::singleShot(0, qApp, [button, deadline] {
        auto* wrong = qobject_cast<CWrongAnswerDlg*>(QApplication::activeModalWidget());
        if (wrong == nullptr) {
            GiveUpAfter(deadline, "The wrong-answer dialog");
            pressInWrongAnswerDialog(button, deadline);
            return;
        }
        QTest::mouseClick(wrong->findChild<CBitmapButton*>(QLatin1String(button)), Qt::LeftButton);
    });
}

// A drill of three tasks as a child plays it in the real dialogs: the first
// right at once, the second wrong, "NOCHMALS", then right, the third wrong
// and "LOESEN"; then "Weiter" ends it.
void playThreeTasks(QDeadlineTimer deadline = QDeadlineTimer(kWindowOpensWithinMs)) {
    QTimer::singleShot(0, qApp, [deadline] {
        auto* dialog = qobject_cast<CDrillDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            GiveUpAfter(deadline, "The drill dialog");
            playThreeTasks(deadline);
            return;
        }
        auto* answer = dialog->findChild<QLineEdit*>(QStringLiteral("answer"));
        const auto expected = [dialog] {
            return answerFor(dialog->findChild<QLabel*>(QStringLiteral("task"))->text());
        };
        QTest::keyClicks(answer, expected());
        QTest::keyClick(answer, Qt::Key_Return);
        QTest::keyClick(answer, Qt::Key_Return);
        pressInWrongAnswerDialog("againButton");
        QTest::keyClicks(answer, u'0' + expected());
        QTest::keyClick(answer, Qt::Key_Return);
        QTest::keyClicks(answer, expected());
        QTest::keyClick(answer, Qt::Key_Return);
        QTest::keyClick(answer, Qt::Key_Return);
        pressInWrongAnswerDialog("solveButton");
        QTest::keyClicks(answer, expected() + u'0');
        QTest::keyClick(answer, Qt::Key_Return);
        QTest::keyClick(answer, Qt::Key_Return);
    });
}

// Answers every task of the drills that open right at the first try, and
// closes whatever else opens (rewards) with Esc; message boxes are accepted
// and their texts kept. Runs until stopped.
void answerEverythingRight(QTimer& timer, QStringList* messages) {
    QObject::connect(&timer, &QTimer::timeout, &timer, [messages] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            *messages << box->text();
            box->accept();
        } else if (auto* drill = qobject_cast<CDrillDialog*>(modal)) {
            auto* answer = drill->findChild<QLineEdit*>(QStringLiteral("answer"));
            QTest::keyClicks(answer, answerFor(drill->findChild<QLabel*>(QStringLiteral("task"))->text()));
            QTest::keyClick(answer, Qt::Key_Return);
            QTest::keyClick(answer, Qt::Key_Return);
        } else if (modal != nullptr) {
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    timer.start(5);
}

// "8x7" is 8 X 7, "9d3" is 27 : 3, with its box: "8x7:2".
QString factText(const Record::Fact& fact) {
    return QStringLiteral("%1%2%3")
        .arg(fact.factor)
        .arg(fact.operation == Record::Operation::Division ? QStringLiteral("d") : QStringLiteral("x"))
        .arg(fact.series);
}

// What a family does in the windows that open, one step at a time: each step
// waits until the window it names (by class or object name) is the active
// modal one, then acts on it. Runs until stopped.
class Family : public QObject {
public:
    struct Step {
        QString window;
        std::function<void(QWidget* window)> act;
    };

    explicit Family(std::vector<Step> steps)
        : m_steps(steps.begin(), steps.end()) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (m_steps.empty() || modal == nullptr ||
                (modal->objectName() != m_steps.front().window &&
                 QString::fromLatin1(modal->metaObject()->className()) != m_steps.front().window))
                return;
            // Taken first, and acted on outside the timer's own call: acting
            // may open a window whose steps this timer must run meanwhile.
            const Step step = m_steps.front();
            m_steps.pop_front();
            QTimer::singleShot(0, modal, [step, modal] { step.act(modal); });
        });
        m_timer.start(5);
    }
    bool done() const { return m_steps.empty(); }

private:
    std::deque<Step> m_steps;
    QTimer m_timer;
};

template <typename T> T* named(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    if (found == nullptr)
        qFatal("no %s", name);
    return found;
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(named<QPushButton>(window, button), Qt::LeftButton);
}

// Typed key by key, letters beyond ASCII too.
void type(QWidget* field, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

Family::Step addChild(const QString& name) {
    return {QStringLiteral("childNameDialog"), [name](QWidget* dialog) {
                type(named<QLineEdit>(dialog, "childName"), name);
                QTest::keyClick(named<QLineEdit>(dialog, "childName"), Qt::Key_Return);
            }};
}

// Buttons, pictures, lists and fields that a screen reader would announce
// without a name, by role and object name. Items of lists and combo boxes are
// named by their text and not looked at.
void collectUnnamed(QAccessibleInterface* node, QStringList* unnamed) {
    using A = QAccessible;
    static const QList<A::Role> announced = {A::PushButton, A::Graphic,      A::List,     A::Table,
                                             A::Tree,       A::EditableText, A::CheckBox, A::RadioButton,
                                             A::ComboBox,   A::PageTab,      A::SpinBox};
    if (announced.contains(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty())
        *unnamed << QStringLiteral("%1 %2")
                        .arg(node->role())
                        .arg(node->object() ? node->object()->objectName() : QString());
    if (node->role() == A::List || node->role() == A::Table || node->role() == A::Tree ||
        node->role() == A::ComboBox)
        return;
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* child = node->child(i))
            collectUnnamed(child, unnamed);
}

// The class of the dialog that opens next and what in it has no name for a
// screen reader; with askHelp F1 is pressed in it, then it is closed with Esc.
void closeNextDialog(QString* className, bool askHelp = false, QStringList* unnamed = nullptr,
                     QDeadlineTimer deadline = QDeadlineTimer(kWindowOpensWithinMs)) {
    QTimer::singleShot(0, qApp, [className, askHelp, unnamed, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            GiveUpAfter(deadline, "The dialog of the command");
            closeNextDialog(className, askHelp, unnamed, deadline);
            return;
        }
        *className = QString::fromLatin1(modal->metaObject()->className());
        if (unnamed)
            collectUnnamed(QAccessible::queryAccessibleInterface(modal), unnamed);
        if (askHelp && QTest::qWaitForWindowActive(modal))
            QTest::keyClick(modal, Qt::Key_F1);
        QTest::keyClick(modal, Qt::Key_Escape);
    });
}

} // namespace

class TestTrainerApp : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<QTemporaryDir> m_content;
    std::unique_ptr<QTemporaryDir> m_data;
    QString m_oldCurrent;
    std::vector<int> m_help;

    QString settingsFile() const { return m_config->filePath(QStringLiteral("ollo.INI")); }

    // The built program, on its own settings and content folders.
    QProcessEnvironment programEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config->path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_data->path());
        environment.insert(QStringLiteral("OLLO_DATA"), m_content->path());
        // No display but the one a run asks for.
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return environment;
    }

    struct Outcome {
        int exitCode = -1;
        QProcess::ExitStatus status = QProcess::CrashExit;
        QByteArray out;
        QByteArray err;
    };

    Outcome runProgram(const QStringList& arguments, bool closeWhenStarted) {
        QProcess program;
        QProcessEnvironment environment = programEnvironment();
        if (closeWhenStarted) {
            // The start-up probe says when the window is on screen, and then
            // leaves the program running.
            environment.insert(QStringLiteral("OLLO_BENCH_FIRST_PAINT"), QStringLiteral("1"));
            environment.insert(QStringLiteral("OLLO_BENCH_SETTLE_MS"),
                               QString::number(kWindowOpensWithinMs * 10));
        }
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(QDir::tempPath());
        program.start(QStringLiteral(OLLO_PROGRAM), arguments);
        if (!program.waitForStarted())
            return {};
        if (closeWhenStarted) {
            // The termination signal closes it like the close box (and would
            // also do so earlier).
            if (!QTest::qWaitFor(
                    [&] {
                        return program.state() != QProcess::Running ||
                               program.peek(program.bytesAvailable()).contains("first-paint ");
                    },
                    kWindowOpensWithinMs))
                qWarning("Ollo did not open its window within %d s", kWindowOpensWithinMs / 1000);
            program.terminate();
        }
        if (!program.waitForFinished(20000)) {
            program.kill();
            program.waitForFinished();
            return {-1, QProcess::CrashExit, program.readAllStandardOutput(), "did not end in 20 s"};
        }
        return {program.exitCode(), program.exitStatus(), program.readAllStandardOutput(),
                program.readAllStandardError()};
    }

private Q_SLOTS:
    void init() {
        m_config = std::make_unique<QTemporaryDir>();
        m_content = std::make_unique<QTemporaryDir>();
        m_data = std::make_unique<QTemporaryDir>();
        m_oldCurrent = QDir::currentPath();
        qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_data->path().toLocal8Bit());
        qputenv("OLLO_DATA", m_content->path().toLocal8Bit());
        m_help.clear();
    }

    void cleanup() {
        QDir::setCurrent(m_oldCurrent);
        m_data.reset();
        m_content.reset();
        m_config.reset();
    }

    void identityFromProgramFile() {
        const QString programDir = m_content->filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(programDir));
        CTrainerApp app(programDir + QStringLiteral("/rechnen"));
        QCOMPARE(app.baseName(), QStringLiteral("rechnen"));
        QCOMPARE(app.profile().filePath(), m_config->filePath(QStringLiteral("rechnen.INI")));
        QCOMPARE(QDir::currentPath(), QDir(m_content->path()).canonicalPath());
        // Neither beside the program nor in the content folder: the first
        // place, which will report that there is no help.
        QCOMPARE(app.helpFilePath(), programDir + QStringLiteral("/rechnen.qch"));

        QVERIFY(writeAll(m_content->filePath(QStringLiteral("rechnen.qch")), "x"));
        CTrainerApp inContent(programDir + QStringLiteral("/rechnen"));
        QCOMPARE(inContent.helpFilePath(), QDir(QDir::currentPath()).filePath(QStringLiteral("rechnen.qch")));

        QVERIFY(writeAll(programDir + QStringLiteral("/rechnen.qch"), "x"));
        CTrainerApp beside(programDir + QStringLiteral("/rechnen"));
        QCOMPARE(beside.helpFilePath(), programDir + QStringLiteral("/rechnen.qch"));
    }

    void contentFolderFromEnvironment() {
        QCOMPARE(CTrainerApp::ContentFolder(QStringLiteral("/usr/bin/ollo")), m_content->path());
        qunsetenv("OLLO_DATA");
        // Run from the build tree (no installed copy on a build machine is
        // assumed): the repository's data folder.
        QCOMPARE(CTrainerApp::ContentFolder(QStringLiteral(OLLO_PROGRAM)),
                 QStringLiteral(OLLO_SOURCE_DATA_DIR));
    }

    void contentFolderBesideAnInstalledProgram() {
        qunsetenv("OLLO_DATA");
        const QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/ollo")));
        QCOMPARE(CTrainerApp::ContentFolder(prefix.filePath(QStringLiteral("bin/ollo"))),
                 prefix.filePath(QStringLiteral("share/ollo")));
    }

    void firstStartCopiesShippedSettings_data() {
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QByteArray>("afterStart");
        QTest::newRow("first start") << true << false << kShipped;
        QTest::newRow("existing file untouched") << true << true << kFamily;
        QTest::newRow("nothing shipped") << false << false << QByteArray();
    }

    void firstStartCopiesShippedSettings() {
        QFETCH(bool, shipped);
        QFETCH(bool, existing);
        QFETCH(QByteArray, afterStart);
        if (shipped)
            QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        // The settings folder itself may be missing on a first start.
        qputenv("XDG_CONFIG_HOME", m_config->filePath(QStringLiteral("neu/config")).toLocal8Bit());
        const QString target = m_config->filePath(QStringLiteral("neu/config/ollo.INI"));
        if (existing) {
            QVERIFY(QDir().mkpath(m_config->filePath(QStringLiteral("neu/config"))));
            QVERIFY(writeAll(target, kFamily));
        }
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        QCOMPARE(QFile::exists(target), !afterStart.isEmpty());
        QCOMPARE(readAll(target), afterStart);
        if (!afterStart.isEmpty())
            QVERIFY(app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 0));
    }

    void startShowsMaximisedFrame() {
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        QVERIFY(app.InitInstance());
        CMainFrame* frame = app.mainWindow();
        QVERIFY(frame != nullptr);
        // The learning record waits until a menu opens: a drill is then in sight.
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(app.record() == nullptr);
        QMenu* menu = frame->menuBar()->actions().front()->menu();
        menu->popup(frame->mapToGlobal(QPoint(0, 0)));
        QTRY_VERIFY(app.record() != nullptr);
        menu->close();
        QTRY_VERIFY(frame->isMaximized());
        QVERIFY(frame->isVisible());
        frame->showNormal();
        QTRY_COMPARE(frame->frameGeometry().size(), QSize(620, 440));
    }

    void menuCommandsReachTheirHandlers_data() {
        QTest::addColumn<int>("commandId");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("topic"); // of the command; of the dialog's F1 where it opens one
        QTest::newRow("Info über Ollo") << Cmd::About << "CInfoDlg" << 123200;
        QTest::newRow("Fragen und Probleme") << Cmd::Contact << "CBitmapOkDlg" << 98355;
        QTest::newRow("Internet") << Cmd::Internet << QString() << 98357;
        QTest::newRow("Eigene Übungen") << Cmd::OwnExercises << QString() << 98359;
        QTest::newRow("Über das Ollo-Projekt") << Cmd::Publisher << QString() << 98362;
        QTest::newRow("Einstellungen, its first page") << Cmd::Options << "COptionsSheet" << 131180;
        QTest::newRow("Eigene Lobe") << Cmd::PraiseList << "CPraiseListDlg" << 131176;
        QTest::newRow("Sound") << Cmd::Sound << "CSoundDlg" << 98396;
        QTest::newRow("Großer Zeichensatz") << Cmd::BigFont << "CFontChooser" << 98344;
        QTest::newRow("Kleiner Zeichensatz") << Cmd::SmallFont << "CFontChooser" << 98345;
        QTest::newRow("7-er Reihe") << 32777 << "CDrillDialog" << 98313;
        QTest::newRow("Beliebige Reihe asks its number") << Cmd::AnyDivision << "CLimitDialog" << 98340;
        QTest::newRow("Lernfortschritt") << Cmd::Progress << "CProgressWindow" << 98406;
    }

    void menuCommandsReachTheirHandlers() {
        QFETCH(int, commandId);
        QFETCH(QString, dialog);
        QFETCH(int, topic);
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        QVERIFY(app.InitInstance());
        app.mainWindow()->setHelpHandler([this](int data, HelpCommand) {
            m_help.push_back(data);
            return true;
        });
        QString opened;
        QStringList unnamed;
        if (!dialog.isEmpty())
            closeNextDialog(&opened, true, &unnamed);
        app.mainWindow()->action(commandId)->trigger();
        QCOMPARE(opened, dialog);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u',')));
        QCOMPARE(m_help, std::vector<int>{topic});
        QVERIFY(app.mainWindow()->isVisible());
    }

    // Real drills through the real dialogs leave exactly their rows. A record
    // that cannot be kept changes nothing of the drills or the settings, is
    // left as it is, and the family is told once.
    void drillsAreRecorded_data() {
        QTest::addColumn<bool>("newer");
        QTest::newRow("fresh record") << false;
        QTest::newRow("record of a newer Ollo") << true;
    }
    void drillsAreRecorded() {
        QFETCH(bool, newer);
        const QString recordFile = m_data->filePath(QStringLiteral("ollo/ollo.sqlite"));
        if (newer) {
            QVERIFY(QDir().mkpath(m_data->filePath(QStringLiteral("ollo"))));
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(recordFile);
            QVERIFY(db.open());
            // A newer Ollo marks its file as every Ollo does.
            QVERIFY(QSqlQuery(db).exec(
                QStringLiteral("PRAGMA application_id = %1").arg(CLearningRecord::ApplicationId)));
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 9")));
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        }
        const QByteArray recordBefore = readAll(recordFile);
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Aufgaben"), 3);
        QVERIFY(app.InitInstance());
        QStringList notices;
        QTimer boxes;
        connect(&boxes, &QTimer::timeout, &boxes, [&notices] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                notices << box->text();
                box->accept();
            }
        });
        boxes.start(5);
        for (int drill = 0; drill < 2; ++drill) {
            app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Lobe"), 7);
            playThreeTasks();
            app.mainWindow()->action(32777)->trigger();
            // The drill ran as ever: one task solved, so no reward was earned.
            QCOMPARE(app.profile().GetInt(QStringLiteral("Parameter"), QStringLiteral("Lobe"), -1), 0);
        }
        boxes.stop();

        if (newer) {
            QCOMPARE(notices.size(), 1);
            QVERIFY2(notices[0].contains(QStringLiteral("nicht gespeichert")), qPrintable(notices[0]));
            app.mainWindow()->close();
            QCOMPARE(readAll(recordFile), recordBefore);
            return;
        }
        QVERIFY(notices.isEmpty());
        QCOMPARE(RecordRows(recordFile, QStringLiteral("PRAGMA user_version")),
                 QStringList{QStringLiteral("1")});
        const QString drill = QStringLiteral("32777|7-er Reihe|0|7|3|1|1");
        QCOMPARE(
            RecordRows(recordFile, QStringLiteral("SELECT command, caption, operation, series, task_count,"
                                                  " how_ended, ended >= started FROM drill ORDER BY id")),
            QStringList({drill, drill}));
        const QStringList tasks = {"1|1|1|1", "2|1|1|2", "3|1|1|3"};
        QCOMPARE(RecordRows(recordFile, QStringLiteral("SELECT number, text = factor || ' X 7 = ' ||"
                                                       " substr('\?\?\?', 1, length(expected)),"
                                                       " expected = CAST(factor * 7 AS TEXT), outcome"
                                                       " FROM task ORDER BY id")),
                 tasks + tasks);
        const QStringList answers = {"1|1|1|0|1", "2|1|0|1|0", "2|2|1|0|1", "3|1|0|2|0"};
        QCOMPARE(RecordRows(recordFile, QStringLiteral("SELECT t.number, a.attempt, a.correct, a.choice,"
                                                       " a.typed = t.expected FROM answer a"
                                                       " JOIN task t ON t.id = a.task ORDER BY a.id")),
                 answers + answers);
    }

    // "Schwierige Aufgaben" after a generated history (one task per drill;
    // days before the drill's noon): the due facts of the lowest boxes, each
    // once, in the drill dialog; answered right, each moves up a box. With
    // nothing due, the child is told when the next facts come back.
    void hardFactsDrill_data() {
        QTest::addColumn<QString>("history");   // "", "generated", "all right this morning"
        QTest::addColumn<QStringList>("tasks"); // as posed, sorted
        QTest::addColumn<QString>("boxesAfter");
        QTest::addColumn<QString>("said"); // the message's beginning; "": none
        QTest::newRow("no history yet") << "" << QStringList() << QString() << "Du hast noch keine";
        QTest::newRow("generated history")
            << "generated" << QStringList({"27 : 3 = ?", "6 X 7 = ??", "8 X 7 = ??"})
            << "3x4:4 6x7:3 7x13:2 8x7:2 9d3:2"
            << "";
        QTest::newRow("nothing due after a perfect drill")
            << "all right this morning" << QStringList() << "3x4:2 6x7:2 8x7:2"
            << QString::fromUtf8("Heute ist nichts mehr schwierig – morgen kommen 3 Aufgaben wieder.");
    }
    void hardFactsDrill() {
        QFETCH(QString, history);
        QFETCH(QStringList, tasks);
        QFETCH(QString, said);
        const qint64 now = QDateTime(QDate(2024, 6, 3), QTime(12, 0)).toSecsSinceEpoch();
        const auto at = [now](double days) {
            return now + qint64(days * 24 * 3600);
        };
        const QString recordFile = CLearningRecord::PathFor(QStringLiteral("ollo"));
        if (!history.isEmpty()) {
            CLearningRecord record(recordFile);
            QVERIFY(record.open());
            using Record::Operation;
            struct Step {
                double day;
                Record::Fact fact;
                bool right;
            };
            const std::vector<Step> generated = {
                {-10, {Operation::Multiplication, 3, 4}, true}, {-9, {Operation::Multiplication, 3, 4}, true},
                {-6, {Operation::Multiplication, 3, 4}, true},  {-3, {Operation::Multiplication, 6, 7}, true},
                {-2, {Operation::Multiplication, 8, 7}, false}, {-1, {Operation::Division, 9, 3}, false},
                {-1, {Operation::Multiplication, 7, 13}, true}};
            const std::vector<Step> thisMorning = {{-0.1, {Operation::Multiplication, 3, 4}, true},
                                                   {-0.1, {Operation::Multiplication, 6, 7}, true},
                                                   {-0.1, {Operation::Multiplication, 8, 7}, true}};
            for (const Step& step : history == u"generated" ? generated : thisMorning) {
                Clock::SetSource([t = at(step.day)] { return std::int64_t(t); });
                record.beginDrill(32777, QStringLiteral("x"), step.fact.operation, step.fact.series, 1);
                record.addTask(1, step.fact, QStringLiteral("x"), QStringLiteral("1"));
                record.addAnswer(QStringLiteral("1"),
                                 step.right ? Record::Answer::Right : Record::Answer::WrongThenSolved, 1000);
                record.endDrill(Record::DrillEnd::AllDone);
            }
        }
        Clock::SetSource([now] { return std::int64_t(now); });
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Aufgaben"), 3);
        QVERIFY(app.InitInstance());
        QStringList messages;
        QTimer player;
        answerEverythingRight(player, &messages);
        app.mainWindow()->action(Cmd::HardFacts)->trigger();
        player.stop();
        Clock::SetSource({});
        if (!said.isEmpty()) {
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages[0].startsWith(said), qPrintable(messages[0]));
            QCOMPARE(
                RecordRows(recordFile, QStringLiteral("SELECT count(*) FROM drill WHERE command = 32871")),
                QStringList{"0"});
            if (history.isEmpty())
                return;
        } else {
            QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'/')));
            QCOMPARE(
                RecordRows(recordFile, QStringLiteral("SELECT command, caption, series, task_count, how_ended"
                                                      " FROM drill ORDER BY id DESC LIMIT 1")),
                QStringList{"32871|Schwierige Aufgaben|-1|3|1"});
            QCOMPARE(
                RecordRows(recordFile, QStringLiteral("SELECT text FROM task WHERE drill = (SELECT max(id)"
                                                      " FROM drill) AND outcome = 1 ORDER BY text")),
                tasks);
            // The progress window counts it with the others.
            const CLearningRecord& shown = static_cast<RecordLog*>(app.record())->record();
            QCOMPARE(ProgressReading::Read(shown, QDate(2024, 6, 3)).totals.drills, 8);
        }
        const CLearningRecord& record = static_cast<RecordLog*>(app.record())->record();
        QStringList boxes;
        for (const HardFacts::Standing& standing : HardFacts::Sort(*HardFacts::ReadHistory(record)))
            boxes << factText(standing.fact) + QStringLiteral(":%1").arg(standing.box);
        QTEST(boxes.join(u' '), "boxesAfter");
    }

    // Two children set up in the progress window keep their settings and
    // records apart: the task count changed for one, a drill with the other,
    // the family's own files untouched. "Kind wechseln" picks by mouse, the
    // start's "Wer rechnet heute?" by keyboard.
    void childrenKeepApart() {
        const QByteArray shipped = "[Parameter]\r\nSound=0\r\nAufgaben=2\r\n";
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), shipped));
        const QString family = settingsFile();
        {
            CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
            QVERIFY(app.InitInstance());
            QVERIFY(app.childName().isEmpty());
            Family steps({{QStringLiteral("CProgressWindow"),
                           [](QWidget* w) {
                               click(w, "addChildButton");
                           }},
                          addChild(QStringLiteral("Anna")),
                          {QStringLiteral("CProgressWindow"),
                           [](QWidget* w) {
                               click(w, "addChildButton");
                           }},
                          addChild(QString::fromUtf8("Jörg")),
                          {QStringLiteral("CProgressWindow"),
                           [](QWidget* w) {
                               click(w, "closeButton");
                           }},
                          {QStringLiteral("childChooser"),
                           [](QWidget* w) {
                               click(w, "child0");
                           }},
                          {QStringLiteral("COptionsSheet"), [](QWidget* sheet) {
                               QTabBar* bar = named<QTabWidget>(sheet, "pages")->tabBar();
                               QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
                               auto* tasks = named<QLineEdit>(sheet, "taskCountEdit");
                               tasks->selectAll();
                               QTest::keyClicks(tasks, QStringLiteral("7"));
                               click(sheet, "ok");
                           }}});
            app.mainWindow()->action(Cmd::Progress)->trigger();
            QCOMPARE(readAll(CChildList::PathFor(QStringLiteral("ollo"))),
                     QByteArray("ollo-anna=Anna\nollo-joerg=J\xc3\xb6rg\n"));
            // Added while the family's settings run: they keep running.
            QVERIFY(app.childName().isEmpty());
            app.mainWindow()->action(Cmd::SwitchChild)->trigger();
            QCOMPARE(app.childName(), QStringLiteral("Anna"));
            QCOMPARE(app.mainWindow()->statusLine()->message(),
                     QStringLiteral("Anna rechnet. Drücken Sie F1, um Hilfe zu erhalten."));
            app.mainWindow()->action(Cmd::Options)->trigger();
            QVERIFY(steps.done());
            app.mainWindow()->close();
        }
        const QByteArray anna = readAll(m_config->filePath(QStringLiteral("ollo-anna.INI")));
        QVERIFY2(anna.startsWith("[Parameter]\r\nSound=0\r\nAufgaben=7\r\n"), anna.constData());
        QCOMPARE(readAll(m_config->filePath(QStringLiteral("ollo-joerg.INI"))), shipped);

        // A line added by hand for Anna's files is set aside, and the family
        // told once.
        const QString list = CChildList::PathFor(QStringLiteral("ollo"));
        QVERIFY(writeAll(list, readAll(list) + "ollo-anna=Eve\n"));
        QStringList told;
        qsizetype offered = 0;
        QTimer boxes;
        connect(&boxes, &QTimer::timeout, &boxes, [&told] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                told << box->text();
                box->accept();
            }
        });
        boxes.start(5);
        Family chooser({{QStringLiteral("childChooser"),
                         [](QWidget* w) {
                             QTest::keyClick(w->focusWidget(), Qt::Key_Down);
                             QTest::keyClick(w->focusWidget(), Qt::Key_Return);
                         }},
                        {QStringLiteral("childChooser"), [&offered](QWidget* w) {
                             offered = w->findChildren<QPushButton*>().size();
                             click(w, "child1");
                         }}});
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        QVERIFY(app.InitInstance());
        QCOMPARE(app.childName(), QString::fromUtf8("Jörg"));
        app.mainWindow()->action(Cmd::SwitchChild)->trigger();
        QVERIFY(chooser.done());
        boxes.stop();
        QCOMPARE(offered, 2);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains(QString::fromUtf8("„Eve“")), qPrintable(told[0]));
        QCOMPARE(app.childName(), QString::fromUtf8("Jörg"));
        QStringList messages;
        QTimer player;
        answerEverythingRight(player, &messages);
        app.mainWindow()->action(32777)->trigger();
        player.stop();
        const QString records = m_data->filePath(QStringLiteral("ollo/"));
        QCOMPARE(
            RecordRows(records + QStringLiteral("ollo-joerg.sqlite"),
                       QStringLiteral(
                           "SELECT d.task_count, count(t.id) FROM drill d JOIN task t ON t.drill = d.id")),
            QStringList{"2|2"});
        for (const char* untouched : {"ollo-anna.sqlite", "ollo.sqlite"})
            QCOMPARE(
                RecordRows(records + QLatin1String(untouched), QStringLiteral("SELECT count(*) FROM task")),
                QStringList{"0"});
        QCOMPARE(readAll(m_config->filePath(QStringLiteral("ollo-anna.INI"))), anna);
        QCOMPARE(readAll(family), shipped);
    }

    // The first child added to a family with a history is asked about it:
    // the history becomes theirs, and Ollo goes on for them once the window
    // closes, or it stays in the family's record, which keeps running.
    void firstChildAndTheFamilyHistory_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("runningAfter"); // whom Ollo runs for after the window; "": the family
        QTest::addColumn<QString>("annaTasks");
        QTest::addColumn<QString>("familyTasks");
        QTest::newRow("hers") << QString::fromUtf8("Gehört „Anna“") << "Anna"
                              << "2"
                              << "0";
        QTest::newRow("set aside") << "Beiseitelegen"
                                   << ""
                                   << "0"
                                   << "2";
    }
    void firstChildAndTheFamilyHistory() {
        QFETCH(QString, button);
        QFETCH(QString, runningAfter);
        QFETCH(QString, annaTasks);
        QFETCH(QString, familyTasks);
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        const QString familyRecord = CLearningRecord::PathFor(QStringLiteral("ollo"));
        {
            CLearningRecord record(familyRecord);
            QVERIFY(record.open());
            for (const int factor : {3, 4}) {
                record.beginDrill(32777, QStringLiteral("7-er Reihe"), Record::Operation::Multiplication, 7,
                                  1);
                record.addTask(1, {Record::Operation::Multiplication, factor, 7}, QStringLiteral("x"),
                               QString::number(factor * 7));
                record.addAnswer(QString::number(factor * 7), Record::Answer::Right, 1000);
                record.endDrill(Record::DrillEnd::AllDone);
            }
        }
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        QVERIFY(app.InitInstance());
        QString asked;
        Family steps({{QStringLiteral("CProgressWindow"),
                       [](QWidget* w) {
                           click(w, "addChildButton");
                       }},
                      addChild(QStringLiteral("Anna")),
                      {QStringLiteral("QMessageBox"),
                       [&asked, button](QWidget* w) {
                           auto* box = qobject_cast<QMessageBox*>(w);
                           asked = box->text();
                           for (QAbstractButton* candidate : box->buttons())
                               if (candidate->text().remove(u'&') == button)
                                   candidate->click();
                       }},
                      {QStringLiteral("CProgressWindow"), [](QWidget* w) {
                           click(w, "closeButton");
                       }}});
        app.mainWindow()->action(Cmd::Progress)->trigger();
        QVERIFY(steps.done());
        QVERIFY2(asked.contains(QString::fromUtf8("„Anna“")), qPrintable(asked));
        QCOMPARE(app.childName(), runningAfter);
        const auto answered = [](const QString& base) {
            const QString file = CLearningRecord::PathFor(base);
            return QFile::exists(file)
                       ? RecordRows(file, QStringLiteral("SELECT count(*) FROM task WHERE outcome > 0"))
                       : QStringList{QStringLiteral("0")};
        };
        QCOMPARE(answered(QStringLiteral("ollo-anna")), QStringList{annaTasks});
        QCOMPARE(answered(QStringLiteral("ollo")), QStringList{familyTasks});
        app.mainWindow()->close();
    }

    // "--kind NAME" starts for that child: their record is the one opened. A
    // launcher made before a rename still finds the child.
    void childFromCommandLine_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("annaRenamed"); // Anna's new name; "": none
        QTest::newRow("as set up") << "Anna"
                                   << "ollo-anna.INI"
                                   << "";
        QTest::newRow("other case, umlaut") << QString::fromUtf8("JÖRG") << "ollo-joerg.INI"
                                            << "";
        QTest::newRow("the name before a rename") << "anna"
                                                  << "ollo-anna.INI"
                                                  << "Anna Lena";
    }
    void childFromCommandLine() {
        QFETCH(QString, name);
        QFETCH(QString, settings);
        QFETCH(QString, annaRenamed);
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        CChildList children(QStringLiteral("ollo"), m_content->filePath(QStringLiteral("default.INI")));
        QCOMPARE(children.add(QStringLiteral("Anna")), CChildList::Result::Done);
        QCOMPARE(children.add(QString::fromUtf8("Jörg")), CChildList::Result::Done);
        if (!annaRenamed.isEmpty())
            QCOMPARE(children.rename(QStringLiteral("ollo-anna"), annaRenamed), CChildList::Result::Done);
        // The run for a child gives them the shipped settings again.
        for (const char* child : {"ollo-anna.INI", "ollo-joerg.INI"})
            QVERIFY(QFile::remove(m_config->filePath(QLatin1String(child))));
        QProcess program;
        program.setProcessEnvironment(programEnvironment());
        program.start(QStringLiteral(OLLO_PROGRAM), {QStringLiteral("--kind"), name});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_config->filePath(settings)), 20000);
        program.terminate();
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(QDir(m_config->path()).entryList({QStringLiteral("ollo-*.INI")}), QStringList{settings});
    }

    // SIGTERM while "Wer rechnet heute?" waits ends it at once, nobody chosen
    // and no main window made, as the signal ends the program elsewhere.
    void terminationSignalEndsTheChooser() {
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        QVERIFY(writeAll(CChildList::PathFor(QStringLiteral("ollo")), "ollo-anna=Anna\nollo-ben=Ben\n"));
        CTrainerApp::CatchTerminationSignals();
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        bool asked = false;
        QTimer::singleShot(0, &app, [&asked] {
            QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
            asked = QApplication::activeModalWidget()->objectName() == QLatin1String("childChooser");
            ::raise(SIGTERM);
        });
        QVERIFY(!app.ChooseChild({}));
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGHUP, SIG_DFL);
        QVERIFY(asked);
        QVERIFY(!app.InitInstance());
        QVERIFY(app.mainWindow() == nullptr);
    }

    // "&Beenden" ends the loop with 0 and writes nothing.
    void exitEndsTheLoop() {
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        const auto before = snapshot(m_config->path());
        QVERIFY(app.InitInstance());
        QTimer::singleShot(0, app.mainWindow(), [&app] { app.mainWindow()->action(Cmd::Exit)->trigger(); });
        QCOMPARE(app.Run(), 0);
        QVERIFY(!app.mainWindow()->isVisible());
        QCOMPARE(snapshot(m_config->path()), before);
        // Without ollo-Klasse.conf the status bar is a family's.
        QCOMPARE(app.mainWindow()->statusLine()->findChild<QLabel*>(QStringLiteral("classState")), nullptr);
    }

    void programArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("errPart");
        QTest::newRow("--version") << QStringList{"--version"} << 0 << QByteArray("Ollo 1.1\n")
                                   << QByteArray();
        QTest::newRow("unknown") << QStringList{"--nix"} << 2 << QByteArray()
                                 << QByteArray("unbekanntes Argument \xe2\x80\x9e--nix\xe2\x80\x9c");
        // One line that says why, not Qt's abort.
        QTest::newRow("no display") << QStringList{"-platform", "xcb"} << 1 << QByteArray()
                                    << QByteArray("ollo: Ollo kann kein Fenster \xc3\xb6"
                                                  "ffnen "
                                                  "(could not connect to display).\n");
        QTest::newRow("unknown child")
            << QStringList{"--kind", "Niemand"} << 2 << QByteArray()
            << QByteArray("\xe2\x80\x9eNiemand\xe2\x80\x9c ist nicht eingerichtet");
    }

    void programArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, errPart);
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        const Outcome outcome = runProgram(arguments, false);
        QCOMPARE(outcome.status, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, exitCode);
        QCOMPARE(outcome.out, out);
        QVERIFY2(outcome.err.contains(errPart), outcome.err.constData());
        if (exitCode == 1)
            QCOMPARE(outcome.err, errPart);
        // Nothing was started: not even the first-start copy.
        QVERIFY(!QFile::exists(settingsFile()));
    }

    void programHelpText() {
        const Outcome outcome = runProgram({QStringLiteral("--help")}, false);
        QCOMPARE(outcome.exitCode, 0);
        const QString text = QString::fromUtf8(outcome.out);
        QVERIFY(text.startsWith(QStringLiteral("Aufruf: ollo")));
        QVERIFY(text.contains(QStringLiteral("--version")));
        QVERIFY(text.contains(QString::fromUtf8("Einmaleins")));
        QVERIFY(outcome.err.isEmpty());
    }

    // Where no settings file can be had, the program runs on the shipped
    // defaults in memory, says so once at the start, and writes nothing.
    void noWritablePlaceRunsOnTheDefaults_data() {
        QTest::addColumn<QString>("inTheWay"); // what stands where the settings belong
        QTest::addColumn<QString>("reason");
        QTest::newRow("a file where the settings folder belongs")
            << "datei" << QString::fromUtf8("lässt sich nicht anlegen oder beschreiben");
        QTest::newRow("a folder named like the settings file")
            << "ollo.INI" << QString::fromUtf8("steht ein Ordner");
    }
    void noWritablePlaceRunsOnTheDefaults() {
        QFETCH(QString, inTheWay);
        QFETCH(QString, reason);
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        if (inTheWay == u"ollo.INI") {
            QVERIFY(QDir(m_config->path()).mkdir(inTheWay));
        } else {
            QVERIFY(writeAll(m_config->filePath(inTheWay), "x"));
            qputenv("XDG_CONFIG_HOME",
                    m_config->filePath(inTheWay + QStringLiteral("/config")).toLocal8Bit());
        }
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        QVERIFY(app.profile().InMemory());
        QCOMPARE(app.profile().GetInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 0), 1);
        QStringList said;
        QTimer::singleShot(0, qApp, [&said] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            said << box->text();
            box->accept();
        });
        QVERIFY(app.InitInstance());
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].contains(QString::fromUtf8("Voreinstellungen")), qPrintable(said[0]));
        QVERIFY2(said[0].contains(reason), qPrintable(said[0]));
        // Changes last for this run, without a word and without a file.
        QVERIFY(app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 0));
        QCOMPARE(app.profile().GetInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 1), 0);
        QCOMPARE(QDir(m_config->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{inTheWay});
    }

    // A second start on the same settings brings the running window to the
    // front (here from minimised) and ends with 0; on other settings it runs
    // beside the first.
    void secondStart_data() {
        QTest::addColumn<QByteArray>("children"); // the list's bytes; empty: no list
        QTest::addColumn<QStringList>("firstArguments");
        QTest::addColumn<QStringList>("secondArguments");
        QTest::addColumn<bool>("otherFolder");
        QTest::addColumn<bool>("sameSettings");
        // "killed copy": one on the same settings was killed before the
        // first start and left its socket; "silent client": something keeps
        // a connection to the first copy open without a word.
        QTest::addColumn<QString>("trouble");
        QTest::newRow("same settings: hands over")
            << QByteArray() << QStringList() << QStringList() << false << true << QString();
        QTest::newRow("other settings: runs as well")
            << QByteArray() << QStringList() << QStringList() << true << false << QString();
        // Which file a child works on is settled before a copy is asked.
        const QByteArray two("ollo-anna=Anna\nollo-joerg=J\xc3\xb6rg\n");
        QTest::newRow("same child: hands over")
            << two << QStringList{"--kind", "Anna"} << QStringList{"--kind", "anna"} << false << true
            << QString();
        QTest::newRow("other child: runs as well")
            << two << QStringList{"--kind", "Anna"} << QStringList{"--kind", "J\u00f6rg"} << false << false
            << QString();
        QTest::newRow("a killed copy's socket is taken over")
            << QByteArray() << QStringList() << QStringList() << false << true
            << QStringLiteral("killed copy");
        QTest::newRow("a silent client holds nothing up") << QByteArray() << QStringList() << QStringList()
                                                          << false << true << QStringLiteral("silent client");
        // Without a runtime folder (su, startx without a login manager) the
        // socket lies in the temporary folder, where any user may be first.
        QTest::newRow("no runtime folder: hands over")
            << QByteArray() << QStringList() << QStringList() << false << true
            << QStringLiteral("no runtime folder");
        // Such a start runs, without the guard, and says so on standard error.
        QTest::newRow("no runtime folder, a link to another user's socket: runs unguarded")
            << QByteArray() << QStringList() << QStringList() << false << false
            << QStringLiteral("no runtime folder, a link first");
        QTest::newRow("no runtime folder, another user's socket: runs unguarded")
            << QByteArray() << QStringList() << QStringList() << false << false
            << QStringLiteral("no runtime folder, another account first");
    }
    void secondStart() {
        QFETCH(QByteArray, children);
        QFETCH(QStringList, firstArguments);
        QFETCH(QStringList, secondArguments);
        QFETCH(bool, otherFolder);
        QFETCH(bool, sameSettings);
        QFETCH(QString, trouble);
        XSession session;
        if (const QString why = session.start(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        if (!children.isEmpty())
            QVERIFY(writeAll(m_config->filePath(QStringLiteral("ollo-Kinder.txt")), children));
        const QTemporaryDir runtime;
        const QTemporaryDir temporary;
        const QTemporaryDir otherConfig;
        QProcessEnvironment environment = session.environment(programEnvironment());
        const bool noRuntime = trouble.startsWith(u"no runtime folder");
        const QString socketRoot = noRuntime ? temporary.path() : runtime.path();
        if (noRuntime) {
            environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
            environment.insert(QStringLiteral("TMPDIR"), temporary.path());
        } else {
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        }
        // The sockets below the folder, as paths relative to it.
        const auto sockets = [&socketRoot] {
            QStringList found;
            QDirIterator it(socketRoot, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                struct stat entry {};
                const QString path = it.next();
                if (::lstat(QFile::encodeName(path).constData(), &entry) == 0 && S_ISSOCK(entry.st_mode))
                    found << QDir(socketRoot).relativeFilePath(path);
            }
            return found;
        };

        if (trouble == u"killed copy") {
            QProcess killed;
            killed.setProcessEnvironment(environment);
            killed.start(QStringLiteral(OLLO_PROGRAM), firstArguments);
            QVERIFY(killed.waitForStarted());
            QVERIFY(!session.waitForWindow(killed.processId()).isEmpty());
            killed.kill();
            QVERIFY(killed.waitForFinished(20000));
            QCOMPARE(sockets().size(), 1);
        }
        std::unique_ptr<Squatter> squatter;
        if (trouble.endsWith(u" first")) {
            const bool otherAccount = trouble.endsWith(u"another account first");
            if (otherAccount && ::getuid() != 0)
                QSKIP("only root can make a folder that another account owns");
            // Where a start puts its socket is seen by anyone who looks.
            QProcess seen;
            seen.setProcessEnvironment(environment);
            seen.start(QStringLiteral(OLLO_PROGRAM), firstArguments);
            QVERIFY(seen.waitForStarted());
            QVERIFY(!session.waitForWindow(seen.processId()).isEmpty());
            const QStringList places = sockets();
            seen.terminate();
            QVERIFY(seen.waitForFinished(20000));
            QCOMPARE(places.size(), 1);
            squatter = std::make_unique<Squatter>(socketRoot, places[0],
                                                  otherAccount ? Squatter::Folder::OtherAccount
                                                               : Squatter::Folder::Link);
            QVERIFY(squatter->listening());
        }
        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(QStringLiteral(OLLO_PROGRAM), firstArguments);
        QVERIFY(first.waitForStarted());
        const QString window = session.waitForWindow(first.processId());
        QVERIFY(!window.isEmpty());
        session.xdotool({"windowminimize", window});
        QTRY_VERIFY_WITH_TIMEOUT(!session.visibleWindows(first.processId()).contains(window), 20000);
        std::unique_ptr<SilentClient> silent;
        if (trouble == u"no runtime folder") {
            // In a folder that only this user may enter.
            QCOMPARE(sockets().size(), 1);
            struct stat folder {};
            const QString path = QFileInfo(QDir(socketRoot).filePath(sockets().constFirst())).absolutePath();
            QCOMPARE(::lstat(QFile::encodeName(path).constData(), &folder), 0);
            QVERIFY(path != socketRoot && S_ISDIR(folder.st_mode));
            QCOMPARE(folder.st_mode & 07777, mode_t(S_IRWXU));
        }
        if (trouble == u"silent client") {
            QCOMPARE(sockets().size(), 1);
            silent = std::make_unique<SilentClient>(QDir(runtime.path()).filePath(sockets().constFirst()));
            QVERIFY(silent->connected());
        }

        QProcess second;
        if (otherFolder)
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), otherConfig.path());
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(OLLO_PROGRAM), secondArguments);
        QVERIFY(second.waitForStarted());
        if (sameSettings) {
            QVERIFY(second.waitForFinished(20000));
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitCode(), 0);
            QTRY_VERIFY_WITH_TIMEOUT(session.visibleWindows(first.processId()).contains(window) &&
                                         session.activeWindow() == window,
                                     20000);
        } else {
            QVERIFY(!session.waitForWindow(second.processId()).isEmpty());
            QCOMPARE(second.state(), QProcess::Running);
            QVERIFY(!session.visibleWindows(first.processId()).contains(window));
            second.terminate();
            QVERIFY(second.waitForFinished(20000));
            QCOMPARE(second.exitCode(), 0);
        }
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(readAll(settingsFile()), kShipped);
        if (squatter) {
            const QByteArray said = first.readAllStandardError();
            QVERIFY2(said.contains("a second start will not be noticed"), said.constData());
            return;
        }
        // A copy that ends takes its socket with it.
        QCOMPARE(sockets(), QStringList());
    }

    void programRunsAndEndsCleanly_data() {
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QByteArray>("children"); // the list's bytes; empty: no list
        QTest::newRow("no settings anywhere") << false << false << QByteArray();
        QTest::newRow("first start") << true << false << QByteArray();
        QTest::newRow("family settings") << true << true << QByteArray();
        // A list naming nobody of this program is no children: left as it is.
        QTest::newRow("list without a child") << true << true << QByteArray("kaputt\nrechnen-anna=Anna\n");
    }

    void programRunsAndEndsCleanly() {
        QFETCH(bool, shipped);
        QFETCH(bool, existing);
        QFETCH(QByteArray, children);
        if (shipped)
            QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        if (existing)
            QVERIFY(writeAll(settingsFile(), kFamily));
        if (!children.isEmpty())
            QVERIFY(writeAll(CChildList::PathFor(QStringLiteral("ollo")), children));
        const Outcome outcome = runProgram({QStringLiteral("-platform"), QStringLiteral("offscreen")}, true);
        QCOMPARE(outcome.status, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(!outcome.err.contains("rror"), outcome.err.constData());
        const QMap<QString, QByteArray> after = snapshot(m_config->path());
        if (!shipped && !existing)
            QVERIFY(after.isEmpty());
        else if (children.isEmpty())
            QCOMPARE(after, (QMap<QString, QByteArray>{
                                {QStringLiteral("ollo.INI"), existing ? kFamily : kShipped}}));
        else
            QCOMPARE(after, (QMap<QString, QByteArray>{{QStringLiteral("ollo.INI"), kFamily},
                                                       {QStringLiteral("ollo-Kinder.txt"), children}}));
    }
};

QTEST_MAIN(TestTrainerApp)
#include "tst_trainerapp.moc"
