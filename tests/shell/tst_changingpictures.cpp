// The main window's backdrop while another program rewrites, cuts short and
// replaces its picture file (a parent copying a new picture over it, a
// package update): no paint may crash, and once the writing stops the last
// picture shows at the next paint. Runs 20 s; OLLO_REWRITE_SECONDS shortens
// it for a run by hand.

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "base/profile.h"
#include "shell/backdrop.h"
#include "shell/commandtable.h"
#include "shell/mainframe.h"

namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Pictures larger and smaller than the window, in the formats a family has.
std::vector<QByteArray> versions() {
    std::vector<QByteArray> files;
    for (const QSize size : {QSize(2400, 1600), QSize(300, 200)}) {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(x & 255, y & 255, (x + y) & 255));
        files.push_back(encoded(image, "BMP"));
        files.push_back(encoded(image.convertToFormat(QImage::Format_Indexed8), "BMP"));
    }
    return files;
}

// Writes the file in place in pieces, so that paints meet it cut short.
void rewrite(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    constexpr qsizetype kPiece = 64 * 1024;
    for (qsizetype at = 0; at < bytes.size(); at += kPiece) {
        file.write(bytes.constData() + at, std::min(kPiece, bytes.size() - at));
        file.flush();
    }
}

} // namespace

class TestChangingPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void backdropSurvivesRewrites() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("maus.bmp"));
        const std::vector<QByteArray> files = versions();
        rewrite(path, files.front());
        CProfile profile(dir.filePath(QStringLiteral("ollo.INI")));
        profile.WriteText(QStringLiteral("Parameter"), QStringLiteral("Hintergrundbild"), path);
        const CommandTable commands;
        CMainFrame frame(profile, commands);
        frame.resize(1000, 700);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        // The writer: in place, truncated first; every fourth time cut
        // short and left so until the next.
        std::atomic<bool> stop = false;
        std::atomic<int> rewrites = 0;
        std::thread writer([&] {
            for (int i = 0; !stop; ++i) {
                const QByteArray& bytes = files[size_t(i) % files.size()];
                rewrite(path, i % 4 == 3 ? bytes.left(bytes.size() * 2 / 3) : bytes);
                ++rewrites;
            }
        });
        const int seconds = qEnvironmentVariableIsSet("OLLO_REWRITE_SECONDS")
                                ? qEnvironmentVariableIntValue("OLLO_REWRITE_SECONDS")
                                : 20;
        QElapsedTimer clock;
        clock.start();
        int paints = 0;
        while (clock.elapsed() < seconds * 1000) {
            frame.backdrop()->repaint();
            ++paints;
        }
        stop = true;
        writer.join();
        qInfo("%d paints during %d rewrites", paints, rewrites.load());
        QVERIFY(paints > 100 && rewrites > 100);

        QImage last(80, 60, QImage::Format_RGB32);
        last.fill(qRgb(255, 0, 0));
        rewrite(path, encoded(last, "BMP"));
        const QImage shot = frame.backdrop()->grab().toImage();
        QCOMPARE(shot.pixel(shot.width() / 2, shot.height() / 2), qRgb(255, 0, 0));
    }
};

QTEST_MAIN(TestChangingPictures)
#include "tst_changingpictures.moc"
