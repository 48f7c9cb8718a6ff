#include "kit/moduleloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QLibrary>
#include <QPointer>
#include <QSet>
#include <QThreadPool>

#include "kit/buildid.h"

namespace {

// Every symbol of a module is bound as it loads, so one that misses a symbol
// is refused then, not ended in the middle of a drill at its first call; and
// it stays loaded, as its plugin object is kept.
constexpr QLibrary::LoadHints kLoadHints = QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint;

QString moduleFile(const QString& name, const QStringList& folders) {
    for (const QString& folder : folders) {
        const QString file = QDir(folder).filePath(name + QStringLiteral(".so"));
        if (QFileInfo::exists(file))
            return file;
    }
    return {};
}

// Why the module file must not be loaded; empty when it may. Read from its
// metadata, before any code of it runs.
QString strangerReason(const QString& file) {
    const QString id = QPluginLoader(file)
                           .metaData()
                           .value(QLatin1String("MetaData"))
                           .toObject()
                           .value(QLatin1String("build"))
                           .toString();
    if (id == QLatin1String(kBuildId))
        return {};
    return QStringLiteral("%1 belongs to another build of Ollo (build %2, this program is build %3)")
        .arg(file, id.isEmpty() ? QStringLiteral("unknown") : id, QLatin1String(kBuildId));
}

} // namespace

QStringList ModuleFolders(const QString& programFile) {
    return {QFileInfo(programFile).absolutePath(), QStringLiteral(OLLO_INSTALL_MODULE_DIR)};
}

QStringList ProgramModuleFolders() {
    return ModuleFolders(QCoreApplication::applicationFilePath());
}

void PreloadModule(const QString& name, const QStringList& folders, QObject* context,
                   std::function<void()> loaded) {
    const QString file = moduleFile(name, folders);
    if (file.isEmpty() || QLibrary(file).isLoaded() || !strangerReason(file).isEmpty()) {
        loaded();
        return;
    }
    // Loading only: the plugin object is made on the thread that asks for
    // it. A LoadModule meanwhile waits for this load instead of loading again.
    QThreadPool::globalInstance()->start([file, context = QPointer<QObject>(context), loaded] {
        QLibrary library(file);
        library.setLoadHints(kLoadHints);
        library.load();
        // The application outlives the pool's work; the context may not.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [context, loaded] {
                if (context)
                    loaded();
            },
            Qt::QueuedConnection);
    });
}

QObject* LoadModuleFile(const QString& name, const QStringList& folders, const char* iid) {
    QString why = QStringLiteral("not in %1").arg(folders.join(QStringLiteral(", ")));
    if (const QString file = moduleFile(name, folders); !file.isEmpty()) {
        why = strangerReason(file);
        if (why.isEmpty()) {
            QPluginLoader loader(file);
            loader.setLoadHints(kLoadHints);
            QObject* plugin = loader.instance();
            if (plugin != nullptr && plugin->qt_metacast(iid) != nullptr)
                return plugin;
            why = plugin == nullptr ? loader.errorString()
                                    : QStringLiteral("%1 is no %2").arg(file, QLatin1String(iid));
        }
    }
    static QSet<QString> said;
    if (!said.contains(name)) {
        said.insert(name);
        qWarning("Ollo: module %s not loaded: %s", qUtf8Printable(name), qUtf8Printable(why));
    }
    return nullptr;
}
