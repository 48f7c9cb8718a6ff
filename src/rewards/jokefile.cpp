#include "rewards/jokefile.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <type_traits>

#include "base/cp1252.h"

namespace {

// One read takes at most this many characters: 56 and CR LF.
constexpr int kPieceLength = 58;

// The pieces of a text of bytes (Windows-1252) or of characters (UTF-8):
// each ends after a line feed, after 58 units or at the end of the text.
template <typename Text, typename Decode> QStringList piecesOf(Text text, Decode decode, int maxPieces) {
    using Unit = std::remove_cvref_t<decltype(text[0])>;
    QStringList lines;
    qsizetype pos = 0;
    bool atEnd = false;
    while (!atEnd && lines.size() < maxPieces) {
        qsizetype end = pos;
        while (end - pos < kPieceLength) {
            if (end >= text.size()) {
                atEnd = true;
                break;
            }
            if (text[end++] == Unit(u'\n'))
                break;
        }
        if constexpr (std::is_same_v<Unit, QChar>) {
            // A character beyond the 16-bit plane stays whole.
            if (end < text.size() && text[end - 1].isHighSurrogate() && text[end].isLowSurrogate())
                ++end;
        }
        Text piece = text.sliced(pos, end - pos);
        pos = end;
        // The text ends where a C string would, at the first CR or NUL,
        // which drops a CR LF pair; a line feed without its CR goes as well.
        for (const Unit stop : {Unit(u'\r'), Unit(u'\0')})
            if (const qsizetype at = piece.indexOf(stop); at >= 0)
                piece = piece.first(at);
        if (piece.endsWith(Unit(u'\n')))
            piece.chop(1);
        lines.append(decode(piece));
    }
    return lines;
}

// What a read that stopped short of the end holds up to its last whole
// UTF-8 character: the stop may have cut one.
QByteArrayView wholeCharacters(QByteArrayView text) {
    qsizetype start = text.size();
    while (start > 0 && text.size() - start < 3 && (uchar(text[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start > 0 && uchar(text[start - 1]) >= 0xC0)
        return text.first(start - 1);
    return text;
}

} // namespace

QString JokeFileName(int jokeNumber) {
    return QStringLiteral("witz%1.txt").arg(jokeNumber);
}

std::optional<QStringList> ReadJokeFile(const QString& fileName, int maxPieces) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Enough for that many pieces of four-byte characters, with a byte order
    // mark before them and a character cut at the end.
    const qint64 enough =
        maxPieces < kAllPieces / (kPieceLength * 4) ? 3 + qint64(maxPieces) * kPieceLength * 4 + 4 : -1;
    // What can be read counts, up to a read error.
    const QByteArray bytes = enough < 0 ? file.readAll() : file.read(enough);
    const bool cut = enough >= 0 && bytes.size() == enough;

    const bool byteOrderMark = bytes.startsWith("\xEF\xBB\xBF");
    QByteArrayView text = QByteArrayView(bytes).sliced(byteOrderMark ? 3 : 0);
    if (cut)
        text = wholeCharacters(text);
    const bool utf8 = text.isValidUtf8() && (byteOrderMark || std::any_of(text.begin(), text.end(),
                                                                          [](char c) { return c & 0x80; }));
    if (utf8) {
        const QString characters = QString::fromUtf8(text);
        return piecesOf(
            QStringView(characters), [](QStringView piece) { return piece.toString(); }, maxPieces);
    }
    return piecesOf(
        QByteArrayView(bytes), [](QByteArrayView piece) { return FromCp1252(piece); }, maxPieces);
}

std::optional<QStringList> LoadJoke(int jokeNumber, int maxPieces) {
    return ReadJokeFile(JokeFileName(jokeNumber), maxPieces);
}
