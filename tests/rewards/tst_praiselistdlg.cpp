#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <memory>

#include "base/profile.h"
#include "common/fakehost.h"
#include "rewards/praiselistdlg.h"

namespace {

const QString kSection = QStringLiteral("Lobe");

QStringList lines(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

int selectedRow(QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

} // namespace

class TestPraiseListDlg : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_profile = std::make_unique<CProfile>(m_dir->filePath(QStringLiteral("OLLO.INI")));
        m_host = std::make_unique<FakeHost>();
    }
    void cleanup() {
        m_host.reset();
        m_profile.reset();
        m_dir.reset();
    }

    void opensSorted_data() {
        QTest::addColumn<QStringList>("stored"); // Lob1, Lob2, ...
        QTest::addColumn<QString>("count");      // Anzahl; empty: the number stored
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("none") << QStringList() << QString() << QStringList();
        QTest::newRow("case does not count") << QStringList{"zebra", "Apfel", "banane", "Birne"} << QString()
                                             << QStringList{"Apfel", "banane", "Birne", "zebra"};
        QTest::newRow("umlauts among their letters")
            << QString::fromUtf8("Zucker|Über toll|ärgerlich gut|Apfel|Ufer").split(u'|') << QString()
            << QString::fromUtf8("Apfel|ärgerlich gut|Über toll|Ufer|Zucker").split(u'|');
        QTest::newRow("empty phrase and duplicates")
            << QStringList{"Super", "", "super", "Super"} << QString()
            << QStringList{"", "Super", "super", "Super"};
        // Bounded by the section's 4 lines, not run to 1215752191.
        QTest::newRow("count far beyond the file")
            << QStringList{"Toll", "Prima"} << "99999999999" << QStringList{"", "alt", "Prima", "Toll"};
    }
    void opensSorted() {
        QFETCH(QStringList, stored);
        QFETCH(QString, count);
        QFETCH(QStringList, shown);
        for (int i = 0; i < stored.size(); ++i)
            m_profile->WriteText(kSection, QStringLiteral("Lob%1").arg(i + 1), stored[i]);
        if (!stored.isEmpty())
            m_profile->WriteText(kSection, QStringLiteral("Anzahl"),
                                 count.isEmpty() ? QString::number(stored.size()) : count);
        // A phrase beyond the count is not shown.
        m_profile->WriteText(kSection, QStringLiteral("Lob%1").arg(stored.size() + 1), QStringLiteral("alt"));

        CPraiseListDlg dialog(*m_profile, m_host.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Eigene Lobe eingeben"));
        QStringList got = lines(list(dialog));
        // Phrases equal but for case may stand in either order.
        QCOMPARE(got.size(), shown.size());
        for (int i = 0; i < got.size(); ++i)
            QVERIFY2(got[i].compare(shown[i], Qt::CaseInsensitive) == 0, qPrintable(got.join(u'|')));
    }

    void edits_data() {
        QTest::addColumn<QStringList>("stored");
        // Steps: "+text" types text and adds it, "-row" selects a row and
        // deletes it, "-" deletes without a selection.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("selected"); // after the last step

        const QStringList two = {"Prima", "Toll"};
        QTest::newRow("add at the top selects the bottom line")
            << two << QStringList{"+Super"} << QStringList{"Prima", "Super", "Toll"} << 2;
        QTest::newRow("add sorting first")
            << two << QStringList{"+Aha"} << QStringList{"Aha", "Prima", "Toll"} << 2;
        QTest::newRow("add empty") << two << QStringList{"+"} << QStringList{"", "Prima", "Toll"} << 2;
        QTest::newRow("add duplicate")
            << two << QStringList{"+Toll"} << QStringList{"Prima", "Toll", "Toll"} << 2;
        QTest::newRow("delete the selected line") << two << QStringList{"-0"} << QStringList{"Toll"} << -1;
        QTest::newRow("delete without selection") << two << QStringList{"-"} << two << -1;
        QTest::newRow("delete everything") << two << QStringList{"-0", "-0", "-"} << QStringList() << -1;
        QTest::newRow("add after delete")
            << two << QStringList{"-1", "+Wow"} << QStringList{"Prima", "Wow"} << 1;
    }
    void edits() {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, shown);
        QFETCH(int, selected);
        store(stored);

        CPraiseListDlg dialog(*m_profile, m_host.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const QString& step : steps)
            apply(dialog, step);
        QCOMPARE(lines(list(dialog)), shown);
        QCOMPARE(selectedRow(list(dialog)), selected);
        QVERIFY(edit(dialog)->text().isEmpty() || steps.last().startsWith(u'-'));
    }

    // What OK writes, key by key; cancelling ways write nothing.
    void leaving_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("expected"); // key=value lines of [Lobe] after leaving

        const QStringList before = {"Anzahl=2", "Lob1=Toll", "Lob2=Prima"};
        QTest::newRow("OK writes in list order")
            << QStringList{"+Aha"} << "ok" << QStringList{"Anzahl=3", "Lob1=Aha", "Lob2=Prima", "Lob3=Toll"};
        QTest::newRow("OK after deleting all keeps old phrases")
            << QStringList{"-0", "-0"} << "ok" << QStringList{"Anzahl=0", "Lob1=Toll", "Lob2=Prima"};
        QTest::newRow("OK with umlauts and euro")
            << QStringList{QString::fromUtf8("+Spaß für 1 €")} << "ok"
            << QStringList{"Anzahl=3", "Lob1=Prima", QString::fromUtf8("Lob2=Spaß für 1 €"), "Lob3=Toll"};
        QTest::newRow("enter in the field saves, unadded text lost")
            << QStringList{"-1", "=Neu"} << "enter" << QStringList{"Anzahl=1", "Lob1=Prima", "Lob2=Prima"};
        QTest::newRow("Abbruch") << QStringList{"+Aha", "-0"} << "cancel" << before;
        QTest::newRow("escape") << QStringList{"+Aha"} << "escape" << before;
        QTest::newRow("close box") << QStringList{"-0"} << "close" << before;
        QTest::newRow("OK refused by a read-only file, then Abbruch")
            << QStringList{"+Aha"} << "refused" << before;
    }
    void leaving() {
        QFETCH(QStringList, steps);
        QFETCH(QString, how);
        QFETCH(QStringList, expected);
        store({QStringLiteral("Toll"), QStringLiteral("Prima")});

        CPraiseListDlg dialog(*m_profile, m_host.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.focusWidget(), button(dialog, "okButton"));
        // Tab runs down the button column, then to the list and the new phrase.
        for (const char* next :
             {"addButton", "deleteButton", "cancelButton", "helpButton", "list", "phraseEdit", "okButton"}) {
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
            QCOMPARE(dialog.focusWidget()->objectName(), QLatin1String(next));
        }
        for (const QString& step : steps)
            apply(dialog, step);
        if (how == u"ok")
            QTest::mouseClick(button(dialog, "okButton"), Qt::LeftButton);
        else if (how == u"enter")
            QTest::keyClick(edit(dialog), Qt::Key_Return);
        else if (how == u"cancel")
            QTest::mouseClick(button(dialog, "cancelButton"), Qt::LeftButton);
        else if (how == u"escape")
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
        else if (how == u"refused") {
            QFile::setPermissions(m_profile->filePath(), QFile::ReadOwner);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not write the settings file"));
            QTest::mouseClick(button(dialog, "okButton"), Qt::LeftButton);
            QVERIFY(dialog.isVisible());
            QCOMPARE(m_host->notStored.size(), 1);
            QVERIFY(m_host->notStored[0].contains(QString::fromUtf8("schreibgeschützt")));
            QCOMPARE(lines(list(dialog)), (QStringList{"Aha", "Prima", "Toll"}));
            QTest::mouseClick(button(dialog, "cancelButton"), Qt::LeftButton);
        } else
            dialog.windowHandle()->close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), how == u"ok" || how == u"enter" ? 1 : 2);
        QStringList got;
        for (const char* key : {"Anzahl", "Lob1", "Lob2", "Lob3", "Lob4"})
            if (const QString v = m_profile->GetText(kSection, QLatin1String(key), QStringLiteral("\x01"));
                v != u"\x01")
                got << QLatin1String(key) + u'=' + v;
        QCOMPARE(got, expected);
    }

    void phraseField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        const QString forty = QStringLiteral("0123456789").repeated(4);
        QTest::newRow("34 characters at most") << forty << forty.left(34);
        QTest::newRow("German letters")
            << QString::fromUtf8("Äußerst schön, Öl über €") << QString::fromUtf8("Äußerst schön, Öl über €");
        QTest::newRow("Greek refused") << QString::fromUtf8("Gut Ω!") << "Gut !";
        QTest::newRow("emoji refused") << QString::fromUtf8("Top 👍") << "Top ";
    }
    void phraseField() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        CPraiseListDlg dialog(*m_profile, m_host.get());
        dialog.show();
        QLineEdit* field = edit(dialog);
        for (const QString& part : splitChars(typed))
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, part, Qt::NoModifier);
        QCOMPARE(field->text(), kept);
        // Pasted text the settings cannot hold is refused whole.
        field->clear();
        field->insert(QString::fromUtf8("ok Ω"));
        QCOMPARE(field->text(), QString());
    }

    void helpButton() {
        CPraiseListDlg dialog(*m_profile, m_host.get());
        dialog.show();
        QTest::mouseClick(button(dialog, "helpButton"), Qt::LeftButton);
        QCOMPARE(m_host->helps, QList<int>{131176});
        QVERIFY(dialog.isVisible());
    }

private:
    static QStringList splitChars(const QString& text) {
        QStringList out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
            out << text.mid(i, n);
            i += n - 1;
        }
        return out;
    }
    void store(const QStringList& phrases) {
        for (int i = 0; i < phrases.size(); ++i)
            m_profile->WriteText(kSection, QStringLiteral("Lob%1").arg(i + 1), phrases[i]);
        m_profile->WriteInt(kSection, QStringLiteral("Anzahl"), int(phrases.size()));
    }
    // "+text": type and add; "=text": only type; "-row": select and delete;
    // "-": delete.
    void apply(CPraiseListDlg& dialog, const QString& step) {
        if (step.startsWith(u'+') || step.startsWith(u'=')) {
            QTest::mouseClick(edit(dialog), Qt::LeftButton);
            for (const QString& part : splitChars(step.mid(1)))
                QTest::sendKeyEvent(QTest::Click, edit(dialog), Qt::Key_unknown, part, Qt::NoModifier);
            QCOMPARE(edit(dialog)->text(), step.mid(1));
            if (step.startsWith(u'+')) {
                QTest::mouseClick(button(dialog, "addButton"), Qt::LeftButton);
                QVERIFY(edit(dialog)->text().isEmpty());
            }
            return;
        }
        if (step.size() > 1) {
            QListWidget* l = list(dialog);
            const int row = step.mid(1).toInt();
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
            QCOMPARE(selectedRow(l), row);
        }
        QTest::mouseClick(button(dialog, "deleteButton"), Qt::LeftButton);
        QCOMPARE(selectedRow(list(dialog)), -1);
    }
    static QListWidget* list(QDialog& d) { return d.findChild<QListWidget*>(QStringLiteral("list")); }
    static QLineEdit* edit(QDialog& d) { return d.findChild<QLineEdit*>(QStringLiteral("phraseEdit")); }
    static QPushButton* button(QDialog& d, const char* name) {
        return d.findChild<QPushButton*>(QLatin1String(name));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProfile> m_profile;
    std::unique_ptr<FakeHost> m_host;
};

QTEST_MAIN(TestPraiseListDlg)
#include "tst_praiselistdlg.moc"
