#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "base/clock.h"
#include "base/profile.h"
#include "common/filecontents.h"
#include "kit/bitmapbutton.h"
#include "rewards/jokerewarddlg.h"
#include "rewardscene.h"
#include "rewardseeds.h"

namespace {

void writeBackdrop(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save("joke.bmp", "BMP"));
}

bool isInk(QRgb pixel) {
    return qGray(pixel) < 128;
}

// Rows (above the button row) and columns that hold dark pixels.
struct Ink {
    QList<int> rows;
    int left = -1;
};

Ink inkOf(const QImage& shot) {
    Ink ink;
    for (int y = 0; y < CJokeRewardDlg::kButtonRowY; ++y) {
        bool any = false;
        for (int x = 0; x < shot.width(); ++x) {
            if (isInk(shot.pixel(x, y))) {
                any = true;
                if (ink.left < 0 || x < ink.left)
                    ink.left = x;
            }
        }
        if (any)
            ink.rows << y;
    }
    return ink;
}

// The first row of every run of inked rows.
QList<int> lineTops(const QList<int>& rows) {
    QList<int> tops;
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (i == 0 || rows[i] != rows[i - 1] + 1)
            tops << rows[i];
    return tops;
}

} // namespace

class TestJokeRewardDlg : public QObject, private RewardScene {
    Q_OBJECT

private:
    QImage shotOf(CJokeRewardDlg& dialog) {
        return dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private Q_SLOTS:
    void init() { enterScene(); }
    void cleanup() { leaveScene(); }

    void layout() {
        QWidget frame;
        frame.setGeometry(60, 40, 700, 500);
        frame.show();
        CJokeRewardDlg dialog(*m_profile, &frame);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QString("Und jetzt ein lustiger Witz !"));
        QCOMPARE(dialog.frameGeometry().size(), QSize(630, 440));
        // Centred over the owner's frame.
        const QPoint offCentre = dialog.frameGeometry().center() - frame.frameGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
        auto* ok = dialog.findChild<CBitmapButton*>("okButton");
        QVERIFY(ok);
        QCOMPARE(ok->geometry(), QRect(280, 350, 79, 44));
        QCOMPARE(dialog.focusWidget(), ok);

        const QFont& font = dialog.textFont();
        QCOMPARE(font.family(), QString("Arial"));
        QCOMPARE(QFontMetrics(font).height(), 25); // the character cell
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
        QCOMPARE(dialog.lineHeight(), QFontMetrics(font).height());
    }

    void jokeChosen_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("draw");
        QTest::addColumn<QString>("firstLine"); // empty: no joke
        QTest::newRow("3, draw 0 → witz1") << 3 << 0 << "eins";
        QTest::newRow("3, draw 1 → witz1") << 3 << 1 << "eins";
        QTest::newRow("3, draw 2 → witz2") << 3 << 2 << "zwei";
        QTest::newRow("3, draw 3 → witz3") << 3 << 3 << "drei";
        QTest::newRow("1, draw 1 → witz1") << 1 << 1 << "eins";
        QTest::newRow("1, draw 0 → witz1") << 1 << 0 << "eins";
        QTest::newRow("5, draw 4 names a missing file") << 5 << 4 << "";
        QTest::newRow("none") << 0 << 0 << "";
    }
    void jokeChosen() {
        QFETCH(int, count);
        QFETCH(int, draw);
        QFETCH(QString, firstLine);
        writeAll("witz1.txt", "eins\r\nPointe\r\n");
        writeAll("witz2.txt", "zwei\r\n");
        writeAll("witz3.txt", "drei");
        m_profile->WriteInt("Parameter", "Witze", count);
        m_profile->WriteInt("Parameter", "Sound", 1);
        if (count > 0)
            setClock(SecondsForDraw(count, draw));
        CJokeRewardDlg dialog(*m_profile, m_host.get());
        QCOMPARE(dialog.jokeLines().value(0), firstLine);
        QCOMPARE(m_host->sounds, firstLine.isEmpty() ? QStringList() : QStringList{"lachen.wav"});
    }

    void laughter_data() {
        QTest::addColumn<int>("sound");
        QTest::addColumn<bool>("jokeThere");
        QTest::addColumn<QStringList>("sounds");
        QTest::newRow("loaded, sound on") << 1 << true << QStringList{"lachen.wav"};
        QTest::newRow("loaded, sound on as 3") << 3 << true << QStringList{"lachen.wav"};
        QTest::newRow("loaded, sound off") << 0 << true << QStringList{};
        QTest::newRow("file missing, sound on") << 1 << false << QStringList{};
    }
    void laughter() {
        QFETCH(int, sound);
        QFETCH(bool, jokeThere);
        if (jokeThere)
            writeAll("witz1.txt", "Ha!\r\n");
        m_profile->WriteInt("Parameter", "Witze", 1);
        m_profile->WriteInt("Parameter", "Sound", sound);
        {
            CJokeRewardDlg dialog(*m_profile, m_host.get());
            dialog.grab(); // painting plays nothing
            dialog.grab();
        }
        QTEST(m_host->sounds, "sounds");
    }

    void linesDrawnInPlace() {
        writeBackdrop(QSize(630, 440), Qt::white);
        writeAll("witz1.txt", QByteArray("WWW\r\n").repeated(9));
        m_profile->WriteInt("Parameter", "Witze", 1);
        CJokeRewardDlg dialog(*m_profile, m_host.get());
        QCOMPARE(dialog.jokeLines(), QStringList(9, "WWW") << "");

        // Lines 28 pixels apart: all nine above the button row.
        const Ink ink = inkOf(shotOf(dialog));
        const QList<int> tops = lineTops(ink.rows);
        QCOMPARE(tops.size(), 9);
        QCOMPARE(dialog.lineHeight(), 25);
        const QFontMetrics metrics(dialog.textFont());
        const int advance = dialog.lineHeight() + 3;
        // The cell's top is at y = 100; "W" is inked from its cap height down.
        const int capTop = 100 + metrics.ascent() + metrics.tightBoundingRect("W").top();
        QVERIFY2(qAbs(tops[0] - capTop) <= 1,
                 qPrintable(QStringLiteral("%1 vs %2").arg(tops[0]).arg(capTop)));
        QVERIFY(tops[0] >= 100);
        for (qsizetype i = 1; i < tops.size(); ++i)
            QCOMPARE(tops[i] - tops[i - 1], advance);
        QVERIFY2(ink.left >= 75 && ink.left <= 77, qPrintable(QString::number(ink.left)));
    }

    void colourAndTransparency() {
        writeBackdrop(QSize(630, 440), QColor("#ffe0a0"));
        writeAll("witz1.txt", QByteArray(20, '\xdb') + "\r\n"); // a row of "Û"
        m_profile->WriteInt("Parameter", "Witze", 1);
        CJokeRewardDlg dialog(*m_profile, m_host.get());
        const QImage shot = shotOf(dialog);
        bool black = false;
        for (int y = 100; y < 130; ++y)
            for (int x = 75; x < 300; ++x) {
                const QColor c = shot.pixelColor(x, y);
                black = black || c == QColor(Qt::black);
                // Only the backdrop and shades between it and black: no box.
                QVERIFY(c == QColor("#ffe0a0") || (c.red() >= c.green() && c.green() >= c.blue()));
            }
        QVERIFY(black);
    }

    void backdropAtTopLeftUnscaled() {
        writeBackdrop(QSize(100, 50), Qt::red);
        m_profile->WriteInt("Parameter", "Witze", 0);
        CJokeRewardDlg dialog(*m_profile, m_host.get());
        const QImage shot = shotOf(dialog);
        QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(99, 49), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(100, 20), dialog.palette().color(QPalette::Window));
        QCOMPARE(shot.pixelColor(20, 50), dialog.palette().color(QPalette::Window));
    }

    void noBackdropNoText_data() {
        QTest::addColumn<QByteArray>("backdrop");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("a GIF is not looked at") << QByteArray::fromHex(
            "4749463839611e001400f0000000ff0000000021f90400000000002c000000001e0014000002"
            "17848fa9cbed0fa39cb4da8bb3debcfb0f86e24896665200003b");
        QTest::newRow("text") << QByteArray("kein Bild");
    }
    void noBackdropNoText() {
        QFETCH(QByteArray, backdrop);
        if (!backdrop.isEmpty())
            writeAll("joke.bmp", backdrop);
        writeAll("witz1.txt", "WWW\r\nWWW\r\n");
        m_profile->WriteInt("Parameter", "Witze", 1);
        m_profile->WriteInt("Parameter", "Sound", 1);
        CJokeRewardDlg dialog(*m_profile, m_host.get());
        QCOMPARE(dialog.jokeLines().size(), 3);
        QVERIFY(inkOf(shotOf(dialog)).rows.isEmpty());
        QCOMPARE(shotOf(dialog).pixelColor(10, 10), dialog.palette().color(QPalette::Window));
        QCOMPARE(m_host->sounds, QStringList{"lachen.wav"}); // the laughter still plays
    }

    // Chosen once on opening: a repaint in another second shows the same joke.
    void repaintShowsTheSameJoke() {
        writeBackdrop(QSize(630, 440), Qt::white);
        writeAll("witz1.txt", "eins\r\n");
        writeAll("witz2.txt", "zwei zwei zwei\r\nzwei\r\n");
        m_profile->WriteInt("Parameter", "Witze", 2);
        setClock(SecondsForDraw(2, 2));
        CJokeRewardDlg dialog(*m_profile, m_host.get());
        const QImage first = shotOf(dialog);
        setClock(SecondsForDraw(2, 1));
        QCOMPARE(shotOf(dialog), first);
        QCOMPARE(dialog.jokeLines().value(0), QString("zwei zwei zwei"));
    }

    void closing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::addColumn<qint64>("jokeBytes"); // 0: no joke
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(QDialog::Accepted) << qint64(0);
        QTest::newRow("Escape") << int(Qt::Key_Escape) << int(QDialog::Rejected) << qint64(0);
        QTest::newRow("space on the focused OK") << int(Qt::Key_Space) << int(QDialog::Accepted) << qint64(0);
        // Read only as far as the card shows: the lines whose top is on it,
        // from y = 100 every 28 pixels down the 440 of the window.
        QTest::newRow("a joke of 300 MB, Enter")
            << int(Qt::Key_Return) << int(QDialog::Accepted) << qint64(300) * 1024 * 1024;
    }
    void closing() {
        QFETCH(int, key);
        QFETCH(qint64, jokeBytes);
        if (jokeBytes > 0) {
            writeBackdrop(QSize(630, 440), Qt::white);
            QFile joke("witz1.txt");
            QVERIFY(joke.open(QIODevice::WriteOnly));
            QVERIFY(joke.write(QByteArray("Ha! Ha! Ha!\r\n").repeated(1000)) > 0);
            // The rest a hole in the file, which costs no disk.
            QVERIFY(joke.resize(jokeBytes));
            joke.close();
            m_profile->WriteInt("Parameter", "Witze", 1);
        }
        CJokeRewardDlg dialog(*m_profile, m_host.get());
        if (jokeBytes > 0)
            QCOMPARE(dialog.jokeLines(), QStringList(13, "Ha! Ha! Ha!"));
        QTimer::singleShot(0, &dialog, [&] {
            QWidget* target = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
            QTest::keyClick(target, Qt::Key(key));
        });
        QTimer::singleShot(5000, &dialog, [&] { dialog.done(-1); });
        QTEST(dialog.exec(), "result");
    }
};

QTEST_MAIN(TestJokeRewardDlg)
#include "tst_jokerewarddlg.moc"
