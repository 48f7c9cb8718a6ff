#include "drill/seriescatalogue.h"

#include <algorithm>
#include <array>

namespace {

using Record::Operation;

constexpr std::array<SeriesInfo, 36> kCatalogue = {{
    {32771, "&Kleines 1X1", "1-er Reihe", Operation::Multiplication, 1},
    {32772, "&Kleines 1X1", "2-er Reihe", Operation::Multiplication, 2},
    {32773, "&Kleines 1X1", "3-er Reihe", Operation::Multiplication, 3},
    {32774, "&Kleines 1X1", "4-er Reihe", Operation::Multiplication, 4},
    {32775, "&Kleines 1X1", "5-er Reihe", Operation::Multiplication, 5},
    {32776, "&Kleines 1X1", "6-er Reihe", Operation::Multiplication, 6},
    {32777, "&Kleines 1X1", "7-er Reihe", Operation::Multiplication, 7},
    {32778, "&Kleines 1X1", "8-er Reihe", Operation::Multiplication, 8},
    {32779, "&Kleines 1X1", "9-er Reihe", Operation::Multiplication, 9},
    {32780, "&Kleines 1X1", "10-er Reihe", Operation::Multiplication, 10},
    {32781, "&Großes 1X1", "11-er Reihe", Operation::Multiplication, 11},
    {32782, "&Großes 1X1", "12-er Reihe", Operation::Multiplication, 12},
    {32783, "&Großes 1X1", "13-er Reihe", Operation::Multiplication, 13},
    {32784, "&Großes 1X1", "14-er Reihe", Operation::Multiplication, 14},
    {32785, "&Großes 1X1", "15-er Reihe", Operation::Multiplication, 15},
    {32786, "&Großes 1X1", "16-er Reihe", Operation::Multiplication, 16},
    {32787, "&Großes 1X1", "17-er Reihe", Operation::Multiplication, 17},
    {32788, "&Großes 1X1", "18-er Reihe", Operation::Multiplication, 18},
    {32789, "&Großes 1X1", "19-er Reihe", Operation::Multiplication, 19},
    {32790, "&Großes 1X1", "20-er Reihe", Operation::Multiplication, 20},
    {32791, "&Großes 1X1", "Beliebige Reihe", Operation::Multiplication, 0},
    {32794, "Division", "1-er Reihe", Operation::Division, 1},
    {32795, "Division", "2-er Reihe", Operation::Division, 2},
    {32796, "Division", "3-er Reihe", Operation::Division, 3},
    {32797, "Division", "4-er Reihe", Operation::Division, 4},
    {32798, "Division", "5-er Reihe", Operation::Division, 5},
    {32799, "Division", "6-er Reihe", Operation::Division, 6},
    {32800, "Division", "7-er Reihe", Operation::Division, 7},
    {32801, "Division", "8-er Reihe", Operation::Division, 8},
    {32802, "Division", "9-er Reihe", Operation::Division, 9},
    {32803, "Division", "10-er Reihe", Operation::Division, 10},
    {32804, "Division", "Beliebige Reihe", Operation::Division, 0},
    {32792, "&Sonderreihen", "100-er Reihe", Operation::Multiplication, 100},
    {32793, "&Sonderreihen", "1000-er Reihe", Operation::Multiplication, 1000},
    {32807, "&Sonderreihen", "100-er Reihe", Operation::Division, 100},
    {32810, "&Sonderreihen", "1000-er Reihe", Operation::Division, 1000},
}};

} // namespace

std::span<const SeriesInfo> SeriesCatalogue() {
    return kCatalogue;
}

const SeriesInfo* FindSeries(int commandId) {
    const auto it = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                                 [commandId](const SeriesInfo& s) { return s.commandId == commandId; });
    return it == kCatalogue.end() ? nullptr : &*it;
}
