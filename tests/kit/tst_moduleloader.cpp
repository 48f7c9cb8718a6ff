#include <QRegularExpression>
#include <QTest>

#include <memory>

#include "kit/helpmodule.h"
#include "kit/moduleloader.h"
#include "kit/soundmodule.h"

// The modules as built, found as the program finds them, each offering what
// the program asks of it.
class TestModuleLoader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findsModules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<bool>("found");
        const QString built = QStringLiteral(OLLO_MODULE_FOLDER);
        QTest::newRow("sound, beside the program") << "ollo-sound" << ModuleFolders(built + "/ollo") << true;
        QTest::newRow("help, in a later folder")
            << "ollo-helpviewer" << QStringList{"/nirgends", built} << true;
        QTest::newRow("none of that name") << "ollo-gibtsnicht" << QStringList{built} << false;
    }
    void findsModules() {
        QFETCH(QString, name);
        QFETCH(QStringList, folders);
        QFETCH(bool, found);
        if (!found) {
            // Said once, however often it is asked for.
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("module ollo-gibtsnicht not loaded: not in "));
            QVERIFY(LoadModule<SoundModule>(name, folders) == nullptr);
            QVERIFY(LoadModule<SoundModule>(name, folders) == nullptr);
            return;
        }
        if (name == QLatin1String("ollo-sound")) {
            QVERIFY(LoadModule<SoundModule>(name, folders) != nullptr);
            return;
        }
        HelpModule* help = LoadModule<HelpModule>(name, folders);
        QVERIFY(help != nullptr);
        QWidget owner;
        const std::unique_ptr<HelpViewer> viewer = help->makeViewer(QStringLiteral(OLLO_HELP_FILE), &owner);
        QVERIFY(viewer->open(131200, HelpCommand::Context));
        QVERIFY(viewer->window() != nullptr);
        QCOMPARE(viewer->window()->parentWidget(), &owner);
    }
};

QTEST_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
