#include <QTest>

#include "base/clock.h"
#include "base/randomsource.h"
#include "rewards/rewardchoice.h"
#include "rewardseeds.h"

Q_DECLARE_METATYPE(RewardKind)

namespace {

void setClock(std::int64_t seconds) {
    Clock::SetSource([seconds] { return seconds; });
}

} // namespace

class TestRewardChoice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { RandomSeed(1); }
    void cleanup() { Clock::SetSource({}); }

    void decision_data() {
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("type");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<RewardKind>("reward");
        QTest::addColumn<bool>("reset");

        const qint64 drawsPicture = SecondsForDraw(1, 0);
        const qint64 drawsJoke = SecondsForDraw(1, 1);
        QTest::newRow("not earned, picture") << 0 << 0 << drawsPicture << RewardKind::None << false;
        QTest::newRow("not earned, joke") << 0 << 1 << drawsPicture << RewardKind::None << false;
        QTest::newRow("not earned, random") << 0 << 2 << drawsJoke << RewardKind::None << false;
        QTest::newRow("picture") << 1 << 0 << drawsJoke << RewardKind::Picture << true;
        QTest::newRow("joke") << 1 << 1 << drawsPicture << RewardKind::Joke << true;
        QTest::newRow("random, draw 0 is a picture") << 1 << 2 << drawsPicture << RewardKind::Picture << true;
        QTest::newRow("random, draw 1 is a joke") << 1 << 2 << drawsJoke << RewardKind::Joke << true;
        QTest::newRow("none") << 1 << 3 << drawsPicture << RewardKind::None << true;
        QTest::newRow("7 is none") << 1 << 7 << drawsPicture << RewardKind::None << true;
        QTest::newRow("-1 is none") << 1 << -1 << drawsPicture << RewardKind::None << true;
        QTest::newRow("any flag but 0 counts") << 5 << 1 << drawsPicture << RewardKind::Joke << true;
        QTest::newRow("negative flag counts") << -1 << 0 << drawsPicture << RewardKind::Picture << true;
    }
    void decision() {
        QFETCH(int, flag);
        QFETCH(int, type);
        QFETCH(qint64, seconds);
        setClock(seconds);
        const RewardStep step = ChooseReward(flag, type);
        QTEST(step.reward, "reward");
        QTEST(step.resetFlag, "reset");
    }

    // The choice hangs on the clock alone, not on draws made before it, and
    // two choices within one second agree.
    void randomChoiceReseedsFromTheClock() {
        for (const int wanted : {0, 1}) {
            setClock(SecondsForDraw(1, wanted));
            const RewardKind expected = wanted == 0 ? RewardKind::Picture : RewardKind::Joke;
            for (int before = 0; before < 5; ++before) {
                for (int i = 0; i < before * 7; ++i)
                    RandomNext();
                QCOMPARE(ChooseReward(1, 2).reward, expected);
            }
        }
    }

    void randomChoiceIsFairOverManySeconds() {
        int pictures = 0;
        const int drills = 4000;
        for (int second = 0; second < drills; ++second) {
            setClock(1'700'000'000 + second * 37);
            pictures += ChooseReward(1, 2).reward == RewardKind::Picture ? 1 : 0;
        }
        QVERIFY2(pictures > drills * 45 / 100 && pictures < drills * 55 / 100,
                 qPrintable(QString::number(pictures)));
    }

    void numbers_data() {
        QTest::addColumn<bool>("joke");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("draw");
        QTest::addColumn<int>("number");
        QTest::newRow("picture of 3, draw 0") << false << 3 << 0 << 0;
        QTest::newRow("picture of 3, draw 1") << false << 3 << 1 << 1;
        QTest::newRow("picture of 3, draw 2") << false << 3 << 2 << 2;
        QTest::newRow("picture of 3, draw 3 is the last") << false << 3 << 3 << 2;
        QTest::newRow("picture of 1, draw 0") << false << 1 << 0 << 0;
        QTest::newRow("picture of 1, draw 1") << false << 1 << 1 << 0;
        QTest::newRow("joke of 3, draw 0 is the first") << true << 3 << 0 << 1;
        QTest::newRow("joke of 3, draw 1") << true << 3 << 1 << 1;
        QTest::newRow("joke of 3, draw 2") << true << 3 << 2 << 2;
        QTest::newRow("joke of 3, draw 3") << true << 3 << 3 << 3;
        QTest::newRow("joke of 1, draw 1") << true << 1 << 1 << 1;
    }
    void numbers() {
        QFETCH(bool, joke);
        QFETCH(int, count);
        QFETCH(int, draw);
        setClock(SecondsForDraw(count, draw));
        RandomNext(); // whatever came before does not matter
        QTEST(joke ? PickJokeNumber(count) : PickPictureNumber(count), "number");
    }

    void noJokesStillReseeds() {
        setClock(4242);
        QCOMPARE(PickJokeNumber(0), 0);
        const int next = RandomNext();
        RandomSeed(4242);
        QCOMPARE(next, RandomNext());
    }
};

QTEST_GUILESS_MAIN(TestRewardChoice)
#include "tst_rewardchoice.moc"
