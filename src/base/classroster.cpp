#include "base/classroster.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <utility>

#include "base/childlist.h"

namespace {

QString prefixOf(const QString& programBaseName, const QString& className) {
    return programBaseName + QStringLiteral("-klasse-") + CChildList::PlainName(className);
}

void sortByName(std::vector<ClassRoster::Child>& children) {
    QCollator german(QLocale(QLocale::German, QLocale::Germany));
    german.setCaseSensitivity(Qt::CaseInsensitive);
    german.setNumericMode(true);
    std::stable_sort(children.begin(), children.end(),
                     [&german](const ClassRoster::Child& a, const ClassRoster::Child& b) {
                         return german.compare(a.name, b.name) < 0;
                     });
}

// The children that can be kept: a valid id and a name, each once.
std::vector<ClassRoster::Child> usable(std::vector<ClassRoster::Child> children) {
    std::vector<ClassRoster::Child> kept;
    QSet<QString> ids;
    QSet<QString> names;
    for (ClassRoster::Child& child : children) {
        const QUuid id = QUuid::fromString(child.id.trimmed());
        child.id = id.toString(QUuid::WithoutBraces);
        child.name = CChildList::Tidy(child.name);
        if (id.isNull() || child.name.isEmpty() || ids.contains(child.id) ||
            names.contains(child.name.toCaseFolded()))
            continue;
        ids.insert(child.id);
        names.insert(child.name.toCaseFolded());
        kept.push_back(std::move(child));
    }
    sortByName(kept);
    return kept;
}

} // namespace

ClassRoster::ClassRoster(QString programBaseName, QString className)
    : m_programBaseName(std::move(programBaseName))
    , m_className(std::move(className))
    , m_filePath(DataFolder() + u'/' + prefixOf(m_programBaseName, m_className) + QStringLiteral(".txt")) {
    load();
}

QString ClassRoster::DataFolder() {
    QString folder = qEnvironmentVariable("XDG_DATA_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.local/share");
    return folder + QStringLiteral("/ollo");
}

void ClassRoster::load() {
    std::vector<Child> read;
    QFile file(m_filePath);
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QString text = QString::fromUtf8(line);
            const qsizetype equals = text.indexOf(u'=');
            if (equals > 0)
                read.push_back({text.left(equals), text.mid(equals + 1)});
        }
    m_children = usable(std::move(read));
}

const ClassRoster::Child* ClassRoster::find(const QString& name) const {
    const QString wanted = CChildList::Tidy(name);
    const auto it = std::find_if(m_children.begin(), m_children.end(), [&wanted](const Child& child) {
        return child.name.compare(wanted, Qt::CaseInsensitive) == 0;
    });
    return it == m_children.end() ? nullptr : &*it;
}

bool ClassRoster::save(std::vector<Child> children) {
    m_children = usable(std::move(children));
    QByteArray bytes;
    for (const Child& child : m_children)
        bytes += child.id.toUtf8() + '=' + child.name.toUtf8() + '\n';
    QDir().mkpath(DataFolder());
    QSaveFile file(m_filePath);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QString ClassRoster::recordBaseName(const QString& childId) const {
    return prefixOf(m_programBaseName, m_className) + u'-' + childId;
}
