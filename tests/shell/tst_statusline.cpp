#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <clocale>
#include <cstdint>
#include <ctime>

#include "base/clock.h"
#include "shell/lockkeys.h"
#include "shell/statusline.h"

namespace {

// 2026-12-07 09:05:03 UTC.
constexpr std::int64_t kMonday = 1796634303;

} // namespace

class TestStatusLine : public QObject {
    Q_OBJECT

private:
    std::int64_t m_now = kMonday;

private Q_SLOTS:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
        // A German user: the panes keep the program's own formats.
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }

    void init() {
        m_now = kMonday;
        Clock::SetSource([this] { return m_now; });
    }
    void cleanup() { Clock::SetSource({}); }

    void dateAndTime_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::newRow("five past nine") << qint64(kMonday) << "12/07/26"
                                        << "09:05:03";
        QTest::newRow("midnight") << qint64(1767225600) << "01/01/26"
                                  << "00:00:00";
        QTest::newRow("last second of a year") << qint64(1767225599) << "12/31/25"
                                               << "23:59:59";
        QTest::newRow("year 2000") << qint64(946684800) << "01/01/00"
                                   << "00:00:00";
        QTest::newRow("leap day afternoon") << qint64(1709164800 + 13 * 3600 + 7) << "02/29/24"
                                            << "13:00:07";
    }

    void dateAndTime() {
        QFETCH(qint64, seconds);
        QFETCH(QString, date);
        QFETCH(QString, time);
        m_now = seconds;
        StatusLine line;
        line.refresh();
        QCOMPARE(line.pane(StatusLine::Date)->text(), date);
        QCOMPARE(line.pane(StatusLine::Time)->text(), time);
    }

    // The clock panes take the width of their text, growing and shrinking.
    void clockPanesFitTheirText() {
        StatusLine line;
        QLabel* date = line.pane(StatusLine::Date);
        const QFontMetrics metrics(date->font());
        const auto fits = [&] {
            const int room = date->width() - 2 * (date->frameWidth() + date->margin());
            return room >= metrics.horizontalAdvance(date->text()) &&
                   room <= metrics.horizontalAdvance(date->text()) + 4;
        };
        line.show();
        QVERIFY(fits());
        const int before = date->width();
        m_now = 0; // 01/01/70: narrower or wider digits, the pane follows
        line.refresh();
        QVERIFY(fits());
        m_now = kMonday;
        line.refresh();
        QCOMPARE(date->width(), before);
    }

    void clockTicksEverySecond() {
        StatusLine line;
        line.show();
        m_now = kMonday + 60;
        QTRY_COMPARE_WITH_TIMEOUT(line.pane(StatusLine::Time)->text(), QStringLiteral("09:06:03"), 2500);
    }

    // The clock keeps going while a dialog runs its own loop.
    void clockTicksDuringModalDialog() {
        StatusLine line;
        line.show();
        QDialog dialog;
        QString seenInside;
        QTimer::singleShot(0, &dialog, [&] { m_now = kMonday + 3600; });
        QTimer::singleShot(2200, &dialog, [&] {
            seenInside = line.pane(StatusLine::Time)->text();
            dialog.accept();
        });
        dialog.exec();
        QCOMPARE(seenInside, QStringLiteral("10:05:03"));
    }

    void widenedLineHidesTheOtherPanes() {
        StatusLine line;
        line.resize(600, 24);
        line.show();
        QVERIFY(QTest::qWaitForWindowExposed(&line));
        const int normalWidth = line.pane(StatusLine::Message)->width();

        line.setWidened(true);
        QVERIFY(line.isWidened());
        for (const auto pane : {StatusLine::CapsLock, StatusLine::NumLock, StatusLine::ScrollLock,
                                StatusLine::Date, StatusLine::Time})
            QVERIFY(!line.pane(pane)->isVisible());
        QTRY_VERIFY(line.pane(StatusLine::Message)->width() > normalWidth);

        line.setWidened(false);
        for (const auto pane : {StatusLine::CapsLock, StatusLine::NumLock, StatusLine::ScrollLock,
                                StatusLine::Date, StatusLine::Time})
            QVERIFY(line.pane(pane)->isVisible());
        QTRY_COMPARE(line.pane(StatusLine::Message)->width(), normalWidth);
    }

    // A desktop build reads the keys from the X server.
    void lockKeysBuiltForX11() { QVERIFY(LockKeysFromX11()); }

    // Offscreen nobody can tell the keys' state: the panes stay blank, but
    // keep the room for their text.
    void lockPanesBlankWhereUnknown() {
        StatusLine line;
        line.refresh();
        const std::array<std::pair<StatusLine::Pane, const char*>, 3> panes = {
            {{StatusLine::CapsLock, "UF"}, {StatusLine::NumLock, "NUM"}, {StatusLine::ScrollLock, "RF"}}};
        for (const auto& [pane, text] : panes) {
            QLabel* label = line.pane(pane);
            QVERIFY(label->text().isEmpty());
            QVERIFY(label->width() >= QFontMetrics(label->font()).horizontalAdvance(QLatin1String(text)));
        }
    }
};

QTEST_MAIN(TestStatusLine)
#include "tst_statusline.moc"
