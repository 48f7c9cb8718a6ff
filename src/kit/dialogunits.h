#pragma once

// Dialog layouts are drawn in dialog units of an 8-point dialog font whose
// base units are 6 × 13 pixels: x·6/4 and y·13/8 pixels, rounded to nearest.
namespace Dlu {

constexpr int x(int units) {
    return (units * 6 + 2) / 4;
}
constexpr int y(int units) {
    return (units * 13 + 4) / 8;
}

} // namespace Dlu
