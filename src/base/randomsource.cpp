#include "base/randomsource.h"

#include "base/clock.h"

namespace {

std::uint32_t g_state = 1;

} // namespace

void RandomSeed(std::uint32_t seconds) {
    g_state = seconds;
}

int RandomNext() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

int DrawOneTo(int n) {
    const auto limit = static_cast<std::uint32_t>(n);
    for (;;) {
        const int v = RandomNext();
        if (v != 0 && static_cast<std::uint32_t>(v) <= limit)
            return v;
    }
}

int DrawZeroTo(int n) {
    const auto limit = static_cast<std::uint32_t>(n);
    for (;;) {
        const int v = RandomNext();
        if (static_cast<std::uint32_t>(v) <= limit)
            return v;
    }
}

void RandomSeedFromClock() {
    RandomSeed(static_cast<std::uint32_t>(Clock::NowSeconds()));
}
