#include "shell/commandline.h"

#include <QFileInfo>

#include <array>

#include "base/childlist.h"
#include "base/classconfig.h"
#include "base/classroster.h"
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
    return QString::fromUtf8("Aufruf: %1 [--help | --version | --kind NAME | --klasse]\n"
                             "\n"
                             "Ollo übt mit Kindern von 6 bis 10 Jahren das kleine und das große\n"
                             "Einmaleins und die Division. Ohne Argument öffnet sich das Hauptfenster.\n"
                             "\n"
                             "  --help      zeigt diesen Text und endet\n"
                             "  --version   zeigt die Versionsnummer und endet\n"
                             "  --kind NAME startet gleich für dieses Kind, mit seinen Einstellungen\n"
                             "              und seinem Lernverlauf\n"
                             "  --klasse    öffnet die Klassenübersicht für die Lehrkraft (nur im\n"
                             "              Klassenmodus, mit %1-Klasse.conf)\n"
                             "\n"
                             "Die Einstellungen stehen in $XDG_CONFIG_HOME/%1.INI (sonst ~/.config/%1.INI).\n"
                             "Bilder, Witze und Klänge liest Ollo aus dem Ordner in $OLLO_DATA,\n"
                             "sonst aus seinem installierten Datenordner.\n")
        .arg(program);
}

// The child's name as the list has it, or the error for a name it lacks.
CommandLine childNamed(const QString& program, const QString& name) {
    const QString base = program.isEmpty() ? QStringLiteral("ollo") : program;
    // On a class computer the names are the class's roster, as last fetched.
    if (const ClassConfig klass = ClassConfig::Find(base); klass.isOn()) {
        const ClassRoster roster(base, klass.className);
        if (const ClassRoster::Child* child = roster.find(name))
            return {CommandLine::Action::Run, {}, 0, child->name};
        // Not fetched yet: the program asks the server as it starts.
        if (roster.children().empty())
            return {CommandLine::Action::Run, {}, 0, name};
        QStringList names;
        for (const ClassRoster::Child& child : roster.children())
            names << child.name;
        return {CommandLine::Action::Error,
                QString::fromUtf8(
                    "%1: In der Klasse %2 gibt es kein Kind namens „%3“.\nIn der Klasse sind: %4.\n")
                    .arg(program, klass.className, name, names.join(QStringLiteral(", "))),
                2,
                {}};
    }
    const CChildList list(base, {});
    if (const CChildList::Child* child = list.find(name))
        return {CommandLine::Action::Run, {}, 0, child->name};
    QStringList names;
    for (const CChildList::Child& child : list.children())
        names << child.name;
    const QString known =
        names.isEmpty()
            ? QString::fromUtf8("Es ist noch kein Kind eingerichtet. Kinder richten Sie in Ollo im Fenster\n"
                                "„Lernfortschritt“ mit „Kind hinzufügen...“ ein.\n")
            : QString::fromUtf8("Eingerichtet sind: %1.\n").arg(names.join(QStringLiteral(", ")));
    return {CommandLine::Action::Error,
            QString::fromUtf8("%1: Ein Kind namens „%2“ ist nicht eingerichtet.\n").arg(program, name) +
                known,
            2,
            {}};
}

// The class view needs class mode: a <program>-Klasse.conf that names the
// teacher's service.
CommandLine classViewOf(const QString& program) {
    const QString base = program.isEmpty() ? QStringLiteral("ollo") : program;
    const ClassConfig klass = ClassConfig::Find(base);
    if (klass.isOn() && klass.problem().isEmpty()) {
        CommandLine run;
        run.classView = true;
        return run;
    }
    QStringList places;
    for (const QString& folder : ClassConfig::Folders())
        places << QStringLiteral("  %1/%2-Klasse.conf").arg(folder, base);
    const QString why =
        klass.isOn()
            ? klass.problem() + u'\n'
            : QString::fromUtf8("Die Klassenübersicht braucht den Klassenmodus, und der ist auf diesem "
                                "Rechner nicht eingerichtet: es gibt keine Datei %1-Klasse.conf. Gesucht "
                                "wurde in\n%2\n")
                  .arg(base, places.join(u'\n'));
    return {
        CommandLine::Action::Error,
        QString::fromUtf8(
            "%1: %2Wie die Schule ihn einrichtet, steht in der Hilfe unter „Klassenübersicht für Lehrkräfte“ "
            "und in der README-Datei von Ollo (Abschnitt „In der Schule“).\n")
            .arg(program, why),
        2,
        {}};
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    const QString program =
        arguments.isEmpty() ? QStringLiteral("ollo") : QFileInfo(arguments.first()).completeBaseName();
    QString child;
    bool forChild = false;
    bool classView = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--kind") || argument.startsWith(QLatin1String("--kind="))) {
            if (argument.contains(u'='))
                child = argument.section(u'=', 1);
            else if (i + 1 < arguments.size())
                child = arguments[++i];
            else
                return {CommandLine::Action::Error,
                        QString::fromUtf8("%1: zu „%2“ fehlt der Name des Kindes\n").arg(program, argument),
                        2,
                        {}};
            forChild = true;
            continue;
        }
        if (argument == QLatin1String("--klasse")) {
            classView = true;
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return {CommandLine::Action::Help, usage(program), 0, {}};
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
            return {CommandLine::Action::Version, QStringLiteral("Ollo " OLLO_VERSION "\n"), 0, {}};

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
                        QString::fromUtf8("%1: zu „%2“ fehlt der Wert\n").arg(program, argument),
                        2,
                        {}};
            }
        }
        return {CommandLine::Action::Error,
                QString::fromUtf8("%1: unbekanntes Argument „%2“\n"
                                  "Mit „%1 --help“ sehen Sie, welche Argumente %1 kennt.\n")
                    .arg(program, argument),
                2,
                {}};
    }
    if (classView && forChild)
        return {CommandLine::Action::Error,
                QString::fromUtf8("%1: „--klasse“ und „--kind“ gehen nicht zusammen: die Klassenübersicht "
                                  "zeigt die ganze Klasse.\n")
                    .arg(program),
                2,
                {}};
    if (classView)
        return classViewOf(program);
    if (forChild)
        return childNamed(program, child);
    return {};
}
