#include "ReadingCharts.h"

#include "NamedWidgets.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// The chart gives back, not deletes, the axes it lets go.
void ClearChart(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

// The chart's own title, which an empty chart follows with why it is empty.
constexpr const char* kTitleProperty = "chartTitle";

// A value axis from 0 in whole steps of 1, 2 or 5 times a power of ten, about five of them: labels in whole numbers.
void WholeAxis(QValueAxis* axis, double largest, const QString& unit) {
    double step = 1;
    while (largest / step > 6)
        step *= (QString::number(step).startsWith('2') ? 2.5 : 2);
    axis->setTitleText(unit);
    axis->setLabelFormat("%d");
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setRange(0, std::max(step, std::ceil(largest / step) * step));
}

// A chart with nothing to show says so in place of its axes.
bool ShowEmpty(QChartView* view, const QList<double>& values, const QString& why) {
    QChart* chart = view->chart();
    const bool empty = std::all_of(values.begin(), values.end(), [](double value) { return value <= 0; });
    chart->setTitle(view->property(kTitleProperty).toString() + (empty ? "<br><br><br>" + why : QString()));
    if (empty)
        ClearChart(chart);
    return empty;
}

} // namespace

QChartView* BarChartView(const char* name, const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* view = Named<QChartView>(name, chart);
    view->setProperty(kTitleProperty, title);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(160);
    return view;
}

// Replaces the chart's bars: one set, a bar per category.
void FillBars(QChartView* view, const QStringList& categories, const QList<double>& values, const QString& unit,
              const QString& emptyText) {
    QChart* chart = view->chart();
    ClearChart(chart);
    if (ShowEmpty(view, values, emptyText))
        return;
    auto* set = new QBarSet(unit);
    set->append(values);
    auto* series = new QBarSeries;
    series->append(set);
    series->setBarWidth(0.8);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    auto* y = new QValueAxis;
    WholeAxis(y, *std::max_element(values.begin(), values.end()), unit);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

// 52 weeks are too many for a label under each bar: the weeks stand on a time axis labelled by month, each a bar
// drawn as an area from its Monday to its Sunday.
// In whole hours, or in whole minutes where no week reaches two hours.
void FillWeeks(QChartView* view, const QList<QDate>& weeks, QList<double> hours) {
    QChart* chart = view->chart();
    ClearChart(chart);
    if (ShowEmpty(view, hours, "no reading in these 52 weeks"))
        return;
    const bool inMinutes = *std::max_element(hours.begin(), hours.end()) < 2;
    if (inMinutes)
        for (double& value : hours)
            value *= 60;
    const QString unit = inMinutes ? "minutes" : "hours";
    auto* area = new QAreaSeries;
    auto* bars = new QLineSeries(area); // the area does not own its line
    const auto at = [](const QDate& day, int hour) {
        return static_cast<qreal>(day.startOfDay().addSecs(hour * 3600).toMSecsSinceEpoch());
    };
    for (qsizetype i = 0; i < weeks.size(); ++i) {
        bars->append(at(weeks[i], 12), 0);
        bars->append(at(weeks[i], 12), hours[i]);
        bars->append(at(weeks[i].addDays(6), 12), hours[i]);
        bars->append(at(weeks[i].addDays(6), 12), 0);
    }
    area->setUpperSeries(bars);
    area->setName(unit);
    chart->addSeries(area);
    auto* x = new QDateTimeAxis;
    x->setFormat("MMM yy");
    x->setTickCount(7);
    x->setRange(weeks.front().startOfDay(), weeks.back().addDays(7).startOfDay());
    auto* y = new QValueAxis;
    WholeAxis(y, *std::max_element(hours.begin(), hours.end()), unit);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    area->attachAxis(x);
    area->attachAxis(y);
}
