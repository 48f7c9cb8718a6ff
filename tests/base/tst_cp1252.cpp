#include <QTest>

#include "base/cp1252.h"

class TestCp1252 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyByteSurvivesARoundTrip() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        bool lossless = false;
        QCOMPARE(ToCp1252(FromCp1252(all), &lossless), all);
        QVERIFY(lossless);
    }

    void characters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("lossless");
        QTest::newRow("umlauts") << QString::fromUtf8("äöüÄÖÜß") << QByteArray("\xe4\xf6\xfc\xc4\xd6\xdc\xdf")
                                 << true;
        QTest::newRow("euro and quotes") << QString::fromUtf8("€„“") << QByteArray("\x80\x84\x93") << true;
        QTest::newRow("cyrillic cannot be stored") << QString::fromUtf8("aЖb") << QByteArray("a?b") << false;
        QTest::newRow("emoji cannot be stored") << QString::fromUtf8("x😀") << QByteArray("x??") << false;
    }
    void characters() {
        QFETCH(QString, text);
        bool lossless = true;
        QTEST(ToCp1252(text, &lossless), "bytes");
        QTEST(lossless, "lossless");
        QTEST(CanEncodeCp1252(text), "lossless");
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
