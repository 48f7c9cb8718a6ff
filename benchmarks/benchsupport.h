#pragma once

// Small pieces the benchmarks share: a monotonic clock that child processes
// can read too, medians, the resident set, and the 1024 x 768 test pictures.

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QMessageLogContext>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace bench {

// CLOCK_MONOTONIC in nanoseconds: one clock for every process of a run.
inline qint64 nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

inline double msBetween(qint64 fromNs, qint64 toNs) {
    return double(toNs - fromNs) / 1e6;
}

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The offscreen platform warns about window hints it cannot follow; those
// lines say nothing about speed.
inline void quietOffscreenWarnings() {
    static QtMessageHandler previous = nullptr;
    previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.contains(QLatin1String("propagateSizeHints")) && previous != nullptr)
                previous(type, context, text);
        });
}

// A field of /proc/self/status in MB ("VmRSS", "VmHWM"), 0 when unknown.
inline double statusMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// What a family's backdrop or reward picture looks like to a decoder:
// gradients, a few shapes and text; 256 colours so that a GIF holds it whole.
inline QImage samplePicture(int width = 1024, int height = 768) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(x * 255 / width, y * 255 / height, 160);
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(250, 210, 40));
    painter.drawEllipse(200, 150, 300, 300);
    painter.setBrush(QColor(30, 120, 40));
    painter.drawRect(600, 400, 300, 250);
    QFont font;
    font.setPixelSize(60);
    painter.setFont(font);
    painter.drawText(QRect(0, 620, width, 120), Qt::AlignCenter, QStringLiteral("3 x 7 = 21"));
    painter.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

// Qt writes no GIF; ImageMagick's convert does, with real LZW compression.
// False (and a message) when it is missing or fails.
inline bool writeGif(const QString& fromBmp, const QString& toGif) {
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty()) {
        std::printf("(no ImageMagick 'convert': the GIF rows are left out)\n");
        return false;
    }
    QProcess process;
    process.start(convert, {fromBmp, toGif});
    if (!process.waitForFinished(60000) || process.exitCode() != 0 || !QFile::exists(toGif)) {
        std::printf("('convert' could not write a GIF: the GIF rows are left out)\n");
        return false;
    }
    return true;
}

} // namespace bench
