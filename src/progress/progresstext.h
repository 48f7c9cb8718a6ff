#pragma once

// The words and figures of the progress window, in German: dates and times
// as a parent reads them, shares, how drills ended, the summary line and the
// facts still shaky. Plain text, so the window only places it.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

#include "kit/progressreport.h"

namespace ProgressText {

const QLocale& german();
// Seconds since 1970 as local time.
QDateTime local(qint64 seconds);
// Today by the program's clock.
QDate today();
// "73 %"; "–" of nothing.
QString percent(int part, int whole);
// "heute 17:05", "gestern 16:40", "Mo 03.06. 17:05", "03.06.2023".
QString whenText(qint64 seconds);
// "fertig", "mit ENDE beendet", ...; "unterbrochen" without an end.
QString endText(const std::optional<Record::DrillEnd>& end);
// The line above the grid: since when, how often and how well; without any
// task, that there is nothing yet, or that the record cannot be shown.
QString summaryText(const Totals& totals, bool canRead);
// Under the grid while no cell is chosen: the facts of the operation that
// still need practice, by name, then how to learn more.
QString shakyText(const ProgressReport& report, Record::Operation operation);

} // namespace ProgressText
