#include "helpviewer/helpplacement.h"

#include <QList>
#include <QPoint>

#include <algorithm>
#include <array>

namespace {

constexpr int kGap = 4; // between the help window and what it keeps free

int clampTo(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

// The largest window up to `preferred` in each of the four strips of the area
// around `keepFree`, placed next to it; the largest of those that holds
// `smallest`.
QRect besides(const QRect& keepFree, const QRect& area, QSize preferred, QSize smallest) {
    const QRect free = keepFree.adjusted(-kGap, -kGap, kGap, kGap);
    const std::array<QRect, 4> strips = {
        QRect(QPoint(free.right() + 1, area.top()), area.bottomRight()),   // right
        QRect(area.topLeft(), QPoint(free.left() - 1, area.bottom())),     // left
        QRect(QPoint(area.left(), free.bottom() + 1), area.bottomRight()), // below
        QRect(area.topLeft(), QPoint(area.right(), free.top() - 1)),       // above
    };
    QRect best;
    for (std::size_t side = 0; side < strips.size(); ++side) {
        const QRect& strip = strips[side];
        if (strip.width() < smallest.width() || strip.height() < smallest.height())
            continue;
        const QSize size = preferred.boundedTo(strip.size());
        QPoint at;
        if (side < 2) {
            // Beside it: level with its top, as far as the strip allows.
            at.setX(side == 0 ? strip.left() : strip.right() + 1 - size.width());
            at.setY(clampTo(keepFree.top(), strip.top(), strip.bottom() + 1 - size.height()));
        } else {
            // Below or above it: centred on it.
            at.setX(clampTo(keepFree.center().x() - size.width() / 2, strip.left(),
                            strip.right() + 1 - size.width()));
            at.setY(side == 2 ? strip.top() : strip.bottom() + 1 - size.height());
        }
        const QRect place(at, size);
        if (place.width() * place.height() > best.width() * best.height())
            best = place;
    }
    return best;
}

// A window of `size` against one of the four sides of `keepFree`, moved
// into the area, where it covers the least of it.
QRect leastInTheWay(const QRect& keepFree, const QRect& area, QSize size) {
    const QRect free = keepFree.adjusted(-kGap, -kGap, kGap, kGap);
    const int left =
        clampTo(keepFree.center().x() - size.width() / 2, area.left(), area.right() + 1 - size.width());
    const int top = clampTo(keepFree.top(), area.top(), area.bottom() + 1 - size.height());
    const std::array<QPoint, 4> corners = {
        QPoint(free.right() + 1, top),            // right
        QPoint(free.left() - size.width(), top),  // left
        QPoint(left, free.bottom() + 1),          // below
        QPoint(left, free.top() - size.height()), // above
    };
    QRect best;
    int bestCovered = 0;
    for (const QPoint& corner : corners) {
        const QPoint at(clampTo(corner.x(), area.left(), area.right() + 1 - size.width()),
                        clampTo(corner.y(), area.top(), area.bottom() + 1 - size.height()));
        const QRect place(at, size);
        const QRect covered = place.intersected(keepFree);
        const int coveredArea = covered.width() * covered.height();
        if (best.isEmpty() || coveredArea < bestCovered) {
            best = place;
            bestCovered = coveredArea;
        }
    }
    return best;
}

} // namespace

QRect HelpPlacement(const QRect& dialog, const QRect& task, const QRect& buttonRow, const QRect& area,
                    QSize preferred, QSize smallest) {
    const QRect buttons = buttonRow.isEmpty() ? dialog : buttonRow;
    const QList<QRect> keepFree =
        task.isEmpty() ? QList<QRect>{dialog, buttons} : QList<QRect>{dialog, task | buttons, task};
    for (const QRect& part : keepFree)
        if (const QRect place = besides(part, area, preferred, smallest); !place.isEmpty())
            return place;
    return leastInTheWay(keepFree.last(), area, smallest.boundedTo(area.size()));
}
