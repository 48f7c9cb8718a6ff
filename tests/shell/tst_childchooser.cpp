// "Wer rechnet heute?" on a real X server with a window manager: the window
// the program opens first gets the keyboard, and the arrow keys, Tab and
// Enter typed on the keyboard pick a child. Skipped where Xvfb, openbox or
// xdotool are missing.

#include <QDir>
#include <QFile>
#include <QMap>
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
    // from the shipped ones. The window fits the screen however many
    // children there are.
    void keysPickAChild_data() {
        QTest::addColumn<int>("children"); // 3: Anna, Jörg, Mia Sophie; more: "Kind 1", "Kind 2", …
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("settings");
        QTest::newRow("Enter on the first") << 3 << QStringList{"Return"} << "ollo-anna.INI";
        QTest::newRow("arrow down twice") << 3 << QStringList{"Down", "Down", "Return"} << "ollo-mia-sophie.INI";
        QTest::newRow("Tab, then space") << 3 << QStringList{"Tab", "space"} << "ollo-joerg.INI";
        QTest::newRow("down and up again") << 3 << QStringList{"Down", "Up", "Return"} << "ollo-anna.INI";
        QStringList toTheLast(29, QStringLiteral("Tab"));
        QTest::newRow("a class of 30, the last") << 30 << (toTheLast << "Return") << "ollo-kind-30.INI";
        QTest::newRow("10,000 lines, the first") << 10000 << QStringList{"Return"} << "ollo-kind-1.INI";
    }
    void keysPickAChild() {
        QFETCH(int, children);
        QFETCH(QStringList, keys);
        QFETCH(QString, settings);
        const QString config = m_home.filePath(QStringLiteral("config"));
        QDir(config).removeRecursively();
        QVERIFY(QDir().mkpath(config));
        QFile list(config + QStringLiteral("/ollo-Kinder.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        if (children == 3) {
            list.write("ollo-anna=Anna\nollo-joerg=J\xc3\xb6rg\nollo-mia-sophie=Mia Sophie\n");
        } else {
            for (int i = 1; i <= children; ++i)
                list.write(QStringLiteral("ollo-kind-%1=Kind %1\n").arg(i).toUtf8());
        }
        list.close();

        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(QStringLiteral(OLLO_PROGRAM), QStringList());
        QVERIFY(program.waitForStarted());
        // Waits until the window is there and has the keyboard.
        const QStringList windows = m_session.xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                                                       QStringLiteral("--onlyvisible"),
                                                       QStringLiteral("--name"), QStringLiteral("^Ollo$")},
                                                      60000);
        QCOMPARE(windows.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(
            xdotool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}), 20000);
        // Within the session's 1280 × 1024 screen.
        QMap<QString, int> geometry;
        for (const QString& line : m_session.xdotool(
                 {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), windows[0]})) {
            const QStringList pair = line.split(u'=');
            geometry.insert(pair.value(0), pair.value(1).toInt());
        }
        QVERIFY2(geometry.value("X", -1) >= 0 && geometry.value("Y", -1) >= 0 &&
                     geometry.value("X") + geometry.value("WIDTH") <= 1280 &&
                     geometry.value("Y") + geometry.value("HEIGHT") <= 1024,
                 qPrintable(QStringLiteral("%1 × %2 at %3, %4")
                                .arg(geometry.value("WIDTH"))
                                .arg(geometry.value("HEIGHT"))
                                .arg(geometry.value("X"))
                                .arg(geometry.value("Y"))));
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
