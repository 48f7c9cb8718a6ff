// The family's list of children: the file names made from any name, names
// told apart, and what adding, renaming and removing leave on disk.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "base/childlist.h"
#include "common/filecontents.h"

using Result = CChildList::Result;

class TestChildList : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;
    QString m_shipped;

    QString config(const QString& name) const { return m_config->filePath(name); }

private Q_SLOTS:
    void init() {
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        m_shipped = m_config->filePath(QStringLiteral("shipped/default.INI"));
        QDir().mkpath(m_config->filePath(QStringLiteral("shipped")));
        writeAll(m_shipped, "[Parameter]\r\nAufgaben=10\r\n");
    }

    void plainName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("plain");
        QTest::newRow("plain") << "anna"
                               << "anna";
        QTest::newRow("capitals") << "ANNA"
                                  << "anna";
        QTest::newRow("umlauts spelled out")
            << QString::fromUtf8("Jörg Müller-Weiß") << "joerg-mueller-weiss";
        QTest::newRow("capital umlauts") << QString::fromUtf8("ÄRNE ÖZ ÜLI") << "aerne-oez-ueli";
        QTest::newRow("accents left away") << QString::fromUtf8("Zoë Chloé Núñez") << "zoe-chloe-nunez";
        QTest::newRow("letters spelled out")
            << QString::fromUtf8("Łucja Øystein Þóra") << "lucja-oystein-thora";
        QTest::newRow("nothing left") << QString::fromUtf8("Иван") << "kind";
        QTest::newRow("partly left") << QString::fromUtf8("Mia 美") << "mia";
        QTest::newRow("path characters") << "../.hidden/x:y*?\\"
                                         << "hidden-x-y";
        QTest::newRow("digits kept") << "Kind 2"
                                     << "kind-2";
        QTest::newRow("runs of others are one dash") << "a  --  b"
                                                     << "a-b";
        QTest::newRow("cut to forty") << QString(50, u'x') << QString(40, u'x');
    }
    void plainName() {
        QFETCH(QString, name);
        QTEST(CChildList::PlainName(name), "plain");
    }

    // Adds the names in turn: what each gives, and the files on disk after.
    void add_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("results"); // a base name, or why it was refused
        QTest::newRow("two") << QStringList{"Anna", "Ben"} << QStringList{"ollo-anna", "ollo-ben"};
        QTest::newRow("same name, other case")
            << QStringList{"Anna", " anna "} << QStringList{"ollo-anna", "taken"};
        QTest::newRow("same plain form") << QStringList{QString::fromUtf8("Jörg"), "Joerg", "JOERG!"}
                                         << QStringList{"ollo-joerg", "ollo-joerg-2", "ollo-joerg-3"};
        QTest::newRow("nothing plain") << QStringList{QString::fromUtf8("Иван"), QString::fromUtf8("Олег")}
                                       << QStringList{"ollo-kind", "ollo-kind-2"};
        QTest::newRow("empty") << QStringList{"  ", "\n"} << QStringList{"empty", "empty"};
        QTest::newRow("line break inside") << QStringList{"Anna\nLena"} << QStringList{"ollo-anna-lena"};
    }
    void add() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, results);
        CChildList list(QStringLiteral("ollo"), m_shipped);
        for (int i = 0; i < names.size(); ++i) {
            const Result result = list.add(names[i]);
            if (results[i] == u"taken") {
                QCOMPARE(result, Result::NameTaken);
            } else if (results[i] == u"empty") {
                QCOMPARE(result, Result::EmptyName);
            } else {
                QCOMPARE(result, Result::Done);
                QCOMPARE(list.children().back().baseName, results[i]);
                QCOMPARE(readAll(config(results[i] + QStringLiteral(".INI"))),
                         QByteArray("[Parameter]\r\nAufgaben=10\r\n"));
            }
        }
        // What another start reads back.
        CChildList again(QStringLiteral("ollo"), m_shipped);
        QCOMPARE(again.children().size(), list.children().size());
        for (size_t i = 0; i < list.children().size(); ++i) {
            QCOMPARE(again.children()[i].name, list.children()[i].name);
            QCOMPARE(again.children()[i].baseName, list.children()[i].baseName);
        }
        QCOMPARE(QFile::exists(CChildList::PathFor(QStringLiteral("ollo"))), !list.children().empty());
        // The family's own settings are never made or touched.
        QVERIFY(!QFile::exists(config(QStringLiteral("ollo.INI"))));
    }

    // A file left by an earlier child is never taken over by a new one.
    void leftoverFileNotTaken() {
        writeAll(config(QStringLiteral("ollo-anna.INI")), "[Parameter]\r\nAufgaben=3\r\n");
        CChildList list(QStringLiteral("ollo"), m_shipped);
        QCOMPARE(list.add(QStringLiteral("Anna")), Result::Done);
        QCOMPARE(list.children().back().baseName, QStringLiteral("ollo-anna-2"));
        QCOMPARE(readAll(config(QStringLiteral("ollo-anna.INI"))),
                 QByteArray("[Parameter]\r\nAufgaben=3\r\n"));
    }

    void renameAndRemove() {
        CChildList list(QStringLiteral("ollo"), m_shipped);
        QCOMPARE(list.add(QStringLiteral("Anna")), Result::Done);
        QCOMPARE(list.add(QStringLiteral("Ben")), Result::Done);
        QCOMPARE(list.rename(QStringLiteral("ollo-ben"), QStringLiteral("anna")), Result::NameTaken);
        QCOMPARE(list.rename(QStringLiteral("ollo-ben"), QStringLiteral("  ")), Result::EmptyName);
        QCOMPARE(list.rename(QStringLiteral("ollo-anna"), QStringLiteral("ANNA")), Result::Done);
        QCOMPARE(list.rename(QStringLiteral("ollo-ben"), QStringLiteral("Benjamin")), Result::Done);
        // A change of case is no new name; the former one is kept for launchers.
        QCOMPARE(readAll(CChildList::PathFor(QStringLiteral("ollo"))),
                 QByteArray("ollo-anna=ANNA\nollo-ben=Benjamin\n#ollo-ben=Ben\n"));
        QVERIFY(list.find(QStringLiteral(" benjamin")) != nullptr);
        QCOMPARE(CChildList(QStringLiteral("ollo"), m_shipped).find(QStringLiteral("ben"))->name,
                 QStringLiteral("Benjamin"));

        QCOMPARE(list.remove(QStringLiteral("ollo-anna")), Result::Done);
        QVERIFY(!QFile::exists(config(QStringLiteral("ollo-anna.INI"))));
        QVERIFY(QFile::exists(config(QStringLiteral("ollo-ben.INI"))));
        QCOMPARE(list.remove(QStringLiteral("ollo-ben")), Result::Done);
        QVERIFY(!QFile::exists(CChildList::PathFor(QStringLiteral("ollo"))));
        QCOMPARE(QDir(m_config->path()).entryList(QDir::Files), QStringList());
    }

    // A list edited by hand: lines that name no child of this program are
    // passed over; lines of its children that cannot be taken are set aside,
    // the first of two kept, and the parent is told which and why.
    void handEditedLists_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QStringList>("kept");     // "<file name>=<name>"
        QTest::addColumn<QStringList>("setAside"); // what the notice says of each, in order
        QTest::newRow("strange lines")
            << QByteArray(
                   "ollo-anna=Anna\r\n\nkaputt\n=Niemand\nollo-x=\nrechnen-ben=Ben\nollo-../../etc=Eve\n"
                   "ollo-anna2=anna\nollo-ben=Ben\n")
            << QStringList{"ollo-anna=Anna", "ollo-ben=Ben"}
            << QStringList{QString::fromUtf8("Zeile 5: Der Name fehlt."),
                           QString::fromUtf8("Zeile 7 („Eve“): Der Dateiname ist ungültig."),
                           QString::fromUtf8("Zeile 8 („anna“): Der Name steht schon weiter oben.")};
        // Removing one would delete the other's settings and record.
        QTest::newRow("the same file twice")
            << QByteArray("ollo-anna=Anna\nollo-anna=Ben\nollo-carla=Carla\n")
            << QStringList{"ollo-anna=Anna", "ollo-carla=Carla"}
            << QStringList{QString::fromUtf8("Zeile 2 („Ben“): Die Datei gehört schon „Anna“.")};
        // The name would end at the NUL: the list's own file.
        QTest::newRow("a NUL in a file name")
            << QByteArray("ollo-anna=Anna\nollo-Kinder.txt\0x=Eve\n", 37) << QStringList{"ollo-anna=Anna"}
            << QStringList{QString::fromUtf8("Zeile 2 („Eve“): Der Dateiname ist ungültig.")};
        // A right-to-left override would show the name reversed.
        QTest::newRow("control and direction characters in names")
            << QByteArray("ollo-anna=\xe2\x80\xae"
                          "annA\xe2\x80\xac\nollo-ben=B\x07"
                          "en\tMax\xe2\x81\xa6\n")
            << QStringList{"ollo-anna=annA", "ollo-ben=Ben Max"} << QStringList();
    }
    void handEditedLists() {
        QFETCH(QByteArray, list);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, setAside);
        writeAll(CChildList::PathFor(QStringLiteral("ollo")), list);
        CChildList children(QStringLiteral("ollo"), m_shipped);
        QStringList seen;
        for (const CChildList::Child& child : children.children())
            seen << child.baseName + u'=' + child.name;
        QCOMPARE(seen, kept);
        const QString notice = children.setAsideNotice();
        QCOMPARE(notice.isEmpty(), setAside.isEmpty());
        qsizetype from = 0;
        for (const QString& line : std::as_const(setAside)) {
            from = notice.indexOf(line, from);
            QVERIFY2(from >= 0, qPrintable(notice));
        }
    }
};

QTEST_GUILESS_MAIN(TestChildList)
#include "tst_childlist.moc"
