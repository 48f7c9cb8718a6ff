#include <QRect>
#include <QTest>

#include "helpviewer/helpplacement.h"

namespace {

const QSize kPreferred(700, 560);
const QSize kSmallest(480, 360);

int areaOf(const QRect& rect) {
    return rect.isEmpty() ? 0 : rect.width() * rect.height();
}

} // namespace

// Where the help window opens beside a dialog that asked for it, on screens
// from roomy to cramped. The drill's rectangles are its form's task line and
// answer field (together: "task") and its button row, centred on the screen
// with an openbox frame.
class TestHelpPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsTheTaskInSight_data() {
        QTest::addColumn<QRect>("dialog");
        QTest::addColumn<QRect>("task");
        QTest::addColumn<QRect>("buttons");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QStringList>("keptFree");
        QTest::addColumn<int>("mostOfTaskCovered"); // per cent, where the task is not kept free
        QTest::newRow("options sheet, room beside it")
            << QRect(100, 100, 500, 400) << QRect() << QRect(300, 460, 280, 30) << QRect(0, 0, 1280, 1024)
            << QStringList{"dialog"} << 0;
        QTest::newRow("options sheet on 1024 x 768: its buttons")
            << QRect(262, 154, 500, 460) << QRect() << QRect(500, 580, 250, 30) << QRect(0, 0, 1024, 768)
            << QStringList{"buttons"} << 0;
        QTest::newRow("drill on 1280 x 1024: below its buttons")
            << QRect(322, 290, 637, 424) << QRect(344, 345, 590, 128) << QRect(503, 564, 358, 41)
            << QRect(0, 0, 1280, 1024) << QStringList{"task", "buttons"} << 0;
        QTest::newRow("drill on 1280 x 800: below the answer")
            << QRect(322, 178, 637, 424) << QRect(344, 233, 590, 128) << QRect(503, 452, 358, 41)
            << QRect(0, 0, 1280, 800) << QStringList{"task"} << 0;
        QTest::newRow("drill on 1024 x 768 with a panel: below the answer")
            << QRect(194, 150, 637, 424) << QRect(216, 205, 590, 128) << QRect(375, 424, 358, 41)
            << QRect(0, 0, 1024, 740) << QStringList{"task"} << 0;
        QTest::newRow("drill on 800 x 600: over the least of the task")
            << QRect(82, 78, 637, 424) << QRect(104, 133, 590, 128) << QRect(263, 352, 358, 41)
            << QRect(0, 0, 800, 600) << QStringList{} << 15;
    }
    void keepsTheTaskInSight() {
        QFETCH(QRect, dialog);
        QFETCH(QRect, task);
        QFETCH(QRect, buttons);
        QFETCH(QRect, area);
        QFETCH(QStringList, keptFree);
        QFETCH(int, mostOfTaskCovered);
        const QRect place = HelpPlacement(dialog, task, buttons, area, kPreferred, kSmallest);
        QVERIFY2(area.contains(place), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                      .arg(place.x())
                                                      .arg(place.y())
                                                      .arg(place.width())
                                                      .arg(place.height())));
        QVERIFY(place.width() >= kSmallest.width() && place.height() >= kSmallest.height());
        const QHash<QString, QRect> parts{{"dialog", dialog}, {"task", task}, {"buttons", buttons}};
        for (const QString& part : keptFree)
            QVERIFY2(!place.intersects(parts[part]), qPrintable(part));
        if (!task.isEmpty() && !keptFree.contains(QStringLiteral("task")) && !keptFree.contains(QStringLiteral("dialog")))
            QVERIFY(areaOf(place.intersected(task)) * 100 <= mostOfTaskCovered * areaOf(task));
    }
};

QTEST_GUILESS_MAIN(TestHelpPlacement)
#include "tst_helpplacement.moc"
