#include "record/answerrows.h"

#include "kit/commandids.h"
#include "record/recordstore.h"

bool ReadAnswers(const RecordStore& store, std::vector<AnswerRow>* rows) {
    rows->clear();
    if (!store.canRead())
        return false;
    const bool read = store.readAnswers([rows](const RecordStore::TypedAnswer& answer) {
        AnswerRow row;
        row.at = answer.at;
        row.drill = answer.drill;
        row.series = answer.command == Cmd::HardFacts
                         ? QStringLiteral("Schwierige Aufgaben")
                         : ProgressReport::SeriesTitle(answer.operation, int(answer.series), answer.chosen);
        row.task = answer.operation == Record::Operation::Division
                       ? QStringLiteral("%1 : %2").arg(answer.factor * answer.series).arg(answer.series)
                       : QStringLiteral("%1 X %2").arg(answer.factor).arg(answer.series);
        row.expected = answer.expected;
        row.typed = answer.typed;
        row.attempt = answer.attempt;
        row.right = answer.correct;
        row.choice = answer.choice;
        row.thinkingMs = answer.thinkingMs;
        rows->push_back(std::move(row));
        return true;
    });
    if (!read)
        rows->clear();
    return read;
}
