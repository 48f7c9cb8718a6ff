#pragma once

#include <QDate>

#include <vector>

#include "kit/progressreport.h"

class RecordStore;

// The progress window's figures (kit/progressreport.h), read from a
// learning record, the family's file or the school's server (recordstore.h).
namespace ProgressReading {

// A fact in this box (0: never answered) with these thinking times of its
// recent first answers: NeverAsked, Shaky in box 1, Unsettled in box 2;
// further up Slow when their median exceeds ProgressReport::SlowMs, else
// Secure.
Security Judge(int box, std::vector<qint64> thinkingMs);

// Days are local calendar days; the chart's last day is today. An
// unreadable record gives an empty report; one whose reading failed an
// empty report that says why (ProgressReport::unreadable).
ProgressReport Read(const RecordStore& store, QDate today);

} // namespace ProgressReading
