#include <QTest>

#include "base/clock.h"
#include "base/randomsource.h"

class TestRandomSource : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Clock::SetSource({}); }

    void seededWithOneGivesTheKnownSequence() {
        RandomSeed(1);
        QList<int> got;
        for (int i = 0; i < 5; ++i)
            got << RandomNext();
        QCOMPARE(got, (QList<int>{41, 18467, 6334, 26500, 19169}));
    }

    void valuesStayWithin15Bits() {
        RandomSeed(0xFFFFFFFFu);
        for (int i = 0; i < 100000; ++i) {
            const int v = RandomNext();
            QVERIFY(v >= 0 && v <= 32767);
        }
    }

    void drawOneToTenSeededWithOneTakesTheFirstFitting() {
        RandomSeed(1);
        int draws = 0;
        int expected = 0;
        while (expected == 0) {
            const int v = RandomNext();
            ++draws;
            if (v >= 1 && v <= 10)
                expected = v;
        }
        QCOMPARE(expected, 8);
        QCOMPARE(draws, 4640);
        RandomSeed(1);
        QCOMPARE(DrawOneTo(10), 8);
    }

    void drawZeroTo_data() {
        QTest::addColumn<int>("n");
        QTest::newRow("zero takes values until a 0 comes") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("three") << 3;
        QTest::newRow("largest value") << 32767;
    }
    void drawZeroTo() {
        QFETCH(int, n);
        for (std::uint32_t seed = 1; seed < 40; ++seed) {
            RandomSeed(seed);
            const int v = DrawZeroTo(n);
            QVERIFY2(v >= 0 && v <= n, qPrintable(QString::number(v)));
        }
    }

    void drawZeroToNegativeTakesTheFirstValue() {
        RandomSeed(1);
        QCOMPARE(DrawZeroTo(-1), 41);
    }

    void drawZeroToIsTheFirstValueNotAboveN() {
        RandomSeed(77);
        QList<int> raw;
        for (int i = 0; i < 20000; ++i)
            raw << RandomNext();
        RandomSeed(77);
        const int v = DrawZeroTo(3);
        const auto first = std::find_if(raw.begin(), raw.end(), [](int r) { return r <= 3; });
        QVERIFY(first != raw.end());
        QCOMPARE(v, *first);
    }

    void seedFromClockTruncatesTo32Bits() {
        Clock::SetSource([] { return std::int64_t(0x100000001LL); });
        RandomSeedFromClock();
        const int a = RandomNext();
        RandomSeed(1);
        QCOMPARE(a, RandomNext());
    }
};

QTEST_GUILESS_MAIN(TestRandomSource)
#include "tst_randomsource.moc"
