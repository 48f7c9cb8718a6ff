#pragma once

#include <QLatin1StringView>

// The sections and keys of the settings file that more than one place reads
// or writes. The file is the program's outside face: these spellings are
// fixed. Font records have their keys in textstyle.h.

namespace Section {
inline constexpr QLatin1StringView Parameter{"Parameter"};
inline constexpr QLatin1StringView Praise{"Lobe"};
inline constexpr QLatin1StringView Pictures{"Bilder"};
inline constexpr QLatin1StringView BigFont{"BigFont"};
inline constexpr QLatin1StringView SmallFont{"SmallFont"};
} // namespace Section

namespace Key {
// in [Parameter]
inline constexpr QLatin1StringView TaskCount{"Aufgaben"};
inline constexpr QLatin1StringView JokeCount{"Witze"};
inline constexpr QLatin1StringView RewardType{"Belohnungsart"};
inline constexpr QLatin1StringView Sound{"Sound"};
inline constexpr QLatin1StringView ReadAloud{"Vorlesen"}; // the drill speaks its tasks; 0 when missing
inline constexpr QLatin1StringView Backdrop{"Hintergrundbild"};
inline constexpr QLatin1StringView BackdropChanged{"Changed"};
inline constexpr QLatin1StringView Completed{"Lobe"}; // the last drill had no mistake
// in [Lobe] and [Bilder]
inline constexpr QLatin1StringView Count{"Anzahl"};
// in [Bilder]: how many of Bild1.. the background list offers
inline constexpr QLatin1StringView BackdropCount{"AnzahlHinter"};
} // namespace Key
