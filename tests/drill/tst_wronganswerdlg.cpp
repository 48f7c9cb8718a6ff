#include <QLabel>
#include <QTest>
#include <QWindow>

#include "common/fakehost.h"
#include "drill/wronganswerdlg.h"
#include "kit/bitmapbutton.h"
#include "kit/dialogunits.h"

class TestWrongAnswerDlg : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void picturesAndButtons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry"); // dialog units for x, y; pixels for the size
        QTest::addColumn<QString>("bitmap");

        QTest::newRow("girl") << "girl" << QRect(135, 5, 178, 198) << ":/bitmaps/137.bmp";
        QTest::newRow("not quite right") << "notRight" << QRect(15, 5, 194, 62) << ":/bitmaps/149.bmp";
        QTest::newRow("try again") << "tryAgain" << QRect(10, 45, 196, 26) << ":/bitmaps/150.bmp";
        QTest::newRow("or solve") << "orSolve" << QRect(25, 60, 141, 29) << ":/bitmaps/148.bmp";
        QTest::newRow("solve button") << "solveButton" << QRect(75, 90, 87, 44) << ":/bitmaps/LOESENU.bmp";
        QTest::newRow("again button") << "againButton" << QRect(10, 90, 87, 44) << ":/bitmaps/NOCHMALSU.bmp";
    }
    void picturesAndButtons() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, bitmap);

        CWrongAnswerDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Oh! Oooooh!"));
        QCOMPARE(dialog.size(), QSize(Dlu::x(258), Dlu::y(134)));
        auto* widget = dialog.findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(),
                 QRect(Dlu::x(geometry.x()), Dlu::y(geometry.y()), geometry.width(), geometry.height()));
        const QImage expected(bitmap);
        QVERIFY(!expected.isNull());
        QCOMPARE(widget->size(), expected.size());
        if (auto* button = qobject_cast<CBitmapButton*>(widget))
            QCOMPARE(button->currentFace().convertToFormat(QImage::Format_ARGB32),
                     expected.convertToFormat(QImage::Format_ARGB32));
        else
            QCOMPARE(qobject_cast<QLabel*>(widget)->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                     expected.convertToFormat(QImage::Format_ARGB32));
        QVERIFY(dialog.rect().contains(widget->geometry()));
    }

    void choices_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("LOESEN") << "solve" << 1;
        QTest::newRow("NOCHMALS") << "again" << 2;
        QTest::newRow("enter at once") << "enter" << 1;
        QTest::newRow("space at once") << "space" << 1;
        QTest::newRow("escape") << "escape" << 2;
        QTest::newRow("close box") << "close" << 2;
        QTest::newRow("tab, then enter") << "tab-enter" << 2;
        QTest::newRow("F1 opens its topic, then escape") << "help-escape" << 2;
    }
    void choices() {
        QFETCH(QString, how);
        QFETCH(int, result);

        FakeHost host;
        CWrongAnswerDlg dialog(&host);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* solve = dialog.findChild<CBitmapButton*>(QStringLiteral("solveButton"));
        auto* again = dialog.findChild<CBitmapButton*>(QStringLiteral("againButton"));
        QCOMPARE(dialog.focusWidget(), solve);
        if (how == u"solve")
            QTest::mouseClick(solve, Qt::LeftButton);
        else if (how == u"again")
            QTest::mouseClick(again, Qt::LeftButton);
        else if (how == u"enter")
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        else if (how == u"space")
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Space);
        else if (how == u"escape")
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
        else if (how == u"help-escape") {
            QTest::keyClick(dialog.focusWidget(), Qt::Key_F1);
            QCOMPARE(host.helps, QList<int>{131183});
            QVERIFY(dialog.isVisible());
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
        } else if (how == u"tab-enter") {
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
            QCOMPARE(dialog.focusWidget(), again);
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        } else
            dialog.windowHandle()->close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), result);
    }
};

QTEST_MAIN(TestWrongAnswerDlg)
#include "tst_wronganswerdlg.moc"
