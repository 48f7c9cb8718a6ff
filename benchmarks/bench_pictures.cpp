// Prints how long a paint takes with a typical picture: decoding a 1024 x 768
// BMP (24 and 8 bits) or GIF, drawing it unscaled, and stretching it to the
// drill's 633 x 400 client area. Medians of 25 runs. Picture files named on
// the command line are timed too: bench_pictures data/*.bmp

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "pictures/picturefile.h"

namespace {

constexpr int kRuns = 25;
constexpr int kWidth = 1024;
constexpr int kHeight = 768;

double medianMs(const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A backdrop-like picture: smooth gradients with a few shapes, 256 colours.
QImage sample() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image.setPixel(x, y, qRgb(x * 255 / kWidth, y * 255 / kHeight, 128));
    QPainter painter(&image);
    painter.setBrush(Qt::yellow);
    painter.drawEllipse(200, 150, 300, 300);
    painter.setBrush(Qt::darkGreen);
    painter.drawRect(600, 400, 300, 250);
    painter.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xff)).append(char(value >> 8));
}

// A GIF whose LZW stream never grows its code table: a clear code after every
// 254 indices keeps all codes at 9 bits. Decoding it costs what any GIF costs.
QByteArray gif(const QImage& indexed) {
    QByteArray out("GIF89a");
    put16(out, indexed.width());
    put16(out, indexed.height());
    out.append(char(0xf7)).append(char(0)).append(char(0));
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < indexed.colorCount() ? indexed.color(i) : 0;
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    out.append(char(0x2c));
    put16(out, 0);
    put16(out, 0);
    put16(out, indexed.width());
    put16(out, indexed.height());
    out.append(char(0)).append(char(8));
    QByteArray codes;
    quint32 bits = 0;
    int count = 0;
    auto emit = [&](int code) {
        bits |= quint32(code) << count;
        count += 9;
        while (count >= 8) {
            codes.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    };
    int run = 0;
    emit(256);
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* line = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            if (run == 254) {
                emit(256);
                run = 0;
            }
            emit(line[x]);
            ++run;
        }
    }
    emit(257);
    if (count > 0)
        codes.append(char(bits & 0xff));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out.append(char(block.size())).append(block);
    }
    out.append(char(0)).append(char(0x3b));
    return out;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QImage indexed = sample();
    const QString bmp24 = dir.filePath("p24.bmp");
    const QString bmp8 = dir.filePath("p8.bmp");
    const QString gifFile = dir.filePath("p.gif");
    indexed.convertToFormat(QImage::Format_RGB32).save(bmp24, "BMP");
    indexed.save(bmp8, "BMP");
    write(gifFile, gif(indexed));

    QImage screen(1280, 1024, QImage::Format_RGB32);
    std::printf("Pictures of %d x %d, median of %d runs, in ms\n", kWidth, kHeight, kRuns);
    std::printf("%-12s %8s %8s %9s %9s %9s\n", "", "decode", "draw", "stretch", "nearest", "paint");
    std::printf("(draw: unscaled; stretch: StretchDIB to 633 x 400, smooth; nearest: the same without\n"
                " smoothing, for comparison; paint: decode and stretch, as the drill's backdrop does)\n");
    for (const auto& [name, path] :
         {std::pair{"BMP 24 bits", bmp24}, {"BMP 8 bits", bmp8}, {"GIF", gifFile}}) {
        const PictureHandle picture = ReadBmpOrGif(path);
        if (GetDIBWidth(picture) != kWidth || GetDIBHeight(picture) != kHeight)
            qFatal("%s was not read", name);
        const double decode = medianMs([&] { ReadBmpOrGif(path); });
        const double draw = medianMs([&] {
            QPainter painter(&screen);
            DrawDIB(painter, picture, (1280 - kWidth) / 2, (1024 - kHeight) / 2);
        });
        const double stretch = medianMs([&] {
            QPainter painter(&screen);
            StretchDIB(painter, picture, 0, 0, 633, 400);
        });
        const double nearest = medianMs([&] {
            QPainter painter(&screen);
            painter.drawImage(QRect(0, 0, 633, 400), picture.image());
        });
        const double paint = medianMs([&] {
            QPainter painter(&screen);
            StretchDIB(painter, ReadBmpOrGif(path), 0, 0, 633, 400);
        });
        std::printf("%-12s %8.2f %8.2f %9.2f %9.2f %9.2f\n", name, decode, draw, stretch, nearest, paint);
    }
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        const PictureHandle picture = ReadBmpOrGif(path);
        const double decode = medianMs([&] { ReadBmpOrGif(path); });
        std::printf("%s: %d x %d, decode %.2f ms\n", argv[i], GetDIBWidth(picture), GetDIBHeight(picture),
                    decode);
    }
    return 0;
}
