#pragma once

// Builds BMP files byte by byte for the tests, so that every header field can
// be set to a good or a broken value: header versions (12, 40, 108, 124
// bytes), bit counts, uncompressed rows or RLE4/RLE8 streams, bottom-up or
// top-down rows. Pixels are palette indices for 1, 4 and 8 bits, else QRgb.

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QtEndian>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace BmpBuilder {

enum Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

struct BmpLayout {
    int headerSize = 40;
    int width = 0;
    int height = 0; // as seen by the viewer; the header gets -height when topDown
    int bitCount = 24;
    std::uint32_t compression = Rgb;
    bool topDown = false;
    QList<QRgb> palette;
    // Overrides, for broken files; -1 means "as a correct file has it".
    qint64 headerWidth = -1;
    qint64 headerHeight = -1;
    qint64 colorsUsed = -1;
    qint64 dataOffset = -1;
    int planes = 1;
    // Channel masks red, green, blue for 16 and 32 bits; zero means the
    // format's default (5-5-5 or 8-8-8). Written to the file with BitFields.
    std::array<std::uint32_t, 3> masks{};
    // Pixel bytes written as they stand instead of the encoded pixels.
    std::optional<QByteArray> rawPixels;
};

inline std::array<std::uint32_t, 3> masksOf(const BmpLayout& layout) {
    if (layout.masks != std::array<std::uint32_t, 3>{})
        return layout.masks;
    if (layout.bitCount == 16)
        return {0x7c00, 0x03e0, 0x001f};
    return {0x00ff0000, 0x0000ff00, 0x000000ff};
}

// An 8-bit channel value packed into a mask, rounded to the nearest level.
inline std::uint32_t pack(int value, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const std::uint32_t max = mask >> shift;
    return ((std::uint32_t(value) * max + 127) / 255) << shift;
}

inline void put16(QByteArray& out, std::uint32_t value) {
    const std::uint16_t v = qToLittleEndian(std::uint16_t(value));
    out.append(reinterpret_cast<const char*>(&v), 2);
}

inline void put32(QByteArray& out, std::uint32_t value) {
    const std::uint32_t v = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&v), 4);
}

// One row's runs, RLE8: runs of equal values as (count, value); stretches of
// three or more differing values in absolute mode, padded to a 16-bit word.
inline void rle8Row(QByteArray& out, const std::uint8_t* row, int width) {
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x])
            ++run;
        if (run >= 2) {
            out.append(char(run)).append(char(row[x]));
            x += run;
            continue;
        }
        int literal = 1;
        while (x + literal < width && literal < 255 &&
               (x + literal + 1 >= width || row[x + literal] != row[x + literal + 1]))
            ++literal;
        if (literal < 3) {
            for (int i = 0; i < literal; ++i)
                out.append(char(1)).append(char(row[x + i]));
        } else {
            out.append(char(0)).append(char(literal));
            out.append(reinterpret_cast<const char*>(row + x), literal);
            if (literal & 1)
                out.append(char(0));
        }
        x += literal;
    }
    out.append(char(0)).append(char(0));
}

// RLE4: a run repeats a pair of nibbles; a run of one colour uses the pair
// (c, c). Absolute mode packs nibbles two to a byte, padded to a 16-bit word.
inline void rle4Row(QByteArray& out, const std::uint8_t* row, int width) {
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x])
            ++run;
        if (run >= 3 || x + run == width) {
            out.append(char(run)).append(char((row[x] << 4) | row[x]));
            x += run;
            continue;
        }
        int literal = 1;
        while (x + literal < width && literal < 254 &&
               (x + literal + 2 >= width || row[x + literal] != row[x + literal + 1] ||
                row[x + literal] != row[x + literal + 2]))
            ++literal;
        if (literal < 3) {
            // Encoded pairs: (2, ab) draws a then b.
            const int hi = row[x];
            const int lo = literal > 1 ? row[x + 1] : row[x];
            out.append(char(literal > 1 ? 2 : 1)).append(char((hi << 4) | lo));
            x += literal > 1 ? 2 : 1;
            continue;
        }
        out.append(char(0)).append(char(literal));
        const int bytes = (literal + 1) / 2;
        for (int i = 0; i < bytes; ++i) {
            const int a = row[x + 2 * i];
            const int b = 2 * i + 1 < literal ? row[x + 2 * i + 1] : 0;
            out.append(char((a << 4) | b));
        }
        if (bytes & 1)
            out.append(char(0));
        x += literal;
    }
    out.append(char(0)).append(char(0));
}

// The pixel bytes: rows bottom-up unless topDown, each padded to 4 bytes, or
// the RLE stream ending with the end-of-bitmap escape.
inline QByteArray pixelData(const BmpLayout& layout, const QList<std::uint32_t>& pixels) {
    QByteArray out;
    const int w = layout.width;
    const int h = layout.height;
    auto sourceRow = [&](int fileRow) {
        return layout.topDown ? fileRow : h - 1 - fileRow;
    };
    if (layout.compression == Rle8 || layout.compression == Rle4) {
        std::vector<std::uint8_t> row(static_cast<size_t>(w));
        for (int r = 0; r < h; ++r) {
            const int y = sourceRow(r);
            for (int x = 0; x < w; ++x)
                row[size_t(x)] = std::uint8_t(pixels[y * w + x]);
            if (layout.compression == Rle8)
                rle8Row(out, row.data(), w);
            else
                rle4Row(out, row.data(), w);
        }
        out.append(char(0)).append(char(1));
        return out;
    }
    const int stride = ((w * layout.bitCount + 31) / 32) * 4;
    for (int r = 0; r < h; ++r) {
        const int y = sourceRow(r);
        QByteArray line(stride, '\0');
        auto* bytes = reinterpret_cast<std::uint8_t*>(line.data());
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[y * w + x];
            switch (layout.bitCount) {
            case 1:
                bytes[x / 8] |= std::uint8_t((p & 1) << (7 - x % 8));
                break;
            case 4:
                bytes[x / 2] |= std::uint8_t((p & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                bytes[x] = std::uint8_t(p);
                break;
            case 16: {
                const auto m = masksOf(layout);
                const std::uint32_t v = pack(qRed(p), m[0]) | pack(qGreen(p), m[1]) | pack(qBlue(p), m[2]);
                bytes[2 * x] = std::uint8_t(v);
                bytes[2 * x + 1] = std::uint8_t(v >> 8);
                break;
            }
            case 24:
                bytes[3 * x] = std::uint8_t(qBlue(p));
                bytes[3 * x + 1] = std::uint8_t(qGreen(p));
                bytes[3 * x + 2] = std::uint8_t(qRed(p));
                break;
            case 32: {
                const auto m = masksOf(layout);
                const std::uint32_t v =
                    pack(qRed(p), m[0]) | pack(qGreen(p), m[1]) | pack(qBlue(p), m[2]) |
                    (layout.masks == std::array<std::uint32_t, 3>{} ? (p & 0xff000000) : 0);
                for (int i = 0; i < 4; ++i)
                    bytes[4 * x + i] = std::uint8_t(v >> (8 * i));
                break;
            }
            }
        }
        out.append(line);
    }
    return out;
}

inline QByteArray build(const BmpLayout& layout, const QList<std::uint32_t>& pixels) {
    const bool core = layout.headerSize == 12;
    const bool masks = layout.compression == BitFields && layout.headerSize == 40;
    const int entry = core ? 3 : 4;
    const QByteArray data = layout.rawPixels ? *layout.rawPixels : pixelData(layout, pixels);
    const qint64 offset = layout.dataOffset >= 0
                              ? layout.dataOffset
                              : 14 + layout.headerSize + (masks ? 12 : 0) + entry * layout.palette.size();
    const qint64 height =
        layout.headerHeight != -1 ? layout.headerHeight : (layout.topDown ? -layout.height : layout.height);
    const qint64 width = layout.headerWidth != -1 ? layout.headerWidth : layout.width;

    QByteArray out("BM");
    put32(out, std::uint32_t(14 + layout.headerSize + entry * layout.palette.size() + data.size()));
    put32(out, 0);
    put32(out, std::uint32_t(offset));
    put32(out, std::uint32_t(layout.headerSize));
    if (core) {
        put16(out, std::uint32_t(width));
        put16(out, std::uint32_t(height));
        put16(out, std::uint32_t(layout.planes));
        put16(out, std::uint32_t(layout.bitCount));
    } else {
        put32(out, std::uint32_t(width));
        put32(out, std::uint32_t(height));
        put16(out, std::uint32_t(layout.planes));
        put16(out, std::uint32_t(layout.bitCount));
        put32(out, layout.compression);
        put32(out, std::uint32_t(data.size()));
        put32(out, 2835);
        put32(out, 2835);
        put32(out, std::uint32_t(layout.colorsUsed >= 0 ? layout.colorsUsed : layout.palette.size()));
        put32(out, 0);
        if (layout.headerSize >= 108) {
            // Masks (meaningful with BitFields), then the colour space "sRGB"
            // and its unused end points and gammas.
            for (const std::uint32_t mask : masksOf(layout))
                put32(out, mask);
            put32(out,
                  layout.bitCount == 32 && layout.masks == std::array<std::uint32_t, 3>{} ? 0xff000000 : 0);
            put32(out, 0x73524742);
            for (int i = 0; i < 12; ++i)
                put32(out, 0);
        }
        if (layout.headerSize >= 124) {
            put32(out, 4); // rendering intent: images
            put32(out, 0);
            put32(out, 0);
            put32(out, 0);
        }
        while (out.size() < 14 + layout.headerSize)
            out.append('\0');
        if (masks) {
            for (const std::uint32_t mask : masksOf(layout))
                put32(out, mask);
        }
    }
    for (const QRgb c : layout.palette) {
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (!core)
            out.append('\0');
    }
    while (out.size() < offset)
        out.append('\0');
    out.append(data);
    return out;
}

} // namespace BmpBuilder
