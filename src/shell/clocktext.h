#pragma once

// The status bar's date and time: the moment formatted with strftime's "%x"
// and "%X" in the C locale, whatever locale the user runs ("12/07/26",
// "09:05:03" for 7 December 2026, five past nine and three seconds).

#include <QString>

#include <cstdint>

namespace ClockText {

// Local time of the seconds since 1970-01-01 00:00 UTC; empty if it cannot
// be formatted.
QString Date(std::int64_t seconds);
QString Time(std::int64_t seconds);

} // namespace ClockText
