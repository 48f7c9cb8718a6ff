#pragma once

// Which pixels of a picture one paint decodes, and the size a picture may
// claim: shared by the BMP and the GIF decoder.

#include <QRect>
#include <QString>

#include <optional>

#include "pictures/picturefile.h"

namespace PictureDecoding {

bool withinLimit(qint64 width, qint64 height);
QString sizeRefusal(qint64 width, qint64 height);

// Which pixels are decoded: (left + i·step, top + j·step) for 0 ≤ i <
// columns, 0 ≤ j < rows; each lands at (i, j) of the image.
struct Sampling {
    int left = 0;
    int top = 0;
    int columns = 0;
    int rows = 0;
    int step = 1;

    int lastColumn() const { return left + (columns - 1) * step; }
    // The image row of picture row y, -1 when the row is not decoded.
    int rowOf(qint64 y) const {
        const qint64 dy = y - top;
        if (dy < 0 || dy % step != 0 || dy / step >= rows)
            return -1;
        return int(dy / step);
    }
};

// The sampling of the part that choose asks for, and the region and step it
// stands for; none when nothing of the picture is asked for.
std::optional<Sampling> samplingFor(const PartChoice& choose, QSize pictureSize, QRect* region, int* step);

} // namespace PictureDecoding
