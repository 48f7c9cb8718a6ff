#pragma once

// Pictures from BMP and GIF files. A caller tests, reads, draws and drops a
// picture within one paint; nothing is kept between paints. The file's bytes
// decide its type, never its name. Palettes are not needed on today's
// displays, so there is no palette step (no CreateDIBPalette): drawing uses
// the picture's colours. A file that is missing, unreadable, broken or larger
// than kMaxPicturePixels gives an empty handle and nothing else.
// BMP: 1, 4, 8, 16, 24 and 32 bits, RLE4, RLE8, bit fields, 12- to 124-byte
// headers, bottom-up and top-down rows. GIF: the first frame.

#include <QImage>
#include <QString>

#include <utility>

class QPainter;

// Owns one decoded picture and frees it with itself; an empty handle means no
// picture. The image is RGB32 (BMP, opaque GIF) or premultiplied ARGB32 (GIF
// with a transparent colour), the formats QPainter draws fastest.
class PictureHandle {
public:
    PictureHandle() = default;
    explicit PictureHandle(QImage image)
        : m_image(std::move(image)) {}

    bool isNull() const { return m_image.isNull(); }
    explicit operator bool() const { return !isNull(); }
    const QImage& image() const { return m_image; }

private:
    QImage m_image;
};

// Pictures with more pixels than this are refused before they are decoded.
inline constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;

bool IsBMPFile(const QString& fileName);
PictureHandle ReadDIB(const QString& fileName);
bool ConvertIsGIFFile(const QString& fileName);
// The first frame of an animated GIF.
PictureHandle ConvertGIFtoDIB(const QString& fileName);

int GetDIBWidth(const PictureHandle& picture);
int GetDIBHeight(const PictureHandle& picture);

// Unscaled, top-left corner at (x, y).
void DrawDIB(QPainter& painter, const PictureHandle& picture, int x, int y);
// Scaled to fill the rectangle; nothing for an empty rectangle.
void StretchDIB(QPainter& painter, const PictureHandle& picture, int x, int y, int width, int height);

// The usual road for pictures that may be either: BMP first, then GIF.
PictureHandle ReadBmpOrGif(const QString& fileName);
