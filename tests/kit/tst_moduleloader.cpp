#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "base/profile.h"
#include "common/fakehost.h"
#include "kit/buildid.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/helpmodule.h"
#include "kit/klassemodule.h"
#include "kit/modulehost.h"
#include "kit/moduleloader.h"
#include "kit/progressmodule.h"
#include "kit/recordmodule.h"
#include "kit/soundmodule.h"
#include "kit/speechmodule.h"
#include "settings/sounddlg.h"

namespace {

bool copyModule(const QString& from, const QString& to) {
    return QDir().mkpath(QFileInfo(to).absolutePath()) && QFile::copy(from, to);
}

// The Sound dialog over a host that finds its modules in folders: the line
// that says sound is unavailable, empty when there is none.
QString soundDialogNote(const QStringList& folders, const QString& settingsFile) {
    QWidget owner;
    ModuleHost host(&owner, {}, folders);
    SetDialogHost(&owner, &host);
    CProfile profile(settingsFile);
    CSoundDlg dialog(profile, &owner);
    const auto* note = dialog.findChild<QLabel*>(QStringLiteral("soundUnavailable"));
    return note ? note->text() : QString();
}

} // namespace

// The modules as built, loaded from their files as the program loads them
// (nothing of theirs is linked in here), each doing one piece of its work:
// a module that misses a symbol or its plugin object fails here, not at a
// family's first sound. And the modules the program must refuse: one in a
// folder it must not search, one of another build, one that misses a symbol.
class TestModuleLoader : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        const QString built = QStringLiteral(OLLO_MODULE_FOLDER "/ollo-sound.so");
        // Where a program in <dir>/bin once also looked: <dir>/lib/ollo, which
        // under /tmp any user can make.
        QVERIFY(copyModule(built, m_dir.filePath(QStringLiteral("lib/ollo/ollo-daneben.so"))));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("bin"))));
        // The same module, as another build of Ollo stamps it.
        QFile module(built);
        QVERIFY(module.open(QIODevice::ReadOnly));
        QByteArray bytes = module.readAll();
        const QByteArray id(kBuildId);
        QByteArray other = id;
        std::reverse(other.begin(), other.end());
        if (other == id)
            other.fill('0');
        QVERIFY2(bytes.contains(id), "the built module carries no build id");
        bytes.replace(id, other);
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("fremd"))));
        QFile stranger(m_dir.filePath(QStringLiteral("fremd/ollo-fremd.so")));
        QVERIFY(stranger.open(QIODevice::WriteOnly) && stranger.write(bytes) == bytes.size());
    }

    void loadsModules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("refusal"); // what standard error says; empty: loaded
        const QString built = QStringLiteral(OLLO_MODULE_FOLDER);
        QTest::newRow("sound, beside the program")
            << "ollo-sound" << ModuleFolders(built + "/ollo") << QString();
        QTest::newRow("speech") << "ollo-speech" << QStringList{built} << QString();
        QTest::newRow("help, in a later folder")
            << "ollo-helpviewer" << QStringList{"/nirgends", built} << QString();
        QTest::newRow("record") << "ollo-record" << QStringList{built} << QString();
        QTest::newRow("progress") << "ollo-progress" << QStringList{built} << QString();
        QTest::newRow("class view") << "ollo-klasse" << QStringList{built} << QString();
        QTest::newRow("none of that name") << "ollo-gibtsnicht" << QStringList{built} << "not in ";
        QTest::newRow("beside the program's folder")
            << "ollo-daneben" << ModuleFolders(m_dir.filePath(QStringLiteral("bin/ollo"))) << "not in ";
        QTest::newRow("another build") << "ollo-fremd" << QStringList{m_dir.filePath(QStringLiteral("fremd"))}
                                       << "belongs to another build of Ollo";
        QTest::newRow("a symbol missing")
            << "ollo-sound" << QStringList{QStringLiteral(OLLO_BROKEN_MODULE_FOLDER)}
            << "undefined symbol: olloNowhereToBeFound";
    }
    void loadsModules() {
        QFETCH(QString, name);
        QFETCH(QStringList, folders);
        QFETCH(QString, refusal);
        const QString settings = m_dir.filePath(QStringLiteral("ollo.INI"));
        if (!refusal.isEmpty()) {
            // Said once, however often it is asked for; the feature is off.
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("module %1 not loaded: .*%2")
                                                        .arg(name, QRegularExpression::escape(refusal))));
            QVERIFY(LoadModule<SoundModule>(name, folders) == nullptr);
            QVERIFY(LoadModule<SoundModule>(name, folders) == nullptr);
            if (name == QLatin1String("ollo-sound"))
                QVERIFY(soundDialogNote(folders, settings)
                            .startsWith(QString::fromUtf8("Ton ist nicht verfügbar.")));
        } else if (name == QLatin1String("ollo-sound")) {
            SoundModule* sound = LoadModule<SoundModule>(name, folders);
            QVERIFY(sound != nullptr);
            // No sound server here: silent, and no crash.
            sound->prepare();
            sound->playSound(QStringLiteral("gibtsnicht.wav"));
            QCOMPARE(soundDialogNote(folders, settings), QString());
        } else if (name == QLatin1String("ollo-speech")) {
            SpeechModule* speech = LoadModule<SpeechModule>(name, folders);
            QVERIFY(speech != nullptr);
            // Not looked for yet: the service is only asked once a dialog wants it.
            const std::unique_ptr<SpeechVoice> voice = speech->makeVoice();
            QCOMPARE(voice->status().state, SpeechStatus::State::Searching);
        } else if (name == QLatin1String("ollo-helpviewer")) {
            HelpModule* help = LoadModule<HelpModule>(name, folders);
            QVERIFY(help != nullptr);
            QWidget owner;
            const std::unique_ptr<HelpViewer> viewer =
                help->makeViewer(QStringLiteral(OLLO_HELP_FILE), &owner);
            QVERIFY(viewer->open(0, HelpCommand::Finder));
            QVERIFY(viewer->window() != nullptr);
            QCOMPARE(viewer->window()->parentWidget(), &owner);
        } else if (name == QLatin1String("ollo-record")) {
            RecordModule* record = LoadModule<RecordModule>(name, folders);
            QVERIFY(record != nullptr);
            const std::unique_ptr<LearningLog> log = record->openLog(QStringLiteral("modultest"));
            QVERIFY2(log->canRead(), qPrintable(log->faultReason()));
            QVERIFY(log->hardFacts(0, 5) && log->hardFacts(0, 5)->facts.empty());
        } else if (name == QLatin1String("ollo-progress")) {
            ProgressModule* progress = LoadModule<ProgressModule>(name, folders);
            QVERIFY(progress != nullptr);
            RecordModule* record = LoadModule<RecordModule>(QStringLiteral("ollo-record"), folders);
            QVERIFY(record != nullptr);
            const std::unique_ptr<LearningLog> log = record->openLog(QStringLiteral("modultest"));
            // The window's help goes to the host it is handed, across the modules.
            FakeHost host;
            QString shown;
            QTimer::singleShot(0, &host, [&shown] {
                if (QWidget* window = QApplication::activeModalWidget()) {
                    shown = window->windowTitle();
                    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("helpButton")),
                                      Qt::LeftButton);
                    window->close();
                }
            });
            progress->showProgress(&host, host, *log, nullptr);
            QCOMPARE(shown, QStringLiteral("Lernfortschritt"));
            QCOMPARE(host.helps, QList<int>{Help::forCommand(Cmd::Progress)});
        } else if (name == QLatin1String("ollo-klasse")) {
            KlasseModule* klasse = LoadModule<KlasseModule>(name, folders);
            QVERIFY(klasse != nullptr);
            // Without class mode the window opens and says so; its help goes to the host.
            FakeHost host;
            const std::unique_ptr<QWidget> window = klasse->openClassView(ClassConfig(), host);
            window->show();
            QCOMPARE(window->windowTitle(), QString::fromUtf8("Ollo – Klassenübersicht"));
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("helpButton")), Qt::LeftButton);
            QCOMPARE(host.helps, QList<int>{Help::forCommand(Cmd::ClassView)});
        }
    }
};

QTEST_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
