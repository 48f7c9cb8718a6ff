#pragma once

#include <QString>

class CLearningRecord;
class QIODevice;

// The record as a table for a teacher's spreadsheet, one line per typed
// answer, oldest first: date, time, series, task, expected answer, what was
// typed, the attempt's number, right or wrong, what followed ("NOCHMALS",
// "LOESEN") and the thinking time in seconds. Written the way German
// spreadsheet programs read it without asking: semicolons between fields,
// decimal commas, UTF-8 with a byte-order mark, CRLF line ends.

// False when the record cannot be read or the device refuses the bytes.
bool WriteAnswersCsv(const CLearningRecord& record, QIODevice& out);

// Replaces the file at path whole or not at all. On failure, error (when
// given) receives a German sentence for the user.
bool SaveAnswersCsv(const CLearningRecord& record, const QString& path, QString* error = nullptr);
