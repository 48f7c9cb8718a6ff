// Prints the cost of one settings read and one settings write on a settings
// file of 200 lines, the size a family's file grows to with praise phrases
// and pictures. A file changed within the last tenth of a second is read
// again at every read (a change within the file system's clock step could
// hide); after that it is kept parsed. Every write is synced to the disk, so
// its figure is mostly the disk's.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/profile.h"

namespace {

template <typename F> double medianMicroseconds(int rounds, F&& f) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(rounds));
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        f(i);
        times.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("ollo.INI");
    QByteArray file;
    file += "[Parameter]\r\nSound=1\r\nBelohnungsart=2\r\nAufgaben=10\r\nWitze=16\r\n";
    file += "[Lobe]\r\nAnzahl=90\r\n";
    for (int i = 1; i <= 90; ++i)
        file +=
            "Lob" + QByteArray::number(i) + "=Super gemacht, weiter so! " + QByteArray::number(i) + "\r\n";
    file += "[Bilder]\r\nAnzahl=99\r\n";
    for (int i = 0; i < 99; ++i)
        file += "Bild" + QByteArray::number(i) + "=bild" + QByteArray::number(i) + ".bmp\r\n";
    file += "[BigFont]\r\nFontHeight=36\r\n";
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    out.write(file);
    out.close();

    CProfile profile(path);
    const int lines = int(file.count('\n'));
    int sink = 0;
    const auto read = [&](int) {
        sink += profile.GetInt("BigFont", "FontHeight", 35);
    };
    const double readFresh = medianMicroseconds(2000, read);
    QThread::msleep(300);
    const double readKept = medianMicroseconds(2000, read);
    const double write = medianMicroseconds(
        100, [&](int i) { profile.WriteText("Lobe", "Lob45", QStringLiteral("Toll! %1").arg(i)); });
    std::printf("settings file: %d lines, %lld bytes\n", lines, static_cast<long long>(file.size()));
    std::printf("GetInt, file just written (median of 2000): %8.1f us  (target < 50 us)\n", readFresh);
    std::printf("GetInt, file kept parsed (median of 2000):  %8.1f us  (target < 50 us)\n", readKept);
    std::printf("WriteText, synced (median of 100):          %8.1f us  (target < 50000 us)\n", write);
    return sink == 0 ? 1 : 0;
}
