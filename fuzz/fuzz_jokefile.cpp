// Random bytes as a joke file: reading must never crash or hang, and every
// entry keeps to the reader's rules (at most 58 characters, no CR, no LF at
// its end).

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

#include "rewards/jokefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("witz1.txt");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const std::optional<QStringList> lines = ReadJokeFile(path);
    if (!lines || lines->isEmpty())
        std::abort();
    for (const QString& line : *lines)
        if (line.size() > 58 || line.contains(u'\r') || line.endsWith(u'\n'))
            std::abort();
    return 0;
}
