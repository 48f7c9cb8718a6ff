#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "drill/digitedit.h"
#include "drill/limitdialog.h"

namespace {

CDigitEdit* field(QDialog& dialog) {
    return dialog.findChild<CDigitEdit*>(QStringLiteral("field"));
}

QPushButton* button(QDialog& dialog, const QString& text) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

class TestLimitDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void looksAsDesigned() {
        QString value = QStringLiteral("20");
        CLimitDialog dialog(value);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Aufgaben bis ?"));
        QVERIFY(dialog.findChild<QLabel*>()->text() == QStringLiteral("Gib bitte die Grenze ein :"));
        QCOMPARE(field(dialog)->text(), QStringLiteral("20"));
        QVERIFY(button(dialog, QStringLiteral("OK"))->isDefault());
        QVERIFY(button(dialog, QStringLiteral("Abbruch")));
        QCOMPARE(dialog.size(), QSize(233, 102));
    }

    // Keys typed after the dialog opens (the field holds the focus), then how
    // it is left: "ok", "enter", "cancel", "escape" or "close".
    void answers_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("leave");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("value");

        QTest::newRow("unchanged") << ""
                                   << "ok" << 1 << "20";
        QTest::newRow("enter in the field") << ""
                                            << "enter" << 1 << "20";
        QTest::newRow("new number") << "\b\b13"
                                    << "ok" << 1 << "13";
        QTest::newRow("fifth digit refused") << "\b\b12345"
                                             << "ok" << 1 << "1234";
        QTest::newRow("letters and signs refused") << "\b\b-1 a"
                                                   << "ok" << 1 << "1";
        QTest::newRow("emptied") << "\b\b"
                                 << "ok" << 1 << "";
        QTest::newRow("cancel keeps the value") << "\b\b5"
                                                << "cancel" << 2 << "20";
        QTest::newRow("escape keeps the value") << "\b5"
                                                << "escape" << 2 << "20";
        QTest::newRow("close box keeps the value") << "7"
                                                   << "close" << 2 << "20";
    }
    void answers() {
        QFETCH(QString, keys);
        QFETCH(QString, leave);
        QFETCH(int, result);
        QFETCH(QString, value);

        QString text = QStringLiteral("20");
        CLimitDialog dialog(text);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), field(dialog));
        for (QChar c : keys) {
            if (c == u'\b')
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
            else
                QTest::keyClicks(QApplication::focusWidget(), QString(c));
        }
        if (leave == u"ok")
            QTest::mouseClick(button(dialog, QStringLiteral("OK")), Qt::LeftButton);
        else if (leave == u"enter")
            QTest::keyClick(field(dialog), Qt::Key_Return);
        else if (leave == u"cancel")
            QTest::mouseClick(button(dialog, QStringLiteral("Abbruch")), Qt::LeftButton);
        else if (leave == u"escape")
            QTest::keyClick(field(dialog), Qt::Key_Escape);
        else
            dialog.windowHandle()->close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), result);
        QCOMPARE(text, value);
    }
};

QTEST_MAIN(TestLimitDialog)
#include "tst_limitdialog.moc"
