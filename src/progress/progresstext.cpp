// The progress window's words and figures, as a parent reads them.

#include "progress/progresstext.h"

#include <QStringList>

#include "base/clock.h"

namespace ProgressText {

const QLocale& german() {
    static const QLocale locale(QLocale::German, QLocale::Germany);
    return locale;
}

QDateTime local(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds);
}

QDate today() {
    return local(Clock::NowSeconds()).date();
}

QString percent(int part, int whole) {
    return whole > 0 ? QStringLiteral("%1 %").arg(qRound(100.0 * part / whole)) : QStringLiteral("–");
}

// "heute 17:05", "gestern 16:40", "Mo 03.06. 17:05", "03.06.2023".
QString whenText(qint64 seconds) {
    const QDateTime at = local(seconds);
    const qint64 daysAgo = at.date().daysTo(today());
    const QString time = at.toString(QStringLiteral("HH:mm"));
    if (daysAgo == 0)
        return QStringLiteral("heute ") + time;
    if (daysAgo == 1)
        return QStringLiteral("gestern ") + time;
    if (daysAgo > 0 && daysAgo < 300)
        return german().toString(at, QStringLiteral("ddd dd.MM. HH:mm"));
    return at.toString(QStringLiteral("dd.MM.yyyy"));
}

QString endText(const std::optional<Record::DrillEnd>& end) {
    if (!end)
        return QStringLiteral("unterbrochen");
    switch (*end) {
    case Record::DrillEnd::AllDone:
        return QStringLiteral("fertig");
    case Record::DrillEnd::EndButton:
        return QStringLiteral("mit ENDE beendet");
    case Record::DrillEnd::CloseBox:
        return QStringLiteral("Fenster geschlossen");
    case Record::DrillEnd::LimitRefused:
        break;
    }
    return QStringLiteral("keine Reihe gewählt");
}

QString summaryText(const Totals& totals, bool canRead) {
    if (totals.tasks == 0) {
        return canRead ? QStringLiteral("Noch keine Übungen aufgezeichnet. Sobald Ihr Kind übt, zeigt "
                                        "Ollo hier, welche Aufgaben schon sicher sitzen.")
                       : QStringLiteral("Der Lernverlauf lässt sich zur Zeit nicht zeigen.");
    }
    const QString since =
        german().toString(local(totals.firstPractised).date(), QStringLiteral("d. MMMM yyyy"));
    return QStringLiteral("Seit dem %1 an %2 %3 geübt: %4 %5 mit %6 Aufgaben, davon %7 auf Anhieb richtig. "
                          "Zuletzt geübt: %8.")
        .arg(since)
        .arg(german().toString(totals.daysPractised))
        .arg(totals.daysPractised == 1 ? QStringLiteral("Tag") : QStringLiteral("Tagen"))
        .arg(german().toString(totals.drills))
        .arg(totals.drills == 1 ? QStringLiteral("Übung") : QStringLiteral("Übungen"))
        .arg(german().toString(totals.tasks))
        .arg(percent(totals.rightFirst, totals.tasks))
        .arg(whenText(totals.lastPractised));
}

QString shakyText(const ProgressReport& report, Record::Operation operation) {
    const bool division = operation == Record::Operation::Division;
    QStringList shaky;
    for (int factor = 1; factor <= 10; ++factor)
        for (int series = 1; series <= 10; ++series)
            if (report.standing(operation, factor, series).security == Security::Shaky)
                shaky << (division ? QStringLiteral("%1 : %2").arg(factor * series).arg(series)
                                   : QStringLiteral("%1 × %2").arg(factor).arg(series));
    QString text;
    if (!shaky.isEmpty()) {
        constexpr int shown = 12;
        text =
            QStringLiteral("Noch unsicher: ") + QStringList(shaky.mid(0, shown)).join(QStringLiteral(", "));
        text += shaky.size() > shown ? QStringLiteral(" und %1 weitere. ").arg(shaky.size() - shown)
                                     : QStringLiteral(". ");
    }
    return text + QStringLiteral("Zeigen Sie auf ein Feld, oder wählen Sie es mit den "
                                 "Pfeiltasten, um mehr darüber zu erfahren.");
}

} // namespace ProgressText
