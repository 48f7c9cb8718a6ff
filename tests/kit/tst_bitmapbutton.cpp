#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "kit/bitmapbutton.h"
#include "kit/dialogunits.h"
#include "pictures/picturefile.h"

namespace {

constexpr QRgb kMarker = 0xff123456;

QImage face(const QString& name) {
    return ReadDIB(QStringLiteral(":/bitmaps/%1.bmp").arg(name)).image();
}

// What the button paints, on a marker background that shows through
// wherever it paints nothing. Scale 2 renders as on a 200 % screen.
QImage painted(QWidget& button, int scale = 1) {
    QImage image(button.size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(kMarker);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// True when the image shows the face pixel for pixel from its top-left
// corner (each face pixel a scale × scale block).
bool shows(const QImage& image, const QImage& expected, int scale = 1) {
    if (expected.isNull() || image.width() < expected.width() * scale ||
        image.height() < expected.height() * scale)
        return false;
    for (int y = 0; y < expected.height() * scale; ++y)
        for (int x = 0; x < expected.width() * scale; ++x)
            if ((image.pixel(x, y) | 0xff000000) != (expected.pixel(x / scale, y / scale) | 0xff000000))
                return false;
    return true;
}

// True when nothing is painted outside the given top-left part.
bool untouchedBeyond(const QImage& image, QSize painted) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x >= painted.width() || y >= painted.height()) && image.pixel(x, y) != kMarker)
                return false;
    return true;
}

bool untouched(const QImage& image) {
    return untouchedBeyond(image, QSize(0, 0));
}

QMouseEvent mouseEvent(QEvent::Type type, QWidget& widget, QPoint pos, Qt::MouseButtons buttons) {
    return QMouseEvent(type, pos, widget.mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
}

} // namespace

class TestBitmapButton : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QDialog> m_dialog;
    CBitmapButton* m_button = nullptr;
    QPushButton* m_other = nullptr;

    // A dialog as a form builds it: the button at its template place and
    // size, 55 x 25 dialog units at (7, 150), with the caption naming its faces.
    CBitmapButton* place(const QString& caption) {
        m_button = new CBitmapButton(m_dialog.get());
        m_button->setText(caption);
        m_button->setGeometry(Dlu::x(7), Dlu::y(150), Dlu::x(55), Dlu::y(25));
        return m_button;
    }

    void showAndActivate() {
        m_dialog->show();
        m_dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    }

private Q_SLOTS:
    void init() {
        m_dialog = std::make_unique<QDialog>();
        m_dialog->resize(400, 300);
        m_other = new QPushButton(QStringLiteral("x"), m_dialog.get());
        m_other->setGeometry(300, 10, 50, 20);
    }
    void cleanup() {
        m_dialog.reset();
        m_button = nullptr;
        m_other = nullptr;
    }

    // Every face and picture the program embeds, at the size and colour
    // depth the dialogs are laid out for.
    void embeddedBitmaps_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("bitCount");

        for (const char* stem : {"OK", "NEXT", "CANCEL", "HELPBUTTON"})
            for (const char* state : {"U", "D"})
                QTest::addRow("%s%s", stem, state) << QString::fromLatin1(stem) + state << QSize(79, 44) << 8;
        for (const char* stem : {"OK2", "CANCEL2", "LOESEN", "NOCHMALS"})
            for (const char* state : {"U", "D"})
                QTest::addRow("%s%s", stem, state) << QString::fromLatin1(stem) + state << QSize(87, 44) << 4;
        QTest::newRow("134 frog") << "134" << QSize(92, 120) << 4;
        QTest::newRow("136 chick") << "136" << QSize(182, 144) << 4;
        QTest::newRow("137 girl") << "137" << QSize(178, 198) << 8;
        QTest::newRow("148 lettering") << "148" << QSize(141, 29) << 8;
        QTest::newRow("149 lettering") << "149" << QSize(194, 62) << 8;
        QTest::newRow("150 lettering") << "150" << QSize(196, 26) << 8;
        QTest::newRow("162 bulb") << "162" << QSize(32, 32) << 8;
    }
    void embeddedBitmaps() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(int, bitCount);

        QCOMPARE(face(name).size(), size);
        QFile file(QStringLiteral(":/bitmaps/%1.bmp").arg(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(30);
        QCOMPARE(int(quint8(header.at(28))), bitCount);
    }

    // A template button of 55 x 25 dialog units takes its face's size and
    // keeps its top-left corner; the accessible name is the face's word.
    void attachTakesTheFaceSize_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("spoken");

        QTest::newRow("OK") << "OK" << QSize(79, 44) << "OK";
        QTest::newRow("CANCEL") << "CANCEL" << QSize(79, 44) << "Ende";
        QTest::newRow("HELPBUTTON") << "HELPBUTTON" << QSize(79, 44) << "Hilfe";
        QTest::newRow("OK2") << "OK2" << QSize(87, 44) << "OK";
        QTest::newRow("CANCEL2") << "CANCEL2" << QSize(87, 44) << "Ende";
        QTest::newRow("LOESEN") << "LOESEN" << QSize(87, 44) << QString::fromUtf8("Lösen");
        QTest::newRow("NOCHMALS") << "NOCHMALS" << QSize(87, 44) << "Nochmal";
    }
    void attachTakesTheFaceSize() {
        QFETCH(QString, caption);
        QFETCH(QSize, size);
        QFETCH(QString, spoken);

        CBitmapButton* button = place(caption);
        QCOMPARE(button->size(), QSize(83, 41));
        const QPoint corner = button->pos();
        // No focus or disabled faces exist, so the attach reports false.
        QVERIFY(button->AttachByCaption());
        QCOMPARE(button->geometry(), QRect(corner, size));
        QCOMPARE(button->sizeHint(), size);
        QCOMPARE(button->accessibleName(), spoken);
        QVERIFY(shows(painted(*button), face(caption + 'U')));
    }

    // The drill turns OK into Weiter and back: same size, new face and name.
    void swappingFacesKeepsTheSize() {
        CBitmapButton* button = place("OK");
        button->AttachByCaption();
        const QRect geometry = button->geometry();
        QCOMPARE(geometry.size(), QSize(79, 44));

        QVERIFY(button->LoadFaces("NEXTU", "NEXTD"));
        QCOMPARE(button->geometry(), geometry);
        QCOMPARE(button->accessibleName(), "Weiter");
        // What a screen reader is told.
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(button);
        QVERIFY(spoken);
        QCOMPARE(spoken->text(QAccessible::Name), "Weiter");
        QVERIFY(shows(painted(*button), face("NEXTU")));
        button->setDown(true);
        QVERIFY(shows(painted(*button), face("NEXTD")));
        button->setDown(false);

        QVERIFY(button->LoadFaces("OKU", "OKD"));
        QCOMPARE(button->geometry(), geometry);
        QCOMPARE(button->accessibleName(), "OK");
        QVERIFY(shows(painted(*button), face("OKU")));
    }

    void loadFacesReportsWhatWasAskedFor_data() {
        QTest::addColumn<QStringList>("names"); // up, down, focus, disabled
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("hasFace");

        QTest::newRow("all four") << QStringList{"TESTU", "TESTD", "TESTF", "TESTX"} << true << true;
        QTest::newRow("up only") << QStringList{"TESTU", "", "", ""} << true << true;
        QTest::newRow("up and down") << QStringList{"OKU", "OKD", "", ""} << true << true;
        QTest::newRow("missing focus face") << QStringList{"OKU", "OKD", "NOSUCHF", ""} << false << true;
        QTest::newRow("missing down face") << QStringList{"TESTU", "NOSUCHD", "", ""} << false << true;
        QTest::newRow("missing up face")
            << QStringList{"NOSUCHU", "TESTD", "TESTF", "TESTX"} << false << false;
        QTest::newRow("no up name") << QStringList{"", "TESTD", "", ""} << false << false;
    }
    void loadFacesReportsWhatWasAskedFor() {
        QFETCH(QStringList, names);
        QFETCH(bool, result);
        QFETCH(bool, hasFace);

        CBitmapButton* button = place("OK");
        button->AttachByCaption();
        QCOMPARE(button->LoadFaces(names[0], names[1], names[2], names[3]), result);
        // The faces held before are gone either way, and the size stays.
        QCOMPARE(button->size(), QSize(79, 44));
        QCOMPARE(!button->currentFace().isNull(), hasFace);
        if (!hasFace) {
            QVERIFY(untouched(painted(*button)));
            QCOMPARE(button->accessibleName(), QString());
            // Down faces are not shown without an up face either.
            button->setDown(true);
            QVERIFY(untouched(painted(*button)));
        }
    }

    // Without an up face the button keeps the template size, paints nothing
    // and still works as a push button.
    void missingUpFaceStillClicks() {
        CBitmapButton* button = place("NOSUCH");
        QVERIFY(!button->AttachByCaption());
        QCOMPARE(button->size(), QSize(83, 41));
        QVERIFY(untouched(painted(*button)));

        showAndActivate();
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(40, 20));
        QCOMPARE(clicked.count(), 1);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(clicked.count(), 2);
    }

    // The choice of face: down while pressed, else focus while focused,
    // else disabled while disabled, each only when loaded; else up.
    void faceChoice_data() {
        QTest::addColumn<QString>("loaded"); // letters of the faces loaded besides U
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("shown");

        QTest::newRow("idle") << "DFX" << false << false << true << "U";
        QTest::newRow("pressed") << "DFX" << true << false << true << "D";
        QTest::newRow("pressed and focused") << "DFX" << true << true << true << "D";
        QTest::newRow("focused") << "DFX" << false << true << true << "F";
        QTest::newRow("disabled") << "DFX" << false << false << false << "X";
        QTest::newRow("pressed and disabled") << "DFX" << true << false << false << "D";
        QTest::newRow("pressed and focused, no down face") << "FX" << true << true << true << "F";
        QTest::newRow("pressed and disabled, no down face") << "FX" << true << false << false << "X";
        QTest::newRow("pressed, no down face") << "FX" << true << false << true << "U";
        QTest::newRow("focused, no focus face") << "DX" << false << true << true << "U";
        QTest::newRow("disabled, no disabled face") << "DF" << false << false << false << "U";
        QTest::newRow("up face only, pressed and focused") << "" << true << true << true << "U";
        QTest::newRow("up face only, disabled") << "" << false << false << false << "U";
    }
    void faceChoice() {
        QFETCH(QString, loaded);
        QFETCH(bool, pressed);
        QFETCH(bool, focused);
        QFETCH(bool, enabled);
        QFETCH(QString, shown);

        CBitmapButton* button = place("TEST");
        auto name = [&](QChar letter) {
            return loaded.contains(letter) ? "TEST" + QString(letter) : QString();
        };
        QVERIFY(button->LoadFaces("TESTU", name('D'), name('F'), name('X')));
        showAndActivate();
        if (focused) {
            button->setFocus();
            QVERIFY(button->hasFocus());
        } else {
            m_other->setFocus();
        }
        button->setEnabled(enabled);
        button->setDown(pressed);

        const QImage expected = face("TEST" + shown);
        QCOMPARE(button->currentFace(), expected);
        // The button keeps its template size here, bigger than the face:
        // the face is copied to the top-left corner and nothing else is
        // painted, no frame, text or greying.
        const QImage image = painted(*button);
        QVERIFY(shows(image, expected));
        QVERIFY(untouchedBeyond(image, expected.size()));
    }

    // The program's faces on a focused button: its focus face, so a keyboard
    // user sees where Enter goes; disabled: the up face, unchanged.
    void focusShowsDisabledLooksLikeIdle() {
        CBitmapButton* button = place("OK");
        button->AttachByCaption();
        showAndActivate();
        m_other->setFocus();
        const QImage idle = painted(*button);
        QVERIFY(shows(idle, face("OKU")));
        button->setFocus();
        QVERIFY(button->hasFocus());
        QVERIFY(shows(painted(*button), face("OKF")));
        QVERIFY(painted(*button) != idle);
        button->setEnabled(false);
        QCOMPARE(painted(*button), idle);
    }

    // Held down it shows the down face; dragged out it shows the up face and
    // released outside it sends nothing. Released inside, it clicks.
    void pressingAndReleasing() {
        CBitmapButton* button = place("OK");
        button->AttachByCaption();
        showAndActivate();
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        const QPoint inside(40, 22);
        const QPoint outside(120, 22);

        auto press = mouseEvent(QEvent::MouseButtonPress, *button, inside, Qt::LeftButton);
        QApplication::sendEvent(button, &press);
        QVERIFY(shows(painted(*button), face("OKD")));
        auto drag = mouseEvent(QEvent::MouseMove, *button, outside, Qt::LeftButton);
        QApplication::sendEvent(button, &drag);
        QVERIFY(shows(painted(*button), face("OKU")));
        auto release = mouseEvent(QEvent::MouseButtonRelease, *button, outside, Qt::NoButton);
        QApplication::sendEvent(button, &release);
        QVERIFY(shows(painted(*button), face("OKU")));
        QCOMPARE(clicked.count(), 0);

        QTest::mouseClick(button, Qt::LeftButton, {}, inside);
        QCOMPARE(clicked.count(), 1);
    }

    void spaceBarPressesAndClicks() {
        CBitmapButton* button = place("LOESEN");
        button->AttachByCaption();
        showAndActivate();
        button->setFocus();
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyPress(button, Qt::Key_Space);
        QVERIFY(shows(painted(*button), face("LOESEND")));
        QTest::keyRelease(button, Qt::Key_Space);
        QVERIFY(shows(painted(*button), face("LOESENF")));
        QCOMPARE(clicked.count(), 1);
    }

    // On a 200 % screen every face pixel becomes a 2 x 2 block, unblended.
    void doubleScaleCopiesPixelBlocks() {
        CBitmapButton* button = place("NOCHMALS");
        button->AttachByCaption();
        QVERIFY(shows(painted(*button, 2), face("NOCHMALSU"), 2));
    }

    // A button bigger than its face (a face swapped for a smaller one) shows
    // the face at its top-left corner and nothing beside it.
    void smallerFaceLeavesTheRestUnpainted() {
        CBitmapButton* button = place("OK");
        button->AttachByCaption();
        QVERIFY(button->LoadFaces("TESTU"));
        const QImage image = painted(*button);
        QVERIFY(shows(image, face("TESTU")));
        QVERIFY(untouchedBeyond(image, QSize(20, 10)));
    }
};

QTEST_MAIN(TestBitmapButton)
#include "tst_bitmapbutton.moc"
