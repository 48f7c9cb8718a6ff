#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>
#include <vector>

#include "base/profile.h"
#include "kit/commandids.h"
#include "kit/showhelp.h"
#include "pictures/picturefile.h"
#include "shell/backdrop.h"
#include "shell/commandtable.h"
#include "shell/mainframe.h"
#include "shell/statusline.h"

namespace {

const QRgb kGrey = qRgb(128, 128, 128);

struct HelpCall {
    int data = 0;
    HelpCommand command = HelpCommand::Context;
    bool operator==(const HelpCall&) const = default;
};

// Every pixel tells where it lies in the picture.
QRgb patternAt(int x, int y) {
    return qRgb(x % 256, y % 256, 200);
}

QImage pattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, patternAt(x, y));
    return image;
}

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

using ItemList = std::vector<std::pair<int, const char*>>;

// Menu 128 as the child sees it; 0 is a separator.
const std::vector<std::pair<const char*, ItemList>>& expectedMenus() {
    static const std::vector<std::pair<const char*, ItemList>> menus = {
        {"&Kleines 1X1",
         {{32771, "1-er Reihe"},
          {32772, "2-er Reihe"},
          {32773, "3-er Reihe"},
          {32774, "4-er Reihe"},
          {32775, "5-er Reihe"},
          {32776, "6-er Reihe"},
          {32777, "7-er Reihe"},
          {32778, "8-er Reihe"},
          {32779, "9-er Reihe"},
          {32780, "10-er Reihe"},
          {0, ""},
          {57665, "&Beenden"}}},
        {"&Großes 1X1",
         {{32781, "11-er Reihe"},
          {32782, "12-er Reihe"},
          {32783, "13-er Reihe"},
          {32784, "14-er Reihe"},
          {32785, "15-er Reihe"},
          {32786, "16-er Reihe"},
          {32787, "17-er Reihe"},
          {32788, "18-er Reihe"},
          {32789, "19-er Reihe"},
          {32790, "20-er Reihe"},
          {0, ""},
          {32791, "Beliebige Reihe"}}},
        {"Division",
         {{32794, "1-er Reihe"},
          {32795, "2-er Reihe"},
          {32796, "3-er Reihe"},
          {32797, "4-er Reihe"},
          {32798, "5-er Reihe"},
          {32799, "6-er Reihe"},
          {32800, "7-er Reihe"},
          {32801, "8-er Reihe"},
          {32802, "9-er Reihe"},
          {32803, "10-er Reihe"},
          {0, ""},
          {32804, "Beliebige Reihe"}}},
        {"&Sonderreihen",
         {{32805, "Multiplikation"},
          {0, ""},
          {32792, "100-er Reihe"},
          {32793, "1000-er Reihe"},
          {0, ""},
          {32806, "Division"},
          {0, ""},
          {32807, "100-er Reihe"},
          {32810, "1000-er Reihe"},
          {0, ""},
          {32871, "Schwierige Aufgaben"}}},
        {"Optionen",
         {{59393, "S&tatusleiste"},
          {0, ""},
          {32811, "Einstellungen"},
          {32812, "Eigene Lobe"},
          {32860, "Sound"},
          {0, ""},
          {32808, "Großer Zeichensatz"},
          {32809, "Kleiner Zeichensatz"},
          {0, ""},
          {32870, "&Lernfortschritt..."},
          {0, ""},
          {32872, "Kind &wechseln..."}}},
        {"&Hilfe",
         {{57667, "&Hilfethemen"},
          {0, ""},
          {32821, "Internet"},
          {0, ""},
          {32823, "Eigene Übungen"},
          {0, ""},
          {32826, "Über das Ollo-Projekt"},
          {0, ""},
          {32819, "Fragen und Probleme"},
          {57664, "Inf&o über Ollo..."}}},
    };
    return menus;
}

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProfile> m_profile;
    CommandTable m_appCommands;
    std::unique_ptr<CMainFrame> m_frame;
    std::vector<HelpCall> m_help;
    QString m_oldCurrent;

    CMainFrame& frame() { return *m_frame; }

    QMenu* menu(int index) { return frame().menuBar()->actions().at(index)->menu(); }

    // Opens a menu as a click on the menu bar would, and closes it again.
    void openMenu(int index) {
        menu(index)->popup(QPoint(10, 10));
        QTRY_VERIFY(menu(index)->isVisible());
    }
    void closeMenus() {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    void showFrame() {
        frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame()));
    }

    QString writePicture(const QString& name, const QImage& image) {
        const QString path = m_dir->filePath(name);
        image.save(path, "BMP");
        return path;
    }

    QImage renderBackdrop() {
        return frame().backdrop()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_oldCurrent = QDir::currentPath();
        QDir::setCurrent(m_dir->path());
        m_profile = std::make_unique<CProfile>(m_dir->filePath("ollo.INI"));
        // No maus.bmp here unless a test makes one: the backdrop is grey.
        m_appCommands = CommandTable();
        m_help.clear();
        m_frame = std::make_unique<CMainFrame>(*m_profile, m_appCommands);
        m_frame->setHelpHandler([this](int data, HelpCommand command) {
            m_help.push_back({data, command});
            return true;
        });
    }

    void cleanup() {
        closeMenus();
        m_frame.reset();
        QDir::setCurrent(m_oldCurrent);
        m_profile.reset();
        m_dir.reset();
    }

    void windowIdentity() {
        QCOMPARE(frame().windowTitle(), u8("Ollo für Windows 95 V1.1"));
        QCOMPARE(frame().size(), QSize(620, 440));
        // The icon follows the backdrop's first paint, off the start-up's path.
        QVERIFY(frame().windowIcon().isNull());
        showFrame();
        QTRY_VERIFY(!frame().windowIcon().isNull());
        QVERIFY(!frame().windowIcon().pixmap(32, 32).isNull());
    }

    void restoreGivesTheStartSize() {
        frame().showMaximized();
        QTRY_VERIFY(frame().isMaximized());
        QTRY_VERIFY(frame().width() > 620);
        frame().showNormal();
        QTRY_COMPARE(frame().frameGeometry().size(), QSize(620, 440));
    }

    // A lone Alt puts the keyboard on the first menu, and shows it there.
    void loneAltShowsTheMenu() {
        showFrame();
        frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame()));
        QMenuBar* bar = frame().menuBar();
        const QRect first = bar->actionGeometry(bar->actions().front());
        const QImage before = bar->grab(first).toImage();
        QTest::keyPress(frame().windowHandle(), Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(frame().windowHandle(), Qt::Key_Alt);
        QTRY_VERIFY(bar->hasFocus());
        QCOMPARE(bar->activeAction(), bar->actions().front());
        QTRY_VERIFY(bar->grab(first).toImage() != before);
        QTest::keyClick(bar, Qt::Key_Escape);
    }

    void menuTitles() {
        const QList<QAction*> titles = frame().menuBar()->actions();
        QCOMPARE(titles.size(), qsizetype(expectedMenus().size()));
        for (qsizetype i = 0; i < titles.size(); ++i)
            QCOMPARE(titles[i]->text(), u8(expectedMenus()[std::size_t(i)].first));
    }

    void menuItems_data() {
        QTest::addColumn<int>("menuIndex");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("commandId");
        QTest::addColumn<QString>("text");
        int menuIndex = 0;
        for (const auto& [title, items] : expectedMenus()) {
            for (int position = 0; position < int(items.size()); ++position)
                QTest::addRow("%s #%d", title, position)
                    << menuIndex << position << items[std::size_t(position)].first
                    << u8(items[std::size_t(position)].second);
            QTest::addRow("%s end", title) << menuIndex << int(items.size()) << -1 << QString();
            ++menuIndex;
        }
    }

    void menuItems() {
        QFETCH(int, menuIndex);
        QFETCH(int, position);
        QFETCH(int, commandId);
        QFETCH(QString, text);
        const QList<QAction*> actions = menu(menuIndex)->actions();
        if (commandId < 0) {
            QCOMPARE(actions.size(), qsizetype(position));
            return;
        }
        QAction* action = actions.at(position);
        QCOMPARE(action->isSeparator(), commandId == 0);
        if (commandId == 0)
            return;
        QCOMPARE(action->text(), text);
        QCOMPARE(action->data().toInt(), commandId);
        QCOMPARE(frame().action(commandId), action);
    }

    // With no application handlers only the frame's own items are live; the
    // two headings stay grey even when everything else has a handler.
    void greyedItems_data() {
        QTest::addColumn<int>("commandId");
        QTest::addColumn<bool>("withoutAppHandlers");
        QTest::addColumn<bool>("withAllHandlers");
        QTest::newRow("7-er Reihe") << 32777 << false << true;
        QTest::newRow("Beenden") << 57665 << false << true;
        QTest::newRow("Beliebige Reihe") << 32791 << false << true;
        QTest::newRow("heading Multiplikation") << 32805 << false << false;
        QTest::newRow("heading Division") << 32806 << false << false;
        QTest::newRow("Statusleiste") << 59393 << true << true;
        QTest::newRow("Hilfethemen") << 57667 << true << true;
        QTest::newRow("Info") << 57664 << false << true;
    }

    void greyedItems() {
        QFETCH(int, commandId);
        QFETCH(bool, withoutAppHandlers);
        QFETCH(bool, withAllHandlers);
        const auto menuIndexOf = [](int id) {
            for (std::size_t m = 0; m < expectedMenus().size(); ++m)
                for (const auto& item : expectedMenus()[m].second)
                    if (item.first == id)
                        return int(m);
            return -1;
        };
        const int index = menuIndexOf(commandId);
        openMenu(index);
        QCOMPARE(frame().action(commandId)->isEnabled(), withoutAppHandlers);
        closeMenus();

        // Handlers added after the window was built count at the next opening.
        for (const auto& [title, items] : expectedMenus())
            for (const auto& item : items)
                if (item.first != 0 && item.first != Cmd::HeadingMultiplication &&
                    item.first != Cmd::HeadingDivision)
                    m_appCommands.add(item.first, [] {});
        openMenu(index);
        QCOMPARE(frame().action(commandId)->isEnabled(), withAllHandlers);
    }

    void prompts_data() {
        QTest::addColumn<int>("commandId");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("Beenden")
            << 57665 << u8("Verläßt die Anwendung; fragt, ob Dokumente gespeichert werden sollen.");
        QTest::newRow("Statusleiste") << 59393 << u8("Blendet die Statusleiste ein oder aus.");
        QTest::newRow("Sound") << 32860 << u8("Soundausgabe einschalten bzw. abschalten");
        QTest::newRow("Lernfortschritt")
            << 32870 << u8("Zeigt, was Ihr Kind geübt hat und welche Aufgaben schon sicher sitzen.");
        QTest::newRow("Schwierige Aufgaben")
            << 32871 << u8("Übt die Aufgaben aus allen Reihen, die Ihrem Kind noch schwerfallen.");
        QTest::newRow("Kind wechseln")
            << 32872 << u8("Wechselt zu einem anderen Kind, mit dessen Einstellungen und Lernverlauf.");
        QTest::newRow("Hilfethemen") << 57667 << u8("Listet die Hilfethemen auf.");
        QTest::newRow("Internet") << 32821 << u8("Besuchen Sie unsere WEB-Page im Internet !");
        QTest::newRow("Eigene Übungen") << 32823 << u8("Informationen zu dem Menü \"Eigene\"");
        QTest::newRow("Fragen und Probleme") << 32819 << u8("Kontaktadresse und Hotline");
        QTest::newRow("Info") << 57664
                              << u8("Zeigt Programm-Informationen, Versionsnummer und Copyright an.");
        QTest::newRow("Über das Ollo-Projekt")
            << 32826 << u8("Wer hinter Ollo steht und wie Sie mitmachen können");
        QTest::newRow("Einstellungen") << 32811 << u8("Grundlegende Programmeinstellungen setzen");
        QTest::newRow("Eigene Lobe") << 32812 << u8("Hier können Sie Ihre eigenen Sprüche eingeben.");
        QTest::newRow("4-er Reihe") << 32774 << QString();
        QTest::newRow("Beliebige Reihe") << 32791 << QString();
        QTest::newRow("1-er Reihe") << 32771 << QString();
        QTest::newRow("heading") << 32805 << QString();
        QTest::newRow("Großer Zeichensatz") << 32808 << QString();
    }

    void prompts() {
        QFETCH(int, commandId);
        QFETCH(QString, prompt);
        frame().statusLine()->setMessage(QStringLiteral("vorher"));
        frame().action(commandId)->hover();
        QCOMPARE(frame().statusLine()->message(), prompt);
    }

    // The child the program runs for is named while no prompt is shown.
    void idleMessageAfterMenu_data() {
        QTest::addColumn<QString>("child");
        QTest::addColumn<QString>("idle");
        QTest::newRow("family") << QString() << u8("Drücken Sie F1, um Hilfe zu erhalten.");
        QTest::newRow("child") << u8("Zoë") << u8("Zoë rechnet. Drücken Sie F1, um Hilfe zu erhalten.");
    }
    void idleMessageAfterMenu() {
        QFETCH(QString, child);
        QFETCH(QString, idle);
        showFrame();
        frame().setChildName(child);
        QCOMPARE(frame().statusLine()->message(), idle);
        openMenu(0);
        frame().action(57665)->hover();
        QVERIFY(frame().statusLine()->message().startsWith(u8("Verläßt")));
        closeMenus();
        QTRY_COMPARE(frame().statusLine()->message(), idle);
    }

    void widenWhileMenuOpen() {
        showFrame();
        StatusLine* line = frame().statusLine();
        QLabel* message = line->pane(StatusLine::Message);
        const int normalWidth = message->width();

        openMenu(0);
        QVERIFY(line->isWidened());
        QVERIFY(!line->pane(StatusLine::Date)->isVisible());
        QVERIFY(!line->pane(StatusLine::NumLock)->isVisible());
        frame().action(57665)->hover();
        // The longest prompt is shown in full.
        QTRY_VERIFY(message->width() > normalWidth);
        QVERIFY(message->contentsRect().width() >= message->fontMetrics().horizontalAdvance(message->text()));

        // Moving to the next menu of the bar keeps the line wide.
        menu(0)->hide();
        menu(1)->popup(QPoint(40, 10));
        QTRY_VERIFY(menu(1)->isVisible());
        QVERIFY(line->isWidened());

        closeMenus();
        QTRY_VERIFY(!line->isWidened());
        QVERIFY(line->pane(StatusLine::Date)->isVisible());
        QVERIFY(line->pane(StatusLine::Time)->isVisible());
        QTRY_COMPARE(message->width(), normalWidth);
    }

    void statusBarToggle() {
        showFrame();
        const int clientHeight = frame().backdrop()->height();
        QVERIFY(frame().runCommand(Cmd::StatusBar));
        QVERIFY(!frame().statusLine()->isVisible());
        QVERIFY(!frame().action(Cmd::StatusBar)->isChecked());
        QTRY_VERIFY(frame().backdrop()->height() > clientHeight);
        openMenu(4);
        QVERIFY(!frame().action(Cmd::StatusBar)->isChecked());
        closeMenus();

        QVERIFY(frame().runCommand(Cmd::StatusBar));
        QVERIFY(frame().statusLine()->isVisible());
        QVERIFY(frame().action(Cmd::StatusBar)->isChecked());
        QTRY_COMPARE(frame().backdrop()->height(), clientHeight);
    }

    void commandRouting() {
        int appRuns = 0;
        m_appCommands.add(Cmd::Options, [&] { ++appRuns; });
        openMenu(4);
        frame().action(Cmd::Options)->trigger();
        QCOMPARE(appRuns, 1);
        QVERIFY(!frame().runCommand(Cmd::Multiply100));
        QVERIFY(frame().runCommand(Cmd::HelpFinder));
        QVERIFY(frame().runCommand(Cmd::HelpContents));
        const std::vector<HelpCall> expected = {{0, HelpCommand::Finder}, {0, HelpCommand::Finder}};
        QCOMPARE(m_help, expected);
    }

    // Offsets are (client − picture) / 2, truncated toward zero.
    void backdropPlacement_data() {
        QTest::addColumn<QSize>("excess");
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("smaller, odd margins") << QSize(-101, -51) << QPoint(50, 25);
        QTest::newRow("smaller, even margins") << QSize(-100, -50) << QPoint(50, 25);
        QTest::newRow("same size") << QSize(0, 0) << QPoint(0, 0);
        QTest::newRow("larger by odd") << QSize(3, 5) << QPoint(-1, -2);
        QTest::newRow("larger by even") << QSize(4, 6) << QPoint(-2, -3);
        QTest::newRow("larger by one") << QSize(1, 1) << QPoint(0, 0);
        QTest::newRow("wider, lower") << QSize(301, -200) << QPoint(-150, 100);
    }

    void backdropPlacement() {
        QFETCH(QSize, excess);
        QFETCH(QPoint, offset);
        showFrame();
        const QSize client = frame().backdrop()->size();
        const QSize size = client + excess;
        m_profile->WriteText("Parameter", "Hintergrundbild", writePicture("muster.bmp", pattern(size)));

        const QImage shot = renderBackdrop();
        QCOMPARE(shot.size(), client);
        const QRect picture(offset, size);
        std::vector<QPoint> probes = {{0, 0},
                                      {client.width() - 1, 0},
                                      {0, client.height() - 1},
                                      {client.width() - 1, client.height() - 1},
                                      {client.width() / 2, client.height() / 2},
                                      offset,
                                      offset - QPoint(1, 1),
                                      picture.bottomRight(),
                                      picture.bottomRight() + QPoint(1, 1)};
        for (const QPoint& p : probes) {
            if (!shot.rect().contains(p))
                continue;
            const QRgb expected =
                picture.contains(p) ? patternAt(p.x() - offset.x(), p.y() - offset.y()) : kGrey;
            QVERIFY2(shot.pixel(p) == expected, qPrintable(QStringLiteral("at %1,%2: %3 instead of %4")
                                                               .arg(p.x())
                                                               .arg(p.y())
                                                               .arg(shot.pixel(p), 0, 16)
                                                               .arg(expected, 0, 16)));
        }
    }

    void backdropChoice_data() {
        QTest::addColumn<QString>("setting"); // "-" leaves the key out
        QTest::addColumn<bool>("mouseDrawn");
        QTest::newRow("key missing: maus.bmp") << "-" << true;
        QTest::newRow("empty: grey only") << "" << false;
        QTest::newRow("missing file") << "nichtda.bmp" << false;
        QTest::newRow("not a picture") << "ollo.INI" << false;
        QTest::newRow("named maus.bmp") << "maus.bmp" << true;
    }

    void backdropChoice() {
        QFETCH(QString, setting);
        QFETCH(bool, mouseDrawn);
        writePicture("maus.bmp", filled(QSize(40, 30), Qt::red));
        m_profile->WriteInt("Parameter", "Sound", 0);
        if (setting != QLatin1String("-"))
            m_profile->WriteText("Parameter", "Hintergrundbild", setting);
        showFrame();
        const QImage shot = renderBackdrop();
        const QPoint centre(shot.width() / 2, shot.height() / 2);
        QCOMPARE(shot.pixel(centre), mouseDrawn ? qRgb(255, 0, 0) : kGrey);
        QCOMPARE(shot.pixel(0, 0), kGrey);
    }

    void gifBackdrop() {
        const QString gif = QStringLiteral(OLLO_PICTURE_FIXTURES "/plain.gif");
        const PictureHandle picture = ReadBmpOrGif(gif);
        QVERIFY(picture);
        m_profile->WriteText("Parameter", "Hintergrundbild", gif);
        showFrame();
        const QImage shot = renderBackdrop();
        const QImage expected = picture.image().convertToFormat(QImage::Format_RGB32);
        const QPoint offset((shot.width() - expected.width()) / 2, (shot.height() - expected.height()) / 2);
        QCOMPARE(shot.copy(QRect(offset, expected.size())), expected);
        QCOMPARE(shot.pixel(offset - QPoint(1, 1)), kGrey);
    }

    // Nothing is cached: a new choice shows at the next paint.
    void newBackgroundShowsAtNextPaint() {
        m_profile->WriteText("Parameter", "Hintergrundbild",
                             writePicture("rot.bmp", filled({30, 30}, Qt::red)));
        showFrame();
        const QPoint centre(frame().backdrop()->width() / 2, frame().backdrop()->height() / 2);
        QCOMPARE(renderBackdrop().pixel(centre), qRgb(255, 0, 0));
        m_profile->WriteText("Parameter", "Hintergrundbild",
                             writePicture("blau.bmp", filled({30, 30}, Qt::blue)));
        frame().repaintBackdrop();
        QCOMPARE(renderBackdrop().pixel(centre), qRgb(0, 0, 255));
        // The same file, changed on disk.
        writePicture("blau.bmp", filled({30, 30}, Qt::green));
        QCOMPARE(renderBackdrop().pixel(centre), qRgb(0, 255, 0));
    }

    void contextHelpMode() {
        showFrame();
        int seriesRuns = 0;
        m_appCommands.add(32777, [&] { ++seriesRuns; });

        QVERIFY(frame().runCommand(Cmd::ContextHelp));
        QVERIFY(frame().inContextHelpMode());
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
        QCOMPARE(frame().statusLine()->message(), u8("Wählen Sie das Objekt, zu dem Sie Hilfe wünschen."));
        // Entering again does nothing.
        QVERIFY(frame().runCommand(Cmd::ContextHelp));
        QVERIFY(frame().inContextHelpMode());

        openMenu(0);
        frame().action(32777)->trigger();
        closeMenus();
        QCOMPARE(seriesRuns, 0);
        QVERIFY(!frame().inContextHelpMode());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(frame().statusLine()->message(), u8("Drücken Sie F1, um Hilfe zu erhalten."));
        const std::vector<HelpCall> expected = {{98313, HelpCommand::Context}};
        QCOMPARE(m_help, expected);

        // Out of the mode the command runs again.
        openMenu(0);
        frame().action(32777)->trigger();
        QCOMPARE(seriesRuns, 1);
        QCOMPARE(m_help.size(), std::size_t(1));
    }

    void contextHelpReachesGreyHeadings() {
        showFrame();
        frame().runCommand(Cmd::ContextHelp);
        openMenu(3);
        QVERIFY(frame().action(Cmd::HeadingDivision)->isEnabled());
        frame().action(Cmd::HeadingDivision)->trigger();
        closeMenus();
        const std::vector<HelpCall> expected = {{98342, HelpCommand::Context}};
        QCOMPARE(m_help, expected);
        openMenu(3);
        QVERIFY(!frame().action(Cmd::HeadingDivision)->isEnabled());
    }

    void contextHelpClicks_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("topic"); // 0: no help, the mode just ends
        QTest::newRow("client area") << "backdrop" << 131200;
        QTest::newRow("status bar") << "status" << 124929;
        QTest::newRow("escape") << "escape" << 0;
    }

    void contextHelpClicks() {
        QFETCH(QString, target);
        QFETCH(int, topic);
        showFrame();
        frame().runCommand(Cmd::ContextHelp);
        if (target == QLatin1String("backdrop"))
            QTest::mouseClick(frame().backdrop(), Qt::LeftButton, {}, QPoint(20, 20));
        else if (target == QLatin1String("status"))
            QTest::mouseClick(frame().statusLine()->pane(StatusLine::Message), Qt::LeftButton);
        else
            QTest::keyClick(frame().backdrop(), Qt::Key_Escape);
        QVERIFY(!frame().inContextHelpMode());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        std::vector<HelpCall> expected;
        if (topic != 0)
            expected.push_back({topic, HelpCommand::Context});
        QCOMPARE(m_help, expected);

        // Outside the mode a click opens nothing.
        QTest::mouseClick(frame().backdrop(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(m_help, expected);
    }

    void accelerators_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<bool>("contents");
        QTest::addColumn<bool>("contextMode");
        QTest::newRow("F1") << QKeyCombination(Qt::Key_F1) << true << false;
        QTest::newRow("Shift+F1") << QKeyCombination(Qt::ShiftModifier, Qt::Key_F1) << false << true;
        QTest::newRow("Ctrl+C") << QKeyCombination(Qt::ControlModifier, Qt::Key_C) << false << false;
        QTest::newRow("Ctrl+V") << QKeyCombination(Qt::ControlModifier, Qt::Key_V) << false << false;
        QTest::newRow("Ctrl+X") << QKeyCombination(Qt::ControlModifier, Qt::Key_X) << false << false;
        QTest::newRow("Ctrl+Z") << QKeyCombination(Qt::ControlModifier, Qt::Key_Z) << false << false;
        QTest::newRow("Ctrl+Insert") << QKeyCombination(Qt::ControlModifier, Qt::Key_Insert) << false
                                     << false;
        QTest::newRow("Shift+Insert") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert) << false << false;
        QTest::newRow("Shift+Delete") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Delete) << false << false;
        QTest::newRow("Alt+Backspace")
            << QKeyCombination(Qt::AltModifier, Qt::Key_Backspace) << false << false;
    }

    void accelerators() {
        QFETCH(QKeyCombination, key);
        QFETCH(bool, contents);
        QFETCH(bool, contextMode);
        showFrame();
        QApplication::setActiveWindow(&frame());
        QVERIFY(QTest::qWaitForWindowActive(&frame()));
        QTest::keyClick(&frame(), key.key(), key.keyboardModifiers());
        std::vector<HelpCall> expected;
        if (contents)
            expected.push_back({0, HelpCommand::Finder});
        QCOMPARE(m_help, expected);
        QCOMPARE(frame().inContextHelpMode(), contextMode);
        frame().runCommand(Cmd::ContextHelp); // leaves through Esc below
        QTest::keyClick(frame().backdrop(), Qt::Key_Escape);
        QVERIFY(!frame().inContextHelpMode());
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
