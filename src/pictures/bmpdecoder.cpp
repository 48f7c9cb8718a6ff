// The BMP decoder: the headers checked field by field, then the rows a
// paint shows, uncompressed or run-length encoded.

#include "pictures/bmpdecoder.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "pictures/sampling.h"

namespace PictureDecoding {

namespace {

// Rows read at once when a paint shows most of every row.
constexpr qint64 kBandBytes = 64 * 1024;

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

std::optional<BmpLayout> parseBmp(const Head& f, QString* why) {
    auto refuse = [why](QString reason) {
        *why = std::move(reason);
        return std::nullopt;
    };
    if (!f.has(0, kFileHeaderSize + 4) || f.u8(0) != 'B' || f.u8(1) != 'M')
        return refuse(QStringLiteral("ends inside its BMP header"));
    const qint64 dataOffset = f.u32(10);
    const qint64 headerSize = f.u32(14);
    if (!f.has(kFileHeaderSize, headerSize))
        return refuse(QStringLiteral("BMP header of %1 bytes").arg(headerSize));

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
            return refuse(QStringLiteral("unknown compression %1").arg(l.compression));
    } else {
        return refuse(QStringLiteral("BMP header of %1 bytes").arg(headerSize));
    }
    if (planes != 1)
        return refuse(QStringLiteral("%1 colour planes").arg(planes));
    if (height < 0 && headerSize != 12) {
        l.topDown = true;
        height = -height;
    }
    if (!withinLimit(width, height))
        return refuse(sizeRefusal(width, height));
    l.width = int(width);
    l.height = int(height);

    const bool bitFields = l.compression == BiBitFields || l.compression == BiAlphaBitFields;
    const QString badBits =
        QStringLiteral("%1 bits a pixel with compression %2").arg(l.bitCount).arg(l.compression);
    switch (l.compression) {
    case BiRgb:
        if (l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 16 && l.bitCount != 24 &&
            l.bitCount != 32)
            return refuse(badBits);
        break;
    case BiRle8:
    case BiRle4:
        if (l.bitCount != (l.compression == BiRle8 ? 8 : 4))
            return refuse(badBits);
        if (l.topDown)
            return refuse(QStringLiteral("run-length data with top-down rows"));
        break;
    case BiBitFields:
    case BiAlphaBitFields:
        if (l.bitCount != 16 && l.bitCount != 32)
            return refuse(badBits);
        break;
    default:
        return refuse(QStringLiteral("unknown compression %1").arg(l.compression));
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
                return refuse(QStringLiteral("ends inside its colour masks"));
            afterHeader += maskBytes;
        }
        masks = {f.u32(maskAt), f.u32(maskAt + 4), f.u32(maskAt + 8)};
    }
    if (l.bitCount >= 16) {
        for (size_t i = 0; i < masks.size(); ++i) {
            const auto channel = Channel::fromMask(masks[i]);
            if (!channel)
                return refuse(QStringLiteral("colour mask %1").arg(masks[i], 0, 16));
            l.channels[i] = *channel;
        }
    }

    // The colour table: 2^bits entries unless the header names fewer (or up
    // to 256 more, of which only the first 2^bits can be used).
    qint64 paletteEnd = afterHeader;
    if (l.bitCount <= 8) {
        const qint64 count = colorsUsed != 0 ? colorsUsed : (1 << l.bitCount);
        if (count > 256)
            return refuse(QStringLiteral("%1 colours").arg(count));
        if (!f.has(afterHeader, count * paletteEntrySize))
            return refuse(QStringLiteral("ends inside its colour table"));
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
    if (l.pixelsAt >= f.fileSize())
        return refuse(QStringLiteral("ends before its pixels"));
    if (l.compression == BiRgb || bitFields) {
        // Every row but the last must be there with its padding; the last
        // one needs only its pixels.
        const qint64 rowBytes = (width * l.bitCount + 7) / 8;
        const qint64 stride = (width * l.bitCount + 31) / 32 * 4;
        if (!f.fileHas(l.pixelsAt, stride * (height - 1) + rowBytes))
            return refuse(QStringLiteral("ends before its last row"));
    }
    return l;
}

// The sampled pixels of one row; in holds the row's bytes from byte `from`.
void decodeRow(const uchar* in, qint64 from, const BmpLayout& l, const Sampling& s, QRgb* out) {
    const auto& palette = l.palette;
    const int n = s.columns;
    const qint64 step = s.step;
    switch (l.bitCount) {
    case 1:
        for (qint64 i = 0, bit = s.left - from * 8; i < n; ++i, bit += step)
            out[i] = palette[(in[bit >> 3] >> (7 - (bit & 7))) & 1];
        break;
    case 4:
        for (qint64 i = 0, nibble = s.left - from * 2; i < n; ++i, nibble += step)
            out[i] = palette[(nibble & 1) ? (in[nibble >> 1] & 0x0f) : (in[nibble >> 1] >> 4)];
        break;
    case 8:
        for (qint64 i = 0, at = s.left - from; i < n; ++i, at += step)
            out[i] = palette[in[at]];
        break;
    case 24:
        for (qint64 i = 0, at = 3 * s.left - from; i < n; ++i, at += 3 * step)
            out[i] = qRgb(in[at + 2], in[at + 1], in[at]);
        break;
    default: { // 16 or 32 bits through the channel masks; alpha is not used
        const auto& [r, g, b] = l.channels;
        const int bytes = l.bitCount / 8;
        const bool plain32 =
            l.bitCount == 32 && r.mask == 0x00ff0000 && g.mask == 0x0000ff00 && b.mask == 0x000000ff;
        for (qint64 i = 0, at = bytes * qint64(s.left) - from; i < n; ++i, at += bytes * step) {
            if (plain32) {
                out[i] = 0xff000000 | qFromLittleEndian<quint32>(in + at);
            } else {
                const quint32 p =
                    bytes == 2 ? qFromLittleEndian<quint16>(in + at) : qFromLittleEndian<quint32>(in + at);
                out[i] = qRgb(r.value(p), g.value(p), b.value(p));
            }
        }
    }
    }
}

// Uncompressed rows, visited in the file's order. False when the file no
// longer holds them.
bool decodeRows(FileReader& file, const BmpLayout& l, const Sampling& s, QImage& image) {
    const qint64 stride = (qint64(l.width) * l.bitCount + 31) / 32 * 4;
    const qint64 from = qint64(s.left) * l.bitCount / 8;
    const qint64 to = (qint64(s.lastColumn() + 1) * l.bitCount + 7) / 8;
    // Wanting every row and most of each, read many rows at once.
    const qint64 bandRows =
        s.step == 1 && 2 * (to - from) >= stride ? std::max<qint64>(1, kBandBytes / stride) : 1;
    auto fileRowOf = [&](int j) {
        const qint64 y = s.top + qint64(j) * s.step;
        return l.topDown ? y : l.height - 1 - y;
    };
    // Image rows in the order that visits the file forwards.
    const int firstJ = l.topDown ? 0 : s.rows - 1;
    const int dj = l.topDown ? 1 : -1;
    QByteArray band;
    qint64 bandFirst = 0;
    qint64 bandCount = 0;
    for (int k = 0, j = firstJ; k < s.rows; ++k, j += dj) {
        const qint64 fileRow = fileRowOf(j);
        if (fileRow < bandFirst || fileRow >= bandFirst + bandCount) {
            bandFirst = fileRow;
            bandCount = std::min<qint64>(bandRows, s.rows - k);
            const qint64 bytes = (bandCount - 1) * stride + (to - from);
            band.resize(bytes);
            if (!file.readAt(l.pixelsAt + fileRow * stride + from, band.data(), bytes))
                return false;
        }
        const auto* in = reinterpret_cast<const uchar*>(band.constData()) + (fileRow - bandFirst) * stride;
        decodeRow(in, from, l, s, reinterpret_cast<QRgb*>(image.scanLine(j)));
    }
    return true;
}

// The sampled pixels of x .. x + count − 1 on one image row (line), each
// the colour colourAt(i) gives for the i-th pixel of the stretch.
template <class ColourAt>
void putStretch(QRgb* line, const Sampling& s, qint64 x, qint64 count, int width, ColourAt colourAt) {
    if (line == nullptr)
        return;
    const qint64 end = std::min<qint64>({x + count, width, qint64(s.lastColumn()) + 1});
    qint64 first = std::max<qint64>(x, s.left);
    first += (s.step - (first - s.left) % s.step) % s.step;
    for (qint64 px = first; px < end; px += s.step)
        line[(px - s.left) / s.step] = colourAt(px - x);
}

// RLE4 and RLE8: pairs (count, value) repeat a value (RLE4: two alternating
// nibbles); (0, 0) ends a row, (0, 1) the picture, (0, 2, dx, dy) moves right
// and up, (0, n ≥ 3) is followed by n literal values padded to 16 bits.
// Pixels never written keep colour 0; values beyond the row are dropped.
// False when the stream stops before the picture is complete.
bool decodeRle(ByteStream& in, const BmpLayout& l, const Sampling& s, QImage& image) {
    const bool four = l.bitCount == 4;
    const auto& palette = l.palette;
    image.fill(palette[0]);
    qint64 x = 0;
    qint64 row = 0; // from the bottom
    auto lineOf = [&](qint64 r) -> QRgb* {
        const int j = r < l.height ? s.rowOf(l.height - 1 - r) : -1;
        return j < 0 ? nullptr : reinterpret_cast<QRgb*>(image.scanLine(j));
    };
    QRgb* line = lineOf(0);
    std::array<uchar, 256> literal{};
    while (row < l.height) {
        const int count = in.next();
        const int value = in.next();
        if (value < 0)
            return false;
        if (count > 0) {
            if (four) {
                const QRgb pair[2] = {palette[value >> 4], palette[value & 0x0f]};
                putStretch(line, s, x, count, l.width, [&pair](qint64 i) { return pair[i & 1]; });
            } else {
                const QRgb colour = palette[value];
                putStretch(line, s, x, count, l.width, [colour](qint64) { return colour; });
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            line = lineOf(++row);
            break;
        case 1:
            return true;
        case 2: {
            const int dx = in.next();
            const int dy = in.next();
            if (dy < 0)
                return false;
            x += dx;
            row += dy;
            line = lineOf(row);
            break;
        }
        default: {
            const qint64 bytes = four ? (value + 1) / 2 : value;
            if (!in.read(reinterpret_cast<char*>(literal.data()), bytes))
                return false;
            if (bytes & 1)
                in.next(); // the padding
            putStretch(line, s, x, value, l.width, [&](qint64 i) {
                return palette[four ? ((i & 1) ? (literal[i >> 1] & 0x0f) : (literal[i >> 1] >> 4))
                                    : literal[i]];
            });
            x += value;
        }
        }
    }
    return true;
}

} // namespace

void readBmpPart(FileReader& file, const Head& head, const PartChoice& choose, PicturePart& part) {
    QString why;
    const auto layout = parseBmp(head, &why);
    if (!layout) {
        part.refusal = why;
        return;
    }
    part.pictureSize = QSize(layout->width, layout->height);
    const auto s = samplingFor(choose, part.pictureSize, &part.region, &part.step);
    if (!s) {
        part.refusal = QStringLiteral("nothing of it is shown");
        return;
    }
    QImage image(s->columns, s->rows, QImage::Format_RGB32);
    if (image.isNull()) {
        part.refusal = QStringLiteral("no memory for %1 x %2 pixels").arg(s->columns).arg(s->rows);
        return;
    }
    if (layout->compression == BiRle4 || layout->compression == BiRle8) {
        ByteStream in(file, layout->pixelsAt);
        if (!decodeRle(in, *layout, *s, image)) {
            part.refusal = QStringLiteral("run-length data ends before the picture does");
            return;
        }
    } else if (!decodeRows(file, *layout, *s, image)) {
        part.refusal = QStringLiteral("ends before its last row");
        return;
    }
    part.image = std::move(image);
}

} // namespace PictureDecoding
