// The progress window as a parent uses it: the grid read cell by cell (as a
// screen reader and the line under the grid tell it), by keyboard alone; the
// CSV file; deleting the history, which asks first; and a record that cannot
// be kept.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "base/clock.h"
#include "common/fakehost.h"
#include "common/filecontents.h"
#include "common/recordrows.h"
#include "common/windowwait.h"
#include "progress/factgridmodel.h"
#include "base/childlist.h"
#include "base/profile.h"
#include "record/learningrecord.h"
#include "progress/progresswindow.h"
#include "record/recordlog.h"

using Record::Answer;
using Record::DrillEnd;
using Record::Operation;

namespace {

template <typename T> T* child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QLatin1String(name));
}

// Clicks the button with this text in the message box that opens next, and
// notes the box's text.
void answerNextMessageBox(const QString& button, QString* text,
                          QDeadlineTimer deadline = QDeadlineTimer(kWindowOpensWithinMs)) {
    QTimer::singleShot(0, qApp, [button, text, deadline] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            GiveUpAfter(deadline, "The message box");
            answerNextMessageBox(button, text, deadline);
            return;
        }
        *text = box->text() + u'\n' + box->informativeText();
        for (QAbstractButton* candidate : box->buttons())
            if (candidate->text().remove(u'&') == button) {
                candidate->click();
                return;
            }
        box->reject();
    });
}

} // namespace

class TestProgressWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CLearningRecord> m_record;
    std::unique_ptr<FakeHost> m_host;

    QString path() const { return m_dir->filePath(QStringLiteral("ollo.sqlite")); }

    // 8 X 7 answered after NOCHMALS, then right; 56 : 7 right; a 13-er drill.
    void writeHistory() {
        m_record->beginDrill(32777, QStringLiteral("7-er Reihe"), Operation::Multiplication, 7, 2);
        m_record->addTask(1, {Operation::Multiplication, 8, 7}, QStringLiteral("8 X 7 = ??"),
                          QStringLiteral("56"));
        m_record->addAnswer(QStringLiteral("54"), Answer::WrongThenAgain, 4000);
        m_record->addAnswer(QStringLiteral("56"), Answer::Right, 2000);
        m_record->addTask(2, {Operation::Multiplication, 8, 7}, QStringLiteral("8 X 7 = ??"),
                          QStringLiteral("56"));
        m_record->addAnswer(QStringLiteral("56"), Answer::Right, 3000);
        m_record->endDrill(DrillEnd::AllDone);
        m_record->beginDrill(32800, QStringLiteral("7-er Reihe"), Operation::Division, 7, 1);
        m_record->addTask(1, {Operation::Division, 8, 7}, QStringLiteral("56 : 7 = ?"), QStringLiteral("8"));
        m_record->addAnswer(QStringLiteral("8"), Answer::Right, 2000);
        m_record->endDrill(DrillEnd::AllDone);
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        const qint64 noon = QDateTime(QDate(2024, 6, 3), QTime(12, 0)).toSecsSinceEpoch();
        Clock::SetSource([noon] { return std::int64_t(noon); });
        m_record = std::make_unique<CLearningRecord>(path());
        QVERIFY(m_record->open());
        m_host = std::make_unique<FakeHost>();
    }
    void cleanup() {
        m_host.reset();
        m_record.reset();
        m_dir.reset();
        Clock::SetSource({});
    }

    // Reached by keyboard alone: Tab to the choice of grid, an arrow to the
    // division grid, Tab into the grid, arrows to the cell. What the cell says, to the eye and to a
    // screen reader, is the fact in that row and column, and a screen reader
    // reads that cell alone, not its row. Tab goes in reading order, the
    // "Kinder" box before the buttons, and in a window too low for the page
    // each stop is scrolled into view.
    void gridByKeyboard_data() {
        QTest::addColumn<bool>("children");
        QTest::addColumn<bool>("division");
        QTest::addColumn<int>("down");
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("details"); // the line under the grid begins so
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<int>("security");
        QTest::newRow("8 X 7, shaky")
            << false << false << 7 << 6
            << QString::fromUtf8("8 × 7 = 56: noch unsicher. 2-mal geübt, davon 1-mal auf Anhieb richtig; "
                                 "zuletzt am 3. Juni 2024.")
            << QString::fromUtf8("8 mal 7 gleich 56, noch unsicher, 2-mal geübt, 1-mal auf Anhieb richtig")
            << int(Security::Shaky);
        QTest::newRow("7 X 8, never asked")
            << false << false << 6 << 7 << QString::fromUtf8("7 × 8 = 56: noch nicht geübt.")
            << QString::fromUtf8("7 mal 8 gleich 56, noch nicht geübt") << int(Security::NeverAsked);
        QTest::newRow("56 : 7, secure")
            << false << true << 7 << 6 << QString::fromUtf8("56 : 7 = 8: sicher. 1-mal geübt")
            << QString::fromUtf8("56 geteilt durch 7 gleich 8, sicher, 1-mal geübt, 1-mal auf Anhieb richtig")
            << int(Security::Secure);
        QTest::newRow("1 X 1, first cell")
            << false << false << 0 << 0 << QString::fromUtf8("1 × 1 = 1: noch nicht geübt.")
            << QString::fromUtf8("1 mal 1 gleich 1, noch nicht geübt") << int(Security::NeverAsked);
        QTest::newRow("2 X 1 with the Kinder box, in a low window")
            << true << false << 1 << 0 << QString::fromUtf8("2 × 1 = 2: noch nicht geübt.")
            << QString::fromUtf8("2 mal 1 gleich 2, noch nicht geübt") << int(Security::NeverAsked);
    }
    void gridByKeyboard() {
        QFETCH(bool, children);
        QFETCH(bool, division);
        QFETCH(int, down);
        QFETCH(int, right);
        QFETCH(QString, details);
        QFETCH(QString, spoken);
        QFETCH(int, security);
        writeHistory();
        qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toLocal8Bit());
        CChildList family(QStringLiteral("ollo"), {});
        if (children) {
            QCOMPARE(family.add(QStringLiteral("Anna")), CChildList::Result::Done);
            QCOMPARE(family.add(QStringLiteral("Ben")), CChildList::Result::Done);
        }
        RecordLog source(*m_record);
        CProgressWindow window(source, m_host.get(), m_host.get(), children ? &family : nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* scroll = child<QScrollArea>(window, "scrollArea");
        if (children) {
            window.resize(window.width(), 300);
            // The list reads the note under it to a screen reader.
            const QString description =
                QAccessible::queryAccessibleInterface(child<QListWidget>(window, "childList"))
                    ->text(QAccessible::Description);
            QVERIFY2(description.contains(QString::fromUtf8("„Kind wechseln...“")), qPrintable(description));
        }
        auto* times = child<QAbstractButton>(window, "timesMode");
        for (int i = 0; i < 10 && QApplication::focusWidget() != times; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), times);
        // One round of Tab over every control, none of which holds on to it.
        QStringList round;
        do {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            round << now->objectName();
            if (scroll->widget()->isAncestorOf(now))
                QVERIFY2(scroll->viewport()->rect().intersects(
                             QRect(now->mapTo(scroll->viewport(), QPoint(0, 0)), now->size())),
                         qPrintable(now->objectName() + QStringLiteral(" is out of view")));
        } while (QApplication::focusWidget() != times && round.size() < 20);
        QCOMPARE(round.join(u' '),
                 QStringLiteral("factGrid seriesTable drillsTable %1csvButton clearButton helpButton "
                                "closeButton timesMode")
                     .arg(children ? QStringLiteral("childList addChildButton renameChildButton "
                                                    "removeChildButton ")
                                   : QString()));
        if (division) {
            QTest::keyClick(times, Qt::Key_Right);
            QVERIFY(child<QAbstractButton>(window, "divideMode")->isChecked());
        }
        auto* grid = child<QTableView>(window, "factGrid");
        for (int i = 0; i < 10 && QApplication::focusWidget() != grid; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid);
        for (int i = 0; i < down; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        for (int i = 0; i < right; ++i)
            QTest::keyClick(grid, Qt::Key_Right);
        const QModelIndex cell = grid->currentIndex();
        QCOMPARE(cell.row(), down);
        QCOMPARE(cell.column(), right);
        QVERIFY2(child<QLabel>(window, "factDetails")->text().startsWith(details),
                 qPrintable(child<QLabel>(window, "factDetails")->text()));
        QCOMPARE(cell.data(Qt::AccessibleTextRole).toString(), spoken);
        // Offered as no table to walk, so a screen reader reads the cell it
        // reaches, not the row; Qt's focus event names the cell so.
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(grid);
        QVERIFY(access->tableInterface() == nullptr);
        QAccessibleInterface* focused = access->child((down + 1) * 11 + right + 1);
        QVERIFY(focused);
        QCOMPARE(focused->text(QAccessible::Name), spoken);
        QCOMPARE(focused->role(), QAccessible::Cell);
        QVERIFY(focused->state().focused);
        QCOMPARE(access->indexOfChild(focused), (down + 1) * 11 + right + 1);
        // Shaky differs from secure by more than its hue: it is hatched.
        const QBrush background = cell.data(Qt::BackgroundRole).value<QBrush>();
        QCOMPARE(background.color(), FactGridModel::ColourOf(Security(security)));
        QCOMPARE(background.style() == Qt::TexturePattern, Security(security) == Security::Shaky);
        QCOMPARE(cell.data(Qt::DisplayRole).toString(), QString::number((down + 1) * (right + 1)));
        // Leaving the grid takes one Tab, and F1 asks for the window's topic.
        QTest::keyClick(grid, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != grid);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(m_host->helps, QList<int>{65536 + 32870});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    // "Verlauf löschen..." asks first; only its own button deletes.
    void clearAsksFirst_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("answers"); // left in the record
        QTest::newRow("kept") << "Behalten"
                              << "4";
        QTest::newRow("closed with Escape") << ""
                                            << "4";
        QTest::newRow("deleted") << "Verlauf löschen"
                                 << "0";
    }
    void clearAsksFirst() {
        QFETCH(QString, answer);
        QFETCH(QString, answers);
        writeHistory();
        RecordLog source(*m_record);
        CProgressWindow window(source, m_host.get(), m_host.get());
        window.show();
        QString asked;
        answerNextMessageBox(answer, &asked);
        QTest::mouseClick(child<QPushButton>(window, "clearButton"), Qt::LeftButton);
        QVERIFY2(asked.contains(QString::fromUtf8("Soll der ganze Lernverlauf gelöscht werden?")),
                 qPrintable(asked));
        QCOMPARE(RecordRows(path(), QStringLiteral("SELECT count(*) FROM answer")), QStringList{answers});
        const bool deleted = answers == u"0";
        QCOMPARE(child<QLabel>(window, "summary")->text().startsWith(QStringLiteral("Noch keine")), deleted);
        QCOMPARE(child<QPushButton>(window, "clearButton")->isEnabled(), !deleted);
        QCOMPARE(window.report().standing(Operation::Multiplication, 8, 7).asked, deleted ? 0 : 2);
    }

    // "Entfernen..." asks first, and only then deletes the child's settings
    // and record; the child whose record the window shows cannot be removed.
    void removeChildAsksFirst_data() {
        QTest::addColumn<QString>("running"); // the record's base name
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("removed");
        QTest::newRow("kept") << "ollo"
                              << "Behalten" << false;
        QTest::newRow("closed with Escape") << "ollo"
                                            << "" << false;
        QTest::newRow("removed") << "ollo"
                                 << "Entfernen" << true;
        QTest::newRow("the running child") << "ollo-ben"
                                           << "-" << false;
    }
    void removeChildAsksFirst() {
        QFETCH(QString, running);
        QFETCH(QString, answer);
        QFETCH(bool, removed);
        qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_dir->filePath(QStringLiteral("data")).toLocal8Bit());
        CChildList children(QStringLiteral("ollo"), {});
        QCOMPARE(children.add(QStringLiteral("Anna")), CChildList::Result::Done);
        QCOMPARE(children.add(QStringLiteral("Ben")), CChildList::Result::Done);
        const QString settings = CProfile::PathFor(QStringLiteral("ollo-ben"));
        writeAll(settings, "[Parameter]\r\n");
        CLearningRecord record(CLearningRecord::PathFor(running));
        QVERIFY(record.open());
        {
            CLearningRecord ben(CLearningRecord::PathFor(QStringLiteral("ollo-ben")));
            QVERIFY(ben.open());
        }
        const QString benRecord = CLearningRecord::PathFor(QStringLiteral("ollo-ben"));
        QVERIFY(QFile::exists(benRecord));

        RecordLog source(record);
        CProgressWindow window(source, m_host.get(), m_host.get(), &children);
        window.show();
        auto* list = child<QListWidget>(window, "childList");
        QVERIFY(list != nullptr);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QVERIFY(list->item(1)->text().startsWith(QStringLiteral("Ben")));
        auto* remove = child<QPushButton>(window, "removeChildButton");
        QCOMPARE(remove->isEnabled(), answer != u"-");
        QString asked;
        if (answer != u"-")
            answerNextMessageBox(answer, &asked);
        QTest::mouseClick(remove, Qt::LeftButton);
        if (answer != u"-")
            QVERIFY2(asked.contains(QString::fromUtf8("Soll „Ben“ entfernt werden?")), qPrintable(asked));
        QCOMPARE(list->count(), removed ? 1 : 2);
        QCOMPARE(CChildList(QStringLiteral("ollo"), {}).find(QStringLiteral("Ben")) == nullptr, removed);
        QCOMPARE(QFile::exists(settings), !removed);
        QCOMPARE(QFile::exists(benRecord), !removed);
    }

    void csvFile_data() {
        QTest::addColumn<QString>("chosen"); // "-": the dialog was declined
        QTest::addColumn<bool>("written");
        QTest::newRow("saved") << "Lernverlauf.csv" << true;
        QTest::newRow("declined") << "-" << false;
        QTest::newRow("folder missing") << "fehlt/Lernverlauf.csv" << false;
    }
    void csvFile() {
        QFETCH(QString, chosen);
        QFETCH(bool, written);
        writeHistory();
        RecordLog source(*m_record);
        CProgressWindow window(source, m_host.get(), m_host.get());
        const QString target = chosen == u"-" ? QString() : m_dir->filePath(chosen);
        QString suggested;
        window.setSaveFileChooser([&](QWidget* owner, const QString& offered) {
            suggested = offered;
            return owner == &window ? target : QString();
        });
        window.show();
        QString warning;
        if (!written && !target.isEmpty())
            answerNextMessageBox(QStringLiteral("OK"), &warning);
        QTest::mouseClick(child<QPushButton>(window, "csvButton"), Qt::LeftButton);
        QVERIFY(suggested.endsWith(QStringLiteral("Lernverlauf-2024-06-03.csv")));
        QCOMPARE(QFile::exists(target), written);
        if (written) {
            const QList<QByteArray> lines = readAll(target).split('\n');
            QCOMPARE(lines.size(), 6); // heading, four answers, and the end of the last line
            QVERIFY(
                lines[1].startsWith("03.06.2024;12:00:00;7-er Reihe (mal);8 X 7;56;54;1;falsch;NOCHMALS;"));
        }
        if (!written && !target.isEmpty())
            QVERIFY2(warning.contains(QString::fromUtf8("konnte nicht gespeichert werden")),
                     qPrintable(warning));
    }

    // A record that cannot be kept says why in the window, which counts as
    // having told the family; what cannot be done is not offered.
    void faultIsSaid() {
        writeHistory();
        m_record.reset();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(path());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 7")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        m_record = std::make_unique<CLearningRecord>(path());
        QVERIFY(!m_record->open());
        RecordLog source(*m_record);
        CProgressWindow window(source, m_host.get(), m_host.get());
        auto* banner = child<QLabel>(window, "faultBanner");
        QVERIFY(!banner->isHidden());
        QVERIFY(banner->text().contains(QStringLiteral("neueren Ollo-Version")));
        QVERIFY(!child<QPushButton>(window, "csvButton")->isEnabled());
        QVERIFY(!child<QPushButton>(window, "clearButton")->isEnabled());
        QVERIFY(m_record->takeNotice().isEmpty());
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
