#pragma once

// The drill's logic, free of any window:
//  - the series catalogue maps a menu command to its operation and number;
//  - the random source (randomsource.h) is shared by everything that draws;
//  - CTaskGenerator makes one task's text and answer, CDrillState runs a drill
//    from its first task to the completion flag that earns a reward.

#include <cstdint>
#include <span>

#include "kit/recordtypes.h"

struct SeriesInfo {
    std::uint16_t commandId = 0;
    const char* menu = "";     // top-level menu holding the item (UTF-8)
    const char* menuText = ""; // the item's text, also the drill dialog's caption (UTF-8)
    Record::Operation operation = Record::Operation::Multiplication;
    int number = 0; // factor or divisor; 0 = asked from the child when the drill opens

    bool isAsked() const { return number == 0; }
};

// The 36 series commands, in the order of their menus.
std::span<const SeriesInfo> SeriesCatalogue();

// The entry for a command id, or nullptr when the id starts no drill.
const SeriesInfo* FindSeries(int commandId);
