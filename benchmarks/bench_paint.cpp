// Prints how long the paints take that read, decode and draw a picture every
// time (target: under 8 ms each): the main window's backdrop in a 1920 x 1080
// window, and the picture reward's dialog. The pictures are 1024 x 768: a
// 24-bit and an 8-bit BMP written by Qt, and a GIF written by ImageMagick
// (the GIF row is left out without it), plus the shipped backdrop. Each
// figure is the median of a synchronous repaint() of the whole widget.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_paint [runs]

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
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
constexpr QSize kWindowSize(1920, 1080);

double medianRepaintMs(QWidget* widget, int runs) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const qint64 startNs = bench::nowNs();
        widget->repaint();
        times.push_back(bench::msBetween(startNs, bench::nowNs()));
    }
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

const char* verdict(double ms) {
    return ms < kTargetMs ? "" : "  ABOVE TARGET";
}

} // namespace

int main(int argc, char** argv) {
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
    profile.WriteInt(QStringLiteral("Bilder"), QStringLiteral("Anzahl"), 1);
    const CommandTable commands;
    CMainFrame frame(profile, commands);
    frame.resize(kWindowSize);
    frame.show();
    CPictureRewardDlg reward(profile, &frame);
    reward.show();
    QApplication::processEvents();
    const QSize backdrop = frame.backdrop()->size();

    std::printf("Paints that decode their picture every time, median of %d repaints\n", runs);
    std::printf("(backdrop: %d x %d client area of a %d x %d window; picture reward: %d x %d)\n",
                backdrop.width(), backdrop.height(), kWindowSize.width(), kWindowSize.height(),
                reward.width(), reward.height());
    std::printf("%-26s %14s %16s\n", "picture", "backdrop", "picture reward");
    for (const auto& [name, file] : pictures) {
        profile.WriteText(QStringLiteral("Parameter"), QStringLiteral("Hintergrundbild"), file);
        profile.WriteText(QStringLiteral("Bilder"), QStringLiteral("Bild0"), file);
        if (!showsPicture(frame.backdrop(), file) || !showsPicture(&reward, file))
            qFatal("the paints do not show %s", qPrintable(file));
        const double backdropMs = medianRepaintMs(frame.backdrop(), runs);
        const double rewardMs = medianRepaintMs(&reward, runs);
        std::printf("%-26s %11.2f ms %13.2f ms%s\n", qPrintable(name), backdropMs, rewardMs,
                    verdict(std::max(backdropMs, rewardMs)));
    }
    std::printf("(target < %.0f ms each)\n", kTargetMs);
    return 0;
}
