#include <QApplication>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

#include "base/profile.h"
#include "common/fakehost.h"
#include "common/filecontents.h"
#include "common/settingsfolder.h"
#include "settings/optionssheet.h"

namespace {

// The reward type's buttons, in the order of the stored values 0..3.
constexpr const char* kRewardButtons[] = {"rewardPictures", "rewardJokes", "rewardRandom", "rewardNone"};

template <typename T> T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

void clickTab(COptionsSheet& sheet, int index) {
    QTabBar* bar = child<QTabWidget>(sheet, "pages")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

void clickButton(COptionsSheet& sheet, const char* name) {
    QTest::mouseClick(child<QPushButton>(sheet, name), Qt::LeftButton);
}

void clickEntry(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.front()).center());
}

// A radio button reacts only to clicks on its circle and its text.
void clickRadio(QRadioButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QStringList entries(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

// Which of the four reward buttons is ticked: 0 to 3, or -1 for none.
int tickedReward(COptionsSheet& sheet) {
    int ticked = -1;
    for (int i = 0; i < 4; ++i)
        if (child<QRadioButton>(sheet, kRewardButtons[i])->isChecked())
            ticked = ticked == -1 ? i : -2;
    return ticked;
}

const QString kMissing = QStringLiteral("<missing>");

} // namespace

class TestOptionsSheet : public QObject {
    Q_OBJECT

private:
    SettingsFolder m_settings;
    std::unique_ptr<CProfile> m_profile;
    int m_repaints = 0;
    std::unique_ptr<FakeHost> m_host;

    // Runs the command "Einstellungen"; act plays the user on the open sheet.
    // A sheet that act leaves open is cancelled.
    int runSheet(const std::function<void(COptionsSheet&)>& act) {
        QTimer::singleShot(0, this, [&act] {
            auto* sheet = qobject_cast<COptionsSheet*>(QApplication::activeModalWidget());
            QVERIFY(sheet);
            act(*sheet);
            if (sheet->isVisible())
                sheet->reject();
        });
        return COptionsSheet::Run(*m_profile, m_host.get(), [this] { ++m_repaints; });
    }

    QString stored(const char* section, const char* key) const {
        return m_profile->GetText(QLatin1String(section), QLatin1String(key), kMissing);
    }

private Q_SLOTS:
    void init() {
        m_settings.enter();
        m_profile = std::make_unique<CProfile>(m_settings.path);
        m_repaints = 0;
        m_host = std::make_unique<FakeHost>();
    }
    void cleanup() {
        m_host.reset();
        m_profile.reset();
        m_settings.leave();
    }

    void okAtOnceStoresOnlyTheRewardType() {
        writeAll(m_settings.path, "[Parameter]\r\nAufgaben=10\r\nBelohnungsart=1\r\n");
        const int result = runSheet([](COptionsSheet& sheet) {
            QCOMPARE(child<QTabWidget>(sheet, "pages")->currentIndex(), 0);
            QCOMPARE(tickedReward(sheet), 1);
            clickButton(sheet, "ok");
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(readAll(m_settings.path), QByteArray("[Parameter]\r\nAufgaben=10\r\nBelohnungsart=1\r\n"));
        QCOMPARE(m_repaints, 0);
    }

    // By mouse, or by keyboard from the sheet's first stop: the four buttons
    // are one Tab stop, on the ticked one, and the arrows tick as they move.
    void rewardType_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("click");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("after");
        const QByteArray none;
        const QStringList noKeys;
        QTest::newRow("missing shows Keine") << none << 3 << -1 << noKeys << "3";
        QTest::newRow("missing, Witze chosen") << none << 3 << 1 << noKeys << "1";
        QTest::newRow("0 shows Bilder") << QByteArray("Belohnungsart=0") << 0 << -1 << noKeys << "0";
        QTest::newRow("2 shows Zufällig") << QByteArray("Belohnungsart=2") << 2 << -1 << noKeys << "2";
        QTest::newRow("3, Bilder chosen") << QByteArray("Belohnungsart=3") << 3 << 0 << noKeys << "0";
        QTest::newRow("empty reads 0") << QByteArray("Belohnungsart=") << 0 << -1 << noKeys << "0";
        QTest::newRow("4 shows none and stays") << QByteArray("Belohnungsart=4") << -1 << -1 << noKeys << "4";
        QTest::newRow("-1 shows none and stays")
            << QByteArray("Belohnungsart=-1") << -1 << -1 << noKeys << "-1";
        QTest::newRow("7, Zufällig chosen") << QByteArray("Belohnungsart=7") << -1 << 2 << noKeys << "2";
        QTest::newRow("2, Tab to Zufällig, Up ticks Witze")
            << QByteArray("Belohnungsart=2") << 2 << -1 << QStringList{"Tab", "Up"} << "1";
        QTest::newRow("1, Tab to Witze, Down twice ticks Keine")
            << QByteArray("Belohnungsart=1") << 1 << -1 << QStringList{"Tab", "Down", "Down"} << "3";
        QTest::newRow("3, Tab to Keine, on to the buttons")
            << QByteArray("Belohnungsart=3") << 3 << -1 << QStringList{"Tab", "Tab"} << "3";
        QTest::newRow("4, Tab to Bilder, Down moves without ticking")
            << QByteArray("Belohnungsart=4") << -1 << -1 << QStringList{"Tab", "Down"} << "4";
    }
    void rewardType() {
        QFETCH(QByteArray, file);
        QFETCH(int, shown);
        QFETCH(int, click);
        QFETCH(QStringList, keys);
        QFETCH(QString, after);
        writeAll(m_settings.path, "[Parameter]\r\n" + file + "\r\n");
        runSheet([&](COptionsSheet& sheet) {
            QCOMPARE(tickedReward(sheet), shown);
            if (click >= 0)
                clickRadio(child<QRadioButton>(sheet, kRewardButtons[click]));
            if (!keys.isEmpty())
                QVERIFY(QTest::qWaitForWindowActive(&sheet));
            for (qsizetype i = 0; i < keys.size(); ++i) {
                const QKeySequence key(keys[i]);
                QTest::keyClick(QApplication::focusWidget(), key[0].key(), key[0].keyboardModifiers());
                if (i == 0)
                    QCOMPARE(QApplication::focusWidget()->objectName(),
                             QLatin1String(kRewardButtons[std::max(shown, 0)]));
            }
            if (keys.size() == 2 && keys[1] == QLatin1String("Tab"))
                QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String("ok"));
            clickButton(sheet, "ok");
        });
        QCOMPARE(stored("Parameter", "Belohnungsart"), after);
    }

    void countsStoredAsTyped_data() {
        QTest::addColumn<QString>("tasks");
        QTest::addColumn<QString>("jokes");
        QTest::newRow("digits then a letter") << "12a"
                                              << "3";
        QTest::newRow("both empty") << ""
                                    << "";
        QTest::newRow("letters only") << "zehn"
                                      << "x";
        QTest::newRow("no upper bound") << "100000"
                                        << "99999999999";
    }
    void countsStoredAsTyped() {
        QFETCH(QString, tasks);
        QFETCH(QString, jokes);
        writeAll(m_settings.path, "[Parameter]\r\nAufgaben=10\r\nWitze=16\r\n");
        runSheet([&](COptionsSheet& sheet) {
            clickTab(sheet, 1);
            auto* taskEdit = child<QLineEdit>(sheet, "taskCountEdit");
            auto* jokeEdit = child<QLineEdit>(sheet, "jokeCountEdit");
            QCOMPARE(taskEdit->text(), QString("10"));
            QCOMPARE(jokeEdit->text(), QString("16"));
            for (auto [edit, text] : {std::pair{taskEdit, tasks}, {jokeEdit, jokes}}) {
                edit->setFocus();
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Delete);
                QTest::keyClicks(edit, text);
            }
            // A second visit shows what was typed; nothing is read again.
            clickTab(sheet, 0);
            clickTab(sheet, 1);
            QCOMPARE(taskEdit->text(), tasks);
            clickButton(sheet, "ok");
        });
        QCOMPARE(stored("Parameter", "Aufgaben"), tasks);
        QCOMPARE(stored("Parameter", "Witze"), jokes);
        QCOMPARE(m_repaints, 0);
    }

    void countsOpenEmptyWithoutKeys() {
        runSheet([](COptionsSheet& sheet) {
            clickTab(sheet, 1);
            QCOMPARE(child<QLineEdit>(sheet, "taskCountEdit")->text(), QString());
            QCOMPARE(child<QLineEdit>(sheet, "jokeCountEdit")->text(), QString());
            clickButton(sheet, "ok");
        });
        QCOMPARE(stored("Parameter", "Aufgaben"), QString());
        QCOMPARE(stored("Parameter", "Witze"), QString());
    }

    void backgroundStoredAndRepainted_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("label");
        QTest::newRow("missing shows maus.bmp") << QByteArray() << "maus.bmp";
        QTest::newRow("empty stays empty") << QByteArray("Hintergrundbild=\r\n") << "";
        QTest::newRow("stored name") << QByteArray("Hintergrundbild=Wald Weg.gif\r\n") << "Wald Weg.gif";
    }
    void backgroundStoredAndRepainted() {
        QFETCH(QByteArray, file);
        QFETCH(QString, label);
        writeAll(m_settings.path, "[Parameter]\r\n" + file);
        int repaintsWhileOpen = -1;
        runSheet([&](COptionsSheet& sheet) {
            clickTab(sheet, 2);
            QCOMPARE(child<QLabel>(sheet, "backdropLabel")->text(), label);
            clickButton(sheet, "ok");
            repaintsWhileOpen = m_repaints;
        });
        QCOMPARE(repaintsWhileOpen, 0);
        QCOMPARE(m_repaints, 1);
        QCOMPARE(stored("Parameter", "Hintergrundbild"), label);
        QCOMPARE(stored("Parameter", "Changed"), QString("0"));
    }

    void backgroundListSortedWithoutCase_data() {
        QTest::addColumn<QByteArray>("count");
        QTest::addColumn<QByteArray>("pictures");
        QTest::addColumn<QStringList>("listed");
        const QByteArray six("Bild0=null.bmp\r\nBild1=Zebra.bmp\r\nBild2=apfel.bmp\r\n"
                             "Bild4=Baum.gif\r\nBild5=affe.bmp\r\nBild6=sechs.bmp\r\n");
        QTest::newRow("5") << QByteArray("5") << six
                           << QStringList({"", "affe.bmp", "apfel.bmp", "Baum.gif", "Zebra.bmp"});
        // Bounded by the section's 7 lines, not run to 1215752191.
        QTest::newRow("far beyond the file")
            << QByteArray("99999999999") << six
            << QStringList({"", "", "affe.bmp", "apfel.bmp", "Baum.gif", "sechs.bmp", "Zebra.bmp"});
        // As German readers sort: an umlaut beside its plain letter, not after "z".
        QTest::newRow("umlaut beside its letter")
            << QByteArray("7")
            << QByteArray("Bild0=null.bmp\r\nBild1=Zebra.bmp\r\nBild2=apfel.bmp\r\nBild4=Baum.gif\r\n"
                          "Bild5=affe.bmp\r\nBild6=B\xe4r.bmp\r\nBild7=bild.bmp\r\nBild8=sechs.bmp\r\n")
            << QStringList({"", "affe.bmp", "apfel.bmp", QString::fromUtf8("B\u00e4r.bmp"), "Baum.gif",
                            "bild.bmp", "Zebra.bmp"});
    }
    void backgroundListSortedWithoutCase() {
        QFETCH(QByteArray, count);
        QFETCH(QByteArray, pictures);
        QFETCH(QStringList, listed);
        writeAll(m_settings.path, "[Bilder]\r\nAnzahlHinter=" + count + "\r\n" + pictures);
        runSheet([&](COptionsSheet& sheet) {
            clickTab(sheet, 2);
            QCOMPARE(entries(child<QListWidget>(sheet, "backdropList")), listed);
        });
    }

    void setTakesTheSelectionOver() {
        writeAll(m_settings.path, "[Parameter]\r\nHintergrundbild=alt.bmp\r\n[Bilder]\r\nAnzahlHinter=3\r\n"
                                  "Bild1=see.bmp\r\nBild2=Berg.gif\r\n");
        runSheet([](COptionsSheet& sheet) {
            clickTab(sheet, 2);
            auto* list = child<QListWidget>(sheet, "backdropList");
            auto* label = child<QLabel>(sheet, "backdropLabel");
            // Nothing taken over yet: "Setzen" empties the label.
            clickButton(sheet, "setBackdropButton");
            QCOMPARE(label->text(), QString());
            clickEntry(list, "see.bmp");
            QCOMPARE(label->text(), QString());
            clickButton(sheet, "setBackdropButton");
            QCOMPARE(label->text(), QString("see.bmp"));
            // Selecting alone changes nothing; without a selection the last name stays.
            clickEntry(list, "Berg.gif");
            QCOMPARE(label->text(), QString("see.bmp"));
            list->clearSelection();
            clickButton(sheet, "setBackdropButton");
            QCOMPARE(label->text(), QString("see.bmp"));
            // A missing picture key is an empty line, and taking it over stores empty text.
            clickEntry(list, "");
            clickButton(sheet, "setBackdropButton");
            QCOMPARE(label->text(), QString());
            clickEntry(list, "Berg.gif");
            clickButton(sheet, "setBackdropButton");
            clickButton(sheet, "ok");
        });
        QCOMPARE(stored("Parameter", "Hintergrundbild"), QString("Berg.gif"));
        QCOMPARE(m_repaints, 1);
    }

    void leavingStoresNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Abbruch") << "Abbruch";
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("close box") << "close box";
        QTest::newRow("OK refused by a read-only file, then Abbruch") << "OK refused";
    }
    void leavingStoresNothing() {
        QFETCH(QString, how);
        const QByteArray before =
            "[Parameter]\r\nBelohnungsart=0\r\nAufgaben=10\r\nHintergrundbild=maus.bmp\r\n"
            "[Bilder]\r\nAnzahlHinter=1\r\nBild1=see.bmp\r\n";
        writeAll(m_settings.path, before);
        const int result = runSheet([&](COptionsSheet& sheet) {
            clickRadio(child<QRadioButton>(sheet, "rewardNone"));
            clickTab(sheet, 1);
            QTest::keyClicks(child<QLineEdit>(sheet, "taskCountEdit"), "5");
            clickTab(sheet, 2);
            clickEntry(child<QListWidget>(sheet, "backdropList"), "see.bmp");
            clickButton(sheet, "setBackdropButton");
            if (how == "OK refused") {
                QFile::setPermissions(m_settings.path, QFile::ReadOwner);
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not write the settings file"));
                clickButton(sheet, "ok");
                // Said once; everything chosen is still on the pages.
                QVERIFY(sheet.isVisible());
                QCOMPARE(m_host->notStored.size(), 1);
                QVERIFY(m_host->notStored[0].contains(QString::fromUtf8("schreibgeschützt")));
                QVERIFY(child<QRadioButton>(sheet, "rewardNone")->isChecked());
                QCOMPARE(child<QLineEdit>(sheet, "taskCountEdit")->text(), QString("105"));
                QCOMPARE(child<QLabel>(sheet, "backdropLabel")->text(), QString("see.bmp"));
            }
            if (how == "Abbruch" || how == "OK refused")
                clickButton(sheet, "cancel");
            else if (how == "Esc")
                QTest::keyClick(&sheet, Qt::Key_Escape);
            else
                sheet.close();
            QVERIFY(!sheet.isVisible());
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(readAll(m_settings.path), before);
        QCOMPARE(m_repaints, 0);
    }

    void leftOverChangedRepaintsAndIsCleared_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Abbruch") << false;
        QTest::newRow("OK") << true;
    }
    void leftOverChangedRepaintsAndIsCleared() {
        QFETCH(bool, confirm);
        writeAll(m_settings.path, "[Parameter]\r\nChanged=1\r\n");
        runSheet([&](COptionsSheet& sheet) { clickButton(sheet, confirm ? "ok" : "cancel"); });
        QCOMPARE(m_repaints, 1);
        QCOMPARE(stored("Parameter", "Changed"), QString("0"));
        runSheet([](COptionsSheet& sheet) { clickButton(sheet, "cancel"); });
        QCOMPARE(m_repaints, 1);
    }

    void helpNeverStoresNorCloses() {
        writeAll(m_settings.path, "[Parameter]\r\nBelohnungsart=1\r\n");
        const QByteArray before = readAll(m_settings.path);
        runSheet([&](COptionsSheet& sheet) {
            clickRadio(child<QRadioButton>(sheet, "rewardRandom"));
            for (int page = 0; page < 3; ++page) {
                clickTab(sheet, page);
                clickButton(sheet, "help");
                QVERIFY(sheet.isVisible());
                QCOMPARE(readAll(m_settings.path), before);
            }
            clickTab(sheet, 0);
            clickButton(sheet, "help");
            QVERIFY(sheet.isVisible());
        });
        QCOMPARE(m_host->helps, QList<int>({131180, 131234, 131233, 131180}));
        QCOMPARE(readAll(m_settings.path), before);
    }
};

QTEST_MAIN(TestOptionsSheet)
#include "tst_optionssheet.moc"
