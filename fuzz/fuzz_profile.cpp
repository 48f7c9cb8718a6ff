// A random settings file, then random reads and writes on it. Nothing may
// crash or hang, a refused write changes nothing, and after a write every
// other key reads back exactly as before while the written key reads back as
// the value that was stored.

#include <QFile>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "base/cp1252.h"
#include "base/profile.h"

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray trimmedBlanks(QByteArray v) {
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove(0, 1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v.chop(1);
    return v;
}

// Every section and key name the file mentions, as the reader would see them.
std::vector<std::pair<QString, QString>> namesIn(const QByteArray& bytes) {
    std::vector<std::pair<QString, QString>> names;
    QByteArray section;
    const QList<QByteArray> lines = QByteArray(bytes).replace('\r', '\n').split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = trimmedBlanks(raw);
        // A line without its closing bracket is an ordinary line.
        if (const qsizetype close = line.indexOf(']'); line.startsWith('[') && close >= 0) {
            section = trimmedBlanks(line.mid(1, close - 1));
        } else if (const qsizetype eq = line.indexOf('='); eq >= 0) {
            names.emplace_back(FromCp1252(section), FromCp1252(trimmedBlanks(line.left(eq))));
        }
        if (names.size() > 64)
            break;
    }
    return names;
}

// Whether the reader takes the file as UTF-8: valid UTF-8 after a byte order
// mark, or valid UTF-8 with other than ASCII bytes.
bool readsAsUtf8(const QByteArray& bytes) {
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView text = QByteArrayView(bytes).sliced(mark ? 3 : 0);
    if (!text.isValidUtf8())
        return false;
    for (const char c : text)
        if (c & 0x80)
            return true;
    return mark;
}

// What reading back a written value gives.
QString expectedReadBack(const QString& written, bool utf8) {
    QByteArray v = utf8 ? written.toUtf8() : ToCp1252(written);
    for (const char stop : {'\r', '\n', '\0'})
        if (const qsizetype at = v.indexOf(stop); at >= 0)
            v.truncate(at);
    v = trimmedBlanks(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    if (utf8) {
        QString text = QString::fromUtf8(v);
        qsizetype keep = qMin(text.size(), qsizetype(4095));
        if (keep < text.size() && text[keep].isLowSurrogate())
            --keep;
        return text.left(keep);
    }
    return FromCp1252(v.left(4095));
}

QString pickName(FuzzedDataProvider& fdp, const std::vector<std::pair<QString, QString>>& names,
                 bool section) {
    if (!names.empty() && fdp.ConsumeBool()) {
        const auto& n = names[fdp.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)];
        return section ? n.first : n.second;
    }
    const std::string s = fdp.ConsumeRandomLengthString(12);
    return FromCp1252(QByteArrayView(s.data(), qsizetype(s.size())));
}

void check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "fuzz_profile: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("fuzz.INI");
    FuzzedDataProvider fdp(data, size);
    const std::string initial = fdp.ConsumeRandomLengthString(4096);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(initial.data(), qint64(initial.size()));
    }
    CProfile profile(path);
    for (int op = 0; op < 24 && fdp.remaining_bytes() > 0; ++op) {
        const QByteArray before = fileBytes(path);
        const auto names = namesIn(before);
        const QString section = pickName(fdp, names, true);
        const QString key = pickName(fdp, names, false);
        switch (fdp.ConsumeIntegralInRange(0, 2)) {
        case 0:
            profile.GetInt(section, key, 7);
            break;
        case 1:
            profile.GetText(section, key, QStringLiteral("default"));
            break;
        default: {
            const std::string raw = fdp.ConsumeRandomLengthString(64);
            const QString value = FromCp1252(QByteArrayView(raw.data(), qsizetype(raw.size())));
            std::vector<QString> old;
            for (const auto& [s, k] : names)
                old.push_back(profile.GetText(s, k, QStringLiteral("\x01missing")));
            const bool written = profile.WriteText(section, key, value);
            if (!written) {
                check(fileBytes(path) == before, "a refused write changed the file");
                break;
            }
            const QByteArray after = fileBytes(path);
            check(profile.GetText(section, key) == expectedReadBack(value, readsAsUtf8(after)),
                  "the written value reads back wrong");
            // Windows-1252 bytes that happen to form UTF-8 turn the whole
            // file into UTF-8 text: the other values then read differently.
            if (readsAsUtf8(before) != readsAsUtf8(after))
                break;
            for (std::size_t i = 0; i < names.size(); ++i) {
                const auto& [s, k] = names[i];
                if (s.compare(section, Qt::CaseInsensitive) == 0 && k.compare(key, Qt::CaseInsensitive) == 0)
                    continue;
                check(profile.GetText(s, k, QStringLiteral("\x01missing")) == old[i], "another key changed");
            }
        }
        }
    }
    return 0;
}
