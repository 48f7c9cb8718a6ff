#include "drill/numberwords.h"

#include <QStringList>

#include <array>

namespace {

constexpr std::array<const char*, 20> kSmall = {"null",     "eins",     "zwei",     "drei",     "vier",
                                                "fünf",     "sechs",    "sieben",   "acht",     "neun",
                                                "zehn",     "elf",      "zwölf",    "dreizehn", "vierzehn",
                                                "fünfzehn", "sechzehn", "siebzehn", "achtzehn", "neunzehn"};
constexpr std::array<const char*, 10> kTens = {"",        "",        "zwanzig", "dreißig", "vierzig",
                                               "fünfzig", "sechzig", "siebzig", "achtzig", "neunzig"};

QString word(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// 1..999. Inside a longer word a final one is "ein" (einhundertein-tausend).
QString belowThousand(int n, bool insideWord) {
    QString words;
    if (n >= 100) {
        words = word(n / 100 == 1 ? "ein" : kSmall[n / 100]) + QStringLiteral("hundert");
        n %= 100;
    }
    if (n == 1 && insideWord)
        return words + QStringLiteral("ein");
    if (n > 0 && n < 20)
        return words + word(kSmall[n]);
    if (n >= 20) {
        if (n % 10 != 0)
            words += word(n % 10 == 1 ? "ein" : kSmall[n % 10]) + QStringLiteral("und");
        words += word(kTens[n / 10]);
    }
    return words;
}

// 1..999999, one word.
QString belowMillion(int n) {
    QString words;
    if (n >= 1000)
        words = belowThousand(n / 1000, true) + QStringLiteral("tausend");
    if (n % 1000 > 0)
        words += belowThousand(n % 1000, false);
    return words;
}

// 1..999 millions or milliards, a word of its own that agrees with the
// feminine noun: "eine Million", "einhunderteine Millionen", "zwei Millionen".
QString countOf(int count, const char* one, const char* many) {
    if (count == 1)
        return QStringLiteral("eine ") + word(one);
    const QString number = count % 100 == 1 ? belowThousand(count - 1, false) + QStringLiteral("eine")
                                            : belowThousand(count, false);
    return number + u' ' + word(many);
}

} // namespace

QString GermanNumberWords(qint64 number) {
    constexpr qint64 kMilliard = 1'000'000'000;
    constexpr qint64 kMillion = 1'000'000;
    if (number <= -1000 * kMilliard || number >= 1000 * kMilliard)
        return QString::number(number);
    if (number == 0)
        return word(kSmall[0]);
    if (number < 0)
        return QStringLiteral("minus ") + GermanNumberWords(-number);
    QStringList parts;
    if (number >= kMilliard)
        parts << countOf(int(number / kMilliard), "Milliarde", "Milliarden");
    if (number % kMilliard >= kMillion)
        parts << countOf(int(number % kMilliard / kMillion), "Million", "Millionen");
    if (number % kMillion > 0)
        parts << belowMillion(int(number % kMillion));
    return parts.join(u' ');
}
