#include "record/answerscsv.h"

#include <QDateTime>
#include <QDir>
#include <QIODevice>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>

#include "kit/progressreport.h"
#include "record/recordstore.h"

namespace {

QString field(QString text) {
    // A leading sign would make a spreadsheet read the field as a formula.
    if (text.startsWith(u'=') || text.startsWith(u'+') || text.startsWith(u'@'))
        text.prepend(u'\'');
    if (text.contains(u';') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r'))
        return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
    return text;
}

QByteArray line(const QStringList& fields) {
    QStringList quoted;
    for (const QString& text : fields)
        quoted << field(text);
    return quoted.join(u';').toUtf8() + "\r\n";
}

} // namespace

bool WriteAnswersCsv(const RecordStore& store, QIODevice& out) {
    if (!store.canRead())
        return false;
    const QLocale german(QLocale::German, QLocale::Germany);
    if (out.write("\xEF\xBB\xBF") != 3 ||
        out.write(line({QStringLiteral("Datum"), QStringLiteral("Uhrzeit"), QStringLiteral("Reihe"),
                        QStringLiteral("Aufgabe"), QStringLiteral("Richtige Antwort"),
                        QStringLiteral("Eingabe"), QStringLiteral("Versuch"), QStringLiteral("Bewertung"),
                        QStringLiteral("Danach"), QStringLiteral("Sekunden")})) < 0)
        return false;
    return store.readAnswers([&out, &german](const RecordStore::AnswerRow& answer) {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(answer.at);
        const QString task =
            answer.operation == Record::Operation::Division
                ? QStringLiteral("%1 : %2").arg(answer.factor * answer.series).arg(answer.series)
                : QStringLiteral("%1 X %2").arg(answer.factor).arg(answer.series);
        const QByteArray bytes =
            line({at.toString(QStringLiteral("dd.MM.yyyy")), at.toString(QStringLiteral("HH:mm:ss")),
                  ProgressReport::SeriesTitle(answer.operation, int(answer.series), answer.chosen), task,
                  answer.expected, answer.typed, QString::number(answer.attempt),
                  answer.correct ? QStringLiteral("richtig") : QStringLiteral("falsch"),
                  answer.choice == 1   ? QStringLiteral("NOCHMALS")
                  : answer.choice == 2 ? QStringLiteral("LOESEN")
                                       : QString(),
                  german.toString(double(answer.thinkingMs) / 1000.0, 'f', 1)});
        return out.write(bytes) == bytes.size();
    });
}

bool SaveAnswersCsv(const RecordStore& store, const QString& path, QString* error) {
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly);
    const bool written = opened && WriteAnswersCsv(store, file);
    const bool saved = written && file.commit();
    if (saved || error == nullptr)
        return saved;
    QString why = QStringLiteral("Bitte wählen Sie einen anderen Ort.");
    if (!store.canRead())
        why = QStringLiteral("Der Lernverlauf lässt sich nicht lesen.");
    else if (opened && !written && file.error() == QFileDevice::NoError)
        // The file took every byte; the record's reading stopped.
        why = store.readError();
    *error = QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden. %2")
                 .arg(QDir::toNativeSeparators(path), why);
    return saved;
}
