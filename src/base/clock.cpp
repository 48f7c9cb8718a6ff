#include "base/clock.h"

#include <ctime>
#include <utility>

namespace {

std::function<std::int64_t()>& source() {
    static std::function<std::int64_t()> s;
    return s;
}

} // namespace

namespace Clock {

std::int64_t NowSeconds() {
    if (const auto& s = source())
        return s();
    return static_cast<std::int64_t>(std::time(nullptr));
}

void SetSource(std::function<std::int64_t()> s) {
    source() = std::move(s);
}

} // namespace Clock
