#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bmpbuilder.h"
#include "pictures/picturefile.h"
#include "pictures/shownpicture.h"

using namespace BmpBuilder;

namespace {

const QString kFixtures = QStringLiteral(OLLO_PICTURE_FIXTURES);
constexpr QRgb kMarker = 0xff123456;

QList<QRgb> sixteenColours() {
    QList<QRgb> palette;
    for (int i = 0; i < 16; ++i)
        palette << qRgb((i * 16) & 255, (255 - i * 16) & 255, (i * 73) & 255);
    return palette;
}

// The channel value of level q of a channel with max + 1 levels: what a
// decoder must make of it.
int level(int q, int max) {
    return (q * 255 + max / 2) / max;
}

// Pixels in the file's terms (palette indices up to 8 bits, else colours)
// and the picture they must decode to.
struct Pattern {
    QList<std::uint32_t> pixels;
    QImage expected;
};

Pattern pattern(const BmpLayout& layout) {
    Pattern p;
    p.expected = QImage(layout.width, layout.height, QImage::Format_RGB32);
    const int colours = layout.bitCount <= 8 ? (1 << layout.bitCount) : 0;
    const int greenMax = layout.masks[1] == 0x07e0 ? 63 : 31;
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            QRgb colour;
            if (colours) {
                // Runs in the upper half, changing values in the lower half.
                const int index = (y < layout.height / 2 ? x / 4 + y : x * 7 + y * 3) % colours;
                p.pixels << std::uint32_t(index);
                colour = layout.palette.value(index, qRgb(0, 0, 0));
            } else if (layout.bitCount == 16) {
                colour =
                    qRgb(level(x % 32, 31), level((x + y) % (greenMax + 1), greenMax), level(y % 32, 31));
                p.pixels << colour;
            } else {
                colour = qRgb(x * 6 & 255, y * 20 & 255, x * y & 255);
                p.pixels << colour;
            }
            p.expected.setPixel(x, y, colour);
        }
    }
    return p;
}

// Pixels that differ between two pictures of the same size, alpha ignored;
// -1 when the sizes differ or one is missing.
int differingPixels(const QImage& actual, const QImage& expected) {
    if (actual.isNull() || expected.isNull() || actual.size() != expected.size())
        return -1;
    int count = 0;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if ((actual.pixel(x, y) | 0xff000000) != (expected.pixel(x, y) | 0xff000000))
                ++count;
    return count;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A 24-bit picture whose every pixel tells where it is.
QRgb positionColour(int x, int y) {
    return qRgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 4));
}

QByteArray positionPicture(int width, int height) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    QList<std::uint32_t> pixels;
    pixels.reserve(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels << positionColour(x, y);
    return build(layout, pixels);
}

// A picture of the given layout, 300 x 200, whose pixels vary in both
// directions; palette indices for up to 8 bits.
QByteArray variedPicture(BmpLayout layout) {
    layout.width = 300;
    layout.height = 200;
    if (layout.bitCount <= 8)
        layout.palette = sixteenColours().mid(0, 1 << std::min(layout.bitCount, 4));
    QList<std::uint32_t> pixels;
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x)
            pixels << (layout.bitCount <= 8
                           ? std::uint32_t((x / 3 + y * 5 + (x * y) % 7) % layout.palette.size())
                           : positionColour(x, y));
    return build(layout, pixels);
}

// A run-length picture of a few hundred bytes that claims 8192 x 8192
// pixels: one row of runs, then the end; all else is colour 0.
QByteArray bombPicture() {
    BmpLayout layout;
    layout.width = 8192;
    layout.height = 8192;
    layout.bitCount = 8;
    layout.compression = Rle8;
    layout.palette = {qRgb(10, 20, 30), qRgb(200, 0, 0)};
    QByteArray stream;
    for (int i = 0; i < 100; ++i)
        stream.append(char(255)).append(char(1));
    stream.append(char(0)).append(char(1));
    layout.rawPixels = stream;
    return build(layout, {});
}

QImage filledPicture(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The file's modification time moved back by an hour and more, as for a
// picture that has long been there.
bool age(const QString& path, int extraSeconds = 0) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-3600 + extraSeconds),
                            QFileDevice::FileModificationTime);
}

} // namespace

class TestPictureFile : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString put(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir->filePath(name);
        if (!writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() { m_dir.reset(); }

    void sniffsTheBytesNotTheName_data() {
        QTest::addColumn<QString>("source"); // a fixture, or "" for none
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isBmp");
        QTest::addColumn<bool>("isGif");

        QTest::newRow("gif named .bmp") << "plain.gif"
                                        << "x.bmp" << false << true;
        QTest::newRow("bmp named .gif") << "bits24.bmp"
                                        << "x.gif" << true << false;
        QTest::newRow("bmp without suffix") << "bits8.bmp"
                                            << "bild" << true << false;
        QTest::newRow("gif87a named .txt") << "gif87a"
                                           << "x.txt" << false << true;
        QTest::newRow("png named .gif") << "broken/png-named.gif"
                                        << "y.gif" << false << false;
        QTest::newRow("text named .bmp") << "broken/text.bmp"
                                         << "y.bmp" << false << false;
        QTest::newRow("empty file") << "broken/empty.bmp"
                                    << "y.bmp" << false << false;
        QTest::newRow("missing file") << ""
                                      << "nowhere.bmp" << false << false;
    }
    void sniffsTheBytesNotTheName() {
        QFETCH(QString, source);
        QFETCH(QString, name);
        QFETCH(bool, isBmp);
        QFETCH(bool, isGif);

        QString path = m_dir->filePath(name);
        if (source == "gif87a") {
            QByteArray bytes = readFile(kFixtures + "/plain.gif");
            bytes.replace(0, 6, "GIF87a");
            put(name, bytes);
        } else if (!source.isEmpty()) {
            QVERIFY(QFile::copy(kFixtures + '/' + source, path));
        }

        QCOMPARE(IsBMPFile(path), isBmp);
        QCOMPARE(ConvertIsGIFFile(path), isGif);
        QCOMPARE(!ReadBmpOrGif(path).isNull(), isBmp || isGif);
        QCOMPARE(!ReadDIB(path).isNull(), isBmp);
        QCOMPARE(!ConvertGIFtoDIB(path).isNull(), isGif);
    }

    void folderWithAPictureNameIsNoPicture_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("bmp") << "x.bmp";
        QTest::newRow("gif") << "x.gif";
    }
    void folderWithAPictureNameIsNoPicture() {
        QFETCH(QString, name);
        QVERIFY(QDir(m_dir->path()).mkdir(name));
        const QString path = m_dir->filePath(name);
        QVERIFY(!IsBMPFile(path));
        QVERIFY(!ConvertIsGIFFile(path));
        QVERIFY(ReadDIB(path).isNull());
        QVERIFY(ConvertGIFtoDIB(path).isNull());
    }

    // Files from another program's writer, against reference pictures.
    void readsFixtures_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reference");

        QTest::newRow("1 bit") << "bits1.bmp"
                               << "ref2.png";
        QTest::newRow("4 bits") << "bits4.bmp"
                                << "ref16.png";
        QTest::newRow("8 bits") << "bits8.bmp"
                                << "ref64.png";
        QTest::newRow("rle8") << "rle8.bmp"
                              << "ref64.png";
        QTest::newRow("24 bits") << "bits24.bmp"
                                 << "ref16.png";
        QTest::newRow("4 bits, v5 header") << "bits4-v5.bmp"
                                           << "ref16.png";
        QTest::newRow("24 bits, v5 header") << "bits24-v5.bmp"
                                            << "ref16.png";
        QTest::newRow("32 bits, v5 header") << "bits32-v5.bmp"
                                            << "ref16.png";
        QTest::newRow("24 bits, 12-byte header") << "bits24-core.bmp"
                                                 << "ref16.png";
        QTest::newRow("gif") << "plain.gif"
                             << "ref16.png";
        QTest::newRow("interlaced gif") << "interlaced.gif"
                                        << "ref16.png";
        QTest::newRow("animated gif, first frame") << "animated.gif"
                                                   << "ref16.png";
    }
    void readsFixtures() {
        QFETCH(QString, file);
        QFETCH(QString, reference);

        const PictureHandle picture = ReadBmpOrGif(kFixtures + '/' + file);
        QVERIFY(picture);
        QCOMPARE(GetDIBWidth(picture), 37);
        QCOMPARE(GetDIBHeight(picture), 11);
        QCOMPARE(differingPixels(picture.image(), QImage(kFixtures + '/' + reference)), 0);
        // Every pixel is opaque: pictures cover what lies beneath them.
        QVERIFY(!picture.image().hasAlphaChannel());
    }

    // A GIF's transparent colour lets what lies beneath show through.
    void gifTransparencyShowsTheBackground() {
        const PictureHandle picture = ConvertGIFtoDIB(kFixtures + "/transparent.gif");
        QVERIFY(picture);
        const QImage reference(kFixtures + "/ref16.png");
        QImage canvas(37, 11, QImage::Format_RGB32);
        canvas.fill(kMarker);
        {
            QPainter painter(&canvas);
            DrawDIB(painter, picture, 0, 0);
        }
        int transparent = 0;
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 37; ++x) {
                const bool clear = reference.pixel(x, y) == qRgb(0, 255, 0);
                transparent += clear;
                QCOMPARE(canvas.pixel(x, y), clear ? kMarker : reference.pixel(x, y));
            }
        }
        QVERIFY(transparent > 0);
    }

    // Every header version with every bit count, both row orders, RLE.
    void readsBuiltVariants_data() {
        QTest::addColumn<int>("headerSize");
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<uint>("compression");
        QTest::addColumn<bool>("topDown");
        QTest::addColumn<int>("width");

        for (const int header : {12, 40, 108, 124}) {
            for (const int bits : {1, 4, 8, 16, 24, 32}) {
                if (header == 12 && (bits == 16 || bits == 32))
                    continue;
                for (const bool topDown : {false, true}) {
                    if (header == 12 && topDown)
                        continue;
                    QTest::addRow("h%d, %d bits%s", header, bits, topDown ? ", top-down" : "")
                        << header << bits << uint(Rgb) << topDown << 37;
                }
            }
        }
        for (const int header : {40, 108, 124}) {
            QTest::addRow("h%d, rle4", header) << header << 4 << uint(Rle4) << false << 37;
            QTest::addRow("h%d, rle8", header) << header << 8 << uint(Rle8) << false << 37;
        }
        QTest::newRow("rle4, 300 wide") << 40 << 4 << uint(Rle4) << false << 300;
        QTest::newRow("rle8, 300 wide") << 40 << 8 << uint(Rle8) << false << 300;
        QTest::newRow("1 bit, 1 wide") << 40 << 1 << uint(Rgb) << false << 1;
        QTest::newRow("4 bits, 1 wide") << 40 << 4 << uint(Rgb) << false << 1;
        QTest::newRow("24 bits, 1 wide") << 40 << 24 << uint(Rgb) << false << 1;
        QTest::newRow("h40, 16 bits 5-6-5") << 40 << 16 << uint(BitFields) << false << 37;
        QTest::newRow("h124, 16 bits 5-6-5") << 124 << 16 << uint(BitFields) << true << 37;
        QTest::newRow("h40, 32 bits, blue-green-red masks") << 40 << 32 << uint(BitFields) << false << 37;
        QTest::newRow("h108, 32 bits, blue-green-red masks") << 108 << 32 << uint(BitFields) << true << 37;
    }
    void readsBuiltVariants() {
        QFETCH(int, headerSize);
        QFETCH(int, bitCount);
        QFETCH(uint, compression);
        QFETCH(bool, topDown);
        QFETCH(int, width);

        BmpLayout layout;
        layout.headerSize = headerSize;
        layout.width = width;
        layout.height = 11;
        layout.bitCount = bitCount;
        layout.compression = compression;
        layout.topDown = topDown;
        if (bitCount <= 8)
            layout.palette = sixteenColours().mid(0, 1 << bitCount);
        if (compression == BitFields)
            layout.masks = bitCount == 16 ? std::array<std::uint32_t, 3>{0xf800, 0x07e0, 0x001f}
                                          : std::array<std::uint32_t, 3>{0x000000ff, 0x0000ff00, 0x00ff0000};
        if (bitCount == 8) // 8-bit pictures use all of a 256-entry table
            for (int i = 16; i < 256; ++i)
                layout.palette << qRgb(i, 255 - i, i / 2);
        const Pattern p = pattern(layout);
        const QString path = put("variant.bmp", build(layout, p.pixels));

        const PictureHandle picture = ReadDIB(path);
        QVERIFY(picture);
        QCOMPARE(differingPixels(picture.image(), p.expected), 0);
    }

    // Hand-written RLE streams. Expected rows top to bottom, one hex digit
    // (palette index) a pixel; "" means no picture.
    void readsRleStreams_data() {
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("expected");

        QTest::newRow("rle8: run, literal, end of line")
            << 8 << 5 << 2 << QByteArray::fromHex("0201 0003020304 00 0000 0507 0000 0001") << "77777/11234";
        QTest::newRow("rle8: delta skips pixels, which keep colour 0")
            << 8 << 4 << 3 << QByteArray::fromHex("0105 00020201 0106 0000 0407 0001") << "7777/0006/5000";
        QTest::newRow("rle8: a run beyond the row is cut")
            << 8 << 3 << 1 << QByteArray::fromHex("0509 0001") << "999";
        QTest::newRow("rle8: no end-of-picture after the last row")
            << 8 << 2 << 2 << QByteArray::fromHex("0203 0000 0204 0000") << "44/33";
        QTest::newRow("rle8: an early end-of-picture leaves colour 0")
            << 8 << 3 << 2 << QByteArray::fromHex("0102 0001") << "000/200";
        QTest::newRow("rle4: a run alternates its two colours")
            << 4 << 5 << 1 << QByteArray::fromHex("0512 0001") << "12121";
        QTest::newRow("rle4: odd literal padded to a word")
            << 4 << 5 << 1 << QByteArray::fromHex("0005123450 00 0001") << "12345";
        QTest::newRow("rle4: literal of three needs no padding")
            << 4 << 3 << 1 << QByteArray::fromHex("0003abc0 0001") << "abc";
        QTest::newRow("rle4: delta") << 4 << 4 << 2 << QByteArray::fromHex("00020301 01ff 0001")
                                     << "000f/0000";
        QTest::newRow("rle8: stops inside a row") << 8 << 2 << 2 << QByteArray::fromHex("0201") << "";
        QTest::newRow("rle8: literal cut short") << 8 << 4 << 1 << QByteArray::fromHex("00040102") << "";
        QTest::newRow("rle8: escape cut short") << 8 << 4 << 1 << QByteArray::fromHex("0401 00") << "";
        QTest::newRow("rle4: delta cut short") << 4 << 4 << 2 << QByteArray::fromHex("000201") << "";
    }
    void readsRleStreams() {
        QFETCH(int, bitCount);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QByteArray, stream);
        QFETCH(QString, expected);

        BmpLayout layout;
        layout.width = width;
        layout.height = height;
        layout.bitCount = bitCount;
        layout.compression = bitCount == 4 ? Rle4 : Rle8;
        layout.palette = sixteenColours();
        layout.rawPixels = stream;
        const PictureHandle picture = ReadDIB(put("rle.bmp", build(layout, {})));
        if (expected.isEmpty()) {
            QVERIFY(picture.isNull());
            return;
        }
        QVERIFY(picture);
        QImage want(width, height, QImage::Format_RGB32);
        const QStringList rows = expected.split('/');
        QCOMPARE(rows.size(), height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                want.setPixel(x, y, layout.palette[rows[y].mid(x, 1).toInt(nullptr, 16)]);
        QCOMPARE(differingPixels(picture.image(), want), 0);
    }

    void toleratesSloppyWriters_data() {
        QTest::addColumn<QString>("sloppiness");
        QTest::newRow("pixel offset 0") << "offset 0";
        QTest::newRow("pixel offset inside the header") << "offset 20";
        QTest::newRow("last row without its padding") << "short last row";
        QTest::newRow("colour count below the bit count") << "3 colours";
    }
    void toleratesSloppyWriters() {
        QFETCH(QString, sloppiness);
        BmpLayout layout;
        layout.width = 37;
        layout.height = 11;
        layout.bitCount = 4;
        layout.palette = sixteenColours();
        if (sloppiness.startsWith("offset"))
            layout.dataOffset = sloppiness.mid(7).toInt();
        Pattern p = pattern(layout);
        if (sloppiness == "3 colours") {
            // Indices beyond the table show black.
            layout.palette = layout.palette.mid(0, 3);
            for (int y = 0; y < layout.height; ++y)
                for (int x = 0; x < layout.width; ++x)
                    if (p.pixels[y * layout.width + x] >= 3)
                        p.expected.setPixel(x, y, qRgb(0, 0, 0));
        }
        QByteArray bytes = build(layout, p.pixels);
        if (sloppiness == "short last row")
            bytes.chop(1); // 37 pixels of 4 bits: 19 bytes and one byte of padding
        QCOMPARE(differingPixels(ReadDIB(put("sloppy.bmp", bytes)).image(), p.expected), 0);
    }

    // Every file of the broken folder gives no picture through every road.
    void brokenFixturesGiveNoPicture_data() {
        QTest::addColumn<QString>("file");
        const QStringList files = QDir(kFixtures + "/broken").entryList(QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 25);
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << file;
    }
    void brokenFixturesGiveNoPicture() {
        QFETCH(QString, file);
        const QString path = kFixtures + "/broken/" + file;
        QVERIFY(ReadBmpOrGif(path).isNull());
        QVERIFY(ReadDIB(path).isNull());
        QVERIFY(ConvertGIFtoDIB(path).isNull());
    }

    void brokenBuiltFilesGiveNoPicture_data() {
        QTest::addColumn<QByteArray>("bytes");

        auto file = [](auto change) {
            BmpLayout layout;
            layout.width = 37;
            layout.height = 11;
            layout.bitCount = 8;
            layout.palette = sixteenColours();
            change(layout);
            if (layout.bitCount > 8)
                layout.palette.clear();
            return build(layout, pattern(layout).pixels);
        };
        // Complete, and one pixel over the limit: refused before decoding.
        BmpLayout overLimit;
        overLimit.width = 8193;
        overLimit.height = 8192;
        overLimit.bitCount = 1;
        overLimit.palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
        overLimit.rawPixels = QByteArray(qsizetype(8192) * 1028, '\0');
        QTest::newRow("8193 x 8192, complete") << build(overLimit, {});
        QTest::newRow("65536 x 65536") << file([](BmpLayout& s) {
            s.headerWidth = 65536;
            s.headerHeight = 65536;
        });
        QTest::newRow("width -37") << file([](BmpLayout& s) { s.headerWidth = -37; });
        QTest::newRow("12-byte header, height 0xfff5 is not top-down") << file([](BmpLayout& s) {
            s.headerSize = 12;
            s.headerHeight = 0xfff5;
        });
        QTest::newRow("rle4 with 8 bits") << file([](BmpLayout& s) { s.compression = Rle4; });
        QTest::newRow("rle8 with 4 bits") << file([](BmpLayout& s) {
            s.bitCount = 4;
            s.compression = Rle8;
        });
        QTest::newRow("bit fields with 24 bits") << file([](BmpLayout& s) {
            s.bitCount = 24;
            s.compression = BitFields;
        });
        QTest::newRow("bit fields, a mask 0") << file([](BmpLayout& s) {
            s.bitCount = 32;
            s.compression = BitFields;
            s.masks = {0x00ff0000, 0, 0x000000ff};
        });
        QTest::newRow("bit fields, a mask with a gap") << file([](BmpLayout& s) {
            s.bitCount = 16;
            s.compression = BitFields;
            s.masks = {0xf800, 0x0505, 0x001f};
        });
        QTest::newRow("64-byte header, compression 3") << file([](BmpLayout& s) {
            s.headerSize = 64;
            s.bitCount = 16;
            s.compression = BitFields;
        });
        QTest::newRow("last row missing") << file([](BmpLayout&) {}).chopped(40);
        QTest::newRow("palette cut short") << file([](BmpLayout&) {}).left(14 + 40 + 30);
        QTest::newRow("masks cut short") << file([](BmpLayout& s) {
                                                s.bitCount = 32;
                                                s.compression = BitFields;
                                                s.width = 1;
                                                s.height = 1;
                                            }).left(14 + 40 + 8);
    }
    void brokenBuiltFilesGiveNoPicture() {
        QFETCH(QByteArray, bytes);
        const QString path = put("broken.bmp", bytes);
        QVERIFY(IsBMPFile(path));
        QVERIFY(ReadDIB(path).isNull());
        QVERIFY(ReadBmpOrGif(path).isNull());
    }

    // A picture larger than its area, centred, is cut evenly: 700 x 500 in
    // 620 x 435 loses 40 columns on either side, 32 rows above and 33 below.
    void drawsUnscaledAtNegativeOffsets() {
        const PictureHandle picture = ReadDIB(put("big.bmp", positionPicture(700, 500)));
        QVERIFY(picture);
        QImage canvas(620, 435, QImage::Format_RGB32);
        canvas.fill(kMarker);
        {
            QPainter painter(&canvas);
            DrawDIB(painter, picture, (canvas.width() - GetDIBWidth(picture)) / 2,
                    (canvas.height() - GetDIBHeight(picture)) / 2);
        }
        QCOMPARE(canvas.pixel(0, 0), positionColour(40, 32));
        QCOMPARE(canvas.pixel(619, 434), positionColour(659, 466));
        int wrong = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                wrong += canvas.pixel(x, y) != positionColour(x + 40, y + 32);
        QCOMPARE(wrong, 0);
    }

    void drawsUnscaledAtItsPlaceOnly() {
        const PictureHandle picture = ReadDIB(put("small.bmp", positionPicture(30, 20)));
        QImage canvas(100, 60, QImage::Format_RGB32);
        canvas.fill(kMarker);
        {
            QPainter painter(&canvas);
            DrawDIB(painter, picture, 35, 20);
        }
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const bool inside = x >= 35 && x < 65 && y >= 20 && y < 40;
                QCOMPARE(canvas.pixel(x, y), inside ? positionColour(x - 35, y - 20) : kMarker);
            }
        }
    }

    // The drill's backdrop: 1024 x 768 stretched to 633 x 400.
    void stretchesToFillTheRectangle() {
        BmpLayout layout;
        layout.width = 1024;
        layout.height = 768;
        QList<std::uint32_t> pixels;
        const QRgb quadrants[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
        for (int y = 0; y < layout.height; ++y)
            for (int x = 0; x < layout.width; ++x)
                pixels << quadrants[(y >= 384) * 2 + (x >= 512)];
        const PictureHandle picture = ReadDIB(put("backdrop.bmp", build(layout, pixels)));
        QVERIFY(picture);

        QImage canvas(700, 450, QImage::Format_RGB32);
        canvas.fill(kMarker);
        {
            QPainter painter(&canvas);
            StretchDIB(painter, picture, 10, 20, 633, 400);
        }
        const QRect area(10, 20, 633, 400);
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const QRgb pixel = canvas.pixel(x, y);
                if (!area.contains(x, y)) {
                    QCOMPARE(pixel, kMarker);
                    continue;
                }
                // Away from the seams each quadrant keeps its exact colour.
                const int dx = x - area.center().x();
                const int dy = y - area.center().y();
                if (std::abs(dx) > 2 && std::abs(dy) > 2)
                    QCOMPARE(pixel, quadrants[(dy > 0) * 2 + (dx > 0)]);
            }
        }
    }

    // What a paint shows of a picture, decoded alone, is what the whole
    // picture holds there.
    void readsPartsOfPictures_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QRect>("region");
        QTest::addColumn<int>("step");

        auto layout = [](int bits, std::uint32_t compression = Rgb, bool topDown = false) {
            BmpLayout l;
            l.bitCount = bits;
            l.compression = compression;
            l.topDown = topDown;
            return l;
        };
        const QRect middle(53, 41, 120, 77);
        const QRect whole(0, 0, 300, 200);
        for (const int bits : {1, 4, 8, 16, 24, 32}) {
            QTest::addRow("%d bits, the middle", bits) << variedPicture(layout(bits)) << middle << 1;
            QTest::addRow("%d bits, every 3rd pixel", bits) << variedPicture(layout(bits)) << whole << 3;
        }
        QTest::newRow("24 bits, top-down, every 2nd pixel of the middle")
            << variedPicture(layout(24, Rgb, true)) << middle << 2;
        QTest::newRow("8 bits, one column") << variedPicture(layout(8)) << QRect(299, 0, 1, 200) << 1;
        QTest::newRow("rle8, the middle") << variedPicture(layout(8, Rle8)) << middle << 1;
        QTest::newRow("rle8, every 7th pixel") << variedPicture(layout(8, Rle8)) << whole << 7;
        QTest::newRow("rle4, every 2nd pixel of the middle") << variedPicture(layout(4, Rle4)) << middle << 2;
        QTest::newRow("gif, the middle") << readFile(kFixtures + "/plain.gif") << QRect(5, 3, 20, 6) << 1;
        QTest::newRow("interlaced gif, every 2nd pixel")
            << readFile(kFixtures + "/interlaced.gif") << QRect(0, 0, 37, 11) << 2;
        QTest::newRow("transparent gif, every 3rd pixel of a part")
            << readFile(kFixtures + "/transparent.gif") << QRect(1, 1, 30, 9) << 3;
    }
    void readsPartsOfPictures() {
        QFETCH(QByteArray, bytes);
        QFETCH(QRect, region);
        QFETCH(int, step);
        const QString path = put("part", bytes);
        const QImage whole = ReadBmpOrGif(path).image();
        QVERIFY(!whole.isNull());

        const PicturePart part = ReadPicturePart(path, PictureTypes::BmpOrGif, [&](QSize) {
            return std::pair{region, step};
        });
        QCOMPARE(part.pictureSize, whole.size());
        QCOMPARE(part.region, region);
        QCOMPARE(part.image.size(),
                 QSize((region.width() + step - 1) / step, (region.height() + step - 1) / step));
        QCOMPARE(part.image.format(), whole.format());
        int wrong = 0;
        for (int j = 0; j < part.image.height(); ++j)
            for (int i = 0; i < part.image.width(); ++i)
                wrong += part.image.pixel(i, j) != whole.pixel(region.x() + i * step, region.y() + j * step);
        QCOMPARE(wrong, 0);
    }

    // A repaint of an unchanged file decodes nothing; a file changed on disk
    // shows at the next paint, whichever way it was changed.
    void shownPictureFollowsItsFile_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("decodes");
        QTest::addColumn<QRgb>("shown");
        const QRgb red = qRgb(255, 0, 0);
        const QRgb blue = qRgb(0, 0, 255);
        QTest::newRow("unchanged") << "none" << 1 << red;
        QTest::newRow("unchanged, shown by another place") << "other place" << 1 << red;
        QTest::newRow("rewritten in place, same size, later time") << "later" << 2 << blue;
        QTest::newRow("replaced by another file of the same size and time") << "replaced" << 2 << blue;
        QTest::newRow("rewritten in place, other size") << "larger" << 2 << blue;
        QTest::newRow("rewritten just now: read again until it has settled") << "now" << 3 << blue;
        QTest::newRow("gone") << "removed" << 1 << qRgb(0, 0, 0);
    }
    void shownPictureFollowsItsFile() {
        QFETCH(QString, change);
        QFETCH(int, decodes);
        QFETCH(QRgb, shown);
        const QString path = m_dir->filePath("bild.bmp");
        QVERIFY(filledPicture({40, 30}, qRgb(255, 0, 0)).save(path, "BMP"));
        QVERIFY(age(path));
        ShownPicture picture(PictureFit::Centred, PictureTypes::BmpOrGif);
        ShownPicture otherPlace(PictureFit::TopLeft, PictureTypes::BmpOrGif);
        ShownPicture* drawing = &picture;
        QImage canvas(100, 80, QImage::Format_RGB32);
        auto paint = [&] {
            canvas.fill(Qt::black);
            QPainter painter(&canvas);
            return drawing->draw(painter, path, canvas.rect());
        };
        QVERIFY(paint());
        QCOMPARE(canvas.pixel(50, 40), qRgb(255, 0, 0));

        const QImage blue =
            filledPicture(change == "larger" ? QSize(42, 30) : QSize(40, 30), qRgb(0, 0, 255));
        if (change == "later" || change == "larger" || change == "now") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
            QVERIFY(blue.save(&file, "BMP"));
            file.close();
            if (change != "now")
                QVERIFY(age(path, 1));
        } else if (change == "replaced") {
            const QString other = m_dir->filePath("neu.bmp");
            QVERIFY(blue.save(other, "BMP"));
            QVERIFY(age(other));
            QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()) == 0);
        } else if (change == "other place") {
            drawing = &otherPlace;
        } else if (change == "removed") {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bild.bmp not shown: no such file"));
            QVERIFY(QFile::remove(path));
        }
        QCOMPARE(paint(), change != "removed");
        QCOMPARE(canvas.pixel(change == "other place" ? QPoint(10, 10) : QPoint(50, 40)), shown);
        paint();
        QCOMPARE(picture.decodeCount() + otherPlace.decodeCount(), decodes);
    }

    // Memory for a picture follows what is shown of it, not what it claims.
    void keepsNoMoreThanIsShown_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("fit");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("centred, 8192 x 8192")
            << bombPicture() << int(PictureFit::Centred) << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("top-left, 8192 x 8192")
            << bombPicture() << int(PictureFit::TopLeft) << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("stretched, 8192 x 8192")
            << bombPicture() << int(PictureFit::Stretched) << QSize(120, 90) << QSize(120, 90);
        QTest::newRow("centred, smaller than the area")
            << positionPicture(30, 20) << int(PictureFit::Centred) << QSize(300, 200) << QSize(30, 20);
        QTest::newRow("stretched, smaller than the area")
            << positionPicture(30, 20) << int(PictureFit::Stretched) << QSize(300, 200) << QSize(30, 20);
    }
    void keepsNoMoreThanIsShown() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, fit);
        QFETCH(QSize, area);
        QFETCH(QSize, kept);
        const QString path = put("gross.bmp", bytes);
        ShownPicture picture(PictureFit(fit), PictureTypes::Bmp);
        QImage canvas(area, QImage::Format_RGB32);
        QPainter painter(&canvas);
        QVERIFY(picture.draw(painter, path, canvas.rect()));
        QCOMPARE(picture.drawnSize(), kept);
    }

    // A picture that cannot be shown says why on standard error, once.
    void refusalIsSaidOnce() {
        const QString path = put("kaputt.bmp", readFile(kFixtures + "/broken/truncated-rows.bmp"));
        QVERIFY(age(path));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("kaputt.bmp not shown: ends before its last row"));
        QTest::failOnWarning(QRegularExpression("kaputt.bmp"));
        QImage canvas(40, 30, QImage::Format_RGB32);
        for (int paint = 0; paint < 3; ++paint) {
            ShownPicture picture(PictureFit::Centred, PictureTypes::BmpOrGif);
            QPainter painter(&canvas);
            QVERIFY(!picture.draw(painter, path, canvas.rect()));
        }
    }

    void noPictureDrawsNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("unscaled") << "draw";
        QTest::newRow("stretched") << "stretch";
        QTest::newRow("stretched to width 0") << "zero";
        QTest::newRow("stretched to negative height") << "negative";
    }
    void noPictureDrawsNothing() {
        QFETCH(QString, how);
        const PictureHandle none;
        const PictureHandle picture =
            how == "zero" || how == "negative" ? ReadDIB(kFixtures + "/bits24.bmp") : none;
        QCOMPARE(GetDIBWidth(none), 0);
        QCOMPARE(GetDIBHeight(none), 0);
        QImage canvas(40, 30, QImage::Format_RGB32);
        canvas.fill(kMarker);
        {
            QPainter painter(&canvas);
            if (how == "draw")
                DrawDIB(painter, picture, 0, 0);
            else if (how == "stretch")
                StretchDIB(painter, picture, 0, 0, 40, 30);
            else if (how == "zero")
                StretchDIB(painter, picture, 0, 0, 0, 30);
            else
                StretchDIB(painter, picture, 0, 30, 40, -30);
        }
        QImage untouched(40, 30, QImage::Format_RGB32);
        untouched.fill(kMarker);
        QCOMPARE(canvas, untouched);
    }
};

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
