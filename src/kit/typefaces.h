#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// Typefaces as a parent knows them, for the drill's two text styles: the font
// chooser lists each family once under its plain name (the font system adds
// the foundry in brackets, "C059 [URW]", where two foundries make a family),
// leaves out symbol and dingbat fonts, and keeps "Arial", the stored default,
// where its metric twin stands in for it. The drill draws a stored name with
// DrillFamily, so a face that is not installed never turns into whatever the
// font system guesses for it (a script face for some names).

// Sorted without regard to letter case.
QStringList ChoosableFamilies();

// "C059 [URW]" → "C059"; other names unchanged (trimmed).
QString PlainFamilyName(const QString& family);

// The family the drill draws a stored typeface name with: the installed
// family of that name, "Arial" where its twin is installed, and else the
// system's plain sans-serif face.
QString DrillFamily(const QString& storedName);

// The largest pixel size whose character cell (ascent + descent) is at most
// cell pixels: a font "cell pixels high" as the program's settings mean it.
int PixelSizeForCellHeight(QFont font, int cell);
