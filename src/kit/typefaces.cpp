#include "kit/typefaces.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kArial = QStringLiteral("Arial");

// Faces made to the metrics of "Arial", which stand in for it where it is
// not installed.
bool isArialTwin(const QString& family) {
    return family.compare(QLatin1String("Liberation Sans"), Qt::CaseInsensitive) == 0 ||
           family.compare(QLatin1String("Arimo"), Qt::CaseInsensitive) == 0;
}

// The desktop's generic names, each only another name of an installed face
// ("Sans Serif" is DejaVu Sans on most systems), listed there already.
bool isGenericAlias(const QString& family) {
    for (const char* alias : {"Monospace", "Sans Serif", "Serif", "Sans", "Mono", "System-ui", "Cursive",
                              "Fantasy", "Emoji", "Math"})
        if (family.compare(QLatin1String(alias), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isSymbolFamily(const QString& family) {
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol);
}

// Installed families under their plain names, each once; symbol faces only
// when asked for.
QStringList installedFamilies(bool withSymbols) {
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family) || (!withSymbols && isSymbolFamily(family)))
            continue;
        const QString plain = PlainFamilyName(family);
        if (!families.contains(plain, Qt::CaseInsensitive))
            families << plain;
    }
    return families;
}

bool arialStandsIn() {
    return isArialTwin(PlainFamilyName(QFontInfo(QFont(kArial)).family()));
}

} // namespace

QString PlainFamilyName(const QString& family) {
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]\\s*$"));
    return QString(family).remove(foundry).trimmed();
}

QStringList ChoosableFamilies() {
    QStringList families = installedFamilies(false);
    // A settings file that names one still gets it in the drill (DrillFamily).
    families.removeIf(isGenericAlias);
    if (!families.contains(kArial, Qt::CaseInsensitive) && arialStandsIn())
        families << kArial;
    std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return families;
}

QString DrillFamily(const QString& storedName) {
    const QString name = PlainFamilyName(storedName);
    for (const QString& family : installedFamilies(true))
        if (family.compare(name, Qt::CaseInsensitive) == 0)
            return family;
    if (name.compare(kArial, Qt::CaseInsensitive) == 0 && arialStandsIn())
        return kArial;
    QFont sans(QStringLiteral("sans-serif"));
    sans.setStyleHint(QFont::SansSerif);
    return PlainFamilyName(QFontInfo(sans).family());
}

int PixelSizeForCellHeight(QFont font, int cell) {
    const auto cellAt = [&font](int pixels) {
        font.setPixelSize(pixels);
        return QFontMetrics(font).height();
    };
    // Start from the proportion at the cell's own size; the steps are
    // bounded, for typefaces that do not scale.
    int pixels = std::max(1, cell * cell / std::max(1, cellAt(cell)));
    for (int step = 0; step < 8 && pixels > 1 && cellAt(pixels) > cell; ++step)
        --pixels;
    for (int step = 0; step < 8 && cellAt(pixels + 1) <= cell; ++step)
        ++pixels;
    return pixels;
}
