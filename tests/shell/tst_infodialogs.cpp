#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "kit/bitmapbutton.h"
#include "shell/bitmapokdlg.h"
#include "shell/infodlg.h"

namespace {

QStringList labelTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    return texts;
}

// A line that does not fit its box is cut off on the screen.
void verifyLinesFit(const QWidget& dialog) {
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        const QSize needed = label->fontMetrics().size(0, label->text());
        QVERIFY2(label->contentsRect().width() >= needed.width(), qPrintable(label->text()));
        QVERIFY2(label->contentsRect().height() >= needed.height() - 2, qPrintable(label->text()));
        QVERIFY2(dialog.rect().contains(label->geometry()), qPrintable(label->text()));
    }
}

// Runs the dialog and lets `act` end it from inside its loop.
template <typename Dialog, typename Act> int runAndAct(Dialog& dialog, Act act) {
    QTimer::singleShot(0, &dialog, [&] { act(dialog); });
    return dialog.exec();
}

} // namespace

class TestInfoDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aboutBox() {
        CInfoDlg dialog;
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Info über Ollo"));
        const QStringList texts = labelTexts(dialog);
        QVERIFY(texts.contains(QStringLiteral("Ollo, Version 1.1")));
        QVERIFY(texts.contains(QString::fromUtf8("© 2026 Ollo-Projekt")));
        const auto* icon = dialog.findChild<QLabel*>(QStringLiteral("icon"));
        QVERIFY(icon != nullptr);
        QVERIFY(!icon->pixmap().isNull());
        QCOMPARE(dialog.size(), QSize(326, 89));
        verifyLinesFit(dialog);
    }

    void aboutBoxEnds_data() {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << false << 1;
        QTest::newRow("Esc") << true << 2;
    }

    void aboutBoxEnds() {
        QFETCH(bool, escape);
        QFETCH(int, result);
        CInfoDlg dialog;
        const int ended = runAndAct(dialog, [escape](CInfoDlg& d) {
            if (escape)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        });
        QCOMPARE(ended, result);
    }

    void aboutBoxEnterIsOk() {
        CInfoDlg dialog;
        QCOMPARE(runAndAct(dialog, [](CInfoDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }), 1);
    }

    void contactBox() {
        CBitmapOkDlg dialog(CBitmapOkDlg::ContactTemplate);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Fragen und Probleme ?"));
        // The template's height; as wide as its title needs in a frame, at
        // least the template's width.
        QCOMPARE(dialog.height(), 185);
        QFont bold = QApplication::font();
        bold.setBold(true);
        QVERIFY(dialog.width() >= 254);
        const QFontMetrics title(bold);
        QVERIFY(dialog.width() >= title.horizontalAdvance(dialog.windowTitle()) + 4 * title.height());
        const auto* group = dialog.findChild<QGroupBox*>();
        QVERIFY(group != nullptr);
        QCOMPARE(group->title(), QStringLiteral("Rat und Hilfe"));

        // True of this program, no address or number made up.
        const QStringList expected = {QStringLiteral("Ollo-Projekt"),
                                      QStringLiteral("freie Software"),
                                      QString::fromUtf8("für die Familie"),
                                      QStringLiteral("Hilfe: Taste F1"),
                                      QString::fromUtf8("oder Menü Hilfe"),
                                      QStringLiteral("Fragen: in der Hilfe"),
                                      QString::fromUtf8("unter „Häufige Fragen“"),
                                      QStringLiteral("MIT-Lizenz; mehr in README.md")};
        QCOMPARE(labelTexts(dialog), expected);
        verifyLinesFit(dialog);
        // The help's contact page says the same.
        QFile page(QStringLiteral(OLLO_HELP_SOURCE_DIR "/kontakt.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll())
                                 .remove(QRegularExpression(QStringLiteral("<[^>]*>")))
                                 .simplified();
        for (const QString& line : expected)
            QVERIFY2(text.contains(line), qPrintable(line));

        const auto* bulb = dialog.findChild<QLabel*>(QStringLiteral("bulb"));
        QVERIFY(bulb != nullptr);
        QCOMPARE(bulb->pixmap().size(), QSize(32, 32));
    }

    // The OK button takes its face's size at the template's corner.
    void contactOkButton() {
        CBitmapOkDlg dialog(CBitmapOkDlg::ContactTemplate);
        auto* ok = dialog.findChild<CBitmapButton*>();
        QVERIFY(ok != nullptr);
        QCOMPARE(ok->geometry(), QRect(171, 76, 79, 44));
        QVERIFY(!ok->currentFace().isNull());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(ok->hasFocus());
        const QImage focused = ok->currentFace();
        QTest::mousePress(ok, Qt::LeftButton);
        const QImage pressed = ok->currentFace();
        QVERIFY(pressed != focused);
        QTest::mouseRelease(ok, Qt::LeftButton);
        QVERIFY(ok->currentFace() != pressed);
    }

    void contactBoxEnds_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("OK clicked") << "click" << 1;
        QTest::newRow("space on OK") << "space" << 1;
        QTest::newRow("Esc") << "escape" << 2;
        QTest::newRow("close box") << "close" << 2;
    }

    void contactBoxEnds() {
        QFETCH(QString, how);
        QFETCH(int, result);
        CBitmapOkDlg dialog(CBitmapOkDlg::ContactTemplate);
        const int ended = runAndAct(dialog, [how](CBitmapOkDlg& d) {
            auto* ok = d.findChild<CBitmapButton*>();
            if (how == QLatin1String("click"))
                QTest::mouseClick(ok, Qt::LeftButton);
            else if (how == QLatin1String("space"))
                QTest::keyClick(ok, Qt::Key_Space);
            else if (how == QLatin1String("escape"))
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                d.close();
        });
        QCOMPARE(ended, result);
    }
};

QTEST_MAIN(TestInfoDialogs)
#include "tst_infodialogs.moc"
