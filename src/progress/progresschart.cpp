#include "progress/progresschart.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPen>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

const QColor kBars(0x5b, 0x8f, 0xd9);
const QColor kLine(0x2e, 0x7d, 0x32);

QLocale german() {
    return QLocale(QLocale::German, QLocale::Germany);
}

// "1 Minute", "23 Minuten"; a drill under half a minute counts as one.
QString minutesText(int seconds) {
    const int minutes = std::max(seconds > 0 ? 1 : 0, (seconds + 30) / 60);
    return minutes == 1 ? QStringLiteral("1 Minute") : QStringLiteral("%1 Minuten").arg(minutes);
}

QString tasksText(int tasks) {
    return tasks == 1 ? QStringLiteral("1 Aufgabe") : QStringLiteral("%1 Aufgaben").arg(tasks);
}

} // namespace

ProgressChart::ProgressChart(QWidget* parent)
    : QChartView(parent) {
    // The view's own chart: one set in its place would leave the first unowned.
    QChart* chart = this->chart();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);
    QFont title = font();
    title.setBold(true);
    chart->setTitleFont(title);

    m_tasks = new QBarSet(QStringLiteral("Aufgaben pro Tag"));
    m_tasks->setColor(kBars);
    m_tasks->setBorderColor(kBars.darker(120));
    m_bars = new QBarSeries;
    m_bars->setBarWidth(0.7);
    m_bars->append(m_tasks);
    chart->addSeries(m_bars);

    m_dayAxis = new QCategoryAxis;
    m_dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_dayAxis->setGridLineVisible(false);
    m_countAxis = new QValueAxis;
    m_countAxis->setLabelFormat(QStringLiteral("%d"));
    m_countAxis->setTitleText(QStringLiteral("Aufgaben"));
    m_percentAxis = new QValueAxis;
    // A little above 100 %, so that a point there is drawn whole.
    m_percentAxis->setRange(0, 108);
    m_percentAxis->setTickType(QValueAxis::TicksDynamic);
    m_percentAxis->setTickAnchor(0);
    m_percentAxis->setTickInterval(20);
    m_percentAxis->setLabelFormat(QStringLiteral("%d %%"));
    m_percentAxis->setTitleText(QStringLiteral("auf Anhieb richtig"));
    m_percentAxis->setGridLineVisible(false);
    chart->addAxis(m_dayAxis, Qt::AlignBottom);
    chart->addAxis(m_countAxis, Qt::AlignLeft);
    chart->addAxis(m_percentAxis, Qt::AlignRight);
    m_bars->attachAxis(m_dayAxis);
    m_bars->attachAxis(m_countAxis);

    connect(chart, &QChart::plotAreaChanged, this, &ProgressChart::placeValues);
    connect(m_tasks, &QBarSet::hovered, this, &ProgressChart::showDay);

    setRenderHint(QPainter::Antialiasing);
    // Nothing in it to do by keyboard; its figures are its description.
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Aufgaben pro Tag in den letzten vier Wochen"));
}

QSize ProgressChart::sizeHint() const {
    const int line = fontMetrics().height();
    return {line * 34, line * 24};
}

QString ProgressChart::WeekText(const std::vector<DayCount>& days) {
    int tasks = 0;
    int rightFirst = 0;
    int seconds = 0;
    const QDate today = days.empty() ? QDate() : days.back().day;
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    for (const DayCount& day : days)
        if (day.day >= monday) {
            tasks += day.tasks;
            rightFirst += day.rightFirst;
            seconds += day.seconds;
        }
    if (tasks == 0)
        return QStringLiteral("Diese Woche noch nicht geübt.");
    return QStringLiteral("Diese Woche: %1 in %2, %3 % auf Anhieb richtig.")
        .arg(tasksText(tasks), minutesText(seconds))
        .arg(qRound(100.0 * rightFirst / tasks));
}

QString ProgressChart::DayText(const DayCount& day) {
    const QString date = german().toString(day.day, QStringLiteral("ddd d.M."));
    if (day.tasks == 0)
        return date + QStringLiteral(": nicht geübt");
    return QStringLiteral("%1: %2 in %3, %4 % auf Anhieb richtig")
        .arg(date, tasksText(day.tasks), minutesText(day.seconds))
        .arg(qRound(100.0 * day.rightFirst / day.tasks));
}

void ProgressChart::setDays(const std::vector<DayCount>& days) {
    m_days = days;
    QChart* chart = this->chart();
    m_tasks->remove(0, m_tasks->count());
    for (QLineSeries* piece : m_share) {
        chart->removeSeries(piece);
        delete piece;
    }
    m_share.clear();
    for (QGraphicsSimpleTextItem* value : m_values)
        delete value; // null for a day without its number
    m_values.clear();
    for (const QString& label : m_dayAxis->categoriesLabels())
        m_dayAxis->remove(label);

    int most = 0;
    int total = 0;
    int rightFirst = 0;
    int practised = 0;
    // A Monday close to the last day leaves no room for "heute".
    const bool mondayNearEnd =
        std::any_of(days.end() - std::min<qsizetype>(4, qsizetype(days.size())), days.end(),
                    [](const DayCount& day) { return day.day.dayOfWeek() == Qt::Monday; });
    // The week so far gets its numbers on the bars; on all 28 they would run
    // into each other.
    const QDate monday = days.empty() ? QDate() : days.back().day.addDays(1 - days.back().day.dayOfWeek());
    for (size_t i = 0; i < days.size(); ++i) {
        const DayCount& day = days[i];
        m_tasks->append(day.tasks);
        if (day.tasks > 0) {
            if (i == 0 || days[i - 1].tasks == 0) {
                auto* piece = new QLineSeries;
                piece->setName(QStringLiteral("davon auf Anhieb richtig (%)"));
                piece->setPen(QPen(kLine, 2));
                piece->setPointsVisible(true);
                chart->addSeries(piece);
                piece->attachAxis(m_dayAxis);
                piece->attachAxis(m_percentAxis);
                // One entry in the legend for all pieces.
                if (!m_share.empty())
                    for (QLegendMarker* marker : chart->legend()->markers(piece))
                        marker->setVisible(false);
                m_share.push_back(piece);
            }
            m_share.back()->append(qreal(i), 100.0 * day.rightFirst / day.tasks);
            ++practised;
        }
        if (day.tasks > 0 && day.day >= monday) {
            auto* value = new QGraphicsSimpleTextItem(QString::number(day.tasks), chart);
            value->setFont(font());
            value->setZValue(10);
            m_values.push_back(value);
        } else {
            m_values.push_back(nullptr);
        }
        most = std::max(most, day.tasks);
        total += day.tasks;
        rightFirst += day.rightFirst;
        const bool last = i + 1 == days.size();
        const bool monday = day.day.dayOfWeek() == Qt::Monday;
        if (monday)
            m_dayAxis->append(last ? QStringLiteral("heute (Mo)")
                                   : german().toString(day.day, QStringLiteral("ddd d.M.")),
                              qreal(i));
        else if (last && !mondayNearEnd)
            m_dayAxis->append(QStringLiteral("heute"), qreal(i));
    }
    m_dayAxis->setRange(-0.5, qreal(days.size()) - 0.5);
    m_dayAxis->setStartValue(-0.5);
    // Room above the highest bar and its number, in about six steps of 1, 2
    // or 5 times a power of ten.
    const double wanted = std::max(10.0, most * 1.15);
    double step = 1;
    while (step * 5 < wanted / 6)
        step *= 10;
    step = step >= wanted / 6 ? step : step * 2 >= wanted / 6 ? step * 2 : step * 5;
    const double top = std::ceil(wanted / step) * step;
    m_countAxis->setRange(0, top);
    m_countAxis->setTickCount(int(std::lround(top / step)) + 1);

    const QString week = WeekText(days);
    chart->setTitle(week);
    placeValues();
    setAccessibleDescription(
        total == 0
            ? QStringLiteral("In den letzten vier Wochen wurde nicht geübt.")
            : QStringLiteral(
                  "%1 In den letzten vier Wochen an %2 Tagen geübt, %3 Aufgaben, davon %4 % auf Anhieb "
                  "richtig; höchstens %5 Aufgaben an einem Tag.")
                  .arg(week)
                  .arg(practised)
                  .arg(total)
                  .arg(qRound(100.0 * rightFirst / total))
                  .arg(most));
}

// The week's numbers, each centred on top of its bar.
void ProgressChart::placeValues() {
    for (size_t i = 0; i < m_days.size() && i < m_values.size(); ++i) {
        QGraphicsSimpleTextItem* value = m_values[i];
        if (value == nullptr)
            continue;
        const QPointF top = chart()->mapToPosition(QPointF(qreal(i), m_days[i].tasks), m_bars);
        const QRectF box = value->boundingRect();
        value->setPos(top.x() - box.width() / 2, top.y() - box.height());
    }
}

void ProgressChart::showDay(bool over, int index) {
    if (!over || index < 0 || index >= int(m_days.size())) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(QCursor::pos(), DayText(m_days[size_t(index)]), this);
}
