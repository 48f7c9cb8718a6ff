#pragma once

#include <QString>

#include <vector>

#include "kit/progressreport.h"

// The record's answers as a workbook (.xlsx) for a parent's or a teacher's
// spreadsheet program: one sheet, a heading row, one row per typed answer.
// Every cell has its own type, so nothing turns into another in any
// spreadsheet program or language: the date and the time of day are dates
// shown as "03.06.2024" and "12:00:00", numbers stay numbers ("12,5" seconds
// in a German one), and what the child typed, the task and the words
// ("falsch", "NOCHMALS") stay text, "007" too.

// Replaces the file at path whole or not at all; on failure error (when
// given) receives a German sentence. child: the child's name for every row;
// empty when the family has no children set up.
bool SaveAnswersWorkbook(const std::vector<AnswerRow>& rows, const QString& child, const QString& path,
                         QString* error = nullptr);

// One child's rows, for a class's workbook.
struct ChildAnswers {
    QString name;
    std::vector<AnswerRow> rows;
};

// The same workbook for a class (the teacher's "Klassenübersicht"): the
// children's rows one after another, each with the child's name.
bool SaveAnswersWorkbook(const std::vector<ChildAnswers>& children, const QString& path,
                         QString* error = nullptr);
