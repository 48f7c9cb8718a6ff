// Random bytes as a joke file: reading it whole or only its start must never
// crash or hang, and every entry keeps to the reader's rules (at most 58
// characters, no CR, no LF at its end).

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
    // Whole, and as the joke card reads it: no more entries than it asks for.
    const int bound = size > 0 ? data[0] % 4 + 1 : 1;
    for (const int maxPieces : {kAllPieces, bound}) {
        const std::optional<QStringList> lines = ReadJokeFile(path, maxPieces);
        if (!lines || lines->isEmpty() || lines->size() > maxPieces)
            std::abort();
        for (const QString& line : *lines)
            if (line.size() > 58 || line.contains(u'\r') || line.endsWith(u'\n'))
                std::abort();
    }
    return 0;
}
