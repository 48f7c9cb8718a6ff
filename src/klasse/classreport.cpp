#include "klasse/classreport.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>

#include "progress/factgridmodel.h"
#include "progress/progresstext.h"

namespace {

using namespace ProgressText;

QString grid(const ProgressReport& report, Record::Operation operation) {
    const bool divide = operation == Record::Operation::Division;
    QString html = QStringLiteral("<table cellspacing='0' cellpadding='3' border='1' "
                                  "style='border-collapse: collapse; border-color: #808080'><tr><th></th>");
    for (int series = 1; series <= 10; ++series)
        html += QStringLiteral("<th>%1</th>")
                    .arg(divide ? QStringLiteral(": %1").arg(series) : QString::number(series));
    html += QStringLiteral("</tr>");
    for (int factor = 1; factor <= 10; ++factor) {
        html += QStringLiteral("<tr><th>%1</th>").arg(factor);
        for (int series = 1; series <= 10; ++series) {
            const FactStanding& standing = report.standing(operation, factor, series);
            const QString text = divide ? QString::number(factor) : QString::number(factor * series);
            // Shaky facts are underlined as well: the page may be printed in grey.
            html +=
                QStringLiteral("<td align='center' bgcolor='%1'>%2</td>")
                    .arg(FactGridModel::ColourOf(standing.security).name(),
                         standing.security == Security::Shaky ? QStringLiteral("<u><b>%1</b></u>").arg(text)
                                                              : text);
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

} // namespace

QString ChildPageHtml(const QString& className, const ChildPage& page) {
    const ProgressReport& report = page.report;
    QString html = QStringLiteral("<html><body style='font-family: sans-serif; font-size: 10pt'>"
                                  "<h1>Lernfortschritt – %1</h1><p>Klasse %2, Stand %3</p>")
                       .arg(page.name.toHtmlEscaped(), className.toHtmlEscaped(),
                            german().toString(today(), QStringLiteral("d. MMMM yyyy")));
    html += QStringLiteral("<p>%1</p>")
                .arg(summaryText(report.totals, report.unreadable.isEmpty())
                         .toHtmlEscaped()
                         .replace(u'\n', QStringLiteral("<br>")));
    html +=
        QStringLiteral("<table cellspacing='12'><tr><td><h3>Einmaleins (mal)</h3>%1</td>"
                       "<td><h3>Geteilt</h3>%2</td></tr></table>")
            .arg(grid(report, Record::Operation::Multiplication), grid(report, Record::Operation::Division));
    html += QStringLiteral("<p>");
    for (const Security security : {Security::Secure, Security::Slow, Security::Shaky, Security::NeverAsked})
        html +=
            QStringLiteral("<span style='background-color: %1'>&nbsp;&nbsp;&nbsp;&nbsp;</span> %2 &nbsp; ")
                .arg(FactGridModel::ColourOf(security).name(),
                     FactGridModel::NameOf(security).toHtmlEscaped());
    html += QStringLiteral("(unterstrichen: noch unsicher)</p>");
    html += QStringLiteral("<p>%1</p>")
                .arg(shakyText(report, Record::Operation::Multiplication)
                         .toHtmlEscaped()
                         .replace(u'\n', QStringLiteral("<br>")));
    html += QStringLiteral("<h3>Die letzten Übungen</h3>");
    if (report.lastDrills.empty()) {
        html += QStringLiteral("<p>Noch keine Übungen.</p>");
    } else {
        html += QStringLiteral("<table cellspacing='0' cellpadding='3' border='1' style='border-collapse: "
                               "collapse'><tr><th>Wann</th><th>Reihe</th><th>Aufgaben</th><th>auf Anhieb "
                               "richtig</th><th>Ende</th></tr>");
        int shown = 0;
        for (const DrillSummary& drill : report.lastDrills) {
            if (++shown > 10)
                break;
            const QString series =
                drill.series > 0 ? ProgressReport::SeriesTitle(drill.operation, drill.series, drill.chosen)
                                 : drill.caption;
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td align='right'>%3 von %4</td>"
                                   "<td align='right'>%5</td><td>%6</td></tr>")
                        .arg(whenText(drill.started).toHtmlEscaped(), series.toHtmlEscaped())
                        .arg(drill.answered)
                        .arg(qMax(drill.taskCount, 1))
                        .arg(drill.rightFirst)
                        .arg(endText(drill.end).toHtmlEscaped());
        }
        html += QStringLiteral("</table>");
    }
    return html + QStringLiteral("</body></html>");
}

bool PaintChildPages(QPagedPaintDevice& device, const QString& className,
                     const std::vector<ChildPage>& pages) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QRectF area = device.pageLayout().paintRectPixels(device.logicalDpiX());
    bool first = true;
    for (const ChildPage& page : pages) {
        if (!first && !device.newPage())
            return false;
        first = false;
        QTextDocument document;
        // Laid out at a width of about 700 points, then scaled to the page.
        const qreal width = 700;
        document.setPageSize(QSizeF(width, 1e6));
        document.setHtml(ChildPageHtml(className, page));
        const qreal height = qMax<qreal>(document.size().height(), 1);
        const qreal scale = qMin(area.width() / width, area.height() / height);
        painter.save();
        painter.scale(scale, scale);
        document.drawContents(&painter);
        painter.restore();
    }
    return painter.end();
}
