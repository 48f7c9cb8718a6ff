#pragma once

#include <QByteArrayView>

class QString;

// Integers read from text the way the settings file and the limit prompt need:
// leading blanks skipped, an optional sign, then decimal digits up to the first
// other character; no digits give 0. Values past the 32-bit range wrap
// (modulo 2^32) instead of overflowing.
enum class SignRule {
    MinusOnly,  // settings file: "-5" reads -5, "+5" reads 0
    PlusOrMinus // limit prompt: both signs are taken
};

int LeadingInt(QByteArrayView text, SignRule rule);
int LeadingInt(const QString& text, SignRule rule);
