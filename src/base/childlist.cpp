#include "base/childlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <utility>

#include "base/profile.h"

namespace {

// Long enough for first and last name, short enough for any file system.
constexpr int kLongestPlainName = 40;

QString spelledOut(QChar letter) {
    switch (letter.unicode()) {
    case u'ä':
        return QStringLiteral("ae");
    case u'ö':
        return QStringLiteral("oe");
    case u'ü':
        return QStringLiteral("ue");
    case u'ß':
        return QStringLiteral("ss");
    case u'æ':
        return QStringLiteral("ae");
    case u'ø':
        return QStringLiteral("o");
    case u'œ':
        return QStringLiteral("oe");
    case u'ł':
        return QStringLiteral("l");
    case u'đ':
        return QStringLiteral("d");
    case u'þ':
        return QStringLiteral("th");
    default:
        return {};
    }
}

// The marks that embed, override or isolate a direction of text, and the
// invisible letters that set one.
bool turnsDirection(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
           (u >= 0x2066 && u <= 0x2069);
}

bool holdsControl(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

// How many lines set aside a notice names; the rest are counted.
constexpr qsizetype kNamedSetAside = 5;

} // namespace

CChildList::CChildList(QString programBaseName, QString shippedDefaults)
    : m_programBaseName(std::move(programBaseName))
    , m_shippedDefaults(std::move(shippedDefaults))
    , m_filePath(PathFor(m_programBaseName)) {
    load();
}

QString CChildList::PathFor(const QString& programBaseName) {
    return QFileInfo(CProfile::PathFor(programBaseName)).absolutePath() + u'/' + programBaseName +
           QStringLiteral("-Kinder.txt");
}

QString CChildList::Tidy(const QString& name) {
    QString tidy;
    tidy.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'\r' || c == u'\n' || c == u'\t' || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            tidy += u' ';
        else if (c.category() != QChar::Other_Control && !turnsDirection(c))
            tidy += c;
    }
    return tidy.trimmed();
}

QString CChildList::PlainName(const QString& name) {
    QString plain;
    for (const QChar c : name.toLower()) {
        const QString spelled = spelledOut(c);
        if (!spelled.isEmpty()) {
            plain += spelled;
            continue;
        }
        // A letter with marks is the letter: é → e.
        const QString base = QString(c).normalized(QString::NormalizationForm_KD);
        bool kept = false;
        for (const QChar part : base)
            if ((part >= u'a' && part <= u'z') || (part >= u'0' && part <= u'9')) {
                plain += part;
                kept = true;
            }
        if (!kept && !c.isMark() && !plain.endsWith(u'-'))
            plain += u'-';
    }
    plain = plain.left(kLongestPlainName);
    while (plain.startsWith(u'-'))
        plain.remove(0, 1);
    while (plain.endsWith(u'-'))
        plain.chop(1);
    return plain.isEmpty() ? QStringLiteral("kind") : plain;
}

void CChildList::load() {
    m_children.clear();
    m_setAside.clear();
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    const QString prefix = m_programBaseName + u'-';
    // Of the children taken so far, for a list of any length.
    QHash<QString, QString> nameOfFile;
    QSet<QString> names; // case folded
    int lineNumber = 0;
    // Former names follow their child's line; only a listed child's count.
    QList<std::pair<QString, QString>> formerNames;
    for (const QByteArray& line : bytes.split('\n')) {
        ++lineNumber;
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(u'#')) {
            const qsizetype equals = text.indexOf(u'=');
            const QString name = Tidy(text.mid(equals + 1));
            if (equals > 1 && !name.isEmpty())
                formerNames.append({text.mid(1, equals - 1).trimmed(), name});
            continue;
        }
        const qsizetype equals = text.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString baseName = text.left(equals).trimmed();
        // Another program's children are none of this one's business.
        if (!baseName.startsWith(prefix))
            continue;
        const QString name = Tidy(text.mid(equals + 1));
        QString why;
        // Only names this list could have made: nothing that leads elsewhere.
        if (baseName.contains(u'/') || baseName.contains(QStringLiteral("..")) || holdsControl(baseName)) {
            why = QString::fromUtf8("Der Dateiname ist ungültig.");
        } else if (name.isEmpty()) {
            why = QString::fromUtf8("Der Name fehlt.");
        } else if (nameOfFile.contains(baseName)) {
            why = QString::fromUtf8("Die Datei gehört schon „%1“.").arg(nameOfFile.value(baseName));
        } else if (names.contains(name.toCaseFolded())) {
            why = QString::fromUtf8("Der Name steht schon weiter oben.");
        } else {
            m_children.push_back({name, baseName, {}});
            nameOfFile.insert(baseName, name);
            names.insert(name.toCaseFolded());
            continue;
        }
        m_setAside << (name.isEmpty()
                           ? QString::fromUtf8("Zeile %1: %2").arg(lineNumber).arg(why)
                           : QString::fromUtf8("Zeile %1 („%2“): %3").arg(lineNumber).arg(name, why));
    }
    for (const auto& [baseName, name] : std::as_const(formerNames))
        for (Child& child : m_children)
            if (child.baseName == baseName && child.name.compare(name, Qt::CaseInsensitive) != 0 &&
                !child.formerNames.contains(name, Qt::CaseInsensitive))
                child.formerNames << name;
}

QString CChildList::setAsideNotice() const {
    if (m_setAside.isEmpty())
        return {};
    QStringList lines = m_setAside.first(std::min(m_setAside.size(), kNamedSetAside));
    if (m_setAside.size() > kNamedSetAside)
        lines << QString::fromUtf8("… und %1 weitere.").arg(m_setAside.size() - kNamedSetAside);
    return QString::fromUtf8(
               "In der Liste der Kinder (%1) stehen Zeilen, die Ollo nicht verwenden kann:\n\n%2"
               "\n\nOllo lässt sie weg, damit kein Kind die Einstellungen oder den Lernverlauf "
               "eines anderen verändert oder löscht. Wird ein Kind hinzugefügt, umbenannt oder "
               "entfernt, verschwinden sie aus der Liste.")
        .arg(QDir::toNativeSeparators(m_filePath), lines.join(u'\n'));
}

const CChildList::Child* CChildList::find(const QString& name) const {
    const QString wanted = Tidy(name);
    auto it = std::find_if(m_children.begin(), m_children.end(), [&wanted](const Child& child) {
        return child.name.compare(wanted, Qt::CaseInsensitive) == 0;
    });
    if (it != m_children.end())
        return &*it;
    // The one renamed most recently away from the name, as the list keeps them in order.
    const Child* former = nullptr;
    for (const Child& child : m_children)
        if (child.formerNames.contains(wanted, Qt::CaseInsensitive))
            former = &child;
    return former;
}

bool CChildList::nameTaken(const QString& name, const QString& exceptBaseName) const {
    return std::any_of(m_children.begin(), m_children.end(), [&](const Child& child) {
        return child.baseName != exceptBaseName && child.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

CChildList::Result CChildList::add(const QString& name) {
    const QString tidy = Tidy(name);
    if (tidy.isEmpty())
        return Result::EmptyName;
    if (nameTaken(tidy, {}))
        return Result::NameTaken;
    // Neither another child's files nor a file left behind are ever taken.
    const QString plain = m_programBaseName + u'-' + PlainName(tidy);
    QString baseName = plain;
    for (int number = 2;; ++number) {
        const bool listed = std::any_of(m_children.begin(), m_children.end(), [&baseName](const Child& c) {
            return c.baseName.compare(baseName, Qt::CaseInsensitive) == 0;
        });
        if (!listed && !QFileInfo::exists(CProfile::PathFor(baseName)))
            break;
        baseName = plain + QStringLiteral("-%1").arg(number);
    }
    const QString settings = CProfile::PathFor(baseName);
    QDir().mkpath(QFileInfo(settings).absolutePath());
    if (QFileInfo::exists(m_shippedDefaults)) {
        if (!QFile::copy(m_shippedDefaults, settings))
            return Result::WriteFailed;
        QFile::setPermissions(settings, QFile::permissions(settings) | QFile::ReadOwner | QFile::WriteOwner);
    }
    m_children.push_back({tidy, baseName, {}});
    if (save())
        return Result::Done;
    m_children.pop_back();
    QFile::remove(settings);
    return Result::WriteFailed;
}

CChildList::Result CChildList::rename(const QString& baseName, const QString& newName) {
    const QString tidy = Tidy(newName);
    if (tidy.isEmpty())
        return Result::EmptyName;
    if (nameTaken(tidy, baseName))
        return Result::NameTaken;
    for (Child& child : m_children)
        if (child.baseName == baseName) {
            const Child before = child;
            if (child.name.compare(tidy, Qt::CaseInsensitive) != 0) {
                child.formerNames.removeIf([&tidy](const QString& former) {
                    return former.compare(tidy, Qt::CaseInsensitive) == 0;
                });
                if (!child.formerNames.contains(child.name, Qt::CaseInsensitive))
                    child.formerNames << child.name;
            }
            child.name = tidy;
            if (save())
                return Result::Done;
            child = before;
            return Result::WriteFailed;
        }
    return Result::WriteFailed;
}

CChildList::Result CChildList::remove(const QString& baseName) {
    const auto it = std::find_if(m_children.begin(), m_children.end(),
                                 [&baseName](const Child& child) { return child.baseName == baseName; });
    if (it == m_children.end())
        return Result::WriteFailed;
    if (m_inUse && m_inUse(baseName))
        return Result::InUse;
    const Child removed = *it;
    m_children.erase(it);
    if (!save()) {
        load();
        return Result::WriteFailed;
    }
    QFile::remove(CProfile::PathFor(removed.baseName));
    return Result::Done;
}

bool CChildList::save() const {
    if (m_children.empty())
        return QFile::remove(m_filePath) || !QFileInfo::exists(m_filePath);
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes;
    for (const Child& child : m_children) {
        bytes += child.baseName.toUtf8() + '=' + child.name.toUtf8() + '\n';
        for (const QString& former : child.formerNames)
            bytes += '#' + child.baseName.toUtf8() + '=' + former.toUtf8() + '\n';
    }
    return file.write(bytes) == bytes.size() && file.commit();
}
