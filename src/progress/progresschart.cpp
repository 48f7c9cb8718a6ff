#include "progress/progresschart.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QLocale>
#include <QPen>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

const QColor kBars(0x5b, 0x8f, 0xd9);
const QColor kLine(0x2e, 0x7d, 0x32);

} // namespace

ProgressChart::ProgressChart(QWidget* parent)
    : QChartView(parent) {
    // The view's own chart: one set in its place would leave the first unowned.
    QChart* chart = this->chart();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);

    m_tasks = new QBarSet(QStringLiteral("Aufgaben pro Tag"));
    m_tasks->setColor(kBars);
    m_tasks->setBorderColor(kBars.darker(120));
    auto* bars = new QBarSeries;
    bars->setBarWidth(0.7);
    bars->append(m_tasks);
    m_share = new QLineSeries;
    m_share->setName(QStringLiteral("davon auf Anhieb richtig (%)"));
    m_share->setPen(QPen(kLine, 2));
    m_share->setPointsVisible(true);
    chart->addSeries(bars);
    chart->addSeries(m_share);

    m_dayAxis = new QCategoryAxis;
    m_dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_dayAxis->setGridLineVisible(false);
    m_countAxis = new QValueAxis;
    m_countAxis->setLabelFormat(QStringLiteral("%d"));
    m_countAxis->setTitleText(QStringLiteral("Aufgaben"));
    auto* percentAxis = new QValueAxis;
    percentAxis->setRange(0, 100);
    percentAxis->setTickCount(6);
    percentAxis->setLabelFormat(QStringLiteral("%d %%"));
    percentAxis->setTitleText(QStringLiteral("auf Anhieb richtig"));
    percentAxis->setGridLineVisible(false);
    chart->addAxis(m_dayAxis, Qt::AlignBottom);
    chart->addAxis(m_countAxis, Qt::AlignLeft);
    chart->addAxis(percentAxis, Qt::AlignRight);
    bars->attachAxis(m_dayAxis);
    bars->attachAxis(m_countAxis);
    m_share->attachAxis(m_dayAxis);
    m_share->attachAxis(percentAxis);

    setRenderHint(QPainter::Antialiasing);
    // Nothing in it to do by keyboard; its figures are its description.
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Aufgaben pro Tag in den letzten vier Wochen"));
}

QSize ProgressChart::sizeHint() const {
    const int line = fontMetrics().height();
    return {line * 34, line * 24};
}

void ProgressChart::setDays(const std::vector<DayCount>& days) {
    const QLocale german(QLocale::German, QLocale::Germany);
    m_tasks->remove(0, m_tasks->count());
    m_share->clear();
    for (const QString& label : m_dayAxis->categoriesLabels())
        m_dayAxis->remove(label);

    int most = 0;
    int total = 0;
    int rightFirst = 0;
    int practised = 0;
    for (size_t i = 0; i < days.size(); ++i) {
        const DayCount& day = days[i];
        m_tasks->append(day.tasks);
        if (day.tasks > 0) {
            m_share->append(qreal(i), 100.0 * day.rightFirst / day.tasks);
            ++practised;
        }
        most = std::max(most, day.tasks);
        total += day.tasks;
        rightFirst += day.rightFirst;
        // Mondays and the last day are named, under their bars; a Monday
        // close to the last day would run into its label.
        const bool last = i + 1 == days.size();
        if ((day.day.dayOfWeek() == Qt::Monday && i + 3 < days.size()) || last)
            m_dayAxis->append(last ? QStringLiteral("heute")
                                   : german.toString(day.day, QStringLiteral("ddd d.M.")),
                              qreal(i));
    }
    m_dayAxis->setRange(-0.5, qreal(days.size()) - 0.5);
    m_dayAxis->setStartValue(-0.5);
    // Room above the highest bar, in about six steps of 1, 2 or 5 times a power of ten.
    const double wanted = std::max(10.0, most * 1.1);
    double step = 1;
    while (step * 5 < wanted / 6)
        step *= 10;
    step = step >= wanted / 6 ? step : step * 2 >= wanted / 6 ? step * 2 : step * 5;
    const double top = std::ceil(wanted / step) * step;
    m_countAxis->setRange(0, top);
    m_countAxis->setTickCount(int(std::lround(top / step)) + 1);

    setAccessibleDescription(
        total == 0 ? QStringLiteral("In den letzten vier Wochen wurde nicht geübt.")
                   : QStringLiteral(
                         "In den letzten vier Wochen an %1 Tagen geübt, %2 Aufgaben, davon %3 % auf Anhieb "
                         "richtig; höchstens %4 Aufgaben an einem Tag.")
                         .arg(practised)
                         .arg(total)
                         .arg(qRound(100.0 * rightFirst / total))
                         .arg(most));
}
