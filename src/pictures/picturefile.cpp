#include "pictures/picturefile.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include <sys/stat.h>

// Both formats are decoded here rather than by QImageReader: its size query
// reports top-down BMPs with a negative height, it turns truncated files and
// broken RLE streams into partial pictures, and it always decodes a whole
// picture, however little of it is shown. Decoding ourselves lets every
// header field be checked before a byte of pixels is touched, and reads only
// the rows and columns a paint shows.

namespace {

// The headers, the masks and the largest colour table fit in the first bytes.
constexpr qint64 kHeadBytes = 4096;
// Rows read at once when a paint shows most of every row.
constexpr qint64 kBandBytes = 64 * 1024;
// Run-length and GIF data are read in pieces of this size.
constexpr qint64 kStreamBytes = 64 * 1024;

std::optional<FileVersion> versionOf(const struct stat& s) {
    FileVersion version;
    version.size = s.st_size;
    version.modifiedNs = qint64(s.st_mtim.tv_sec) * 1000000000LL + s.st_mtim.tv_nsec;
    version.inode = s.st_ino;
    version.device = s.st_dev;
    return version;
}

// A file read by offset; never mapped, so a file cut short by someone else
// gives a short read, which every caller checks.
class FileReader {
public:
    explicit FileReader(const QString& fileName)
        : m_file(fileName) {
        if (!QFileInfo(fileName).isFile()) {
            m_why =
                QFileInfo::exists(fileName) ? QStringLiteral("not a file") : QStringLiteral("no such file");
            return;
        }
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            m_why = QStringLiteral("cannot be opened (%1)").arg(m_file.errorString());
            return;
        }
        m_size = m_file.size();
    }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool isOpen() const { return m_file.isOpen(); }
    const QString& whyNotOpen() const { return m_why; }
    // The size when the file was opened.
    qint64 size() const { return m_size; }

    // Up to count bytes from offset; how many there were, -1 on an error.
    qint64 readSome(qint64 offset, char* out, qint64 count) {
        if (offset < 0 || count < 0 || !m_file.seek(offset))
            return -1;
        qint64 done = 0;
        while (done < count) {
            const qint64 got = m_file.read(out + done, count - done);
            if (got < 0)
                return -1;
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }
    bool readAt(qint64 offset, char* out, qint64 count) { return readSome(offset, out, count) == count; }

    // Of the open file; none for a resource.
    std::optional<FileVersion> version() const {
        struct stat s {};
        const int fd = m_file.handle();
        if (fd < 0 || ::fstat(fd, &s) != 0)
            return std::nullopt;
        return versionOf(s);
    }

private:
    QFile m_file;
    QString m_why;
    qint64 m_size = 0;
};

// The first bytes of a file, for the headers, and the file's size, for the
// extent of what they describe.
class Head {
public:
    Head(QByteArray bytes, qint64 fileSize)
        : m_bytes(std::move(bytes))
        , m_fileSize(fileSize) {}

    bool has(qint64 offset, qint64 count) const { return within(offset, count, m_bytes.size()); }
    bool fileHas(qint64 offset, qint64 count) const { return within(offset, count, m_fileSize); }
    qint64 fileSize() const { return m_fileSize; }
    bool startsWith(const char* magic) const { return m_bytes.startsWith(magic); }
    quint8 u8(qint64 offset) const { return quint8(m_bytes[offset]); }
    quint16 u16(qint64 offset) const { return qFromLittleEndian<quint16>(m_bytes.constData() + offset); }
    quint32 u32(qint64 offset) const { return qFromLittleEndian<quint32>(m_bytes.constData() + offset); }

private:
    static bool within(qint64 offset, qint64 count, qint64 size) {
        return offset >= 0 && count >= 0 && offset <= size && count <= size - offset;
    }

    QByteArray m_bytes;
    qint64 m_fileSize = 0;
};

// The bytes of a file from a position on, in order, read a piece at a time.
class ByteStream {
public:
    ByteStream(FileReader& file, qint64 position)
        : m_file(file)
        , m_position(position) {}

    // The next byte, -1 at the end of the file.
    int next() {
        if (m_index == m_buffer.size() && !fill())
            return -1;
        ++m_position;
        return quint8(m_buffer.constData()[m_index++]);
    }
    bool read(char* out, qint64 count) {
        while (count > 0) {
            if (m_index == m_buffer.size() && !fill())
                return false;
            const qint64 piece = std::min<qint64>(count, m_buffer.size() - m_index);
            std::memcpy(out, m_buffer.constData() + m_index, size_t(piece));
            m_index += piece;
            m_position += piece;
            out += piece;
            count -= piece;
        }
        return true;
    }
    bool skip(qint64 count) {
        const qint64 buffered = std::min<qint64>(count, m_buffer.size() - m_index);
        m_index += buffered;
        m_position += count;
        if (count > buffered) {
            m_buffer.clear();
            m_index = 0;
        }
        return true;
    }

private:
    bool fill() {
        m_buffer.resize(kStreamBytes);
        const qint64 got = m_file.readSome(m_position, m_buffer.data(), kStreamBytes);
        m_buffer.resize(std::max<qint64>(got, 0));
        m_index = 0;
        return got > 0;
    }

    FileReader& m_file;
    qint64 m_position = 0;
    QByteArray m_buffer;
    qsizetype m_index = 0;
};

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

// ---- GIF ----------------------------------------------------------------

// The codes of an LZW stream, packed into a chain of data sub-blocks
// (length byte, bytes …, 0), lowest bit first.
class SubBlockBits {
public:
    explicit SubBlockBits(ByteStream& in)
        : m_in(in) {}

    static constexpr int kEnd = -1;     // the chain has ended
    static constexpr int kFileEnd = -2; // the file ended inside the chain

    int code(int width) {
        while (m_count < width) {
            if (m_left == 0) {
                if (m_ended)
                    return kEnd;
                const int length = m_in.next();
                if (length < 0)
                    return kFileEnd;
                if (length == 0) {
                    m_ended = true;
                    return kEnd;
                }
                m_left = length;
            }
            const int byte = m_in.next();
            if (byte < 0)
                return kFileEnd;
            --m_left;
            m_bits |= quint32(byte) << m_count;
            m_count += 8;
        }
        const int code = int(m_bits & ((1u << width) - 1));
        m_bits >>= width;
        m_count -= width;
        return code;
    }

    // Skips what is left of the chain; false when the file ends first.
    bool finish() {
        if (m_ended)
            return true;
        m_in.skip(m_left);
        for (;;) {
            const int length = m_in.next();
            if (length < 0)
                return false;
            if (length == 0)
                return true;
            m_in.skip(length);
        }
    }

private:
    ByteStream& m_in;
    int m_left = 0;
    bool m_ended = false;
    quint32 m_bits = 0;
    int m_count = 0;
};

bool skipSubBlocks(ByteStream& in) {
    for (;;) {
        const int length = in.next();
        if (length < 0)
            return false;
        if (length == 0)
            return true;
        in.skip(length);
    }
}

bool readColourTable(ByteStream& in, int count, std::array<QRgb, 256>& table) {
    std::array<char, 3 * 256> bytes{};
    if (!in.read(bytes.data(), 3 * count))
        return false;
    for (int i = 0; i < count; ++i)
        table[size_t(i)] = qRgb(quint8(bytes[3 * i]), quint8(bytes[3 * i + 1]), quint8(bytes[3 * i + 2]));
    return true;
}

// Where the next pixel of a frame goes: rows in order, or interlaced in four
// passes (every 8th row from 0, every 8th from 4, every 4th from 2, every
// 2nd from 1).
class FrameCursor {
public:
    FrameCursor(int width, int height, bool interlaced)
        : m_width(width)
        , m_height(height)
        , m_interlaced(interlaced) {}

    bool done() const { return m_row >= m_height; }
    int x() const { return m_x; }
    int y() const { return m_row; }
    // Moves on a pixel; true when a new row began.
    bool advance() {
        if (++m_x < m_width)
            return false;
        m_x = 0;
        if (!m_interlaced) {
            ++m_row;
            return true;
        }
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        m_row += kStep[m_pass];
        while (m_row >= m_height && m_pass < 3) {
            ++m_pass;
            m_row = kStart[m_pass];
        }
        return true;
    }

private:
    int m_width;
    int m_height;
    bool m_interlaced;
    int m_x = 0;
    int m_row = 0;
    int m_pass = 0;
};

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int minCodeSize = 0;
    const std::array<QRgb, 256>* colours = nullptr;
    int colourCount = 0;
    int transparent = -1;
};

// The first frame's LZW data into the sampled screen. Pixels outside the
// screen are dropped, the transparent index is transparent, indices beyond
// the colour table are black. Data that ends early leaves the rest as it
// was. False, with the reason, for broken data or a file that ends inside it.
bool decodeLzw(ByteStream& in, const GifFrame& f, const Sampling& s, QSize screen, QImage& image,
               QString* why) {
    constexpr int kTableSize = 4096;
    const int clear = 1 << f.minCodeSize;
    const int end = clear + 1;
    std::array<quint16, kTableSize> prefix{};
    std::array<quint8, kTableSize> suffix{};
    std::array<quint8, kTableSize> first{};
    std::array<quint8, kTableSize + 1> stack{};
    std::array<QRgb, 256> colour{};
    for (int i = 0; i < 256; ++i)
        colour[size_t(i)] = i == f.transparent  ? 0
                            : i < f.colourCount ? (*f.colours)[size_t(i)]
                                                : qRgb(0, 0, 0);

    FrameCursor cursor(f.width, f.height, f.interlaced);
    QRgb* line = nullptr;
    auto findLine = [&] {
        const int y = f.top + cursor.y();
        const int j = y < screen.height() ? s.rowOf(y) : -1;
        line = j < 0 ? nullptr : reinterpret_cast<QRgb*>(image.scanLine(j));
    };
    findLine();
    // The image column of each column of the frame, -1 where none.
    std::vector<int> columnOf(size_t(f.width), -1);
    for (int x = 0; x < f.width; ++x) {
        const qint64 dx = qint64(f.left) + x - s.left;
        if (dx >= 0 && dx % s.step == 0 && dx / s.step < s.columns && f.left + x < screen.width())
            columnOf[size_t(x)] = int(dx / s.step);
    }
    auto put = [&](int index) {
        if (cursor.done())
            return;
        if (line != nullptr) {
            if (const int column = columnOf[size_t(cursor.x())]; column >= 0)
                line[column] = colour[size_t(index)];
        }
        if (cursor.advance())
            findLine();
    };

    // The first value of a code's string.
    auto firstOf = [&](int code) {
        return code > end ? first[size_t(code)] : quint8(code);
    };

    SubBlockBits bits(in);
    int width = f.minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    for (;;) {
        const int code = bits.code(width);
        if (code == SubBlockBits::kFileEnd) {
            *why = QStringLiteral("ends inside its first picture");
            return false;
        }
        if (code == SubBlockBits::kEnd || code == end)
            break;
        if (code == clear) {
            width = f.minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (previous < 0) {
            if (code > end) {
                *why = QStringLiteral("broken picture data");
                return false;
            }
            put(code);
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= kTableSize)) {
            *why = QStringLiteral("broken picture data");
            return false;
        }
        // The string of code (of previous, for the code not yet in the
        // table), last value first.
        int length = 0;
        int walk = code == next ? previous : code;
        if (code == next)
            stack[size_t(length++)] = firstOf(previous);
        while (walk > end) {
            stack[size_t(length++)] = suffix[size_t(walk)];
            walk = prefix[size_t(walk)];
        }
        stack[size_t(length++)] = quint8(walk);
        const quint8 head = quint8(walk);
        while (length > 0)
            put(stack[size_t(--length)]);
        if (next < kTableSize) {
            prefix[size_t(next)] = quint16(previous);
            suffix[size_t(next)] = head;
            first[size_t(next)] = firstOf(previous);
            ++next;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        previous = code;
    }
    if (!bits.finish()) {
        *why = QStringLiteral("ends inside its first picture");
        return false;
    }
    return true;
}

// ---- reading a part -------------------------------------------------------

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

void readGifPart(FileReader& file, const PartChoice& choose, PicturePart& part) {
    ByteStream in(file, 6);
    std::array<char, 7> screen{};
    if (!in.read(screen.data(), 7)) {
        part.refusal = QStringLiteral("ends inside its GIF header");
        return;
    }
    const int width = qFromLittleEndian<quint16>(screen.data());
    const int height = qFromLittleEndian<quint16>(screen.data() + 2);
    const int flags = quint8(screen[4]);
    const int background = quint8(screen[5]);
    if (!withinLimit(width, height)) {
        part.refusal = sizeRefusal(width, height);
        return;
    }
    std::array<QRgb, 256> global{};
    std::array<QRgb, 256> local{};
    const int globalCount = (flags & 0x80) ? 2 << (flags & 7) : 0;
    if (!readColourTable(in, globalCount, global)) {
        part.refusal = QStringLiteral("ends inside its colour table");
        return;
    }

    GifFrame frame;
    for (bool found = false; !found;) {
        switch (in.next()) {
        // An extension: a label, then sub-blocks. The graphic control block
        // names the transparent colour.
        case 0x21: {
            const int label = in.next();
            if (label == 0xf9) {
                const int length = in.next();
                std::array<char, 255> block{};
                if (length < 0 || !in.read(block.data(), length)) {
                    part.refusal = QStringLiteral("ends before its first picture");
                    return;
                }
                if (length >= 4)
                    frame.transparent = (block[0] & 1) ? quint8(block[3]) : -1;
                if (length == 0)
                    break;
            }
            if (label < 0 || !skipSubBlocks(in)) {
                part.refusal = QStringLiteral("ends before its first picture");
                return;
            }
            break;
        }
        case 0x2c: { // image descriptor, the colour table, the LZW code size
            std::array<char, 9> d{};
            if (!in.read(d.data(), 9)) {
                part.refusal = QStringLiteral("ends before its first picture");
                return;
            }
            frame.left = qFromLittleEndian<quint16>(d.data());
            frame.top = qFromLittleEndian<quint16>(d.data() + 2);
            frame.width = qFromLittleEndian<quint16>(d.data() + 4);
            frame.height = qFromLittleEndian<quint16>(d.data() + 6);
            const int frameFlags = quint8(d[8]);
            frame.interlaced = frameFlags & 0x40;
            if (!withinLimit(frame.width, frame.height)) {
                part.refusal = sizeRefusal(frame.width, frame.height);
                return;
            }
            frame.colours = &global;
            frame.colourCount = globalCount;
            if (frameFlags & 0x80) {
                frame.colours = &local;
                frame.colourCount = 2 << (frameFlags & 7);
                if (!readColourTable(in, frame.colourCount, local)) {
                    part.refusal = QStringLiteral("ends inside its colour table");
                    return;
                }
            }
            // Eight bits a pixel at most; each code then names one colour.
            frame.minCodeSize = in.next();
            if (frame.minCodeSize < 1 || frame.minCodeSize > 8) {
                part.refusal = frame.minCodeSize < 0
                                   ? QStringLiteral("ends before its first picture")
                                   : QStringLiteral("LZW code size %1").arg(frame.minCodeSize);
                return;
            }
            found = true;
            break;
        }
        case -1:
            part.refusal = QStringLiteral("ends before its first picture");
            return;
        default:
            part.refusal = QStringLiteral("holds no picture");
            return;
        }
    }

    part.pictureSize = QSize(width, height);
    const auto s = samplingFor(choose, part.pictureSize, &part.region, &part.step);
    if (!s) {
        part.refusal = QStringLiteral("nothing of it is shown");
        return;
    }
    const bool clear = frame.transparent >= 0;
    QImage image(s->columns, s->rows, clear ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull()) {
        part.refusal = QStringLiteral("no memory for %1 x %2 pixels").arg(s->columns).arg(s->rows);
        return;
    }
    // A frame that leaves part of the screen uncovered shows the background
    // colour there, or nothing when the picture has a transparent colour.
    const bool covers = frame.left == 0 && frame.top == 0 && frame.width >= width && frame.height >= height;
    QRgb fill = clear ? 0 : qRgb(0, 0, 0);
    if (!covers && !clear && background < globalCount)
        fill = global[size_t(background)];
    image.fill(fill);
    if (!decodeLzw(in, frame, *s, part.pictureSize, image, &part.refusal))
        return;
    part.image = std::move(image);
}

PicturePart wholePicture(const QString& fileName, PictureTypes types) {
    return ReadPicturePart(fileName, types, [](QSize size) {
        return std::pair{QRect(QPoint(0, 0), size), 1};
    });
}

} // namespace

std::optional<FileVersion> VersionOf(const QString& fileName) {
    struct stat s {};
    if (fileName.isEmpty() || ::stat(QFile::encodeName(fileName).constData(), &s) != 0 || !S_ISREG(s.st_mode))
        return std::nullopt;
    return versionOf(s);
}

PicturePart ReadPicturePart(const QString& fileName, PictureTypes types, const PartChoice& choose) {
    PicturePart part;
    FileReader file(fileName);
    if (!file.isOpen()) {
        part.refusal = file.whyNotOpen();
        return part;
    }
    part.version = file.version();
    QByteArray bytes(std::min(file.size(), kHeadBytes), '\0');
    bytes.resize(std::max<qint64>(0, file.readSome(0, bytes.data(), bytes.size())));
    const Head head(bytes, file.size());
    const bool bmp = head.startsWith("BM");
    const bool gif = head.startsWith("GIF87a") || head.startsWith("GIF89a");
    if (bmp && types != PictureTypes::Gif)
        readBmpPart(file, head, choose, part);
    else if (gif && types != PictureTypes::Bmp)
        readGifPart(file, choose, part);
    else if (file.size() == 0)
        part.refusal = QStringLiteral("empty");
    else if (types == PictureTypes::Bmp)
        part.refusal = QStringLiteral("not a BMP file");
    else if (types == PictureTypes::Gif)
        part.refusal = QStringLiteral("not a GIF file");
    else
        part.refusal = QStringLiteral("neither a BMP nor a GIF file");
    if (part.version && part.version != file.version()) {
        part.changedWhileRead = true;
        if (part.image.isNull())
            part.refusal = QStringLiteral("changed while it was read");
    }
    return part;
}

bool IsBMPFile(const QString& fileName) {
    FileReader file(fileName);
    char magic[2] = {};
    return file.isOpen() && file.readAt(0, magic, 2) && std::memcmp(magic, "BM", 2) == 0;
}

PictureHandle ReadDIB(const QString& fileName) {
    return PictureHandle(wholePicture(fileName, PictureTypes::Bmp).image);
}

bool ConvertIsGIFFile(const QString& fileName) {
    FileReader file(fileName);
    char magic[6] = {};
    return file.isOpen() && file.readAt(0, magic, 6) &&
           (std::memcmp(magic, "GIF87a", 6) == 0 || std::memcmp(magic, "GIF89a", 6) == 0);
}

PictureHandle ConvertGIFtoDIB(const QString& fileName) {
    return PictureHandle(wholePicture(fileName, PictureTypes::Gif).image);
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
    return PictureHandle(wholePicture(fileName, PictureTypes::BmpOrGif).image);
}
