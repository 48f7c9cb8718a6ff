#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

#include "common/xsession.h"
#include "common/recordrows.h"
#include "drill/drilldialog.h"
#include "drill/wronganswerdlg.h"
#include "kit/bitmapbutton.h"
#include "kit/commandids.h"
#include "kit/showhelp.h"
#include "shell/bitmapokdlg.h"
#include "shell/infodlg.h"
#include "shell/mainframe.h"
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

// What a child works out from the task line: "8 X 7 = ??" → "56".
QString answerFor(const QString& task) {
    const QStringList parts = task.split(u' ');
    const int a = parts.value(0).toInt();
    const int b = parts.value(2).toInt();
    return QString::number(parts.value(1) == u"X" ? a * b : a / std::max(b, 1));
}

// Presses the wrong-answer dialog's button once it is up.
void pressInWrongAnswerDialog(const char* button) {
    QTimer::singleShot(0, qApp, [button] {
        auto* wrong = qobject_cast<CWrongAnswerDlg*>(QApplication::activeModalWidget());
        if (wrong == nullptr) {
            pressInWrongAnswerDialog(button);
            return;
        }
        QTest::mouseClick(wrong->findChild<CBitmapButton*>(QLatin1String(button)), Qt::LeftButton);
    });
}

// A drill of three tasks as a child plays it in the real dialogs: the first
// right at once, the second wrong, "NOCHMALS", then right, the third wrong
// and "LOESEN"; then "Weiter" ends it.
void playThreeTasks() {
    QTimer::singleShot(0, qApp, [] {
        auto* dialog = qobject_cast<CDrillDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            playThreeTasks();
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
void closeNextDialog(QString* className, bool askHelp = false, QStringList* unnamed = nullptr) {
    QTimer::singleShot(0, qApp, [className, askHelp, unnamed] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            closeNextDialog(className, askHelp, unnamed);
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
        program.setProcessEnvironment(programEnvironment());
        program.setWorkingDirectory(QDir::tempPath());
        program.start(QStringLiteral(OLLO_PROGRAM), arguments);
        if (!program.waitForStarted())
            return {};
        if (closeWhenStarted) {
            // Give it time to open its window; the termination signal then
            // closes it like the close box (and would also do so earlier).
            QTest::qWait(1500);
            program.terminate();
        }
        program.waitForFinished(20000);
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
        // The learning record waits until the window has painted.
        QVERIFY(app.record() == nullptr);
        QTRY_VERIFY(app.record() != nullptr);
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
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 9")));
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        }
        const QByteArray recordBefore = readAll(recordFile);
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Aufgaben"), 3);
        QVERIFY(app.InitInstance());
        QTRY_VERIFY(app.record() != nullptr);
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

    // Where no settings folder can be had, the program runs on the shipped
    // defaults in memory, says so once at the start, and writes nothing.
    void noWritablePlaceRunsOnTheDefaults() {
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        const QString inTheWay = m_config->filePath(QStringLiteral("datei"));
        QVERIFY(writeAll(inTheWay, "x"));
        qputenv("XDG_CONFIG_HOME", (inTheWay + QStringLiteral("/config")).toLocal8Bit());
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
        // Changes last for this run, without a word and without a file.
        QVERIFY(app.profile().WriteInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 0));
        QCOMPARE(app.profile().GetInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 1), 0);
        QCOMPARE(snapshot(m_config->path()).keys(), QStringList{QStringLiteral("datei")});
    }

    // A second start on the same settings brings the running window to the
    // front (here from minimised) and ends with 0; on other settings it runs
    // beside the first.
    void secondStart_data() {
        QTest::addColumn<bool>("sameSettings");
        QTest::newRow("same settings: hands over") << true;
        QTest::newRow("other settings: runs as well") << false;
    }
    void secondStart() {
        QFETCH(bool, sameSettings);
        XSession session;
        if (const QString why = session.start(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        const QTemporaryDir runtime;
        const QTemporaryDir otherConfig;
        QProcessEnvironment environment = session.environment(programEnvironment());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(QStringLiteral(OLLO_PROGRAM));
        QVERIFY(first.waitForStarted());
        const QString window = session.waitForWindow(first.processId());
        QVERIFY(!window.isEmpty());
        session.xdotool({"windowminimize", window});
        QTRY_VERIFY_WITH_TIMEOUT(!session.visibleWindows(first.processId()).contains(window), 20000);

        QProcess second;
        if (!sameSettings)
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), otherConfig.path());
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(OLLO_PROGRAM));
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
    }

    void programRunsAndEndsCleanly_data() {
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<bool>("existing");
        QTest::newRow("no settings anywhere") << false << false;
        QTest::newRow("first start") << true << false;
        QTest::newRow("family settings") << true << true;
    }

    void programRunsAndEndsCleanly() {
        QFETCH(bool, shipped);
        QFETCH(bool, existing);
        if (shipped)
            QVERIFY(writeAll(m_content->filePath(QStringLiteral("default.INI")), kShipped));
        if (existing)
            QVERIFY(writeAll(settingsFile(), kFamily));
        const Outcome outcome = runProgram({QStringLiteral("-platform"), QStringLiteral("offscreen")}, true);
        QCOMPARE(outcome.status, QProcess::NormalExit);
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(!outcome.err.contains("rror"), outcome.err.constData());
        const QMap<QString, QByteArray> after = snapshot(m_config->path());
        if (!shipped && !existing)
            QVERIFY(after.isEmpty());
        else
            QCOMPARE(after, (QMap<QString, QByteArray>{
                                {QStringLiteral("ollo.INI"), existing ? kFamily : kShipped}}));
    }
};

QTEST_MAIN(TestTrainerApp)
#include "tst_trainerapp.moc"
