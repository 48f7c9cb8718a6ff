#include "shell/clocktext.h"

#include <clocale>
#include <ctime>
#include <locale.h>

namespace ClockText {

namespace {

// Qt sets the user's locale for the whole process at start; strftime_l with
// a locale of our own keeps the program's formats.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

QString format(std::int64_t seconds, const char* conversion) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr || cLocale() == static_cast<locale_t>(nullptr))
        return {};
    char text[128];
    const std::size_t length = strftime_l(text, sizeof text, conversion, &local, cLocale());
    return QString::fromLatin1(text, static_cast<qsizetype>(length));
}

} // namespace

QString Date(std::int64_t seconds) {
    return format(seconds, "%x");
}

QString Time(std::int64_t seconds) {
    return format(seconds, "%X");
}

} // namespace ClockText
