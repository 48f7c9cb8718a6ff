#pragma once

#include <QDate>

#include <vector>

#include "kit/progressreport.h"

class CLearningRecord;

// The progress window's figures (kit/progressreport.h), read from the
// learning record.
namespace ProgressReading {

// A fact in this box (0: never answered) with these thinking times of its
// recent first answers: NeverAsked, Shaky in box 1, Unsettled in box 2;
// further up Slow when their median exceeds ProgressReport::SlowMs, else
// Secure.
Security Judge(int box, std::vector<qint64> thinkingMs);

// Days are local calendar days; the chart's last day is today. An
// unreadable record gives an empty report.
ProgressReport Read(const CLearningRecord& record, QDate today);

} // namespace ProgressReading
