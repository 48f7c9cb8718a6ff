#include "base/textstyle.h"

#include "base/profile.h"
#include "base/settingskeys.h"

TextStyleSection BigFontSection() {
    return {Section::BigFont, 30, 60};
}

TextStyleSection SmallFontSection() {
    return {Section::SmallFont, 20, 30};
}

TextStyle ReadTextStyle(const CProfile& profile, const QString& section, int defaultHeight) {
    const auto flag = [&](const char* key) {
        return (profile.GetInt(section, QLatin1String(key), 0) & 0xFF) != 0;
    };
    TextStyle style;
    style.red = profile.GetInt(section, QStringLiteral("Rot"), 0) & 0xFF;
    style.green = profile.GetInt(section, QStringLiteral("Gruen"), 0) & 0xFF;
    style.blue = profile.GetInt(section, QStringLiteral("Blau"), 0) & 0xFF;
    style.italic = flag("Italic");
    style.height = profile.GetInt(section, QStringLiteral("FontHeight"), defaultHeight);
    style.width = profile.GetInt(section, QStringLiteral("FontWidth"), 0);
    style.weight = profile.GetInt(section, QStringLiteral("FontWeight"), 400);
    style.underline = flag("Underline");
    style.strikeOut = flag("StrikeOut");
    style.name = profile.GetText(section, QStringLiteral("Name"), QStringLiteral("Arial"));
    // An empty name is the default face, as a missing one.
    if (style.name.trimmed().isEmpty())
        style.name = QStringLiteral("Arial");
    return style;
}

void WriteTextStyle(CProfile::Changes& changes, const QString& section, const TextStyle& style,
                    bool writeHeight) {
    changes.WriteInt(section, QStringLiteral("Rot"), style.red & 0xFF);
    changes.WriteInt(section, QStringLiteral("Gruen"), style.green & 0xFF);
    changes.WriteInt(section, QStringLiteral("Blau"), style.blue & 0xFF);
    changes.WriteInt(section, QStringLiteral("Underline"), style.underline ? 1 : 0);
    changes.WriteInt(section, QStringLiteral("Italic"), style.italic ? 1 : 0);
    changes.WriteInt(section, QStringLiteral("StrikeOut"), style.strikeOut ? 1 : 0);
    if (writeHeight)
        changes.WriteInt(section, QStringLiteral("FontHeight"), style.height);
    changes.WriteInt(section, QStringLiteral("FontWidth"), style.width);
    changes.WriteInt(section, QStringLiteral("FontWeight"), style.weight);
    changes.WriteText(section, QStringLiteral("Name"), style.name);
}

bool WriteTextStyle(CProfile& profile, const QString& section, const TextStyle& style, bool writeHeight) {
    CProfile::Changes changes;
    WriteTextStyle(changes, section, style, writeHeight);
    return profile.Write(changes);
}
