#include "base/cp1252.h"

#include <array>

namespace {

// 0x80..0x9F; the five unassigned bytes keep their C1 code points, as the
// platform's own conversion does, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int encode(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < static_cast<int>(kHigh.size()); ++i)
        if (kHigh[static_cast<std::size_t>(i)] == u)
            return 0x80 + i;
    return -1;
}

} // namespace

QString FromCp1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *d++ = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80u] : char16_t(b));
    }
    return out;
}

QByteArray ToCp1252(const QString& text, bool* lossless) {
    QByteArray out;
    out.reserve(text.size());
    bool ok = true;
    for (const QChar c : text) {
        const int b = encode(c.unicode());
        ok = ok && b >= 0;
        out.append(static_cast<char>(b >= 0 ? b : '?'));
    }
    if (lossless)
        *lossless = ok;
    return out;
}

bool CanEncodeCp1252(QChar c) {
    return encode(c.unicode()) >= 0;
}

bool CanEncodeCp1252(const QString& text) {
    for (const QChar c : text)
        if (!CanEncodeCp1252(c))
            return false;
    return true;
}
