// Random bytes as a picture file: sniffing, reading and drawing must never
// crash, hang or take unbounded memory.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdlib>

#include "pictures/picturefile.h"
#include "pictures/shownpicture.h"

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
    // What a paint decodes: a part, every few pixels; never more than asked.
    const int step = size > 0 ? 1 + data[size - 1] % 5 : 1;
    const PicturePart part = ReadPicturePart(path, PictureTypes::BmpOrGif, [step](QSize whole) {
        return std::pair{QRect(whole.width() / 3, whole.height() / 4, whole.width() / 2 + 1, whole.height()),
                         step};
    });
    if (!part.image.isNull() && (part.image.width() > (part.region.width() + step - 1) / step ||
                                 part.image.height() > (part.region.height() + step - 1) / step))
        std::abort();
    for (const PictureFit fit : {PictureFit::Centred, PictureFit::Stretched}) {
        ShownPicture shown(fit, PictureTypes::BmpOrGif);
        QPainter painter(&canvas);
        shown.draw(painter, path, canvas.rect());
    }
    return 0;
}
