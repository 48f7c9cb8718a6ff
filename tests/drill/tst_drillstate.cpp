#include <QTest>

#include <set>

#include "base/clock.h"
#include "drill/drillstate.h"
#include "drill/seriescatalogue.h"

using Record::Operation;

namespace {

// Runs the answers through the state: "=" answers correctly, "?" answers
// wrong then solves, "!" answers wrong, retries, then answers correctly.
void play(CDrillState& state, const QString& script) {
    for (int i = 0; i < script.size(); ++i) {
        const QChar how = script[i];
        if (how == u'=') {
            QCOMPARE(state.Submit(state.answerText()), CDrillState::Verdict::Correct);
        } else if (how == u'?') {
            QCOMPARE(state.Submit(QStringLiteral("x")), CDrillState::Verdict::Wrong);
            state.Solve();
        } else {
            QCOMPARE(state.Submit(QString()), CDrillState::Verdict::Wrong);
            QVERIFY(!state.isAnswered());
            QCOMPARE(state.Submit(state.answerText()), CDrillState::Verdict::Correct);
        }
        QVERIFY(state.isAnswered());
        const CDrillState::Step step = state.Advance();
        QCOMPARE(step, i + 1 < script.size() ? CDrillState::Step::Continue : CDrillState::Step::End);
    }
}

} // namespace

class TestDrillState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        Clock::SetSource([] { return std::int64_t(1); });
    }
    void cleanup() { Clock::SetSource({}); }

    void catalogueHoldsEveryCommandOnce() {
        const auto all = SeriesCatalogue();
        QCOMPARE(all.size(), std::size_t(36));
        std::set<int> ids;
        for (const SeriesInfo& s : all) {
            QVERIFY(ids.insert(s.commandId).second);
            QCOMPARE(FindSeries(s.commandId), &s);
        }
        for (int id : {32805, 32806, 32808, 32809, 32811, 0, 57665})
            QVERIFY(!FindSeries(id));
    }

    void lookup_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("division");
        QTest::addColumn<int>("number");
        QTest::newRow("1-er") << 32771 << "&Kleines 1X1"
                              << "1-er Reihe" << false << 1;
        QTest::newRow("7-er") << 32777 << "&Kleines 1X1"
                              << "7-er Reihe" << false << 7;
        QTest::newRow("20-er") << 32790 << QString::fromUtf8("&Großes 1X1") << "20-er Reihe" << false << 20;
        QTest::newRow("any multiplication")
            << 32791 << QString::fromUtf8("&Großes 1X1") << "Beliebige Reihe" << false << 0;
        QTest::newRow("100 multiplication") << 32792 << "&Sonderreihen"
                                            << "100-er Reihe" << false << 100;
        QTest::newRow("1000 multiplication") << 32793 << "&Sonderreihen"
                                             << "1000-er Reihe" << false << 1000;
        QTest::newRow("division 1") << 32794 << "Division"
                                    << "1-er Reihe" << true << 1;
        QTest::newRow("division 10") << 32803 << "Division"
                                     << "10-er Reihe" << true << 10;
        QTest::newRow("any division") << 32804 << "Division"
                                      << "Beliebige Reihe" << true << 0;
        QTest::newRow("100 division") << 32807 << "&Sonderreihen"
                                      << "100-er Reihe" << true << 100;
        QTest::newRow("1000 division") << 32810 << "&Sonderreihen"
                                       << "1000-er Reihe" << true << 1000;
    }
    void lookup() {
        QFETCH(int, id);
        const SeriesInfo* s = FindSeries(id);
        QVERIFY(s);
        QTEST(QString::fromUtf8(s->menu), "menu");
        QTEST(QString::fromUtf8(s->menuText), "text");
        QTEST(s->operation == Operation::Division, "division");
        QTEST(s->number, "number");
    }

    void firstTaskSeededWithOne() {
        CDrillState state;
        QVERIFY(state.Begin(32777, 5));
        QCOMPARE(state.taskText(), QString("8 X 7 = ??"));
        QCOMPARE(state.answerText(), QString("56"));
        QCOMPARE(state.tasksPosed(), 1);
    }

    void judging_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("correct");
        QTest::newRow("exact") << "56" << true;
        QTest::newRow("leading zero") << "056" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("trailing blank") << "56 " << false;
        QTest::newRow("other number") << "65" << false;
    }
    void judging() {
        QFETCH(QString, typed);
        CDrillState state;
        state.Begin(32777, 5);
        const auto verdict = state.Submit(typed);
        QTEST(verdict == CDrillState::Verdict::Correct, "correct");
        QCOMPARE(state.correctCount(), verdict == CDrillState::Verdict::Correct ? 1 : 0);
        QCOMPARE(state.isAnswered(), verdict == CDrillState::Verdict::Correct);
    }

    void wholeDrills_data() {
        QTest::addColumn<int>("taskCount");
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("flag");
        QTest::newRow("all correct") << 5 << "=====" << 1;
        QTest::newRow("correct after retries") << 5 << "=!=!!" << 1;
        QTest::newRow("one solved") << 5 << "==?==" << 0;
        QTest::newRow("no tasks still poses one") << 0 << "=" << 0;
        QTest::newRow("negative count poses one") << -3 << "=" << 0;
        QTest::newRow("single task") << 1 << "=" << 1;
    }
    void wholeDrills() {
        QFETCH(int, taskCount);
        QFETCH(QString, script);
        CDrillState state;
        QVERIFY(state.Begin(32775, taskCount));
        play(state, script);
        QVERIFY(state.hasEnded());
        QCOMPARE(state.tasksPosed(), int(script.size()));
        QTEST(state.CompletionFlag(), "flag");
    }

    void cancelledMidwayIsNotComplete() {
        CDrillState state;
        state.Begin(32771, 3);
        state.Submit(state.answerText());
        QCOMPARE(state.Advance(), CDrillState::Step::Continue);
        state.Submit(state.answerText());
        QCOMPARE(state.CompletionFlag(), 0);
    }

    void limitPrompt_data() {
        QTest::addColumn<QVariant>("reply"); // null = refused
        QTest::addColumn<bool>("runs");
        QTest::addColumn<int>("number");
        QTest::newRow("unchanged 20") << QVariant("20") << true << 20;
        QTest::newRow("13") << QVariant("13") << true << 13;
        QTest::newRow("2 is the smallest") << QVariant("2") << true << 2;
        QTest::newRow("9999") << QVariant("9999") << true << 9999;
        QTest::newRow("1 ends") << QVariant("1") << false << 1;
        QTest::newRow("0 ends") << QVariant("0") << false << 0;
        QTest::newRow("empty ends") << QVariant("") << false << 0;
        QTest::newRow("refused") << QVariant() << false << 0;
    }
    void limitPrompt() {
        QFETCH(QVariant, reply);
        int asked = 0;
        CDrillState state([&](const QString& preset) -> std::optional<QString> {
            ++asked;
            if (preset != QLatin1String("20"))
                return QString("wrong preset");
            return reply.isNull() ? std::nullopt : std::optional<QString>(reply.toString());
        });
        const bool runs = state.Begin(32791, 3);
        QTEST(runs, "runs");
        QCOMPARE(state.hasEnded(), !runs);
        QCOMPARE(asked, 1);
        if (!runs) {
            QCOMPARE(state.tasksPosed(), 0);
            QCOMPARE(state.CompletionFlag(), 0);
            return;
        }
        QFETCH(int, number);
        QVERIFY(state.taskText().contains(QStringLiteral(" X %1 = ").arg(number)));
        play(state, "===");
        QCOMPARE(asked, 1);
        QCOMPARE(state.CompletionFlag(), 1);
    }

    void anyDivisionDividesByTheAskedNumber() {
        CDrillState state([](const QString&) { return std::optional<QString>("13"); });
        QVERIFY(state.Begin(32804, 4));
        for (int i = 0; i < 4; ++i) {
            const int answer = state.answerText().toInt();
            QCOMPARE(state.taskText(), QStringLiteral("%1 : 13 = ").arg(answer * 13) +
                                           QString(state.answerText().size(), u'?'));
            state.Submit(state.answerText());
            state.Advance();
        }
        QVERIFY(state.hasEnded());
    }

    void promptWithoutCallbackEndsTheDrill() {
        CDrillState state;
        QVERIFY(!state.Begin(32804, 4));
        QVERIFY(state.hasEnded());
    }

    void sameSecondSameFirstTask() {
        CDrillState a;
        a.Begin(32778, 3);
        CDrillState b;
        b.Begin(32778, 3);
        QCOMPARE(a.taskText(), b.taskText());
    }

    // A drill given its tasks poses each once, in the order the clock's seed
    // draws, whatever the command, and ends after the last.
    void plannedDrillSameSecondSameOrder() {
        const std::vector<PlannedTask> plan = {{Operation::Multiplication, 8, 7},
                                               {Operation::Division, 6, 9},
                                               {Operation::Multiplication, 3, 13},
                                               {Operation::Division, 2, 1000}};
        QStringList posed;
        CDrillState state;
        state.SetPlan(plan);
        QVERIFY(state.Begin(32871, int(plan.size())));
        for (;;) {
            posed << state.taskText() + QStringLiteral(" ") + state.answerText() +
                         (state.operation() == Operation::Division ? QStringLiteral(" :")
                                                                   : QStringLiteral(" X"));
            QCOMPARE(state.Submit(state.answerText()), CDrillState::Verdict::Correct);
            if (state.Advance() == CDrillState::Step::End)
                break;
        }
        QCOMPARE(posed, QStringList({"3 X 13 = ?? 39 X", "8 X 7 = ?? 56 X",
                                     "54 : 9 = ? 6 :", "2000 : 1000 = ? 2 :"}));
        QCOMPARE(state.CompletionFlag(), 1);
    }

    void hundredSeriesTasksLookRight() {
        CDrillState m;
        m.Begin(32792, 1);
        QVERIFY(m.taskText().endsWith(QStringLiteral(" X 100 = ???")) || m.taskText() == "10 X 100 = ????");
        CDrillState d;
        d.Begin(32807, 1);
        QVERIFY(d.taskText().contains(QStringLiteral("00 : 100 = ?")));
    }
};

QTEST_GUILESS_MAIN(TestDrillState)
#include "tst_drillstate.moc"
