#include <QTest>

#include "base/clock.h"
#include "base/randomsource.h"
#include "drill/seriescatalogue.h"
#include "drill/taskgenerator.h"

using Record::Operation;

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
        QTest::addColumn<QString>("solution"); // read aloud: the task, "ist", the answer
        QTest::newRow("3 X 7") << false << 3 << 7 << "3 X 7 = ??"
                               << "21" << QString::fromUtf8("drei mal sieben ist einundzwanzig");
        QTest::newRow("10 X 20") << false << 10 << 20 << "10 X 20 = ???"
                                 << "200" << QString::fromUtf8("zehn mal zwanzig ist zweihundert");
        QTest::newRow("10 X 1000") << false << 10 << 1000 << "10 X 1000 = ?????"
                                   << "10000" << QString::fromUtf8("zehn mal eintausend ist zehntausend");
        QTest::newRow("10 X 9999") << false << 10 << 9999 << "10 X 9999 = ?????"
                                   << "99990"
                                   << QString::fromUtf8("zehn mal neuntausendneunhundertneunundneunzig ist "
                                                        "neunundneunzigtausendneunhundertneunzig");
        QTest::newRow("1 X 1") << false << 1 << 1 << "1 X 1 = ?"
                               << "1" << QString::fromUtf8("eins mal eins ist eins");
        QTest::newRow("7 X 100") << false << 7 << 100 << "7 X 100 = ???"
                                 << "700" << QString::fromUtf8("sieben mal einhundert ist siebenhundert");
        QTest::newRow("6 X 16") << false << 6 << 16 << "6 X 16 = ??"
                                << "96" << QString::fromUtf8("sechs mal sechzehn ist sechsundneunzig");
        QTest::newRow("7 X 17") << false << 7 << 17 << "7 X 17 = ???"
                                << "119" << QString::fromUtf8("sieben mal siebzehn ist einhundertneunzehn");
        QTest::newRow("1 X 1001") << false << 1 << 1001 << "1 X 1001 = ????"
                                  << "1001"
                                  << QString::fromUtf8("eins mal eintausendeins ist eintausendeins");
        QTest::newRow("10 X 10100") << false << 10 << 10100 << "10 X 10100 = ??????"
                                    << "101000"
                                    << QString::fromUtf8(
                                           "zehn mal zehntausendeinhundert ist einhunderteintausend");
        QTest::newRow("21 : 7") << true << 3 << 7 << "21 : 7 = ?"
                                << "3" << QString::fromUtf8("einundzwanzig geteilt durch sieben ist drei");
        QTest::newRow("36 : 4") << true << 9 << 4 << "36 : 4 = ?"
                                << "9" << QString::fromUtf8("sechsunddreißig geteilt durch vier ist neun");
        QTest::newRow("60 : 6") << true << 10 << 6 << "60 : 6 = ??"
                                << "10" << QString::fromUtf8("sechzig geteilt durch sechs ist zehn");
        QTest::newRow("70 : 7") << true << 10 << 7 << "70 : 7 = ??"
                                << "10" << QString::fromUtf8("siebzig geteilt durch sieben ist zehn");
        QTest::newRow("5000 : 1000") << true << 5 << 1000 << "5000 : 1000 = ?"
                                     << "5"
                                     << QString::fromUtf8("fünftausend geteilt durch eintausend ist fünf");
        QTest::newRow("700 : 100") << true << 7 << 100 << "700 : 100 = ?"
                                   << "7"
                                   << QString::fromUtf8("siebenhundert geteilt durch einhundert ist sieben");
        QTest::newRow("six digits") << false << 10 << 99999 << "10 X 99999 = ??????"
                                    << "999990"
                                    << QString::fromUtf8(
                                           "zehn mal neunundneunzigtausendneunhundertneunundneunzig ist "
                                           "neunhundertneunundneunzigtausendneunhundertneunzig");
        QTest::newRow("seven digits get no placeholder")
            << false << 10 << 999999 << "10 X 999999 = "
            << "9999990"
            << QString::fromUtf8("zehn mal neunhundertneunundneunzigtausendneunhundertneunundneunzig ist "
                                 "neun Millionen neunhundertneunundneunzigtausendneunhundertneunzig");
        QTest::newRow("a product past 32 bits wraps")
            << false << 10 << 1000000000 << "10 X 1000000000 = "
            << "1410065408"
            << QString::fromUtf8("zehn mal eine Milliarde ist eine Milliarde vierhundertzehn Millionen "
                                 "fünfundsechzigtausendvierhundertacht");
    }
    void texts() {
        QFETCH(bool, division);
        QFETCH(int, factor);
        QFETCH(int, number);
        const Operation op = division ? Operation::Division : Operation::Multiplication;
        QTEST(CTaskGenerator::TaskText(op, factor, number), "task");
        QTEST(CTaskGenerator::AnswerText(op, factor, number), "answer");
        QTEST(CTaskGenerator::SpokenSolution(op, factor, number), "solution");
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
        QCOMPARE(generator.spokenTask(), QString("acht mal sieben"));
        QCOMPARE(generator.spokenSolution(), QString::fromUtf8("acht mal sieben ist sechsundfünfzig"));
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
