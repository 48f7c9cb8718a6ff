#pragma once

#include <array>

// Help context numbers. A command's topic is CommandBase + command id, a
// dialog's or page's topic DialogBase + template id. The help file maps
// each number to a topic through the keyword id "ctx.<number>".

namespace Help {

inline constexpr int CommandBase = 0x10000; // 65536
inline constexpr int DialogBase = 0x20000;  // 131072

constexpr int forCommand(int commandId) {
    return CommandBase + commandId;
}
constexpr int forTemplate(int templateId) {
    return DialogBase + templateId;
}

// Template ids whose dialogs or pages have a help topic.
inline constexpr int PraiseEditorTemplate = 104;
inline constexpr int PictureRewardTemplate = 106;
inline constexpr int RewardTypePageTemplate = 108;
inline constexpr int JokeRewardTemplate = 110;
inline constexpr int WrongAnswerTemplate = 111;
inline constexpr int MainWindowResource = 128;
inline constexpr int BackgroundPageTemplate = 161;
inline constexpr int CountsPageTemplate = 162;

// Every context number the program can ask for.
inline constexpr std::array<int, 65> AllContexts = {
    // the 36 series (menu items and the drill's help button), in id order
    98307,
    98308,
    98309,
    98310,
    98311,
    98312,
    98313,
    98314,
    98315,
    98316, // 1..10
    98317,
    98318,
    98319,
    98320,
    98321,
    98322,
    98323,
    98324,
    98325,
    98326, // 11..20
    98327, // any, multiplication
    98328,
    98329, // 100, 1000
    98330,
    98331,
    98332,
    98333,
    98334,
    98335,
    98336,
    98337,
    98338,
    98339, // division 1..10
    98340, // any, division
    98343,
    98346, // division 100, 1000
    98341,
    98342, // the two greyed headings of "&Sonderreihen"
    98407, // "Schwierige Aufgaben"
    // "Optionen": status bar, settings, praise, sound, big and small font
    124929,
    98347,
    98348,
    98396,
    98344,
    98345,
    98406, // "&Lernfortschritt..."
    98408, // "Kind &wechseln..."
    98409, // the teacher's "Klassenübersicht"
    // "&Hilfe", "&Beenden", context help and the finder
    123203,
    98355,
    98357,
    98359,
    98362,
    123200,
    123201,
    123205,
    123207,
    // dialogs, pages and the main window
    131176,
    131178,
    131180,
    131182,
    131183,
    131200,
    131233,
    131234,
};

} // namespace Help
