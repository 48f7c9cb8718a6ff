#include "helpviewer/helpplacement.h"

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

} // namespace

QRect HelpPlacement(const QRect& dialog, const QRect& buttonRow, const QRect& area, QSize preferred,
                    QSize smallest) {
    if (const QRect place = besides(dialog, area, preferred, smallest); !place.isEmpty())
        return place;
    return besides(buttonRow, area, preferred, smallest);
}
