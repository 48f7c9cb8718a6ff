#include "pictures/picturefile.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {

QByteArray head(const QString& fileName, qint64 count) {
    if (!QFileInfo(fileName).isFile())
        return {};
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(count);
}

PictureHandle decode(const QString& fileName, const QByteArray& format) {
    if (!QFileInfo(fileName).isFile())
        return {};
    QImageReader reader(fileName, format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPicturePixels)
        return {};
    QImage image = reader.read();
    if (image.isNull())
        return {};
    return PictureHandle(std::move(image));
}

} // namespace

bool IsBMPFile(const QString& fileName) {
    return head(fileName, 2) == "BM";
}

PictureHandle ReadDIB(const QString& fileName) {
    return IsBMPFile(fileName) ? decode(fileName, "bmp") : PictureHandle();
}

bool ConvertIsGIFFile(const QString& fileName) {
    const QByteArray magic = head(fileName, 6);
    return magic == "GIF87a" || magic == "GIF89a";
}

PictureHandle ConvertGIFtoDIB(const QString& fileName) {
    return ConvertIsGIFFile(fileName) ? decode(fileName, "gif") : PictureHandle();
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
    if (picture)
        painter.drawImage(QRect(x, y, width, height), picture.image());
}

PictureHandle ReadBmpOrGif(const QString& fileName) {
    if (IsBMPFile(fileName))
        return ReadDIB(fileName);
    if (ConvertIsGIFFile(fileName))
        return ConvertGIFtoDIB(fileName);
    return {};
}
