#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include "base/profile.h"
#include "common/fakehost.h"
#include "common/filecontents.h"
#include "common/settingsfolder.h"
#include "kit/bitmapbutton.h"
#include "settings/sounddlg.h"

class TestSoundDlg : public QObject {
    Q_OBJECT

private:
    SettingsFolder m_settings;
    std::unique_ptr<FakeHost> m_host;

private Q_SLOTS:
    void init() {
        m_settings.enter();
        m_host = std::make_unique<FakeHost>();
    }
    void cleanup() {
        m_host.reset();
        m_settings.leave();
    }

    void switchStoresOnlyOnOk_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("toggle");
        QTest::addColumn<bool>("readTicked"); // "Aufgaben vorlesen" at opening
        QTest::addColumn<bool>("readToggle");
        QTest::addColumn<QString>("leave");
        QTest::addColumn<QByteArray>("after");
        const QByteArray none;
        QTest::newRow("missing, OK writes 0")
            << none << false << false << false << false << "OK" << QByteArray("[Parameter]\r\nSound=0\r\n");
        QTest::newRow("1, OK keeps 1") << QByteArray("[Parameter]\r\nSound=1\r\n") << true << false << false
                                       << false << "OK" << QByteArray("[Parameter]\r\nSound=1\r\n");
        QTest::newRow("5 shows on, OK writes 1")
            << QByteArray("[Parameter]\r\nSound=5\r\n") << true << false << false << false << "OK"
            << QByteArray("[Parameter]\r\nSound=1\r\n");
        QTest::newRow("0, toggled, OK writes 1")
            << QByteArray("[Parameter]\r\nSound=0\r\n") << false << true << false << false << "OK"
            << QByteArray("[Parameter]\r\nSound=1\r\n");
        QTest::newRow("1, toggled, Ende keeps 1")
            << QByteArray("[Parameter]\r\nSound=1\r\n") << true << true << false << false << "Ende"
            << QByteArray("[Parameter]\r\nSound=1\r\n");
        QTest::newRow("missing, toggled, Esc writes nothing")
            << none << false << true << false << false << "Esc" << none;
        QTest::newRow("0, toggled, close box keeps 0")
            << QByteArray("[Parameter]\r\nSound=0\r\n") << false << true << false << false << "close box"
            << QByteArray("[Parameter]\r\nSound=0\r\n");
        QTest::newRow("read-only file: OK says so and stays open, then Ende")
            << QByteArray("[Parameter]\r\nSound=0\r\n") << false << true << false << false << "OK refused"
            << QByteArray("[Parameter]\r\nSound=0\r\n");
        QTest::newRow("read aloud ticked, OK writes it after Sound")
            << none << false << false << false << true << "OK"
            << QByteArray("[Parameter]\r\nSound=0\r\nVorlesen=1\r\n");
        QTest::newRow("read aloud unticked, OK writes 0")
            << QByteArray("[Parameter]\r\nVorlesen=1\r\nSound=1\r\n") << true << false << true << true << "OK"
            << QByteArray("[Parameter]\r\nVorlesen=0\r\nSound=1\r\n");
        QTest::newRow("read aloud 2 untouched, OK leaves it")
            << QByteArray("[Parameter]\r\nVorlesen=2\r\nSound=1\r\n") << true << false << true << false
            << "OK" << QByteArray("[Parameter]\r\nVorlesen=2\r\nSound=1\r\n");
        QTest::newRow("read aloud ticked, Ende writes nothing")
            << QByteArray("[Parameter]\r\nSound=1\r\n") << true << false << false << true << "Ende"
            << QByteArray("[Parameter]\r\nSound=1\r\n");
    }
    void switchStoresOnlyOnOk() {
        QFETCH(QByteArray, file);
        QFETCH(bool, ticked);
        QFETCH(bool, toggle);
        QFETCH(bool, readTicked);
        QFETCH(bool, readToggle);
        QFETCH(QString, leave);
        QFETCH(QByteArray, after);
        if (!file.isEmpty())
            writeAll(m_settings.path, file);
        CProfile profile(m_settings.path);
        CSoundDlg dialog(profile, m_host.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* check = dialog.findChild<QCheckBox*>("soundCheck");
        auto* readAloud = dialog.findChild<QCheckBox*>("readAloudCheck");
        QCOMPARE(check->isChecked(), ticked);
        QCOMPARE(readAloud->isChecked(), readTicked);
        if (toggle)
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        if (readToggle)
            QTest::mouseClick(readAloud, Qt::LeftButton, {}, QPoint(8, readAloud->height() / 2));
        QCOMPARE(check->isChecked(), ticked != toggle);
        QCOMPARE(readAloud->isChecked(), readTicked != readToggle);
        if (leave == "OK")
            QTest::mouseClick(dialog.findChild<CBitmapButton*>("button1"), Qt::LeftButton);
        else if (leave == "Ende")
            QTest::mouseClick(dialog.findChild<CBitmapButton*>("button2"), Qt::LeftButton);
        else if (leave == "OK refused") {
            QFile::setPermissions(m_settings.path, QFile::ReadOwner);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not write the settings file"));
            QTest::mouseClick(dialog.findChild<CBitmapButton*>("button1"), Qt::LeftButton);
            QVERIFY(dialog.isVisible());
            QCOMPARE(m_host->notStored.size(), 1);
            QVERIFY2(m_host->notStored[0].contains(QString::fromUtf8("schreibgeschützt")),
                     qPrintable(m_host->notStored[0]));
            QCOMPARE(check->isChecked(), ticked != toggle);
            QTest::mouseClick(dialog.findChild<CBitmapButton*>("button2"), Qt::LeftButton);
        } else if (leave == "Esc")
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(leave == "OK" ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(m_host->notStored.size(), leave == "OK refused" ? 1 : 0);
        QCOMPARE(readAll(m_settings.path), after);
    }

    // The second switch waits for the speech service, which may answer late;
    // greyed it shows no tick, says why in a line the keyboard needs no
    // tooltip for, and OK keeps the stored tick.
    void readAloudNeedsSpeech_data() {
        QTest::addColumn<int>("state"); // SpeechStatus::State; -1: no host
        QTest::addColumn<bool>("foundLater");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("tooltip");
        const QString reason = QString::fromUtf8("Die Sprachausgabe des Rechners hat keine deutsche Stimme.");
        QTest::newRow("ready") << int(SpeechStatus::State::Ready) << false << true
                               << QString::fromUtf8("Liest jede Aufgabe vor, dazu das Lob und die Lösung.");
        QTest::newRow("unavailable") << int(SpeechStatus::State::Unavailable) << false << false << reason;
        QTest::newRow("still searching") << int(SpeechStatus::State::Searching) << false << false << reason;
        QTest::newRow("found while open")
            << int(SpeechStatus::State::Searching) << true << true
            << QString::fromUtf8("Liest jede Aufgabe vor, dazu das Lob und die Lösung.");
        QTest::newRow("no host") << -1 << false << false
                                 << QString::fromUtf8("Ohne Hauptfenster wird nichts vorgelesen.");
    }
    void readAloudNeedsSpeech() {
        QFETCH(int, state);
        QFETCH(bool, foundLater);
        QFETCH(bool, enabled);
        QFETCH(QString, tooltip);
        writeAll(m_settings.path, "[Parameter]\r\nVorlesen=1\r\n");
        CProfile profile(m_settings.path);
        FakeHost host;
        host.speech = {SpeechStatus::State(std::max(state, 0)),
                       QString::fromUtf8("Die Sprachausgabe des Rechners hat keine deutsche Stimme.")};
        CSoundDlg dialog(profile, state < 0 ? nullptr : &host);
        if (foundLater)
            host.announceSpeech({SpeechStatus::State::Ready, {}});
        auto* readAloud = dialog.findChild<QCheckBox*>("readAloudCheck");
        QCOMPARE(readAloud->isChecked(), enabled);
        QCOMPARE(readAloud->isEnabled(), enabled);
        QCOMPARE(readAloud->toolTip(), tooltip);
        auto* line = dialog.findChild<QLabel*>("readAloudReason");
        QCOMPARE(line->text(), tooltip);
        QVERIFY(dialog.rect().contains(line->geometry()));
        QVERIFY(line->geometry().top() >= dialog.findChild<CBitmapButton*>("button1")->geometry().bottom());
        dialog.accept();
        QCOMPARE(readAll(m_settings.path), QByteArray("[Parameter]\r\nVorlesen=1\r\nSound=0\r\n"));
    }

    void clownButtonsTakeTheirFaces() {
        CProfile profile(m_settings.path);
        CSoundDlg dialog(profile, m_host.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // The two switches one under the other, then the buttons from the left.
        QWidget* focus = dialog.findChild<QCheckBox*>("soundCheck");
        focus->setFocus();
        for (const char* next : {"readAloudCheck", "button1", "button2", "soundCheck"}) {
            QTest::keyClick(focus, Qt::Key_Tab);
            focus = dialog.focusWidget();
            QCOMPARE(focus->objectName(), QLatin1String(next));
        }
        // Template places 15,30 and 100,30 dialog units; the faces are 87 × 44.
        QCOMPARE(dialog.findChild<CBitmapButton*>("button1")->geometry(), QRect(23, 49, 87, 44));
        QCOMPARE(dialog.findChild<CBitmapButton*>("button2")->geometry(), QRect(150, 49, 87, 44));
        QVERIFY(!dialog.findChild<CBitmapButton*>("button1")->currentFace().isNull());
        QVERIFY(dialog.rect().contains(dialog.findChild<CBitmapButton*>("button2")->geometry()));
    }
};

QTEST_MAIN(TestSoundDlg)
#include "tst_sounddlg.moc"
