#pragma once

// Pictures from BMP and GIF files. The file's bytes decide its type, never
// its name. Files are read, never mapped: a file another program cuts short
// or rewrites while it is read gives no picture (or, at worst, a mixed one),
// never a crash. Palettes are not needed on today's displays, so there is no
// palette step (no CreateDIBPalette): drawing uses the picture's colours. A
// file that is missing, unreadable, broken or larger than kMaxPicturePixels
// gives an empty handle and nothing else.
// BMP: 1, 4, 8, 16, 24 and 32 bits, RLE4, RLE8, bit fields, 12- to 124-byte
// headers, bottom-up and top-down rows. GIF: the first frame.
// ReadDIB and ConvertGIFtoDIB decode a whole picture for one use; a window
// paints through ShownPicture (shownpicture.h), which decodes only what it
// shows, with ReadPicturePart, and keeps it between paints.

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
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

// One version of a file on disk: rewritten in place it changes its size or
// its modification time, replaced it changes its inode.
struct FileVersion {
    qint64 size = 0;
    qint64 modifiedNs = 0; // since the epoch
    quint64 inode = 0;
    quint64 device = 0;

    bool operator==(const FileVersion&) const = default;
};

// The version of the file the name leads to now; none when there is no file.
std::optional<FileVersion> VersionOf(const QString& fileName);

enum class PictureTypes { Bmp, Gif, BmpOrGif };

// The pixels (region.x + i·step, region.y + j·step) of a picture, for i and
// j from 0 as long as they fall inside region: the part one paint shows.
struct PicturePart {
    QImage image; // null when the picture is refused
    QSize pictureSize;
    QRect region; // in the whole picture's pixels
    int step = 1;
    QString refusal;                    // why there is no picture
    std::optional<FileVersion> version; // of the bytes read; none for resources
    bool changedWhileRead = false;
};

// Chooses, from the whole picture's size, the region (clipped to the
// picture) and the step to decode.
using PartChoice = std::function<std::pair<QRect, int>(QSize pictureSize)>;

// Decodes the part of a picture that choose asks for, reading no more of the
// file than that part needs and holding no more than that part in memory.
PicturePart ReadPicturePart(const QString& fileName, PictureTypes types, const PartChoice& choose);
