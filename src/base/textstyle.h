#pragma once

// A text style of the drill: typeface, size, weight, effects and colour, kept
// in one settings section ("BigFont" for the task line and the answer field,
// "SmallFont" for the message line). ReadTextStyle and WriteTextStyle hold the
// order of the keys; the font chooser (fontchooser.h) edits a TextStyle and the
// drill dialog builds its fonts from the same keys.

#include <QString>

#include "base/profile.h"

struct TextStyle {
    int red = 0; // colour components, 0 to 255
    int green = 0;
    int blue = 0;
    int height = 0;   // "FontHeight": stored as the chosen point size
    int width = 0;    // "FontWidth": 0 lets the font choose it from the height
    int weight = 400; // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString name = QStringLiteral("Arial");

    bool operator==(const TextStyle&) const = default;
};

// The two styles and what the font chooser offers for each.
struct TextStyleSection {
    QString section;
    int defaultHeight; // also the smallest size offered
    int largestSize;
};
TextStyleSection BigFontSection();
TextStyleSection SmallFontSection();

// Reads the section's keys in the order Rot, Gruen, Blau, Italic, FontHeight,
// FontWidth, FontWeight, Underline, StrikeOut, Name. Colour components keep
// their low 8 bits; the effects are on when their low byte is non-zero; an
// empty Name reads as "Arial".
TextStyle ReadTextStyle(const CProfile& profile, const QString& section, int defaultHeight);

// Writes Rot, Gruen, Blau, Underline, Italic, StrikeOut, FontHeight, FontWidth,
// FontWeight and Name, in this order. Without writeHeight "FontHeight" is left
// as it stands in the file (also when it is missing).
void WriteTextStyle(CProfile::Changes& changes, const QString& section, const TextStyle& style,
                    bool writeHeight);
// The same in one write of the file; false when it was refused.
bool WriteTextStyle(CProfile& profile, const QString& section, const TextStyle& style, bool writeHeight);
