#pragma once

// Joke files: "witz<n>.txt" in the working directory, one joke per file,
// 8-bit Windows-1252 text with CR LF line ends, or UTF-8 where an editor
// saved it so (valid UTF-8 with other than ASCII characters, or a byte order
// mark). Each line is drawn as it stands; lines longer than 56 characters are
// continued in pieces of 58 characters.

#include <QString>
#include <QStringList>

#include <limits>
#include <optional>

// "witz<n>.txt", the number in decimal.
QString JokeFileName(int jokeNumber);

// No bound on the pieces read.
inline constexpr int kAllPieces = std::numeric_limits<int>::max();

// Reads the file in pieces of at most 58 characters, each ending after a line
// feed or at the end of the file; a piece's text ends at its first carriage return,
// and a line feed left at its end is dropped too. Every piece is one entry,
// also the empty one of the read that meets the end of the file right after a
// line end. At most maxPieces entries: of a larger file only the start that
// holds them is read. Nothing when the file cannot be opened.
std::optional<QStringList> ReadJokeFile(const QString& fileName, int maxPieces = kAllPieces);

// The joke numbered jokeNumber, from the working directory.
std::optional<QStringList> LoadJoke(int jokeNumber, int maxPieces = kAllPieces);
