// What only a real X server with a window manager shows: where the focus goes
// when a window closes, the outer sizes of framed windows, keys routed to the
// menu bar, and the lock keys. Runs inside xsession.sh (Xvfb and openbox);
// keys and clicks are real ones, sent with xdotool; outer sizes are read from
// the window manager's frame windows.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "common/programfolders.h"
#include "drill/digitedit.h"
#include "drill/drilldialog.h"
#include "kit/bitmapbutton.h"
#include "kit/commandids.h"
#include "rewards/jokerewarddlg.h"
#include "rewards/picturerewarddlg.h"
#include "helpviewer/helpwindow.h"
#include "shell/mainframe.h"
#include "shell/statusline.h"
#include "shell/trainerapp.h"

// After the Qt headers: X11 defines macros such as None and Bool.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {

constexpr int kSeven = 32777; // "7-er Reihe"

// Real input through the X server, as a child's keyboard and mouse give it.
bool xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

bool clickOn(const QWidget* widget) {
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    return xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

// The window manager's frame around a window, in root coordinates, border
// included: what the user sees as the window's outer size and place.
QRect outerRect(const QWidget* window) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return {};
    const auto close = qScopeGuard([display] { XCloseDisplay(display); });
    ::Window frame = window->winId();
    for (;;) {
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, frame, &root, &parent, &children, &count))
            return {};
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        frame = parent;
    }
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, frame, &attributes))
        return {};
    const int border = attributes.border_width;
    return QRect(attributes.x, attributes.y, attributes.width + 2 * border, attributes.height + 2 * border);
}

// Sets or clears a keyboard indicator the way the X server reports it to every
// client (as "xset led named" does).
bool setIndicator(const char* name, bool on) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    const Atom atom = XInternAtom(display, name, False);
    const bool done = XkbSetNamedIndicator(display, atom, True, on ? True : False, False, nullptr);
    XSync(display, False);
    XCloseDisplay(display);
    return done;
}

QString openMenuTitle() {
    const auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return menu ? menu->title() : QString();
}

HelpWindow* openHelpWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<HelpWindow*>(widget); help && help->isVisible())
            return help;
    return nullptr;
}

// Calls act once the condition holds, from the event loop that is running
// then (a modal dialog's own, say); checks again every few milliseconds.
void whenReady(QObject* context, std::function<bool()> condition, std::function<void()> act) {
    auto* poll = new QTimer(context);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, context,
                     [poll, condition = std::move(condition), act = std::move(act)] {
                         if (!condition())
                             return;
                         poll->stop();
                         poll->deleteLater();
                         act();
                     });
    poll->start();
}

} // namespace

class TestWindowManager : public QObject {
    Q_OBJECT

private:
    ProgramFolders m_folders;

    // The program as a family starts it: maximised, active. With the built
    // program's folder the help file beside it is found; elsewhere there is none.
    std::unique_ptr<CTrainerApp> startProgram(bool withHelp) {
        const QString programFolder = withHelp ? QStringLiteral(OLLO_PROGRAM_DIR) : m_folders.content->path();
        auto app = std::make_unique<CTrainerApp>(programFolder + QStringLiteral("/ollo"));
        if (!app->InitInstance())
            return nullptr;
        return app;
    }

private Q_SLOTS:
    void init() { m_folders.enter(); }
    void cleanup() { m_folders.leave(); }

    // A child presses HILFE, reads, closes the help (or the message that
    // there is none) and types on: the digits land in the answer field.
    void typingGoesOnAfterHelp_data() {
        QTest::addColumn<QString>("close"); // "Escape", "alt+F4" (the window manager), "message"
        QTest::newRow("help window closed with Esc") << "Escape";
        QTest::newRow("help window closed by the window manager") << "alt+F4";
        QTest::newRow("no help file, message answered") << "message";
    }
    void typingGoesOnAfterHelp() {
        QFETCH(QString, close);
        const bool withHelp = close != u"message";
        const auto app = startProgram(withHelp);
        QVERIFY(app);
        CMainFrame* frame = app->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));

        bool reached = false;
        QTimer::singleShot(0, frame, [&] {
            auto* drill = qobject_cast<CDrillDialog*>(QApplication::activeModalWidget());
            QVERIFY(drill);
            const auto end = qScopeGuard([drill] { drill->reject(); });
            QVERIFY(QTest::qWaitForWindowActive(drill));
            auto* answer = drill->findChild<CDigitEdit*>(QStringLiteral("answer"));
            if (!withHelp) {
                // The message runs its own loop; it is answered from there.
                whenReady(
                    drill,
                    [] {
                        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                        return box && box->isActiveWindow();
                    },
                    [] {
                        xdotool({"key", "Return"});
                    });
            }
            QVERIFY(clickOn(drill->findChild<CBitmapButton*>(QStringLiteral("helpButton"))));
            if (withHelp) {
                QTRY_VERIFY(openHelpWindow() && openHelpWindow()->isActiveWindow());
                // Beside or below the task and the answer, not over them.
                for (const char* name : {"task", "answer"}) {
                    const auto* field = drill->findChild<QWidget*>(QLatin1String(name));
                    QVERIFY2(!outerRect(openHelpWindow())
                                  .intersects(QRect(field->mapToGlobal(QPoint(0, 0)), field->size())),
                             name);
                }
                QVERIFY(xdotool({"key", close}));
                QTRY_VERIFY(!openHelpWindow());
            }
            QTRY_VERIFY(drill->isActiveWindow());
            QVERIFY(xdotool({"type", "56"}));
            QTRY_COMPARE(answer->text(), QStringLiteral("56"));
            reached = true;
        });
        frame->runCommand(kSeven);
        QVERIFY(reached);
    }

    // "Hilfe" on the options sheet: the help window leaves the sheet's
    // OK/Abbruch/Hilfe row free, opens a contents entry on one click, and
    // stays open when the sheet closes.
    void helpFromTheOptionsSheet() {
        const auto app = startProgram(true);
        QVERIFY(app);
        CMainFrame* frame = app->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));

        bool reached = false;
        QTimer::singleShot(0, frame, [&] {
            auto* sheet = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(sheet);
            const auto end = qScopeGuard([sheet] {
                if (sheet->isVisible())
                    sheet->reject();
            });
            QVERIFY(QTest::qWaitForWindowActive(sheet));
            QVERIFY(clickOn(sheet->findChild<QPushButton*>(QStringLiteral("help"))));
            QTRY_VERIFY(openHelpWindow() && openHelpWindow()->isActiveWindow());
            HelpWindow* help = openHelpWindow();
            const QRect helpOuter = outerRect(help);
            for (const char* name : {"ok", "cancel", "help"}) {
                const auto* button = sheet->findChild<QPushButton*>(QLatin1String(name));
                const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
                QVERIFY2(!helpOuter.intersects(onScreen), name);
            }

            auto* contents = qobject_cast<QHelpContentWidget*>(help->navigation()->widget(0));
            QVERIFY(contents);
            const QAbstractItemModel* model = contents->model();
            QTRY_VERIFY(model->rowCount() > 0 && model->rowCount(model->index(0, 0)) > 1);
            const QModelIndex entry = model->index(1, 0, model->index(0, 0));
            const QUrl topic = qobject_cast<const QHelpContentModel*>(model)->contentItemAt(entry)->url();
            QVERIFY(help->currentTopic() != topic);
            contents->scrollTo(entry);
            const QPoint at = contents->viewport()->mapToGlobal(contents->visualRect(entry).center());
            QVERIFY(xdotool(
                {"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"}));
            QTRY_COMPARE(help->currentTopic(), topic);

            QVERIFY(clickOn(sheet->findChild<QPushButton*>(QStringLiteral("cancel"))));
            QTRY_VERIFY(!sheet->isVisible());
            reached = true;
        });
        frame->runCommand(Cmd::Options);
        QVERIFY(reached);
        QTRY_VERIFY(openHelpWindow());
        QVERIFY(QTest::qWaitForWindowExposed(openHelpWindow()));
        openHelpWindow()->close();
    }

    // "Lernfortschritt" on the screen this run has (1280 × 800 in a run of its
    // own): on every tab no scroll bar, and every button on the screen and in
    // the window's view.
    void progressWindowFitsTheScreen() {
        const auto app = startProgram(false);
        QVERIFY(app);
        CMainFrame* frame = app->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));

        bool reached = false;
        QTimer::singleShot(0, frame, [&] {
            auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(window);
            const auto end = qScopeGuard([window] {
                if (window->isVisible())
                    window->reject();
            });
            QVERIFY(QTest::qWaitForWindowActive(window));
            const QRect screen = window->screen()->geometry();
            const QRect outer = outerRect(window);
            QVERIFY2(screen.contains(outer), qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                                            .arg(outer.x())
                                                            .arg(outer.y())
                                                            .arg(outer.width())
                                                            .arg(outer.height())
                                                            .arg(screen.width())
                                                            .arg(screen.height())));
            auto* scroll = window->findChild<QScrollArea*>(QStringLiteral("scrollArea"));
            auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("panelTabs"));
            QVERIFY(scroll && tabs);
            for (int tab = 0; tab < tabs->count(); ++tab) {
                tabs->setCurrentIndex(tab);
                QTRY_VERIFY(tabs->currentWidget()->isVisible());
                // The page's layout, before its scroll bars are looked at.
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                QVERIFY2(!scroll->verticalScrollBar()->isVisible(), qPrintable(tabs->tabText(tab)));
                QVERIFY2(!scroll->horizontalScrollBar()->isVisible(), qPrintable(tabs->tabText(tab)));
                const QRect view(scroll->viewport()->mapToGlobal(QPoint(0, 0)), scroll->viewport()->size());
                for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
                    if (!button->isVisible())
                        continue;
                    const QRect place(button->mapToGlobal(QPoint(0, 0)), button->size());
                    const QString name = tabs->tabText(tab) + u' ' + button->text();
                    QVERIFY2(screen.contains(place), qPrintable(name));
                    if (scroll->isAncestorOf(button))
                        QVERIFY2(view.contains(place), qPrintable(name));
                }
            }
            reached = true;
        });
        frame->runCommand(Cmd::Progress);
        QVERIFY(reached);
    }

    // Outer sizes, frame included, centred over the main window; minimising
    // and restoring changes neither size nor place.
    void rewardWindowsKeepTheirOuterSize_data() {
        QTest::addColumn<QString>("reward");
        QTest::addColumn<QSize>("outer");
        QTest::newRow("picture") << "picture" << QSize(620, 435);
        QTest::newRow("joke") << "joke" << QSize(630, 440);
    }
    void rewardWindowsKeepTheirOuterSize() {
        QFETCH(QString, reward);
        QFETCH(QSize, outer);
        const auto app = startProgram(false);
        QVERIFY(app);
        CMainFrame* frame = app->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        std::unique_ptr<QDialog> dialog;
        if (reward == u"picture")
            dialog = std::make_unique<CPictureRewardDlg>(app->profile(), frame);
        else
            dialog = std::make_unique<CJokeRewardDlg>(app->profile(), frame);

        bool reached = false;
        QTimer::singleShot(0, dialog.get(), [&] {
            const auto end = qScopeGuard([&dialog] { dialog->accept(); });
            QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
            QTRY_COMPARE(outerRect(dialog.get()).size(), outer);
            const QPoint offCentre = outerRect(dialog.get()).center() - outerRect(frame).center();
            QVERIFY2(offCentre.manhattanLength() <= 2,
                     qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
            const QRect placed = outerRect(dialog.get());
            qInfo("%s: outer %dx%d at %d,%d", qPrintable(reward), placed.width(), placed.height(), placed.x(),
                  placed.y());

            const QString id = QString::number(dialog->winId());
            QVERIFY(xdotool({"windowminimize", "--sync", id}));
            QTRY_VERIFY(!dialog->isActiveWindow());
            QVERIFY(xdotool({"windowactivate", "--sync", id}));
            QTRY_VERIFY(dialog->isActiveWindow());
            QTRY_COMPARE(outerRect(dialog.get()), placed);
            QCOMPARE(dialog->frameGeometry().size(), outer);
            reached = true;
        });
        dialog->exec();
        QVERIFY(reached);
    }

    // Restored from the start's maximised state, the frame is 620 × 440
    // outside, whether the window manager restores it (a double click on the
    // title bar) or the program asks it to.
    void mainFrameRestoresTo620x440_data() {
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("double click on the title bar") << true;
        QTest::newRow("asked by the program") << false;
    }
    void mainFrameRestoresTo620x440() {
        QFETCH(bool, byTitleBar);
        const auto app = startProgram(false);
        QVERIFY(app);
        CMainFrame* frame = app->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QTRY_VERIFY(frame->isMaximized());
        const QRect maximised = outerRect(frame);
        const QPoint title(maximised.center().x(),
                           maximised.top() + (frame->geometry().top() - maximised.top()) / 2);
        if (byTitleBar)
            QVERIFY(xdotool({"mousemove", "--sync", QString::number(title.x()), QString::number(title.y()),
                             "click", "--repeat", "2", "--delay", "80", "1"}));
        else
            frame->showNormal();
        QTRY_VERIFY(!frame->isMaximized());
        QTRY_COMPARE(outerRect(frame).size(), QSize(620, 440));
        QCOMPARE(frame->frameGeometry().size(), QSize(620, 440));
        qInfo("restored: outer %dx%d, inside %dx%d", outerRect(frame).width(), outerRect(frame).height(),
              frame->width(), frame->height());
    }

    // F10, and Alt pressed alone, put the keyboard into the menu bar; the
    // arrows then reach "Division".
    void menuBarByKeyboard_data() {
        QTest::addColumn<QString>("enter");
        QTest::addColumn<bool>("opens"); // the first menu opens at once
        QTest::addColumn<QStringList>("toDivision");
        QTest::newRow("F10") << "F10" << true << QStringList{"Right", "Right"};
        QTest::newRow("Alt alone") << "Alt_L" << false << QStringList{"Right", "Right", "Down"};
    }
    void menuBarByKeyboard() {
        QFETCH(QString, enter);
        QFETCH(bool, opens);
        QFETCH(QStringList, toDivision);
        const auto app = startProgram(false);
        QVERIFY(app);
        CMainFrame* frame = app->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        const auto close = qScopeGuard([] {
            while (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
        QVERIFY(xdotool({"key", enter}));
        QTRY_COMPARE(frame->menuBar()->activeAction(), frame->menuBar()->actions().value(0));
        if (opens) {
            QTRY_VERIFY(QApplication::activePopupWidget());
            QVERIFY(QTest::qWaitForWindowExposed(QApplication::activePopupWidget()));
        }
        QVERIFY(xdotool(QStringList{"key"} + toDivision));
        QTRY_COMPARE(openMenuTitle(), QStringLiteral("Division"));
    }

    // The lock-key panes follow the keyboard's indicators as soon as the X
    // server reports them, without the clock's tick.
    void lockKeyPanesFollowAtOnce_data() {
        QTest::addColumn<int>("pane");
        QTest::addColumn<QString>("key");       // pressed twice: on, then off
        QTest::addColumn<QString>("indicator"); // set and cleared instead of a key
        QTest::addColumn<QString>("text");
        QTest::newRow("Caps Lock") << int(StatusLine::CapsLock) << "Caps_Lock" << QString() << "UF";
        QTest::newRow("Num Lock") << int(StatusLine::NumLock) << "Num_Lock" << QString() << "NUM";
        QTest::newRow("Scroll Lock indicator") << int(StatusLine::ScrollLock) << QString() << "Scroll Lock"
                                               << "RF";
    }
    void lockKeyPanesFollowAtOnce() {
        QFETCH(int, pane);
        QFETCH(QString, key);
        QFETCH(QString, indicator);
        QFETCH(QString, text);
        const auto app = startProgram(false);
        QVERIFY(app);
        CMainFrame* frame = app->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        auto* clock = frame->statusLine()->findChild<QTimer*>(QStringLiteral("clock"));
        QVERIFY(clock);
        clock->stop();
        QLabel* label = frame->statusLine()->pane(StatusLine::Pane(pane));
        QCOMPARE(label->text(), QString());

        for (const QString& expected : {text, QString()}) {
            if (indicator.isEmpty())
                QVERIFY(xdotool({"key", key}));
            else
                QVERIFY(setIndicator(indicator.toLatin1().constData(), !expected.isEmpty()));
            QElapsedTimer took;
            took.start();
            QVERIFY2(QTest::qWaitFor([&] { return label->text() == expected; }, 5000),
                     qPrintable(label->text()));
            qInfo("%s %s after %lld ms", qPrintable(text), expected.isEmpty() ? "off" : "on", took.elapsed());
        }
    }
};

QTEST_MAIN(TestWindowManager)
#include "tst_windowmanager.moc"
