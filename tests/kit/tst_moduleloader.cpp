#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "kit/helpmodule.h"
#include "kit/moduleloader.h"
#include "kit/recordmodule.h"
#include "kit/soundmodule.h"
#include "kit/speechmodule.h"

// The modules as built, loaded from their files as the program loads them
// (nothing of theirs is linked in here), each doing one piece of its work:
// a module that misses a symbol or its plugin object fails here, not at a
// family's first sound.
class TestModuleLoader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadsModules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("folders");
        const QString built = QStringLiteral(OLLO_MODULE_FOLDER);
        QTest::newRow("sound, beside the program") << "ollo-sound" << ModuleFolders(built + "/ollo");
        QTest::newRow("speech") << "ollo-speech" << QStringList{built};
        QTest::newRow("help, in a later folder") << "ollo-helpviewer" << QStringList{"/nirgends", built};
        QTest::newRow("record") << "ollo-record" << QStringList{built};
        QTest::newRow("none of that name") << "ollo-gibtsnicht" << QStringList{built};
    }
    void loadsModules() {
        QFETCH(QString, name);
        QFETCH(QStringList, folders);
        if (name == QLatin1String("ollo-sound")) {
            SoundModule* sound = LoadModule<SoundModule>(name, folders);
            QVERIFY(sound != nullptr);
            // No sound server here: silent, and no crash.
            sound->prepare();
            sound->playSound(QStringLiteral("gibtsnicht.wav"));
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
            QVERIFY(log->hardFacts(0, 5).empty());
        } else {
            // Said once, however often it is asked for.
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("module ollo-gibtsnicht not loaded: not in "));
            QVERIFY(LoadModule<SoundModule>(name, folders) == nullptr);
            QVERIFY(LoadModule<SoundModule>(name, folders) == nullptr);
        }
    }
};

QTEST_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
