// A report's fact by operation and factor, and a series' title.

#include "kit/progressreport.h"

#include <algorithm>

namespace {

size_t indexOf(int factor, int series) {
    return size_t(std::clamp(factor, 1, 10) - 1) * 10 + size_t(std::clamp(series, 1, 10) - 1);
}

} // namespace

const FactStanding& ProgressReport::standing(Record::Operation operation, int factor, int series) const {
    return (operation == Record::Operation::Division ? divide : times)[indexOf(factor, series)];
}

FactStanding& ProgressReport::standing(Record::Operation operation, int factor, int series) {
    return (operation == Record::Operation::Division ? divide : times)[indexOf(factor, series)];
}

QString ProgressReport::SeriesTitle(Record::Operation operation, int series, bool chosen) {
    const QString kind =
        operation == Record::Operation::Division ? QStringLiteral("geteilt") : QStringLiteral("mal");
    return chosen ? QStringLiteral("Beliebige Reihe: %1 (%2)").arg(series).arg(kind)
                  : QStringLiteral("%1-er Reihe (%2)").arg(series).arg(kind);
}
