// The GIF decoder: the screen and its colour tables, the extensions before
// the first frame, and that frame's LZW data, sampled as a paint shows it.

#include "pictures/gifdecoder.h"

#include <QImage>

#include <algorithm>
#include <array>

#include "pictures/sampling.h"

namespace PictureDecoding {

namespace {

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

} // namespace

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

} // namespace PictureDecoding
