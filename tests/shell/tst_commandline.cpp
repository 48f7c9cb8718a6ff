#include <QTemporaryDir>
#include <QTest>

#include "shell/commandline.h"

using Action = CommandLine::Action;

class TestCommandLine : public QObject {
    Q_OBJECT

    // No family's list of children is read.
    QTemporaryDir m_config;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit()); }

    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("textPart");

        const QString program = QStringLiteral("/usr/bin/ollo");
        QTest::newRow("none") << QStringList{program} << Action::Run << 0 << QString();
        QTest::newRow("empty list") << QStringList{} << Action::Run << 0 << QString();
        QTest::newRow("--help") << QStringList{program, "--help"} << Action::Help << 0 << "Aufruf: ollo";
        QTest::newRow("-h") << QStringList{program, "-h"} << Action::Help << 0 << "--version";
        QTest::newRow("--version") << QStringList{program, "--version"} << Action::Version << 0
                                   << "Ollo 1.1\n";
        QTest::newRow("help wins over a later error")
            << QStringList{program, "--help", "--bogus"} << Action::Help << 0 << "Aufruf";
        QTest::newRow("unknown option") << QStringList{program, "--bogus"} << Action::Error << 2
                                        << QString::fromUtf8("unbekanntes Argument „--bogus“");
        QTest::newRow("file name") << QStringList{program, "aufgaben.txt"} << Action::Error << 2
                                   << "aufgaben.txt";
        QTest::newRow("lone dash") << QStringList{program, "-"} << Action::Error << 2
                                   << QString::fromUtf8("„-“");
        QTest::newRow("error after a Qt option") << QStringList{program, "-platform", "offscreen", "x"}
                                                 << Action::Error << 2 << QString::fromUtf8("„x“");
        QTest::newRow("program name in the message")
            << QStringList{"/opt/rechnen", "--bogus"} << Action::Error << 2 << "rechnen --help";
        QTest::newRow("-platform value")
            << QStringList{program, "-platform", "offscreen"} << Action::Run << 0 << QString();
        QTest::newRow("--platform value")
            << QStringList{program, "--platform", "xcb"} << Action::Run << 0 << QString();
        QTest::newRow("-style=fusion")
            << QStringList{program, "-style=fusion"} << Action::Run << 0 << QString();
        QTest::newRow("-reverse and -display")
            << QStringList{program, "-reverse", "-display", ":1"} << Action::Run << 0 << QString();
        QTest::newRow("value missing")
            << QStringList{program, "-platform"} << Action::Error << 2 << QString::fromUtf8("fehlt der Wert");
        QTest::newRow("--kind without a name")
            << QStringList{program, "--kind"} << Action::Error << 2 << QString::fromUtf8("fehlt der Name");
        QTest::newRow("--kind=, no children set up")
            << QStringList{program, "--kind=Anna"} << Action::Error << 2
            << QString::fromUtf8("„Anna“ ist nicht eingerichtet.\nEs ist noch kein Kind eingerichtet");
        QTest::newRow("--kind, then an error")
            << QStringList{program, "--kind", "Anna", "x"} << Action::Error << 2 << QString::fromUtf8("„x“");
        QTest::newRow("--klasse without class mode")
            << QStringList{program, "--klasse"} << Action::Error << 2
            << QString::fromUtf8("keine Datei ollo-Klasse.conf. Gesucht wurde in\n  %1/ollo-Klasse.conf")
                   .arg(m_config.path());
        QTest::newRow("--klasse with --kind")
            << QStringList{program, "--klasse", "--kind", "Anna"} << Action::Error << 2
            << QString::fromUtf8("gehen nicht zusammen");
        // The value of a Qt option is never mistaken for an option of ours.
        QTest::newRow("value looks like --help")
            << QStringList{program, "-qwindowtitle", "--help"} << Action::Run << 0 << QString();
    }

    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(int, exitCode);
        QFETCH(QString, textPart);

        const CommandLine result = ParseCommandLine(arguments);
        QCOMPARE(result.action, action);
        QCOMPARE(result.exitCode, exitCode);
        if (textPart.isEmpty())
            QVERIFY(result.text.isEmpty());
        else
            QVERIFY2(result.text.contains(textPart), qPrintable(result.text));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
