#include "pictures/picturefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

// BMP files are decoded here rather than by QImageReader: its size query
// reports top-down pictures with a negative height, and it turns truncated
// files and broken RLE streams into partial pictures. Decoding ourselves lets
// every header field be checked before a byte of pixels is touched.
// GIF files are checked here block by block up to the end of the first frame
// and then decoded by Qt's GIF reader.

namespace {

// A file read without a mapping is refused beyond the largest BMP the pixel
// limit lets through (32 bits a pixel, plus room for headers and palette).
constexpr qint64 kMaxUnmappedBytes = kMaxPicturePixels * 4 + 64 * 1024;

QByteArray head(const QString& fileName, qint64 count) {
    if (!QFileInfo(fileName).isFile())
        return {};
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(count);
}

// The bytes of one file: mapped where the file system allows it (pages are
// read only when touched), else read whole. Every access is bounds-checked by
// the caller through has().
class FileBytes {
public:
    explicit FileBytes(const QString& fileName)
        : m_file(fileName) {
        if (!QFileInfo(fileName).isFile() || !m_file.open(QIODevice::ReadOnly))
            return;
        const qint64 size = m_file.size();
        if (size <= 0)
            return;
        if (const uchar* mapped = m_file.map(0, size)) {
            m_data = mapped;
            m_size = size;
            return;
        }
        if (size > kMaxUnmappedBytes)
            return;
        m_copy = m_file.readAll();
        m_data = reinterpret_cast<const uchar*>(m_copy.constData());
        m_size = m_copy.size();
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    qint64 size() const { return m_size; }
    const uchar* at(qint64 offset) const { return m_data + offset; }
    bool has(qint64 offset, qint64 count) const {
        return offset >= 0 && count >= 0 && offset <= m_size && count <= m_size - offset;
    }
    quint8 u8(qint64 offset) const { return m_data[offset]; }
    quint16 u16(qint64 offset) const { return qFromLittleEndian<quint16>(m_data + offset); }
    quint32 u32(qint64 offset) const { return qFromLittleEndian<quint32>(m_data + offset); }

private:
    QFile m_file;
    QByteArray m_copy;
    const uchar* m_data = nullptr;
    qint64 m_size = 0;
};

bool withinLimit(qint64 width, qint64 height) {
    return width > 0 && height > 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels &&
           width * height <= kMaxPicturePixels;
}

constexpr qint64 kFileHeaderSize = 14;

enum BmpCompression : quint32 { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitFields = 3, BiAlphaBitFields = 6 };

// One colour channel of a 16- or 32-bit pixel, widened or narrowed to 8 bits.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0; // mask >> shift

    static std::optional<Channel> fromMask(quint32 mask) {
        if (mask == 0)
            return std::nullopt;
        Channel c;
        c.mask = mask;
        while (!((mask >> c.shift) & 1))
            ++c.shift;
        c.max = mask >> c.shift;
        if ((c.max & (c.max + 1)) != 0) // not one run of set bits
            return std::nullopt;
        return c;
    }
    int value(quint32 pixel) const { return int((quint64((pixel & mask) >> shift) * 255 + max / 2) / max); }
};

struct BmpLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    quint32 compression = BiRgb;
    std::array<Channel, 3> channels; // red, green, blue; 16 and 32 bits only
    std::array<QRgb, 256> palette{}; // missing entries are opaque black
    qint64 pixelsAt = 0;
};

std::optional<BmpLayout> parseBmp(const FileBytes& f) {
    if (!f.has(0, kFileHeaderSize + 4) || f.u8(0) != 'B' || f.u8(1) != 'M')
        return std::nullopt;
    const qint64 dataOffset = f.u32(10);
    const qint64 headerSize = f.u32(14);
    if (!f.has(kFileHeaderSize, headerSize))
        return std::nullopt;

    BmpLayout l;
    qint64 width = 0;
    qint64 height = 0;
    int planes = 0;
    qint64 colorsUsed = 0;
    int paletteEntrySize = 4;
    constexpr qint64 h = kFileHeaderSize;
    if (headerSize == 12) { // the oldest header: 16-bit unsigned sizes, 3-byte palette entries
        width = f.u16(h + 4);
        height = f.u16(h + 6);
        planes = f.u16(h + 8);
        l.bitCount = f.u16(h + 10);
        paletteEntrySize = 3;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 ||
               headerSize == 108 || headerSize == 124) {
        width = qint32(f.u32(h + 4));
        height = qint32(f.u32(h + 8));
        planes = f.u16(h + 12);
        l.bitCount = f.u16(h + 14);
        l.compression = f.u32(h + 16);
        colorsUsed = f.u32(h + 32);
        // The 64-byte header numbers its compressions differently beyond RLE4.
        if (headerSize == 64 && l.compression > BiRle4)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (planes != 1)
        return std::nullopt;
    if (height < 0 && headerSize != 12) {
        l.topDown = true;
        height = -height;
    }
    if (!withinLimit(width, height))
        return std::nullopt;
    l.width = int(width);
    l.height = int(height);

    const bool bitFields = l.compression == BiBitFields || l.compression == BiAlphaBitFields;
    switch (l.compression) {
    case BiRgb:
        if (l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 16 && l.bitCount != 24 &&
            l.bitCount != 32)
            return std::nullopt;
        break;
    case BiRle8:
    case BiRle4:
        // Compressed rows are bottom-up only.
        if (l.bitCount != (l.compression == BiRle8 ? 8 : 4) || l.topDown)
            return std::nullopt;
        break;
    case BiBitFields:
    case BiAlphaBitFields:
        if (l.bitCount != 16 && l.bitCount != 32)
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }

    // Colour masks: in the header from 52 bytes on, else right behind it.
    qint64 afterHeader = h + headerSize;
    std::array<quint32, 3> masks{0x00ff0000, 0x0000ff00, 0x000000ff};
    if (l.bitCount == 16)
        masks = {0x7c00, 0x03e0, 0x001f};
    if (bitFields) {
        const qint64 maskAt = h + 40;
        if (headerSize < 52) {
            const qint64 maskBytes = l.compression == BiAlphaBitFields ? 16 : 12;
            if (!f.has(afterHeader, maskBytes))
                return std::nullopt;
            afterHeader += maskBytes;
        }
        masks = {f.u32(maskAt), f.u32(maskAt + 4), f.u32(maskAt + 8)};
    }
    if (l.bitCount >= 16) {
        for (size_t i = 0; i < masks.size(); ++i) {
            const auto channel = Channel::fromMask(masks[i]);
            if (!channel)
                return std::nullopt;
            l.channels[i] = *channel;
        }
    }

    // The colour table: 2^bits entries unless the header names fewer (or up
    // to 256 more, of which only the first 2^bits can be used).
    qint64 paletteEnd = afterHeader;
    if (l.bitCount <= 8) {
        const qint64 count = colorsUsed != 0 ? colorsUsed : (1 << l.bitCount);
        if (count > 256 || !f.has(afterHeader, count * paletteEntrySize))
            return std::nullopt;
        l.palette.fill(qRgb(0, 0, 0));
        for (qint64 i = 0; i < std::min<qint64>(count, 1 << l.bitCount); ++i) {
            const qint64 entry = afterHeader + i * paletteEntrySize;
            l.palette[size_t(i)] = qRgb(f.u8(entry + 2), f.u8(entry + 1), f.u8(entry));
        }
        paletteEnd += count * paletteEntrySize;
    }
    // Some writers leave the pixel offset 0 or point it into the headers:
    // the pixels then follow the colour table.
    l.pixelsAt = dataOffset >= paletteEnd ? dataOffset : paletteEnd;
    if (l.pixelsAt >= f.size())
        return std::nullopt;
    if (l.compression == BiRgb || bitFields) {
        // Every row but the last must be there with its padding; the last
        // one needs only its pixels.
        const qint64 rowBytes = (width * l.bitCount + 7) / 8;
        const qint64 stride = (width * l.bitCount + 31) / 32 * 4;
        if (!f.has(l.pixelsAt, stride * (height - 1) + rowBytes))
            return std::nullopt;
    }
    return l;
}

void decodeRows(const FileBytes& f, const BmpLayout& l, QImage& image) {
    const qint64 stride = (qint64(l.width) * l.bitCount + 31) / 32 * 4;
    const auto& palette = l.palette;
    for (int row = 0; row < l.height; ++row) {
        const uchar* in = f.at(l.pixelsAt + row * stride);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(l.topDown ? row : l.height - 1 - row));
        const int w = l.width;
        switch (l.bitCount) {
        case 1:
            for (int x = 0; x < w; ++x)
                out[x] = palette[(in[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                out[x] = palette[(x & 1) ? (in[x >> 1] & 0x0f) : (in[x >> 1] >> 4)];
            break;
        case 8:
            for (int x = 0; x < w; ++x)
                out[x] = palette[in[x]];
            break;
        case 24:
            for (int x = 0; x < w; ++x, in += 3)
                out[x] = qRgb(in[2], in[1], in[0]);
            break;
        default: { // 16 or 32 bits through the channel masks; alpha is not used
            const auto& [r, g, b] = l.channels;
            const bool plain32 =
                l.bitCount == 32 && r.mask == 0x00ff0000 && g.mask == 0x0000ff00 && b.mask == 0x000000ff;
            for (int x = 0; x < w; ++x) {
                if (plain32) {
                    out[x] = 0xff000000 | qFromLittleEndian<quint32>(in + 4 * x);
                } else {
                    const quint32 p = l.bitCount == 16 ? qFromLittleEndian<quint16>(in + 2 * x)
                                                       : qFromLittleEndian<quint32>(in + 4 * x);
                    out[x] = qRgb(r.value(p), g.value(p), b.value(p));
                }
            }
        }
        }
    }
}

// RLE4 and RLE8: pairs (count, value) repeat a value (RLE4: two alternating
// nibbles); (0, 0) ends a row, (0, 1) the picture, (0, 2, dx, dy) moves right
// and up, (0, n ≥ 3) is followed by n literal values padded to 16 bits.
// Pixels never written keep colour 0; values beyond the row are dropped.
// False when the stream stops before the picture is complete.
bool decodeRle(const FileBytes& f, const BmpLayout& l, QImage& image) {
    const bool four = l.bitCount == 4;
    const auto& palette = l.palette;
    image.fill(palette[0]);
    qint64 x = 0;
    qint64 row = 0; // from the bottom
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(l.height - 1));
    auto nextRow = [&](qint64 rows) {
        row += rows;
        if (row < l.height)
            line = reinterpret_cast<QRgb*>(image.scanLine(int(l.height - 1 - row)));
    };
    qint64 pos = l.pixelsAt;
    while (row < l.height) {
        if (!f.has(pos, 2))
            return false;
        const int count = f.u8(pos);
        const int value = f.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            const qint64 end = std::min<qint64>(x + count, l.width);
            if (four) {
                const QRgb pair[2] = {palette[value >> 4], palette[value & 0x0f]};
                for (qint64 i = x; i < end; ++i)
                    line[i] = pair[(i - x) & 1];
            } else if (x < end) {
                std::fill(line + x, line + end, palette[value]);
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            nextRow(1);
            break;
        case 1:
            return true;
        case 2:
            if (!f.has(pos, 2))
                return false;
            x += f.u8(pos);
            nextRow(f.u8(pos + 1));
            pos += 2;
            break;
        default: {
            const qint64 bytes = four ? (value + 1) / 2 : value;
            if (!f.has(pos, bytes))
                return false;
            const uchar* in = f.at(pos);
            for (int i = 0; i < value && x + i < l.width; ++i)
                line[x + i] = palette[four ? ((i & 1) ? (in[i >> 1] & 0x0f) : (in[i >> 1] >> 4)) : in[i]];
            x += value;
            pos += (bytes + 1) & ~qint64(1);
        }
        }
    }
    return true;
}

// Skips a chain of data sub-blocks (length byte, bytes …, 0).
bool skipSubBlocks(const FileBytes& f, qint64& pos) {
    for (;;) {
        if (!f.has(pos, 1))
            return false;
        const int length = f.u8(pos++);
        if (length == 0)
            return true;
        if (!f.has(pos, length))
            return false;
        pos += length;
    }
}

// True when the header is sane and the first frame's data is complete.
bool gifFirstFrameComplete(const FileBytes& f) {
    if (!f.has(0, 13) || !withinLimit(f.u16(6), f.u16(8)))
        return false;
    qint64 pos = 13;
    if (const int flags = f.u8(10); flags & 0x80)
        pos += 3 * (2 << (flags & 7));
    for (;;) {
        if (!f.has(pos, 1))
            return false;
        switch (f.u8(pos)) {
        case 0x21: // extension: label, then sub-blocks
            pos += 2;
            if (!skipSubBlocks(f, pos))
                return false;
            break;
        case 0x2c: { // image descriptor
            if (!f.has(pos, 10) || !withinLimit(f.u16(pos + 5), f.u16(pos + 7)))
                return false;
            const int flags = f.u8(pos + 9);
            pos += 10;
            if (flags & 0x80)
                pos += 3 * (2 << (flags & 7));
            pos += 1; // LZW minimum code size
            return skipSubBlocks(f, pos);
        }
        default: // the trailer before any frame, or garbage
            return false;
        }
    }
}

} // namespace

bool IsBMPFile(const QString& fileName) {
    return head(fileName, 2) == "BM";
}

PictureHandle ReadDIB(const QString& fileName) {
    const FileBytes f(fileName);
    const auto layout = parseBmp(f);
    if (!layout)
        return {};
    QImage image(layout->width, layout->height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    if (layout->compression == BiRle4 || layout->compression == BiRle8) {
        if (!decodeRle(f, *layout, image))
            return {};
    } else {
        decodeRows(f, *layout, image);
    }
    return PictureHandle(std::move(image));
}

bool ConvertIsGIFFile(const QString& fileName) {
    const QByteArray magic = head(fileName, 6);
    return magic == "GIF87a" || magic == "GIF89a";
}

PictureHandle ConvertGIFtoDIB(const QString& fileName) {
    const FileBytes f(fileName);
    if (!f.has(0, 6) || (std::memcmp(f.at(0), "GIF87a", 6) != 0 && std::memcmp(f.at(0), "GIF89a", 6) != 0) ||
        !gifFirstFrameComplete(f))
        return {};
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(f.at(0)), f.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // One format for every picture, the one that draws fastest.
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return PictureHandle(std::move(image));
}

int GetDIBWidth(const PictureHandle& picture) {
    return picture.image().width();
}

int GetDIBHeight(const PictureHandle& picture) {
    return picture.image().height();
}

void DrawDIB(QPainter& painter, const PictureHandle& picture, int x, int y) {
    if (picture)
        painter.drawImage(QPoint(x, y), picture.image());
}

void StretchDIB(QPainter& painter, const PictureHandle& picture, int x, int y, int width, int height) {
    if (!picture || width <= 0 || height <= 0)
        return;
    // Smooth scaling costs about half a millisecond for a 1024 x 768 picture
    // shrunk to 633 x 400 (nearest pixel: a fifth of that) and spares the
    // drill's backdrop the ragged edges of dropped rows and columns.
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(x, y, width, height), picture.image());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

PictureHandle ReadBmpOrGif(const QString& fileName) {
    if (IsBMPFile(fileName))
        return ReadDIB(fileName);
    if (ConvertIsGIFFile(fileName))
        return ConvertGIFtoDIB(fileName);
    return {};
}
