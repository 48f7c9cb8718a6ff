#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "base/clock.h"
#include "base/profile.h"
#include "kit/bitmapbutton.h"
#include "rewards/picturerewarddlg.h"
#include "rewardscene.h"
#include "rewardseeds.h"

namespace {

void writePicture(const QString& fileName, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(fileName, "BMP"));
}

// A 30 × 20 GIF in one colour, 0x00ff00.
const QByteArray kGreenGif =
    QByteArray::fromHex("4749463839611e001400f0000000ff0000000021f90400000000002c000000001e0014000002"
                        "17848fa9cbed0fa39cb4da8bb3debcfb0f86e24896665200003b");

// Every pixel its own colour, so a drawn pixel tells where in the picture it
// came from.
QRgb codeFor(int x, int y) {
    return qRgb(x & 0xff, y & 0xff, ((x >> 8) << 4) | (y >> 8));
}

} // namespace

class TestPictureRewardDlg : public QObject, private RewardScene {
    Q_OBJECT

private:
    CBitmapButton* okButton(QWidget* dialog) { return dialog->findChild<CBitmapButton*>("okButton"); }

    QColor centreColour(CPictureRewardDlg& dialog) {
        const QImage shot = dialog.grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() / 2);
    }

    // Pictures in section Bilder, in order Bild0, Bild1, …
    void listPictures(const QStringList& names) {
        m_profile->WriteInt("Bilder", "Anzahl", int(names.size()));
        for (int i = 0; i < names.size(); ++i)
            m_profile->WriteText("Bilder", QStringLiteral("Bild%1").arg(i), names[i]);
    }

private Q_SLOTS:
    void init() { enterScene(); }
    void cleanup() { leaveScene(); }

    void layout() {
        QWidget frame;
        frame.setGeometry(60, 40, 700, 500);
        frame.show();
        CPictureRewardDlg dialog(*m_profile, &frame);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Und jetzt ein hübsches Bild "));
        QCOMPARE(dialog.frameGeometry().size(), QSize(620, 435));
        CBitmapButton* ok = okButton(&dialog);
        QVERIFY(ok);
        QCOMPARE(ok->geometry(), QRect(260, 350, 79, 44));
        QCOMPARE(dialog.focusWidget(), ok);
        QVERIFY(!dialog.isSizeGripEnabled());
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    }

    void placement_data() {
        QTest::addColumn<QRect>("owner"); // its frame
        QTest::addColumn<bool>("ownerShown");
        QTest::addColumn<QPoint>("topLeft"); // of the frame, on the 800 × 800 offscreen screen
        QTest::newRow("centred over the owner") << QRect(60, 40, 700, 500) << true << QPoint(100, 73);
        QTest::newRow("odd sizes truncate") << QRect(61, 41, 701, 501) << true << QPoint(101, 74);
        QTest::newRow("kept inside at the top left") << QRect(0, 0, 200, 150) << true << QPoint(0, 0);
        QTest::newRow("kept inside at the bottom right")
            << QRect(600, 650, 200, 150) << true << QPoint(180, 365);
        QTest::newRow("hidden owner: over the screen") << QRect(0, 0, 200, 150) << false << QPoint(90, 183);
    }
    void placement() {
        QFETCH(QRect, owner);
        QFETCH(bool, ownerShown);
        QFETCH(QPoint, topLeft);
        QWidget frame;
        frame.setGeometry(owner);
        if (ownerShown) {
            frame.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            // Place the owner's frame, not its client area, on the row's rectangle.
            const QRect outer = frame.frameGeometry(), client = frame.geometry();
            frame.setGeometry(owner.adjusted(client.left() - outer.left(), client.top() - outer.top(),
                                             client.right() - outer.right(),
                                             client.bottom() - outer.bottom()));
            QTRY_COMPARE(frame.frameGeometry(), owner);
        }
        if (frame.screen()->availableGeometry() != QRect(0, 0, 800, 800))
            QSKIP("The rows are worked out for the offscreen screen, 800 × 800.");
        CPictureRewardDlg dialog(*m_profile, &frame);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.frameGeometry(), QRect(topLeft, QSize(620, 435)));
    }

    void applause_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("sounds");
        QTest::newRow("sound on") << QByteArray("Sound=1") << QStringList{"applaus.wav"};
        QTest::newRow("any non-zero is on") << QByteArray("Sound=7") << QStringList{"applaus.wav"};
        QTest::newRow("sound off") << QByteArray("Sound=0") << QStringList{};
        QTest::newRow("no switch is off") << QByteArray() << QStringList{};
    }
    void applause() {
        QFETCH(QByteArray, settings);
        QFile file(m_profile->filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Parameter]\r\n" + settings + "\r\n");
        file.close();
        // No pictures at all: the applause plays all the same, once.
        CPictureRewardDlg dialog(*m_profile, m_host.get());
        dialog.grab();
        QTEST(m_host->sounds, "sounds");
    }

    void pictureDrawn_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("draw");
        QTest::addColumn<QColor>("shown");
        const QStringList colours{"#ff0000", "#00ff00", "#0000ff", "#ffff00"};
        QTest::newRow("3, draw 0 → Bild0") << 3 << 0 << QColor(colours[0]);
        QTest::newRow("3, draw 1 → Bild1") << 3 << 1 << QColor(colours[1]);
        QTest::newRow("3, draw 2 → Bild2") << 3 << 2 << QColor(colours[2]);
        QTest::newRow("3, draw 3 → Bild2") << 3 << 3 << QColor(colours[2]);
        QTest::newRow("1, draw 0 → Bild0") << 1 << 0 << QColor(colours[0]);
        QTest::newRow("1, draw 1 → Bild0") << 1 << 1 << QColor(colours[0]);
    }
    void pictureDrawn() {
        QFETCH(int, count);
        QFETCH(int, draw);
        const QStringList colours{"#ff0000", "#00ff00", "#0000ff", "#ffff00"};
        QStringList names;
        for (int i = 0; i < 4; ++i) {
            names << QStringLiteral("bild%1.bmp").arg(i);
            writePicture(names.last(), QSize(100, 80), QColor(colours[i]));
        }
        listPictures(names);
        m_profile->WriteInt("Bilder", "Anzahl", count);
        setClock(SecondsForDraw(count, draw));
        CPictureRewardDlg dialog(*m_profile, m_host.get());
        QTEST(centreColour(dialog), "shown");
    }

    // Each paint reseeds and chooses again: the same second shows the same
    // picture, a later second may show another. A screen reader hears what
    // the picture on screen shows, from the opening on.
    void everyPaintChoosesAnew() {
        writePicture("bild01.bmp", QSize(50, 50), Qt::red);
        writePicture("Bild02.BMP", QSize(50, 50), Qt::blue);
        listPictures({"bild01.bmp", "Bild02.BMP"});
        const QString cat =
            QString::fromUtf8("Eine getigerte Katze sitzt mit einem blauen Wollknäuel im Kinderzimmer.");
        const QString dog = QString::fromUtf8(
            "Ein Hund mit rotem Halsband sitzt vor seiner Hütte, neben ihm liegt ein Knochen.");
        const std::int64_t first = SecondsForDraw(2, 0);
        const std::int64_t second = SecondsForDraw(2, 1);
        setClock(first);
        CPictureRewardDlg dialog(*m_profile, m_host.get());
        QCOMPARE(dialog.accessibleDescription(), cat);
        QCOMPARE(centreColour(dialog), QColor(Qt::red));
        QCOMPARE(centreColour(dialog), QColor(Qt::red));
        setClock(second);
        QCOMPARE(centreColour(dialog), QColor(Qt::blue));
        QCOMPARE(dialog.accessibleDescription(), dog);
        // The file is read at every paint, nothing is kept.
        writePicture("Bild02.BMP", QSize(50, 50), Qt::yellow);
        QCOMPARE(centreColour(dialog), QColor(Qt::yellow));
        // A picture that cannot be drawn is not described.
        QFile::remove("Bild02.BMP");
        dialog.grab();
        QCOMPARE(dialog.accessibleDescription(), QString());
        listPictures({"bild01.bmp", "urlaub.bmp"});
        writePicture("urlaub.bmp", QSize(50, 50), Qt::green);
        dialog.grab();
        QCOMPARE(dialog.accessibleDescription(), QString::fromUtf8("Ein Bild zur Belohnung."));
    }

    void largerPictureIsCentredAndCut() {
        QImage image(700, 500, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, codeFor(x, y));
        QVERIFY(image.save("gross.bmp", "BMP"));
        listPictures({"gross.bmp"});
        CPictureRewardDlg dialog(*m_profile, m_host.get());
        QCOMPARE(dialog.size(), QSize(620, 435));
        const QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // (620 - 700) / 2 = -40 and (435 - 500) / 2 = -32, truncated toward zero.
        const QList<QPoint> probes{{0, 0}, {619, 0}, {0, 434}, {619, 434}, {310, 200}};
        for (const QPoint& p : probes)
            QCOMPARE(shot.pixel(p), codeFor(p.x() + 40, p.y() + 32));
    }

    void smallPictureIsCentred() {
        writePicture("klein.bmp", QSize(101, 51), Qt::red);
        listPictures({"klein.bmp"});
        CPictureRewardDlg dialog(*m_profile, m_host.get());
        const QImage shot = dialog.grab().toImage();
        // x from 259 to 359, y from 192 to 242.
        QCOMPARE(shot.pixelColor(259, 192), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(359, 242), QColor(Qt::red));
        QVERIFY(shot.pixelColor(258, 192) != QColor(Qt::red));
        QVERIFY(shot.pixelColor(360, 242) != QColor(Qt::red));
        QVERIFY(shot.pixelColor(259, 191) != QColor(Qt::red));
        QVERIFY(shot.pixelColor(359, 243) != QColor(Qt::red));
    }

    void gifIsShownLikeBmp() {
        QFile gif("bild.gif");
        QVERIFY(gif.open(QIODevice::WriteOnly));
        gif.write(kGreenGif);
        gif.close();
        listPictures({"bild.gif"});
        CPictureRewardDlg dialog(*m_profile, m_host.get());
        QCOMPARE(centreColour(dialog), QColor(Qt::green));
    }

    void nothingDrawn_data() {
        QTest::addColumn<QByteArray>("bilder");
        QTest::newRow("no section") << QByteArray();
        QTest::newRow("count 0") << QByteArray("Anzahl=0\r\nBild0=rot.bmp");
        QTest::newRow("entry missing") << QByteArray("Anzahl=1\r\nBild1=rot.bmp");
        QTest::newRow("entry empty") << QByteArray("Anzahl=1\r\nBild0=");
        QTest::newRow("file missing") << QByteArray("Anzahl=1\r\nBild0=fehlt.bmp");
        QTest::newRow("not a picture") << QByteArray("Anzahl=1\r\nBild0=text.bmp");
        QTest::newRow("broken bmp") << QByteArray("Anzahl=1\r\nBild0=kaputt.bmp");
    }
    void nothingDrawn() {
        QFETCH(QByteArray, bilder);
        writePicture("rot.bmp", QSize(620, 435), Qt::red);
        QFile text("text.bmp");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("kein Bild\r\n");
        text.close();
        QFile broken("kaputt.bmp");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("BM\x10\0\0\0", 6);
        broken.close();
        QFile file(m_profile->filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Bilder]\r\n" + bilder + "\r\n");
        file.close();
        CPictureRewardDlg dialog(*m_profile, m_host.get());
        QCOMPARE(centreColour(dialog), dialog.palette().color(QPalette::Window));
    }

    void closing_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("OK button") << 0 << int(QDialog::Accepted);
        QTest::newRow("Enter") << 1 << int(QDialog::Accepted);
        QTest::newRow("Escape") << 2 << int(QDialog::Rejected);
        QTest::newRow("close box") << 3 << int(QDialog::Rejected);
    }
    void closing() {
        QFETCH(int, how);
        CPictureRewardDlg dialog(*m_profile, m_host.get());
        QTimer::singleShot(0, &dialog, [&] {
            switch (how) {
            case 0:
                QTest::mouseClick(okButton(&dialog), Qt::LeftButton);
                break;
            case 1:
                QTest::keyClick(&dialog, Qt::Key_Return);
                break;
            case 2:
                QTest::keyClick(&dialog, Qt::Key_Escape);
                break;
            default:
                dialog.close();
            }
        });
        QTimer::singleShot(5000, &dialog, [&] { dialog.done(-1); });
        QTEST(dialog.exec(), "result");
    }
};

QTEST_MAIN(TestPictureRewardDlg)
#include "tst_picturerewarddlg.moc"
