#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QTest>
#include <QTimer>

#include "drill/digitedit.h"

// Keys as a child types them: characters, or named keys in braces.
namespace {

void type(QWidget* w, const QString& script) {
    for (qsizetype i = 0; i < script.size(); ++i) {
        if (script[i] != u'{' && script[i].unicode() >= 0x80) {
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(script[i]), Qt::NoModifier);
            continue;
        }
        if (script[i] != u'{') {
            QTest::keyClicks(w, QString(script[i]));
            continue;
        }
        const qsizetype end = script.indexOf(u'}', i);
        const QString name = script.mid(i + 1, end - i - 1);
        i = end;
        static const QHash<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
            {"bs", {Qt::Key_Backspace, Qt::NoModifier}},
            {"del", {Qt::Key_Delete, Qt::NoModifier}},
            {"left", {Qt::Key_Left, Qt::NoModifier}},
            {"right", {Qt::Key_Right, Qt::NoModifier}},
            {"home", {Qt::Key_Home, Qt::NoModifier}},
            {"end", {Qt::Key_End, Qt::NoModifier}},
            {"ctrl+v", {Qt::Key_V, Qt::ControlModifier}},
            {"ctrl+x", {Qt::Key_X, Qt::ControlModifier}},
            {"ctrl+z", {Qt::Key_Z, Qt::ControlModifier}},
            {"ctrl+c", {Qt::Key_C, Qt::ControlModifier}},
            {"ctrl+y", {Qt::Key_Y, Qt::ControlModifier}},
            {"ctrl+bs", {Qt::Key_Backspace, Qt::ControlModifier}},
            {"shift+ins", {Qt::Key_Insert, Qt::ShiftModifier}},
            {"ctrl+ins", {Qt::Key_Insert, Qt::ControlModifier}},
            {"shift+del", {Qt::Key_Delete, Qt::ShiftModifier}},
            {"shift+home", {Qt::Key_Home, Qt::ShiftModifier}},
            {"ctrl+a", {Qt::Key_A, Qt::ControlModifier}},
            {"alt+5", {Qt::Key_5, Qt::AltModifier}},
        };
        Q_ASSERT(keys.contains(name));
        const auto [key, mods] = keys.value(name);
        QTest::keyClick(w, key, mods);
    }
}

} // namespace

class TestDigitEdit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QGuiApplication::clipboard()->setText(QStringLiteral("99")); }

    void typing_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");

        QTest::newRow("digits and backspace") << ""
                                              << "12{bs}5"
                                              << "15";
        QTest::newRow("all ten digits") << ""
                                        << "0123456789"
                                        << "0123456789";
        QTest::newRow("minus sign") << "7"
                                    << "-"
                                    << "7";
        QTest::newRow("blank") << "7"
                               << " "
                               << "7";
        QTest::newRow("decimal comma and point") << "7"
                                                 << ",."
                                                 << "7";
        QTest::newRow("letters") << "7"
                                 << "aZx"
                                 << "7";
        QTest::newRow("umlaut and sharp s") << "7" << QString::fromUtf8("äß") << "7";
        QTest::newRow("plus and signs") << "7"
                                        << "+*/="
                                        << "7";
        QTest::newRow("paste") << "7"
                               << "{ctrl+v}"
                               << "7";
        QTest::newRow("paste by shift+insert") << "7"
                                               << "{shift+ins}"
                                               << "7";
        QTest::newRow("cut") << "78"
                             << "{shift+home}{ctrl+x}"
                             << "78";
        QTest::newRow("cut by shift+delete") << "78"
                                             << "{shift+home}{shift+del}"
                                             << "78";
        QTest::newRow("undo") << ""
                              << "12{ctrl+z}"
                              << "12";
        QTest::newRow("redo") << ""
                              << "12{bs}{ctrl+y}"
                              << "1";
        QTest::newRow("ctrl+backspace deletes no word") << "123"
                                                        << "{ctrl+bs}"
                                                        << "123";
        QTest::newRow("alt with a digit") << "7"
                                          << "{alt+5}"
                                          << "7";
        QTest::newRow("cursor keys and delete") << "123"
                                                << "{home}{del}{right}9{end}4"
                                                << "2934";
        QTest::newRow("left and backspace") << "123"
                                            << "{left}{left}{bs}"
                                            << "23";
        QTest::newRow("select all, then a digit replaces") << "123"
                                                           << "{ctrl+a}5"
                                                           << "1235";
        QTest::newRow("selection replaced by a digit") << "123"
                                                       << "{shift+home}8"
                                                       << "8";
    }
    void typing() {
        QFETCH(QString, preset);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        CDigitEdit edit;
        edit.setText(preset);
        edit.show();
        type(&edit, keys);
        QCOMPARE(edit.text(), expected);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("99"));
    }

    void copyLeavesClipboard_data() {
        QTest::addColumn<QString>("keys");
        QTest::newRow("ctrl+c") << "{ctrl+c}";
        QTest::newRow("ctrl+insert") << "{ctrl+ins}";
    }
    void copyLeavesClipboard() {
        QFETCH(QString, keys);
        CDigitEdit edit;
        edit.setText(QStringLiteral("45"));
        edit.selectAll();
        type(&edit, keys);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("99"));
        QCOMPARE(edit.text(), QStringLiteral("45"));
    }

    void textSetByTheProgramIsNotFiltered() {
        CDigitEdit edit;
        edit.setText(QStringLiteral("-1 a"));
        QCOMPARE(edit.text(), QStringLiteral("-1 a"));
    }

    void enterAndEscapeAreLeftToTheWindow() {
        CDigitEdit edit;
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(&edit, &press);
            QVERIFY(!press.isAccepted());
        }
    }

    void neitherMenuNorMouseNorDropPastes() {
        CDigitEdit edit;
        edit.setText(QStringLiteral("7"));
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QGuiApplication::clipboard()->setText(QStringLiteral("99"), QClipboard::Selection);
        QTest::mouseClick(&edit, Qt::MiddleButton);
        // A menu that did open would block; close it so the test can fail.
        QTimer::singleShot(200, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2), edit.mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(&edit, &menu);
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(!edit.acceptDrops());
        QCOMPARE(edit.text(), QStringLiteral("7"));
    }
};

QTEST_MAIN(TestDigitEdit)
#include "tst_digitedit.moc"
