#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "base/profile.h"
#include "common/fakehost.h"
#include "common/filecontents.h"
#include "common/settingsfolder.h"
#include "settings/fontchooser.h"

namespace {

template <typename T> T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QStringList entries(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

void clickEntry(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    list->scrollToItem(items.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.front()).center());
}

// A check box reacts only to clicks on its box and its text.
void clickCheckBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// The sample's lines are as high as the size chosen, as in the drill (to a
// pixel or two: font sizes come in whole pixels).
bool linesAsHighAs(const QLabel* sample, int size) {
    const int line = QFontMetrics(sample->font()).height();
    if (qAbs(line - size) <= 2)
        return true;
    qWarning("sample lines are %d pixels high, not %d", line, size);
    return false;
}

QString installedFamily() {
    const QStringList families = QFontDatabase::families();
    return families.contains("DejaVu Sans") ? QStringLiteral("DejaVu Sans") : families.value(0);
}

// Answers the chooser by playing the user on it; the result is what the
// user's last button (or done()) left, Rejected when nothing closed it.
FontChooserAnswer answerBy(std::function<void(CFontChooser&)> act) {
    return [act = std::move(act)](CFontChooser& chooser) {
        act(chooser);
        return chooser.result();
    };
}

} // namespace

class TestFontChooser : public QObject {
    Q_OBJECT

private:
    SettingsFolder m_settings;
    std::unique_ptr<CProfile> m_profile;
    FontChooserAnswer m_answer;

private Q_SLOTS:
    void init() {
        m_settings.enter();
        m_profile = std::make_unique<CProfile>(m_settings.path);
    }
    void cleanup() {
        m_answer = {};
        m_profile.reset();
        m_settings.leave();
    }

    void sizesOfferedPerStyle_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<int>("smallest");
        QTest::addColumn<int>("largest");
        QTest::newRow("BigFont") << "BigFont" << 30 << 60;
        QTest::newRow("SmallFont") << "SmallFont" << 20 << 30;
    }
    void sizesOfferedPerStyle() {
        QFETCH(QString, section);
        QFETCH(int, smallest);
        QFETCH(int, largest);
        const TextStyleSection style = section == "BigFont" ? BigFontSection() : SmallFontSection();
        QCOMPARE(style.defaultHeight, smallest);
        QCOMPARE(style.largestSize, largest);
        QStringList expected;
        for (int size = smallest; size <= largest; ++size)
            expected << QString::number(size);

        m_answer = answerBy([&](CFontChooser& chooser) {
            chooser.show();
            auto* sizes = child<QListWidget>(chooser, "sizeList");
            QCOMPARE(entries(sizes), expected);
            // No size is selected, also not after the list took the focus.
            sizes->setFocus(Qt::TabFocusReason);
            QVERIFY(sizes->selectedItems().isEmpty());
            QVERIFY(!chooser.SizeChosen());
            // Without a stored height the style starts from the smallest size.
            QCOMPARE(chooser.Chosen().height, smallest);
        });
        QVERIFY(!ChooseTextStyle(*m_profile, style.section, style.defaultHeight, style.largestSize, nullptr,
                                 m_answer));
    }

    void firstUseStartsOnArialInBlack() {
        m_answer = answerBy([](CFontChooser& chooser) {
            auto* families = child<QListWidget>(chooser, "familyList");
            // Listed where its metric twin stands in, else under its stored name.
            QCOMPARE(families->currentItem()->text(), QString("Arial"));
            QCOMPARE(child<QListWidget>(chooser, "styleList")->currentItem()->text(), QString("Standard"));
            QVERIFY(!child<QCheckBox>(chooser, "underlineBox")->isChecked());
            QVERIFY(!child<QCheckBox>(chooser, "strikeOutBox")->isChecked());
            QCOMPARE(child<QComboBox>(chooser, "colourBox")->currentText(), QString("Schwarz"));
            QCOMPARE(child<QLabel>(chooser, "sample")->font().family(), QString("Arial"));
            QVERIFY(linesAsHighAs(child<QLabel>(chooser, "sample"), 30));
        });
        ChooseTextStyle(*m_profile, "BigFont", 30, 60, nullptr, m_answer);
        QVERIFY(!QFile::exists(m_settings.path));
    }

    // Each family once, under its plain name, without symbol and dingbat
    // faces nor the desktop's generic names beside the faces they stand
    // for; "Arial" where its metric twin stands in for it.
    void familyListAsParentsKnowIt() {
        CFontChooser chooser(TextStyle{}, 30, 60);
        const QStringList families = entries(child<QListWidget>(chooser, "familyList"));
        QVERIFY(families.size() > 1);
        QStringList seen;
        for (const QString& family : families) {
            QVERIFY2(!family.contains(u'['), qPrintable(family));
            for (const char* alias : {"Monospace", "Sans Serif", "Serif"})
                QVERIFY2(family != QLatin1String(alias), alias);
            QVERIFY2(!seen.contains(family, Qt::CaseInsensitive), qPrintable(family));
            seen << family;
            QVERIFY2(!QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol),
                     qPrintable(family));
        }
        if (QFontInfo(QFont("Arial")).family().startsWith("Liberation Sans"))
            QVERIFY(families.contains("Arial"));
    }

    void firstWriteKeepsTheKeyOrder() {
        const QString family = installedFamily();
        m_answer = answerBy([&](CFontChooser& chooser) {
            chooser.show();
            clickEntry(child<QListWidget>(chooser, "familyList"), family);
            clickEntry(child<QListWidget>(chooser, "styleList"), "Fett");
            clickEntry(child<QListWidget>(chooser, "sizeList"), "36");
            clickCheckBox(child<QCheckBox>(chooser, "underlineBox"));
            auto* colours = child<QComboBox>(chooser, "colourBox");
            colours->setFocus();
            QTest::keyClick(colours, Qt::Key_Home);
            for (int i = 0; i < colours->findText("Rot"); ++i)
                QTest::keyClick(colours, Qt::Key_Down);
            QCOMPARE(colours->currentText(), QString("Rot"));
            // The sample shows the choice as the drill will draw it.
            const QLabel* sample = child<QLabel>(chooser, "sample");
            QVERIFY(linesAsHighAs(sample, 36));
            QVERIFY(sample->font().bold());
            QVERIFY(sample->font().underline());
            QCOMPARE(sample->palette().color(QPalette::WindowText), QColor(255, 0, 0));
            QTest::mouseClick(child<QPushButton>(chooser, "okButton"), Qt::LeftButton);
        });
        QVERIFY(ChooseTextStyle(*m_profile, "BigFont", 30, 60, nullptr, m_answer));
        QCOMPARE(readAll(m_settings.path),
                 "[BigFont]\r\nRot=255\r\nGruen=0\r\nBlau=0\r\nUnderline=1\r\nItalic=0\r\nStrikeOut=0\r\n"
                 "FontHeight=36\r\nFontWidth=0\r\nFontWeight=700\r\nName=" +
                     family.toUtf8() + "\r\n");
    }

    void noSizeChosenKeepsTheStoredHeight_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("height");
        QTest::newRow("missing stays missing") << QByteArray("[SmallFont]\r\nName=Alt\r\n") << "<missing>";
        QTest::newRow("stored beyond the offered sizes")
            << QByteArray("[SmallFont]\r\nFontHeight=44\r\n") << "44";
        QTest::newRow("stored empty") << QByteArray("[SmallFont]\r\nFontHeight=\r\n") << "";
    }
    void noSizeChosenKeepsTheStoredHeight() {
        QFETCH(QByteArray, file);
        writeAll(m_settings.path, file);
        m_answer = answerBy([](CFontChooser& chooser) {
            chooser.SelectStyle(false, true);
            chooser.accept();
        });
        QVERIFY(ChooseTextStyle(*m_profile, "SmallFont", 20, 30, nullptr, m_answer));
        QTEST(m_profile->GetText("SmallFont", "FontHeight", "<missing>"), "height");
        QCOMPARE(m_profile->GetInt("SmallFont", "Italic", -1), 1);
    }

    void storedStyleRoundTrips() {
        // A face that is not installed, bold italic, strike-out and a colour
        // outside the sixteen (red 300 counts with its low 8 bits: 44).
        const QByteArray file =
            "[BigFont]\r\nRot=300\r\nGruen=0\r\nBlau=255\r\nFontHeight=40\r\nFontWidth=9\r\n"
            "FontWeight=700\r\nItalic=1\r\nUnderline=0\r\nStrikeOut=1\r\nName=Zauberschrift\r\n";
        writeAll(m_settings.path, file);
        m_answer = answerBy([](CFontChooser& chooser) {
            QCOMPARE(child<QListWidget>(chooser, "familyList")->currentItem()->text(),
                     QString("Zauberschrift"));
            QCOMPARE(child<QListWidget>(chooser, "styleList")->currentItem()->text(), QString("Fett Kursiv"));
            QVERIFY(child<QCheckBox>(chooser, "strikeOutBox")->isChecked());
            QCOMPARE(child<QComboBox>(chooser, "colourBox")->currentText(), QString("Eigene (44, 0, 255)"));
            QVERIFY(linesAsHighAs(child<QLabel>(chooser, "sample"), 40));
            chooser.accept();
        });
        ChooseTextStyle(*m_profile, "BigFont", 30, 60, nullptr, m_answer);
        const CProfile& p = *m_profile;
        QCOMPARE(p.GetText("BigFont", "Name"), QString("Zauberschrift"));
        QCOMPARE(p.GetText("BigFont", "Rot"), QString("44"));
        QCOMPARE(p.GetText("BigFont", "Blau"), QString("255"));
        QCOMPARE(p.GetText("BigFont", "FontHeight"), QString("40"));
        QCOMPARE(p.GetText("BigFont", "FontWidth"), QString("9"));
        QCOMPARE(p.GetText("BigFont", "FontWeight"), QString("700"));
        QCOMPARE(p.GetText("BigFont", "Italic"), QString("1"));
        QCOMPARE(p.GetText("BigFont", "StrikeOut"), QString("1"));
    }

    // The modal run itself, answered through its buttons.
    void buttonsOfTheModalRun_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("written");
        QTest::newRow("Abbruch writes nothing") << "cancelButton" << false << false;
        QTest::newRow("OK writes") << "okButton" << false << true;
        // Said once; the choice stays on screen until Abbruch.
        QTest::newRow("OK refused by a read-only file") << "okButton" << true << false;
    }
    void buttonsOfTheModalRun() {
        QFETCH(QString, button);
        QFETCH(bool, readOnly);
        QFETCH(bool, written);
        FakeHost host;
        const QByteArray before = "[SmallFont]\r\nRot=1\r\nFontHeight=22\r\n";
        writeAll(m_settings.path, before);
        QTimer::singleShot(0, this, [&] {
            auto* chooser = qobject_cast<CFontChooser*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            clickEntry(child<QListWidget>(*chooser, "sizeList"), "25");
            clickCheckBox(child<QCheckBox>(*chooser, "strikeOutBox"));
            if (readOnly) {
                QFile::setPermissions(m_settings.path, QFile::ReadOwner);
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not write the settings file"));
            }
            QTest::mouseClick(child<QPushButton>(*chooser, button.toLatin1().constData()), Qt::LeftButton);
            QCOMPARE(chooser->isVisible(), readOnly);
            QCOMPARE(host.notStored.size(), readOnly ? 1 : 0);
            if (readOnly) {
                QVERIFY(child<QCheckBox>(*chooser, "strikeOutBox")->isChecked());
                QCOMPARE(child<QListWidget>(*chooser, "sizeList")->currentItem()->text(), QString("25"));
            }
            if (chooser->isVisible())
                chooser->reject();
        });
        QCOMPARE(ChooseTextStyle(*m_profile, "SmallFont", 20, 30, &host, m_answer), written);
        if (written) {
            QCOMPARE(m_profile->GetText("SmallFont", "FontHeight"), QString("25"));
            QCOMPARE(m_profile->GetText("SmallFont", "StrikeOut"), QString("1"));
        } else {
            QCOMPARE(readAll(m_settings.path), before);
        }
    }

    void otherColourAsksTheColourDialog_data() {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("chosen") << true << "Eigene (1, 2, 3)" << QColor(1, 2, 3);
        QTest::newRow("a standard colour picks its entry") << true << "Gelb" << QColor(255, 255, 0);
        QTest::newRow("cancelled") << false << "Marineblau" << QColor(0, 0, 128);
    }
    void otherColourAsksTheColourDialog() {
        QFETCH(bool, confirm);
        QFETCH(QString, shown);
        QFETCH(QColor, colour);
        TextStyle start;
        start.blue = 128;
        CFontChooser chooser(start, 20, 30);
        chooser.show();
        auto* colours = child<QComboBox>(chooser, "colourBox");
        QCOMPARE(colours->currentText(), QString("Marineblau"));
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->currentColor(), QColor(0, 0, 128));
            // The dialog speaks German.
            const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
            QVERIFY(std::any_of(buttons.cbegin(), buttons.cend(),
                                [](const QPushButton* b) { return b->text() == "Abbruch"; }));
            dialog->setCurrentColor(colour);
            if (confirm)
                dialog->accept();
            else
                dialog->reject();
        });
        colours->setFocus();
        QTest::keyClick(colours, Qt::Key_End); // "Andere…"
        QCOMPARE(colours->currentText(), shown);
        const TextStyle chosen = chooser.Chosen();
        QCOMPARE(QColor(chosen.red, chosen.green, chosen.blue), confirm ? colour : QColor(0, 0, 128));
        QCOMPARE(child<QLabel>(chooser, "sample")->palette().color(QPalette::WindowText),
                 QColor(chosen.red, chosen.green, chosen.blue));
    }
};

QTEST_MAIN(TestFontChooser)
#include "tst_fontchooser.moc"
