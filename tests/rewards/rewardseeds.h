#pragma once

#include <cstdint>

#include "base/randomsource.h"

// A clock reading (in seconds) whose reseed makes the first DrawZeroTo(bound)
// give wanted, so a test can set the clock to reach a given draw.
inline std::int64_t SecondsForDraw(int bound, int wanted) {
    for (std::uint32_t seconds = 1;; ++seconds) {
        RandomSeed(seconds);
        if (DrawZeroTo(bound) == wanted)
            return seconds;
    }
}
