#pragma once

#include <QString>

// A whole number as German words, the way it is read aloud: 36 →
// "sechsunddreißig", 101 → "einhunderteins", 21000 → "einundzwanzigtausend",
// 2000000 → "zwei Millionen". Below a million a number is one word; millions
// and milliards stand apart. Negative numbers begin with "minus". From a
// billion on, the digits are given back unchanged.
QString GermanNumberWords(qint64 number);
