// "Wer rechnet heute?" on a real X server with a window manager: the window
// the program opens first gets the keyboard, and the arrow keys, Tab and
// Enter typed on the keyboard pick a child. Skipped where Xvfb, openbox or
// xdotool are missing.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "common/xsession.h"

class TestChildChooser : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    XSession m_session;

    QProcessEnvironment environment() const {
        QProcessEnvironment environment = m_session.environment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("HOME"), m_home.path());
        return environment;
    }

    bool xdotool(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral("xdotool"), arguments);
        return process.waitForFinished(20000) && process.exitCode() == 0;
    }

private Q_SLOTS:
    void initTestCase() {
        if (const QString why = m_session.start(); !why.isEmpty())
            QSKIP(qPrintable(why));
    }

    // Keys as typed, and the child whose settings the program then makes
    // from the shipped ones.
    void keysPickAChild_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("settings");
        QTest::newRow("Enter on the first") << QStringList{"Return"} << "ollo-anna.INI";
        QTest::newRow("arrow down twice") << QStringList{"Down", "Down", "Return"} << "ollo-mia-sophie.INI";
        QTest::newRow("Tab, then space") << QStringList{"Tab", "space"} << "ollo-joerg.INI";
        QTest::newRow("down and up again") << QStringList{"Down", "Up", "Return"} << "ollo-anna.INI";
    }
    void keysPickAChild() {
        QFETCH(QStringList, keys);
        QFETCH(QString, settings);
        const QString config = m_home.filePath(QStringLiteral("config"));
        QDir(config).removeRecursively();
        QVERIFY(QDir().mkpath(config));
        QFile list(config + QStringLiteral("/ollo-Kinder.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("ollo-anna=Anna\nollo-joerg=J\xc3\xb6rg\nollo-mia-sophie=Mia Sophie\n");
        list.close();

        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(QStringLiteral(OLLO_PROGRAM), QStringList());
        QVERIFY(program.waitForStarted());
        // Waits until the window is there and has the keyboard.
        QVERIFY(xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                         QStringLiteral("--name"), QStringLiteral("^Ollo$")}));
        QTRY_VERIFY_WITH_TIMEOUT(
            xdotool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}), 20000);
        QVERIFY(xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50")} +
                        keys));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(config + u'/' + settings), 20000);
        program.terminate();
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(QDir(config).entryList({QStringLiteral("ollo-*.INI")}), QStringList{settings});
    }
};

QTEST_GUILESS_MAIN(TestChildChooser)
#include "tst_childchooser.moc"
