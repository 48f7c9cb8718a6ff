#pragma once

#include <cstdint>
#include <functional>

// The program's one way to ask for the time: seconds since 1970-01-01 00:00 UTC.
// Tests replace the source to fix seeds and clocks.
namespace Clock {

std::int64_t NowSeconds();

// An empty function restores the real clock.
void SetSource(std::function<std::int64_t()> source);

} // namespace Clock
