// Which pixels of a picture one paint decodes, and the size a picture may
// claim.

#include "pictures/sampling.h"

#include <algorithm>

namespace PictureDecoding {

bool withinLimit(qint64 width, qint64 height) {
    return width > 0 && height > 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels &&
           width * height <= kMaxPicturePixels;
}

QString sizeRefusal(qint64 width, qint64 height) {
    if (width <= 0 || height <= 0)
        return QStringLiteral("claims %1 x %2 pixels").arg(width).arg(height);
    return QStringLiteral("%1 x %2 pixels, more than the %3 allowed")
        .arg(width)
        .arg(height)
        .arg(kMaxPicturePixels);
}

std::optional<Sampling> samplingFor(const PartChoice& choose, QSize pictureSize, QRect* region, int* step) {
    auto [wanted, wantedStep] = choose(pictureSize);
    *region = wanted & QRect(QPoint(0, 0), pictureSize);
    *step = std::max(1, wantedStep);
    if (region->isEmpty())
        return std::nullopt;
    Sampling s;
    s.left = region->x();
    s.top = region->y();
    s.step = *step;
    s.columns = int((qint64(region->width()) + *step - 1) / *step);
    s.rows = int((qint64(region->height()) + *step - 1) / *step);
    return s;
}

} // namespace PictureDecoding
