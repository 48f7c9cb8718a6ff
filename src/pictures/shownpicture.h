#pragma once

// One place of a window that shows a picture file: the main window's
// backdrop, a reward's picture, the drill's stretched background. It decodes
// only what the place shows (the visible part of an unscaled picture; a
// stretched one no larger than it is shown), and the program keeps what was
// decoded while the file stays the same on disk (size, modification time,
// inode), for every place: a repaint, or a new drill's background, decodes
// nothing, and a file replaced on disk shows at the next paint. A file
// changed less than kSettleNs before it was read is read again at the next
// paint, as file times are coarser than the time a rewrite takes. Nothing
// decoded for one picture, and nothing kept for all of them, exceeds
// kMaxShownPixels: a larger view is decoded coarser and drawn scaled. Four
// pictures are kept at most (a window's backdrop and what its dialogs show);
// those drawn longest ago are dropped first. A picture that cannot be
// shown says why on standard error, once for each file and reason. Paints
// happen on the application's thread only.

#include <QRect>
#include <QString>

#include <utility>

#include "pictures/picturefile.h"

class QPainter;

enum class PictureFit {
    Centred,  // unscaled, its centre on the area's; a larger picture is cut evenly
    TopLeft,  // unscaled, its top-left corner on the area's
    Stretched // scaled to fill the area
};

// 64 MB of pixels.
inline constexpr qint64 kMaxShownPixels = 16LL * 1024 * 1024;
inline constexpr qint64 kSettleNs = 100LL * 1000 * 1000;

class ShownPicture {
public:
    ShownPicture(PictureFit fit, PictureTypes types);

    // Draws the picture fileName names into area; false, drawing nothing,
    // when there is none.
    bool draw(QPainter& painter, const QString& fileName, const QRect& area);

    // How often this place has had a file decoded.
    int decodeCount() const { return m_decodes; }
    // The pixels the last draw drew from.
    QSize drawnSize() const { return m_drawnSize; }

private:
    std::pair<QRect, int> unscaledPart(QSize pictureSize, const QRect& area) const;
    QPoint origin(QSize pictureSize, const QRect& area) const;

    PictureFit m_fit;
    PictureTypes m_types;
    int m_decodes = 0;
    QSize m_drawnSize;
};
