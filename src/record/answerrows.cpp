#include "record/answerscsv.h"

#include <QDateTime>
#include <QDir>
#include <QIODevice>
#include <QLocale>
#include <QSaveFile>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "kit/commandids.h"
#include "record/learningrecord.h"
#include "kit/progressreport.h"

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

bool WriteAnswersCsv(const CLearningRecord& record, QIODevice& out) {
    if (!record.canRead())
        return false;
    QSqlQuery query(record.database());
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT a.at, t.operation, t.factor, t.series, d.command IN (%1, %2), t.expected,"
                           " a.typed, a.attempt, a.correct, a.choice, a.thinking_ms"
                           " FROM answer a JOIN task t ON t.id = a.task JOIN drill d ON d.id = t.drill"
                           " ORDER BY a.id")
                .arg(Cmd::AnyMultiplication)
                .arg(Cmd::AnyDivision)))
        return false;
    const QLocale german(QLocale::German, QLocale::Germany);
    if (out.write("\xEF\xBB\xBF") != 3 ||
        out.write(line({QStringLiteral("Datum"), QStringLiteral("Uhrzeit"), QStringLiteral("Reihe"),
                        QStringLiteral("Aufgabe"), QStringLiteral("Richtige Antwort"),
                        QStringLiteral("Eingabe"), QStringLiteral("Versuch"), QStringLiteral("Bewertung"),
                        QStringLiteral("Danach"), QStringLiteral("Sekunden")})) < 0)
        return false;
    while (query.next()) {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(query.value(0).toLongLong());
        const auto operation = Record::Operation(query.value(1).toInt());
        const qint64 factor = query.value(2).toLongLong();
        const qint64 series = query.value(3).toLongLong();
        const QString task = operation == Record::Operation::Division
                                 ? QStringLiteral("%1 : %2").arg(factor * series).arg(series)
                                 : QStringLiteral("%1 X %2").arg(factor).arg(series);
        const int choice = query.value(9).toInt();
        const QByteArray bytes =
            line({at.toString(QStringLiteral("dd.MM.yyyy")), at.toString(QStringLiteral("HH:mm:ss")),
                  ProgressReport::SeriesTitle(operation, int(series), query.value(4).toBool()), task,
                  query.value(5).toString(), query.value(6).toString(), query.value(7).toString(),
                  query.value(8).toBool() ? QStringLiteral("richtig") : QStringLiteral("falsch"),
                  choice == 1   ? QStringLiteral("NOCHMALS")
                  : choice == 2 ? QStringLiteral("LOESEN")
                                : QString(),
                  german.toString(query.value(10).toDouble() / 1000.0, 'f', 1)});
        if (out.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

bool SaveAnswersCsv(const CLearningRecord& record, const QString& path, QString* error) {
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) && WriteAnswersCsv(record, file) && file.commit();
    if (!saved && error != nullptr)
        *error = QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden. %2")
                     .arg(QDir::toNativeSeparators(path),
                          record.canRead() ? QStringLiteral("Bitte wählen Sie einen anderen Ort.")
                                           : QStringLiteral("Der Lernverlauf lässt sich nicht lesen."));
    return saved;
}
