#pragma once

#include <vector>

#include "kit/progressreport.h"

class CLearningRecord;

// The record's answers as the export lists them (kit/progressreport.h), one
// row per typed answer, oldest first; the progress window writes them into
// a workbook.

// False, with rows left empty, when the record cannot be read.
bool ReadAnswers(const CLearningRecord& record, std::vector<AnswerRow>* rows);
