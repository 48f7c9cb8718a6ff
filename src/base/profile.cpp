#include "base/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <utility>

#include "base/cp1252.h"
#include "base/textnumber.h"

namespace {

constexpr qsizetype kMaxTextLength = 4095;

// One line of the file: its content [begin, end) and where the next line
// starts (after its line end, if any).
struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    bool terminated() const { return next > end; }
};

std::optional<Line> lineAt(const QByteArray& bytes, qsizetype pos) {
    if (pos >= bytes.size())
        return std::nullopt;
    Line line{pos, pos, pos};
    const char* d = bytes.constData();
    qsizetype i = pos;
    while (i < bytes.size() && d[i] != '\r' && d[i] != '\n')
        ++i;
    line.end = i;
    if (i < bytes.size())
        i += (d[i] == '\r' && i + 1 < bytes.size() && d[i + 1] == '\n') ? 2 : 1;
    line.next = i;
    return line;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView v) {
    while (!v.isEmpty() && isBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isBlank(v.back()))
        v.chop(1);
    return v;
}

bool sameName(QByteArrayView a, QByteArrayView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArrayView content(const QByteArray& bytes, const Line& line) {
    return QByteArrayView(bytes).sliced(line.begin, line.end - line.begin);
}

// The name of a "[section]" line, or nothing for other lines.
std::optional<QByteArrayView> sectionName(QByteArrayView text) {
    text = trimmed(text);
    if (!text.startsWith('['))
        return std::nullopt;
    text = text.sliced(1);
    const qsizetype close = text.indexOf(']');
    return trimmed(close < 0 ? text : text.first(close));
}

struct KeyLine {
    QByteArrayView key;
    QByteArrayView value;
};

std::optional<KeyLine> keyLine(QByteArrayView text) {
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return KeyLine{trimmed(text.first(eq)), trimmed(text.sliced(eq + 1))};
}

// Where a section and a key stand in the file. Only the first section of a
// name and the first key of a name in it count.
struct Place {
    bool sectionFound = false;
    Line lastSectionLine; // last non-blank line of the section (its header at least)
    std::optional<Line> keyLine;
    QByteArrayView storedKey;
    QByteArrayView value;
};

Place locate(const QByteArray& bytes, QByteArrayView section, QByteArrayView key) {
    Place place;
    bool inSection = false;
    // An editor may have put a UTF-8 byte order mark before the first section.
    const qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (auto line = lineAt(bytes, start); line; line = lineAt(bytes, line->next)) {
        const QByteArrayView text = content(bytes, *line);
        if (const auto name = sectionName(text)) {
            if (inSection)
                break;
            if (sameName(*name, section)) {
                inSection = true;
                place.sectionFound = true;
                place.lastSectionLine = *line;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trimmed(text).isEmpty())
            place.lastSectionLine = *line;
        const auto kv = keyLine(text);
        if (kv && sameName(kv->key, key)) {
            place.keyLine = *line;
            place.storedKey = kv->key;
            place.value = kv->value;
            break;
        }
    }
    return place;
}

QByteArray lineEndOf(const QByteArray& bytes) {
    const qsizetype i = bytes.indexOf('\n');
    const qsizetype j = bytes.indexOf('\r');
    if (j >= 0 && (i < 0 || j < i))
        return j + 1 < bytes.size() && bytes[j + 1] == '\n' ? QByteArray("\r\n") : QByteArray("\r");
    return i >= 0 ? QByteArray("\n") : QByteArray("\r\n");
}

QByteArray encodedName(const QString& name) {
    return ToCp1252(name);
}

// Names are matched trimmed, and a name holding a line break or the character
// that ends it could never be found again (or would read as another line).
bool storableName(const QString& name, const char* ender) {
    if (name.isEmpty() || name.trimmed() != name)
        return false;
    for (const QChar c : name)
        if (c == u'\r' || c == u'\n' || c == u'\0' || c == QLatin1Char(*ender))
            return false;
    return true;
}

bool ownerMayWrite(const QFileInfo& info) {
    return info.permissions().testFlag(QFileDevice::WriteOwner);
}

} // namespace

CProfile::CProfile(QString filePath)
    : m_filePath(std::move(filePath)) {
}

QString CProfile::PathFor(const QString& programBaseName) {
    QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.config");
    return folder + u'/' + programBaseName + QStringLiteral(".INI");
}

bool CProfile::readFile(QByteArray* bytes) const {
    QFile file(m_filePath);
    if (!QFileInfo(m_filePath).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return true;
}

int CProfile::GetInt(const QString& section, const QString& key, int defaultValue) const {
    QByteArray bytes;
    if (!readFile(&bytes))
        return defaultValue;
    const Place place = locate(bytes, encodedName(section), encodedName(key));
    if (!place.keyLine)
        return defaultValue;
    return LeadingInt(place.value, SignRule::MinusOnly);
}

QString CProfile::GetText(const QString& section, const QString& key, const QString& defaultValue) const {
    QByteArray bytes;
    if (!readFile(&bytes))
        return defaultValue;
    const Place place = locate(bytes, encodedName(section), encodedName(key));
    if (!place.keyLine)
        return defaultValue;
    QByteArrayView value = place.value;
    if (const qsizetype nul = value.indexOf('\0'); nul >= 0)
        value = trimmed(value.first(nul));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return FromCp1252(value.first(qMin(value.size(), kMaxTextLength)));
}

bool CProfile::WriteInt(const QString& section, const QString& key, int value) {
    return WriteText(section, key, QString::number(value));
}

bool CProfile::WriteText(const QString& section, const QString& key, const QString& text) {
    const auto fail = [this](const char* why) {
        qWarning("Ollo: could not write the settings file %s: %s", qUtf8Printable(m_filePath), why);
        return false;
    };

    bool lossless = true;
    QByteArray value = ToCp1252(text, &lossless);
    if (!lossless)
        qWarning("Ollo: settings value for %s/%s holds characters the settings file cannot store; "
                 "they were written as '?'",
                 qUtf8Printable(section), qUtf8Printable(key));
    // A line break would split the value into lines of their own (new keys,
    // even new sections); the value ends where the first one stands.
    for (const char stop : {'\r', '\n', '\0'})
        if (const qsizetype at = value.indexOf(stop); at >= 0)
            value.truncate(at);
    qsizetype lead = 0;
    while (lead < value.size() && isBlank(value[lead]))
        ++lead;
    value.remove(0, lead);

    if (!storableName(section, "]") || !storableName(key, "=") || key.trimmed().startsWith(u'['))
        return fail("the section or key name cannot be stored");

    const QFileInfo info(m_filePath);
    QByteArray bytes;
    if (info.exists()) {
        if (!info.isFile())
            return fail("it is not a file");
        if (!ownerMayWrite(info))
            return fail("it is read-only");
        if (!readFile(&bytes))
            return fail("it cannot be read");
    } else {
        const QFileInfo folder(info.absolutePath());
        if (!folder.exists() && !QDir().mkpath(folder.absoluteFilePath()))
            return fail("its folder cannot be created");
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || !ownerMayWrite(folder))
        return fail("its folder is not writable");

    const QByteArray sectionBytes = encodedName(section);
    const QByteArray keyBytes = encodedName(key);
    const QByteArray eol = lineEndOf(bytes);
    const Place place = locate(bytes, sectionBytes, keyBytes);
    if (place.keyLine) {
        const QByteArray line = place.storedKey.toByteArray() + '=' + value;
        bytes.replace(place.keyLine->begin, place.keyLine->end - place.keyLine->begin, line);
    } else if (place.sectionFound) {
        // The new line ends like the line before it, so it can never merge with
        // what follows (a lone CR before an LF would).
        const Line& last = place.lastSectionLine;
        const QByteArray ending = last.terminated() ? bytes.mid(last.end, last.next - last.end) : eol;
        const QByteArray line = keyBytes + '=' + value + ending;
        bytes.insert(last.next, last.terminated() ? line : eol + line);
    } else {
        if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
            bytes += eol;
        bytes += '[' + sectionBytes + ']' + eol + keyBytes + '=' + value + eol;
    }

    QSaveFile file(m_filePath);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(qPrintable(file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail(qPrintable(file.errorString()));
    }
    if (!file.commit())
        return fail(qPrintable(file.errorString()));
    return true;
}
