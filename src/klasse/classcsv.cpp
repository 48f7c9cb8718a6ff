#include "klasse/classcsv.h"

#include <QBuffer>
#include <QDir>
#include <QSaveFile>

#include "klasse/classserver.h"
#include "record/answerscsv.h"
#include "record/recordstore.h"

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");
const QByteArray kLineEnd("\r\n");

// A field as the family's export writes one: quoted when it holds a
// separator, a quote or a line end, and never read as a formula.
QByteArray field(QString text) {
    if (text.startsWith(u'=') || text.startsWith(u'+') || text.startsWith(u'@'))
        text.prepend(u'\'');
    if (text.contains(u';') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r'))
        text = u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
    return text.toUtf8();
}

} // namespace

bool WriteClassCsv(ClassServer& server, const std::vector<RosterRow>& children, QIODevice& out,
                   QString* error) {
    bool headerWritten = false;
    const auto write = [&out, error](const QByteArray& bytes) {
        if (out.write(bytes) == bytes.size())
            return true;
        if (error)
            *error = QStringLiteral("Die Datei nimmt nichts mehr auf (%1).").arg(out.errorString());
        return false;
    };
    for (const RosterRow& child : children) {
        // The family's export of this child, its lines taken over with the name in front.
        const std::unique_ptr<RecordStore> store = server.childStore(child.id);
        QBuffer one;
        one.open(QIODevice::WriteOnly);
        if (!WriteAnswersCsv(*store, one)) {
            if (error)
                *error = store->readError();
            return false;
        }
        QByteArray bytes = one.data();
        if (bytes.startsWith(kByteOrderMark))
            bytes.remove(0, kByteOrderMark.size());
        const qsizetype headerEnd = bytes.indexOf(kLineEnd);
        if (headerEnd < 0)
            continue;
        if (!headerWritten) {
            if (!write(kByteOrderMark + field(QStringLiteral("Kind")) + ';' + bytes.left(headerEnd + 2)))
                return false;
            headerWritten = true;
        }
        const QByteArray name = field(child.name) + ';';
        QByteArray lines;
        for (qsizetype start = headerEnd + 2; start < bytes.size();) {
            // A quoted field may hold a line end of its own: a line ends at a
            // line end outside quotes.
            qsizetype end = start;
            bool quoted = false;
            while (end < bytes.size() &&
                   (quoted || bytes[end] != '\r' || end + 1 == bytes.size() || bytes[end + 1] != '\n')) {
                if (bytes[end] == '"')
                    quoted = !quoted;
                ++end;
            }
            lines += name + bytes.mid(start, end - start) + kLineEnd;
            start = end + 2;
        }
        if (!write(lines))
            return false;
    }
    return true;
}

bool SaveClassCsv(ClassServer& server, const std::vector<RosterRow>& children, const QString& path,
                  QString* error) {
    QSaveFile file(path);
    QString why;
    if (!file.open(QIODevice::WriteOnly))
        why = QStringLiteral("Bitte wählen Sie einen anderen Ort.");
    else if (WriteClassCsv(server, children, file, &why) && file.commit())
        return true;
    else if (why.isEmpty())
        why = QStringLiteral("Bitte wählen Sie einen anderen Ort.");
    if (error)
        *error = QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden. %2")
                     .arg(QDir::toNativeSeparators(path), why);
    return false;
}
