#pragma once

#include <vector>

#include "kit/progressreport.h"

class RecordStore;

// The record's answers as the export lists them (kit/progressreport.h), one
// row per typed answer, oldest first; the progress window writes them into
// a workbook. The record is the family's file or the school's server
// (recordstore.h).

// False, with rows left empty, when the record cannot be read.
bool ReadAnswers(const RecordStore& store, std::vector<AnswerRow>* rows);
