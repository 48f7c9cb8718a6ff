#include "base/textnumber.h"

#include <QString>

#include <cstdint>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

int LeadingInt(QByteArrayView text, SignRule rule) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || (text[i] == '+' && rule == SignRule::PlusOrMinus))) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

int LeadingInt(const QString& text, SignRule rule) {
    return LeadingInt(QByteArrayView(text.toLatin1()), rule);
}
