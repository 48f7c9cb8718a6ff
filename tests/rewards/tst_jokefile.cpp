#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "common/filecontents.h"
#include "rewards/jokefile.h"

namespace {

QByteArray letters(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text.append(char('a' + i % 26));
    return text;
}

QString latin(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

} // namespace

class TestJokeFile : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }
    void cleanup() {
        QDir::setCurrent(m_oldCurrent);
        m_dir.reset();
    }

    void pieces_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("maxPieces");

        const QByteArray l56 = letters(56), l57 = letters(57), l58 = letters(58), l70 = letters(70);
        QTest::newRow("line ending CR LF leaves an empty last entry")
            << QByteArray("abc\r\n") << QStringList{"abc", ""} << kAllPieces;
        QTest::newRow("two lines") << QByteArray("Witz\r\nPointe\r\n") << QStringList{"Witz", "Pointe", ""}
                                   << kAllPieces;
        QTest::newRow("no final CR LF")
            << QByteArray("abc\r\ndef") << QStringList{"abc", "def"} << kAllPieces;
        QTest::newRow("empty file is one empty entry") << QByteArray() << QStringList{""} << kAllPieces;
        QTest::newRow("empty lines stay")
            << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b", ""} << kAllPieces;
        QTest::newRow("56 characters fit one read") << l56 + "\r\n"
                                                    << QStringList{latin(l56), ""} << kAllPieces;
        QTest::newRow("57 characters leave the LF, read as empty")
            << l57 + "\r\n"
            << QStringList{latin(l57), "", ""} << kAllPieces;
        QTest::newRow("58 characters leave CR LF, an empty entry")
            << l58 + "\r\n"
            << QStringList{latin(l58), "", ""} << kAllPieces;
        QTest::newRow("70 characters are 58 and 12")
            << l70 + "\r\nx\r\n"
            << QStringList{latin(l58), latin(l70.mid(58)), "x", ""} << kAllPieces;
        QTest::newRow("58 bytes without line end at the end of the file")
            << l58 << QStringList{latin(l58), ""} << kAllPieces;
        QTest::newRow("57 bytes without line end") << l57 << QStringList{latin(l57)} << kAllPieces;
        QTest::newRow("LF only drops the LF")
            << QByteArray("ab\ncd\n") << QStringList{"ab", "cd", ""} << kAllPieces;
        QTest::newRow("LF only, 57 characters") << l57 + "\n" << QStringList{latin(l57), ""} << kAllPieces;
        QTest::newRow("text ends at the first CR")
            << QByteArray("ab\rcd\r\n") << QStringList{"ab", ""} << kAllPieces;
        QTest::newRow("text ends at a NUL byte")
            << QByteArray("ab\0cd\r\n", 7) << QStringList{"ab", ""} << kAllPieces;
        QTest::newRow("windows-1252") << QByteArray("Gr\xfc\xdf \x80 \x84ja\x93\r\n")
                                      << QStringList{QString::fromUtf8("Grüß € „ja“"), ""} << kAllPieces;
        // Umlauts are one byte each: 58 of them still fit one read.
        QTest::newRow("58 umlauts") << QByteArray(58, '\xe4') << QStringList{QString(58, QChar(0xe4)), ""}
                                    << kAllPieces;
        QTest::newRow("UTF-8") << QByteArray("Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xe2\x80\x9eja\xe2\x80\x9c\r\n")
                               << QStringList{QString::fromUtf8("Grüß € „ja“"), ""} << kAllPieces;
        QTest::newRow("UTF-8 byte order mark")
            << QByteArray("\xef\xbb\xbfWitz\r\n") << QStringList{"Witz", ""} << kAllPieces;
        // Pieces count characters, not the two bytes of each.
        QTest::newRow("58 umlauts in UTF-8")
            << QByteArray("\xc3\xa4").repeated(59)
            << QStringList{QString(58, QChar(0xe4)), QString(1, QChar(0xe4))} << kAllPieces;
        // Only the start that holds them is read, and a character that start
        // cuts in two does not make the text Windows-1252.
        QTest::newRow("the first two of many")
            << QByteArray("eins\r\nzwei\r\ndrei\r\n").repeated(1000) << QStringList{"eins", "zwei"} << 2;
        QTest::newRow("the first of many umlauts in UTF-8")
            << QByteArray("\xc3\xa4").repeated(200) << QStringList{QString(58, QChar(0xe4))} << 1;
    }

    void pieces() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, maxPieces);
        writeAll(m_dir->filePath("witz.txt"), bytes);
        const std::optional<QStringList> lines = ReadJokeFile(m_dir->filePath("witz.txt"), maxPieces);
        QVERIFY(lines);
        QTEST(*lines, "lines");
    }

    void missingFileFails() {
        QVERIFY(!ReadJokeFile(m_dir->filePath("witz1.txt")));
        QVERIFY(!LoadJoke(1));
        QVERIFY(QDir().mkdir("witz2.txt"));
        QVERIFY(!LoadJoke(2));
    }

    void loadJokeReadsTheNumberedFileInTheWorkingDirectory() {
        writeAll("witz1.txt", "eins\r\n");
        writeAll("witz12.txt", "zw\xf6lf\r\n");
        QCOMPARE(JokeFileName(12), QString("witz12.txt"));
        QCOMPARE(LoadJoke(12).value_or(QStringList()), (QStringList{QString::fromUtf8("zwölf"), ""}));
        QCOMPARE(LoadJoke(1).value_or(QStringList()), (QStringList{"eins", ""}));
        QVERIFY(!LoadJoke(2));
    }
};

QTEST_GUILESS_MAIN(TestJokeFile)
#include "tst_jokefile.moc"
