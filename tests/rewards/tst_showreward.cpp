#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "base/clock.h"
#include "base/profile.h"
#include "common/filecontents.h"
#include "rewards/jokerewarddlg.h"
#include "rewards/picturerewarddlg.h"
#include "rewards/showreward.h"
#include "rewardseeds.h"

namespace {

void setClock(std::int64_t seconds) {
    Clock::SetSource([seconds] { return seconds; });
}

// Names rather than a list of enums, which Qt 6.4 compares with memcmp even
// when both are empty.
QString nameOf(RewardKind reward) {
    switch (reward) {
    case RewardKind::Picture:
        return QStringLiteral("picture");
    case RewardKind::Joke:
        return QStringLiteral("joke");
    case RewardKind::None:
        break;
    }
    return QStringLiteral("none");
}

} // namespace

class TestShowReward : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProfile> m_profile;
    QStringList m_runs;
    QList<int> m_flagWhileRunning;
    QList<QWidget*> m_owners;
    RewardRunner m_runner;

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_profile = std::make_unique<CProfile>(m_dir->filePath("ollo.INI"));
        m_runs.clear();
        m_flagWhileRunning.clear();
        m_owners.clear();
        m_runner = [this](RewardKind reward, CProfile& profile, QWidget* owner) {
            m_runs << nameOf(reward);
            m_flagWhileRunning << profile.GetInt("Parameter", "Lobe", -1);
            m_owners << owner;
        };
    }
    void cleanup() {
        Clock::SetSource({});
        m_profile.reset();
        m_dir.reset();
    }

    // earned: the drill's own result, handed over in memory; parameter: what
    // the settings file holds, which may be a killed run's flag or miss the
    // flag a failed write did not store.
    void decision_data() {
        QTest::addColumn<int>("earned");
        QTest::addColumn<QByteArray>("parameter");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<int>("flagAfter");

        const qint64 drawsPicture = SecondsForDraw(1, 0);
        const qint64 drawsJoke = SecondsForDraw(1, 1);
        using Runs = QStringList;
        QTest::newRow("picture") << 1 << QByteArray("Lobe=1\r\nBelohnungsart=0") << drawsJoke
                                 << Runs{"picture"} << 0;
        QTest::newRow("joke") << 1 << QByteArray("Lobe=1\r\nBelohnungsart=1") << drawsPicture << Runs{"joke"}
                              << 0;
        QTest::newRow("random, picture")
            << 1 << QByteArray("Lobe=1\r\nBelohnungsart=2") << drawsPicture << Runs{"picture"} << 0;
        QTest::newRow("random, joke")
            << 1 << QByteArray("Lobe=1\r\nBelohnungsart=2") << drawsJoke << Runs{"joke"} << 0;
        QTest::newRow("none") << 1 << QByteArray("Lobe=1\r\nBelohnungsart=3") << drawsPicture << Runs{} << 0;
        QTest::newRow("7 is none") << 1 << QByteArray("Lobe=1\r\nBelohnungsart=7") << drawsPicture << Runs{}
                                   << 0;
        QTest::newRow("missing type is none") << 1 << QByteArray("Lobe=1") << drawsPicture << Runs{} << 0;
        QTest::newRow("not earned") << 0 << QByteArray("Lobe=0\r\nBelohnungsart=0") << drawsPicture << Runs{}
                                    << 0;
        QTest::newRow("earned, the flag never stored")
            << 1 << QByteArray("Belohnungsart=1") << drawsPicture << Runs{"joke"} << 0;
        QTest::newRow("not earned, a flag left at 1 is cleared")
            << 0 << QByteArray("Lobe=1\r\nBelohnungsart=1") << drawsPicture << Runs{} << 0;
        QTest::newRow("not earned, a flag left at 2 is cleared")
            << 0 << QByteArray("Lobe=2\r\nBelohnungsart=1") << drawsPicture << Runs{} << 0;
    }
    void decision() {
        QFETCH(int, earned);
        QFETCH(QByteArray, parameter);
        QFETCH(qint64, seconds);
        QFile file(m_profile->filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Parameter]\r\n" + parameter + "\r\n");
        file.close();
        setClock(seconds);
        QWidget owner;
        ShowReward(*m_profile, &owner, earned, m_runner);
        QTEST(m_runs, "runs");
        QTEST(m_profile->GetInt("Parameter", "Lobe", -1), "flagAfter");
        // The flag goes back to 0 only after the reward has run.
        for (const int flag : std::as_const(m_flagWhileRunning))
            QVERIFY(flag != 0);
        for (QWidget* o : std::as_const(m_owners))
            QCOMPARE(o, &owner);
    }

    void notEarnedWritesNothing_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("flag 0") << QByteArray("[Parameter]\nLobe = 0\nBelohnungsart=0\n");
        QTest::newRow("no flag") << QByteArray("[Parameter]\nBelohnungsart=1\n");
    }
    void notEarnedWritesNothing() {
        QFETCH(QByteArray, settings);
        if (!settings.isEmpty()) {
            QFile file(m_profile->filePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(settings);
        }
        ShowReward(*m_profile, nullptr, 0, m_runner);
        QVERIFY(m_runs.isEmpty());
        QCOMPARE(QFile::exists(m_profile->filePath()), !settings.isEmpty());
        QCOMPARE(readAll(m_profile->filePath()), settings);
    }

    // A second drill ended by cancel leaves the flag alone: no second reward.
    void rewardIsGivenOnce() {
        m_profile->WriteInt("Parameter", "Belohnungsart", 1);
        m_profile->WriteInt("Parameter", "Lobe", 1);
        ShowReward(*m_profile, nullptr, 1, m_runner);
        ShowReward(*m_profile, nullptr, 0, m_runner);
        QCOMPARE(m_runs, QStringList{"joke"});
    }

    void realDialogs_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("caption");
        QTest::newRow("picture") << 0 << QString::fromUtf8("Und jetzt ein hübsches Bild ");
        QTest::newRow("joke") << 1 << QString("Und jetzt ein lustiger Witz !");
    }
    void realDialogs() {
        QFETCH(int, type);
        m_runner = {};
        m_profile->WriteInt("Parameter", "Belohnungsart", type);
        m_profile->WriteInt("Parameter", "Lobe", 1);
        QWidget frame;
        frame.resize(620, 440);
        frame.show();
        QString seenCaption;
        QWidget* seenParent = nullptr;
        int flagWhileOpen = -1;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            seenCaption = modal->windowTitle();
            seenParent = modal->parentWidget();
            flagWhileOpen = m_profile->GetInt("Parameter", "Lobe", -1);
            auto* ok = modal->findChild<QPushButton*>("okButton");
            QVERIFY(ok);
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        ShowReward(*m_profile, &frame, 1, m_runner);
        QTEST(seenCaption, "caption");
        QCOMPARE(seenParent, &frame);
        QCOMPARE(flagWhileOpen, 1);
        QCOMPARE(m_profile->GetInt("Parameter", "Lobe", -1), 0);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(frame.findChildren<QDialog*>().isEmpty()); // destroyed before returning
    }
};

QTEST_MAIN(TestShowReward)
#include "tst_showreward.moc"
