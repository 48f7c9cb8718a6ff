#include <QTest>

#include "base/clock.h"
#include "base/randomsource.h"
#include "drill/seriescatalogue.h"
#include "drill/taskgenerator.h"

class TestTaskGenerator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Clock::SetSource({}); }

    void texts_data() {
        QTest::addColumn<bool>("division");
        QTest::addColumn<int>("factor");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("answer");
        QTest::newRow("3 X 7") << false << 3 << 7 << "3 X 7 = ??"
                               << "21";
        QTest::newRow("10 X 20") << false << 10 << 20 << "10 X 20 = ???"
                                 << "200";
        QTest::newRow("10 X 1000") << false << 10 << 1000 << "10 X 1000 = ?????"
                                   << "10000";
        QTest::newRow("10 X 9999") << false << 10 << 9999 << "10 X 9999 = ?????"
                                   << "99990";
        QTest::newRow("1 X 1") << false << 1 << 1 << "1 X 1 = ?"
                               << "1";
        QTest::newRow("7 X 100") << false << 7 << 100 << "7 X 100 = ???"
                                 << "700";
        QTest::newRow("21 : 7") << true << 3 << 7 << "21 : 7 = ?"
                                << "3";
        QTest::newRow("70 : 7") << true << 10 << 7 << "70 : 7 = ??"
                                << "10";
        QTest::newRow("5000 : 1000") << true << 5 << 1000 << "5000 : 1000 = ?"
                                     << "5";
        QTest::newRow("700 : 100") << true << 7 << 100 << "700 : 100 = ?"
                                   << "7";
        QTest::newRow("six digits") << false << 10 << 99999 << "10 X 99999 = ??????"
                                    << "999990";
        QTest::newRow("seven digits get no placeholder") << false << 10 << 999999 << "10 X 999999 = "
                                                         << "9999990";
        QTest::newRow("a product past 32 bits wraps") << false << 10 << 1000000000 << "10 X 1000000000 = "
                                                      << "1410065408";
    }
    void texts() {
        QFETCH(bool, division);
        QFETCH(int, factor);
        QFETCH(int, number);
        const Operation op = division ? Operation::Division : Operation::Multiplication;
        QTEST(CTaskGenerator::TaskText(op, factor, number), "task");
        QTEST(CTaskGenerator::AnswerText(op, factor, number), "answer");
    }

    void constructionReseedsFromTheClock() {
        Clock::SetSource([] { return std::int64_t(1); });
        RandomSeed(12345);
        CTaskGenerator generator;
        QVERIFY(generator.taskText().isEmpty());
        QVERIFY(generator.answerText().isEmpty());
        generator.Multiplication(7);
        QCOMPARE(generator.factor(), 8);
        QCOMPARE(generator.taskText(), QString("8 X 7 = ??"));
        QCOMPARE(generator.answerText(), QString("56"));
    }

    void everyFactorLiesBetweenOneAndTen() {
        Clock::SetSource([] { return std::int64_t(99); });
        CTaskGenerator generator;
        QSet<int> seen;
        for (int i = 0; i < 500; ++i) {
            generator.Division(6);
            QVERIFY(generator.factor() >= 1 && generator.factor() <= 10);
            QCOMPARE(generator.answerText(), QString::number(generator.factor()));
            seen.insert(generator.factor());
        }
        QCOMPARE(seen.size(), 10);
    }
};

QTEST_GUILESS_MAIN(TestTaskGenerator)
#include "tst_taskgenerator.moc"
