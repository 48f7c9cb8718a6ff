#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "base/clock.h"
#include "base/profile.h"
#include "drill/drilldialog.h"
#include "drill/drilllauncher.h"
#include "drill/limitdialog.h"
#include "kit/bitmapbutton.h"
#include "rewards/showreward.h"

class TestDrillLauncher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_profile = std::make_unique<CProfile>(m_dir->filePath(QStringLiteral("OLLO.INI")));
        m_owner = std::make_unique<QWidget>();
        m_owner->show();
        Clock::SetSource([] { return std::int64_t(7); });
        m_profile->WriteInt(QStringLiteral("Parameter"), QStringLiteral("Belohnungsart"), 1);
        m_rewards.clear();
        m_dialogAliveAtReward.clear();
        m_afterDrill = [this](CProfile& profile, QWidget* owner, int earned) {
            ShowReward(profile, owner, earned, [this](RewardKind reward, CProfile&, QWidget* rewardOwner) {
                m_rewards << reward;
                m_dialogAliveAtReward = rewardOwner->findChildren<CDrillDialog*>();
            });
        };
    }
    void cleanup() {
        Clock::SetSource({});
        m_owner.reset();
        m_profile.reset();
        m_dir.reset();
    }

    // One drill, answered correctly, over the owner; the dialog is gone before
    // the reward step, which finds the drill completed.
    void runsOneDrillOverTheOwner_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("caption");
        QTest::newRow("7-er Reihe") << 32777 << "7-er Reihe";
        QTest::newRow("division by 1000") << 32810 << "1000-er Reihe";
    }
    void runsOneDrillOverTheOwner() {
        QFETCH(int, id);
        QFETCH(QString, caption);
        m_profile->WriteInt(QStringLiteral("Parameter"), QStringLiteral("Aufgaben"), 1);
        QString seenCaption;
        QWidget* seenOwner = nullptr;
        QTimer::singleShot(0, m_owner.get(), [&] {
            auto* dialog = qobject_cast<CDrillDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seenCaption = dialog->windowTitle();
            seenOwner = dialog->parentWidget();
            QWidget* answer = dialog->findChild<QWidget*>(QStringLiteral("answer"));
            const QString task = dialog->findChild<QLabel*>(QStringLiteral("task"))->text();
            const QStringList parts = task.split(u' ');
            const int a = parts[0].toInt();
            const int b = parts[2].toInt();
            QTest::keyClicks(answer, QString::number(parts[1] == u"X" ? a * b : a / b));
            QTest::keyClick(answer, Qt::Key_Return);
            QTest::keyClick(answer, Qt::Key_Return);
        });
        StartDrill(id, *m_profile, m_owner.get(), m_afterDrill);
        QCOMPARE(seenCaption, caption);
        QCOMPARE(seenOwner, m_owner.get());
        // The reward step came after the dialog was gone, and found the drill completed.
        QCOMPARE(m_rewards, QList<RewardKind>{RewardKind::Joke});
        QVERIFY(m_dialogAliveAtReward.isEmpty());
        QCOMPARE(m_profile->GetInt(QStringLiteral("Parameter"), QStringLiteral("Lobe"), -1), 0);
        QVERIFY(m_owner->findChildren<CDrillDialog*>().isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void refusedLimitPromptEndsQuietly() {
        m_profile->WriteInt(QStringLiteral("Parameter"), QStringLiteral("Lobe"), 1);
        bool prompted = false;
        QTimer::singleShot(0, m_owner.get(), [&] {
            auto* prompt = qobject_cast<CLimitDialog*>(QApplication::activeModalWidget());
            QVERIFY(prompt);
            prompted = true;
            QCOMPARE(prompt->parentWidget(), m_owner.get());
            QTest::keyClick(prompt->focusWidget(), Qt::Key_Escape);
        });
        StartDrill(32804, *m_profile, m_owner.get(), m_afterDrill);
        QVERIFY(prompted);
        QCOMPARE(m_profile->GetInt(QStringLiteral("Parameter"), QStringLiteral("Lobe"), -1), 0);
        QVERIFY(m_rewards.isEmpty());
        QVERIFY(m_owner->findChildren<CDrillDialog*>().isEmpty());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProfile> m_profile;
    std::unique_ptr<QWidget> m_owner;
    AfterDrill m_afterDrill;
    QList<RewardKind> m_rewards;
    QList<CDrillDialog*> m_dialogAliveAtReward;
};

QTEST_MAIN(TestDrillLauncher)
#include "tst_drilllauncher.moc"
