#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "base/profile.h"
#include "base/textstyle.h"
#include "common/filecontents.h"
#include "common/settingsfolder.h"

Q_DECLARE_METATYPE(TextStyle)

class TestTextStyle : public QObject {
    Q_OBJECT

private:
    SettingsFolder m_settings;

private Q_SLOTS:
    void init() { m_settings.enter(); }
    void cleanup() { m_settings.leave(); }

    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("defaultHeight");
        QTest::addColumn<TextStyle>("style");
        TextStyle arial30;
        arial30.height = 30;
        QTest::newRow("empty section, large") << QByteArray() << 30 << arial30;
        TextStyle arial20 = arial30;
        arial20.height = 20;
        QTest::newRow("empty section, small") << QByteArray() << 20 << arial20;

        TextStyle full;
        full.red = 44;
        full.green = 255;
        full.blue = 0;
        full.height = 48;
        full.width = 12;
        full.weight = 700;
        full.italic = true;
        full.underline = true;
        full.strikeOut = false;
        full.name = QString::fromUtf8("Schöne Schrift");
        QTest::newRow("every key, colour above 255 keeps its low 8 bits")
            << QByteArray(
                   "Rot=300\r\nGruen=255\r\nBlau=256\r\nFontHeight=48\r\nFontWidth=12\r\nFontWeight=700\r\n"
                   "Italic=1\r\nUnderline=3\r\nStrikeOut=256\r\nName=Sch\xf6ne Schrift\r\n")
            << 30 << full;
        TextStyle emptyKeys = arial30;
        emptyKeys.height = 0;
        emptyKeys.weight = 0;
        QTest::newRow("empty values read 0, an empty name as Arial")
            << QByteArray("FontHeight=\r\nFontWeight=\r\nName=\r\n") << 30 << emptyKeys;
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(int, defaultHeight);
        QFETCH(TextStyle, style);
        writeAll(m_settings.path, "[BigFont]\r\n" + file);
        const TextStyle read = ReadTextStyle(CProfile(m_settings.path), "BigFont", defaultHeight);
        QCOMPARE(read.red, style.red);
        QCOMPARE(read.green, style.green);
        QCOMPARE(read.blue, style.blue);
        QCOMPARE(read.height, style.height);
        QCOMPARE(read.width, style.width);
        QCOMPARE(read.weight, style.weight);
        QCOMPARE(read.italic, style.italic);
        QCOMPARE(read.underline, style.underline);
        QCOMPARE(read.strikeOut, style.strikeOut);
        QCOMPARE(read.name, style.name);
    }

    void writeOrder_data() {
        QTest::addColumn<bool>("writeHeight");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("with the height")
            << true
            << QByteArray(
                   "[SmallFont]\r\nRot=1\r\nGruen=2\r\nBlau=3\r\nUnderline=1\r\nItalic=0\r\nStrikeOut=1\r\n"
                   "FontHeight=24\r\nFontWidth=0\r\nFontWeight=700\r\nName=DejaVu Serif\r\n");
        QTest::newRow("without the height")
            << false
            << QByteArray(
                   "[SmallFont]\r\nRot=1\r\nGruen=2\r\nBlau=3\r\nUnderline=1\r\nItalic=0\r\nStrikeOut=1\r\n"
                   "FontWidth=0\r\nFontWeight=700\r\nName=DejaVu Serif\r\n");
    }
    void writeOrder() {
        QFETCH(bool, writeHeight);
        TextStyle style;
        style.red = 1;
        style.green = 2;
        style.blue = 3;
        style.height = 24;
        style.weight = 700;
        style.underline = true;
        style.strikeOut = true;
        style.name = "DejaVu Serif";
        CProfile profile(m_settings.path);
        WriteTextStyle(profile, "SmallFont", style, writeHeight);
        QTEST(readAll(m_settings.path), "file");
    }

    void writeKeepsOtherKeysInPlace() {
        writeAll(m_settings.path, "[SmallFont]\r\nName=Alt\r\nFontHeight=22\r\n[BigFont]\r\nRot=9\r\n");
        CProfile profile(m_settings.path);
        TextStyle style;
        style.height = 99;
        WriteTextStyle(profile, "SmallFont", style, false);
        QCOMPARE(profile.GetInt("SmallFont", "FontHeight", 0), 22);
        QCOMPARE(profile.GetText("SmallFont", "Name"), QString("Arial"));
        QCOMPARE(profile.GetInt("BigFont", "Rot", 0), 9);
    }
};

QTEST_GUILESS_MAIN(TestTextStyle)
#include "tst_textstyle.moc"
