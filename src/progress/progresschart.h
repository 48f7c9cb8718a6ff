#pragma once

#include <QChartView>

#include <vector>

#include "kit/progressreport.h"

class QBarSet;
class QCategoryAxis;
class QLineSeries;
class QValueAxis;

// The last weeks as a chart: tasks answered per day as bars (left scale) and
// the share of them right at the first try as a line (right scale, per cent),
// drawn only through the days with tasks. Mondays and today are named under
// the bars. The chart's figures are also its accessible description.
class ProgressChart : public QChartView {
    Q_OBJECT

public:
    explicit ProgressChart(QWidget* parent = nullptr);

    void setDays(const std::vector<DayCount>& days);

    QSize sizeHint() const override;

private:
    QBarSet* m_tasks = nullptr;
    QLineSeries* m_share = nullptr;
    QCategoryAxis* m_dayAxis = nullptr;
    QValueAxis* m_countAxis = nullptr;
};
