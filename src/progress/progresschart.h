#pragma once

#include <QChartView>

#include <vector>

#include "kit/progressreport.h"

class QBarSeries;
class QBarSet;
class QCategoryAxis;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QValueAxis;

// The last weeks as a chart: tasks answered per day as bars (left scale),
// the current week's with their number on top, and the share of them right at the first try
// as a line (right scale, per cent), which joins only days practised one
// after the other. Mondays (and today, where there is room) are named under
// the bars; a bar's day in full shows as the mouse rests on it. The title
// sums up the week so far: tasks, minutes practised and the share right at
// the first try. The chart's figures are also its accessible description.
class ProgressChart : public QChartView {
    Q_OBJECT

public:
    explicit ProgressChart(QWidget* parent = nullptr);

    void setDays(const std::vector<DayCount>& days);

    // "Diese Woche: 45 Aufgaben in 23 Minuten, 80 % auf Anhieb richtig."
    static QString WeekText(const std::vector<DayCount>& days);
    // "Mo 3.6.: 12 Aufgaben in 8 Minuten, 75 % auf Anhieb richtig"
    static QString DayText(const DayCount& day);

    QSize sizeHint() const override;

private:
    void placeValues();
    void showDay(bool over, int index);

    std::vector<DayCount> m_days;
    QBarSeries* m_bars = nullptr;
    QBarSet* m_tasks = nullptr;
    QValueAxis* m_percentAxis = nullptr;
    // The share line, one piece per run of days practised one after the other.
    std::vector<QLineSeries*> m_share;
    // The number on each day's bar; null where it has none.
    std::vector<QGraphicsSimpleTextItem*> m_values;
    QCategoryAxis* m_dayAxis = nullptr;
    QValueAxis* m_countAxis = nullptr;
};
