// Prints the cost of one settings read and one settings write on a settings
// file of 200 lines, the size a family's file grows to with praise phrases
// and pictures.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

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
    const double read =
        medianMicroseconds(2000, [&](int) { sink += profile.GetInt("BigFont", "FontHeight", 35); });
    const double write = medianMicroseconds(
        500, [&](int i) { profile.WriteText("Lobe", "Lob45", QStringLiteral("Toll! %1").arg(i)); });
    std::printf("settings file: %d lines, %lld bytes\n", lines, static_cast<long long>(file.size()));
    std::printf("GetInt (last section, median of 2000):   %8.1f us  (target < 50 us)\n", read);
    std::printf("WriteText (mid file, median of 500):     %8.1f us  (target < 1000 us)\n", write);
    return sink == 0 ? 1 : 0;
}
