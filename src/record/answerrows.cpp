#include "record/answerrows.h"

#include <QSqlQuery>
#include <QVariant>

#include "kit/commandids.h"
#include "record/learningrecord.h"

bool ReadAnswers(const CLearningRecord& record, std::vector<AnswerRow>* rows) {
    rows->clear();
    if (!record.canRead())
        return false;
    QSqlQuery query(record.database());
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT a.at, d.id, d.command, t.operation, t.factor, t.series, t.expected,"
                           " a.typed, a.attempt, a.correct, a.choice, a.thinking_ms"
                           " FROM answer a JOIN task t ON t.id = a.task JOIN drill d ON d.id = t.drill"
                           " ORDER BY a.id")))
        return false;
    while (query.next()) {
        AnswerRow row;
        row.at = query.value(0).toLongLong();
        row.drill = query.value(1).toLongLong();
        const int command = query.value(2).toInt();
        const auto operation = Record::Operation(query.value(3).toInt());
        const qint64 factor = query.value(4).toLongLong();
        const qint64 series = query.value(5).toLongLong();
        row.series = command == Cmd::HardFacts
                         ? QStringLiteral("Schwierige Aufgaben")
                         : ProgressReport::SeriesTitle(operation, int(series),
                                                       command == Cmd::AnyMultiplication ||
                                                           command == Cmd::AnyDivision);
        row.task = operation == Record::Operation::Division
                       ? QStringLiteral("%1 : %2").arg(factor * series).arg(series)
                       : QStringLiteral("%1 X %2").arg(factor).arg(series);
        row.expected = query.value(6).toString();
        row.typed = query.value(7).toString();
        row.attempt = query.value(8).toInt();
        row.right = query.value(9).toBool();
        row.choice = query.value(10).toInt();
        row.thinkingMs = query.value(11).toLongLong();
        rows->push_back(std::move(row));
    }
    return true;
}
