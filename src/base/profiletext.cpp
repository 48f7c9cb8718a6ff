#include "base/profiletext.h"

#include <QHash>

#include <algorithm>
#include <map>
#include <utility>

#include "base/cp1252.h"

namespace {

// One line: its content [begin, end) and where the next line starts (after
// its line end, if any).
struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    bool terminated() const { return next > end; }
};

// The line that starts at pos, which lies before the end of the bytes.
Line lineAt(const QByteArray& bytes, qsizetype pos) {
    const char* d = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype i = pos;
    while (i < size && d[i] != '\r' && d[i] != '\n')
        ++i;
    Line line{pos, i, i};
    if (i < size)
        line.next = i + ((d[i] == '\r' && i + 1 < size && d[i + 1] == '\n') ? 2 : 1);
    return line;
}

QByteArrayView content(const QByteArray& bytes, const Line& line) {
    return QByteArrayView(bytes).sliced(line.begin, line.end - line.begin);
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

char folded(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (folded(a[i]) != folded(b[i]))
            return false;
    return true;
}

QByteArray foldedCopy(QByteArrayView name) {
    QByteArray out(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        out[i] = folded(name[i]);
    return out;
}

quint32 nameHash(QByteArrayView name) {
    quint32 h = 2166136261u;
    for (const char c : name) {
        h ^= quint8(folded(c));
        h *= 16777619u;
    }
    return h;
}

// The name of a "[section]" line. A line without its closing bracket is an
// ordinary line of the section before it.
std::optional<QByteArrayView> sectionName(QByteArrayView text) {
    text = trimmed(text);
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimmed(text.sliced(1, close - 1));
}

struct KeyValue {
    QByteArrayView key;
    QByteArrayView value;
};

std::optional<KeyValue> keyValue(QByteArrayView text) {
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return KeyValue{trimmed(text.first(eq)), trimmed(text.sliced(eq + 1))};
}

// The line end a new line gets: the file's first, CR LF in a file without one.
QByteArray lineEndOf(const QByteArray& bytes) {
    const qsizetype i = bytes.indexOf('\n');
    const qsizetype j = bytes.indexOf('\r');
    if (j >= 0 && (i < 0 || j < i))
        return j + 1 < bytes.size() && bytes[j + 1] == '\n' ? QByteArray("\r\n") : QByteArray("\r");
    return i >= 0 ? QByteArray("\n") : QByteArray("\r\n");
}

// Names are matched trimmed, and a name holding a line break or the character
// that ends it could never be found again (or would read as another line).
bool storableName(const QString& name, char ender) {
    if (name.isEmpty() || name.trimmed() != name)
        return false;
    for (const QChar c : name)
        if (c == u'\r' || c == u'\n' || c == u'\0' || c == QLatin1Char(ender))
            return false;
    return true;
}

bool isUtf8Text(QByteArrayView bytes, bool byteOrderMark) {
    if (!bytes.isValidUtf8())
        return false;
    return byteOrderMark || std::any_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) >= 0x80; });
}

} // namespace

// Names to values in open addressing; a name is compared through nameOf(value),
// so the table holds no copies of names.
class ProfileText::NameTable {
public:
    explicit NameTable(qsizetype expected) {
        std::size_t size = 16;
        while (size < std::size_t(expected) * 2)
            size *= 2;
        m_slots.resize(size);
    }

    template <typename NameOf> qsizetype find(QByteArrayView name, const NameOf& nameOf) const {
        const quint32 h = nameHash(name);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.value < 0)
                return -1;
            if (slot.hash == h && sameName(nameOf(slot.value), name))
                return slot.value;
        }
    }

    // Keeps the first value stored under a name.
    template <typename NameOf> void addFirst(QByteArrayView name, qsizetype value, const NameOf& nameOf) {
        if (std::size_t(m_used + 1) * 2 > m_slots.size())
            grow();
        const quint32 h = nameHash(name);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.value < 0) {
                slot = {h, value};
                ++m_used;
                return;
            }
            if (slot.hash == h && sameName(nameOf(slot.value), name))
                return;
        }
    }

private:
    struct Slot {
        quint32 hash = 0;
        qsizetype value = -1;
    };

    void grow() {
        std::vector<Slot> old(m_slots.size() * 2);
        std::swap(old, m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.value < 0)
                continue;
            std::size_t i = slot.hash & mask;
            while (m_slots[i].value >= 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;
    qsizetype m_used = 0;
};

struct ProfileText::Section {
    QByteArrayView name;
    qsizetype bodyBegin = 0; // the line after the header
    qsizetype bodyEnd = 0;   // where the next section line starts, or the end
    qsizetype last = 0;      // start of the last non-blank line, the header's if none
    int keyLines = 0;
    mutable std::unique_ptr<NameTable> keys; // key name -> start of its first line
};

ProfileText::ProfileText(QByteArray bytes)
    : m_bytes(std::move(bytes))
    , m_sectionNames(std::make_unique<NameTable>(16)) {
    // An editor may have put a UTF-8 byte order mark before the first section.
    const bool byteOrderMark = m_bytes.startsWith("\xEF\xBB\xBF");
    m_start = byteOrderMark ? 3 : 0;
    m_utf8 = isUtf8Text(QByteArrayView(m_bytes).sliced(m_start), byteOrderMark);

    const auto nameOf = [this](qsizetype i) {
        return m_sections[std::size_t(i)].name;
    };
    // The first section of its name that the scan is in; let go at every
    // section line, before the vector can grow.
    Section* current = nullptr;
    for (qsizetype pos = m_start; pos < m_bytes.size();) {
        const Line line = lineAt(m_bytes, pos);
        const QByteArrayView text = content(m_bytes, line);
        if (const auto name = sectionName(text)) {
            if (current)
                current->bodyEnd = line.begin;
            current = nullptr;
            if (m_sectionNames->find(*name, nameOf) < 0) {
                Section section;
                section.name = *name;
                section.bodyBegin = line.next;
                section.bodyEnd = m_bytes.size();
                section.last = line.begin;
                m_sections.push_back(std::move(section));
                m_sectionNames->addFirst(*name, qsizetype(m_sections.size() - 1), nameOf);
                current = &m_sections.back();
            }
        } else if (current) {
            if (!trimmed(text).isEmpty())
                current->last = line.begin;
            if (text.contains('='))
                ++current->keyLines;
        }
        pos = line.next;
    }
}

ProfileText::~ProfileText() = default;

QByteArray ProfileText::encoded(const QString& text) const {
    return m_utf8 ? text.toUtf8() : ToCp1252(text);
}

QString ProfileText::Decoded(QByteArrayView bytes) const {
    return m_utf8 ? QString::fromUtf8(bytes) : FromCp1252(bytes);
}

int ProfileText::sectionIndex(QByteArrayView name) const {
    return int(m_sectionNames->find(name, [this](qsizetype i) { return m_sections[std::size_t(i)].name; }));
}

void ProfileText::indexKeys(const Section& section) const {
    section.keys = std::make_unique<NameTable>(section.keyLines);
    const auto keyOf = [this](qsizetype begin) {
        return keyValue(content(m_bytes, lineAt(m_bytes, begin)))->key;
    };
    for (qsizetype pos = section.bodyBegin; pos < section.bodyEnd;) {
        const Line line = lineAt(m_bytes, pos);
        if (const auto kv = keyValue(content(m_bytes, line)))
            section.keys->addFirst(kv->key, line.begin, keyOf);
        pos = line.next;
    }
}

qsizetype ProfileText::keyLine(int section, QByteArrayView key) const {
    const Section& s = m_sections[std::size_t(section)];
    if (!s.keys)
        indexKeys(s);
    return s.keys->find(
        key, [this](qsizetype begin) { return keyValue(content(m_bytes, lineAt(m_bytes, begin)))->key; });
}

std::optional<QByteArrayView> ProfileText::Value(const QString& section, const QString& key) const {
    const int s = sectionIndex(encoded(section));
    if (s < 0)
        return std::nullopt;
    const qsizetype line = keyLine(s, encoded(key));
    if (line < 0)
        return std::nullopt;
    return keyValue(content(m_bytes, lineAt(m_bytes, line)))->value;
}

int ProfileText::KeyCount(const QString& section) const {
    const int s = sectionIndex(encoded(section));
    return s < 0 ? 0 : m_sections[std::size_t(s)].keyLines;
}

bool ProfileText::StorableNames(const std::vector<ProfileChange>& changes) {
    return std::all_of(changes.begin(), changes.end(), [](const ProfileChange& change) {
        return storableName(change.section, ']') && storableName(change.key, '=') &&
               !change.key.startsWith(u'[');
    });
}

std::optional<QByteArray> ProfileText::Changed(const std::vector<ProfileChange>& changes,
                                               QString* why) const {
    if (!StorableNames(changes)) {
        *why = QStringLiteral("the section or key name cannot be stored");
        return std::nullopt;
    }

    // The new lines of one section, in the order of their first write; a
    // later write of the same key changes the value and keeps the spelling.
    struct NewLines {
        std::vector<std::pair<QByteArray, QByteArray>> lines;
        QHash<QByteArray, std::size_t> byName;
        void put(QByteArray key, QByteArray value) {
            const QByteArray name = foldedCopy(key);
            if (const auto it = byName.constFind(name); it != byName.cend()) {
                lines[*it].second = std::move(value);
                return;
            }
            byName.insert(name, lines.size());
            lines.emplace_back(std::move(key), std::move(value));
        }
    };
    std::map<qsizetype, QByteArray> replaced; // start of a key line -> its new content
    std::map<int, NewLines> inserted;         // section -> lines after its last one
    std::vector<std::pair<QByteArray, NewLines>> added;
    QHash<QByteArray, std::size_t> addedByName;

    for (const ProfileChange& change : changes) {
        const QByteArray section = encoded(change.section);
        const QByteArray key = encoded(change.key);
        bool lossless = true;
        QByteArray value = m_utf8 ? change.text.toUtf8() : ToCp1252(change.text, &lossless);
        if (!lossless)
            qWarning("Ollo: settings value for %s/%s holds characters the settings file cannot store; "
                     "they were written as '?'",
                     qUtf8Printable(change.section), qUtf8Printable(change.key));
        // A line break would split the value into lines of their own (new
        // keys, even new sections); the value ends where the first one stands.
        for (const char stop : {'\r', '\n', '\0'})
            if (const qsizetype at = value.indexOf(stop); at >= 0)
                value.truncate(at);
        qsizetype lead = 0;
        while (lead < value.size() && isBlank(value[lead]))
            ++lead;
        value.remove(0, lead);

        if (const int s = sectionIndex(section); s >= 0) {
            if (const qsizetype line = keyLine(s, key); line >= 0) {
                const QByteArrayView stored = keyValue(content(m_bytes, lineAt(m_bytes, line)))->key;
                replaced[line] = stored.toByteArray() + '=' + value;
            } else {
                inserted[s].put(key, std::move(value));
            }
            continue;
        }
        const QByteArray name = foldedCopy(section);
        auto it = addedByName.constFind(name);
        if (it == addedByName.cend()) {
            it = addedByName.insert(name, added.size());
            added.emplace_back(section, NewLines{});
        }
        added[*it].second.put(key, std::move(value));
    }

    const QByteArray eol = lineEndOf(m_bytes);
    QByteArray out;
    out.reserve(m_bytes.size() + 64 * qsizetype(changes.size()));
    qsizetype copied = 0;
    const auto copyTo = [&](qsizetype pos) {
        out.append(m_bytes.constData() + copied, pos - copied);
        copied = pos;
    };
    std::vector<std::pair<Line, const NewLines*>> insertions; // after their section's last line
    for (const auto& [s, lines] : inserted)
        insertions.emplace_back(lineAt(m_bytes, m_sections[std::size_t(s)].last), &lines);
    std::sort(insertions.begin(), insertions.end(),
              [](const auto& a, const auto& b) { return a.first.next < b.first.next; });

    bool lastLineEnded = false;
    auto replacement = replaced.cbegin();
    auto insertion = insertions.cbegin();
    while (replacement != replaced.cend() || insertion != insertions.cend()) {
        if (insertion == insertions.cend() ||
            (replacement != replaced.cend() && replacement->first < insertion->first.next)) {
            copyTo(replacement->first);
            out += replacement->second;
            copied = lineAt(m_bytes, replacement->first).end;
            ++replacement;
            continue;
        }
        const Line& anchor = insertion->first;
        copyTo(anchor.next);
        // The new lines end like the line before them, so they can never
        // merge with what follows (a lone CR before an LF would).
        const QByteArray ending =
            anchor.terminated() ? m_bytes.mid(anchor.end, anchor.next - anchor.end) : eol;
        if (!anchor.terminated()) {
            out += eol;
            lastLineEnded = true;
        }
        for (const auto& [key, value] : insertion->second->lines)
            out += key + '=' + value + ending;
        ++insertion;
    }
    copyTo(m_bytes.size());

    if (!added.empty() && !m_bytes.isEmpty() && !m_bytes.endsWith('\n') && !m_bytes.endsWith('\r') &&
        !lastLineEnded)
        out += eol;
    for (const auto& [name, lines] : added) {
        out += '[' + name + ']' + eol;
        for (const auto& [key, value] : lines.lines)
            out += key + '=' + value + eol;
    }
    return out;
}
