#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "common/programfolders.h"
#include "kit/commandids.h"
#include "settings/fontchooser.h"
#include "shell/backdrop.h"
#include "shell/mainframe.h"
#include "shell/trainerapp.h"

namespace {

// Counts the paints of one widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void clickTab(QWidget* sheet, int index) {
    QTabBar* bar = sheet->findChild<QTabWidget*>("pages")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

} // namespace

// The four settings commands of "Optionen", run from the main window's menu.
class TestSettingsCommands : public QObject {
    Q_OBJECT

private:
    ProgramFolders m_folders;

private Q_SLOTS:
    void init() { m_folders.enter(); }
    void cleanup() { m_folders.leave(); }

    void commandsOpenTheirDialogs_data() {
        QTest::addColumn<int>("commandId");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("sizes");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Einstellungen") << Cmd::Options << "COptionsSheet"
                                       << ""
                                       << "Parameter"
                                       << "Belohnungsart"
                                       << "3";
        QTest::newRow("Großer Zeichensatz") << Cmd::BigFont << "CFontChooser"
                                            << "30..60"
                                            << "BigFont"
                                            << "FontWeight"
                                            << "400";
        QTest::newRow("Kleiner Zeichensatz") << Cmd::SmallFont << "CFontChooser"
                                             << "20..30"
                                             << "SmallFont"
                                             << "FontWeight"
                                             << "400";
        QTest::newRow("Sound") << Cmd::Sound << "CSoundDlg"
                               << ""
                               << "Parameter"
                               << "Sound"
                               << "0";
    }
    void commandsOpenTheirDialogs() {
        QFETCH(int, commandId);
        QFETCH(QString, dialog);
        QFETCH(QString, sizes);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        QVERIFY(app.InitInstance());
        CMainFrame* frame = app.mainWindow();
        frame->setSpeechOutput([](const QString&) {}, {SpeechStatus::State::Ready, {}});
        QVERIFY(frame->action(commandId)->isEnabled());

        QString opened;
        QWidget* owner = nullptr;
        QString offered;
        QTimer::singleShot(0, frame, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            opened = QString::fromLatin1(modal->metaObject()->className());
            owner = modal->parentWidget();
            if (auto* sizeList = modal->findChild<QListWidget*>("sizeList"))
                offered = sizeList->item(0)->text() + ".." + sizeList->item(sizeList->count() - 1)->text();
            // OK is "ok" on the sheet, "okButton" in the font chooser, the clown "button1" in the sound
            // switch.
            for (const char* name : {"ok", "okButton", "button1"})
                if (auto* ok = modal->findChild<QPushButton*>(name)) {
                    QTest::mouseClick(ok, Qt::LeftButton);
                    break;
                }
            if (modal->isVisible())
                QTest::keyClick(modal, Qt::Key_Escape);
        });
        frame->action(commandId)->trigger();
        QCOMPARE(opened, dialog);
        QCOMPARE(owner, frame);
        QCOMPARE(offered, sizes);
        QCOMPARE(app.profile().GetText(section, key, "<missing>"), stored);
    }

    void storedBackgroundRepaintsTheMainWindow_data() {
        QTest::addColumn<bool>("visitBackground");
        QTest::addColumn<bool>("repainted");
        QTest::newRow("background page shown") << true << true;
        QTest::newRow("background page not shown") << false << false;
    }
    void storedBackgroundRepaintsTheMainWindow() {
        QFETCH(bool, visitBackground);
        QFETCH(bool, repainted);
        CTrainerApp app(QStringLiteral("/usr/bin/ollo"));
        QVERIFY(app.InitInstance());
        CMainFrame* frame = app.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        PaintCounter counter;
        frame->backdrop()->installEventFilter(&counter);

        QTimer::singleShot(0, frame, [&] {
            QWidget* sheet = QApplication::activeModalWidget();
            QVERIFY(sheet);
            if (visitBackground)
                clickTab(sheet, 2);
            counter.paints = 0;
            QTest::mouseClick(sheet->findChild<QPushButton*>("ok"), Qt::LeftButton);
        });
        frame->action(Cmd::Options)->trigger();
        // A repaint asked for is done once the events posted until now are.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(counter.paints > 0, repainted);
        QCOMPARE(app.profile().GetInt("Parameter", "Changed", -1), visitBackground ? 0 : -1);
    }
};

QTEST_MAIN(TestSettingsCommands)
#include "tst_settingscommands.moc"
