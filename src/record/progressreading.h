#pragma once

#include <QDate>

#include <vector>

#include "kit/progressreport.h"

class RecordStore;

// The progress window's figures (kit/progressreport.h), read from a
// learning record, the family's file or the school's server (recordstore.h).
namespace ProgressReading {

// NeverAsked without tasks; Shaky when one of them was not right at the
// first try; Slow when the median of the thinking times exceeds
// ProgressReport::SlowMs.
Security Judge(const std::vector<Record::TaskOutcome>& recent, std::vector<qint64> thinkingMs);

// Days are local calendar days; the chart's last day is today. An
// unreadable record gives an empty report; one whose reading failed an
// empty report that says why (ProgressReport::unreadable).
ProgressReport Read(const RecordStore& store, QDate today);

} // namespace ProgressReading
