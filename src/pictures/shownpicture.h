#pragma once

// One place of a window that shows a picture file: the main window's
// backdrop, a reward's picture, the drill's stretched background. It decodes
// only what the place shows (the visible part of an unscaled picture; a
// stretched one no larger than it is shown) and keeps that while the file
// stays the same on disk (size, modification time, inode), so a repaint
// decodes nothing and a file replaced on disk shows at the next paint. A file
// changed less than kSettleNs before it was read is read again at the next
// paint, as file times are coarser than the time a rewrite takes. Nothing
// kept or decoded for one picture exceeds kMaxShownPixels: a larger view is
// decoded coarser and drawn scaled. A picture that cannot be shown says why
// on standard error, once for each file and reason.

#include <QImage>
#include <QRect>
#include <QString>

#include <optional>
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

    // How often a file has been decoded.
    int decodeCount() const { return m_decodes; }
    // The pixels kept now (what the last draw decoded).
    QSize keptSize() const { return m_kept ? m_kept->image.size() : QSize(); }

private:
    struct Kept {
        QString fileName;
        FileVersion version;
        bool settled = false; // unchanged while read and long enough before
        QSize pictureSize;
        QRect region;
        int step = 1;
        QSize target; // Stretched: the device pixels it was made for
        QImage image; // null: the picture is refused
    };

    std::pair<QRect, int> unscaledPart(QSize pictureSize, const QRect& area) const;
    QPoint origin(QSize pictureSize, const QRect& area) const;
    bool fits(const QString& fileName, const std::optional<FileVersion>& now, const QRect& area,
              QSize target) const;
    void decode(const QString& fileName, const QRect& area, QSize target);

    PictureFit m_fit;
    PictureTypes m_types;
    std::optional<Kept> m_kept;
    int m_decodes = 0;
};
