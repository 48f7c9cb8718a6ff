#include "base/classconfig.h"

#include <QDir>
#include <QFileInfo>

#include "base/profile.h"

namespace {

const QString kSection = QStringLiteral("Klasse");
const QString kServiceKey = QStringLiteral("Dienst");
const QString kClassKey = QStringLiteral("Klasse");

} // namespace

QStringList ClassConfig::Folders() {
    QStringList folders;
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        folders << home;
    else if (!QDir::homePath().isEmpty() && QDir::homePath() != QDir::rootPath())
        folders << QDir::homePath() + QStringLiteral("/.config");
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    for (const QString& folder : dirs.split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder))
            folders << folder;
    return folders;
}

ClassConfig ClassConfig::Find(const QString& programBaseName) {
    const QString name = programBaseName + QStringLiteral("-Klasse.conf");
    for (const QString& folder : Folders()) {
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.exists() && !file.isDir())
            return Read(file.absoluteFilePath());
    }
    return {};
}

ClassConfig ClassConfig::Read(const QString& filePath) {
    ClassConfig config;
    config.filePath = filePath;
    const CProfile::Snapshot file = CProfile(filePath).Read();
    config.service = file.GetText(kSection, kServiceKey).trimmed();
    config.className = file.GetText(kSection, kClassKey).trimmed();
    return config;
}

QString ClassConfig::problem() const {
    if (!isOn())
        return {};
    const QString where = QDir::toNativeSeparators(filePath);
    if (!QFileInfo(filePath).isReadable())
        return QStringLiteral("Die Datei „%1“ lässt sich nicht lesen.").arg(where);
    QStringList missing;
    if (service.isEmpty())
        missing << QStringLiteral("„Dienst=“ (der Name des Eintrags in pg_service.conf)");
    if (className.isEmpty())
        missing << QStringLiteral("„Klasse=“ (der Name der Klasse, etwa 3b)");
    if (missing.isEmpty())
        return {};
    return QStringLiteral("In der Datei „%1“ fehlt im Abschnitt [Klasse] %2.")
        .arg(where, missing.join(QStringLiteral(" und ")));
}
