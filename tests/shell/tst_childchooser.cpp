// "Wer rechnet heute?" on a real X server with a window manager: the window
// the program opens first gets the keyboard, and the arrow keys, Tab and
// Enter typed on the keyboard pick a child. Starts its own Xvfb and openbox
// on a free display; skipped where they or xdotool are missing.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QString tool(const char* name) {
    return QStandardPaths::findExecutable(QLatin1String(name));
}

} // namespace

class TestChildChooser : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_display;
    QProcess m_server;
    QProcess m_windowManager;

    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("HOME"), m_home.path());
        return environment;
    }

    bool xdotool(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(tool("xdotool"), arguments);
        return process.waitForFinished(20000) && process.exitCode() == 0;
    }

private Q_SLOTS:
    void initTestCase() {
        if (tool("Xvfb").isEmpty() || tool("openbox").isEmpty() || tool("xdotool").isEmpty())
            QSKIP("Xvfb, openbox and xdotool are needed for this test");
        int number = 90;
        while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
               QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
            ++number;
        m_display = QStringLiteral(":%1").arg(number);
        m_server.start(tool("Xvfb"),
                       {m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY(m_server.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)), 20000);
        // openbox runs its start-up command once it manages the screen.
        const QString ready = m_home.filePath(QStringLiteral("openbox-ready"));
        m_windowManager.setProcessEnvironment(environment());
        m_windowManager.start(tool("openbox"),
                              {QStringLiteral("--startup"), QStringLiteral("touch ") + ready});
        QVERIFY(m_windowManager.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ready), 20000);
    }

    void cleanupTestCase() {
        for (QProcess* process : {&m_windowManager, &m_server}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(10000))
                process->kill();
        }
    }

    // Keys as typed, and the child whose record the program then opens.
    void keysPickAChild_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("record");
        QTest::newRow("Enter on the first") << QStringList{"Return"} << "ollo-anna.sqlite";
        QTest::newRow("arrow down twice")
            << QStringList{"Down", "Down", "Return"} << "ollo-mia-sophie.sqlite";
        QTest::newRow("Tab, then space") << QStringList{"Tab", "space"} << "ollo-joerg.sqlite";
        QTest::newRow("down and up again") << QStringList{"Down", "Up", "Return"} << "ollo-anna.sqlite";
    }
    void keysPickAChild() {
        QFETCH(QStringList, keys);
        QFETCH(QString, record);
        const QString config = m_home.filePath(QStringLiteral("config"));
        const QString data = m_home.filePath(QStringLiteral("data/ollo"));
        QDir(data).removeRecursively();
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
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data + u'/' + record), 20000);
        program.terminate();
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(QDir(data).entryList({QStringLiteral("*.sqlite")}), QStringList{record});
    }
};

QTEST_GUILESS_MAIN(TestChildChooser)
#include "tst_childchooser.moc"
