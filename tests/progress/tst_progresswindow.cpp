// The progress window as a parent uses it: the grid read cell by cell (as a
// screen reader and the line under the grid tell it), by keyboard alone; the
// CSV file; deleting the history, which asks first; and a record that cannot
// be kept.

#include <QAbstractButton>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QValueAxis>
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
#include "common/spreadsheet.h"
#include "common/windowwait.h"
#include "progress/factgridmodel.h"
#include "progress/progresschart.h"
#include "base/childlist.h"
#include "base/profile.h"
#include "record/learningrecord.h"
#include "progress/progresswindow.h"
#include "record/recordlog.h"

using Record::Answer;
using Record::DrillEnd;
using Record::Operation;

namespace {

// 2024-06-03 12:00 local time, a Monday.
qint64 noon() {
    return QDateTime(QDate(2024, 6, 3), QTime(12, 0)).toSecsSinceEpoch();
}

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

// Answers the next message boxes in turn, each with its button.
void answerMessageBoxes(QStringList buttons, QStringList* texts) {
    if (buttons.isEmpty())
        return;
    const QString button = buttons.takeFirst();
    auto* text = new QString;
    answerNextMessageBox(button, text);
    QTimer::singleShot(0, qApp, [buttons, texts, text] {
        // Once the box is answered, the next.
        QTRY_VERIFY(!text->isEmpty());
        *texts << *text;
        delete text;
        answerMessageBoxes(buttons, texts);
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

    // 3 X 7 right on Saturday and on Sunday; on Monday 8 X 7 answered
    // "054" (after 12.5 seconds), NOCHMALS, then right, then right again,
    // 6 X 7 solved with LOESEN, and 56 : 7 right in "Schwierige Aufgaben".
    void writeHistory() {
        for (const int day : {1, 2}) {
            const qint64 morning = QDateTime(QDate(2024, 6, day), QTime(10, 0)).toSecsSinceEpoch();
            Clock::SetSource([morning] { return std::int64_t(morning); });
            m_record->beginDrill(32777, QStringLiteral("7-er Reihe"), Operation::Multiplication, 7, 1);
            m_record->addTask(1, {Operation::Multiplication, 3, 7}, QStringLiteral("3 X 7 = ??"),
                              QStringLiteral("21"));
            m_record->addAnswer(QStringLiteral("21"), Answer::Right, 2000, morning);
            m_record->endDrill(DrillEnd::AllDone);
        }
        Clock::SetSource([] { return std::int64_t(noon()); });
        m_record->beginDrill(32777, QStringLiteral("7-er Reihe"), Operation::Multiplication, 7, 3);
        m_record->addTask(1, {Operation::Multiplication, 8, 7}, QStringLiteral("8 X 7 = ??"),
                          QStringLiteral("56"));
        m_record->addAnswer(QStringLiteral("054"), Answer::WrongThenAgain, 12500, noon());
        m_record->addAnswer(QStringLiteral("56"), Answer::Right, 2000, noon());
        m_record->addTask(2, {Operation::Multiplication, 8, 7}, QStringLiteral("8 X 7 = ??"),
                          QStringLiteral("56"));
        m_record->addAnswer(QStringLiteral("56"), Answer::Right, 3000, noon());
        m_record->addTask(3, {Operation::Multiplication, 6, 7}, QStringLiteral("6 X 7 = ??"),
                          QStringLiteral("42"));
        m_record->addAnswer(QStringLiteral("24"), Answer::WrongThenSolved, 4000, noon());
        m_record->endDrill(DrillEnd::AllDone);
        m_record->beginDrill(32871, QStringLiteral("Schwierige Aufgaben"), Operation::Multiplication, -1, 1);
        m_record->addTask(1, {Operation::Division, 8, 7}, QStringLiteral("56 : 7 = ?"), QStringLiteral("8"));
        m_record->addAnswer(QStringLiteral("8"), Answer::Right, 2000, noon());
        m_record->endDrill(DrillEnd::AllDone);
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        Clock::SetSource([] { return std::int64_t(noon()); });
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
        QTest::newRow("8 X 7, right again after a slip: not yet settled")
            << false << false << 7 << 6
            << QString::fromUtf8("8 × 7 = 56: richtig, noch nicht gefestigt. 2-mal geübt, davon 1-mal auf "
                                 "Anhieb richtig; zuletzt am 3. Juni 2024.")
            << QString::fromUtf8(
                   "8 mal 7 gleich 56, richtig, noch nicht gefestigt, 2-mal geübt, 1-mal auf Anhieb richtig")
            << int(Security::Unsettled);
        QTest::newRow("6 X 7, solved: shaky")
            << false << false << 5 << 6
            << QString::fromUtf8("6 × 7 = 42: noch unsicher. 1-mal geübt, davon 0-mal auf Anhieb richtig")
            << QString::fromUtf8("6 mal 7 gleich 42, noch unsicher, 1-mal geübt, 0-mal auf Anhieb richtig")
            << int(Security::Shaky);
        QTest::newRow("3 X 7, right on two days: secure")
            << false << false << 2 << 6 << QString::fromUtf8("3 × 7 = 21: sicher. 2-mal geübt")
            << QString::fromUtf8("3 mal 7 gleich 21, sicher, 2-mal geübt, 2-mal auf Anhieb richtig")
            << int(Security::Secure);
        QTest::newRow("7 X 8, never asked")
            << false << false << 6 << 7 << QString::fromUtf8("7 × 8 = 56: noch nicht geübt.")
            << QString::fromUtf8("7 mal 8 gleich 56, noch nicht geübt") << int(Security::NeverAsked);
        QTest::newRow("56 : 7, right once: not yet secure")
            << false << true << 7 << 6
            << QString::fromUtf8("56 : 7 = 8: richtig, noch nicht gefestigt. 1-mal geübt")
            << QString::fromUtf8(
                   "56 geteilt durch 7 gleich 8, richtig, noch nicht gefestigt, 1-mal geübt, 1-mal "
                   "auf Anhieb richtig")
            << int(Security::Unsettled);
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
                 QStringLiteral("factGrid seriesTable drillsTable %1exportButton clearButton helpButton "
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
                              << "7";
        QTest::newRow("closed with Escape") << ""
                                            << "7";
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
    // and record; the child whose record the window shows can be removed
    // only as the last, and one whose Ollo runs in another window not at all.
    void removeChildAsksFirst_data() {
        QTest::addColumn<QString>("running"); // the record's base name
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<bool>("alone");     // Ben is the only child
        QTest::addColumn<QString>("warned"); // the message after the question begins so; "": none
        QTest::newRow("kept") << "ollo"
                              << "Behalten" << false << false << "";
        QTest::newRow("closed with Escape") << "ollo"
                                            << "" << false << false << "";
        QTest::newRow("removed") << "ollo"
                                 << "Entfernen" << true << false << "";
        QTest::newRow("the running child") << "ollo-ben"
                                           << "-" << false << false << "";
        QTest::newRow("the running child as the last") << "ollo-ben"
                                                       << "Entfernen" << true << true << "";
        QTest::newRow("open in another window")
            << "ollo-other"
            << "Entfernen" << false << false << QString::fromUtf8("Für „Ben“ ist Ollo gerade");
    }
    void removeChildAsksFirst() {
        QFETCH(QString, running);
        QFETCH(QString, answer);
        QFETCH(bool, removed);
        QFETCH(bool, alone);
        QFETCH(QString, warned);
        qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_dir->filePath(QStringLiteral("data")).toLocal8Bit());
        CChildList children(QStringLiteral("ollo"), {});
        if (!alone)
            QCOMPARE(children.add(QStringLiteral("Anna")), CChildList::Result::Done);
        QCOMPARE(children.add(QStringLiteral("Ben")), CChildList::Result::Done);
        // "ollo-other": another Ollo runs for Ben, in a window of its own.
        if (running == u"ollo-other")
            children.setInUseCheck([](const QString& baseName) { return baseName == u"ollo-ben"; });
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
        const int ben = alone ? 0 : 1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(ben)).center());
        QVERIFY(list->item(ben)->text().startsWith(QStringLiteral("Ben")));
        auto* remove = child<QPushButton>(window, "removeChildButton");
        QCOMPARE(remove->isEnabled(), answer != u"-");
        QStringList asked;
        if (answer != u"-")
            answerMessageBoxes(
                warned.isEmpty() ? QStringList{answer} : QStringList{answer, QStringLiteral("OK")}, &asked);
        QTest::mouseClick(remove, Qt::LeftButton);
        if (answer != u"-") {
            QTRY_COMPARE(asked.size(), warned.isEmpty() ? 1 : 2);
            QVERIFY2(asked[0].contains(QString::fromUtf8("Soll „Ben“ entfernt werden?")),
                     qPrintable(asked[0]));
            if (!warned.isEmpty())
                QVERIFY2(asked[1].startsWith(warned), qPrintable(asked[1]));
        }
        QCOMPARE(list->count(), (alone ? 1 : 2) - (removed ? 1 : 0));
        // Without children the family's own files are what counts again.
        QCOMPARE(QFile::exists(CChildList::PathFor(QStringLiteral("ollo"))), !(alone && removed));
        QCOMPARE(CChildList(QStringLiteral("ollo"), {}).find(QStringLiteral("Ben")) == nullptr, removed);
        QCOMPARE(QFile::exists(settings), !removed);
        QCOMPARE(QFile::exists(benRecord), !removed);
    }

    // The chart of the last four weeks: the week so far in its title (tasks,
    // minutes, share right at the first try), every Monday named, this
    // week's too, and "heute" where there is room; the share's line broken at
    // a day without practice; a 100 % point inside the plot; the numbers on
    // this week's bars.
    void weekChart_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("practised"); // "day tasks/right/seconds", days before today
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("labels"); // the last two under the bars
        QTest::addColumn<int>("pieces");     // of the share's line
        QTest::newRow("Wednesday, a day off between")
            << QDate(2024, 6, 5) << "2 10/10/600, 0 5/4/310"
            << QString::fromUtf8("Diese Woche: 15 Aufgaben in 15 Minuten, 93 % auf Anhieb richtig.")
            << QString::fromUtf8("Mo. 27.5. Mo. 3.6.") << 2;
        QTest::newRow("today a Monday")
            << QDate(2024, 6, 3) << "1 2/1/60, 0 3/3/20"
            << QString::fromUtf8("Diese Woche: 3 Aufgaben in 1 Minute, 100 % auf Anhieb richtig.")
            << QString::fromUtf8("Mo. 27.5. heute (Mo)") << 1;
        QTest::newRow("not yet this week")
            << QDate(2024, 6, 9) << "9 4/2/120" << QString::fromUtf8("Diese Woche noch nicht geübt.")
            << QString::fromUtf8("Mo. 3.6. heute") << 1;
    }
    void weekChart() {
        QFETCH(QDate, today);
        QFETCH(QString, practised);
        QFETCH(QString, title);
        QFETCH(QString, labels);
        QFETCH(int, pieces);
        std::vector<DayCount> days;
        for (int back = ProgressReport::ChartDays - 1; back >= 0; --back)
            days.push_back({today.addDays(-back), 0, 0, 0});
        int shownValues = 0;
        for (const QString& entry : practised.split(QStringLiteral(", "))) {
            const QStringList parts = entry.split(u' ');
            const QStringList figures = parts[1].split(u'/');
            DayCount& day = days[days.size() - 1 - size_t(parts[0].toInt())];
            day.tasks = figures[0].toInt();
            day.rightFirst = figures[1].toInt();
            day.seconds = figures[2].toInt();
            // This week's bars carry their numbers.
            if (day.day >= today.addDays(1 - today.dayOfWeek()))
                ++shownValues;
        }
        ProgressChart chart;
        chart.resize(chart.sizeHint());
        chart.setDays(days);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QCOMPARE(chart.chart()->title(), title);
        QVERIFY(chart.accessibleDescription().startsWith(title));
        auto* dayAxis = qobject_cast<QCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(dayAxis != nullptr);
        QCOMPARE(QStringList(dayAxis->categoriesLabels().mid(dayAxis->count() - 2)).join(u' '), labels);
        QCOMPARE(int(chart.chart()->series().size()) - 1, pieces);
        for (QAbstractAxis* axis : chart.chart()->axes(Qt::Vertical))
            if (axis->alignment() == Qt::AlignRight)
                QVERIFY(qobject_cast<QValueAxis*>(axis)->max() > 100);
        QStringList values;
        for (QGraphicsItem* item : chart.chart()->childItems())
            if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item))
                values << text->text();
        QCOMPARE(values.size(), shownValues);
        QCOMPARE(ProgressChart::DayText(days.back()).section(u':', 1).trimmed().isEmpty(), false);
    }

    // "Als Tabelle speichern..." offers a file named after the child in the
    // documents folder (the home folder where there is none) and writes a
    // workbook that a German spreadsheet program (Gnumeric, under
    // de_DE.UTF-8) opens in columns, each cell of its own type.
    void exportFile_data() {
        QTest::addColumn<QString>("name");   // the child's; "": the family, no children set up
        QTest::addColumn<bool>("documents"); // ~/Dokumente exists
        QTest::addColumn<QString>("chosen"); // "-": the dialog was declined
        QTest::addColumn<QString>("suggested");
        QTest::addColumn<bool>("written");
        QTest::newRow("saved") << "" << true << "Lernverlauf.xlsx"
                               << "Dokumente/Lernverlauf-2024-06-03.xlsx" << true;
        QTest::newRow("saved for a child, no documents folder")
            << QString::fromUtf8("Jörg") << false << "Jörg.xlsx"
            << QString::fromUtf8("Lernverlauf-Jörg-2024-06-03.xlsx") << true;
        QTest::newRow("declined") << "" << true << "-"
                                  << "Dokumente/Lernverlauf-2024-06-03.xlsx" << false;
        QTest::newRow("folder missing") << "" << true << "fehlt/Lernverlauf.xlsx"
                                        << "Dokumente/Lernverlauf-2024-06-03.xlsx" << false;
    }
    void exportFile() {
        QFETCH(QString, name);
        QFETCH(bool, documents);
        QFETCH(QString, chosen);
        QFETCH(QString, suggested);
        QFETCH(bool, written);
        const QString home = m_dir->filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toLocal8Bit());
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("config"))));
        writeAll(m_dir->filePath(QStringLiteral("config/user-dirs.dirs")),
                 "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
        if (documents)
            QVERIFY(QDir().mkpath(home + QStringLiteral("/Dokumente")));
        // The record shown is the child's, when there is one.
        CChildList family(QStringLiteral("ollo"), {});
        if (!name.isEmpty()) {
            QCOMPARE(family.add(name), CChildList::Result::Done);
            m_record = std::make_unique<CLearningRecord>(
                m_dir->filePath(family.children().front().baseName + QStringLiteral(".sqlite")));
            QVERIFY(m_record->open());
        }
        writeHistory();
        RecordLog source(*m_record);
        CProgressWindow window(source, m_host.get(), m_host.get(), name.isEmpty() ? nullptr : &family);
        const QString target = chosen == u"-" ? QString() : m_dir->filePath(chosen);
        QString offered;
        window.setSaveFileChooser([&](QWidget* owner, const QString& suggestion) {
            offered = suggestion;
            return owner == &window ? target : QString();
        });
        window.show();
        QString warning;
        if (!written && !target.isEmpty())
            answerNextMessageBox(QStringLiteral("OK"), &warning);
        QTest::mouseClick(child<QPushButton>(window, "exportButton"), Qt::LeftButton);
        QCOMPARE(QDir(home).relativeFilePath(offered), suggested);
        QCOMPARE(QFile::exists(target), written);
        if (!written && !target.isEmpty())
            QVERIFY2(warning.contains(QString::fromUtf8("konnte nicht gespeichert werden")),
                     qPrintable(warning));
        if (!written)
            return;

        QString error;
        const QHash<QString, SpreadsheetCell> cells = ReadSpreadsheet(target, &error);
        QVERIFY2(!cells.isEmpty(), qPrintable(error));
        const auto row = [&cells](int line) {
            QStringList shown;
            for (int column = 0; column < 12; ++column) {
                const SpreadsheetCell cell = cells.value(QStringLiteral("%1,%2").arg(line).arg(column));
                shown << (cell.shown.isEmpty() ? QStringLiteral("-") : cell.type + u' ' + cell.shown);
            }
            return shown.join(QStringLiteral(" | "));
        };
        QCOMPARE(row(0),
                 QString::fromUtf8("text Datum | text Uhrzeit | text Kind | text Übung | text Reihe | "
                                   "text Aufgabe | text Richtige Antwort | text Eingabe | text Versuch | "
                                   "text Bewertung | text Danach | text Sekunden"));
        const QString named = name.isEmpty() ? QStringLiteral("-") : QStringLiteral("text ") + name;
        // The wrong "054" of Monday: its comma, its word and its leading zero kept.
        QCOMPARE(row(3),
                 QString::fromUtf8("number 03.06.2024 | number 12:00:00 | %1 | number 3 | text 7-er Reihe "
                                   "(mal) | text 8 X 7 | number 56 | text 054 | number 1 | text falsch | "
                                   "text NOCHMALS | number 12,5")
                     .arg(named));
        QCOMPARE(row(7), QString::fromUtf8(
                             "number 03.06.2024 | number 12:00:00 | %1 | number 4 | text Schwierige "
                             "Aufgaben | text 56 : 7 | number 8 | text 8 | number 1 | text richtig | - | "
                             "number 2,0")
                             .arg(named));
        QVERIFY(row(1).startsWith(QStringLiteral("number 01.06.2024 | number 10:00:00 | ")));
        QCOMPARE(row(8), QStringList(12, QStringLiteral("-")).join(QStringLiteral(" | ")));
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
        QVERIFY(!child<QPushButton>(window, "exportButton")->isEnabled());
        QVERIFY(!child<QPushButton>(window, "clearButton")->isEnabled());
        QVERIFY(m_record->takeNotice().isEmpty());
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
