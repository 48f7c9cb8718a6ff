#pragma once

// Sound, speech, help and the learning record are modules of their own
// (ollo-sound, ollo-speech, ollo-helpviewer, ollo-record), loaded when first
// needed, so that the program starts with Qt Core, Gui and Widgets alone and
// its window is on screen before any of them is read. A module is first looked for
// among the plugins linked into the program (tests link a module's code
// that way), then as the file <name>.so in each folder in turn. A file is
// loaded only when its metadata carries this program's build id
// (cmake/BuildId.cmake), and only with every symbol it calls found: a module
// of another build, or one that misses a symbol, is refused with a line on
// standard error, and its feature is off.

#include <QObject>
#include <QPluginLoader>
#include <QString>
#include <QStringList>

#include <functional>

// Where the modules of the program at programFile are: beside it (a build
// tree), and where this build installs them. Nowhere else: a folder worked
// out from the program's (a build in /tmp would look in /tmp/lib/ollo) may
// be one that another user made.
QStringList ModuleFolders(const QString& programFile);

// ModuleFolders of the running program.
QStringList ProgramModuleFolders();

// The plugin object of <name>.so in the first folder that has it; null when
// there is none, it is refused or it offers no interface iid. Says why on
// standard error, once for each name.
QObject* LoadModuleFile(const QString& name, const QStringList& folders, const char* iid);

// Loads the libraries of <name>.so in the background, so that LoadModule
// then takes no time, and calls loaded on the application's thread once they
// are (at once when they are loaded already or there is no such file; never
// when context has gone by then).
void PreloadModule(const QString& name, const QStringList& folders, QObject* context,
                   std::function<void()> loaded);

// The module offering Interface; null when there is none.
template <class Interface> Interface* LoadModule(const QString& name, const QStringList& folders) {
    for (QObject* plugin : QPluginLoader::staticInstances())
        if (auto* module = qobject_cast<Interface*>(plugin))
            return module;
    return qobject_cast<Interface*>(LoadModuleFile(name, folders, qobject_interface_iid<Interface*>()));
}
