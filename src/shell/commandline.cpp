#include "shell/commandline.h"

#include <QFileInfo>

#include <array>

#include "base/version.h"

namespace {

// Options QGuiApplication and QApplication take for themselves.
constexpr std::array<const char*, 14> kQtOptionsWithValue = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "name",          "title"};
constexpr std::array<const char*, 6> kQtFlags = {"reverse", "widgetcount", "nograb",
                                                 "dograb",  "sync",        "qmljsdebugger"};

template <std::size_t N> bool among(const std::array<const char*, N>& names, const QString& name) {
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

QString usage(const QString& program) {
    return QString::fromUtf8("Aufruf: %1 [--help | --version]\n"
                             "\n"
                             "Ollo übt mit Kindern von 6 bis 10 Jahren das kleine und das große\n"
                             "Einmaleins und die Division. Ohne Argument öffnet sich das Hauptfenster.\n"
                             "\n"
                             "  --help      zeigt diesen Text und endet\n"
                             "  --version   zeigt die Versionsnummer und endet\n"
                             "\n"
                             "Die Einstellungen stehen in $XDG_CONFIG_HOME/%1.INI (sonst ~/.config/%1.INI).\n"
                             "Bilder, Witze und Klänge liest Ollo aus dem Ordner in $OLLO_DATA,\n"
                             "sonst aus seinem installierten Datenordner.\n")
        .arg(program);
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    const QString program =
        arguments.isEmpty() ? QStringLiteral("ollo") : QFileInfo(arguments.first()).completeBaseName();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return {CommandLine::Action::Help, usage(program), 0};
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
            return {CommandLine::Action::Version, QStringLiteral("Ollo " OLLO_VERSION "\n"), 0};

        // Qt reads its options with one dash or two, their values after a
        // blank or an equals sign.
        QString name = argument;
        if (name.startsWith(QLatin1String("--")))
            name.remove(0, 1);
        if (name.startsWith(u'-') && name.size() > 1) {
            name.remove(0, 1);
            const bool valueAttached = name.contains(u'=');
            name = name.section(u'=', 0, 0);
            if (among(kQtFlags, name))
                continue;
            if (among(kQtOptionsWithValue, name)) {
                if (valueAttached)
                    continue;
                if (i + 1 < arguments.size()) {
                    ++i;
                    continue;
                }
                return {CommandLine::Action::Error,
                        QString::fromUtf8("%1: zu „%2“ fehlt der Wert\n").arg(program, argument), 2};
            }
        }
        return {CommandLine::Action::Error,
                QString::fromUtf8("%1: unbekanntes Argument „%2“\n"
                                  "Mit „%1 --help“ sehen Sie, welche Argumente %1 kennt.\n")
                    .arg(program, argument),
                2};
    }
    return {};
}
