// Prints how long the paints with a picture take (target: repaints under
// 8 ms each): the main window's backdrop in a 1920 x 1080 window, and the
// picture reward's dialog, for 1024 x 768 pictures (a 24-bit and an 8-bit BMP
// written by Qt, a GIF written by ImageMagick, left out without it) and the
// shipped backdrop. The first paint decodes the picture, a repaint of an
// unchanged file decodes nothing. Then a family's 8192 x 8192 photo as the
// backdrop, and a 1 KB run-length BMP that claims 8192 x 8192 pixels: the
// peak memory of a program that paints either (target: under 100 MB), each
// measured in a process of its own (this program, started again).
// Each time is the median of a synchronous repaint() of the whole widget.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_paint [runs]

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "base/profile.h"
#include "benchsupport.h"
#include "pictures/picturefile.h"
#include "rewards/picturerewarddlg.h"
#include "shell/backdrop.h"
#include "shell/commandtable.h"
#include "shell/mainframe.h"

namespace {

constexpr int kDefaultRuns = 25;
constexpr double kTargetMs = 8;
constexpr double kTargetPeakMb = 100;
constexpr QSize kWindowSize(1920, 1080);
constexpr int kHuge = 8192;

double repaintMs(QWidget* widget) {
    const qint64 startNs = bench::nowNs();
    widget->repaint();
    return bench::msBetween(startNs, bench::nowNs());
}

double medianRepaintMs(QWidget* widget, int runs) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(repaintMs(widget));
    return bench::median(times);
}

// The figures count only if the paint really drew the picture: the pixel at
// the widget's centre is the picture's pixel there.
bool showsPicture(QWidget* widget, const QString& file) {
    const QImage picture = ReadBmpOrGif(file).image();
    const QImage shot = widget->grab().toImage();
    const QPoint centre(widget->width() / 2, widget->height() / 2);
    const QPoint origin((widget->width() - picture.width()) / 2, (widget->height() - picture.height()) / 2);
    return shot.pixel(centre) == picture.pixel(centre - origin);
}

const char* verdict(bool met) {
    return met ? "" : "  ABOVE TARGET";
}

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
}

void put32(QByteArray& out, qint64 value) {
    for (int i = 0; i < 4; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// The file and information headers of a bottom-up BMP.
QByteArray bmpHeaders(int width, int height, int bits, int compression, int colours, qint64 pixelBytes) {
    const qint64 offset = 14 + 40 + 4 * colours;
    QByteArray out("BM");
    put32(out, offset + pixelBytes);
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, bits);
    put32(out, compression);
    put32(out, pixelBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, colours);
    put32(out, 0);
    return out;
}

// The colour of the 8192² photo at (x, y), rows counted from the top.
QRgb hugeColour(int x, int y) {
    return qRgb(x * 255 / kHuge, y * 255 / kHuge, (x ^ y) & 255);
}

// A 24-bit 8192 x 8192 BMP (192 MB), written a row at a time.
bool writeHugePicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const qint64 stride = qint64(kHuge) * 3;
    file.write(bmpHeaders(kHuge, kHuge, 24, 0, 0, stride * kHuge));
    QByteArray row(stride, '\0');
    for (int fileRow = 0; fileRow < kHuge; ++fileRow) {
        const int y = kHuge - 1 - fileRow;
        for (int x = 0; x < kHuge; ++x) {
            const QRgb c = hugeColour(x, y);
            row[3 * x] = char(qBlue(c));
            row[3 * x + 1] = char(qGreen(c));
            row[3 * x + 2] = char(qRed(c));
        }
        if (file.write(row) != stride)
            return false;
    }
    return true;
}

// A run-length BMP of 1 KB that claims 8192 x 8192 pixels: a few runs, then
// the end of the picture; the rest is colour 0.
QByteArray bombPicture() {
    QByteArray stream;
    for (int i = 0; i < 460; ++i)
        stream.append(char(255)).append(char(1));
    stream.append(char(0)).append(char(1));
    QByteArray out = bmpHeaders(kHuge, kHuge, 8, 1, 2, stream.size());
    put32(out, 0x00204060);
    put32(out, 0x00ff0000);
    return out + stream;
}

// The child: paints the backdrop once in a 1920 x 1080 window and prints
// "peak <MB>" (VmHWM), and how long the first paint and a repaint took.
int paintInChild(int argc, char** argv, const QString& picture) {
    QApplication application(argc, argv);
    bench::quietOffscreenWarnings();
    QTemporaryDir dir;
    CProfile profile(dir.filePath(QStringLiteral("ollo.INI")));
    profile.WriteText(QStringLiteral("Parameter"), QStringLiteral("Hintergrundbild"), QString());
    const CommandTable commands;
    CMainFrame frame(profile, commands);
    frame.resize(kWindowSize);
    frame.show();
    QApplication::processEvents();
    profile.WriteText(QStringLiteral("Parameter"), QStringLiteral("Hintergrundbild"), picture);
    const double first = repaintMs(frame.backdrop());
    const double again = medianRepaintMs(frame.backdrop(), 9);
    const QImage shot = frame.backdrop()->grab().toImage();
    const QPoint centre(shot.width() / 2, shot.height() / 2);
    const bool shown = shot.pixel(centre) != qRgb(128, 128, 128);
    std::printf("peak %.1f first %.2f again %.2f shown %d\n", bench::statusMb("VmHWM"), first, again, shown);
    return 0;
}

struct ChildFigures {
    double peakMb = -1;
    double firstMs = -1;
    double againMs = -1;
    bool shown = false;
};

ChildFigures paintInOwnProcess(const QString& picture) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--paint"), picture});
    ChildFigures figures;
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return figures;
    int shown = 0;
    std::sscanf(child.readAllStandardOutput().constData(), "peak %lf first %lf again %lf shown %d",
                &figures.peakMb, &figures.firstMs, &figures.againMs, &shown);
    figures.shown = shown != 0;
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--paint") == 0)
        return paintInChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    QApplication application(argc, argv);
    bench::quietOffscreenWarnings();
    QTemporaryDir dir;
    const QImage sample = bench::samplePicture();
    std::vector<std::pair<QString, QString>> pictures; // row name, file
    pictures.emplace_back(QStringLiteral("BMP 24 bits, 1024 x 768"), dir.filePath(QStringLiteral("p24.bmp")));
    pictures.emplace_back(QStringLiteral("BMP 8 bits, 1024 x 768"), dir.filePath(QStringLiteral("p8.bmp")));
    sample.convertToFormat(QImage::Format_RGB32).save(pictures[0].second, "BMP");
    sample.save(pictures[1].second, "BMP");
    const QString gif = dir.filePath(QStringLiteral("p.gif"));
    if (bench::writeGif(pictures[1].second, gif))
        pictures.emplace_back(QStringLiteral("GIF, 1024 x 768"), gif);
    const QString shipped = QDir(QStringLiteral(OLLO_SOURCE_DATA_DIR)).filePath(QStringLiteral("maus.bmp"));
    if (const PictureHandle picture = ReadBmpOrGif(shipped))
        pictures.emplace_back(
            QStringLiteral("maus.bmp, %1 x %2").arg(GetDIBWidth(picture)).arg(GetDIBHeight(picture)),
            shipped);
    for (const auto& [name, file] : pictures)
        if (GetDIBWidth(ReadBmpOrGif(file)) == 0)
            qFatal("%s is not readable", qPrintable(file));

    CProfile profile(dir.filePath(QStringLiteral("ollo.INI")));
    profile.WriteInt(QStringLiteral("Parameter"), QStringLiteral("Sound"), 0);
    profile.WriteText(QStringLiteral("Parameter"), QStringLiteral("Hintergrundbild"), QString());
    profile.WriteInt(QStringLiteral("Bilder"), QStringLiteral("Anzahl"), 1);
    const CommandTable commands;
    CMainFrame frame(profile, commands);
    frame.resize(kWindowSize);
    frame.show();
    CPictureRewardDlg reward(profile, &frame);
    reward.show();
    QApplication::processEvents();
    const QSize backdrop = frame.backdrop()->size();

    std::printf("Paints with a picture: the first decodes it, a repaint (median of %d) decodes nothing;\n"
                "the reward's first paint finds the picture the backdrop decoded\n",
                runs);
    std::printf("(backdrop: %d x %d client area of a %d x %d window; picture reward: %d x %d)\n",
                backdrop.width(), backdrop.height(), kWindowSize.width(), kWindowSize.height(),
                reward.width(), reward.height());
    std::printf("%-26s %22s %22s\n", "", "backdrop", "picture reward");
    std::printf("%-26s %10s %11s %10s %11s\n", "picture", "first", "repaint", "first", "repaint");
    for (const auto& [name, file] : pictures) {
        profile.WriteText(QStringLiteral("Parameter"), QStringLiteral("Hintergrundbild"), file);
        profile.WriteText(QStringLiteral("Bilder"), QStringLiteral("Bild0"), file);
        const double backdropFirst = repaintMs(frame.backdrop());
        const double rewardFirst = repaintMs(&reward);
        if (!showsPicture(frame.backdrop(), file) || !showsPicture(&reward, file))
            qFatal("the paints do not show %s", qPrintable(file));
        const double backdropMs = medianRepaintMs(frame.backdrop(), runs);
        const double rewardMs = medianRepaintMs(&reward, runs);
        std::printf("%-26s %7.2f ms %8.2f ms %7.2f ms %8.2f ms%s\n", qPrintable(name), backdropFirst,
                    backdropMs, rewardFirst, rewardMs, verdict(std::max(backdropMs, rewardMs) < kTargetMs));
    }
    std::printf("(target: repaints < %.0f ms each)\n\n", kTargetMs);

    const QString huge = dir.filePath(QStringLiteral("foto.bmp"));
    const QString bomb = dir.filePath(QStringLiteral("bombe.bmp"));
    QFile bombFile(bomb);
    if (!writeHugePicture(huge) || !bombFile.open(QIODevice::WriteOnly) || bombFile.write(bombPicture()) <= 0)
        qFatal("cannot write the large pictures");
    bombFile.close();
    std::printf("Large pictures as the backdrop, each painted by a program of its own\n");
    std::printf("%-42s %9s %11s %10s\n", "", "first", "repaint", "peak");
    const std::pair<const char*, QString> large[] = {
        {"8192 x 8192 BMP, 24 bits (192 MB)", huge},
        {"run-length BMP of 1 KB, claims 8192 x 8192", bomb},
    };
    for (const auto& [name, file] : large) {
        const ChildFigures figures = paintInOwnProcess(file);
        if (!figures.shown)
            qFatal("the paint does not show %s", qPrintable(file));
        std::printf("%-42s %6.1f ms %8.2f ms %7.1f MB%s\n", name, figures.firstMs, figures.againMs,
                    figures.peakMb, verdict(figures.againMs < kTargetMs && figures.peakMb < kTargetPeakMb));
    }
    std::printf("(target: repaints < %.0f ms, peak memory of the whole program < %.0f MB)\n", kTargetMs,
                kTargetPeakMb);
    return 0;
}
