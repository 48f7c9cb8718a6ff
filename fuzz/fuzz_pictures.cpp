// Random bytes as a picture file: sniffing, reading and drawing must never
// crash, hang or take unbounded memory.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdlib>

#include "pictures/picturefile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    static QImage canvas(64, 48, QImage::Format_RGB32);
    const QString path = dir.filePath("picture");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const PictureHandle picture = ReadBmpOrGif(path);
    if (picture) {
        if (qint64(GetDIBWidth(picture)) * GetDIBHeight(picture) > kMaxPicturePixels)
            std::abort();
        QPainter painter(&canvas);
        DrawDIB(painter, picture, -3, -5);
        StretchDIB(painter, picture, 0, 0, 40, 30);
    }
    return 0;
}
