#include "rewards/jokefile.h"

#include <QByteArray>
#include <QFile>

#include "base/cp1252.h"

namespace {

// One read takes at most this many bytes: 56 characters and CR LF.
constexpr int kPieceBytes = 58;

} // namespace

QString JokeFileName(int jokeNumber) {
    return QStringLiteral("witz%1.txt").arg(jokeNumber);
}

std::optional<QStringList> ReadJokeFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;

    QStringList lines;
    bool atEnd = false;
    while (!atEnd) {
        QByteArray piece;
        while (piece.size() < kPieceBytes) {
            char c = 0;
            if (!file.getChar(&c)) {
                atEnd = true; // end of file or a read error
                break;
            }
            piece.append(c);
            if (c == '\n')
                break;
        }
        // The text ends where a C string would, at the first CR or NUL byte,
        // which drops a CR LF pair; a line feed without its CR goes as well.
        for (const char stop : {'\r', '\0'}) {
            const qsizetype at = piece.indexOf(stop);
            if (at >= 0)
                piece.truncate(at);
        }
        if (piece.endsWith('\n'))
            piece.chop(1);
        lines.append(FromCp1252(piece));
    }
    return lines;
}

std::optional<QStringList> LoadJoke(int jokeNumber) {
    return ReadJokeFile(JokeFileName(jokeNumber));
}
