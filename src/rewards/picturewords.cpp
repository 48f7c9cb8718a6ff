#include "rewards/picturewords.h"

#include <QHash>

#include <algorithm>

QString PictureWords(const QString& fileName) {
    static const QHash<QString, const char*> shown = {
        {QStringLiteral("bild01.bmp"),
         "Eine getigerte Katze sitzt mit einem blauen Wollknäuel im Kinderzimmer."},
        {QStringLiteral("bild02.bmp"),
         "Ein Hund mit rotem Halsband sitzt vor seiner Hütte, neben ihm liegt ein "
         "Knochen."},
        {QStringLiteral("bild03.bmp"),
         "Ein Elefant spritzt am Wasserloch Wasser in die Luft, ein kleiner Vogel "
         "sitzt auf seinem Rücken."},
        {QStringLiteral("bild04.bmp"), "Eine Giraffe frisst am Abend Blätter von einem hohen Baum."},
        {QStringLiteral("bild05.bmp"),
         "Ein grüner Dinosaurier schaut zu, wie ein Dinokind aus dem Ei schlüpft; "
         "hinten raucht ein Vulkan."},
        {QStringLiteral("bild06.bmp"), "Eine Maus fliegt mit einer Rakete zwischen Mond und Sternen an einem "
                                       "Planeten mit Ring vorbei."},
        {QStringLiteral("bild07.bmp"),
         "Ein Piratenschiff mit Totenkopffahne segelt über das Meer, an Bord sitzt "
         "ein bunter Papagei."},
        {QStringLiteral("bild08.bmp"), "Eine Burg mit bunten Türmen und Fahnen steht vor einem Regenbogen."},
        {QStringLiteral("bild09.gif"),
         "Ein gestreifter Fisch schwimmt im Meer, am Grund krabbelt ein roter Krebs "
         "neben einem Seestern."},
        {QStringLiteral("bild10.gif"),
         "Eine Eule und ihr Junges sitzen nachts auf einem Ast vor dem Vollmond."},
        {QStringLiteral("bild11.gif"),
         "Eine Maus fährt eine Dampflok, die Wagen mit Bällen und Rechenwürfeln "
         "zieht."},
        {QStringLiteral("bild12.gif"), "Eine Maus fährt im Korb eines bunten Heißluftballons über Felder und "
                                       "Häuser."},
        {QStringLiteral("bild13.gif"),
         "Ein Schneemann mit Zylinder und rotem Schal steht im Schnee, auf seiner "
         "Hand sitzt ein Vogel."},
        {QStringLiteral("bild14.gif"),
         "Ein Schweinchen fährt einen blauen Traktor über den Bauernhof, daneben "
         "steht ein Huhn."},
        {QStringLiteral("maus.bmp"),
         "Eine graue Maus winkt neben einer Tafel mit dem Einmaleins und einem Stück "
         "Käse."},
    };
    const qsizetype slash = std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'));
    const auto found = shown.constFind(fileName.mid(slash + 1).toLower());
    if (found == shown.constEnd())
        return QStringLiteral("Ein Bild zur Belohnung.");
    return QString::fromUtf8(found.value());
}
