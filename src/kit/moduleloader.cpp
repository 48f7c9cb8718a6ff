#include "kit/moduleloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>
#include <QSet>
#include <QThreadPool>

namespace {

QString moduleFile(const QString& name, const QStringList& folders) {
    for (const QString& folder : folders) {
        const QString file = QDir(folder).filePath(name + QStringLiteral(".so"));
        if (QFileInfo::exists(file))
            return file;
    }
    return {};
}

} // namespace

QStringList ModuleFolders(const QString& programFile) {
    const QString programFolder = QFileInfo(programFile).absolutePath();
    return {programFolder,
            QDir::cleanPath(programFolder + QLatin1Char('/') + QStringLiteral(OLLO_MODULE_DIR_FROM_PROGRAM)),
            QStringLiteral(OLLO_INSTALL_MODULE_DIR)};
}

QStringList ProgramModuleFolders() {
    return ModuleFolders(QCoreApplication::applicationFilePath());
}

void PreloadModule(const QString& name, const QStringList& folders, QObject* context,
                   std::function<void()> loaded) {
    const QString file = moduleFile(name, folders);
    if (file.isEmpty() || QLibrary(file).isLoaded()) {
        loaded();
        return;
    }
    // Loading only: the plugin object is made on the thread that asks for
    // it. A LoadModule meanwhile waits for this load instead of loading again.
    QThreadPool::globalInstance()->start([file, context = QPointer<QObject>(context), loaded] {
        QLibrary(file).load();
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
        QPluginLoader loader(file);
        QObject* plugin = loader.instance();
        if (plugin != nullptr && plugin->qt_metacast(iid) != nullptr)
            return plugin;
        why = plugin == nullptr ? loader.errorString()
                                : QStringLiteral("%1 is no %2").arg(file, QLatin1String(iid));
    }
    static QSet<QString> said;
    if (!said.contains(name)) {
        said.insert(name);
        qWarning("Ollo: module %s not loaded: %s", qUtf8Printable(name), qUtf8Printable(why));
    }
    return nullptr;
}
