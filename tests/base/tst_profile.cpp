#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <pwd.h>
#include <unistd.h>

#include "base/profile.h"
#include "common/filecontents.h"
#include "common/settingsfolder.h"

class TestProfile : public QObject {
    Q_OBJECT

private:
    SettingsFolder m_settings;

private Q_SLOTS:
    void init() { m_settings.enter(); }
    void cleanup() { m_settings.leave(); }

    void missingFileReadsDefaults() {
        const CProfile p(m_settings.path);
        QCOMPARE(p.GetInt("Parameter", "Belohnungsart", 3), 3);
        QCOMPARE(p.GetInt("BigFont", "FontHeight", 35), 35);
        QCOMPARE(p.GetText("Parameter", "Hintergrundbild", "maus.bmp"), QString("maus.bmp"));
        QCOMPARE(p.GetText("Parameter", "Hintergrundbild"), QString());
        QVERIFY(!QFile::exists(m_settings.path));
    }

    void readInt_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << QByteArray("12") << 12;
        QTest::newRow("digits then letter") << QByteArray("12a") << 12;
        QTest::newRow("letter alone") << QByteArray("a") << 0;
        QTest::newRow("empty is 0, not the default") << QByteArray("") << 0;
        QTest::newRow("blanks around") << QByteArray("  42\t ") << 42;
        QTest::newRow("minus") << QByteArray("-5") << -5;
        QTest::newRow("plus is not a digit") << QByteArray("+5") << 0;
        QTest::newRow("quoted is not a digit") << QByteArray("\"7\"") << 0;
        QTest::newRow("wraps past 32 bits") << QByteArray("4294967297") << 1;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("one past the largest wraps") << QByteArray("2147483648") << int(-2147483647 - 1);
        QTest::newRow("colour above 255") << QByteArray("300") << 300;
    }
    void readInt() {
        QFETCH(QByteArray, stored);
        writeAll(m_settings.path, "[Parameter]\r\nAufgaben=" + stored + "\r\n");
        QTEST(CProfile(m_settings.path).GetInt("Parameter", "Aufgaben", 99), "value");
    }

    void readText_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QByteArray("maus.bmp") << "maus.bmp";
        QTest::newRow("empty is empty, not the default") << QByteArray("") << "";
        QTest::newRow("blanks around") << QByteArray("   a b  ") << "a b";
        QTest::newRow("double quotes") << QByteArray("\" a \"") << " a ";
        QTest::newRow("single quotes") << QByteArray("'x'") << "x";
        QTest::newRow("mismatched quotes stay") << QByteArray("\"x'") << "\"x'";
        QTest::newRow("a lone quote stays") << QByteArray("\"") << "\"";
        QTest::newRow("windows-1252")
            << QByteArray("Sch\xf6n, \x80 und \x84gut\x93") << QString::fromUtf8("Schön, € und „gut“");
        QTest::newRow("cut at NUL") << QByteArray("ab\0cd", 5) << "ab";
        QTest::newRow("equals sign inside") << QByteArray("a=b") << "a=b";
        QTest::newRow("UTF-8") << QByteArray("Sch\xc3\xb6n, \xe2\x82\xac und \xe2\x80\x9egut\xe2\x80\x9c")
                               << QString::fromUtf8("Schön, € und „gut“");
        QTest::newRow("not UTF-8 throughout: Windows-1252")
            << QByteArray("\xc3\xb6 und \xf6") << QString::fromUtf8("Ã¶ und ö");
        QTest::newRow("UTF-8 cut after 4095 characters")
            << QByteArray("\xc3\xa4").repeated(5000) << QString(4095, QChar(0xe4));
    }
    void readText() {
        QFETCH(QByteArray, stored);
        writeAll(m_settings.path, "[Lobe]\r\nLob1=" + stored + "\r\n");
        QTEST(CProfile(m_settings.path).GetText("Lobe", "Lob1", "default"), "value");
    }

    void longTextIsCut() {
        writeAll(m_settings.path, "[Lobe]\nLob1=" + QByteArray(5000, 'x') + "\n");
        QCOMPARE(CProfile(m_settings.path).GetText("Lobe", "Lob1").size(), 4095);
    }

    void lookup_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("value");
        QTest::newRow("names ignore case") << QByteArray("[parameter]\nSOUND=1\n") << 1;
        QTest::newRow("blanks around names") << QByteArray("[ Parameter ]\n  Sound = 1\n") << 1;
        QTest::newRow("LF ends") << QByteArray("[x]\nA=2\n[Parameter]\nSound=1\n") << 1;
        QTest::newRow("CR ends") << QByteArray("[x]\rA=2\r[Parameter]\rSound=1\r") << 1;
        QTest::newRow("mixed ends") << QByteArray("[x]\r\nA=2\r[Parameter]\nSound=1") << 1;
        QTest::newRow("first section counts") << QByteArray("[Parameter]\nA=1\n[Parameter]\nSound=1\n") << -1;
        QTest::newRow("first key counts") << QByteArray("[Parameter]\nSound=4\nSound=1\n") << 4;
        QTest::newRow("key in another section") << QByteArray("[Other]\nSound=1\n") << -1;
        QTest::newRow("key before any section") << QByteArray("Sound=1\n[Parameter]\n") << -1;
        QTest::newRow("line without equals") << QByteArray("[Parameter]\nSound\n") << -1;
        QTest::newRow("section without bracket is no section") << QByteArray("[Parameter\nSound=6\n") << -1;
        QTest::newRow("a line without bracket stays in the section before it")
            << QByteArray("[Parameter]\n[Lobe\nSound=2\n") << 2;
        QTest::newRow("byte order mark before the first section")
            << QByteArray("\xEF\xBB\xBF[Parameter]\r\nSound=1\r\n") << 1;
        QTest::newRow("NUL bytes elsewhere") << QByteArray("[Parameter]\nX=\0\0\n\0=1\nSound=5\n", 29) << 5;
    }
    void lookup() {
        QFETCH(QByteArray, file);
        writeAll(m_settings.path, file);
        QTEST(CProfile(m_settings.path).GetInt("Parameter", "Sound", -1), "value");
    }

    // The parsed file is kept while the file stays as it was; every way of
    // changing it must still show at the next read.
    void handEditsAreSeenAtTheNextRead_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("in place at once after a write, same size") << "at once";
        QTest::newRow("in place an hour later, same size") << "in place";
        QTest::newRow("in place, file time put back") << "time put back";
        QTest::newRow("replaced by another file") << "renamed";
    }
    void handEditsAreSeenAtTheNextRead() {
        QFETCH(QString, how);
        CProfile p(m_settings.path);
        QVERIFY(p.WriteInt("Parameter", "Sound", 1));
        const QDateTime anHourAgo = QDateTime::currentDateTime().addSecs(-3600);
        QFile file(m_settings.path);
        if (how != "at once") {
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(anHourAgo, QFileDevice::FileModificationTime));
            file.close();
            // Only a file left alone for more than a tenth of a second is
            // kept parsed, which is what these rows probe (shorter, they
            // would pass through the read-again path instead).
            QTest::qSleep(250);
        }
        QCOMPARE(p.GetInt("Parameter", "Sound", 0), 1);
        QCOMPARE(p.GetInt("Parameter", "Sound", 0), 1);
        if (how == "renamed") {
            writeAll(m_settings.dir->filePath("new"), "[Parameter]\r\nSound=0\r\n");
            QVERIFY(::rename(qPrintable(m_settings.dir->filePath("new")), qPrintable(m_settings.path)) == 0);
        } else {
            writeAll(m_settings.path, "[Parameter]\r\nSound=0\r\n");
        }
        if (how == "time put back") {
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(anHourAgo, QFileDevice::FileModificationTime));
            file.close();
        }
        QCOMPARE(p.GetInt("Parameter", "Sound", 1), 0);
    }

    void writes_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file gets CRLF") << QByteArray() << "Parameter"
                                            << "Sound"
                                            << "1" << QByteArray("[Parameter]\r\nSound=1\r\n");
        QTest::newRow("replace keeps everything else")
            << QByteArray("; mine\r\n[Parameter]\r\n  sound = 0 \r\nAufgaben=10\r\n\r\n[Lobe]\nAnzahl=0\n")
            << "Parameter"
            << "Sound"
            << "1" << QByteArray("; mine\r\n[Parameter]\r\nsound=1\r\nAufgaben=10\r\n\r\n[Lobe]\nAnzahl=0\n");
        QTest::newRow("stored spelling of section and key stays")
            << QByteArray("[PARAMETER]\nSOUND=0\n") << "Parameter"
            << "Sound"
            << "1" << QByteArray("[PARAMETER]\nSOUND=1\n");
        QTest::newRow("new key after the section's last line")
            << QByteArray("[Parameter]\nSound=1\n\n[Lobe]\nAnzahl=2\n") << "Parameter"
            << "Aufgaben"
            << "10" << QByteArray("[Parameter]\nSound=1\nAufgaben=10\n\n[Lobe]\nAnzahl=2\n");
        QTest::newRow("new key into an empty section")
            << QByteArray("[Parameter]\r\n[Lobe]\r\n") << "Parameter"
            << "Sound"
            << "0" << QByteArray("[Parameter]\r\nSound=0\r\n[Lobe]\r\n");
        QTest::newRow("new key after an unterminated last line")
            << QByteArray("[Parameter]\nSound=1") << "Parameter"
            << "Lobe"
            << "0" << QByteArray("[Parameter]\nSound=1\nLobe=0\n");
        QTest::newRow("new section at the end")
            << QByteArray("[Parameter]\r\nSound=1\r\n") << "Lobe"
            << "Anzahl"
            << "0" << QByteArray("[Parameter]\r\nSound=1\r\n[Lobe]\r\nAnzahl=0\r\n");
        QTest::newRow("new section after an unterminated line")
            << QByteArray("[a]\nb=1") << "Lobe"
            << "Anzahl"
            << "0" << QByteArray("[a]\nb=1\n[Lobe]\nAnzahl=0\n");
        QTest::newRow("first of two sections is written") << QByteArray("[P]\nk=1\n[P]\nk=2\n") << "P"
                                                          << "k"
                                                          << "3" << QByteArray("[P]\nk=3\n[P]\nk=2\n");
        QTest::newRow("leading blanks of the value go")
            << QByteArray() << "Lobe"
            << "Lob1"
            << "   Toll " << QByteArray("[Lobe]\r\nLob1=Toll \r\n");
        QTest::newRow("a line break cannot start a new line")
            << QByteArray("[Lobe]\r\nAnzahl=1\r\n") << "Lobe"
            << "Lob1"
            << "Toll\r\n[Parameter]\r\nSound=1" << QByteArray("[Lobe]\r\nAnzahl=1\r\nLob1=Toll\r\n");
        QTest::newRow("umlauts become single bytes")
            << QByteArray() << "Lobe"
            << "Lob1" << QString::fromUtf8("Schön, süß! €")
            << QByteArray("[Lobe]\r\nLob1=Sch\xf6n, s\xfc\xdf! \x80\r\n");
        QTest::newRow("new line ends like the one before it")
            << QByteArray("[P]\rA=1\r\n\n[Q]\r") << "P"
            << "K"
            << "2" << QByteArray("[P]\rA=1\r\nK=2\r\n\n[Q]\r");
        QTest::newRow("empty value") << QByteArray("[Parameter]\nHintergrundbild=maus.bmp\n") << "Parameter"
                                     << "Hintergrundbild"
                                     << "" << QByteArray("[Parameter]\nHintergrundbild=\n");
        QTest::newRow("Windows-1252 file stays Windows-1252")
            << QByteArray("[Lobe]\r\nLob1=sch\xf6n\r\n") << "Lobe"
            << "Lob2" << QString::fromUtf8("süß €")
            << QByteArray("[Lobe]\r\nLob1=sch\xf6n\r\nLob2=s\xfc\xdf \x80\r\n");
        QTest::newRow("UTF-8 file stays UTF-8")
            << QByteArray("[Lobe]\r\nLob1=sch\xc3\xb6n\r\n") << "Lobe"
            << "Lob2" << QString::fromUtf8("süß €")
            << QByteArray("[Lobe]\r\nLob1=sch\xc3\xb6n\r\nLob2=s\xc3\xbc\xc3\x9f \xe2\x82\xac\r\n");
        QTest::newRow("byte order mark kept, text UTF-8")
            << QByteArray("\xef\xbb\xbf[Lobe]\nLob1=x\n") << "Lobe"
            << "Lob1" << QString::fromUtf8("schön Ω")
            << QByteArray("\xef\xbb\xbf[Lobe]\nLob1=sch\xc3\xb6n \xce\xa9\n");
        QTest::newRow("a line without bracket belongs to the section before it")
            << QByteArray("[Parameter]\r\nSound=1\r\n[Lobe\r\n") << "Parameter"
            << "Aufgaben"
            << "10" << QByteArray("[Parameter]\r\nSound=1\r\n[Lobe\r\nAufgaben=10\r\n");
    }
    void writes() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        if (!before.isNull())
            writeAll(m_settings.path, before);
        QVERIFY(CProfile(m_settings.path).WriteText(section, key, value));
        QTEST(readAll(m_settings.path), "after");
        QCOMPARE(QDir(m_settings.dir->path()).entryList(QDir::Files), QStringList{"ollo.INI"});
    }

    // A dialog's writes go to the disk at once; the file must end up as the
    // same writes one by one would leave it.
    void changesTogetherAsOneByOne_data() {
        QTest::addColumn<QByteArray>("before");  // null: no file
        QTest::addColumn<QStringList>("writes"); // "section/key=value"
        QTest::newRow("new file, sections in turn")
            << QByteArray() << QStringList{"Parameter/Sound=1", "Lobe/Anzahl=2",   "Parameter/Aufgaben=10",
                                           "Lobe/Lob1=Toll",    "lobe/LOB1=Super", "BigFont/Rot=3"};
        QTest::newRow("replaced and new keys, LF")
            << QByteArray("; mine\n[Parameter]\nSound=0\n\n[Lobe]\nAnzahl=1\nLob1=a\n")
            << QStringList{"Lobe/Lob2=b", "Parameter/Sound=1", "Lobe/Lob1=c", "Lobe/Anzahl=2", "Lobe/lob2=d"};
        QTest::newRow("last line without line end")
            << QByteArray("[P]\nA=1") << QStringList{"Q/x=1", "P/B=2", "P/A=3", "Q/y=4"};
        QTest::newRow("blank last line without line end")
            << QByteArray("[P]\nA=1\n  ") << QStringList{"P/B=2", "Q/C=3", "P/D=4"};
        QTest::newRow("byte order mark alone") << QByteArray("\xef\xbb\xbf") << QStringList{"P/A=1", "P/B=2"};
        QTest::newRow("no line end at all") << QByteArray("[P]") << QStringList{"Q/B=2", "P/A=1", "P/C=3"};
        QTest::newRow("CR only, blank lines between")
            << QByteArray("[P]\rA=1\r\r\r[Q]\r") << QStringList{"Q/B=1", "P/C=2", "R/D=3", "P/A=4", "R/E=5"};
        QTest::newRow("mixed line ends")
            << QByteArray("[P]\rA=1\r\n\n[Q]\r") << QStringList{"P/K=2", "Q/L=3", "P/M=4"};
        QTest::newRow("second sections and keys of a name")
            << QByteArray("[P]\nk=1\nk=2\n[p]\nk=3\nj=0\n") << QStringList{"P/k=9", "P/j=8", "p/K=7"};
        QTest::newRow("UTF-8") << QByteArray("[Lobe]\r\nLob1=sch\xc3\xb6n\r\n")
                               << QStringList{QString::fromUtf8("Lobe/Lob2=süß"),
                                              QString::fromUtf8("Lobe/Lob1=Öl")};
        QStringList phrases;
        for (int i = 1; i <= 30; ++i)
            phrases << QStringLiteral("Lobe/Lob%1=Satz %2").arg(i).arg(31 - i);
        QTest::newRow("a list rewritten, then its count")
            << QByteArray("[Lobe]\r\nAnzahl=12\r\nLob3=x\r\n\r\n[Bilder]\r\nAnzahl=0\r\n")
            << phrases + QStringList{"Lobe/Anzahl=30"};
    }
    void changesTogetherAsOneByOne() {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, writes);
        const QString oneByOne = m_settings.dir->filePath("one.INI");
        if (!before.isNull()) {
            writeAll(oneByOne, before);
            writeAll(m_settings.path, before);
        }
        CProfile single(oneByOne);
        CProfile together(m_settings.path);
        CProfile::Changes changes;
        for (const QString& write : writes) {
            const QString section = write.section(u'/', 0, 0);
            const QString key = write.section(u'/', 1).section(u'=', 0, 0);
            const QString value = write.section(u'=', 1);
            QVERIFY(single.WriteText(section, key, value));
            changes.WriteText(section, key, value);
        }
        QVERIFY(together.Write(changes));
        QCOMPARE(readAll(m_settings.path), readAll(oneByOne));
    }

    void writtenValuesReadBack_data() {
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("negative") << -17;
        QTest::newRow("smallest") << int(-2147483647 - 1);
    }
    void writtenValuesReadBack() {
        QFETCH(int, value);
        CProfile p(m_settings.path);
        QVERIFY(p.WriteInt("Parameter", "Lobe", value));
        QCOMPARE(p.GetInt("Parameter", "Lobe", 12345), value);
        QCOMPARE(p.GetText("Parameter", "Lobe"), QString::number(value));
    }

    void everyOtherKeySurvivesManyWrites() {
        CProfile p(m_settings.path);
        for (int i = 0; i < 40; ++i)
            p.WriteText(QStringLiteral("S%1").arg(i % 5), QStringLiteral("K%1").arg(i),
                        QStringLiteral("v%1").arg(i));
        for (int i = 0; i < 40; ++i)
            p.WriteText(QStringLiteral("S%1").arg(i % 5), QStringLiteral("k%1").arg(i),
                        QStringLiteral("w%1").arg(i));
        for (int i = 0; i < 40; ++i)
            QCOMPARE(p.GetText(QStringLiteral("s%1").arg(i % 5), QStringLiteral("K%1").arg(i)),
                     QStringLiteral("w%1").arg(i));
        QCOMPARE(readAll(m_settings.path).count("[S"), 5);
    }

    void unstorableNamesAreRefused_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("key with equals sign") << "Parameter"
                                              << "a=b";
        QTest::newRow("key that reads as a section") << "Parameter"
                                                     << "[Lobe]";
        QTest::newRow("key with line break") << "Parameter"
                                             << "a\nb";
        QTest::newRow("section with closing bracket") << "Para]meter"
                                                      << "Sound";
        QTest::newRow("section with line break") << "Para\rmeter"
                                                 << "Sound";
        QTest::newRow("blank around the key") << "Parameter"
                                              << " Sound";
        QTest::newRow("empty key") << "Parameter"
                                   << "";
    }
    void unstorableNamesAreRefused() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        const QByteArray before("[Parameter]\r\nSound=1\r\n");
        writeAll(m_settings.path, before);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be stored"));
        QVERIFY(!CProfile(m_settings.path).WriteText(section, key, "x"));
        QCOMPARE(readAll(m_settings.path), before);
    }

    void missingFoldersAreCreated() {
        CProfile p(m_settings.dir->filePath("a/b/ollo.INI"));
        QVERIFY(p.WriteInt("Parameter", "Sound", 1));
        QCOMPARE(p.GetInt("Parameter", "Sound", 0), 1);
    }

    void failedWrites_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason"); // for the user
        QTest::newRow("path is a folder") << "folder" << QString::fromUtf8("steht ein Ordner");
        QTest::newRow("read-only file")
            << "readonly-file" << QString::fromUtf8("Einstellungsdatei ist schreibgeschützt");
        QTest::newRow("read-only folder")
            << "readonly-folder" << QString::fromUtf8("Ordner der Einstellungen ist schreibgeschützt");
    }
    void failedWrites() {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        QString path = m_settings.path;
        const QByteArray before("[Parameter]\r\nSound=0\r\n");
        if (how == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (how == "readonly-file") {
            writeAll(path, before);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
        } else {
            QVERIFY(QDir().mkpath(m_settings.dir->filePath("ro")));
            path = m_settings.dir->filePath("ro/ollo.INI");
            writeAll(path, before);
            QFile::setPermissions(m_settings.dir->filePath("ro"), QFile::ReadOwner | QFile::ExeOwner);
        }
        CProfile p(path);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not write the settings file"));
        QVERIFY(!p.WriteInt("Parameter", "Sound", 1));
        QVERIFY2(p.WriteError().contains(reason), qPrintable(p.WriteError()));
        QCOMPARE(p.GetInt("Parameter", "Sound", 7), how == "folder" ? 7 : 0);
        if (how != "folder")
            QCOMPARE(readAll(path), before);
        QFile::setPermissions(m_settings.dir->filePath("ro"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void brokenFiles_data() {
        QTest::addColumn<QByteArray>("file");
        QByteArray binary;
        for (int i = 0; i < 70000; ++i)
            binary.append(char((i * 7919) & 0xFF));
        QTest::newRow("binary") << binary;
        QTest::newRow("one megabyte line")
            << QByteArray("[Parameter]\nSound=") + QByteArray(1 << 20, '1') + "\n";
        QTest::newRow("ten megabytes") << QByteArray(10 << 20, '[');
        QTest::newRow("only NUL") << QByteArray(4096, '\0');
        QTest::newRow("unclosed quote") << QByteArray("[Lobe]\nLob1=\"abc\n");
    }
    void brokenFiles() {
        QFETCH(QByteArray, file);
        writeAll(m_settings.path, file);
        CProfile p(m_settings.path);
        p.GetInt("Parameter", "Sound", 0);
        p.GetText("Lobe", "Lob1");
        QVERIFY(p.WriteText("Lobe", "Lob1", "Prima"));
        QCOMPARE(p.GetText("Lobe", "Lob1"), QString("Prima"));
        const QByteArray after = readAll(m_settings.path);
        QVERIFY2(after.startsWith(file.first(qMin(file.size(), qsizetype(100)))) || file.contains("Lob1"),
                 "the rest of the file was lost");
    }

    void settingsPathFollowsXdg() {
        qputenv("XDG_CONFIG_HOME", m_settings.dir->path().toUtf8());
        QCOMPARE(CProfile::PathFor("ollo"), m_settings.dir->path() + "/ollo.INI");
        qputenv("XDG_CONFIG_HOME", "relative/path");
        QCOMPARE(CProfile::PathFor("x"), QDir::homePath() + "/.config/x.INI");
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(CProfile::PathFor("ollo"), QDir::homePath() + "/.config/ollo.INI");
        // Started without an environment: the account's home.
        const QByteArray home = qgetenv("HOME");
        qunsetenv("HOME");
        const passwd* account = getpwuid(getuid());
        QVERIFY(account != nullptr);
        QCOMPARE(CProfile::PathFor("ollo"),
                 QDir::cleanPath(QFile::decodeName(account->pw_dir)) + "/.config/ollo.INI");
        qputenv("HOME", home);
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
