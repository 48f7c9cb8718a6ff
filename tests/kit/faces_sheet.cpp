// Renders every button face (up and pressed) and every embedded picture into
// one dialog and saves it as faces-100.png and faces-200.png (the same dialog
// on a 200 % screen) in the folder given, for looking at the artwork whole.
//   QT_QPA_PLATFORM=offscreen tests/faces_sheet /tmp/sheet

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPainter>

#include <cstdio>

#include "kit/bitmapbutton.h"
#include "pictures/picturefile.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: faces_sheet <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;

    QDialog sheet;
    sheet.setWindowTitle(QStringLiteral("Ollo"));
    const char* stems[] = {"OK", "NEXT", "CANCEL", "HELPBUTTON", "OK2", "CANCEL2", "LOESEN", "NOCHMALS"};
    int y = 10;
    for (const char* stem : stems) {
        auto* name = new QLabel(QString::fromLatin1(stem), &sheet);
        name->setGeometry(10, y + 12, 90, 20);
        for (const bool down : {false, true}) {
            auto* button = new CBitmapButton(&sheet);
            button->setText(QString::fromLatin1(stem));
            button->move(down ? 210 : 105, y);
            button->AttachByCaption();
            button->setDown(down);
        }
        y += 52;
    }
    int x = 320;
    int rowY = 10;
    int rowHeight = 0;
    for (const char* number : {"134", "136", "137", "149", "150", "148", "162"}) {
        const PictureHandle picture = ReadDIB(QStringLiteral(":/bitmaps/%1.bmp").arg(QLatin1String(number)));
        if (x + GetDIBWidth(picture) > 720) {
            x = 320;
            rowY += rowHeight + 24;
            rowHeight = 0;
        }
        auto* label = new QLabel(&sheet);
        label->setPixmap(QPixmap::fromImage(picture.image()));
        label->setGeometry(x, rowY, GetDIBWidth(picture), GetDIBHeight(picture));
        auto* caption = new QLabel(QString::fromLatin1(number), &sheet);
        caption->setGeometry(x, rowY + GetDIBHeight(picture) + 2, 60, 18);
        x += GetDIBWidth(picture) + 12;
        rowHeight = std::max(rowHeight, GetDIBHeight(picture));
    }
    sheet.resize(740, std::max(y, rowY + rowHeight + 30));

    for (const int scale : {1, 2}) {
        QImage image(sheet.size() * scale, QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        sheet.render(&image);
        const QString file = out.filePath(QStringLiteral("faces-%1.png").arg(scale * 100));
        if (!image.save(file))
            return 1;
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
