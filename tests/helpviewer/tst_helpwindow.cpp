#include <QApplication>
#include <QDialog>
#include <QHelpIndexWidget>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTest>
#include <QTimer>

#include <iterator>
#include <memory>

#include "base/profile.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "shell/commandtable.h"
#include "helpviewer/helpbrowser.h"
#include "helpviewer/helpwindow.h"
#include "shell/mainframe.h"

namespace {

struct MessageSeen {
    QString title;
    QString text;
};

// Answers the next message box and tells what it said.
void answerMessageBox(MessageSeen* seen) {
    QTimer::singleShot(0, qApp, [seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            answerMessageBox(seen);
            return;
        }
        seen->title = box->windowTitle();
        seen->text = box->text();
        box->accept();
    });
}

} // namespace

class TestHelpWindow : public QObject {
    Q_OBJECT

private:
    // The main window owns the help window and hosts every help request.
    QTemporaryDir m_dir;
    std::unique_ptr<CProfile> m_profile;
    CommandTable m_commands;
    std::unique_ptr<CMainFrame> m_owner;

    void openWith(const QString& helpFile) {
        dropHelpWindow();
        m_owner = std::make_unique<CMainFrame>(*m_profile, m_commands, helpFile);
    }
    HelpWindow* current() const {
        return m_owner ? qobject_cast<HelpWindow*>(m_owner->helpWindow()) : nullptr;
    }
    void dropHelpWindow() {
        if (HelpWindow* window = current())
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private Q_SLOTS:
    void init() {
        m_profile = std::make_unique<CProfile>(m_dir.filePath(QStringLiteral("ollo.INI")));
        openWith(QStringLiteral(OLLO_HELP_FILE));
    }

    void cleanup() {
        dropHelpWindow();
        m_owner.reset();
        m_profile.reset();
    }

    void everyContextOpensItsTopic_data() {
        QTest::addColumn<int>("context");
        for (const int context : Help::AllContexts)
            QTest::addRow("%d", context) << context;
    }

    void everyContextOpensItsTopic() {
        QFETCH(int, context);
        QVERIFY(ShowHelp(m_owner.get(), context, HelpCommand::Context));
        HelpWindow* window = current();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QCOMPARE(window->parentWidget(), m_owner.get());
        const QUrl topic = window->currentTopic();
        QCOMPARE(topic.scheme(), QStringLiteral("qthelp"));
        QVERIFY2(topic.path().endsWith(QLatin1String(".html")), qPrintable(topic.toString()));
        // The child reads German text, not an empty page.
        QVERIFY2(window->browser()->toPlainText().size() > 80, qPrintable(topic.toString()));
    }

    void helpTopicsOpenTheirOwnPages_data() {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("top"); // the line at the top of the view; "": not looked at
        QTest::newRow("Internet") << 98357 << "internet.html"
                                  << "";
        QTest::newRow("Eigene Übungen") << 98359 << "eigene.html"
                                        << "";
        QTest::newRow("Über das Ollo-Projekt") << 98362 << "herausgeber.html"
                                               << "";
        QTest::newRow("main window") << 131200 << "hauptfenster.html"
                                     << "";
        // The last sections of their pages, not the tables before them.
        QTest::newRow("10-er Reihe") << 98316 << "kleines1x1.html"
                                     << "10-er Reihe";
        QTest::newRow("20-er Reihe") << 98326 << "grosses1x1.html"
                                     << "20-er Reihe";
    }

    void helpTopicsOpenTheirOwnPages() {
        QFETCH(int, context);
        QFETCH(QString, page);
        QFETCH(QString, top);
        QVERIFY(ShowHelp(m_owner.get(), context));
        QCOMPARE(current()->currentTopic().fileName(), page);
        if (top.isEmpty())
            return;
        QTextBrowser* browser = current()->browser();
        QVERIFY(QTest::qWaitForWindowExposed(current()));
        QTRY_COMPARE(browser->cursorForPosition(QPoint(4, 4)).block().text(), top);
    }

    void finderShowsContents() {
        QVERIFY(ShowHelp(m_owner.get(), 0, HelpCommand::Finder));
        HelpWindow* window = current();
        QCOMPARE(window->currentTopic().fileName(), QStringLiteral("index.html"));
        QCOMPARE(window->navigation()->currentIndex(), 0);
        QCOMPARE(window->navigation()->tabText(0), QStringLiteral("Inhalt"));
        QCOMPARE(window->navigation()->tabText(1), QStringLiteral("Index"));
        // The index sorts the series by their number, also while a search narrows it.
        auto* index = window->navigation()->widget(1)->findChild<QHelpIndexWidget*>();
        QVERIFY(index);
        const auto rowOf = [index](const char* entry) {
            return index->model()
                ->match(index->model()->index(0, 0), Qt::DisplayRole, QString::fromUtf8(entry), 1,
                        Qt::MatchExactly)
                .value(0)
                .row();
        };
        const char* const inOrder[] = {"1-er Reihe (Kleines 1X1)", "2-er Reihe (Kleines 1X1)",
                                       "10-er Reihe (Kleines 1X1)", "11-er Reihe (Großes 1X1)",
                                       "100-er Reihe (Division)"};
        QTRY_VERIFY(rowOf(inOrder[0]) >= 0);
        // Words first, not a command-line switch.
        QVERIFY2(index->model()->index(0, 0).data().toString().at(0).isLetterOrNumber(),
                 qPrintable(index->model()->index(0, 0).data().toString()));
        for (const QString& search : {QString(), QStringLiteral("Reihe")}) {
            window->navigation()->widget(1)->findChild<QLineEdit*>()->setText(search);
            for (std::size_t i = 1; i < std::size(inOrder); ++i)
                QVERIFY2(rowOf(inOrder[i - 1]) < rowOf(inOrder[i]), inOrder[i]);
        }
        // One window serves every request.
        QVERIFY(ShowHelp(m_owner.get(), 98357));
        QCOMPARE(current(), window);
    }

    void escapePutsHelpAway() {
        QVERIFY(ShowHelp(m_owner.get(), 98357));
        QPointer<HelpWindow> window = current();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::keyClick(window->browser(), Qt::Key_Escape);
        QTRY_VERIFY(window.isNull());
        // The next request opens it again.
        QVERIFY(ShowHelp(m_owner.get(), 98359));
        QVERIFY(current() != nullptr);
    }

    void failureSaysSo_data() {
        QTest::addColumn<QString>("helpFile");
        QTest::addColumn<int>("context");
        QTest::newRow("unknown number") << QStringLiteral(OLLO_HELP_FILE) << 12345;
        QTest::newRow("number of no topic") << QStringLiteral(OLLO_HELP_FILE) << Help::forCommand(57634);
        QTest::newRow("no help file") << "/nirgends/ollo.qch" << 98357;
        QTest::newRow("not a help file") << QStringLiteral(OLLO_PICTURE_FIXTURES "/plain.gif") << 98357;
    }

    void failureSaysSo() {
        QFETCH(QString, helpFile);
        QFETCH(int, context);
        openWith(helpFile);
        MessageSeen seen;
        answerMessageBox(&seen);
        QVERIFY(!ShowHelp(m_owner.get(), context));
        QCOMPARE(seen.title, QStringLiteral("Ollo"));
        QCOMPARE(seen.text, QString::fromUtf8("Die Hilfe konnte nicht aufgerufen werden."));
        QCOMPARE(current(), nullptr);
    }

    void finderWithoutHelpFileSaysSo() {
        openWith(QStringLiteral("/nirgends/ollo.qch"));
        MessageSeen seen;
        answerMessageBox(&seen);
        QVERIFY(!ShowHelp(m_owner.get(), 0, HelpCommand::Finder));
        QCOMPARE(seen.text, QString::fromUtf8("Die Hilfe konnte nicht aufgerufen werden."));
    }

    // A failed request leaves the open topic as it was.
    void failureChangesNothing() {
        QVERIFY(ShowHelp(m_owner.get(), 98359));
        HelpWindow* window = current();
        const QUrl before = window->currentTopic();
        MessageSeen seen;
        answerMessageBox(&seen);
        QVERIFY(!ShowHelp(m_owner.get(), 4711));
        QCOMPARE(current(), window);
        QCOMPARE(window->currentTopic(), before);
        QVERIFY(window->isVisible());
    }

    // Help asked for from a running dialog belongs to that dialog, so the
    // child can read it before closing the dialog.
    void helpFromModalDialog() {
        QVERIFY(ShowHelp(m_owner.get(), 98357));
        QDialog dialog(m_owner.get());
        QWidget* parentSeen = nullptr;
        bool shown = false;
        QTimer::singleShot(0, &dialog, [&] {
            shown = ShowHelp(&dialog, 131176);
            parentSeen = current() ? current()->parentWidget() : nullptr;
            dialog.accept();
        });
        dialog.exec();
        QVERIFY(shown);
        QCOMPARE(parentSeen, &dialog);
    }

    void handlerTakesOver() {
        int seen = 0;
        m_owner->setHelpHandler([&](int data, HelpCommand) {
            seen = data;
            return true;
        });
        QVERIFY(ShowHelp(m_owner.get(), 98359));
        QCOMPARE(seen, 98359);
        QCOMPARE(current(), nullptr);
    }

    // Help cannot open under an open menu: the menu closes first.
    void openMenuCloses() {
        QWidget window;
        window.show();
        auto* menu = new QWidget(&window, Qt::Popup);
        menu->show();
        QTRY_VERIFY(QApplication::activePopupWidget() == menu);
        QVERIFY(ShowHelp(m_owner.get(), 98357));
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
